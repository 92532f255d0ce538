// List and matrix values: the reference record, temporary element blocks,
// element-wise application and the matrix operations.
//
// A reference is byte 0 = 0x20 (list) or 0x30 (matrix), bit 7 set when the
// elements are complex; bytes 1-2 and 3-4 the two dimensions (rows and
// columns; a list keeps its length in the first and 1 in the second), bytes
// 5-8 the handle, all in the host's byte order. A handle is either a
// temporary block (tag 1 in the top byte, the host block slot below) or the
// element block of a stored item (tag 2, the arena offset below).
#include <bitset>
#include <cstring>

#include "math/eval_internal.h"
#include "memory/mcs_core.h"
#include "memory/mem_handles.h"
#include "memory/mem_numarray.h"

namespace eval_internal {

namespace {

constexpr uint32_t kTagTemporary = 0x01000000;
constexpr uint32_t kTagItem = 0x02000000;
constexpr uint32_t kTagMask = 0xFF000000;
constexpr uint32_t kRecord = sizeof(BcdNumber);

std::bitset<kMemHandleCount> g_ours;  // host block slots holding our temporaries

uint16_t Load16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}
uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

void WriteRef(ArrayKind kind, uint16_t rows, uint16_t cols, bool complex, uint32_t handle,
              BcdNumber* out) {
  std::memset(out->bytes, 0, sizeof out->bytes);
  out->bytes[0] = uint8_t(uint8_t(kind) | (complex ? kBcdComplexFlag : 0));
  std::memcpy(out->bytes + 1, &rows, 2);
  std::memcpy(out->bytes + 3, &cols, 2);
  std::memcpy(out->bytes + 5, &handle, 4);
}

uint32_t BlockBytes(uint32_t count, bool complex) {
  return count * kRecord * (complex ? 2 : 1);
}

bool IsScalarValue(const BcdNumber* x) {
  return BcdKind(x) == kBcdKindScalar;
}

}  // namespace

void Array::Get(uint32_t i, BcdNumber out[2]) const {
  BcdNumber re, im;
  std::memcpy(&re, block + i * kRecord, kRecord);
  if (complex) {
    std::memcpy(&im, block + (Count() + i) * kRecord, kRecord);
    re.bytes[0] &= uint8_t(~kBcdComplexFlag);
    im.bytes[0] &= uint8_t(~kBcdComplexFlag);
  } else {
    BcdZero(&im);
  }
  BcdComplexMake(&re, &im, out);
}

bool IsArray(const BcdNumber* x) {
  int k = BcdKind(x);
  return k == kBcdKindList || k == kBcdKindMatrix;
}

int OpenArray(const BcdNumber* ref, Array* a) {
  if (int code = BcdErrorCode(ref)) return code;
  if (!IsArray(ref)) return kBcdErrMa;
  a->kind = BcdKind(ref) == kBcdKindList ? ArrayKind::kList : ArrayKind::kMatrix;
  a->complex = (ref->bytes[0] & kBcdComplexFlag) != 0;
  a->rows = Load16(ref->bytes + 1);
  a->cols = Load16(ref->bytes + 3);
  uint32_t handle = Load32(ref->bytes + 5);
  uint32_t bytes = BlockBytes(a->Count(), a->complex);
  if (a->Count() == 0) return kBcdErrDimension;
  switch (handle & kTagMask) {
    case kTagTemporary: {
      int slot = int(handle & 0xFFFF);
      uint8_t* block = MemHandleBlock(slot);
      if (!block || slot >= kMemHandleCount || !g_ours[size_t(slot)] ||
          MemHandleSize(slot) < bytes) {
        return kBcdErrMemory;
      }
      a->block = block;
      return 0;
    }
    case kTagItem: {
      uint32_t offset = handle & 0xFFFF;
      if (!McsArenaBase() || offset + bytes > kMcsArenaSize) return kBcdErrMemory;
      a->block = McsAddress(offset);
      return MemAddressClass(a->block) == kMemAddrArena ? 0 : kBcdErrMemory;
    }
    default:
      return kBcdErrMemory;
  }
}

namespace {

// The host block slot of a temporary value of ours, or -1.
int TemporarySlot(const BcdNumber* x) {
  if (!IsArray(x)) return -1;
  uint32_t handle = Load32(x->bytes + 5);
  int slot = int(handle & 0xFFFF);
  if ((handle & kTagMask) != kTagTemporary || slot >= kMemHandleCount || !g_ours[size_t(slot)]) {
    return -1;
  }
  return slot;
}

int WriteArray(ArrayKind kind, uint16_t rows, uint16_t cols, const std::vector<BcdComplex>& elems,
               int reuse, BcdNumber* out) {
  uint32_t count = uint32_t(rows) * cols;
  if (count == 0 || elems.size() != count) return Fail(out, kBcdErrDimension);
  bool complex = false;
  for (const BcdComplex& e : elems) complex = complex || BcdIsComplex(&e.re);
  uint32_t bytes = BlockBytes(count, complex);
  if (bytes > 0xFFFF) return Fail(out, kBcdErrMemory);
  int slot = reuse;
  if (slot < 0 || MemHandleSize(slot) < bytes) {
    slot = MemHandleAlloc(uint16_t(bytes));
    if (slot < 0) return Fail(out, kBcdErrMemory);
    g_ours[size_t(slot)] = true;
  }
  uint8_t* block = MemHandleBlock(slot);
  for (uint32_t i = 0; i < count; ++i) {
    BcdNumber re, im;
    BcdComplexSplit(&elems[i].re, &re, &im);
    if (complex) re.bytes[0] |= kBcdComplexFlag;
    std::memcpy(block + i * kRecord, &re, kRecord);
    if (complex) std::memcpy(block + (count + i) * kRecord, &im, kRecord);
  }
  WriteRef(kind, rows, cols, complex, kTagTemporary | uint32_t(slot), out);
  return 1;
}

}  // namespace

int MakeArray(ArrayKind kind, uint16_t rows, uint16_t cols, const std::vector<BcdComplex>& elems,
              BcdNumber* out) {
  return WriteArray(kind, rows, cols, elems, -1, out);
}

void MakeItemRef(ArrayKind kind, uint16_t rows, uint16_t cols, bool complex, const uint8_t* block,
                 BcdNumber* out) {
  uint32_t offset = uint32_t(block - McsArenaBase());
  WriteRef(kind, rows, cols, complex, kTagItem | offset, out);
}

int StoreArrayItem(const BcdNumber* ref, const char* name) {
  Array a;
  if (int code = OpenArray(ref, &a)) return code;
  uint32_t bytes = BlockBytes(a.Count(), a.complex);
  std::vector<uint8_t> block(a.block, a.block + bytes);  // the source may lie in the arena
  NumArrayShape shape = a.kind == ArrayKind::kList ? ListShape(a.rows, a.complex)
                                                   : MatrixShape(a.rows, a.cols, a.complex);
  MemDelete(MemInFolder(kMainFolder), name);
  uint8_t* data;
  uint32_t size;
  if (MemCreateNumArray(MemInFolder(kMainFolder), name, shape, 0) != kMemOk ||
      MemGetPointer(MemInFolder(kMainFolder), name, &data, &size) != kMemOk) {
    return kBcdErrMemory;
  }
  std::memcpy(data + kNumArrayHeader, block.data(), bytes);
  return 0;
}

void ReleaseValue(const BcdNumber* x) {
  int slot = TemporarySlot(x);
  if (slot < 0) return;
  g_ours[size_t(slot)] = false;
  MemHandleFree(slot);
}

void ReleaseAllTemporaries() {
  if (g_ours.none()) return;  // the common case: a statement of scalars
  for (int slot = 0; slot < kMemHandleCount; ++slot) {
    if (g_ours[size_t(slot)]) MemHandleFree(slot);
  }
  g_ours.reset();
}

// ---- Element-wise ------------------------------------------------------------------

int MapArray(const BcdNumber* ref, bool allowMatrix, ElementFn fn, const void* ctx,
             BcdNumber* out) {
  Array a;
  if (int code = OpenArray(ref, &a)) return Fail(out, code);
  if (a.kind == ArrayKind::kMatrix && !allowMatrix) return Fail(out, kBcdErrMa);
  std::vector<BcdComplex> elems(a.Count());
  for (uint32_t i = 0; i < a.Count(); ++i) {
    BcdNumber x[2];
    a.Get(i, x);
    if (!fn(x, &elems[i].re, ctx)) {
      *out = elems[i].re;
      return 0;
    }
    if (!IsScalarValue(&elems[i].re)) return Fail(out, kBcdErrMa);
  }
  // A temporary operand that is also the destination gives its block to the
  // result when it is large enough.
  BcdNumber copy = *ref;
  int reuse = out == ref ? TemporarySlot(ref) : -1;
  int ok = WriteArray(a.kind, a.rows, a.cols, elems, reuse, out);
  if (ok && TemporarySlot(out) != reuse) ReleaseValue(&copy);
  return ok;
}

int ZipArrays(const BcdNumber* a, const BcdNumber* b, bool matrixOk, bool scalarMatrixOk,
              BinaryFn fn, const void* ctx, BcdNumber* out) {
  if (int code = BcdErrorCode(a)) return Fail(out, code);
  if (int code = BcdErrorCode(b)) return Fail(out, code);
  Array x, y;
  bool ax = IsArray(a), bx = IsArray(b);
  if (ax) {
    if (int code = OpenArray(a, &x)) return Fail(out, code);
  }
  if (bx) {
    if (int code = OpenArray(b, &y)) return Fail(out, code);
  }
  const Array& shape = ax ? x : y;
  if (ax && bx) {
    if (x.kind != y.kind) return Fail(out, kBcdErrMa);
    if (x.kind == ArrayKind::kMatrix && !matrixOk) return Fail(out, kBcdErrMa);
    if (x.rows != y.rows || x.cols != y.cols) return Fail(out, kBcdErrDimension);
  } else if (shape.kind == ArrayKind::kMatrix && !scalarMatrixOk) {
    return Fail(out, kBcdErrMa);
  }
  BcdNumber sa[2], sb[2];
  if (!ax) CopyValue(sa, a);
  if (!bx) CopyValue(sb, b);
  std::vector<BcdComplex> elems(shape.Count());
  for (uint32_t i = 0; i < shape.Count(); ++i) {
    if (ax) x.Get(i, sa);
    if (bx) y.Get(i, sb);
    if (!fn(sa, sb, &elems[i].re, ctx)) {
      *out = elems[i].re;
      return 0;
    }
    if (!IsScalarValue(&elems[i].re)) return Fail(out, kBcdErrMa);
  }
  BcdNumber ca = *a, cb = *b;
  int ok = MakeArray(shape.kind, shape.rows, shape.cols, elems, out);
  if (ok) {
    ReleaseValue(&ca);
    ReleaseValue(&cb);
  }
  return ok;
}

// ---- Matrices ------------------------------------------------------------------------

namespace {

// A matrix read into memory, row by row.
struct Dense {
  uint16_t rows = 0, cols = 0;
  std::vector<BcdComplex> e;
  BcdNumber* At(uint32_t r, uint32_t c) { return &e[r * cols + c].re; }
};

int ReadMatrix(const BcdNumber* ref, Dense* d, BcdNumber* out) {
  Array a;
  if (int code = OpenArray(ref, &a)) return Fail(out, code);
  if (a.kind != ArrayKind::kMatrix) return Fail(out, kBcdErrMa);
  d->rows = a.rows;
  d->cols = a.cols;
  d->e.resize(a.Count());
  for (uint32_t i = 0; i < a.Count(); ++i) a.Get(i, &d->e[i].re);
  return 1;
}

// The result of an operation on `operand`, which is released once the result
// stands (out may be the operand).
int WriteMatrix(const Dense& d, const BcdNumber* operand, BcdNumber* out) {
  BcdNumber old = operand ? *operand : BcdNumber{};
  int ok = MakeArray(ArrayKind::kMatrix, d.rows, d.cols, d.e, out);
  if (ok && operand) ReleaseValue(&old);
  return ok;
}

// A square matrix operand.
int ReadSquare(const BcdNumber* ref, Dense* d, BcdNumber* out) {
  if (!ReadMatrix(ref, d, out)) return 0;
  return d->rows == d->cols ? 1 : Fail(out, kBcdErrDimension);
}

// a*b + c into r (24-byte values), stopping at errors.
int MulAdd(const BcdNumber* a, const BcdNumber* b, const BcdNumber* c, BcdNumber* r) {
  BcdNumber p[2];
  if (!BcdBinary(kBcdOpMul, a, b, p)) {
    CopyValue(r, p);
    return 0;
  }
  return BcdBinary(kBcdOpAdd, c, p, r);
}

int Product(const Dense& x, const Dense& y, Dense* z, BcdNumber* out) {
  if (x.cols != y.rows) return Fail(out, kBcdErrDimension);
  z->rows = x.rows;
  z->cols = y.cols;
  z->e.assign(uint32_t(z->rows) * z->cols, BcdComplex{});
  for (uint32_t r = 0; r < z->rows; ++r) {
    if (BreakRequested()) return Fail(out, kBcdErrBreak);
    for (uint32_t c = 0; c < z->cols; ++c) {
      BcdNumber sum[2] = {};
      for (uint32_t k = 0; k < x.cols; ++k) {
        if (!MulAdd(&x.e[r * x.cols + k].re, &y.e[k * y.cols + c].re, sum, sum)) {
          *out = sum[0];
          return 0;
        }
      }
      CopyValue(z->At(r, c), sum);
    }
  }
  return 1;
}

// |re| + |im|: enough to choose a pivot.
BcdNumber Magnitude(const BcdNumber* z) {
  BcdNumber re, im, sum;
  BcdComplexSplit(z, &re, &im);
  BcdAbs(&re, &re);
  BcdAbs(&im, &im);
  BcdAdd(&re, &im, &sum);
  return sum;
}

void Identity(uint16_t n, Dense* d) {
  d->rows = d->cols = n;
  d->e.assign(uint32_t(n) * n, BcdComplex{});
  for (uint32_t i = 0; i < n; ++i) BcdConst(d->At(i, i), kBcdOne);
}

// Gaussian elimination with the largest pivot of each column; the
// determinant, and the inverse when asked.
int Eliminate(Dense m, BcdNumber* det, Dense* inverse) {
  uint16_t n = m.rows;
  Dense inv;
  Identity(n, &inv);
  BcdNumber d[2];
  BcdConst(&d[0], kBcdOne);
  BcdZero(&d[1]);
  for (uint32_t col = 0; col < n; ++col) {
    if (BreakRequested()) {
      BcdError(det, kBcdErrBreak);
      return 0;
    }
    uint32_t pivot = col;
    BcdNumber best;
    BcdZero(&best);
    for (uint32_t r = col; r < n; ++r) {
      BcdNumber mag = Magnitude(m.At(r, col));
      if (BcdCompare(kBcdOpGt, &mag, &best) == 1) {
        best = mag;
        pivot = r;
      }
    }
    if (BcdIsZero(&best)) {
      BcdZero(det);
      return 2;  // singular
    }
    if (pivot != col) {
      for (uint32_t c = 0; c < n; ++c) {
        std::swap(*reinterpret_cast<BcdComplex*>(m.At(pivot, c)),
                  *reinterpret_cast<BcdComplex*>(m.At(col, c)));
        std::swap(*reinterpret_cast<BcdComplex*>(inv.At(pivot, c)),
                  *reinterpret_cast<BcdComplex*>(inv.At(col, c)));
      }
      BcdNeg(d, d);
    }
    BcdNumber p[2];
    CopyValue(p, m.At(col, col));
    if (!BcdBinary(kBcdOpMul, d, p, d)) {
      *det = d[0];
      return 0;
    }
    for (uint32_t r = 0; r < n; ++r) {
      if (r == col) continue;
      BcdNumber f[2];
      if (!BcdBinary(kBcdOpDiv, m.At(r, col), p, f)) {
        *det = f[0];
        return 0;
      }
      BcdNeg(f, f);
      for (uint32_t c = 0; c < n; ++c) {
        if (!MulAdd(f, m.At(col, c), m.At(r, c), m.At(r, c)) ||
            !MulAdd(f, inv.At(col, c), inv.At(r, c), inv.At(r, c))) {
          *det = *m.At(r, c);
          return 0;
        }
      }
    }
  }
  if (inverse) {
    for (uint32_t r = 0; r < n; ++r) {
      BcdNumber p[2];
      CopyValue(p, m.At(r, r));
      for (uint32_t c = 0; c < n; ++c) {
        if (!BcdBinary(kBcdOpDiv, inv.At(r, c), p, inv.At(r, c))) {
          *det = *inv.At(r, c);
          return 0;
        }
      }
    }
    *inverse = std::move(inv);
  }
  CopyValue(det, d);
  return 1;
}

}  // namespace

int MatrixMul(const BcdNumber* a, const BcdNumber* b, BcdNumber* out) {
  Dense x, y, z;
  if (!ReadMatrix(a, &x, out) || !ReadMatrix(b, &y, out)) return 0;
  if (!Product(x, y, &z, out)) return 0;
  BcdNumber cb = *b;
  int ok = WriteMatrix(z, a, out);
  if (ok) ReleaseValue(&cb);
  return ok;
}

int MatrixPow(const BcdNumber* m, const BcdNumber* n, BcdNumber* out) {
  Dense x;
  if (!ReadSquare(m, &x, out)) return 0;
  int64_t k;
  if (!IntegerIn(n, -255, 255, &k)) return Fail(out, kBcdErrMa);
  if (k < 0) {  // a power of the inverse
    BcdNumber d[2];
    Dense inv;
    int r = Eliminate(std::move(x), d, &inv);
    if (r != 1) return r == 0 ? Fail(out, BcdErrorCode(&d[0])) : Fail(out, kBcdErrMa);
    x = std::move(inv);
    k = -k;
  }
  Dense result;
  Identity(x.rows, &result);
  for (; k > 0; k >>= 1) {
    Dense t;
    if ((k & 1) && !Product(result, x, &t, out)) return 0;
    if (k & 1) result = std::move(t);
    if (k > 1) {
      Dense sq;
      if (!Product(x, x, &sq, out)) return 0;
      x = std::move(sq);
    }
  }
  return WriteMatrix(result, m, out);
}

int MatrixTranspose(const BcdNumber* m, BcdNumber* out) {
  Dense x, t;
  if (!ReadMatrix(m, &x, out)) return 0;
  t.rows = x.cols;
  t.cols = x.rows;
  t.e.resize(x.e.size());
  for (uint32_t r = 0; r < x.rows; ++r) {
    for (uint32_t c = 0; c < x.cols; ++c) t.e[c * t.cols + r] = x.e[r * x.cols + c];
  }
  return WriteMatrix(t, m, out);
}

int MatrixDet(const BcdNumber* m, BcdNumber* out) {
  Dense x;
  if (!ReadSquare(m, &x, out)) return 0;
  BcdNumber d[2];
  int r = Eliminate(std::move(x), d, nullptr);
  if (r == 0) {
    *out = d[0];
    return 0;
  }
  if (r == 2) BcdZero(&d[0]), BcdZero(&d[1]);
  ReleaseValue(m);
  CopyValue(out, d);
  return 1;
}

int MatrixInverse(const BcdNumber* m, BcdNumber* out) {
  Dense x, inv;
  if (!ReadSquare(m, &x, out)) return 0;
  BcdNumber d[2];
  int r = Eliminate(std::move(x), d, &inv);
  if (r == 0) {
    *out = d[0];
    return 0;
  }
  if (r == 2) return Fail(out, kBcdErrMa);
  return WriteMatrix(inv, m, out);
}

int MatrixIdentity(const BcdNumber* n, BcdNumber* out) {
  int64_t size;
  if (!IntegerIn(n, 1, 255, &size)) return Fail(out, kBcdErrArgument);
  Dense d;
  Identity(uint16_t(size), &d);
  return WriteMatrix(d, nullptr, out);
}

// ---- List functions --------------------------------------------------------------------

int ListFunction(uint16_t token, const BcdNumber* x, BcdNumber* out) {
  Array a;
  if (int code = OpenArray(x, &a)) return Fail(out, code);
  if (token == 0x7F46) {              // Dim: a list's length, a matrix's {rows, columns}
    std::vector<BcdComplex> dims(2);  // imaginary parts zero
    BcdFromInt(&dims[0].re, a.rows);
    BcdFromInt(&dims[1].re, a.cols);
    ReleaseValue(x);
    if (a.kind == ArrayKind::kList) {
      CopyValue(out, &dims[0].re);
      return 1;
    }
    return MakeArray(ArrayKind::kList, 2, 1, dims, out);
  }
  if (a.kind != ArrayKind::kList) return Fail(out, kBcdErrMa);
  std::vector<BcdComplex> e(a.Count());
  for (uint32_t i = 0; i < a.Count(); ++i) a.Get(i, &e[i].re);
  BcdNumber acc[2];
  BcdZero(&acc[0]);
  BcdZero(&acc[1]);
  if (token == 0x7F4D) BcdConst(&acc[0], kBcdOne);
  int op = token == 0x7F4D ? kBcdOpMul : kBcdOpAdd;
  std::vector<BcdComplex> running(a.Count());
  for (uint32_t i = 0; i < a.Count(); ++i) {
    if (!BcdBinary(op, acc, &e[i].re, acc)) {
      *out = acc[0];
      return 0;
    }
    CopyValue(&running[i].re, acc);
  }
  BcdNumber cx = *x;
  int ok = 1;
  switch (token) {
    case 0x7F4C:  // Sum
    case 0x7F4D:  // Prod
      CopyValue(out, acc);
      break;
    case 0x7F4F:  // Cuml
      ok = MakeArray(a.kind, a.rows, 1, running, out);
      break;
    default: {  // Percent: each element as a percentage of the sum
      BcdNumber hundred;
      BcdFromInt(&hundred, 100);
      for (BcdComplex& v : e) {
        if (!BcdBinary(kBcdOpDiv, &v.re, acc, &v.re) ||
            !BcdBinary(kBcdOpMul, &v.re, &hundred, &v.re)) {
          *out = v.re;
          return 0;
        }
      }
      ok = MakeArray(a.kind, a.rows, 1, e, out);
      break;
    }
  }
  if (ok) ReleaseValue(&cx);
  return ok;
}

}  // namespace eval_internal
