// The generic binary entry and everything routed through it: the error-operand
// rule, lists and matrices (to the evaluator's hook), complex pairs, the
// fraction path and the decimal primitives.
#include <algorithm>

#include "math/bcd.h"
#include "math/bcd_internal.h"

using namespace bcd_internal;

namespace {

int Fail(BcdNumber* out, int code) {
  BcdError(out, code);
  return 0;
}

bool IsErrorRecord(const BcdNumber* x) {
  return (x->bytes[0] & 0xF0) == 0xF0;
}

// A real decimal scalar: no error, list, matrix, complex flag or fraction.
bool IsPlainDecimal(uint8_t b0) {
  return (b0 & 0x80) == 0 && ((b0 >> 4) & 6) != 2 && (b0 & 0x0F) != 0x0A;
}

bool IsReference(const BcdNumber* x) {
  int k = BcdKind(x);
  return k == kBcdKindList || k == kBcdKindMatrix;
}

bool IsComparison(int op) {
  return op >= kBcdOpEq && op <= kBcdOpGe;
}

int Truth(int op, int cmp) {
  switch (op) {
    case kBcdOpEq:
      return cmp == 0;
    case kBcdOpNe:
      return cmp != 0;
    case kBcdOpLt:
      return cmp < 0;
    case kBcdOpGt:
      return cmp > 0;
    case kBcdOpLe:
      return cmp <= 0;
    default:
      return cmp >= 0;
  }
}

// Exact order of two decimals, except that values whose difference rounds
// away below 1E-99 are equal (equality is the difference being zero).
int OrderDecimals(const Dec& x, const Dec& y) {
  int c = CompareDec(x, y);
  if (c != 0 && std::min(x.e, y.e) < -84 && x.m != 0 && y.m != 0) {
    Dec negY = y;
    negY.neg = !negY.neg;
    BcdNumber diff;
    AddDec(x, negY, &diff);
    if (BcdIsZero(&diff)) return 0;
  }
  return c;
}

// -1, 0, 1, or 2 when the values cannot be ordered (the code in *code).
int Order(const BcdNumber* a, const BcdNumber* b, int* code) {
  Dec x, y;
  if (IsPlainDecimal(a->bytes[0]) && IsPlainDecimal(b->bytes[0])) {
    if (ReadDec(a, &x) && ReadDec(b, &y)) return OrderDecimals(x, y);
    *code = kBcdErrMa;
    return 2;
  }
  if (IsFractionRecord(a) || IsFractionRecord(b)) {
    BcdNumber diff;
    int r = FractionBinary(kBcdOpSub, a, b, &diff);
    if (r == 0) {
      *code = BcdErrorCode(&diff);
      return 2;
    }
    if (r == 1) return BcdIsZero(&diff) ? 0 : (BcdIsNegative(&diff) ? -1 : 1);
  }
  if ((*code = ReadReal(a, &x)) || (*code = ReadReal(b, &y))) return 2;
  return OrderDecimals(x, y);
}

int WriteTruth(bool t, BcdNumber* out) {
  if (t) {
    BcdConst(out, kBcdOne);
  } else {
    BcdZero(out);
  }
  return 1;
}

int ComplexCompare(int op, const BcdNumber* a, const BcdNumber* b, BcdNumber* out) {
  if (op != kBcdOpEq && op != kBcdOpNe) return Fail(out, kBcdErrMa);
  return WriteTruth(op == kBcdOpEq ? BcdComplexEqual(a, b) : BcdComplexNotEqual(a, b), out);
}

int DecimalBinary(int op, const Dec& x, Dec y, const BcdNumber* a, const BcdNumber* b,
                  BcdNumber* out) {
  switch (op) {
    case kBcdOpAdd:
    case kBcdOpAddC:
      return AddDec(x, y, out);
    case kBcdOpSub:
    case kBcdOpSubC:
      y.neg = !y.neg;
      return AddDec(x, y, out);
    case kBcdOpMul:
      return MulDec(x, y, out);
    case kBcdOpDiv:
      return DivDec(x, y, out);
    case kBcdOpPow: {
      BcdNumber xa = *a, yb = *b;  // the result may alias an operand
      return PowDecimal(&xa, &yb, out);
    }
    default:
      if (IsComparison(op)) return WriteTruth(Truth(op, OrderDecimals(x, y)), out);
      return Fail(out, kBcdErrMa);
  }
}

}  // namespace

// ---- The generic entry --------------------------------------------------------

int BcdBinary(int op, const BcdNumber* a, const BcdNumber* b, BcdNumber* r) {
  if (op == kBcdOpSqrt) return BcdSqrt(a, r);
  if (IsErrorRecord(a)) {
    *r = *a;
    return 0;
  }
  if (IsErrorRecord(b)) {
    *r = *b;
    return 0;
  }
  Dec x, y;
  if (IsPlainDecimal(a->bytes[0]) && IsPlainDecimal(b->bytes[0])) {
    if (!ReadDec(a, &x) || !ReadDec(b, &y)) return Fail(r, kBcdErrMa);
    return DecimalBinary(op, x, y, a, b, r);
  }
  if (IsReference(a) || IsReference(b)) {
    if (auto hook = BcdGetHooks().reference) return hook(op, a, b, r);
    return Fail(r, kBcdErrMa);
  }
  if (BcdIsComplex(a) || BcdIsComplex(b)) {
    switch (op) {
      case kBcdOpAdd:
      case kBcdOpAddC:
        return BcdComplexAdd(a, b, r);
      case kBcdOpSub:
      case kBcdOpSubC:
        return BcdComplexSub(a, b, r);
      case kBcdOpMul:
        return BcdComplexMul(a, b, r);
      default:
        if (IsComparison(op)) return ComplexCompare(op, a, b, r);
        if (auto hook = BcdGetHooks().complex) return hook(op, a, b, r);
        return Fail(r, kBcdErrMa);
    }
  }
  // Real scalars, at least one of them a fraction.
  if (IsComparison(op)) return BcdCompareRecord(op, a, b, r);
  int done = op == kBcdOpPow ? FractionPower(a, b, r) : FractionBinary(op, a, b, r);
  if (done >= 0) return done;
  // On the decimal values; the power still hands the fractions themselves to
  // the real-root rule, which wants the exact exponent.
  if (int code = ReadReal(a, &x)) return Fail(r, code);
  if (int code = ReadReal(b, &y)) return Fail(r, code);
  return DecimalBinary(op, x, y, a, b, r);
}

int BcdAdd(const BcdNumber* a, const BcdNumber* b, BcdNumber* r) {
  return BcdBinary(kBcdOpAdd, a, b, r);
}
int BcdSub(const BcdNumber* a, const BcdNumber* b, BcdNumber* r) {
  return BcdBinary(kBcdOpSub, a, b, r);
}
int BcdMul(const BcdNumber* a, const BcdNumber* b, BcdNumber* r) {
  return BcdBinary(kBcdOpMul, a, b, r);
}
int BcdDiv(const BcdNumber* a, const BcdNumber* b, BcdNumber* r) {
  return BcdBinary(kBcdOpDiv, a, b, r);
}
int BcdPow(const BcdNumber* x, const BcdNumber* y, BcdNumber* r) {
  return BcdBinary(kBcdOpPow, x, y, r);
}

int BcdSqrt(const BcdNumber* x, BcdNumber* r) {
  if (IsErrorRecord(x)) {
    *r = *x;
    return 0;
  }
  if (BcdKind(x) != kBcdKindScalar || BcdIsComplex(x)) return Fail(r, kBcdErrMa);
  if (IsFractionRecord(x)) return FractionSqrt(x, r);
  return SqrtDecimal(x, r);
}

int BcdNeg(const BcdNumber* x, BcdNumber* r) {
  if (IsErrorRecord(x)) {
    *r = *x;
    return 0;
  }
  if (BcdKind(x) != kBcdKindScalar) return Fail(r, kBcdErrMa);
  BcdNumber parts[2];
  int count = BcdIsComplex(x) ? 2 : 1;
  for (int i = 0; i < count; ++i) {
    BcdNumber& p = parts[i];
    p = x[i];
    p.bytes[0] &= uint8_t(~kBcdComplexFlag);
    int n0 = p.bytes[0] >> 4;
    if (BcdIsZero(&p)) {
      BcdZero(&p);
      continue;
    }
    if (IsFractionRecord(&p)) {
      n0 = n0 == 1 ? 6 : 1;
    } else if (n0 == 0 || n0 == 1 || n0 == 5 || n0 == 6) {
      n0 = n0 < 5 ? n0 + 5 : n0 - 5;
    } else {
      return Fail(r, kBcdErrMa);
    }
    p.bytes[0] = uint8_t(n0 << 4 | (p.bytes[0] & 15));
  }
  if (count == 2) return BcdComplexMake(&parts[0], &parts[1], r);
  *r = parts[0];
  return 1;
}

int BcdAbs(const BcdNumber* x, BcdNumber* r) {
  if (IsErrorRecord(x)) {
    *r = *x;
    return 0;
  }
  if (BcdKind(x) != kBcdKindScalar || BcdIsComplex(x)) return Fail(r, kBcdErrMa);
  if (BcdIsNegative(x)) return BcdNeg(x, r);
  *r = *x;
  return 1;
}

// ---- Comparisons ----------------------------------------------------------------

int BcdCompare(int op, const BcdNumber* a, const BcdNumber* b) {
  if (IsErrorRecord(a) || IsErrorRecord(b) || !IsComparison(op)) return -1;
  if (BcdKind(a) != kBcdKindScalar || BcdKind(b) != kBcdKindScalar) return -1;
  if (BcdIsComplex(a) || BcdIsComplex(b)) {
    if (op == kBcdOpEq) return BcdComplexEqual(a, b);
    if (op == kBcdOpNe) return BcdComplexNotEqual(a, b);
    return -1;
  }
  int code = 0;
  int c = Order(a, b, &code);
  return c == 2 ? -1 : Truth(op, c);
}

int BcdCompareRecord(int op, const BcdNumber* a, const BcdNumber* b, BcdNumber* r) {
  if (IsErrorRecord(a)) {
    *r = *a;
    return 0;
  }
  if (IsErrorRecord(b)) {
    *r = *b;
    return 0;
  }
  if (!IsComparison(op)) return Fail(r, kBcdErrMa);
  if (IsReference(a) || IsReference(b)) return BcdBinary(op, a, b, r);
  if (BcdIsComplex(a) || BcdIsComplex(b)) return ComplexCompare(op, a, b, r);
  int code = 0;
  int c = Order(a, b, &code);
  if (c == 2) return Fail(r, code ? code : kBcdErrMa);
  return WriteTruth(Truth(op, c), r);
}

// ---- Complex pairs ----------------------------------------------------------------

void BcdComplexSplit(const BcdNumber* z, BcdNumber* re, BcdNumber* im) {
  BcdNumber imag;
  if (BcdIsComplex(z)) {
    imag = z[1];
    imag.bytes[0] &= uint8_t(~kBcdComplexFlag);
  } else {
    BcdZero(&imag);
  }
  *re = z[0];
  if (!IsErrorRecord(re)) re->bytes[0] &= uint8_t(~kBcdComplexFlag);
  *im = imag;
}

int BcdComplexMake(const BcdNumber* re, const BcdNumber* im, BcdNumber* z) {
  if (IsErrorRecord(re)) {
    *z = *re;
    return 0;
  }
  if (IsErrorRecord(im)) {
    *z = *im;
    return 0;
  }
  BcdNumber imag = *im;
  z[0] = *re;
  if (BcdIsZero(&imag)) return 1;
  z[0].bytes[0] |= kBcdComplexFlag;
  z[1] = imag;
  return 1;
}

namespace {

int ComplexAddSub(bool subtract, const BcdNumber* a, const BcdNumber* b, BcdNumber* r) {
  BcdNumber ar, ai, br, bi;
  BcdComplexSplit(a, &ar, &ai);
  BcdComplexSplit(b, &br, &bi);
  int op = subtract ? kBcdOpSubC : kBcdOpAddC;
  BcdBinary(op, &ar, &br, &ar);
  BcdBinary(op, &ai, &bi, &ai);
  return BcdComplexMake(&ar, &ai, r);
}

}  // namespace

int BcdComplexAdd(const BcdNumber* a, const BcdNumber* b, BcdNumber* r) {
  if (IsErrorRecord(a) || IsErrorRecord(b)) return BcdBinary(kBcdOpAddC, a, b, r);
  return ComplexAddSub(false, a, b, r);
}

int BcdComplexSub(const BcdNumber* a, const BcdNumber* b, BcdNumber* r) {
  if (IsErrorRecord(a) || IsErrorRecord(b)) return BcdBinary(kBcdOpSubC, a, b, r);
  return ComplexAddSub(true, a, b, r);
}

int BcdComplexMul(const BcdNumber* a, const BcdNumber* b, BcdNumber* r) {
  if (IsErrorRecord(a) || IsErrorRecord(b)) return BcdBinary(kBcdOpMul, a, b, r);
  BcdNumber ar, ai, br, bi, p, q, re, im;
  BcdComplexSplit(a, &ar, &ai);
  BcdComplexSplit(b, &br, &bi);
  BcdMul(&ar, &br, &p);  // (ac - bd) + (ad + bc)i
  BcdMul(&ai, &bi, &q);
  BcdSub(&p, &q, &re);
  BcdMul(&ar, &bi, &p);
  BcdMul(&ai, &br, &q);
  BcdAdd(&p, &q, &im);
  return BcdComplexMake(&re, &im, r);
}

int BcdComplexEqual(const BcdNumber* a, const BcdNumber* b) {
  BcdNumber ar, ai, br, bi;
  BcdComplexSplit(a, &ar, &ai);
  BcdComplexSplit(b, &br, &bi);
  return BcdCompare(kBcdOpEq, &ar, &br) == 1 && BcdCompare(kBcdOpEq, &ai, &bi) == 1;
}

int BcdComplexNotEqual(const BcdNumber* a, const BcdNumber* b) {
  BcdNumber ar, ai, br, bi;
  BcdComplexSplit(a, &ar, &ai);
  BcdComplexSplit(b, &br, &bi);
  return BcdCompare(kBcdOpNe, &ar, &br) == 1 || BcdCompare(kBcdOpNe, &ai, &bi) == 1;
}
