// The working form: the unpacked number the arithmetic and the elementary
// functions compute on. It lives in memory only and is never stored.
//
// value = (neg ? -1 : 1) * mant * 10^(exp - 22). Unpacking puts d1 at the top
// of 23 places (10^22 <= mant < 10^23: the 15 stored digits and 8 guard
// digits cleared), so exp is the decimal exponent of d1. A primitive may leave
// mant at any size below 2^127; packing normalises it, rounds half away from
// zero at the 15th digit, and applies the range rules: an exponent above +99
// is error 3, one below -99 gives zero.
#pragma once

#include <cstdint>

#include "math/bcd.h"

constexpr int kBcdWorkPlaces = 23;

struct BcdWork {
  unsigned __int128 mant = 0;
  int exp = 0;
  bool neg = false;
};

// A decimal value into the working form. Fractions give their decimal value.
// Returns 0, or the error code for a record that holds no readable number
// (an error value gives its own code, other kinds and bad digits code 3).
int BcdUnpack(const BcdNumber* x, BcdWork* w);

// Rounds and packs. Returns 1, or 0 with an error value written.
int BcdPack(const BcdWork* w, BcdNumber* out);

// Conversions for the numeric cores of the elementary functions, which run on
// the 64-bit mantissa of long double (19 digits). FromLongDouble rounds the
// exact binary value half away from zero to 15 digits; infinities and NaN give
// error 3.
long double BcdToLongDouble(const BcdNumber* x);
int BcdFromLongDouble(long double v, BcdNumber* out);
