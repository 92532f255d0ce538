// The complex functions: division, modulus, argument, square root,
// logarithms, exponentials, powers and the polar form, on the wide form.
#include "math/bcd_internal.h"
#include "math/functions.h"
#include "math/functions_internal.h"
#include "math/functions_wide.h"

using namespace fn_wide;
using namespace fn_internal;

namespace fn_internal {

int WideParts(const BcdNumber* z, W* re, W* im) {
  if (IsErrorRecord(z)) return BcdErrorCode(z);
  if (BcdKind(z) != kBcdKindScalar) return kBcdErrMa;
  BcdNumber a, b;
  BcdComplexSplit(z, &a, &b);
  if (int code = FromBcd(&a, re)) return code;
  return FromBcd(&b, im);
}

int PackComplex(W re, W im, BcdNumber* out, bool dropNoise) {
  constexpr int kNoise = 100;
  if (dropNoise && !IsZero(re) && !IsZero(im)) {
    if (Log2(re) < Log2(im) - kNoise) {
      re = W{};
    } else if (Log2(im) < Log2(re) - kNoise) {
      im = W{};
    }
  }
  BcdNumber a, b;
  ToBcd(re, &a);
  ToBcd(im, &b);
  return BcdComplexMake(&a, &b, out);
}

void WideComplexLn(const W& a, const W& b, W* re, W* im) {
  W n2 = Add(Mul(a, a), Mul(b, b));
  const W one = FromInt(1);
  // Near the unit circle ln |z| is a small difference: take it as
  // log1p((a - 1)(a + 1) + b^2), which keeps it.
  if (Log2(n2) == 0 || Log2(n2) == -1) {
    *re = Scale2(Log1p(Add(Mul(Sub(a, one), Add(a, one)), Mul(b, b))), -1);
  } else {
    *re = Scale2(Ln(n2), -1);
  }
  *im = Atan2(b, a);
}

bool ExpBeyondRecord(const W& x, BcdNumber* out, int* rc) {
  static const W limit = FromInt(240);
  if (CompareAbs(x, limit) <= 0) return false;
  if (x.neg) {
    BcdZero(out);
    *rc = 1;
  } else {
    *rc = Fail(out, kBcdErrMa);
  }
  return true;
}

int RealExp(const W& x, bool negate, BcdNumber* out) {
  int rc;
  if (ExpBeyondRecord(x, out, &rc)) return rc;
  W v = Exp(x);
  return ToBcd(negate ? Neg(v) : v, out);
}

namespace {

// e^a (cos + i sin) of an angle already reduced.
int ExpOfReduced(const W& a, const Reduced& angle, bool negAngle, bool exactAngle, BcdNumber* out) {
  int rc;
  if (ExpBeyondRecord(a, out, &rc)) return rc;
  W s, c;
  SinCosReduced(angle, &s, &c);
  if (negAngle) s = Neg(s);
  W m = Exp(a);
  return PackComplex(Mul(m, c), Mul(m, s), out, !exactAngle);
}

// Beyond this the angle of a computed exponent has no digit left.
const W& AngleLimit() {
  static const W limit = Scale2(FromInt(1), 60);
  return limit;
}

}  // namespace

int WideComplexExp(const W& a, const W& b, BcdNumber* out) {
  if (CompareAbs(b, AngleLimit()) > 0) return Fail(out, kBcdErrMa);
  return ExpOfReduced(a, ReduceWide(Abs(b)), b.neg, false, out);
}

}  // namespace fn_internal

namespace {

// Both operands read; false (error written) when either cannot be.
bool ReadParts(const BcdNumber* z, W* re, W* im, BcdNumber* out) {
  if (int code = WideParts(z, re, im)) {
    Fail(out, code);
    return false;
  }
  return true;
}

}  // namespace

int FnComplexDiv(const BcdNumber* x, const BcdNumber* y, BcdNumber* r) {
  if (PassError(x, r) || PassError(y, r)) return 0;
  W a, b, c, d;
  if (!ReadParts(x, &a, &b, r) || !ReadParts(y, &c, &d, r)) return 0;
  W den = Add(Mul(c, c), Mul(d, d));
  if (IsZero(den)) return Fail(r, kBcdErrMa);
  W re = Div(Add(Mul(a, c), Mul(b, d)), den);
  W im = Div(Sub(Mul(b, c), Mul(a, d)), den);
  return PackComplex(re, im, r);
}

int FnComplexAbs(const BcdNumber* z, BcdNumber* r) {
  if (PassError(z, r)) return 0;
  W a, b;
  if (!ReadParts(z, &a, &b, r)) return 0;
  return ToBcd(Sqrt(Add(Mul(a, a), Mul(b, b))), r);
}

int FnComplexArg(const BcdNumber* z, BcdNumber* r, int angleUnit) {
  if (PassError(z, r)) return 0;
  W a, b;
  if (!ReadParts(z, &a, &b, r)) return 0;
  return ToBcd(FromRadians(Atan2(b, a), angleUnit), r);
}

int FnComplexSqrt(const BcdNumber* z, BcdNumber* r) {
  if (PassError(z, r)) return 0;
  W a, b;
  if (!ReadParts(z, &a, &b, r)) return 0;
  if (IsZero(b)) {  // on the real axis the core's exact root serves
    BcdNumber re, im, root;
    BcdComplexSplit(z, &re, &im);
    BcdAbs(&re, &re);
    if (!BcdSqrt(&re, &root)) return Fail(r, BcdErrorCode(&root));
    if (!a.neg) {
      *r = root;
      return 1;
    }
    BcdZero(&re);
    return BcdComplexMake(&re, &root, r);
  }
  // t = sqrt((|a| + |z|) / 2) without cancellation; the other part b / 2t.
  W mod = Sqrt(Add(Mul(a, a), Mul(b, b)));
  W t = Sqrt(Scale2(Add(Abs(a), mod), -1));
  W other = Div(Abs(b), Scale2(t, 1));
  if (!a.neg) return PackComplex(t, b.neg ? Neg(other) : other, r, false);
  return PackComplex(other, b.neg ? Neg(t) : t, r, false);
}

namespace {

// ln z, divided by ln 10 for the common logarithm.
int ComplexLogarithm(const BcdNumber* z, bool common, BcdNumber* r) {
  if (PassError(z, r)) return 0;
  W a, b;
  if (!ReadParts(z, &a, &b, r)) return 0;
  if (IsZero(a) && IsZero(b)) return Fail(r, kBcdErrMa);
  W re, im;
  WideComplexLn(a, b, &re, &im);
  if (common) {
    re = Div(re, Ln10());
    im = Div(im, Ln10());
  }
  return PackComplex(re, im, r);
}

}  // namespace

int FnComplexLn(const BcdNumber* z, BcdNumber* r) {
  return ComplexLogarithm(z, false, r);
}

int FnComplexLog(const BcdNumber* z, BcdNumber* r) {
  return ComplexLogarithm(z, true, r);
}

int FnComplexExp(const BcdNumber* z, BcdNumber* r) {
  if (PassError(z, r)) return 0;
  W a, b;
  if (!ReadParts(z, &a, &b, r)) return 0;
  // The angle is a record: reduce it exactly.
  BcdNumber re, im;
  BcdComplexSplit(z, &re, &im);
  Reduced angle;
  if (int code = ReduceAngle(&im, kFnRadians, &angle)) return Fail(r, code);
  return ExpOfReduced(a, angle, b.neg, true, r);
}

int FnComplexTenPow(const BcdNumber* z, BcdNumber* r) {
  if (PassError(z, r)) return 0;
  W a, b;
  if (!ReadParts(z, &a, &b, r)) return 0;
  return WideComplexExp(Mul(a, Ln10()), Mul(b, Ln10()), r);
}

int FnToPolar(const BcdNumber* z, BcdNumber* modulus, BcdNumber* argument, int angleUnit) {
  BcdNumber m, t;
  int ok = FnComplexAbs(z, &m) & FnComplexArg(z, &t, angleUnit);
  *modulus = m;
  *argument = t;
  if (!ok && !BcdErrorCode(modulus)) *modulus = t;
  return ok;
}

int FnFromPolar(const BcdNumber* modulus, const BcdNumber* argument, int angleUnit, BcdNumber* z) {
  if (PassError(modulus, z) || PassError(argument, z)) return 0;
  if (BcdIsComplex(modulus) || BcdIsComplex(argument)) return Fail(z, kBcdErrMa);
  W m;
  if (int code = FromBcd(modulus, &m)) return Fail(z, code);
  Reduced angle;
  if (int code = ReduceAngle(argument, angleUnit, &angle)) return Fail(z, code);
  W s, c;
  SinCosReduced(angle, &s, &c);
  if (BcdIsNegative(argument)) s = Neg(s);
  return PackComplex(Mul(m, c), Mul(m, s), z, false);
}
