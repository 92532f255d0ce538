// The operand handlers: number literals, variables, constants, Ran#, lists
// and matrices, and the functions that read their own bracketed arguments.
#include <array>
#include <cstdio>
#include <cstring>
#include <string>

#include "math/bcd_internal.h"
#include "math/bcd_text.h"
#include "math/eval_internal.h"
#include "math/token.h"
#include "memory/mem_app.h"
#include "memory/mem_numarray.h"
#include "os/getkey.h"
#include "os/setup.h"

namespace eval_internal {

namespace {

// Random-number generator state in the setup record.
constexpr int kSetupRandomValue = 50;  // 50-58: the last value's first nine bytes
constexpr int kSetupRandomSeed = 60;
constexpr int kSetupListFile = 46;

uint16_t Peek(const Run& run) {
  return TokenPeek(*run.cursor);
}
void Skip(Run& run) {
  TokenAdvance(run.cursor);
}

bool IsDigit(uint16_t c) {
  return c >= '0' && c <= '9';
}

int NotYet(Run&, uint16_t, BcdNumber value[2]) {
  return Fail(value, kNotYet);
}

// ---- Number literals ------------------------------------------------------------

// The value of digit token c in a radix (-1 when it is none of its digits).
int DigitValue(uint16_t c, int radix) {
  int d = -1;
  if (IsDigit(c)) d = c - '0';
  if (c >= kTokHexDigitA && c <= kTokHexDigitA + 5) d = 10 + (c - kTokHexDigitA);
  return d < radix ? d : -1;
}

int RadixOfMode(int baseMode) {
  switch (baseMode) {
    case kBcdBaseBin:
      return 2;
    case kBcdBaseOct:
      return 8;
    case kBcdBaseHex:
      return 16;
    default:
      return 10;
  }
}

int BaseModeOfRadix(int radix) {
  switch (radix) {
    case 2:
      return kBcdBaseBin;
    case 8:
      return kBcdBaseOct;
    case 16:
      return kBcdBaseHex;
    default:
      return kBcdBaseDec;
  }
}

// An integer literal in a radix; in a Base-N mode brought into its range.
int ReadInteger(Run& run, int radix, BcdNumber value[2]) {
  uint64_t v = 0;
  int digits = 0;
  uint64_t limit = radix == 2 ? 0xFFFFu : 0xFFFFFFFFu;
  for (int d; (d = DigitValue(Peek(run), radix)) >= 0; Skip(run)) {
    v = v * uint64_t(radix) + uint64_t(d);
    if (v > limit) return Fail(value, kBcdErrMa);
    ++digits;
  }
  if (digits == 0) return Fail(value, kBcdErrSyntax);
  if (run.mode.baseMode != kBcdBaseNone) {
    FnBaseNValue(int64_t(v), run.mode.baseMode, value);
  } else {
    BcdFromInt(value, int64_t(v));
  }
  BcdZero(&value[1]);
  return 1;
}

// Digits, one point and an exponent: the first 15 significant digits are
// kept, later ones dropped (not rounded).
int ReadDecimal(Run& run, BcdNumber value[2]) {
  char digits[16] = {};
  int kept = 0, exponent = -1;
  bool point = false, any = false;
  for (;;) {
    uint16_t c = Peek(run);
    if (IsDigit(c)) {
      any = true;
      Skip(run);
      if (kept == 0 && c == '0') {
        if (point) --exponent;
        continue;
      }
      if (kept < 15) digits[kept++] = char(c);
      if (!point) ++exponent;
    } else if (c == kTokPoint) {
      if (point) return Fail(value, kBcdErrSyntax);
      point = true;
      Skip(run);
    } else {
      break;
    }
  }
  if (Peek(run) == kTokExponent) {
    Skip(run);
    if (!any) {  // the exponent alone: 1E...
      digits[kept++] = '1';
      exponent = 0;
    }
    bool negative = false;
    for (uint16_t c; (c = Peek(run)) == kTokNegate || c == kTokMinus || c == kTokPlus; Skip(run)) {
      if (c != kTokPlus) negative = !negative;
    }
    if (!IsDigit(Peek(run))) return Fail(value, kBcdErrSyntax);
    int e = 0;
    for (int n = 0; n < 2 && IsDigit(Peek(run)); ++n, Skip(run)) e = e * 10 + (Peek(run) - '0');
    exponent += negative ? -e : e;
  }
  BcdZero(&value[1]);
  if (kept == 0) {
    BcdZero(&value[0]);
    return 1;
  }
  // The kept digits as an integer, scaled into the working form: exact, so
  // packing only applies the exponent range.
  uint64_t m = 0;
  for (int i = 0; i < kept; ++i) m = m * 10 + uint64_t(digits[i] - '0');
  // Normalised straight into the record (programs read their literals
  // again on every pass); StoreDec applies the exponent range.
  return bcd_internal::StoreDec(false, m * bcd_internal::kPow10[15 - kept], exponent, &value[0]);
}

int Literal(Run& run, uint16_t code, BcdNumber value[2]) {
  if (run.mode.baseMode != kBcdBaseNone) {
    int radix = RadixOfMode(run.mode.baseMode);
    if (DigitValue(code, radix) < 0) return Fail(value, kBcdErrSyntax);
    return ReadInteger(run, radix, value);
  }
  if (code >= kTokHexDigitA && code <= kTokHexDigitA + 5) return Fail(value, kBcdErrSyntax);
  return ReadDecimal(run, value);
}

// h, d, o, b: the literal after it in that base, whatever the mode.
int PrefixedLiteral(Run& run, uint16_t code, BcdNumber value[2]) {
  Skip(run);
  int radix = code == 0x84 ? 16 : code == 0x94 ? 10 : code == 0xA4 ? 8 : 2;
  if (DigitValue(Peek(run), radix) < 0) return Fail(value, kBcdErrSyntax);
  FnMode saved = run.mode;
  if (run.mode.baseMode != kBcdBaseNone) run.mode.baseMode = uint8_t(BaseModeOfRadix(radix));
  int ok = ReadInteger(run, radix, value);
  run.mode = saved;
  return ok && ToBaseN(value, run.mode);
}

// ---- Variables and constants ------------------------------------------------------

void RecallSlot(uint32_t slot, BcdNumber value[2]) {
  std::memcpy(value, MemVariable(slot), kMemAlphaRecord);
  if (!BcdIsComplex(&value[0])) BcdZero(&value[1]);
}

int Variable(Run& run, uint16_t code, BcdNumber value[2]) {
  uint32_t slot = MemVariableSlot(uint8_t(code));
  if (slot == kMemNoVariable) return Fail(value, kBcdErrSyntax);
  Skip(run);
  RecallSlot(slot, value);
  if (IsArray(&value[0])) return Fail(value, kBcdErrMa);
  return ToBaseN(value, run.mode);
}

int Ans(Run& run, uint16_t, BcdNumber value[2]) {
  Skip(run);
  RecallSlot(MemVariableSlot(uint8_t(kTokAns)), value);
  // A list or matrix answer stays in its item; Ans only remembers which.
  if (BcdKind(&value[0]) == kBcdKindList) return RecallArray(ArrayKind::kList, kListAnsItem, value);
  if (BcdKind(&value[0]) == kBcdKindMatrix) {
    return RecallArray(ArrayKind::kMatrix, kMatAnsItem, value);
  }
  return ToBaseN(value, run.mode);
}

int Pi(Run& run, uint16_t, BcdNumber value[2]) {
  Skip(run);
  if (run.mode.baseMode != kBcdBaseNone) return Fail(value, kBcdErrSyntax);
  BcdConst(&value[0], kBcdPi);
  BcdZero(&value[1]);
  return 1;
}

int Imaginary(Run& run, uint16_t, BcdNumber value[2]) {
  Skip(run);
  if (run.mode.baseMode != kBcdBaseNone) return Fail(value, kBcdErrSyntax);
  BcdNumber zero, one;
  BcdZero(&zero);
  BcdConst(&one, kBcdOne);
  return BcdComplexMake(&zero, &one, value);
}

int GetKey(Run& run, uint16_t, BcdNumber value[2]) {
  Skip(run);
  BcdFromInt(&value[0], ProgramGetKey());
  BcdZero(&value[1]);
  return 1;
}

uint64_t Mix(uint64_t z) {
  z += 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// Ran#: ten random digits after the point. The last value, kept in the
// setup record, seeds the next, so a reset restarts the same sequence;
// Ran# followed by a digit 1-9 starts the sequence of that seed.
int Random(Run& run, uint16_t, BcdNumber value[2]) {
  Skip(run);
  if (run.mode.baseMode != kBcdBaseNone) return Fail(value, kBcdErrSyntax);
  uint64_t state = 0;
  if (IsDigit(Peek(run))) {
    int seed = Peek(run) - '0';
    Skip(run);
    if (IsDigit(Peek(run)) || seed == 0) return Fail(value, kBcdErrArgument);
    SetSetupItem(kSetupRandomSeed, uint8_t(seed));
    state = uint64_t(seed) << 56;
  } else {
    for (int i = 0; i < 9; ++i) state = state << 8 ^ GetSetupItem(kSetupRandomValue + i);
  }
  uint64_t digits = 0;
  for (uint64_t z = state; digits == 0; z = Mix(z)) digits = Mix(z) % 10000000000ull;
  char text[24];
  std::snprintf(text, sizeof text, "0.%010llu", static_cast<unsigned long long>(digits));
  BcdFromText(&value[0], text);
  BcdZero(&value[1]);
  for (int i = 0; i < 9; ++i) SetSetupItem(kSetupRandomValue + i, value[0].bytes[i]);
  return 1;
}

}  // namespace

// ---- Lists and matrices -------------------------------------------------------------

int RecallArray(ArrayKind kind, const char* name, BcdNumber value[2]) {
  uint8_t* data;
  uint32_t size;
  NumArrayShape shape;
  NumArrayKind k = kind == ArrayKind::kList ? NumArrayKind::kList : NumArrayKind::kMatrix;
  if (MemGetPointer(MemInFolder(kMainFolder), name, &data, &size) != kMemOk ||
      !NumArrayRead(k, data, size, &shape) || shape.Elements() == 0) {
    return Fail(value, kBcdErrMemory);
  }
  MakeItemRef(kind, shape.rows, shape.cols, shape.complex, data + kNumArrayHeader, &value[0]);
  BcdZero(&value[1]);
  return 1;
}

int ReadArrayName(Run& run, uint16_t code, ArrayName* out) {
  Skip(run);
  uint16_t c = Peek(run);
  if (code == kTokMat) {
    out->kind = ArrayKind::kMatrix;
    if (c == kTokAns) {
      out->name = kMatAnsItem;
    } else if (c >= 'A' && c <= 'Z') {
      out->name = std::string("MAT_") + char(c);
    } else {
      return kBcdErrSyntax;
    }
    Skip(run);
    return 0;
  }
  out->kind = ArrayKind::kList;
  int n = code - kTokList1 + 1;
  if (code == kTokList) {
    if (c == kTokAns) {
      Skip(run);
      out->name = kListAnsItem;
      return 0;
    }
    n = 0;
    int digits = 0;
    for (; IsDigit(Peek(run)) && digits < 3; Skip(run), ++digits) n = n * 10 + (Peek(run) - '0');
    if (digits == 0) return kBcdErrSyntax;
    if (n < 1 || n > 26) return kBcdErrArgument;
  }
  int file = GetSetupItem(kSetupListFile);
  if (file < 1 || file > 6) file = 1;
  out->name = std::to_string(file) + "LIST" + std::to_string(n);
  return 0;
}

int ReadElementIndex(Run& run, uint16_t rows, uint16_t cols, bool matrix, uint32_t* index,
                     BcdNumber value[2]) {
  uint32_t at[2] = {0, 0};
  uint16_t limits[2] = {rows, cols};
  for (int i = 0; i < (matrix ? 2 : 1); ++i) {
    if (i == 1) {
      if (Peek(run) != kTokComma) return Fail(value, kBcdErrSyntax);
      Skip(run);
    }
    BcdNumber v[2];
    if (!EvalArgument(run, v)) {
      std::memcpy(value, v, sizeof v);
      return 0;
    }
    int64_t n;
    if (!IntegerIn(&v[0], 1, limits[i], &n)) return Fail(value, kBcdErrDimension);
    at[i] = uint32_t(n - 1);
  }
  if (Peek(run) == ']') Skip(run);
  *index = at[0] * cols + at[1];
  return 1;
}

int ReadArgumentList(Run& run, int least, int most, BcdComplex* args, BcdNumber value[2]) {
  Skip(run);
  for (int i = 0; i < most; ++i) {
    if (!EvalArgument(run, &args[i].re)) {
      std::memcpy(value, &args[i], sizeof args[i]);
      return 0;
    }
    uint16_t c = Peek(run);
    if (c == kTokComma && i + 1 < most) {
      Skip(run);
      continue;
    }
    if (i + 1 < least) return Fail(value, kBcdErrSyntax);
    if (c == kTokCloseParen) {
      Skip(run);
    } else if (!EvalEndsExpression(c)) {
      return Fail(value, kBcdErrSyntax);
    }
    return i + 1;
  }
  return 0;
}

namespace {

// List n, List Ans, List1-List6 and Mat X, Mat Ans, each optionally followed
// by [index] or [row, column] for one element.
int ArrayOperand(Run& run, uint16_t code, BcdNumber value[2]) {
  ArrayName target;
  if (int error = ReadArrayName(run, code, &target)) return Fail(value, error);
  if (!RecallArray(target.kind, target.name.c_str(), value)) return 0;
  if (Peek(run) != '[') return 1;
  Skip(run);
  Array a;
  BcdNumber ref = value[0];
  if (int error = OpenArray(&ref, &a)) return Fail(value, error);
  uint32_t i;
  if (!ReadElementIndex(run, a.rows, a.cols, a.kind == ArrayKind::kMatrix, &i, value)) return 0;
  a.Get(i, value);
  ReleaseValue(&ref);
  return 1;
}

// Elements up to the closing bracket; a missing bracket at the end of the
// expression is supplied.
int ReadRow(Run& run, uint16_t close, std::vector<BcdComplex>* elems, BcdNumber value[2]) {
  for (;;) {
    BcdComplex e;
    if (!EvalArgument(run, &e.re)) {
      std::memcpy(value, &e, sizeof e);
      return 0;
    }
    if (BcdKind(&e.re) != kBcdKindScalar) return Fail(value, kBcdErrMa);
    elems->push_back(e);
    uint16_t c = Peek(run);
    if (c == kTokComma) {
      Skip(run);
      continue;
    }
    if (c == close) {
      Skip(run);
      return 1;
    }
    if (EvalEndsExpression(c)) return 1;
    return Fail(value, kBcdErrSyntax);
  }
}

int ListLiteral(Run& run, uint16_t, BcdNumber value[2]) {
  Skip(run);
  std::vector<BcdComplex> elems;
  if (!ReadRow(run, '}', &elems, value)) return 0;
  if (elems.size() > kMaxListLength) return Fail(value, kBcdErrDimension);
  return MakeArray(ArrayKind::kList, uint16_t(elems.size()), 1, elems, value);
}

int MatrixLiteral(Run& run, uint16_t, BcdNumber value[2]) {
  Skip(run);
  std::vector<BcdComplex> elems;
  size_t rows = 0, cols = 0;
  while (Peek(run) == '[') {
    Skip(run);
    size_t before = elems.size();
    if (!ReadRow(run, ']', &elems, value)) return 0;
    size_t n = elems.size() - before;
    if (rows > 0 && n != cols) return Fail(value, kBcdErrDimension);
    cols = n;
    ++rows;
  }
  uint16_t c = Peek(run);
  if (c == ']') {
    Skip(run);
  } else if (!EvalEndsExpression(c) || rows == 0) {
    return Fail(value, kBcdErrSyntax);
  }
  if (rows > kMaxMatrixSide || cols > kMaxMatrixSide) return Fail(value, kBcdErrDimension);
  return MakeArray(ArrayKind::kMatrix, uint16_t(rows), uint16_t(cols), elems, value);
}

// ---- Functions with bracketed arguments ---------------------------------------------

bool ReadArguments(Run& run, int n, BcdComplex* args, BcdNumber value[2]) {
  return ReadArgumentList(run, n, n, args, value) == n;
}

bool RealArgs(const BcdComplex* args, int n) {
  for (int i = 0; i < n; ++i) {
    if (BcdKind(&args[i].re) != kBcdKindScalar || BcdIsComplex(&args[i].re)) return false;
  }
  return true;
}

// Pol(x, y) gives {r, θ}; Rec(r, θ) gives {x, y}.
int PolRec(Run& run, uint16_t code, BcdNumber value[2]) {
  BcdComplex args[2];
  if (!ReadArguments(run, 2, args, value)) return 0;
  if (!RealArgs(args, 2)) return Fail(value, kBcdErrMa);
  std::vector<BcdComplex> out(2);
  int ok;
  if (code == 0x80) {
    BcdNumber z[2];
    if (!BcdComplexMake(&args[0].re, &args[1].re, z)) return Fail(value, BcdErrorCode(z));
    ok = FnToPolar(z, &out[0].re, &out[1].re, run.mode.angleUnit);
    if (!ok) value[0] = BcdErrorCode(&out[0].re) ? out[0].re : out[1].re;
  } else {
    BcdNumber z[2];
    ok = FnFromPolar(&args[0].re, &args[1].re, run.mode.angleUnit, z);
    if (ok) {
      BcdComplexSplit(z, &out[0].re, &out[1].re);
    } else {
      value[0] = z[0];
    }
  }
  if (!ok) return 0;
  return MakeArray(ArrayKind::kList, 2, 1, out, value);
}

// logab(a, b): the logarithm of b to the base a.
EvalGraphOperandReader gGraphOperands = nullptr;

// PxlTest( and the V-Window values, read by the graph when it is there.
int GraphOperand(Run& run, uint16_t code, BcdNumber value[2]) {
  BcdComplex args[2];
  const int count = code == 0xF7AF ? 2 : 0;
  if (count == 0) Skip(run);
  if (count && !ReadArguments(run, count, args, value)) return 0;
  if (!gGraphOperands) return NotYet(run, code, value);
  return gGraphOperands(code, args, count, value);
}

int LogAB(Run& run, uint16_t, BcdNumber value[2]) {
  BcdComplex args[2];
  if (!ReadArguments(run, 2, args, value)) return 0;
  BcdNumber la[2], lb[2];
  if (!ApplyPrefix(0x85, &args[0].re, run.mode)) return Fail(value, BcdErrorCode(&args[0].re));
  if (!ApplyPrefix(0x85, &args[1].re, run.mode)) return Fail(value, BcdErrorCode(&args[1].re));
  std::memcpy(la, &args[0], sizeof la);
  std::memcpy(lb, &args[1], sizeof lb);
  return ApplyBinary(0xB9, lb, la, value, run.mode);
}

// RndFix(x, n): x rounded to n decimals as Fix n shows it.
int RndFix(Run& run, uint16_t, BcdNumber value[2]) {
  BcdComplex args[2];
  if (!ReadArguments(run, 2, args, value)) return 0;
  int64_t n;
  if (!IntegerIn(&args[1].re, 0, 9, &n)) return Fail(value, kBcdErrArgument);
  if (BcdKind(&args[0].re) != kBcdKindScalar) return Fail(value, kBcdErrMa);
  std::memcpy(value, &args[0], sizeof args[0]);
  if (!BcdIsComplex(&value[0])) BcdZero(&value[1]);
  if (!BcdRoundForDisplay(value, kBcdFix, int(n), false)) {
    return Fail(value, kBcdErrMa);
  }
  return 1;
}

// ---- The table ------------------------------------------------------------------------

struct Range {
  uint16_t first, last;
  Handler handler;
  uint8_t kind;
};

// Operand tokens of the one-byte and 0x7F pages; everything else is kind 1.
constexpr Range kRanges[] = {
    {0x30, 0x39, Literal, 3},
    {0x2E, 0x2E, Literal, 3},
    {0x0F, 0x0F, Literal, 3},
    {0x1A, 0x1F, Literal, 3},
    {0x84, 0x84, PrefixedLiteral, 3},
    {0x94, 0x94, PrefixedLiteral, 3},
    {0xA4, 0xA4, PrefixedLiteral, 3},
    {0xB4, 0xB4, PrefixedLiteral, 3},
    {0xC1, 0xC1, Random, 3},
    {'A', 'Z', Variable, 4},  // X, Y and T are substituted by graphs and tables later
    {0xCD, 0xCE, Variable, 6},
    {0xD0, 0xD0, Pi, 6},
    {0xC0, 0xC0, Ans, 6},
    {0x8E, 0x8E, NotYet, 6},
    {0x24, 0x24, NotYet, 4},
    {0x7B, 0x7B, ListLiteral, 4},
    {0x5B, 0x5B, MatrixLiteral, 4},
    {0x14, 0x19, NotYet, 4},
    {0x7FF0, 0x7FF4, NotYet, 4},
    {0x80, 0x80, PolRec, 4},
    {0xA0, 0xA0, PolRec, 4},
    {0x8D, 0x8D, Integral, 4},
    {0x8F, 0x8F, NotYet, 2},
    {0x9E, 0x9F, NotYet, 2},
    {0xAD, 0xAF, NotYet, 2},
    {0xBD, 0xBF, NotYet, 2},
    {0xC2, 0xCA, NotYet, 2},
    {0xCF, 0xCF, NotYet, 2},
    {0xDF, 0xDF, NotYet, 2},
    {0x7F1D, 0x7F1F, NotYet, 2},
    {0x7F76, 0x7F7D, NotYet, 2},
    {0x7F97, 0x7F98, NotYet, 2},
    {0x7FD6, 0x7FD6, NotYet, 2},
    {0x7FDD, 0x7FDD, NotYet, 2},
    {0x7F00, 0x7F1A, GraphOperand, 2},
    {0x7F20, 0x7F20, Extremum, 4},
    {0x7F2D, 0x7F2D, Extremum, 4},
    {0x7F2E, 0x7F2F, Average, 4},
    {0x7F26, 0x7F27, Derivative, 10},
    {0x7F28, 0x7F28, Solve, 4},
    {0x7F29, 0x7F29, Sequence, 4},
    {0x7F2A, 0x7F2B, Extreme, 4},
    {0x7F2C, 0x7F2C, Sequence, 4},
    {0x7F40, 0x7F40, ArrayOperand, 4},
    {0x7F51, 0x7F51, ArrayOperand, 4},
    {0x7F6A, 0x7F6F, ArrayOperand, 4},
    {0x7F49, 0x7F49, Augment, 4},
    {0x7F4A, 0x7F4A, ListToMatrix, 4},
    {0x7F4B, 0x7F4B, MatrixToList, 4},
    {0x7F52, 0x7F52, NotYet, 4},
    {0x7F50, 0x7F50, Imaginary, 6},
    {0x7F60, 0x7F63, NotYet, 2},
    {0x7F90, 0x7F90, NotYet, 2},
    {0x7F94, 0x7F94, NotYet, 2},
    {0x7F64, 0x7F68, NotYet, 2},
    {0x7FCC, 0x7FCD, NotYet, 2},
    {0x7F91, 0x7F93, NotYet, 2},
    {0x7F95, 0x7F96, NotYet, 9},
    {0x7FA0, 0x7FAE, NotYet, 9},
    {0x7F85, 0x7F85, LogAB, 4},
    {0x7F86, 0x7F86, RndFix, 4},
    {0x7F8F, 0x7F8F, GetKey, 6},
    {0x7FE9, 0x7FEE, NotYet, 3},
    {0x7FEF, 0x7FEF, NotYet, 10},
    {0x7F21, 0x7F25, nullptr, 0},
    {0x7FB0, 0x7FB3, nullptr, 0},
    // The 0xF9-page variables: recursion terms and the V-Window's dot sizes.
    {0xF912, 0xF918, NotYet, 9},
    {0xF91B, 0xF91B, NotYet, 9},
    {0xF921, 0xF922, GraphOperand, 2},
    {0xF7AF, 0xF7AF, GraphOperand, 4},  // PxlTest(
};

}  // namespace

HandlerEntry HandlerOf(uint16_t code) {
  auto scan = [](uint16_t c) -> HandlerEntry {
    for (const Range& r : kRanges) {
      if (c >= r.first && c <= r.last) return {r.handler, r.kind};
    }
    return {nullptr, 1};
  };
  // The handler table proper: 256 one-byte tokens, then the 0x7F page.
  static const auto kTable = [&scan] {
    std::array<HandlerEntry, 512> t{};
    for (int i = 0; i < 512; ++i) t[size_t(i)] = scan(uint16_t(i < 256 ? i : 0x7F00 + i - 256));
    return t;
  }();
  if (code < 0x100) return kTable[code];
  if ((code >> 8) == 0x7F) return kTable[256 + (code & 0xFF)];
  // The 0xF914 slot between the recursion terms has no operand.
  if (code == 0xF914) return {nullptr, 1};
  return scan(code);
}

}  // namespace eval_internal

void EvalSetGraphOperandReader(EvalGraphOperandReader reader) {
  eval_internal::gGraphOperands = reader;
}

int EvalHandlerKind(uint16_t code) {
  if (code > 0xFF && (code >> 8) != 0x7F) return 1;
  return eval_internal::HandlerOf(code).kind;
}
