// Operand functions over lists and over an expression: Max( Min( Mean(
// Median( and Seq( Σ(.
#include <algorithm>
#include <cstring>

#include "math/eval_internal.h"
#include "math/token.h"
#include "memory/mem_app.h"

namespace eval_internal {

namespace {

constexpr uint16_t kMaxToken = 0x7F20;
constexpr uint16_t kMeanToken = 0x7F2E;
constexpr uint16_t kSumToken = 0x7F29;
constexpr int64_t kMaxSumTerms = 1000000;

bool IsReal(const BcdNumber* x) {
  return BcdKind(x) == kBcdKindScalar && !BcdIsComplex(x);
}

// The larger (or smaller) of two real scalars.
int Pick(const BcdNumber a[2], const BcdNumber b[2], BcdNumber r[2], const void* ctx) {
  bool max = *static_cast<const bool*>(ctx);
  if (!IsReal(a) || !IsReal(b)) return Fail(r, kBcdErrMa);
  CopyValue(r, BcdCompare(max ? kBcdOpGt : kBcdOpLt, &b[0], &a[0]) == 1 ? b : a);
  return 1;
}

// The real elements of a list (a scalar counts as a list of one).
int Elements(const BcdNumber* x, std::vector<BcdNumber>* out, BcdNumber value[2]) {
  if (!IsArray(x)) {
    if (!IsReal(x)) return Fail(value, kBcdErrMa);
    out->push_back(*x);
    return 1;
  }
  Array a;
  if (int error = OpenArray(x, &a)) return Fail(value, error);
  if (a.kind != ArrayKind::kList || a.complex) return Fail(value, kBcdErrMa);
  for (uint32_t i = 0; i < a.Count(); ++i) {
    BcdNumber e[2];
    a.Get(i, e);
    out->push_back(e[0]);
  }
  return 1;
}

}  // namespace

bool SkipExpression(Run& run) {
  int depth = 0;
  for (;;) {
    uint16_t c = TokenPeek(*run.cursor);
    if (c == 0) return false;
    if (depth == 0 && c == kTokComma) return true;
    if (OpensBracket(c)) {
      ++depth;
    } else if (c == kTokCloseParen || c == ']' || c == '}') {
      if (depth-- == 0) return false;
    } else if (depth == 0 && EvalEndsExpression(c)) {
      return false;
    }
    TokenAdvance(run.cursor);
  }
}

int Extremum(Run& run, uint16_t code, BcdNumber value[2]) {
  BcdComplex args[2];
  int n = ReadArgumentList(run, 1, 2, args, value);
  if (n == 0) return 0;
  bool max = code == kMaxToken;
  if (n == 2) {
    if (IsArray(&args[0].re) || IsArray(&args[1].re)) {
      return ZipArrays(&args[0].re, &args[1].re, false, false, Pick, &max, value);
    }
    return Pick(&args[0].re, &args[1].re, value, &max);
  }
  std::vector<BcdNumber> xs;
  if (!Elements(&args[0].re, &xs, value)) return 0;
  BcdNumber best[2] = {xs[0], {}};
  for (const BcdNumber& x : xs) {
    BcdNumber e[2] = {x, {}};
    Pick(best, e, best, &max);
  }
  ReleaseValue(&args[0].re);
  CopyValue(value, best);
  return 1;
}

// Mean(list[, frequencies]) and Median(list[, frequencies]).
int Average(Run& run, uint16_t code, BcdNumber value[2]) {
  BcdComplex args[2];
  int n = ReadArgumentList(run, 1, 2, args, value);
  if (n == 0) return 0;
  std::vector<BcdNumber> xs, fs;
  if (!Elements(&args[0].re, &xs, value)) return 0;
  if (n == 2) {
    if (!Elements(&args[1].re, &fs, value)) return 0;
    if (fs.size() != xs.size()) return Fail(value, kBcdErrDimension);
  } else {
    fs.assign(xs.size(), BcdNumber{});
    for (BcdNumber& f : fs) BcdConst(&f, kBcdOne);
  }
  ReleaseValue(&args[0].re);
  ReleaseValue(&args[1].re);
  BcdNumber total, weighted;
  BcdZero(&total);
  BcdZero(&weighted);
  for (size_t i = 0; i < xs.size(); ++i) {
    BcdNumber term;
    if (BcdIsNegative(&fs[i])) return Fail(value, kBcdErrMa);
    if (!BcdMul(&xs[i], &fs[i], &term) || !BcdAdd(&weighted, &term, &weighted) ||
        !BcdAdd(&total, &fs[i], &total)) {
      return Fail(value, kBcdErrMa);
    }
  }
  if (BcdIsZero(&total)) return Fail(value, kBcdErrMa);
  BcdZero(&value[1]);
  if (code == kMeanToken) return BcdDiv(&weighted, &total, &value[0]);
  // The median counts each value as often as its frequency says.
  int64_t count;
  if (!IntegerIn(&total, 1, 99999999, &count)) return Fail(value, kBcdErrMa);
  std::vector<size_t> order(xs.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return BcdCompare(kBcdOpLt, &xs[a], &xs[b]) == 1; });
  std::vector<int64_t> counts(fs.size());
  for (size_t i = 0; i < fs.size(); ++i) {
    if (!IntegerIn(&fs[i], 0, 99999999, &counts[i])) return Fail(value, kBcdErrMa);
  }
  auto at = [&](int64_t k) {  // the k-th value (from 1) in order
    for (size_t i : order) {
      if (k <= counts[i]) return xs[i];
      k -= counts[i];
    }
    return xs[order.back()];
  };
  BcdNumber lo = at((count + 1) / 2), hi = at(count / 2 + 1), two;
  if (count % 2) {
    value[0] = lo;
    return 1;
  }
  BcdConst(&two, kBcdTwo);
  BcdAdd(&lo, &hi, &value[0]);
  return BcdDiv(&value[0], &two, &value[0]);
}

// Seq(expression, variable, start, end, step) lists the expression's values;
// Σ(expression, variable, start, end[, step]) adds them. The variable keeps
// its value.
int Sequence(Run& run, uint16_t code, BcdNumber value[2]) {
  bool sum = code == kSumToken;
  TokenAdvance(run.cursor);
  const uint8_t* expression = *run.cursor;
  if (!SkipExpression(run)) return Fail(value, kBcdErrSyntax);
  TokenAdvance(run.cursor);
  uint16_t var = TokenAdvance(run.cursor);
  uint32_t slot = var < 0x100 ? MemVariableSlot(uint8_t(var)) : kMemNoVariable;
  if (slot == kMemNoVariable || var == kTokAns || TokenPeek(*run.cursor) != kTokComma) {
    return Fail(value, kBcdErrSyntax);
  }
  BcdComplex args[3];
  BcdConst(&args[2].re, kBcdOne);
  int n = ReadArgumentList(run, sum ? 2 : 3, 3, args, value);
  if (n == 0) return 0;
  for (const BcdComplex& a : args) {
    if (!IsReal(&a.re)) return Fail(value, kBcdErrMa);
  }
  if (BcdIsZero(&args[2].re)) return Fail(value, kBcdErrArgument);
  // Terms: floor((end - start) / step) + 1.
  BcdNumber span, steps, terms, one;
  BcdConst(&one, kBcdOne);
  BcdSub(&args[1].re, &args[0].re, &span);
  BcdDiv(&span, &args[2].re, &steps);
  FnUnary(kFnIntg, &steps, &steps, run.mode);
  if (BcdIsNegative(&steps)) {
    BcdZero(&terms);
  } else if (!BcdAdd(&steps, &one, &terms)) {
    return Fail(value, kBcdErrMa);
  }
  int64_t count;
  if (!IntegerIn(&terms, 0, kMaxSumTerms, &count)) {
    return Fail(value, sum ? kBcdErrArgument : kBcdErrDimension);
  }
  if (!sum && (count < 1 || count > kMaxListLength)) return Fail(value, kBcdErrDimension);
  const uint8_t* after = *run.cursor;
  uint8_t saved[kMemAlphaRecord];
  std::memcpy(saved, MemVariable(slot), kMemAlphaRecord);
  std::vector<BcdComplex> elems;
  BcdNumber acc[2];
  BcdZero(&acc[0]);
  BcdZero(&acc[1]);
  int ok = 1;
  for (int64_t k = 0; k < count && ok; ++k) {
    BcdNumber x, kk;
    BcdFromInt(&kk, k);
    BcdMul(&kk, &args[2].re, &x);
    BcdAdd(&args[0].re, &x, &x);
    uint8_t record[kMemAlphaRecord] = {};
    std::memcpy(record, &x, sizeof x);
    MemSetVariable(uint8_t(var), record);
    *run.cursor = expression;
    BcdComplex v;
    if (BreakRequested()) {
      ok = Fail(value, kBcdErrBreak);
    } else if (!EvalArgument(run, &v.re)) {
      std::memcpy(value, &v, sizeof v);
      ok = 0;
    } else if (BcdKind(&v.re) != kBcdKindScalar) {
      ok = Fail(value, kBcdErrMa);
    } else if (sum) {
      if (!BcdBinary(kBcdOpAdd, acc, &v.re, acc)) ok = Fail(value, BcdErrorCode(acc));
    } else {
      elems.push_back(v);
    }
  }
  MemSetVariable(uint8_t(var), saved);
  *run.cursor = after;
  if (!ok) return 0;
  if (sum) {
    CopyValue(value, acc);
    return 1;
  }
  return MakeArray(ArrayKind::kList, uint16_t(elems.size()), 1, elems, value);
}

}  // namespace eval_internal
