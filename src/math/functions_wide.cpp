// The wide working form: 128-bit binary mantissas, the elementary functions
// on them, and the exact argument reduction of the trigonometric functions.
//
// Each operation truncates to 128 bits (one unit of 2^-127 relative at most),
// the series and iterations run until their remainder is far below that, so
// a function result is good to some 2^-118: 20 digits beyond the 15 kept.
#include "math/functions_wide.h"

#include <array>
#include <cmath>

#include "math/bcd_internal.h"
#include "math/functions.h"

namespace fn_wide {

namespace {

int Clz128(u128 v) {
  uint64_t hi = uint64_t(v >> 64);
  return hi ? __builtin_clzll(hi) : 64 + __builtin_clzll(uint64_t(v));
}

W Normalize(u128 m, int e, bool neg) {
  if (m == 0) return W{};
  int s = Clz128(m);
  return W{m << s, e - s, neg};
}

// The 256-bit product of two 128-bit numbers.
void Mul256(u128 a, u128 b, u128* hi, u128* lo) {
  uint64_t a0 = uint64_t(a), a1 = uint64_t(a >> 64), b0 = uint64_t(b), b1 = uint64_t(b >> 64);
  u128 p00 = (u128)a0 * b0, p01 = (u128)a0 * b1, p10 = (u128)a1 * b0, p11 = (u128)a1 * b1;
  u128 mid = (p00 >> 64) + uint64_t(p01) + uint64_t(p10);
  *lo = (mid << 64) | uint64_t(p00);
  *hi = p11 + (p01 >> 64) + (p10 >> 64) + (mid >> 64);
}

W Const(uint64_t hi, uint64_t lo, int e) {
  return W{(u128)hi << 64 | lo, e, false};
}

}  // namespace

W FromInt(u128 v, bool neg) {
  return Normalize(v, 0, neg);
}

W FromDouble(double v) {
  if (v == 0 || !std::isfinite(v)) return W{};
  int e;
  double f = std::frexp(std::fabs(v), &e);  // f in [0.5, 1)
  auto m = uint64_t(std::ldexp(f, 64));
  return W{(u128)m << 64, e - 128, v < 0};
}

double ToDouble(const W& x) {
  if (!x.m) return 0;
  double v = std::ldexp(double(uint64_t(x.m >> 64)), x.e + 64);
  return x.neg ? -v : v;
}

int CompareAbs(const W& a, const W& b) {
  if (!a.m || !b.m) return a.m ? 1 : (b.m ? -1 : 0);
  if (a.e != b.e) return a.e < b.e ? -1 : 1;
  return a.m == b.m ? 0 : (a.m < b.m ? -1 : 1);
}

int Compare(const W& a, const W& b) {
  int sa = a.m ? (a.neg ? -1 : 1) : 0, sb = b.m ? (b.neg ? -1 : 1) : 0;
  if (sa != sb) return sa < sb ? -1 : 1;
  return sa * CompareAbs(a, b);
}

W Add(const W& x, const W& y) {
  if (!y.m) return x;
  if (!x.m) return y;
  bool swap = CompareAbs(x, y) < 0;
  const W& a = swap ? y : x;
  const W& b = swap ? x : y;
  // The exact sum in 256 bits, then truncated: cancellation keeps every bit.
  int d = a.e - b.e;
  if (d >= 256) return a;
  u128 ah = a.m, al = 0, bh, bl;
  if (d == 0) {
    bh = b.m;
    bl = 0;
  } else if (d < 128) {
    bh = b.m >> d;
    bl = b.m << (128 - d);
  } else {
    bh = 0;
    bl = d == 128 ? b.m : b.m >> (d - 128);
  }
  if (a.neg == b.neg) {
    u128 l = al + bl;
    u128 carry = l < al;
    u128 h = ah + bh;
    bool over = h < ah;
    h += carry;
    over = over || h < carry;
    if (over) return W{(h >> 1) | ((u128)1 << 127), a.e + 1, a.neg};
    return W{h, a.e, a.neg};
  }
  u128 borrow = al < bl;
  u128 l = al - bl;
  u128 h = ah - bh - borrow;
  if (h == 0) {
    if (l == 0) return W{};
    int s = Clz128(l);
    return W{l << s, a.e - 128 - s, a.neg};
  }
  int s = Clz128(h);
  if (s == 0) return W{h, a.e, a.neg};
  return W{(h << s) | (l >> (128 - s)), a.e - s, a.neg};
}

W Sub(const W& a, const W& b) {
  return Add(a, Neg(b));
}

W Mul(const W& a, const W& b) {
  if (!a.m || !b.m) return W{};
  u128 hi, lo;
  Mul256(a.m, b.m, &hi, &lo);
  bool neg = a.neg != b.neg;
  if (hi >> 127) return W{hi, a.e + b.e + 128, neg};
  return W{(hi << 1) | (lo >> 127), a.e + b.e + 127, neg};
}

W Div(const W& a, const W& b) {
  if (!a.m || !b.m) return W{};
  // 1/b by Newton's iteration from the double estimate: 53, 106, 128 bits.
  W bn{b.m, -127, false};  // b's mantissa as a value in [1, 2)
  W y = FromDouble(1.0 / ToDouble(bn));
  const W one = FromInt(1);
  for (int i = 0; i < 2; ++i) y = Add(y, Mul(y, Sub(one, Mul(bn, y))));
  W q = Mul(a, y);
  q.e -= b.e + 127;
  q.neg = a.neg != b.neg;
  return q;
}

W Sqrt(const W& x) {
  if (!x.m) return W{};
  // x = xn * 2^(2k) with xn in [1, 4).
  int k2 = x.e + 127;
  int k = k2 >= 0 ? k2 / 2 : -((1 - k2) / 2);
  W xn{x.m, x.e - 2 * k, false};
  // 1/sqrt(xn) by Newton, then one correction of the root itself.
  W r = FromDouble(1.0 / std::sqrt(ToDouble(xn)));
  const W one = FromInt(1);
  for (int i = 0; i < 2; ++i) r = Add(r, Scale2(Mul(r, Sub(one, Mul(xn, Mul(r, r)))), -1));
  W s = Mul(xn, r);
  s = Add(s, Scale2(Mul(r, Sub(xn, Mul(s, s))), -1));
  return Scale2(s, k);
}

namespace {

// The series run in fixed point: a signed 128-bit integer with 126 bits
// after the point (|v| < 2), a few times faster than the floating form. Each
// series is arranged so that its sum lies near 1, where fixed point loses
// nothing, and the small factor that scales it is applied in floating form.
using i128 = __int128;
constexpr int kFixBits = 126;

i128 ToFix(const W& x) {  // |x| < 2
  int shift = -(x.e + kFixBits);
  if (!x.m || shift >= 128) return 0;
  auto v = i128(x.m >> shift);
  return x.neg ? -v : v;
}

W FromFix(i128 v) {
  bool neg = v < 0;
  W w = FromInt(neg ? u128(0) - u128(v) : u128(v), neg);
  return Scale2(w, -kFixBits);
}

i128 FixMul(i128 a, i128 b) {
  bool neg = (a < 0) != (b < 0);
  u128 ua = a < 0 ? u128(0) - u128(a) : u128(a), ub = b < 0 ? u128(0) - u128(b) : u128(b);
  u128 hi, lo;
  Mul256(ua, ub, &hi, &lo);
  auto m = i128((hi << (128 - kFixBits)) | (lo >> kFixBits));
  return neg ? -m : m;
}

constexpr int kPow10Range = 450;
constexpr int kFactorials = 41;

struct Tables {
  std::array<W, 2 * kPow10Range + 1> pow10;
  std::array<W, kFactorials> invFact;
  std::array<i128, kFactorials> fixInvFact;
  W radToDeg, radToGrad, halfPiPerDegQuarter, halfPiPerGradQuarter;

  Tables() {
    u128 p = 1;
    for (int k = 0; k <= 38; ++k, p *= 10) pow10[kPow10Range + k] = FromInt(p);
    for (int k = 39; k <= kPow10Range; ++k) {
      pow10[kPow10Range + k] = Mul(pow10[kPow10Range + k - 38], pow10[kPow10Range + 38]);
    }
    const W one = FromInt(1);
    for (int k = 1; k <= kPow10Range; ++k) {
      pow10[kPow10Range - k] = Div(one, pow10[kPow10Range + k]);
    }
    u128 f = 1;
    for (int n = 0; n <= 40; ++n) {
      if (n > 0 && n <= 34) f *= n;
      invFact[n] = n <= 34 ? Div(one, FromInt(f)) : Div(invFact[n - 1], FromInt(n));
      fixInvFact[n] = ToFix(invFact[n]);
    }
    radToDeg = Div(FromInt(180), Pi());
    radToGrad = Div(FromInt(200), Pi());
    halfPiPerDegQuarter = Div(HalfPi(), FromInt(90));
    halfPiPerGradQuarter = Div(HalfPi(), FromInt(100));
  }
};

const Tables& T() {
  static const Tables tables;
  return tables;
}

}  // namespace

W Pow10(int k) {
  if (k > kPow10Range) k = kPow10Range;
  if (k < -kPow10Range) k = -kPow10Range;
  return T().pow10[kPow10Range + k];
}

W Pi() {
  return Const(0xc90fdaa22168c234ull, 0xc4c6628b80dc1cd1ull, -126);
}
W HalfPi() {
  return Const(0xc90fdaa22168c234ull, 0xc4c6628b80dc1cd1ull, -127);
}
W Ln2() {
  return Const(0xb17217f7d1cf79abull, 0xc9e3b39803f2f6afull, -128);
}
W Ln10() {
  return Const(0x935d8dddaaa8ac16ull, 0xea56d62b82d30a29ull, -126);
}

int FromBcd(const BcdNumber* x, W* w) {
  if (bcd_internal::IsFractionRecord(x)) {  // exactly num/den, not its 15 digits
    bcd_internal::Frac f;
    if (int code = bcd_internal::ReadFraction(x, &f)) return code;
    *w = Div(FromInt(f.num, f.neg), FromInt(f.den));
    return 0;
  }
  bcd_internal::Dec d;
  if (int code = bcd_internal::ReadReal(x, &d)) return code;
  if (d.m == 0) {
    *w = W{};
    return 0;
  }
  // Trailing zeros off, so that whole numbers come out exact.
  uint64_t m = d.m;
  int j = d.e - 14;
  while (m % 10 == 0) {
    m /= 10;
    ++j;
  }
  W n = FromInt(m, d.neg);
  *w = Mul(n, Pow10(j));
  return 0;
}

namespace {

int Fail3(BcdNumber* out) {
  BcdError(out, kBcdErrMa);
  return 0;
}

}  // namespace

int ToBcd(const W& x, BcdNumber* out) {
  using namespace bcd_internal;
  if (!x.m) {
    WriteZero(out);
    return 1;
  }
  double lg = (x.e + 127) * 0.30102999566398119521 +
              std::log10(std::ldexp(double(uint64_t(x.m >> 64)), -63));
  int e = int(std::floor(lg));
  if (e > 110) return Fail3(out);
  if (e < -120) {
    WriteZero(out);
    return 1;
  }
  // Scale to 16 digits before the point: s in [10^15, 10^16).
  const W lo = Pow10(15), hi = Pow10(16);
  W s = Mul(Abs(x), Pow10(15 - e));
  for (int guard = 0; guard < 3; ++guard) {
    if (CompareAbs(s, hi) >= 0) {
      ++e;
    } else if (CompareAbs(s, lo) < 0) {
      --e;
    } else {
      break;
    }
    s = Mul(Abs(x), Pow10(15 - e));
  }
  int shift = -s.e;  // s < 2^54, so the point lies 74 or more bits down
  if (shift < 64 || shift > 100) return Fail3(out);
  uint64_t digits = uint64_t(s.m >> shift);
  u128 frac = s.m << (128 - shift);
  const u128 eps = (u128)1 << 72;
  if (frac >= ~eps) {
    ++digits;
  }
  uint64_t r = digits / 10 + (digits % 10 >= 5 ? 1 : 0);
  if (r >= kMant15End) {
    r /= 10;
    ++e;
  }
  return StoreDec(x.neg, r, e, out);
}

// ---- Functions -----------------------------------------------------------------------

W ExpM1(const W& x) {
  if (!x.m) return W{};
  if (Log2(x) >= 0) return Sub(Exp(x), FromInt(1));  // |x| >= 1: no cancellation
  // x * (1 + x/2! + x^2/3! + ...), the sum to 1/35!.
  const auto& f = T().fixInvFact;
  i128 fx = ToFix(x), sum = f[35];
  for (int n = 34; n >= 1; --n) sum = f[n] + FixMul(fx, sum);
  return Mul(x, FromFix(sum));
}

W Exp(const W& x) {
  if (!x.m) return FromInt(1);
  double k = std::nearbyint(ToDouble(x) / 0.69314718055994530942);
  W r = Sub(x, Mul(FromDouble(k), Ln2()));
  return Scale2(Add(FromInt(1), ExpM1(r)), int(k));
}

W Ln(const W& x) {
  // x = xn * 2^k with xn in [0.75, 1.5): ln x = k ln 2 + ln xn.
  int k = x.e + 127;
  W xn{x.m, -127, false};
  if (xn.m >= ((u128)3 << 126)) {
    xn.e -= 1;
    k += 1;
  }
  // Halley's step from the double estimate: cubic, so one step is plenty.
  W y = FromDouble(std::log(ToDouble(xn)));
  W ey = Exp(y);
  y = Add(y, Scale2(Div(Sub(xn, ey), Add(xn, ey)), 1));
  if (k == 0) return y;
  return Add(Mul(FromInt(u128(k < 0 ? -k : k), k < 0), Ln2()), y);
}

W Log1p(const W& t) {
  if (!t.m) return W{};
  if (Log2(t) >= -2) return Ln(Add(FromInt(1), t));
  W y = FromDouble(std::log1p(ToDouble(t)));
  W e = ExpM1(y);
  return Add(y, Scale2(Div(Sub(t, e), Add(Add(FromInt(2), t), e)), 1));
}

void SinCosSmall(const W& r, W* s, W* c) {
  // sin r = r (1 - z/3! + z^2/5! - ...), cos r = 1 - z/2! + ..., z = r^2.
  const auto& f = T().fixInvFact;
  i128 z = ToFix(Mul(r, r));
  if (s) {
    i128 sum = f[35];
    for (int n = 33; n >= 1; n -= 2) sum = f[n] - FixMul(z, sum);
    *s = Mul(r, FromFix(sum));
  }
  if (c) {
    i128 sum = f[34];
    for (int n = 32; n >= 0; n -= 2) sum = f[n] - FixMul(z, sum);
    *c = FromFix(sum);
  }
}

W Atan(const W& x) {
  if (!x.m) return W{};
  if (Log2(x) >= 0 && CompareAbs(x, FromInt(1)) > 0) {
    W a = Sub(HalfPi(), Atan(Div(FromInt(1), Abs(x))));
    return x.neg ? Neg(a) : a;
  }
  if (Log2(x) < -40) {  // x - x^3/3 + x^5/5, the rest below 2^-280
    W x2 = Mul(x, x);
    W t = Sub(Div(FromInt(1), FromInt(3)), Mul(x2, Div(FromInt(1), FromInt(5))));
    return Sub(x, Mul(Mul(x, x2), t));
  }
  // Newton on sin y - x cos y = 0 from the double estimate (53 -> 106 bits).
  W y = FromDouble(std::atan(ToDouble(x)));
  W s, c;
  SinCosSmall(y, &s, &c);
  W fy = Sub(s, Mul(x, c));
  W dfy = Add(c, Mul(x, s));
  return Sub(y, Div(fy, dfy));
}

W Atan2(const W& y, const W& x) {
  if (!y.m) return x.neg ? Pi() : W{};
  if (!x.m) return y.neg ? Neg(HalfPi()) : HalfPi();
  if (CompareAbs(y, x) <= 0) {
    W a = Atan(Div(y, x));
    if (!x.neg) return a;
    return y.neg ? Sub(a, Pi()) : Add(a, Pi());
  }
  W a = Sub(HalfPi(), Atan(Div(Abs(x), Abs(y))));
  if (x.neg) a = Sub(Pi(), a);
  return y.neg ? Neg(a) : a;
}

// ---- Argument reduction -----------------------------------------------------------------

namespace {

// floor(2/pi * 2^704), least significant word first.
constexpr uint64_t kTwoOverPi[11] = {
    0x9c845f8bbdf9283bull, 0x3991d639835339f4ull, 0xe99c7026b45f7e41ull, 0xe88235f52ebb4484ull,
    0xfe1deb1cb129a73eull, 0x06492eea09d1921cull, 0xb7246e3a424dd2e0ull, 0xfe5163abdebbc561ull,
    0xdb6295993c439041ull, 0xfc2757d1f534ddc0ull, 0xa2f9836e4e441529ull};

constexpr int kBigWords = 18;

struct Big {
  uint64_t w[kBigWords] = {};
  int n = 0;  // words in use
};

void BigMulSmall(Big* a, uint64_t k) {
  u128 carry = 0;
  for (int i = 0; i < a->n; ++i) {
    u128 t = (u128)a->w[i] * k + carry;
    a->w[i] = uint64_t(t);
    carry = t >> 64;
  }
  if (carry) a->w[a->n++] = uint64_t(carry);
}

void BigDivSmall(Big* a, uint64_t k) {
  u128 rem = 0;
  for (int i = a->n - 1; i >= 0; --i) {
    u128 t = rem << 64 | a->w[i];
    a->w[i] = uint64_t(t / k);
    rem = t % k;
  }
}

uint64_t PowMod10(int j, uint64_t mod) {
  uint64_t r = 1 % mod;
  for (int i = 0; i < j; ++i) r = r * 10 % mod;
  return r;
}

// |x| * 2/pi for x = n * 10^j: the quadrant and the signed remainder in
// quarter turns, read from the 704 fraction bits of the exact product.
void ReduceRadians(uint64_t n, int j, Reduced* out) {
  Big x;
  x.w[0] = n;
  x.n = 1;
  for (int i = 0; i < j; ++i) BigMulSmall(&x, 10);
  // Below 10^14 (a 50-bit integer over a power of ten) the low 320 bits of
  // 2/pi cannot reach the 250 bits of the remainder that count: leave them out.
  const int drop = j < 0 ? 5 : 0, cw = 11 - drop;
  Big p;
  p.n = x.n + cw;
  for (int i = 0; i < x.n; ++i) {
    u128 carry = 0;
    for (int k = 0; k < cw; ++k) {
      u128 t = (u128)x.w[i] * kTwoOverPi[drop + k] + p.w[i + k] + carry;
      p.w[i + k] = uint64_t(t);
      carry = t >> 64;
    }
    p.w[i + cw] = uint64_t(carry);
  }
  if (j < 0) BigDivSmall(&p, bcd_internal::kPow10[-j]);
  // Quarter turns: the integer part from word cw up, the fraction below it.
  int q = int(p.w[cw] & 3);
  bool neg = (p.w[cw - 1] >> 63) != 0;
  if (neg) {  // past half a quarter: count the next quadrant, take 1 - f
    q = (q + 1) & 3;
    uint64_t borrow = 0;
    for (int i = 0; i < cw; ++i) {
      u128 t = (u128)0 - p.w[i] - borrow;
      p.w[i] = uint64_t(t);
      borrow = (t >> 64) ? 1 : 0;
    }
  }
  out->quadrant = q;
  int top = cw - 1;
  while (top >= 0 && p.w[top] == 0) --top;
  if (top < 0) {
    out->r = W{};
    out->exactZero = true;
    return;
  }
  u128 m = (u128)p.w[top] << 64 | (top > 0 ? p.w[top - 1] : 0);
  int s = Clz128(m);
  if (s) m = m << s | (top > 1 ? p.w[top - 2] >> (64 - s) : 0);
  W f{m, (top - 1) * 64 - s - 64 * cw, neg};
  out->r = Mul(f, HalfPi());
  out->exactZero = false;
}

}  // namespace

namespace {

// An exact angle 0 <= rem < 4 quarters (in the caller's units) as its
// quadrant and the signed rest nearest to it, which is returned.
W FoldQuarters(u128 rem, u128 quarter, Reduced* out) {
  int q = int(rem / quarter);
  rem %= quarter;
  bool neg = false;
  if (2 * rem > quarter) {
    q = (q + 1) & 3;
    rem = quarter - rem;
    neg = true;
  }
  out->quadrant = q;
  out->exactZero = rem == 0;
  return FromInt(rem, neg);
}

// A fraction's angle in degrees or grads, reduced exactly in its own
// integers: num/den mod the turn.
int ReduceFraction(const BcdNumber* xr, int angleUnit, Reduced* out) {
  bcd_internal::Frac f;
  if (int code = bcd_internal::ReadFraction(xr, &f)) return code;
  *out = Reduced{};
  const u128 quarter = (angleUnit == kFnDegrees ? 90 : 100) * f.den;
  W rest = FoldQuarters(f.num % (4 * quarter), quarter, out);
  out->r = ToRadians(Div(rest, FromInt(f.den)), angleUnit);
  return 0;
}

}  // namespace

int ReduceAngle(const BcdNumber* xr, int angleUnit, Reduced* out) {
  if (bcd_internal::IsFractionRecord(xr)) {
    if (angleUnit != kFnRadians) return ReduceFraction(xr, angleUnit, out);
    W x;
    if (int code = FromBcd(xr, &x)) return code;
    *out = ReduceWide(Abs(x));  // a fraction is below 10^15: 128 bits of pi serve
    return 0;
  }
  bcd_internal::Dec d;
  if (int code = bcd_internal::ReadReal(xr, &d)) return code;
  *out = Reduced{};
  if (d.m == 0) {
    out->exactZero = true;
    return 0;
  }
  int j = d.e - 14;  // |x| = m * 10^j
  if (angleUnit == kFnRadians) {
    W x = FromInt(d.m);
    x = Mul(x, Pow10(j));
    if (CompareAbs(x, Scale2(HalfPi(), -1)) <= 0) {
      out->r = x;
      return 0;
    }
    ReduceRadians(d.m, j, out);
    return 0;
  }
  const uint64_t turn = angleUnit == kFnDegrees ? 360 : 400;
  const uint64_t quarter = turn / 4;
  const W& perQuarter =
      angleUnit == kFnDegrees ? T().halfPiPerDegQuarter : T().halfPiPerGradQuarter;
  if (j < -16) {  // below a hundredth: no turn to take off
    out->r = Mul(Mul(FromInt(d.m), Pow10(j)), perQuarter);
    return 0;
  }
  // Exactly, in integers of 10^-s units.
  int s = j < 0 ? -j : 0;
  uint64_t scale = bcd_internal::kPow10[s];
  uint64_t rem = j >= 0 ? (d.m % turn) * PowMod10(j, turn) % turn : d.m % (turn * scale);
  W rest = FoldQuarters(rem, quarter * scale, out);
  out->r = Mul(Mul(rest, Pow10(-s)), perQuarter);
  return 0;
}

Reduced ReduceWide(const W& x) {
  Reduced out;
  out.r = x;
  // The double quotient is off by up to |x| 2^-53 quarter turns, so a large
  // x takes a second round.
  while (CompareAbs(out.r, Scale2(HalfPi(), -1)) > 0) {
    double k = std::nearbyint(ToDouble(out.r) / 1.57079632679489661923);
    if (k == 0) break;  // a hair above pi/4: the series takes it as it is
    out.r = Sub(out.r, Mul(FromDouble(k), HalfPi()));
    out.quadrant = (out.quadrant + (int(int64_t(std::fmod(k, 4.0) + 4)) & 3)) & 3;
  }
  out.exactZero = !out.r.m;
  return out;
}

void SinCosReduced(const Reduced& a, W* s, W* c) {
  // Odd quadrants swap the two series: run only the ones asked for.
  bool odd = a.quadrant & 1;
  bool wantSin = (s && !odd) || (c && odd), wantCos = (s && odd) || (c && !odd);
  W s0, c0 = FromInt(1);
  if (!a.exactZero) SinCosSmall(a.r, wantSin ? &s0 : nullptr, wantCos ? &c0 : nullptr);
  bool negSin = a.quadrant >= 2, negCos = a.quadrant == 1 || a.quadrant == 2;
  if (s) *s = odd ? c0 : s0;
  if (c) *c = odd ? s0 : c0;
  if (s && negSin) *s = Neg(*s);
  if (c && negCos) *c = Neg(*c);
}

W FromRadians(const W& x, int angleUnit) {
  if (angleUnit == kFnDegrees) return Mul(x, T().radToDeg);
  if (angleUnit == kFnGrads) return Mul(x, T().radToGrad);
  return x;
}

W ToRadians(const W& x, int angleUnit) {
  if (angleUnit == kFnRadians) return x;
  const W& perQuarter =
      angleUnit == kFnDegrees ? T().halfPiPerDegQuarter : T().halfPiPerGradQuarter;
  return Mul(x, perQuarter);
}

}  // namespace fn_wide
