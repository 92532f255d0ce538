// The wide working form the elementary functions compute on: a binary float
// with a 128-bit mantissa (about 38 digits), so that a result carries some 20
// digits more than the 15 it is rounded to. Not for use outside src/math.
#pragma once

#include <cstdint>

#include "math/bcd.h"

namespace fn_wide {

using u128 = unsigned __int128;

// value = (neg ? -1 : 1) * m * 2^e, with bit 127 of m set, or m == 0 for zero.
struct W {
  u128 m = 0;
  int e = 0;
  bool neg = false;
};

inline bool IsZero(const W& x) {
  return x.m == 0;
}
inline W Neg(W x) {
  if (x.m) x.neg = !x.neg;
  return x;
}
inline W Abs(W x) {
  x.neg = false;
  return x;
}
// x * 2^k
inline W Scale2(W x, int k) {
  if (x.m) x.e += k;
  return x;
}

W FromInt(u128 v, bool neg = false);
W FromDouble(double v);
double ToDouble(const W& x);

W Add(const W& a, const W& b);
W Sub(const W& a, const W& b);
W Mul(const W& a, const W& b);
W Div(const W& a, const W& b);        // b != 0
W Sqrt(const W& x);                   // x >= 0
int Compare(const W& a, const W& b);  // -1, 0, 1 by value
int CompareAbs(const W& a, const W& b);
// 2^e of the leading bit: the value lies in [2^Log2(x), 2^(Log2(x)+1)).
inline int Log2(const W& x) {
  return x.e + 127;
}

// 10^k for -400 <= k <= 400 (exact up to 10^38).
W Pow10(int k);

// Constants rounded to 128 bits.
W Pi();
W HalfPi();
W Ln2();
W Ln10();

// A decimal record (fractions by their value) into the wide form. Returns 0,
// or the error code of a record that holds no readable real number.
int FromBcd(const BcdNumber* x, W* w);
// Rounds half away from zero to 15 digits and packs; an exponent above +99 is
// error 3, below -99 zero. A value that lies within 2^-56 units of the 16th
// digit of an exact tie or grid point is taken to be exactly there, so exact
// results (sin 30 degrees, log 1000, 10^2) come out exact.
int ToBcd(const W& x, BcdNumber* out);

// ---- Elementary functions on the wide form ---------------------------------------
// Callers keep the arguments inside the domains noted.

W ExpM1(const W& x);  // |x| <= 1
// e^x; |x| <= 300 (callers test the range first).
W Exp(const W& x);
W Ln(const W& x);     // x > 0
W Log1p(const W& x);  // x > -1
// Sine and cosine of |r| <= pi/4 (radians); either pointer may be null.
void SinCosSmall(const W& r, W* s, W* c);
W Atan(const W& x);
W Atan2(const W& y, const W& x);  // (0, 0) gives 0

// Sine and cosine of an angle that is reduced to an octant around a
// quadrant: angle = quadrant * (pi/2) + r, |r| <= pi/4.
struct Reduced {
  int quadrant = 0;  // 0..3
  W r;
  bool exactZero = false;  // r is exactly zero (an exact multiple of the quarter turn)
};
// Reduces |x| for a unit (0 degrees, 1 radians, 2 grads) exactly: degrees
// and grads in decimal integers, radians against 2/pi to 704 bits. The sign
// of x is the caller's.
int ReduceAngle(const BcdNumber* x, int angleUnit, Reduced* out);
// Reduction of a wide radian angle (for complex arguments); |x| < 2^60.
Reduced ReduceWide(const W& x);
// sin and cos of the reduced angle; either pointer may be null.
void SinCosReduced(const Reduced& a, W* s, W* c);

// Radians to the unit and back.
W FromRadians(const W& x, int angleUnit);
W ToRadians(const W& x, int angleUnit);

}  // namespace fn_wide
