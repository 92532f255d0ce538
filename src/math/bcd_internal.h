// Shared inner pieces of the number code: the fast unpacked form the four
// operations run on, the BCD <-> binary conversions and the rounding packer.
// Not for use outside src/math.
#pragma once

#include <cstdint>
#include <cstring>

#include "math/bcd.h"

namespace bcd_internal {

constexpr uint64_t kPow10[20] = {1ull,
                                 10ull,
                                 100ull,
                                 1000ull,
                                 10000ull,
                                 100000ull,
                                 1000000ull,
                                 10000000ull,
                                 100000000ull,
                                 1000000000ull,
                                 10000000000ull,
                                 100000000000ull,
                                 1000000000000ull,
                                 10000000000000ull,
                                 100000000000000ull,
                                 1000000000000000ull,
                                 10000000000000000ull,
                                 100000000000000000ull,
                                 1000000000000000000ull,
                                 10000000000000000000ull};
constexpr uint64_t kMant15Min = kPow10[14];  // d1 at its place
constexpr uint64_t kMant15End = kPow10[15];
constexpr uint64_t kMant16End = kPow10[16];

// A real decimal value: (neg ? -1 : 1) * m * 10^(e - 14), with
// 10^14 <= m < 10^15, or m == 0 for zero.
struct Dec {
  uint64_t m = 0;
  int e = 0;
  bool neg = false;
};

inline int DecimalDigits(uint64_t v) {
  int t = ((64 - __builtin_clzll(v | 1)) * 1233) >> 12;
  return t + (v >= kPow10[t] ? 1 : 0);
}

inline uint64_t LoadBE64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return __builtin_bswap64(v);
}

inline void StoreBE64(uint8_t* p, uint64_t v) {
  v = __builtin_bswap64(v);
  std::memcpy(p, &v, 8);
}

// True when every one of the low 15 nibbles is a decimal digit.
inline bool NibblesAreDigits(uint64_t x) {
  constexpr uint64_t kSix = 0x0666666666666666ull;
  uint64_t t = x + kSix;
  return ((t ^ x ^ kSix) & 0x1111111111111110ull) == 0;
}

// 15 packed BCD digits (low 60 bits) to binary, four lanes at a time.
inline uint64_t BcdToBinary15(uint64_t x) {
  x = (x & 0x0F0F0F0F0F0F0F0Full) + ((x >> 4) & 0x0F0F0F0F0F0F0F0Full) * 10;
  x = (x & 0x00FF00FF00FF00FFull) + ((x >> 8) & 0x00FF00FF00FF00FFull) * 100;
  x = (x & 0x0000FFFF0000FFFFull) + ((x >> 16) & 0x0000FFFF0000FFFFull) * 10000;
  return (x & 0xFFFFFFFFull) + (x >> 32) * 100000000ull;
}

// v < 10^8 to 8 packed BCD digits.
inline uint64_t BinaryToBcd8(uint64_t v) {
  uint64_t x = (v / 10000) << 32 | (v % 10000);
  uint64_t q = ((x * 5243) >> 19) & 0x0000007F0000007Full;  // lane / 100
  x = (q << 16) | (x - q * 100);
  q = ((x * 103) >> 10) & 0x000F000F000F000Full;  // lane / 10
  x = (q << 4) | (x - q * 10);
  x = (x | (x >> 8)) & 0x0000FFFF0000FFFFull;
  return (x | (x >> 16)) & 0xFFFFFFFFull;
}

inline uint64_t BinaryToBcd15(uint64_t v) {
  return BinaryToBcd8(v / 100000000) << 32 | BinaryToBcd8(v % 100000000);
}

inline void WriteZero(BcdNumber* out) {
  std::memset(out->bytes, 0, sizeof out->bytes);
}

// Writes a normalised value whose exponent is known to be in range or not.
inline int StoreDec(bool neg, uint64_t m15, int e, BcdNumber* out) {
  if (e > 99) {
    BcdError(out, kBcdErrMa);
    return 0;
  }
  if (e < -99) {
    WriteZero(out);
    return 1;
  }
  unsigned ee = unsigned(e >= 0 ? e : e + 100);
  out->bytes[0] = uint8_t(((neg ? 5 : 0) + (e >= 0 ? 1 : 0)) << 4 | ee / 10);
  StoreBE64(out->bytes + 1, uint64_t(ee % 10) << 60 | BinaryToBcd15(m15));
  out->bytes[9] = out->bytes[10] = out->bytes[11] = 0;
  return 1;
}

inline int StoreDec(const Dec& d, BcdNumber* out) {
  if (d.m == 0) {
    WriteZero(out);
    return 1;
  }
  return StoreDec(d.neg, d.m, d.e, out);
}

// m16 holds 16 digits (10^15 <= m16 < 10^16), the value m16 * 10^(e - 15)
// truncated after its 16th digit; half away from zero needs no more.
inline int Round16(bool neg, uint64_t m16, int e, BcdNumber* out) {
  uint64_t r = (m16 + 5) / 10;
  if (r >= kMant15End) {
    r /= 10;
    ++e;
  }
  return StoreDec(neg, r, e, out);
}

// Any m: the value m * 10^scale.
inline int RoundScaled(bool neg, uint64_t m, int scale, BcdNumber* out) {
  if (m == 0) {
    WriteZero(out);
    return 1;
  }
  int nd = DecimalDigits(m);
  if (nd > 16) {
    m /= kPow10[nd - 16];
  } else {
    m *= kPow10[16 - nd];
  }
  return Round16(neg, m, scale + nd - 1, out);
}

// Reads a decimal scalar (not a fraction, list, matrix or error). Returns
// false when its sign nibble or a digit nibble is not readable.
inline bool ReadDec(const BcdNumber* x, Dec* d) {
  uint64_t w = LoadBE64(x->bytes + 1);
  uint64_t digits = w & 0x0FFFFFFFFFFFFFFFull;
  if ((digits >> 56) == 0) {  // d1 == 0 reads as zero whatever else is there
    *d = Dec{};
    return true;
  }
  unsigned n0 = (x->bytes[0] >> 4) & 7, n1 = x->bytes[0] & 15, n2 = unsigned(w >> 60);
  if (!NibblesAreDigits(digits) || n1 > 9 || n2 > 9) return false;
  int e = int(n1 * 10 + n2);
  switch (n0) {
    case 0:
      e -= 100;
      d->neg = false;
      break;
    case 1:
      d->neg = false;
      break;
    case 5:
      e -= 100;
      d->neg = true;
      break;
    case 6:
      d->neg = true;
      break;
    default:
      return false;
  }
  d->e = e;
  d->m = BcdToBinary15(digits);
  return true;
}

// The fast paths of the four operations on unpacked values.
int AddDec(Dec a, Dec b, BcdNumber* out);  // subtract: flip b.neg first
int MulDec(const Dec& a, const Dec& b, BcdNumber* out);
int DivDec(const Dec& a, const Dec& b, BcdNumber* out);
int CompareDec(const Dec& a, const Dec& b);  // -1, 0, 1 by exact value
bool DecIsInteger(const Dec& d);
bool DecIsOdd(const Dec& d);  // an odd integer
// Square root and power on decimal values (fractions read as decimals).
int SqrtDecimal(const BcdNumber* x, BcdNumber* out);
int PowDecimal(const BcdNumber* x, const BcdNumber* y, BcdNumber* out);

// Fraction decoding: sign, numerator, denominator (whole part folded in).
struct Frac {
  bool neg = false;
  unsigned __int128 num = 0;
  unsigned __int128 den = 1;
};
// Returns 0 or the error code of a malformed fraction (3).
int ReadFraction(const BcdNumber* x, Frac* f);
// Reduces and packs a fraction; 1 packed (fraction or integer), 0 error
// written, -1 when the result does not fit and the caller must redo the
// operation on decimals.
int PackFraction(Frac f, BcdNumber* out);

inline bool IsScalarKind(uint8_t b0) {
  return (b0 & 0xF0) != 0xF0 && ((b0 >> 4) & 6) != 2;
}
inline bool IsFractionRecord(const BcdNumber* x) {
  return IsScalarKind(x->bytes[0]) && (x->bytes[0] & 0x0F) == 0x0A;
}

// The fraction path of the dispatch. Each returns 1 or 0 like an operation,
// or -1 when the operation must run on the decimal values instead.
int FractionBinary(int op, const BcdNumber* a, const BcdNumber* b, BcdNumber* out);
int FractionPower(const BcdNumber* a, const BcdNumber* b, BcdNumber* out);
int FractionSqrt(const BcdNumber* a, BcdNumber* out);

// Reads any real scalar, fractions through their decimal value. Returns 0 or
// the error code (an error value's own, 3 for anything unreadable).
int ReadReal(const BcdNumber* x, Dec* d);

}  // namespace bcd_internal
