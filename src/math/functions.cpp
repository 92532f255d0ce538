// The one-argument functions: the prefix function table, its kind and mode
// rules, and the real functions on the wide working form.
#include "math/functions.h"

#include <cstring>

#include "math/bcd_internal.h"
#include "math/bcd_text.h"
#include "math/bcd_work.h"
#include "math/functions_internal.h"
#include "math/functions_wide.h"

using namespace fn_wide;
using namespace fn_internal;

namespace {

constexpr uint8_t kC = kFnTakesComplex, kL = kFnTakesList, kM = kFnTakesMatrix, kB = kFnInBaseN,
                  k25 = kFnComplexIs25;

// The prefix function tokens and what each takes besides a real scalar.
constexpr FnPrefix kPrefixes[] = {
    {0x0081, kFnSin, kL},
    {0x0082, kFnCos, kL},
    {0x0083, kFnTan, kL},
    {0x0091, kFnAsin, kL},
    {0x0092, kFnAcos, kL},
    {0x0093, kFnAtan, kL},
    {0x0085, kFnLn, kC | kL},
    {0x0095, kFnLog, kC | kL},
    {0x0086, kFnSqrt, kC | kL},
    {0x0096, kFnCubeRoot, kC | kL},
    {0x00A5, kFnExp, kC | kL},
    {0x00B5, kFnTenPow, kC | kL},
    {0x00A1, kFnSinh, kL},
    {0x00A2, kFnCosh, kL},
    {0x00A3, kFnTanh, kL},
    {0x00B1, kFnAsinh, kL},
    {0x00B2, kFnAcosh, kL},
    {0x00B3, kFnAtanh, kL},
    {0x0097, kFnAbs, kC | kL | kM},
    {0x00A6, kFnInt, kC | kL | kM},
    {0x00DE, kFnIntg, kC | kL | kM},
    {0x00B6, kFnFrac, kC | kL | kM},
    {0x0087, kFnNeg, kC | kL | kM | kB},
    {0x00B7, kFnNeg, kC | kL | kM | kB},
    {0x00A7, kFnBitNot, kB},
    {0x7F22, kFnArg, kC | kL},
    {0x7F23, kFnConjg, kC | kL},
    {0x7F24, kFnReP, kC | kL},
    {0x7F25, kFnImP, kC | kL},
    {0x7FB3, kFnLogicalNot, k25 | kL},
};

bool IsReferenceKind(int kind) {
  return kind == kBcdKindList || kind == kBcdKindMatrix;
}

int Real(const BcdNumber* x, W* w, BcdNumber* out) {
  int code = FromBcd(x, w);
  if (code) Fail(out, code);
  return code;
}

const W& One() {
  static const W one = FromInt(1);
  return one;
}

// -1, 0 or 1 as |x| is below, at or above 1, decided on the decimal digits.
int MagnitudeAgainstOne(const BcdNumber* x) {
  bcd_internal::Dec d;
  if (bcd_internal::ReadReal(x, &d) || d.m == 0 || d.e < 0) return -1;
  if (d.e > 0) return 1;
  return d.m == bcd_internal::kMant15Min ? 0 : 1;
}

// |x| - 1. Next to 1 the difference is all a function depends on and the
// wide form of x would blur its last bits, so for |x| in [0.5, 10) it is
// taken on the decimal digits, where it is exact.
W MagnitudeMinusOne(const BcdNumber* x, const W& w) {
  bcd_internal::Dec d;
  bool near = bcd_internal::ReadReal(x, &d) == 0 &&
              (d.e == 0 || (d.e == -1 && d.m >= 5 * bcd_internal::kMant15Min));
  if (!near) return Sub(Abs(w), One());
  BcdNumber a, one, diff;
  BcdAbs(x, &a);
  BcdConst(&one, kBcdOne);
  BcdSub(&a, &one, &diff);
  W v;
  FromBcd(&diff, &v);
  return v;
}

// ---- Trigonometric ---------------------------------------------------------------

int Trig(int code, const BcdNumber* x, int unit, BcdNumber* out) {
  Reduced a;
  if (int c = ReduceAngle(x, unit, &a)) return Fail(out, c);
  W s, c;
  SinCosReduced(a, code == kFnCos ? nullptr : &s, code == kFnSin ? nullptr : &c);
  bool neg = BcdIsNegative(x);
  if (code == kFnCos) return ToBcd(c, out);
  if (code == kFnSin) return ToBcd(neg ? Neg(s) : s, out);
  if (IsZero(c)) return Fail(out, kBcdErrMa);  // tan 90 degrees
  W t = Div(s, c);
  return ToBcd(neg ? Neg(t) : t, out);
}

int InverseTrig(int code, const BcdNumber* x, int unit, BcdNumber* out) {
  W w;
  if (Real(x, &w, out)) return 0;
  W v;
  if (code == kFnAtan) {
    v = Atan(w);
  } else {
    int cmp = MagnitudeAgainstOne(x);
    if (cmp > 0) return Fail(out, kBcdErrMa);
    W root = cmp == 0 ? W{} : Sqrt(Mul(Neg(MagnitudeMinusOne(x, w)), Add(One(), Abs(w))));
    v = code == kFnAsin ? Atan2(w, root) : Atan2(root, w);
  }
  return ToBcd(FromRadians(v, unit), out);
}

// ---- Exponential, logarithms, hyperbolic ---------------------------------------

int ExpReal(const W& x, BcdNumber* out) {
  return RealExp(x, false, out);
}

int TenPowReal(const BcdNumber* x, BcdNumber* out) {
  bcd_internal::Dec d;
  if (int code = bcd_internal::ReadReal(x, &d)) return Fail(out, code);
  if (bcd_internal::DecIsInteger(d) && d.e < 3) {  // 10^n exactly
    int n = d.m == 0 ? 0 : int(d.m / bcd_internal::kPow10[14 - d.e]);
    return bcd_internal::StoreDec(false, bcd_internal::kMant15Min, d.neg ? -n : n, out);
  }
  W w;
  if (Real(x, &w, out)) return 0;
  return ExpReal(Mul(w, Ln10()), out);
}

int Logarithm(int code, const BcdNumber* x, const FnMode& mode, BcdNumber* out) {
  W w;
  if (Real(x, &w, out)) return 0;
  if (IsZero(w)) return Fail(out, kBcdErrMa);
  if (w.neg) {
    if (mode.complexMode == kFnReal) return Fail(out, kBcdErrNonReal);
    return code == kFnLn ? FnComplexLn(x, out) : FnComplexLog(x, out);
  }
  // ln x as log1p(x - 1) next to 1, where x - 1 is exact.
  bool nearOne = Log2(w) == 0 || (Log2(w) == -1 && w.m >= ((u128)3 << 126));
  W v = nearOne ? Log1p(MagnitudeMinusOne(x, w)) : Ln(w);
  if (code == kFnLog) v = Div(v, Ln10());
  return ToBcd(v, out);
}

int SquareRoot(const BcdNumber* x, const FnMode& mode, BcdNumber* out) {
  if (!BcdIsNegative(x)) return BcdSqrt(x, out);
  if (mode.complexMode == kFnReal) return Fail(out, kBcdErrNonReal);
  BcdNumber a, root, zero;
  BcdAbs(x, &a);
  if (!BcdSqrt(&a, &root)) return Fail(out, BcdErrorCode(&root));
  BcdZero(&zero);
  return BcdComplexMake(&zero, &root, out);
}

int Hyperbolic(int code, const BcdNumber* x, BcdNumber* out) {
  W w;
  if (Real(x, &w, out)) return 0;
  W a = Abs(w);
  bool neg = w.neg;
  W v;
  switch (code) {
    case kFnSinh:
    case kFnCosh: {
      int rc;
      if (ExpBeyondRecord(a, out, &rc)) return rc;
      if (code == kFnSinh && CompareAbs(a, One()) <= 0) {
        W e = ExpM1(a);  // e(e + 2) / 2(e + 1): no cancellation near 0
        v = Div(Mul(e, Add(e, FromInt(2))), Scale2(Add(e, One()), 1));
      } else {
        W e = Exp(a), inv = Div(One(), e);
        v = Scale2(code == kFnSinh ? Sub(e, inv) : Add(e, inv), -1);
      }
      if (code == kFnCosh) neg = false;
      break;
    }
    case kFnTanh: {
      if (CompareAbs(a, FromInt(40)) > 0) {
        v = One();
        break;
      }
      W a2 = Scale2(a, 1);
      W e = CompareAbs(a2, One()) <= 0 ? ExpM1(a2) : Sub(Exp(a2), One());
      v = Div(e, Add(e, FromInt(2)));
      break;
    }
    case kFnAsinh: {
      W a2 = Mul(a, a);
      v = Log1p(Add(a, Div(a2, Add(One(), Sqrt(Add(One(), a2))))));
      break;
    }
    case kFnAcosh: {
      if (neg || MagnitudeAgainstOne(x) < 0) return Fail(out, kBcdErrMa);
      if (MagnitudeAgainstOne(x) == 0) {
        BcdZero(out);
        return 1;
      }
      W am1 = MagnitudeMinusOne(x, w);
      v = Log1p(Add(am1, Sqrt(Mul(am1, Add(a, One())))));
      break;
    }
    default: {  // atanh
      if (MagnitudeAgainstOne(x) >= 0) return Fail(out, kBcdErrMa);
      v = Scale2(Log1p(Div(Scale2(a, 1), Neg(MagnitudeMinusOne(x, w)))), -1);
      break;
    }
  }
  return ToBcd(neg ? Neg(v) : v, out);
}

// ---- Integer and fractional parts -------------------------------------------------

// Int (towards zero), Intg (floor) or Frac of a real decimal or fraction.
int IntegerPart(int code, const BcdNumber* x, BcdNumber* out) {
  using namespace bcd_internal;
  if (IsFractionRecord(x)) {
    Frac f;
    if (int c = ReadFraction(x, &f)) return Fail(out, c);
    unsigned __int128 whole = f.num / f.den, rem = f.num % f.den;
    if (code == kFnFrac) {
      if (PackFraction(Frac{f.neg, rem, f.den}, out) == 1) return 1;
    } else {
      if (code == kFnIntg && f.neg && rem != 0) ++whole;
      BcdWork w;
      w.mant = whole;
      w.exp = 22;
      w.neg = f.neg;
      return BcdPack(&w, out);
    }
  }
  Dec d;
  if (int c = ReadReal(x, &d)) return Fail(out, c);
  Dec i = d;
  if (d.m != 0 && d.e < 14) {
    i.m = d.e < 0 ? 0 : d.m - d.m % kPow10[14 - d.e];
  }
  bool exact = i.m == d.m;
  if (code == kFnFrac) {
    Dec negI = i;
    negI.neg = !negI.neg;
    return AddDec(d, negI, out);
  }
  if (code == kFnIntg && d.neg && !exact) {  // one further down
    return AddDec(i.m ? i : Dec{0, 0, false}, Dec{kMant15Min, 0, true}, out);
  }
  if (i.m == 0) {
    BcdZero(out);
    return 1;
  }
  return StoreDec(i, out);
}

// ---- Angles -------------------------------------------------------------------------------

int ConvertAngle(int fromUnit, const BcdNumber* x, int unit, BcdNumber* out) {
  W w;
  if (Real(x, &w, out)) return 0;
  if (fromUnit == unit) {
    *out = *x;
    return 1;
  }
  if (Real(x, &w, out)) return 0;
  return ToBcd(FromRadians(ToRadians(w, fromUnit), unit), out);
}

int RealArg(const BcdNumber* x, int unit, BcdNumber* out) {
  W w;
  if (Real(x, &w, out)) return 0;
  if (!w.neg) {
    BcdZero(out);
    return 1;
  }
  return ToBcd(FromRadians(Pi(), unit), out);
}

// Every function that works on the parts of a complex value alike.
int OnBothParts(int code, const BcdNumber* z, const FnMode& mode, BcdNumber* out) {
  BcdNumber re, im;
  BcdComplexSplit(z, &re, &im);
  FnUnary(code, &re, &re, mode);
  FnUnary(code, &im, &im, mode);
  return BcdComplexMake(&re, &im, out);
}

int ComplexUnary(int code, const BcdNumber* z, const FnMode& mode, BcdNumber* out) {
  BcdNumber re, im;
  switch (code) {
    case kFnSqrt:
      return FnComplexSqrt(z, out);
    case kFnExp:
      return FnComplexExp(z, out);
    case kFnTenPow:
      return FnComplexTenPow(z, out);
    case kFnLn:
      return FnComplexLn(z, out);
    case kFnLog:
      return FnComplexLog(z, out);
    case kFnAbs:
      return FnComplexAbs(z, out);
    case kFnArg:
      return FnComplexArg(z, out, mode.angleUnit);
    case kFnInt:
    case kFnIntg:
    case kFnFrac:
      return OnBothParts(code, z, mode, out);
    case kFnNeg:
      return BcdNeg(z, out);
    case kFnCubeRoot: {
      BcdNumber third;
      BcdConst(&third, kBcdOneThird);
      return FnPower(z, &third, out, mode);
    }
    case kFnConjg:
      BcdComplexSplit(z, &re, &im);
      BcdNeg(&im, &im);
      return BcdComplexMake(&re, &im, out);
    case kFnReP:
    case kFnImP:
      BcdComplexSplit(z, &re, &im);
      *out = code == kFnReP ? re : im;
      return 1;
    case kFnLogicalNot:
      return Fail(out, kBcdErrComplexInList);
    default:
      return Fail(out, kBcdErrMa);
  }
}

int BitNot(const BcdNumber* x, const FnMode& mode, BcdNumber* out) {
  int32_t v = 0;
  if (int code = FnBaseNInteger(x, mode.baseMode, &v)) return Fail(out, code);
  FnBaseNValue(~int64_t(v), mode.baseMode, out);
  return 1;
}

int BaseNNegate(const BcdNumber* x, const FnMode& mode, BcdNumber* out) {
  int32_t v = 0;
  if (int code = FnBaseNInteger(x, mode.baseMode, &v)) return Fail(out, code);
  FnBaseNValue(-int64_t(v), mode.baseMode, out);
  return 1;
}

}  // namespace

// ---- Public entries ------------------------------------------------------------------------

int FnUnary(int code, const BcdNumber* x, BcdNumber* r, const FnMode& mode) {
  if (PassError(x, r)) return 0;
  if (IsReferenceKind(BcdKind(x))) return Fail(r, kBcdErrMa);
  // Digits that do not read as a number (a damaged record) go no further,
  // not even through the functions that only copy or flip a sign.
  BcdNumber re, im;
  BcdComplexSplit(x, &re, &im);
  bcd_internal::Dec d;
  if (int c = bcd_internal::ReadReal(&re, &d)) return Fail(r, c);
  if (int c = bcd_internal::ReadReal(&im, &d)) return Fail(r, c);
  if (BcdIsComplex(x)) return ComplexUnary(code, x, mode, r);
  switch (code) {
    case kFnSin:
    case kFnCos:
    case kFnTan:
      return Trig(code, x, mode.angleUnit, r);
    case kFnAsin:
    case kFnAcos:
    case kFnAtan:
      return InverseTrig(code, x, mode.angleUnit, r);
    case kFnSinh:
    case kFnCosh:
    case kFnTanh:
    case kFnAsinh:
    case kFnAcosh:
    case kFnAtanh:
      return Hyperbolic(code, x, r);
    case kFnExp: {
      W w;
      if (Real(x, &w, r)) return 0;
      return ExpReal(w, r);
    }
    case kFnTenPow:
      return TenPowReal(x, r);
    case kFnLn:
    case kFnLog:
      return Logarithm(code, x, mode, r);
    case kFnSqrt:
      return SquareRoot(x, mode, r);
    case kFnCubeRoot: {
      BcdNumber third;
      BcdConst(&third, kBcdOneThird);
      return FnPower(x, &third, r, mode);
    }
    case kFnAbs:
      return BcdAbs(x, r);
    case kFnNeg:
      return BcdNeg(x, r);
    case kFnInt:
    case kFnIntg:
    case kFnFrac:
      return IntegerPart(code, x, r);
    case kFnFromDegrees:
      return ConvertAngle(kFnDegrees, x, mode.angleUnit, r);
    case kFnFromRadians:
      return ConvertAngle(kFnRadians, x, mode.angleUnit, r);
    case kFnFromGrads:
      return ConvertAngle(kFnGrads, x, mode.angleUnit, r);
    case kFnBitNot:
      return BitNot(x, mode, r);
    case kFnArg:
      return RealArg(x, mode.angleUnit, r);
    case kFnConjg:
    case kFnReP:
      *r = *x;
      return 1;
    case kFnImP:
      BcdZero(r);
      return 1;
    case kFnLogicalNot:
      if (BcdIsZero(x)) {
        BcdConst(r, kBcdOne);
      } else {
        BcdZero(r);
      }
      return 1;
    default:
      return Fail(r, kBcdErrArgument);
  }
}

const FnPrefix* FnFindPrefix(uint16_t token) {
  for (const FnPrefix& p : kPrefixes) {
    if (p.token == token) return &p;
  }
  return nullptr;
}

int FnApplyPrefix(uint16_t token, const BcdNumber* x, BcdNumber* r, const FnMode& mode) {
  const FnPrefix* p = FnFindPrefix(token);
  if (PassError(x, r)) return 0;
  if (!p) return Fail(r, kBcdErrArgument);
  if (mode.baseMode != kBcdBaseNone && !(p->takes & kFnInBaseN)) {
    return Fail(r, kBcdErrArgument);
  }
  int kind = BcdKind(x);
  if (kind == kBcdKindList) return (p->takes & kFnTakesList) ? kFnMapElements : Fail(r, kBcdErrMa);
  if (kind == kBcdKindMatrix) {
    return (p->takes & kFnTakesMatrix) ? kFnMapElements : Fail(r, kBcdErrMa);
  }
  if (BcdIsComplex(x) && !(p->takes & kFnTakesComplex)) {
    return Fail(r, (p->takes & kFnComplexIs25) ? kBcdErrComplexInList : kBcdErrMa);
  }
  if (mode.baseMode != kBcdBaseNone && p->code == kFnNeg) return BaseNNegate(x, mode, r);
  return FnUnary(p->code, x, r, mode);
}

// ---- Base-N integers ----------------------------------------------------------------------

int FnBaseNInteger(const BcdNumber* x, int baseMode, int32_t* v) {
  using namespace bcd_internal;
  if (IsErrorRecord(x)) return BcdErrorCode(x);
  if (BcdKind(x) != kBcdKindScalar || BcdIsComplex(x)) return kBcdErrMa;
  Dec d;
  if (ReadReal(x, &d) || !DecIsInteger(d)) return kBcdErrMa;
  int bits = baseMode == kBcdBaseBin ? 16 : 32;
  int64_t n = 0;
  if (d.m != 0) {
    if (d.e > 10) return kBcdErrMa;
    n = int64_t(d.m / kPow10[14 - d.e]);
    if (d.neg) n = -n;
  }
  if (n < -(int64_t(1) << (bits - 1)) || n > (int64_t(1) << bits) - 1) return kBcdErrMa;
  *v = int32_t(n >= (int64_t(1) << (bits - 1)) ? n - (int64_t(1) << bits) : n);
  return 0;
}

void FnBaseNValue(int64_t v, int baseMode, BcdNumber* r) {
  int bits = baseMode == kBcdBaseBin ? 16 : 32;
  uint64_t mask = (uint64_t(1) << bits) - 1;
  uint64_t u = uint64_t(v) & mask;
  int64_t s = (u >> (bits - 1)) ? int64_t(u) - (int64_t(1) << bits) : int64_t(u);
  BcdFromInt(r, s);
}
