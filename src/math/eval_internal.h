// Shared pieces of the evaluator's files. Not for use outside src/math.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "math/bcd.h"
#include "math/bcd_work.h"
#include "math/eval.h"
#include "math/functions.h"

namespace eval_internal {

// What an operand handler sees of the evaluation it serves.
struct Run {
  const uint8_t** cursor;
  EvalStacks* stacks;
  uint32_t flags;
  FnMode mode;
};

// Writes the value of the operand token at the cursor (already known to
// be `code`; the handler moves the cursor past everything it reads).
// Returns 1, or 0 with an error value in value.
using Handler = int (*)(Run& run, uint16_t code, BcdNumber value[2]);

struct HandlerEntry {
  Handler handler;
  uint8_t kind;
};
// The operand handler of a code (nullptr handler for kinds 0 and 1). The
// 0xF9-page variables come through here as well.
HandlerEntry HandlerOf(uint16_t code);

// What the operands and functions of features that later parts of the
// system bring (statistics results, V-Window values, table, recursion and
// sheet variables, solvers) give until then.
constexpr int kNotYet = kBcdErrMa;

// Copies a 12- or 24-byte value into a 24-byte one (a real value gets a
// zero imaginary part).
inline void CopyValue(BcdNumber* dst, const BcdNumber* src) {
  bool complex = BcdIsComplex(src);
  dst[0] = src[0];
  if (complex) {
    dst[1] = src[1];
  } else {
    BcdZero(&dst[1]);
  }
}

inline int Fail(BcdNumber* out, int code) {
  BcdError(out, code);
  return 0;
}

// The break test (AC pressed), also asked inside long matrix work.
bool BreakRequested();

// The current setup as the functions want it.
FnMode CurrentMode();

// A nested evaluation of an argument (flag kEvalArgument); the cursor ends
// on the token that ended it.
int EvalArgument(Run& run, BcdNumber value[2]);

// A real integer lo <= x <= hi (eval_apply.cpp).
bool IntegerIn(const BcdNumber* x, int64_t lo, int64_t hi, int64_t* v);

// ---- Lists and matrices (eval_values.cpp) ------------------------------------

inline constexpr int kMaxListLength = 999;
inline constexpr int kMaxMatrixSide = 255;

enum class ArrayKind : uint8_t { kList = 0x20, kMatrix = 0x30 };

// An opened list or matrix value: its shape and its element block.
struct Array {
  ArrayKind kind = ArrayKind::kList;
  uint16_t rows = 0;  // a list's length
  uint16_t cols = 1;  // 1 for a list
  bool complex = false;
  const uint8_t* block = nullptr;  // real parts, then imaginary parts when complex
  uint32_t Count() const { return uint32_t(rows) * cols; }
  // Element i as a 24-byte value (a real record when its imaginary part is 0).
  void Get(uint32_t i, BcdNumber out[2]) const;
};

bool IsArray(const BcdNumber* x);
// Opens a reference; 0 or the error code (4 for a handle the allocator does
// not know, the error value's own code, 3 for a non-array).
int OpenArray(const BcdNumber* ref, Array* a);
// A new temporary list or matrix from element values (24 bytes each).
// Returns 1 with the reference in out, or 0 with error 4 (no memory) or 9
// (a dimension below 1).
int MakeArray(ArrayKind kind, uint16_t rows, uint16_t cols, const std::vector<BcdComplex>& elems,
              BcdNumber* out);
// A reference to a list or matrix item's element block in main memory.
void MakeItemRef(ArrayKind kind, uint16_t rows, uint16_t cols, bool complex, const uint8_t* block,
                 BcdNumber* out);
// Writes a list or matrix value as the item `name` of "main", replacing it.
// Returns 0 or the error code.
int StoreArrayItem(const BcdNumber* ref, const char* name);
// Frees the block of a temporary value; stored items and scalars are left.
void ReleaseValue(const BcdNumber* x);
// Frees every temporary block the evaluator still holds.
void ReleaseAllTemporaries();

// Applies a scalar function to each element of a list (or a matrix when
// allowed), building a new value of the same shape. The first element error
// stops it.
using ElementFn = int (*)(const BcdNumber x[2], BcdNumber r[2], const void* ctx);
int MapArray(const BcdNumber* ref, bool allowMatrix, ElementFn fn, const void* ctx, BcdNumber* out);

// A binary scalar operation applied element by element: list with list (same
// length), list with scalar, matrix with matrix (same shape) where
// `matrixOk`, matrix with scalar where `scalarMatrixOk`.
using BinaryFn = int (*)(const BcdNumber a[2], const BcdNumber b[2], BcdNumber r[2],
                         const void* ctx);
int ZipArrays(const BcdNumber* a, const BcdNumber* b, bool matrixOk, bool scalarMatrixOk,
              BinaryFn fn, const void* ctx, BcdNumber* out);

// Where lists and matrices live in main memory: items of "main" named
// "MAT_A" ... "MAT_Z", "MAT_ANS", and for lists the list file's digit, "LIST"
// and the number ("1LIST3"), "0LIST0" for List Ans.
inline constexpr char kMainFolder[] = "main";
inline constexpr char kListAnsItem[] = "0LIST0";
inline constexpr char kMatAnsItem[] = "MAT_ANS";

struct ArrayName {
  ArrayKind kind = ArrayKind::kList;
  std::string name;
};
// Reads the item named by Mat X, Mat Ans, List n, List Ans or List1-List6
// (`code` is the token at the cursor). Returns 0 or an error code.
int ReadArrayName(Run& run, uint16_t code, ArrayName* out);
// A reference to the list or matrix item `name` (error 4 when there is none).
int RecallArray(ArrayKind kind, const char* name, BcdNumber value[2]);
// After "[": the index (matrix: row, column) of one element up to "]",
// counted from 0 row by row. Returns 1, or 0 with the error in value.
int ReadElementIndex(Run& run, uint16_t rows, uint16_t cols, bool matrix, uint32_t* index,
                     BcdNumber value[2]);

// The arguments of a function with a bracketed argument list, after its
// token: least to most of them, separated by commas, then the closing
// bracket (supplied at the end of the expression). Returns how many, or 0
// with the error in value.
int ReadArgumentList(Run& run, int least, int most, BcdComplex* args, BcdNumber value[2]);

// True for the tokens that open a bracket the evaluator closes: ( and the
// function openers with their own bracketed arguments, [ and {.
bool OpensBracket(uint16_t code);

// Moves the cursor over the expression at it, up to the comma that ends it
// (nested brackets skipped); false when no such comma follows.
bool SkipExpression(Run& run);

// Handlers of eval_arrays.cpp: Augment(, List→Mat(, Mat→List(.
int Augment(Run& run, uint16_t code, BcdNumber value[2]);
int ListToMatrix(Run& run, uint16_t code, BcdNumber value[2]);
int MatrixToList(Run& run, uint16_t code, BcdNumber value[2]);
// The list and matrix commands Fill(, SortA(, SortD(, Swap, *Row, *Row+ and
// Row+ (the token at the cursor is `code`): each changes its list or matrix
// items in main memory, or on an error (returned as its code) none of them.
// The cursor ends on the separator after the command.
int ArrayCommand(Run& run, uint16_t code);

// Handlers of eval_calculus.cpp: d/dx(, d²/dx²(, ∫(, Solve(, FMin(, FMax(.
int Derivative(Run& run, uint16_t code, BcdNumber value[2]);
int Integral(Run& run, uint16_t code, BcdNumber value[2]);
int Solve(Run& run, uint16_t code, BcdNumber value[2]);
int Extreme(Run& run, uint16_t code, BcdNumber value[2]);

// Handlers of eval_functions.cpp: Max( and Min(, Mean( and Median(, Seq( and
// the sum Σ(.
int Extremum(Run& run, uint16_t code, BcdNumber value[2]);
int Average(Run& run, uint16_t code, BcdNumber value[2]);
int Sequence(Run& run, uint16_t code, BcdNumber value[2]);

// Matrix product, integer power, transpose, determinant, inverse, identity.
int MatrixMul(const BcdNumber* a, const BcdNumber* b, BcdNumber* out);
int MatrixPow(const BcdNumber* m, const BcdNumber* n, BcdNumber* out);
int MatrixTranspose(const BcdNumber* m, BcdNumber* out);
int MatrixDet(const BcdNumber* m, BcdNumber* out);
int MatrixInverse(const BcdNumber* m, BcdNumber* out);
int MatrixIdentity(const BcdNumber* n, BcdNumber* out);

// The list functions Sum, Prod, Cuml, Percent and Dim (token codes).
int ListFunction(uint16_t token, const BcdNumber* x, BcdNumber* out);

// ---- Operators (eval_apply.cpp) --------------------------------------------------

// Applies a binary operator token to two values (24 bytes each); r may be a.
int ApplyBinary(uint16_t op, const BcdNumber a[2], const BcdNumber b[2], BcdNumber r[2],
                const FnMode& mode);
// Applies a prefix function token in place.
int ApplyPrefix(uint16_t op, BcdNumber v[2], const FnMode& mode);
// Applies a postfix operator token in place.
int ApplyPostfix(uint16_t op, BcdNumber v[2], const FnMode& mode);
// Builds a fraction from two or three integer parts (whole may be null).
int ApplyFraction(const BcdNumber* whole, const BcdNumber* num, const BcdNumber* den,
                  BcdNumber r[2]);

// Brings a value into the integer form of a Base-N mode (error 3 when it is
// no integer of the mode's range; complex values give 3 too).
int ToBaseN(BcdNumber v[2], const FnMode& mode);

}  // namespace eval_internal
