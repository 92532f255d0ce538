// The calculator's number record and its arithmetic.
//
// Every number the calculator keeps is one 12-byte BcdNumber: 15 packed BCD
// digits and a decimal exponent -99..+99, stored byte for byte in main memory
// and in exchanged files. The same record also carries an exact fraction, a
// list or matrix reference, or an error value, so every operation takes and
// returns records of one size and an error travels through a computation as
// a value. A complex number is two records: the real part with bit 7 of byte
// 0 set, then the imaginary part.
//
// All operations take pointers to records and write a result record, which
// may be one of the operands. Every binary operation returns its first
// operand if that is an error value, else its second if that is one, before
// computing anything. Results are rounded half away from zero to 15
// significant digits; an exponent above +99 is error 3, one below -99
// flushes to zero.
#pragma once

#include <cstddef>
#include <cstdint>

struct BcdNumber {
  uint8_t bytes[12];
};
static_assert(sizeof(BcdNumber) == 12, "the record is a storage format");
static_assert(alignof(BcdNumber) == 1, "records sit unaligned in items and files");
static_assert(offsetof(BcdNumber, bytes) == 0);

// A complex value as it lies in memory: real part (flag set), imaginary part.
struct BcdComplex {
  BcdNumber re;
  BcdNumber im;
};
static_assert(sizeof(BcdComplex) == 24);
static_assert(offsetof(BcdComplex, im) == 12);

// Byte 0 bit 7: the next record holds the imaginary part.
constexpr uint8_t kBcdComplexFlag = 0x80;

// ---- Error codes ----------------------------------------------------------
// The numbers the error box turns into its messages. Only the ones the math
// engine raises or passes on by name are listed; any code 1..255 travels.
enum : uint8_t {
  kBcdErrBreak = 1,
  kBcdErrSyntax = 2,
  kBcdErrMa = 3,
  kBcdErrMemory = 4,
  kBcdErrGo = 5,
  kBcdErrNesting = 6,
  kBcdErrStack = 7,
  kBcdErrArgument = 8,
  kBcdErrDimension = 9,
  kBcdErrNonReal = 17,
  kBcdErrSystem = 23,
  kBcdErrComplexInList = 25,
  kBcdErrComplexInMatrix = 26,
};

// ---- Kinds ----------------------------------------------------------------
enum : int {
  kBcdKindError = -1,
  kBcdKindScalar = 1,
  kBcdKindList = 2,
  kBcdKindMatrix = 3,
};

// ---- Operation codes of the generic dispatch --------------------------------
enum : int {
  kBcdOpAdd = 0,
  kBcdOpSub = 1,
  kBcdOpMul = 2,
  kBcdOpDiv = 3,
  kBcdOpPow = 4,
  kBcdOpEq = 5,
  kBcdOpNe = 6,
  kBcdOpLt = 7,
  kBcdOpGt = 8,
  kBcdOpLe = 9,
  kBcdOpGe = 10,
  kBcdOpSqrt = 11,  // unary; the fraction-aware root
  kBcdOpAddC = 48,  // the entry the complex operations use; same result as 0
  kBcdOpSubC = 49,  // same result as 1
};

// ---- Built-in constants -----------------------------------------------------
enum BcdConstant : int {
  kBcdHalf,           // 0.5
  kBcdOne,            // 1
  kBcdTwo,            // 2
  kBcdFive,           // 5
  kBcdTen,            // 10
  kBcdInt16Max,       // 32767
  kBcdInt16Min,       // -32768
  kBcdTwoPow16,       // 65536
  kBcdInt32Max,       // 2147483647
  kBcdInt32Min,       // -2147483648
  kBcdTwoPow32,       // 4294967296
  kBcdLargeLimit,     // 9.99E+99
  kBcdNegLargeLimit,  // -9.99E+99
  kBcdMaxValue,       // 9.99999999999999E+99, the largest magnitude
  kBcdPi,             // 3.1415926535898 (14 digits, as the keys enter it)
  kBcdTwoPi,          // 6.2831853071796
  kBcdLn10,           // 2.30258509299405
  kBcdLn2,            // 0.693147180559945
  kBcdSqrt2,          // 1.4142135623731
  kBcdHalfSqrt2,      // 0.707106781186548
  kBcdSqrtTwoPi,      // 2.506628274631
  kBcdOneThird,       // the fraction 1/3
  kBcdConstantCount
};

// ---- Constructors -----------------------------------------------------------
void BcdZero(BcdNumber* out);
void BcdConst(BcdNumber* out, BcdConstant which);
// Writes only bytes 0 and 1 (0xF0, code); the rest keeps what it held.
void BcdError(BcdNumber* out, int code);
// An integer value exactly (|v| < 10^15) or rounded to 15 digits.
void BcdFromInt(BcdNumber* out, int64_t v);
// A decimal text such as "-1.25E-7" or "2147483647"; nullptr-safe.
// Returns false (and writes error 2) on text it cannot read.
bool BcdFromText(BcdNumber* out, const char* text);

// ---- Tests ------------------------------------------------------------------
int BcdErrorCode(const BcdNumber* x);  // 0 when x is not an error value
int BcdKind(const BcdNumber* x);       // kBcdKind*
// -1 for an error value, else byte 0 bit 7 (for a scalar: the complex flag).
int BcdSignTest(const BcdNumber* x);
bool BcdIsComplex(const BcdNumber* x);
bool BcdIsFraction(const BcdNumber* x);
bool BcdIsZero(const BcdNumber* x);      // d1 == 0 (and not an error, list or fraction)
bool BcdIsNegative(const BcdNumber* x);  // a negative decimal or fraction
bool BcdIsInteger(const BcdNumber* x);   // its fractional part is zero
// Decimal exponent of a non-zero decimal value (0 for anything else).
int BcdExponent(const BcdNumber* x);

// ---- Arithmetic on real scalars (decimals and fractions) -----------------------
// Each returns 1 when the result is a number, 0 when it is an error value.
int BcdAdd(const BcdNumber* a, const BcdNumber* b, BcdNumber* r);
int BcdSub(const BcdNumber* a, const BcdNumber* b, BcdNumber* r);
int BcdMul(const BcdNumber* a, const BcdNumber* b, BcdNumber* r);
int BcdDiv(const BcdNumber* a, const BcdNumber* b, BcdNumber* r);  // x / 0: error 3
int BcdPow(const BcdNumber* x, const BcdNumber* y, BcdNumber* r);
int BcdSqrt(const BcdNumber* x, BcdNumber* r);  // negative: error 3
int BcdNeg(const BcdNumber* x, BcdNumber* r);
int BcdAbs(const BcdNumber* x, BcdNumber* r);

// Comparisons, codes kBcdOpEq..kBcdOpGe. Equality is the subtraction
// rounding to zero, so two values whose difference underflows are equal.
// The integer form returns 1 or 0, or -1 when an operand is an error value or
// of a kind that cannot be compared; the record form writes 1 or 0 (or the
// error value).
int BcdCompare(int op, const BcdNumber* a, const BcdNumber* b);
int BcdCompareRecord(int op, const BcdNumber* a, const BcdNumber* b, BcdNumber* r);

// The generic binary entry: any op code above, operands of any kind. Complex
// operands (flag set) and results take 24 bytes. Lists and matrices go to the
// reference hook. Returns 1 when the result is not an error value.
int BcdBinary(int op, const BcdNumber* a, const BcdNumber* b, BcdNumber* r);

// ---- Complex pairs (24 bytes each; a real record reads as imaginary 0) ----------
// A result whose imaginary part is zero is stored as a real record.
int BcdComplexAdd(const BcdNumber* a, const BcdNumber* b, BcdNumber* r);
int BcdComplexSub(const BcdNumber* a, const BcdNumber* b, BcdNumber* r);
int BcdComplexMul(const BcdNumber* a, const BcdNumber* b, BcdNumber* r);
int BcdComplexEqual(const BcdNumber* a, const BcdNumber* b);     // 1 / 0
int BcdComplexNotEqual(const BcdNumber* a, const BcdNumber* b);  // 1 / 0
// Real and imaginary parts, each a real record (flag cleared).
void BcdComplexSplit(const BcdNumber* z, BcdNumber* re, BcdNumber* im);
// Builds z from two real parts; a zero imaginary part gives a real record.
int BcdComplexMake(const BcdNumber* re, const BcdNumber* im, BcdNumber* z);

// ---- Fractions ------------------------------------------------------------------
// Builds whole + num/den (whole may be null) from integer records, reduced to
// lowest terms; error 3 for a zero denominator, a non-integer part or a
// fraction that does not fit the 15-nibble field.
int BcdFractionBuild(const BcdNumber* whole, const BcdNumber* num, const BcdNumber* den,
                     BcdNumber* out);
// The decimal value of a fraction (other values are copied).
int BcdFractionToDecimal(const BcdNumber* x, BcdNumber* out);
// The fraction x written as whole⌟num⌟den (mixed; a proper fraction stays
// num⌟den) or as num⌟den (improper). 0, out untouched, when x is not a
// well-formed fraction or the form does not fit the 15-nibble field.
int BcdFractionForm(const BcdNumber* x, bool mixed, BcdNumber* out);

// ---- Hooks for the layers above -----------------------------------------------------
// The evaluator installs these; the core never calls upward otherwise.
struct BcdHooks {
  // A binary operation with a list or matrix operand (element-wise).
  int (*reference)(int op, const BcdNumber* a, const BcdNumber* b, BcdNumber* r) = nullptr;
  // A binary operation on complex operands that the core does not do itself
  // (division, power). Without it those give error 3.
  int (*complex)(int op, const BcdNumber* a, const BcdNumber* b, BcdNumber* r) = nullptr;
  // x^y for negative x and non-integer y. Without it the result is error 17.
  int (*realRoot)(const BcdNumber* x, const BcdNumber* y, BcdNumber* r) = nullptr;
};
void BcdSetHooks(const BcdHooks& hooks);
const BcdHooks& BcdGetHooks();
