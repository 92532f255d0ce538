// Lists and matrices taken apart and put together: Augment(, List→Mat( and
// Mat→List( in expressions, and the commands that change stored items in
// place: Fill(, SortA(, SortD(, Swap, *Row, *Row+, Row+.
//
// A command reads and checks all of its arguments and computes the new
// contents before it writes anything, so that a failing command leaves
// every list and matrix as it was.
#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "math/eval_internal.h"
#include "math/token.h"

namespace eval_internal {

namespace {

constexpr uint16_t kTokMulRow = 0x7F42;     // *Row k,X,r
constexpr uint16_t kTokMulRowAdd = 0x7F43;  // *Row+ k,X,r1,r2
constexpr uint16_t kTokRowAdd = 0x7F44;     // Row+ X,r1,r2
constexpr uint16_t kTokSwap = 0x7F45;       // Swap X,r1,r2
constexpr uint16_t kTokFill = 0x7F47;
constexpr uint16_t kTokSortA = 0xF7B0;
constexpr uint16_t kTokSortD = 0xF7B1;
constexpr int kMaxListArguments = 26;

using Elements = std::vector<BcdComplex>;

uint16_t Peek(const Run& run) {
  return TokenPeek(*run.cursor);
}
void Skip(Run& run) {
  TokenAdvance(run.cursor);
}

bool IsListToken(uint16_t c) {
  return c == kTokList || (c >= kTokList1 && c <= kTokList1 + 5);
}

// The elements of a list or matrix value, row by row.
int ReadElements(const BcdNumber* ref, Array* a, Elements* e) {
  if (int code = OpenArray(ref, a)) return code;
  e->resize(a->Count());
  for (uint32_t i = 0; i < a->Count(); ++i) a->Get(i, &(*e)[i].re);
  return 0;
}

int ReadItem(const ArrayName& name, Array* a, Elements* e) {
  BcdNumber ref[2];
  if (!RecallArray(name.kind, name.name.c_str(), ref)) return BcdErrorCode(&ref[0]);
  return ReadElements(&ref[0], a, e);
}

int WriteItem(const ArrayName& name, const Array& shape, const Elements& e) {
  BcdNumber ref[2];
  if (!MakeArray(shape.kind, shape.rows, shape.cols, e, &ref[0])) return BcdErrorCode(&ref[0]);
  int code = StoreArrayItem(&ref[0], name.name.c_str());
  ReleaseValue(&ref[0]);
  return code;
}

int Comma(Run& run) {
  if (Peek(run) != kTokComma) return kBcdErrSyntax;
  Skip(run);
  return 0;
}

// The end of a command: its closing bracket where it has one (optional, as
// everywhere at the end of a statement), then a separator.
int End(Run& run, bool bracket) {
  if (bracket && Peek(run) == kTokCloseParen) Skip(run);
  switch (Peek(run)) {
    case 0:
    case kTokColon:
    case kTokNewLine:
    case kTokDisplayStop:
      return 0;
    default:
      return kBcdErrSyntax;
  }
}

// A real or complex number.
int ScalarArgument(Run& run, BcdNumber v[2]) {
  BcdNumber x[2];
  if (!EvalArgument(run, x)) return BcdErrorCode(&x[0]);
  if (BcdKind(&x[0]) != kBcdKindScalar) return kBcdErrMa;
  CopyValue(v, x);
  return 0;
}

// A row number of a matrix, from 0.
int RowArgument(Run& run, uint16_t rows, uint32_t* row) {
  BcdNumber v[2];
  if (!EvalArgument(run, v)) return BcdErrorCode(&v[0]);
  int64_t n;
  if (!IntegerIn(&v[0], 1, rows, &n)) return kBcdErrArgument;
  *row = uint32_t(n - 1);
  return 0;
}

// The matrix of a row command: a letter, or Mat and a letter or Ans.
int MatrixName(Run& run, ArrayName* out) {
  uint16_t c = Peek(run);
  if (c == kTokMat) return ReadArrayName(run, c, out);
  if (c < 'A' || c > 'Z') return kBcdErrSyntax;
  Skip(run);
  out->kind = ArrayKind::kMatrix;
  out->name = std::string("MAT_") + char(c);
  return 0;
}

// r = a * b + c on 24-byte values; c may be null.
int MulAdd(const BcdNumber* a, const BcdNumber* b, const BcdNumber* c, BcdNumber* r) {
  BcdNumber t[2];
  if (!BcdBinary(kBcdOpMul, a, b, t)) return BcdErrorCode(&t[0]);
  if (c && !BcdBinary(kBcdOpAdd, t, c, t)) return BcdErrorCode(&t[0]);
  CopyValue(r, t);
  return 0;
}

int RowCommand(Run& run, uint16_t code) {
  Skip(run);
  BcdNumber k[2];
  BcdConst(&k[0], kBcdOne);
  BcdZero(&k[1]);
  if (code == kTokMulRow || code == kTokMulRowAdd) {
    if (int e = ScalarArgument(run, k)) return e;
    if (int e = Comma(run)) return e;
  }
  ArrayName name;
  if (int e = MatrixName(run, &name)) return e;
  Array m;
  Elements e;
  if (int error = ReadItem(name, &m, &e)) return error;
  uint32_t from = 0, to = 0;
  if (int error = Comma(run)) return error;
  if (int error = RowArgument(run, m.rows, &from)) return error;
  if (code != kTokMulRow) {
    if (int error = Comma(run)) return error;
    if (int error = RowArgument(run, m.rows, &to)) return error;
  }
  if (int error = End(run, false)) return error;
  for (uint32_t c = 0; c < m.cols; ++c) {
    BcdComplex& a = e[from * m.cols + c];
    BcdComplex& b = e[to * m.cols + c];
    int error = 0;
    switch (code) {
      case kTokSwap:
        std::swap(a, b);
        break;
      case kTokMulRow:
        error = MulAdd(k, &a.re, nullptr, &a.re);
        break;
      default:  // *Row+ and Row+: k times row `from` added to row `to`
        error = MulAdd(k, &a.re, &b.re, &b.re);
        break;
    }
    if (error) return error;
  }
  return WriteItem(name, m, e);
}

int Fill(Run& run) {
  Skip(run);
  BcdNumber v[2];
  if (int e = ScalarArgument(run, v)) return e;
  if (int e = Comma(run)) return e;
  uint16_t c = Peek(run);
  if (c != kTokMat && !IsListToken(c)) return kBcdErrSyntax;
  ArrayName name;
  if (int e = ReadArrayName(run, c, &name)) return e;
  if (int e = End(run, true)) return e;
  Array a;
  Elements e;
  if (int error = ReadItem(name, &a, &e)) return error;
  for (BcdComplex& x : e) CopyValue(&x.re, v);
  return WriteItem(name, a, e);
}

// SortA(List a[, List b ...]): list a in order, the others reordered with it.
int Sort(Run& run, bool ascending) {
  Skip(run);
  std::vector<ArrayName> names;
  for (;;) {
    uint16_t c = Peek(run);
    if (!IsListToken(c) || names.size() == kMaxListArguments) return kBcdErrSyntax;
    names.emplace_back();
    if (int e = ReadArrayName(run, c, &names.back())) return e;
    if (Peek(run) != kTokComma) break;
    Skip(run);
  }
  if (int e = End(run, true)) return e;
  std::vector<Array> shapes(names.size());
  std::vector<Elements> lists(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    if (int e = ReadItem(names[i], &shapes[i], &lists[i])) return e;
    if (lists[i].size() != lists[0].size()) return kBcdErrDimension;
  }
  if (shapes[0].complex) return kBcdErrMa;  // complex numbers have no order
  const Elements& keys = lists[0];
  std::vector<size_t> order(keys.size());
  std::iota(order.begin(), order.end(), size_t{0});
  int op = ascending ? kBcdOpLt : kBcdOpGt;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return BcdCompare(op, &keys[a].re, &keys[b].re) == 1;
  });
  std::vector<Elements> sorted(lists.size());
  for (size_t i = 0; i < lists.size(); ++i) {
    for (size_t j : order) sorted[i].push_back(lists[i][j]);
  }
  for (size_t i = 0; i < names.size(); ++i) {
    if (int e = WriteItem(names[i], shapes[i], sorted[i])) return e;
  }
  return 0;
}

}  // namespace

int ArrayCommand(Run& run, uint16_t code) {
  switch (code) {
    case kTokFill:
      return Fill(run);
    case kTokSortA:
    case kTokSortD:
      return Sort(run, code == kTokSortA);
    case kTokMulRow:
    case kTokMulRowAdd:
    case kTokRowAdd:
    case kTokSwap:
      return RowCommand(run, code);
    default:
      return kBcdErrSyntax;
  }
}

// Augment(A, B): two lists one after the other, or two matrices with the
// same number of rows side by side.
int Augment(Run& run, uint16_t, BcdNumber value[2]) {
  BcdComplex args[2];
  if (ReadArgumentList(run, 2, 2, args, value) != 2) return 0;
  if (!IsArray(&args[0].re) || !IsArray(&args[1].re)) return Fail(value, kBcdErrMa);
  Array x, y;
  Elements ex, ey;
  if (int e = ReadElements(&args[0].re, &x, &ex)) return Fail(value, e);
  if (int e = ReadElements(&args[1].re, &y, &ey)) return Fail(value, e);
  if (x.kind != y.kind) return Fail(value, kBcdErrMa);
  Elements out;
  uint32_t rows = x.rows, cols = 1;
  if (x.kind == ArrayKind::kList) {
    rows = uint32_t(x.rows) + y.rows;
    if (rows > kMaxListLength) return Fail(value, kBcdErrDimension);
    out = ex;
    out.insert(out.end(), ey.begin(), ey.end());
  } else {
    cols = uint32_t(x.cols) + y.cols;
    if (x.rows != y.rows || cols > kMaxMatrixSide) return Fail(value, kBcdErrDimension);
    for (uint32_t r = 0; r < rows; ++r) {
      out.insert(out.end(), ex.begin() + r * x.cols, ex.begin() + (r + 1) * x.cols);
      out.insert(out.end(), ey.begin() + r * y.cols, ey.begin() + (r + 1) * y.cols);
    }
  }
  ReleaseValue(&args[0].re);
  ReleaseValue(&args[1].re);
  return MakeArray(x.kind, uint16_t(rows), uint16_t(cols), out, value);
}

// List→Mat(a, b, ...): the lists, of one length, as the columns of a matrix.
int ListToMatrix(Run& run, uint16_t, BcdNumber value[2]) {
  BcdComplex args[kMaxListArguments];
  int n = ReadArgumentList(run, 1, kMaxListArguments, args, value);
  if (n == 0) return 0;
  std::vector<Elements> columns(static_cast<size_t>(n));
  uint32_t rows = 0;
  for (int i = 0; i < n; ++i) {
    Array a;
    if (!IsArray(&args[i].re)) return Fail(value, kBcdErrMa);
    if (int e = ReadElements(&args[i].re, &a, &columns[size_t(i)])) return Fail(value, e);
    if (a.kind != ArrayKind::kList) return Fail(value, kBcdErrMa);
    if (i > 0 && a.rows != rows) return Fail(value, kBcdErrDimension);
    rows = a.rows;
  }
  if (rows > kMaxMatrixSide) return Fail(value, kBcdErrDimension);
  Elements out;
  for (uint32_t r = 0; r < rows; ++r) {
    for (const Elements& column : columns) out.push_back(column[r]);
  }
  for (int i = 0; i < n; ++i) ReleaseValue(&args[i].re);
  return MakeArray(ArrayKind::kMatrix, uint16_t(rows), uint16_t(n), out, value);
}

// Mat→List(X, c): column c of a matrix as a list.
int MatrixToList(Run& run, uint16_t, BcdNumber value[2]) {
  BcdComplex args[2];
  if (ReadArgumentList(run, 2, 2, args, value) != 2) return 0;
  if (BcdKind(&args[0].re) != kBcdKindMatrix) return Fail(value, kBcdErrMa);
  Array m;
  Elements e;
  if (int error = ReadElements(&args[0].re, &m, &e)) return Fail(value, error);
  int64_t column;
  if (!IntegerIn(&args[1].re, 1, m.cols, &column)) return Fail(value, kBcdErrArgument);
  Elements out;
  for (uint32_t r = 0; r < m.rows; ++r) out.push_back(e[r * m.cols + uint32_t(column - 1)]);
  ReleaseValue(&args[0].re);
  return MakeArray(ArrayKind::kList, m.rows, 1, out, value);
}

}  // namespace eval_internal
