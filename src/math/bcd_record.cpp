// Constructors, kind tests, constants and the working form.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "math/bcd.h"
#include "math/bcd_internal.h"
#include "math/bcd_work.h"

using namespace bcd_internal;

namespace {

// A decimal literal read at compile time: sign, up to 15 significant digits,
// optional "E" exponent. The constants below are exact in 15 digits.
constexpr BcdNumber Literal(const char* s) {
  bool neg = false;
  if (*s == '-') {
    neg = true;
    ++s;
  }
  uint64_t m = 0;
  int digits = 0, pointShift = 0;
  bool point = false;
  for (; *s && *s != 'E'; ++s) {
    if (*s == '.') {
      point = true;
      continue;
    }
    if (m == 0 && *s == '0') {
      if (point) --pointShift;
      continue;
    }
    m = m * 10 + uint64_t(*s - '0');
    ++digits;
    if (!point) ++pointShift;
  }
  int e = pointShift - 1;
  if (*s == 'E') {
    ++s;
    int sign = 1, x = 0;
    if (*s == '-') {
      sign = -1;
      ++s;
    } else if (*s == '+') {
      ++s;
    }
    for (; *s; ++s) x = x * 10 + (*s - '0');
    e += sign * x;
  }
  BcdNumber r{};
  if (m == 0) return r;
  for (; digits < 15; ++digits) m *= 10;
  unsigned ee = unsigned(e >= 0 ? e : e + 100);
  r.bytes[0] = uint8_t(((neg ? 5 : 0) + (e >= 0 ? 1 : 0)) << 4 | ee / 10);
  uint64_t w = uint64_t(ee % 10) << 60;
  for (int i = 0; i < 15; ++i) {
    w |= (m % 10) << (4 * i);
    m /= 10;
  }
  for (int i = 8; i >= 1; --i) {
    r.bytes[i] = uint8_t(w);
    w >>= 8;
  }
  return r;
}

constexpr BcdNumber kConstants[kBcdConstantCount] = {
    Literal("0.5"),
    Literal("1"),
    Literal("2"),
    Literal("5"),
    Literal("10"),
    Literal("32767"),
    Literal("-32768"),
    Literal("65536"),
    Literal("2147483647"),
    Literal("-2147483648"),
    Literal("4294967296"),
    Literal("9.99E+99"),
    Literal("-9.99E+99"),
    Literal("9.99999999999999E+99"),
    Literal("3.1415926535898"),
    Literal("6.2831853071796"),
    Literal("2.30258509299405"),
    Literal("0.693147180559945"),
    Literal("1.4142135623731"),
    Literal("0.707106781186548"),
    Literal("2.506628274631"),
    BcdNumber{{0x1A, 0x21, 0xA3}},  // 1/3
};

BcdHooks g_hooks;

// Long double powers of ten; exact up to 10^27.
long double Pow10L(int k) {
  static const auto table = [] {
    struct T {
      long double v[28];
    } t{};
    t.v[0] = 1;
    for (int i = 1; i < 28; ++i) t.v[i] = t.v[i - 1] * 10;
    return t;
  }();
  if (k < 28) return table.v[k];
  return powl(10.0L, k);
}

}  // namespace

// ---- Constructors -------------------------------------------------------------

void BcdZero(BcdNumber* out) {
  WriteZero(out);
}

void BcdConst(BcdNumber* out, BcdConstant which) {
  if (which < 0 || which >= kBcdConstantCount) {
    BcdError(out, kBcdErrMa);
    return;
  }
  *out = kConstants[which];
}

void BcdError(BcdNumber* out, int code) {
  out->bytes[0] = 0xF0;
  out->bytes[1] = uint8_t(code);
}

void BcdFromInt(BcdNumber* out, int64_t v) {
  bool neg = v < 0;
  uint64_t m = neg ? 0 - uint64_t(v) : uint64_t(v);
  RoundScaled(neg, m, 0, out);
}

bool BcdFromText(BcdNumber* out, const char* s) {
  auto fail = [&] {
    BcdError(out, kBcdErrSyntax);
    return false;
  };
  if (s == nullptr) return fail();
  bool neg = false;
  if (*s == '-' || *s == '+') neg = *s++ == '-';
  // A fraction "n/d".
  for (const char* p = s; *p; ++p) {
    if (*p != '/') continue;
    BcdNumber num, den;
    std::string_view whole(s, size_t(p - s));
    char buf[40];
    if (whole.size() >= sizeof buf) return fail();
    whole.copy(buf, whole.size());
    buf[whole.size()] = 0;
    if (!BcdFromText(&num, buf) || !BcdFromText(&den, p + 1)) return fail();
    if (!BcdFractionBuild(nullptr, &num, &den, out)) return false;
    if (neg) BcdNeg(out, out);
    return true;
  }
  uint64_t m = 0;  // the first 16 significant digits decide the rounding
  int kept = 0, e = -1;
  bool point = false, any = false;
  for (; *s && *s != 'E' && *s != 'e'; ++s) {
    if (*s == '.') {
      if (point) return fail();
      point = true;
      continue;
    }
    if (*s < '0' || *s > '9') return fail();
    any = true;
    if (m == 0 && *s == '0') {
      if (point) --e;
      continue;
    }
    if (!point) ++e;
    if (kept < 16) {
      m = m * 10 + uint64_t(*s - '0');
      ++kept;
    }
  }
  if (!any) return fail();
  if (*s) {
    ++s;
    int sign = 1, x = 0, n = 0;
    if (*s == '-' || *s == '+') sign = *s++ == '-' ? -1 : 1;
    for (; *s >= '0' && *s <= '9' && n < 6; ++s, ++n) x = x * 10 + (*s - '0');
    if (n == 0 || *s) return fail();
    e += sign * x;
  }
  if (m == 0) {
    WriteZero(out);
    return true;
  }
  RoundScaled(neg, m, e - kept + 1, out);
  return true;
}

// ---- Tests -------------------------------------------------------------------

int BcdErrorCode(const BcdNumber* x) {
  if ((x->bytes[0] & 0xF0) != 0xF0) return 0;
  return x->bytes[1] ? int(x->bytes[1]) : int(kBcdErrMa);  // code 0 would read as no error
}

int BcdKind(const BcdNumber* x) {
  uint8_t b0 = x->bytes[0];
  if ((b0 & 0xF0) == 0xF0) return kBcdKindError;
  switch ((b0 >> 4) & 7) {
    case 2:
      return kBcdKindList;
    case 3:
      return kBcdKindMatrix;
    default:
      return kBcdKindScalar;
  }
}

int BcdSignTest(const BcdNumber* x) {
  if ((x->bytes[0] & 0xF0) == 0xF0) return -1;
  return x->bytes[0] >> 7;
}

bool BcdIsComplex(const BcdNumber* x) {
  return IsScalarKind(x->bytes[0]) && (x->bytes[0] & kBcdComplexFlag);
}

bool BcdIsFraction(const BcdNumber* x) {
  return IsFractionRecord(x);
}

bool BcdIsZero(const BcdNumber* x) {
  if (!IsScalarKind(x->bytes[0]) || IsFractionRecord(x)) return false;
  return (x->bytes[1] & 0x0F) == 0;
}

bool BcdIsNegative(const BcdNumber* x) {
  if (!IsScalarKind(x->bytes[0]) || BcdIsZero(x)) return false;
  return ((x->bytes[0] >> 4) & 7) >= 5;
}

int BcdExponent(const BcdNumber* x) {
  Dec d;
  if (!IsScalarKind(x->bytes[0]) || IsFractionRecord(x) || !ReadDec(x, &d) || d.m == 0) return 0;
  return d.e;
}

bool BcdIsInteger(const BcdNumber* x) {
  if (!IsScalarKind(x->bytes[0])) return false;
  if (IsFractionRecord(x)) {
    Frac f;
    return ReadFraction(x, &f) == 0 && f.den != 0 && f.num % f.den == 0;
  }
  Dec d;
  return ReadDec(x, &d) && DecIsInteger(d);
}

int bcd_internal::ReadReal(const BcdNumber* x, Dec* d) {
  uint8_t b0 = x->bytes[0];
  if ((b0 & 0xF0) == 0xF0) return BcdErrorCode(x);
  if (!IsScalarKind(b0)) return kBcdErrMa;
  if ((b0 & 0x0F) == 0x0A) {
    BcdNumber v;
    if (!BcdFractionToDecimal(x, &v)) return BcdErrorCode(&v);
    return ReadDec(&v, d) ? 0 : kBcdErrMa;
  }
  return ReadDec(x, d) ? 0 : kBcdErrMa;
}

// ---- Hooks --------------------------------------------------------------------

void BcdSetHooks(const BcdHooks& hooks) {
  g_hooks = hooks;
}
const BcdHooks& BcdGetHooks() {
  return g_hooks;
}

// ---- Working form -------------------------------------------------------------

int BcdUnpack(const BcdNumber* x, BcdWork* w) {
  Dec d;
  if (int code = ReadReal(x, &d)) return code;
  w->mant = (unsigned __int128)d.m * kPow10[8];
  w->exp = d.e;
  w->neg = d.neg && d.m != 0;
  return 0;
}

int BcdPack(const BcdWork* w, BcdNumber* out) {
  unsigned __int128 m = w->mant;
  if (m == 0) {
    WriteZero(out);
    return 1;
  }
  // Down to 64 bits; truncating is enough for half away from zero.
  int scale = w->exp - 22;
  while (m >> 64) {
    m /= 10000;
    scale += 4;
  }
  return RoundScaled(w->neg, uint64_t(m), scale, out);
}

long double BcdToLongDouble(const BcdNumber* x) {
  Dec d;
  if (ReadReal(x, &d) || d.m == 0) return 0;
  long double v = (long double)d.m;
  int k = d.e - 14;
  v = k >= 0 ? v * Pow10L(k) : v / Pow10L(-k);
  return d.neg ? -v : v;
}

int BcdFromLongDouble(long double v, BcdNumber* out) {
  if (!std::isfinite(v)) {
    BcdError(out, kBcdErrMa);
    return 0;
  }
  if (v == 0) {
    WriteZero(out);
    return 1;
  }
  // The exact binary value printed to 34 digits: deep enough that the digit
  // deciding the 15-digit rounding is never disturbed by the printer's own.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.33Le", v);
  const char* p = buf;
  bool neg = *p == '-';
  if (neg) ++p;
  uint64_t m = 0;
  for (int n = 0; n < 16; ++p) {
    if (*p == '.') continue;
    m = m * 10 + uint64_t(*p - '0');
    ++n;
  }
  while (*p != 'e') ++p;
  int e = std::atoi(p + 1);
  return Round16(neg, m, e, out);
}
