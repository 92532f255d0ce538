// Powers and roots: the ^ operator with the real-root rule, the x-root
// operator, the complex power, the decimal to fraction conversion, and the
// hooks through which the number core reaches them.
#include <cstdlib>

#include "math/bcd_internal.h"
#include "math/functions.h"
#include "math/functions_internal.h"
#include "math/functions_wide.h"

using namespace fn_wide;
using namespace fn_internal;
using u128 = unsigned __int128;

namespace {

// |x|^y for x != 0 on the wide form, negated when asked.
int PowerOfMagnitude(const W& x, const W& y, bool negate, BcdNumber* out) {
  return RealExp(Mul(y, Ln(Abs(x))), negate, out);
}

bool IsIntegerValue(const BcdNumber* x) {
  bcd_internal::Dec d;
  if (bcd_internal::IsFractionRecord(x)) return false;  // a fraction record is never whole
  return bcd_internal::ReadReal(x, &d) == 0 && bcd_internal::DecIsInteger(d);
}

bool IsOddInteger(const BcdNumber* x) {
  bcd_internal::Dec d;
  return bcd_internal::ReadReal(x, &d) == 0 && bcd_internal::DecIsOdd(d);
}

// The integer value of a whole record of at most 18 digits.
bool SmallInteger(const BcdNumber* x, int64_t* n) {
  bcd_internal::Dec d;
  if (bcd_internal::ReadReal(x, &d) || !bcd_internal::DecIsInteger(d)) return false;
  if (d.m == 0) {
    *n = 0;
    return true;
  }
  if (d.e > 17) return false;
  int64_t v = d.e >= 14 ? int64_t(d.m) * int64_t(bcd_internal::kPow10[d.e - 14])
                        : int64_t(d.m / bcd_internal::kPow10[14 - d.e]);
  *n = d.neg ? -v : v;
  return true;
}

// z^n by squaring, for a modest integer n.
void ComplexIntegerPower(W a, W b, uint64_t n, W* re, W* im) {
  W pr = FromInt(1), pi;
  while (n) {
    if (n & 1) {
      W t = Sub(Mul(pr, a), Mul(pi, b));
      pi = Add(Mul(pr, b), Mul(pi, a));
      pr = t;
    }
    n >>= 1;
    if (!n) break;
    W t = Sub(Mul(a, a), Mul(b, b));
    b = Scale2(Mul(a, b), 1);
    a = t;
  }
  *re = pr;
  *im = pi;
}

// The real-root rule on an exponent already known as p/q.
int RealRootOf(const W& x, int64_t p, int64_t q, BcdNumber* out) {
  if (q % 2 == 0) return Fail(out, kBcdErrNonReal);
  W y = Div(FromInt(u128(std::llabs(p)), p < 0), FromInt(u128(q)));
  return PowerOfMagnitude(x, y, (p % 2) != 0, out);
}

}  // namespace

// ---- Decimal to fraction ------------------------------------------------------------

bool FnDecimalToFraction(const BcdNumber* x, int64_t* p, int64_t* q) {
  using namespace bcd_internal;
  constexpr u128 kMaxDen = u128(1000000000000000000ull);
  if (IsErrorRecord(x) || BcdKind(x) != kBcdKindScalar || BcdIsComplex(x)) return false;
  if (IsFractionRecord(x)) {
    Frac f;
    if (ReadFraction(x, &f) || f.num >= kMaxDen || f.den >= kMaxDen) return false;
    *p = f.neg ? -int64_t(f.num) : int64_t(f.num);
    *q = int64_t(f.den);
    return true;
  }
  Dec d;
  if (ReadReal(x, &d)) return false;
  if (DecIsInteger(d)) {
    int64_t n;
    if (!SmallInteger(x, &n)) return false;
    *p = n;
    *q = 1;
    return true;
  }
  // No fraction with q below 10^18 comes within half a unit of anything
  // smaller than 10^-18.
  if (d.e < -18) return false;
  // |x| = A / B exactly. The convergents of A / B by Euclid's algorithm; the
  // error of p_k/q_k is r_(k+1) / (B q_k), and half a unit of the 15th digit
  // is 1 / (2B), so the first with 2 r_(k+1) <= q_k rounds to x.
  u128 a = d.m, b = 1;
  for (int i = 0; i < 14 - d.e; ++i) b *= 10;
  u128 p0 = 0, q0 = 1, p1 = 1, q1 = 0;  // convergents k-2 and k-1
  u128 r0 = a, r1 = b;
  while (r1 != 0) {
    u128 ak = r0 / r1, r2 = r0 % r1;
    u128 pk = ak * p1 + p0, qk = ak * q1 + q0;
    if (qk >= kMaxDen || pk >= kMaxDen) return false;
    if (2 * r2 <= qk) {
      *p = d.neg ? -int64_t(pk) : int64_t(pk);
      *q = int64_t(qk);
      return true;
    }
    p0 = p1;
    q0 = q1;
    p1 = pk;
    q1 = qk;
    r0 = r1;
    r1 = r2;
  }
  return false;
}

// ---- Powers ----------------------------------------------------------------------------

int FnRealRoot(const BcdNumber* x, const BcdNumber* y, BcdNumber* r) {
  if (PassError(x, r) || PassError(y, r)) return 0;
  int64_t p, q;
  if (!FnDecimalToFraction(y, &p, &q)) return Fail(r, kBcdErrNonReal);
  W w;
  if (int code = FromBcd(x, &w)) return Fail(r, code);
  if (IsZero(w)) return Fail(r, kBcdErrMa);
  return RealRootOf(w, p, q, r);
}

int FnComplexPow(const BcdNumber* z, const BcdNumber* w, BcdNumber* r) {
  if (PassError(z, r) || PassError(w, r)) return 0;
  W a, b, c, d;
  if (int code = WideParts(z, &a, &b)) return Fail(r, code);
  if (int code = WideParts(w, &c, &d)) return Fail(r, code);
  if (IsZero(a) && IsZero(b)) {
    if (IsZero(d) && !IsZero(c) && !c.neg) {
      BcdZero(r);
      return 1;
    }
    return Fail(r, kBcdErrMa);
  }
  int64_t n;
  constexpr int64_t kSquaringLimit = 1 << 16;
  if (!BcdIsComplex(w) && SmallInteger(w, &n) && std::llabs(n) <= kSquaringLimit) {
    W re, im;
    ComplexIntegerPower(a, b, uint64_t(std::llabs(n)), &re, &im);
    if (n < 0) {  // 1 / (re + im i)
      W den = Add(Mul(re, re), Mul(im, im));
      re = Div(re, den);
      im = Neg(Div(im, den));
    }
    return PackComplex(re, im, r);
  }
  W lr, li;
  WideComplexLn(a, b, &lr, &li);
  W pr = Sub(Mul(c, lr), Mul(d, li));
  W pi = Add(Mul(c, li), Mul(d, lr));
  return WideComplexExp(pr, pi, r);
}

int FnPower(const BcdNumber* x, const BcdNumber* y, BcdNumber* r, const FnMode& mode) {
  if (PassError(x, r) || PassError(y, r)) return 0;
  if (BcdKind(x) != kBcdKindScalar || BcdKind(y) != kBcdKindScalar) return Fail(r, kBcdErrMa);
  if (BcdIsComplex(x) || BcdIsComplex(y)) return FnComplexPow(x, y, r);
  bool xNeg = BcdIsNegative(x);
  bool yInt = IsIntegerValue(y);
  if (xNeg && !yInt) {
    if (mode.complexMode != kFnReal) return FnComplexPow(x, y, r);
    return FnRealRoot(x, y, r);
  }
  // The core keeps a fraction exact where the result is one ((1/4)^0.5 is
  // 1/2); where it falls back to 15-digit decimals the exact value below
  // does better.
  if (bcd_internal::IsFractionRecord(x) && !bcd_internal::IsFractionRecord(y)) {
    BcdNumber xs = *x, ys = *y, t[2];
    int rc = BcdPow(&xs, &ys, t);
    if (!rc || bcd_internal::IsFractionRecord(t) || BcdIsInteger(t)) {
      r[0] = t[0];
      if (BcdIsComplex(t)) r[1] = t[1];
      return rc;
    }
  }
  W wx, wy;
  if (int code = FromBcd(x, &wx)) return Fail(r, code);
  if (int code = FromBcd(y, &wy)) return Fail(r, code);
  if (IsZero(wx)) {
    if (IsZero(wy) || wy.neg) return Fail(r, kBcdErrMa);
    BcdZero(r);
    return 1;
  }
  if (IsZero(wy)) {
    BcdConst(r, kBcdOne);
    return 1;
  }
  return PowerOfMagnitude(wx, wy, xNeg && IsOddInteger(y), r);
}

int FnRoot(const BcdNumber* n, const BcdNumber* x, BcdNumber* r, const FnMode& mode) {
  if (PassError(n, r) || PassError(x, r)) return 0;
  if (BcdKind(n) != kBcdKindScalar || BcdKind(x) != kBcdKindScalar) return Fail(r, kBcdErrMa);
  if (BcdIsZero(n)) return Fail(r, kBcdErrMa);
  int64_t k;
  if (!BcdIsComplex(n) && !BcdIsComplex(x) && SmallInteger(n, &k)) {
    // 1/k exactly: the real root of a negative x for odd k.
    W wx;
    if (int code = FromBcd(x, &wx)) return Fail(r, code);
    if (IsZero(wx)) {
      if (k < 0) return Fail(r, kBcdErrMa);
      BcdZero(r);
      return 1;
    }
    if (!wx.neg) {
      W inv = Div(FromInt(1, k < 0), FromInt(u128(std::llabs(k))));
      return PowerOfMagnitude(wx, inv, false, r);
    }
    if (mode.complexMode == kFnReal) return RealRootOf(wx, k < 0 ? -1 : 1, std::llabs(k), r);
  }
  BcdNumber one[2], inv[2];  // 1/n is complex for a complex n
  BcdConst(one, kBcdOne);
  if (BcdIsComplex(n)) {
    FnComplexDiv(one, n, inv);
  } else {
    BcdDiv(one, n, inv);
  }
  return FnPower(x, inv, r, mode);
}

// ---- Hooks -------------------------------------------------------------------------------

namespace {

int ComplexHook(int op, const BcdNumber* a, const BcdNumber* b, BcdNumber* r) {
  if (op == kBcdOpDiv) return FnComplexDiv(a, b, r);
  if (op == kBcdOpPow) return FnComplexPow(a, b, r);
  return Fail(r, kBcdErrMa);
}

}  // namespace

void FnInstallHooks() {
  BcdHooks hooks = BcdGetHooks();
  hooks.complex = ComplexHook;
  hooks.realRoot = FnRealRoot;
  BcdSetHooks(hooks);
}
