// Pieces the function files share. Not for use outside src/math.
#pragma once

#include "math/bcd.h"
#include "math/functions_wide.h"

namespace fn_internal {

inline int Fail(BcdNumber* out, int code) {
  BcdError(out, code);
  return 0;
}

inline bool IsErrorRecord(const BcdNumber* x) {
  return (x->bytes[0] & 0xF0) == 0xF0;
}

// Copies an error operand to the result; true when it was one.
inline bool PassError(const BcdNumber* x, BcdNumber* out) {
  if (!IsErrorRecord(x)) return false;
  out[0] = x[0];
  return true;
}

// Real and imaginary parts of a scalar on the wide form; 0 or an error code.
int WideParts(const BcdNumber* z, fn_wide::W* re, fn_wide::W* im);

// Packs a complex result. With dropNoise, a part that is no more than the
// rounding noise of the other (below 2^-100 of it) is taken as zero, so that
// exact cancellations such as (1+i)^2 or ln(0.6+0.8i) give clean parts; the
// paths without cancellation (an exactly reduced angle, the square root)
// keep a genuinely tiny part such as the imaginary part of e^(1E-40 i).
int PackComplex(fn_wide::W re, fn_wide::W im, BcdNumber* out, bool dropNoise = true);

// True when e^x lies beyond the record either way: then zero (rc 1) or
// error 3 (rc 0) is written.
bool ExpBeyondRecord(const fn_wide::W& x, BcdNumber* out, int* rc);
// e^x (negated when asked) packed, with the range of the record.
int RealExp(const fn_wide::W& x, bool negate, BcdNumber* out);

// The complex logarithm on the wide form; z != 0.
void WideComplexLn(const fn_wide::W& a, const fn_wide::W& b, fn_wide::W* re, fn_wide::W* im);
// e^(a + bi) on the wide form; 0 or error 3 (an argument beyond reach).
int WideComplexExp(const fn_wide::W& a, const fn_wide::W& b, BcdNumber* out);

}  // namespace fn_internal
