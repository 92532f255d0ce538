// What the operators do: binary operators on every value kind, prefix
// functions (the elementary ones through the functions' table, the list and
// matrix ones here), postfix operators, the fraction separator, and the
// integer arithmetic of the Base-N modes.
#include <cstdio>
#include <cstring>

#include "math/bcd_text.h"
#include "math/bcd_work.h"
#include "math/eval_internal.h"

namespace eval_internal {

namespace {


int CompareOp(uint16_t op) {
  switch (op) {
    case 0x3D:
      return kBcdOpEq;
    case 0x11:
      return kBcdOpNe;
    case 0x3C:
      return kBcdOpLt;
    case 0x3E:
      return kBcdOpGt;
    case 0x10:
      return kBcdOpLe;
    case 0x12:
      return kBcdOpGe;
    default:
      return -1;
  }
}

bool IsMultiply(uint16_t op) {
  return op == 0xA9 || op == 0xF8 || op == 0xFA;
}

bool IsBitwise(uint16_t op) {
  return op == 0xBA || op == 0xAA || op == 0x9A || op == 0x8A;
}

bool IsRealScalar(const BcdNumber* x) {
  return BcdKind(x) == kBcdKindScalar && !BcdIsComplex(x);
}

int Truth(bool t, BcdNumber r[2]) {
  if (t) {
    BcdConst(&r[0], kBcdOne);
  } else {
    BcdZero(&r[0]);
  }
  BcdZero(&r[1]);
  return 1;
}

// 32-bit integer arithmetic of the Base-N modes (wrapping into the mode's
// range); the bitwise operators use it in every mode.
int IntegerBinary(uint16_t op, const BcdNumber* a, const BcdNumber* b, BcdNumber r[2], int base) {
  int32_t x, y;
  if (int code = FnBaseNInteger(a, base, &x)) return Fail(r, code);
  if (int code = FnBaseNInteger(b, base, &y)) return Fail(r, code);
  int64_t v;
  switch (op) {
    case 0x89:
      v = int64_t(x) + y;
      break;
    case 0x99:
      v = int64_t(x) - y;
      break;
    case 0xB9:
      if (y == 0) return Fail(r, kBcdErrMa);
      v = int64_t(x) / y;
      break;
    case 0xBA:
      v = x & y;
      break;
    case 0xAA:
      v = x | y;
      break;
    case 0x9A:
      v = x ^ y;
      break;
    case 0x8A:
      v = ~(x ^ y);
      break;
    default:  // the multiplications
      v = int64_t(x) * y;
      break;
  }
  FnBaseNValue(v, base, r);
  BcdZero(&r[1]);
  return 1;
}

int Permutations(const BcdNumber* n, const BcdNumber* k, bool choose, BcdNumber r[2]) {
  int64_t nn, kk;
  constexpr int64_t kLimit = 9999999999;
  if (!IntegerIn(n, 0, kLimit, &nn) || !IntegerIn(k, 0, kLimit, &kk) || kk > nn) {
    return Fail(r, kBcdErrMa);
  }
  if (choose && kk > nn - kk) kk = nn - kk;
  BcdNumber acc, f;
  BcdConst(&acc, kBcdOne);
  BcdZero(&r[1]);
  for (int64_t i = 1; i <= kk; ++i) {
    BcdFromInt(&f, nn - kk + i);
    if (!BcdMul(&acc, &f, &acc)) break;
    if (choose) {
      BcdFromInt(&f, i);
      BcdDiv(&acc, &f, &acc);
    }
  }
  r[0] = acc;
  return BcdErrorCode(&acc) ? 0 : 1;
}

// One pair of scalars (24-byte values each).
int ScalarBinary(uint16_t op, const BcdNumber* a, const BcdNumber* b, BcdNumber r[2],
                 const FnMode& mode) {
  if (int cmp = CompareOp(op); cmp >= 0) {
    int ok = BcdCompareRecord(cmp, a, b, r);
    BcdZero(&r[1]);
    return ok;
  }
  if (mode.baseMode != kBcdBaseNone) {
    if (op == 0x89 || op == 0x99 || op == 0xB9 || IsMultiply(op) || IsBitwise(op)) {
      return IntegerBinary(op, a, b, r, mode.baseMode);
    }
    return Fail(r, kBcdErrArgument);
  }
  if (IsBitwise(op)) return IntegerBinary(op, a, b, r, kBcdBaseDec);
  int ok;
  BcdNumber out[2];
  switch (op) {
    case 0x89:
      ok = BcdBinary(kBcdOpAdd, a, b, out);
      break;
    case 0x99:
      ok = BcdBinary(kBcdOpSub, a, b, out);
      break;
    case 0xB9:
      ok = BcdIsComplex(a) || BcdIsComplex(b) ? FnComplexDiv(a, b, out)
                                              : BcdBinary(kBcdOpDiv, a, b, out);
      break;
    case 0xA8:
      ok = FnPower(a, b, out, mode);
      break;
    case 0xB8:
      ok = FnRoot(a, b, out, mode);
      break;
    case 0x88:
    case 0x98:
      ok = Permutations(a, b, op == 0x98, out);
      break;
    case 0x7F54:
      if (!IsRealScalar(a) || !IsRealScalar(b)) return Fail(r, kBcdErrMa);
      ok = FnFromPolar(a, b, mode.angleUnit, out);
      break;
    case 0x7FB0:
    case 0x7FB1:
      if (!IsRealScalar(a) || !IsRealScalar(b)) return Fail(r, kBcdErrMa);
      ok = Truth(op == 0x7FB0 ? !BcdIsZero(a) && !BcdIsZero(b) : !BcdIsZero(a) || !BcdIsZero(b),
                 out);
      break;
    default:
      if (!IsMultiply(op)) return Fail(r, kBcdErrSyntax);
      ok = BcdBinary(kBcdOpMul, a, b, out);
      break;
  }
  if (!ok) {
    r[0] = out[0];
    return 0;
  }
  CopyValue(r, out);
  return 1;
}

struct BinaryCtx {
  uint16_t op;
  const FnMode* mode;
};

int ElementBinary(const BcdNumber a[2], const BcdNumber b[2], BcdNumber r[2], const void* ctx) {
  auto* c = static_cast<const BinaryCtx*>(ctx);
  return ScalarBinary(c->op, a, b, r, *c->mode);
}

bool IsMatrix(const BcdNumber* x) {
  return BcdKind(x) == kBcdKindMatrix;
}

int ArrayBinary(uint16_t op, const BcdNumber* a, const BcdNumber* b, BcdNumber r[2],
                const FnMode& mode) {
  BinaryCtx ctx{op, &mode};
  bool ma = IsMatrix(a), mb = IsMatrix(b);
  if (ma || mb) {
    if (op == 0xA8 || op == 0xB8) {
      if (mb || op == 0xB8 || IsArray(b)) return Fail(r, kBcdErrMa);
      return MatrixPow(a, b, r);
    }
    if (IsMultiply(op) && ma && mb) return MatrixMul(a, b, r);
    bool sums = op == 0x89 || op == 0x99;
    bool scaled = IsMultiply(op) || (op == 0xB9 && !mb);
    if (!sums && !scaled) return Fail(r, kBcdErrMa);
    return ZipArrays(a, b, sums, scaled && !(ma && mb), ElementBinary, &ctx, r);
  }
  return ZipArrays(a, b, false, false, ElementBinary, &ctx, r);
}

struct PrefixCtx {
  uint16_t op;
  const FnMode* mode;
};

// One scalar through a prefix function; negation outside the Base-N modes
// is the core's own.
int ScalarPrefix(uint16_t op, const BcdNumber x[2], BcdNumber r[2], const FnMode& mode) {
  BcdNumber out[2];
  int ok;
  if ((op == 0x87 || op == 0xB7) && mode.baseMode == kBcdBaseNone && !IsArray(x)) {
    ok = BcdNeg(x, out);
  } else {
    ok = FnApplyPrefix(op, x, out, mode);
  }
  if (ok == kFnMapElements) return kFnMapElements;
  if (ok != 1) {
    r[0] = out[0];
    return 0;
  }
  CopyValue(r, out);
  return 1;
}

int ElementPrefix(const BcdNumber x[2], BcdNumber r[2], const void* ctx) {
  auto* c = static_cast<const PrefixCtx*>(ctx);
  int ok = ScalarPrefix(c->op, x, r, *c->mode);
  if (ok == kFnMapElements) return Fail(r, kBcdErrMa);
  return ok;
}

int Factorial(const BcdNumber* x, BcdNumber r[2]) {
  int64_t n;
  if (!IntegerIn(x, 0, 69, &n)) return Fail(r, kBcdErrMa);
  BcdNumber acc, f;
  BcdConst(&acc, kBcdOne);
  for (int64_t i = 2; i <= n; ++i) {
    BcdFromInt(&f, i);
    BcdMul(&acc, &f, &acc);
  }
  r[0] = acc;
  BcdZero(&r[1]);
  return 1;
}

// One scalar through a postfix operator.
int ScalarPostfix(uint16_t op, BcdNumber v[2], const FnMode& mode) {
  BcdNumber out[2];
  int ok;
  if (op >= 0x01 && op <= 0x0B) {  // f p n μ m k M G T P E
    static constexpr int kExponents[] = {-15, -12, -9, -6, -3, 3, 6, 9, 12, 15, 18};
    BcdNumber scale;
    char text[8];
    std::snprintf(text, sizeof text, "1E%d", kExponents[op - 1]);
    BcdFromText(&scale, text);
    ok = BcdBinary(kBcdOpMul, v, &scale, out);
  } else {
    switch (op) {
      case 0x8B:
        ok = BcdBinary(kBcdOpMul, v, v, out);
        break;
      case 0x9B: {
        BcdNumber one;
        BcdConst(&one, kBcdOne);
        ok = BcdIsComplex(v) ? FnComplexDiv(&one, v, out) : BcdBinary(kBcdOpDiv, &one, v, out);
        break;
      }
      case 0xAB:
        ok = Factorial(v, out);
        break;
      case 0x8C:  // a sexagesimal part; the degrees stand as they are
        if (!IsRealScalar(v)) return Fail(v, kBcdErrMa);
        return 1;
      case 0x9C:
        ok = FnUnary(kFnFromDegrees, v, out, mode);
        break;
      case 0xAC:
        ok = FnUnary(kFnFromRadians, v, out, mode);
        break;
      default:
        ok = FnUnary(kFnFromGrads, v, out, mode);
        break;
    }
  }
  if (!ok) {
    v[0] = out[0];
    return 0;
  }
  CopyValue(v, out);
  return 1;
}

struct PostfixCtx {
  uint16_t op;
  const FnMode* mode;
};

int ElementPostfix(const BcdNumber x[2], BcdNumber r[2], const void* ctx) {
  auto* c = static_cast<const PostfixCtx*>(ctx);
  CopyValue(r, x);
  return ScalarPostfix(c->op, r, *c->mode);
}

}  // namespace

bool IntegerIn(const BcdNumber* x, int64_t lo, int64_t hi, int64_t* v) {
  if (!IsRealScalar(x) || !BcdIsInteger(x)) return false;
  BcdNumber l, h;
  BcdFromInt(&l, lo);
  BcdFromInt(&h, hi);
  if (BcdCompare(kBcdOpLt, x, &l) == 1 || BcdCompare(kBcdOpGt, x, &h) == 1) return false;
  long double d = BcdToLongDouble(x);
  *v = int64_t(d < 0 ? d - 0.5L : d + 0.5L);
  return true;
}

int ApplyBinary(uint16_t op, const BcdNumber a[2], const BcdNumber b[2], BcdNumber r[2],
                const FnMode& mode) {
  if (BcdErrorCode(&a[0])) {
    r[0] = a[0];
    return 0;
  }
  if (BcdErrorCode(&b[0])) {
    r[0] = b[0];
    return 0;
  }
  if (IsArray(&a[0]) || IsArray(&b[0])) return ArrayBinary(op, a, b, r, mode);
  BcdNumber x[2], y[2];
  CopyValue(x, a);
  CopyValue(y, b);
  return ScalarBinary(op, x, y, r, mode);
}

int ApplyPrefix(uint16_t op, BcdNumber v[2], const FnMode& mode) {
  if (BcdErrorCode(&v[0])) return 0;
  bool own = op == 0x7F21 || op == 0x7F41 || op == 0x7F46 || op == 0x7F48 ||
             (op >= 0x7F4C && op <= 0x7F4F) || (op >= 0xFB && op <= 0xFE);
  if (own && mode.baseMode != kBcdBaseNone) return Fail(v, kBcdErrArgument);
  switch (op) {
    case 0x7F21:
      return MatrixDet(v, v);
    case 0x7F41:
      return MatrixTranspose(v, v);
    case 0x7F48:
      return MatrixIdentity(v, v);
    case 0x7F46:
    case 0x7F4C:
    case 0x7F4D:
    case 0x7F4E:
    case 0x7F4F:
      return ListFunction(op, v, v);
    case 0xFB:
    case 0xFC:
    case 0xFD:
    case 0xFE:  // the probability functions of the statistics feature
      return Fail(v, BcdIsComplex(v) ? kBcdErrComplexInList : kNotYet);
    default:
      break;
  }
  if (IsArray(v) && (op == 0x87 || op == 0xB7) && mode.baseMode == kBcdBaseNone) {
    PrefixCtx ctx{op, &mode};
    return MapArray(v, true, ElementPrefix, &ctx, v);
  }
  int ok = ScalarPrefix(op, v, v, mode);
  if (ok == kFnMapElements) {
    const FnPrefix* p = FnFindPrefix(op);
    PrefixCtx ctx{op, &mode};
    return MapArray(v, p && (p->takes & kFnTakesMatrix), ElementPrefix, &ctx, v);
  }
  return ok;
}

int ApplyPostfix(uint16_t op, BcdNumber v[2], const FnMode& mode) {
  if (BcdErrorCode(&v[0])) return 0;
  if (mode.baseMode != kBcdBaseNone) return Fail(v, kBcdErrArgument);
  if (IsMatrix(v)) {
    if (op == 0x8B) return MatrixMul(v, v, v);
    if (op == 0x9B) return MatrixInverse(v, v);
    return Fail(v, kBcdErrMa);
  }
  if (IsArray(v)) {
    PostfixCtx ctx{op, &mode};
    return MapArray(v, false, ElementPostfix, &ctx, v);
  }
  return ScalarPostfix(op, v, mode);
}

int ApplyFraction(const BcdNumber* whole, const BcdNumber* num, const BcdNumber* den,
                  BcdNumber r[2]) {
  for (const BcdNumber* part : {whole, num, den}) {
    if (!part) continue;
    if (int code = BcdErrorCode(part)) return Fail(r, code);
    if (!IsRealScalar(part) || !BcdIsInteger(part)) return Fail(r, kBcdErrSyntax);
  }
  BcdNumber out;
  int ok = BcdFractionBuild(whole, num, den, &out);
  r[0] = out;
  BcdZero(&r[1]);
  return ok;
}

int ToBaseN(BcdNumber v[2], const FnMode& mode) {
  if (mode.baseMode == kBcdBaseNone || IsArray(&v[0])) return 1;
  int32_t x;
  if (BcdIsComplex(&v[0])) return Fail(v, kBcdErrMa);
  if (int code = FnBaseNInteger(v, mode.baseMode, &x)) return Fail(v, code);
  FnBaseNValue(x, mode.baseMode, v);
  BcdZero(&v[1]);
  return 1;
}

}  // namespace eval_internal
