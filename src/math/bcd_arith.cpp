// The real primitives. Operands are unpacked to a 15-digit binary mantissa;
// each primitive forms the first 16 digits of the exact result (truncated:
// rounding half away from zero needs only the 16th digit) in 64 or 128 bits,
// and the packer rounds. So every result is the exact one rounded once.
#include <cmath>
#include <utility>

#include "math/bcd.h"
#include "math/bcd_internal.h"
#include "math/bcd_work.h"

using namespace bcd_internal;

namespace {

using u128 = unsigned __int128;

int Fail(BcdNumber* out, int code) {
  BcdError(out, code);
  return 0;
}

}  // namespace

int bcd_internal::AddDec(Dec a, Dec b, BcdNumber* out) {
  if (b.m == 0) return StoreDec(a, out);
  if (a.m == 0) return StoreDec(b, out);
  if (b.e > a.e || (b.e == a.e && b.m > a.m)) std::swap(a, b);  // |a| >= |b|
  int d = a.e - b.e;
  // Beyond 16 places the smaller operand cannot reach the 16th digit of the
  // larger one, not even as a borrow: the result is the larger unchanged.
  if (d > 16) return StoreDec(a, out);
  if (a.neg == b.neg) {
    if (d == 0) {
      uint64_t s = a.m + b.m;
      return s >= kMant15End ? Round16(a.neg, s, a.e + 1, out) : StoreDec(a.neg, s, a.e, out);
    }
    // The first 16 digits: 10a plus the part of b above the 16th place.
    uint64_t t = a.m * 10 + b.m / kPow10[d - 1];
    return t >= kMant16End ? Round16(a.neg, t / 10, a.e + 1, out) : Round16(a.neg, t, a.e, out);
  }
  if (d == 0) return RoundScaled(a.neg, a.m - b.m, a.e - 14, out);
  if (d == 1) return RoundScaled(a.neg, a.m * 10 - b.m, a.e - 15, out);
  // At most one leading digit cancels, so 17 places carry the 16 needed; the
  // part of b below them is borrowed as a whole unit (floor of the exact
  // difference).
  uint64_t p = kPow10[d - 2];
  uint64_t t = a.m * 100 - (b.m + p - 1) / p;
  return t >= kMant16End ? Round16(a.neg, t / 10, a.e, out) : Round16(a.neg, t, a.e - 1, out);
}

int bcd_internal::MulDec(const Dec& a, const Dec& b, BcdNumber* out) {
  if (a.m == 0 || b.m == 0) {
    WriteZero(out);
    return 1;
  }
  bool neg = a.neg != b.neg;
  // The 30-digit product floor(a*b / 10^13) from 8-digit halves, all in 64 bits.
  uint64_t ah = a.m / 100000000, al = a.m % 100000000;
  uint64_t bh = b.m / 100000000, bl = b.m % 100000000;
  uint64_t cross = ah * bl + al * bh;
  uint64_t t = ah * bh * 1000 + cross / 100000 +
               ((cross % 100000) * 100000000 + al * bl) / 10000000000000ull;
  int e = a.e + b.e;
  return t >= kMant16End ? Round16(neg, t / 10, e + 1, out) : Round16(neg, t, e, out);
}

int bcd_internal::DivDec(const Dec& a, const Dec& b, BcdNumber* out) {
  if (b.m == 0) return Fail(out, kBcdErrMa);
  if (a.m == 0) {
    WriteZero(out);
    return 1;
  }
  bool neg = a.neg != b.neg;
  int e = a.e - b.e;
  uint64_t scale = kPow10[15];
  if (a.m < b.m) {
    scale = kPow10[16];
    --e;
  }
  // Quotient of 16 digits: a double estimate, then exact correction.
  u128 num = (u128)a.m * scale;
  uint64_t q = uint64_t(double(a.m) / double(b.m) * double(scale));
  u128 qb = (u128)q * b.m;
  while (qb > num) {
    --q;
    qb -= b.m;
  }
  while (num - qb >= b.m) {
    ++q;
    qb += b.m;
  }
  return Round16(neg, q, e, out);
}

int bcd_internal::CompareDec(const Dec& a, const Dec& b) {
  int sa = a.m == 0 ? 0 : (a.neg ? -1 : 1);
  int sb = b.m == 0 ? 0 : (b.neg ? -1 : 1);
  if (sa != sb) return sa < sb ? -1 : 1;
  if (sa == 0) return 0;
  int mag = a.e != b.e ? (a.e < b.e ? -1 : 1) : (a.m == b.m ? 0 : (a.m < b.m ? -1 : 1));
  return sa * mag;
}

bool bcd_internal::DecIsInteger(const Dec& d) {
  if (d.m == 0 || d.e >= 14) return true;
  if (d.e < 0) return false;
  return d.m % kPow10[14 - d.e] == 0;
}

bool bcd_internal::DecIsOdd(const Dec& y) {
  if (y.m == 0 || y.e > 14 || y.e < 0) return false;
  return (y.m / kPow10[14 - y.e]) % 2 == 1;
}

namespace {

// floor(sqrt(n)) for n < 2^127.
uint64_t IntegerSqrt(u128 n) {
  uint64_t s = uint64_t(sqrtl((long double)n));
  while ((u128)s * s > n) --s;
  while ((u128)(s + 1) * (s + 1) <= n) ++s;
  return s;
}

int SqrtDec(const Dec& x, BcdNumber* out) {
  if (x.m == 0) {
    WriteZero(out);
    return 1;
  }
  if (x.neg) return Fail(out, kBcdErrMa);
  // m * 10^j with e - j even gives a 16-digit root.
  int j = (x.e & 1) ? 17 : 16;
  u128 n = (u128)x.m * kPow10[j - 8] * kPow10[8];
  return Round16(false, IntegerSqrt(n), (x.e - (j - 16)) / 2, out);
}

// |x|^n exactly while the product fits 127 bits; false when it does not.
bool ExactPower(const Dec& x, uint64_t n, BcdNumber* out, bool neg) {
  uint64_t m = x.m;
  int scale = x.e - 14;
  while (m % 10 == 0) {
    m /= 10;
    ++scale;
  }
  u128 p = 1, base = m;
  const u128 kLimit = ~(u128)0 >> 1;
  for (uint64_t k = n;;) {
    if (k & 1) {
      if (p > kLimit / base) return false;
      p *= base;
    }
    k >>= 1;
    if (!k) break;
    if (base > kLimit / base) return false;
    base *= base;
  }
  int64_t exp10 = scale * int64_t(n);  // p * 10^exp10, p below 39 digits
  if (exp10 > 200) {
    BcdError(out, kBcdErrMa);
    return true;
  }
  if (exp10 < -300) {
    WriteZero(out);
    return true;
  }
  BcdWork w;
  w.mant = p;
  w.neg = neg;
  w.exp = int(exp10) + 22;
  BcdPack(&w, out);
  return true;
}

}  // namespace

int bcd_internal::SqrtDecimal(const BcdNumber* x, BcdNumber* out) {
  Dec d;
  if (int code = ReadReal(x, &d)) return Fail(out, code);
  return SqrtDec(d, out);
}

// x^y on decimal values (fractions already read as their decimal value).
int bcd_internal::PowDecimal(const BcdNumber* xr, const BcdNumber* yr, BcdNumber* out) {
  Dec x, y;
  if (int code = ReadReal(xr, &x)) return Fail(out, code);
  if (int code = ReadReal(yr, &y)) return Fail(out, code);
  if (y.m == 2 * kMant15Min && y.e == 0 && !y.neg) return MulDec(x, x, out);
  if (y.m == kMant15Min && y.e == 0 && y.neg) return DivDec(Dec{kMant15Min, 0, false}, x, out);
  bool yInt = DecIsInteger(y);
  if (x.neg && !yInt) {
    if (auto hook = BcdGetHooks().realRoot) {
      BcdNumber xs = *xr, ys = *yr;
      return hook(&xs, &ys, out);
    }
    return Fail(out, kBcdErrNonReal);
  }
  if (x.m == 0) {
    if (y.m == 0 || y.neg) return Fail(out, kBcdErrMa);
    WriteZero(out);
    return 1;
  }
  if (y.m == 0) return StoreDec(false, kMant15Min, 0, out);
  bool neg = x.neg && DecIsOdd(y);
  if (yInt && !y.neg && y.e <= 2 && ExactPower(x, y.m / kPow10[14 - y.e], out, neg)) {
    return BcdErrorCode(out) ? 0 : 1;
  }
  Dec ax = x;
  ax.neg = false;
  BcdNumber axr;
  StoreDec(ax, &axr);
  long double v = powl(BcdToLongDouble(&axr), BcdToLongDouble(yr));
  if (std::isinf(v)) return Fail(out, kBcdErrMa);
  return BcdFromLongDouble(neg ? -v : v, out);
}
