// The elementary functions: the prefix functions the evaluator applies when it
// reduces a function token, the power of the ^ operator and its root forms,
// and the complex operations the number core hands up through its hooks.
//
// Every function takes pointers to records and writes a result record (24
// bytes when the result is complex), which may be the operand itself. An
// error-value operand is returned unchanged; otherwise the function returns 1
// when its result is a number and 0 when it wrote an error value:
//   3 (Ma)        outside a real domain with no complex extension, a kind the
//                 function cannot take, overflow
//   17 (Non-Real) a real-mode result that would be complex
//   8 (Argument)  a function not allowed in a Base-N mode
//   25            a complex operand where only a real one is accepted
//
// Results are computed on a 128-bit binary working form (about 38 digits),
// with exact argument reduction for the trigonometric functions, and rounded
// half away from zero to 15 digits like every other result.
//
// Lists and matrices are the evaluator's: it maps a function over the
// elements (FnApplyPrefix says when) and calls back here for each element.
#pragma once

#include <cstdint>

#include "math/bcd.h"

// ---- Modes passed to every call ------------------------------------------------

// Angle unit (setup item 19).
enum : uint8_t { kFnDegrees = 0, kFnRadians = 1, kFnGrads = 2 };
// Complex mode (setup item 42).
enum : uint8_t { kFnReal = 0, kFnRectangular = 1, kFnPolar = 2 };

struct FnMode {
  uint8_t angleUnit = kFnDegrees;
  uint8_t complexMode = kFnReal;
  uint8_t baseMode = 0;  // setup item 23: kBcdBaseNone/Bin/Oct/Dec/Hex of bcd_text.h
};

// ---- Unary functions by dispatch code --------------------------------------------

enum : int {
  kFnSqrt = 11,  // the fraction-aware root of the core; complex root off the real axis
  kFnExp = 12,
  kFnLn = 13,
  kFnLog = 14,
  kFnSin = 15,  // 15-17 take their argument in the angle unit
  kFnCos = 16,
  kFnTan = 17,
  kFnAsin = 18,  // 18-20 give their result in the angle unit
  kFnAcos = 19,
  kFnAtan = 20,
  kFnSinh = 21,
  kFnCosh = 22,
  kFnTanh = 23,
  kFnAsinh = 24,
  kFnAcosh = 25,
  kFnAtanh = 26,
  kFnAbs = 27,   // modulus of a complex value; a fraction keeps its digits
  kFnIntg = 29,  // greatest integer not above x
  kFnInt = 30,   // integer part, towards zero
  kFnFrac = 31,  // x - Int x, with the sign of x
  kFnTenPow = 33,
  kFnFromDegrees = 38,  // a value in that unit converted to the current unit
  kFnFromRadians = 39,
  kFnFromGrads = 40,
  kFnNeg = 50,
  // Functions the token table names without a code of their own.
  kFnCubeRoot = 60,  // x^(1/3) by the power rules (the real root of a negative x)
  kFnBitNot = 61,    // complement of the 32-bit (Bin: 16-bit) integer
  kFnArg = 62,       // argument in the angle unit
  kFnConjg = 63,
  kFnReP = 64,
  kFnImP = 65,
  kFnLogicalNot = 66,  // 1 for zero, else 0
};

// One function on a real or complex scalar. Base-N refusals are not checked
// here (FnApplyPrefix does that); a list or matrix operand gives code 3.
int FnUnary(int code, const BcdNumber* x, BcdNumber* r, const FnMode& mode);

// ---- Prefix function tokens -------------------------------------------------------

// Which value kinds a prefix function takes besides real scalars.
enum : uint8_t {
  kFnTakesComplex = 1,  // else a complex operand gives code 3 (25 where marked)
  kFnComplexIs25 = 2,   // a complex operand gives code 25 instead of 3
  kFnTakesList = 4,     // element by element
  kFnTakesMatrix = 8,   // element by element
  kFnInBaseN = 16,      // allowed in the Base-N modes (else code 8 there)
};

struct FnPrefix {
  uint16_t token;  // one-byte tokens as 0x00XX, two-byte ones as lead << 8 | second
  uint8_t code;    // kFn* above
  uint8_t takes;   // kFnTakes* flags
};

// The entry of a prefix function token, or nullptr for a token that is not an
// elementary function (the matrix, list and statistics functions Det, Trn,
// Dim, Identity, Sum, Prod, Percent, Cuml, P(, Q(, R(, t( are the
// evaluator's own).
const FnPrefix* FnFindPrefix(uint16_t token);

// FnApplyPrefix's answer for a list or matrix operand the function takes:
// the caller maps the function over the elements (calling FnApplyPrefix on
// each element, real part with its imaginary part) and builds the result.
constexpr int kFnMapElements = 2;

// Applies a prefix function token to an operand: 1 number, 0 error value
// written, kFnMapElements (nothing written) for a list or matrix to map. Any
// token FnFindPrefix does not know gives code 8, as does every function but
// negation and Not in a Base-N mode; there negation works on the mode's
// integer and wraps into its range.
int FnApplyPrefix(uint16_t token, const BcdNumber* x, BcdNumber* r, const FnMode& mode);

// ---- Power and roots ----------------------------------------------------------------

// x^y for scalars (the ^ operator). Real x >= 0 or integer y: the real power
// on the working form (a fraction base stays a fraction where the core keeps
// one: (1/4)^0.5 is 1/2; a fraction exponent is taken exactly: 8^(1/3) is 2). Real x < 0 with y not
// an integer: in real mode the real-root rule (y as a fraction p/q: q odd gives |x|^y, negated for
// odd p; q even or no fraction gives code 17), in the complex modes the complex power; a complex
// operand always takes the complex power. 0^y needs y > 0 (else code 3). A
// list or matrix operand gives code 3: the evaluator maps lists and raises
// matrices itself.
int FnPower(const BcdNumber* x, const BcdNumber* y, BcdNumber* r, const FnMode& mode);

// The n-th root of x (the x-root operator, n on its left): x^(1/n) with 1/n
// taken exactly, so the real root of a negative x exists for odd integer n.
int FnRoot(const BcdNumber* n, const BcdNumber* x, BcdNumber* r, const FnMode& mode);

// The real-root rule alone: x < 0 and y not an integer, real mode.
int FnRealRoot(const BcdNumber* x, const BcdNumber* y, BcdNumber* r);

// A decimal value as a fraction p/q in lowest terms (q > 0): the simplest
// fraction that rounds to the value at its 15th digit. False when there is
// none with q below 10^18 (or x is not a real scalar). A fraction record
// gives its own parts.
bool FnDecimalToFraction(const BcdNumber* x, int64_t* p, int64_t* q);

// ---- Complex operations (24-byte values; a real record reads as imaginary 0) ----------
// A result with a zero imaginary part is stored as a real record.

int FnComplexDiv(const BcdNumber* a, const BcdNumber* b, BcdNumber* r);  // b == 0: code 3
int FnComplexAbs(const BcdNumber* z, BcdNumber* r);                      // modulus, real
int FnComplexArg(const BcdNumber* z, BcdNumber* r, int angleUnit);       // 0 for 0
int FnComplexPow(const BcdNumber* z, const BcdNumber* w, BcdNumber* r);  // principal value
int FnComplexSqrt(const BcdNumber* z, BcdNumber* r);                     // principal root
int FnComplexLn(const BcdNumber* z, BcdNumber* r);                       // z == 0: code 3
int FnComplexLog(const BcdNumber* z, BcdNumber* r);                      // base 10
int FnComplexExp(const BcdNumber* z, BcdNumber* r);
int FnComplexTenPow(const BcdNumber* z, BcdNumber* r);  // e^(z ln 10)
// Polar form: modulus and argument (in the angle unit) of z, and back.
int FnToPolar(const BcdNumber* z, BcdNumber* modulus, BcdNumber* argument, int angleUnit);
int FnFromPolar(const BcdNumber* modulus, const BcdNumber* argument, int angleUnit, BcdNumber* z);

// ---- Base-N integers ---------------------------------------------------------------

// The integer of a value in a Base-N mode (32-bit two's complement, 16 bits
// in Bin): an integer from the signed minimum to the unsigned maximum of the
// width is accepted and read as the signed value; anything else is code 3.
int FnBaseNInteger(const BcdNumber* x, int baseMode, int32_t* v);
// Any integer brought into the mode's range (wrapped) as a record.
void FnBaseNValue(int64_t v, int baseMode, BcdNumber* r);

// ---- Hooks ---------------------------------------------------------------------------

// Points the number core's complex hook (division and power of complex
// operands) and real-root hook (a negative base with a non-integer exponent,
// real mode) at these functions. Leaves the reference hook as it is.
void FnInstallHooks();
