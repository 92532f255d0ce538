// Exact fractions: decoding, reduction and packing, and the fraction path of
// add, subtract, multiply, divide, power and square root. Numerators and
// denominators of the operands have at most 15 digits, so every product of
// the path fits 128 bits exactly.
#include <numeric>
#include <utility>

#include "math/bcd.h"
#include "math/bcd_internal.h"
#include "math/bcd_work.h"

using namespace bcd_internal;

namespace {

using u128 = unsigned __int128;

constexpr uint8_t kSeparator = 0xA;

int Fail(BcdNumber* out, int code) {
  BcdError(out, code);
  return 0;
}

int Nibble(const BcdNumber* x, int i) {
  uint8_t b = x->bytes[i / 2];
  return (i & 1) ? (b & 15) : (b >> 4);
}

int CountTrailingZeros(u128 v) {
  uint64_t lo = uint64_t(v);
  return lo ? __builtin_ctzll(lo) : 64 + __builtin_ctzll(uint64_t(v >> 64));
}

u128 Gcd(u128 a, u128 b) {
  if ((a >> 64) == 0 && (b >> 64) == 0) return std::gcd(uint64_t(a), uint64_t(b));
  if (a == 0) return b;
  if (b == 0) return a;
  int shift = CountTrailingZeros(a | b);
  a >>= CountTrailingZeros(a);
  do {
    b >>= CountTrailingZeros(b);
    if (a > b) std::swap(a, b);
    b -= a;
  } while (b != 0);
  return a << shift;
}

Dec DecFromInteger(uint64_t v) {  // v < 10^15
  if (v == 0) return Dec{};
  int nd = DecimalDigits(v);
  return Dec{v * kPow10[15 - nd], nd - 1, false};
}

// An operand of the fraction path: a fraction, or an integer below 10^15.
// Returns 1 when read, 0 when the operand is not one (decimal path), or
// -code for a malformed fraction.
int ReadOperand(const BcdNumber* x, Frac* f) {
  if (IsFractionRecord(x)) {
    int code = ReadFraction(x, f);
    return code ? -code : 1;
  }
  Dec d;
  if (!ReadDec(x, &d) || !DecIsInteger(d) || d.e > 14) return 0;
  f->neg = d.neg;
  f->num = d.m / (d.m ? kPow10[14 - d.e] : 1);
  f->den = 1;
  return 1;
}

// The value of integer record x when it is one below 10^15.
bool SmallInteger(const BcdNumber* x, uint64_t* v) {
  Dec d;
  if (IsFractionRecord(x) || !ReadDec(x, &d) || !DecIsInteger(d) || d.e > 14 || d.neg) {
    return false;
  }
  *v = d.m ? d.m / kPow10[14 - d.e] : 0;
  return true;
}

void WriteInteger(uint64_t v, BcdNumber* out) {
  Dec d = DecFromInteger(v);
  StoreDec(d, out);
}

}  // namespace

int bcd_internal::ReadFraction(const BcdNumber* x, Frac* f) {
  int n0 = Nibble(x, 0) & 7;
  if (n0 != 1 && n0 != 5 && n0 != 6) return kBcdErrMa;
  int last = Nibble(x, 2);  // the field holds last + 1 nibbles
  if (last > 14) return kBcdErrMa;
  uint64_t parts[3] = {0, 0, 0};
  int seps = 0, digits = 0;
  for (int i = 3; i <= 3 + last; ++i) {
    int n = Nibble(x, i);
    if (n <= 9) {
      parts[seps] = parts[seps] * 10 + uint64_t(n);
      ++digits;
    } else if (n == kSeparator && digits > 0 && seps < 2) {
      ++seps;
      digits = 0;
    } else {
      return kBcdErrMa;
    }
  }
  if (seps == 0 || digits == 0) return kBcdErrMa;
  f->neg = n0 != 1;
  if (seps == 1) {
    f->num = parts[0];
    f->den = parts[1];
  } else {
    f->num = (u128)parts[0] * parts[2] + parts[1];
    f->den = parts[2];
  }
  return f->den == 0 ? kBcdErrMa : 0;
}

namespace {

// Writes the parts (whole, numerator, denominator or numerator, denominator)
// with separators between them; false when they need more than 15 nibbles.
bool PackParts(bool neg, const uint64_t* parts, int count, BcdNumber* out) {
  uint8_t nib[24] = {};
  int at = 3;
  for (int p = 0; p < count; ++p) {
    if (p > 0) nib[at++] = kSeparator;
    int digits = DecimalDigits(parts[p]);
    if (at + digits > 18) return false;
    uint64_t v = parts[p];
    for (int i = digits - 1; i >= 0; --i, v /= 10) nib[at + i] = uint8_t(v % 10);
    at += digits;
  }
  nib[0] = neg ? 6 : 1;
  nib[1] = kSeparator;
  nib[2] = uint8_t(at - 4);
  for (int i = 0; i < 12; ++i) out->bytes[i] = uint8_t(nib[2 * i] << 4 | nib[2 * i + 1]);
  return true;
}

}  // namespace

int bcd_internal::PackFraction(Frac f, BcdNumber* out) {
  if (f.den == 0) return Fail(out, kBcdErrMa);
  if (f.num == 0) {
    WriteZero(out);
    return 1;
  }
  u128 g = Gcd(f.num, f.den);
  f.num /= g;
  f.den /= g;
  if (f.den == 1) {  // an integer, rounded when it has more than 15 digits
    BcdWork w;
    w.mant = f.num;
    w.exp = 22;
    w.neg = f.neg;
    return BcdPack(&w, out);
  }
  if ((f.num >> 64) || (f.den >> 64)) return -1;
  const uint64_t parts[2] = {uint64_t(f.num), uint64_t(f.den)};
  return PackParts(f.neg, parts, 2, out) ? 1 : -1;
}

int BcdFractionForm(const BcdNumber* x, bool mixed, BcdNumber* out) {
  Frac f;
  if (!IsFractionRecord(x) || ReadFraction(x, &f) || f.num == 0 || (f.num >> 64) || (f.den >> 64))
    return 0;
  uint64_t num = uint64_t(f.num), den = uint64_t(f.den);
  BcdNumber packed = {};
  bool ok;
  if (mixed && num > den && num % den != 0) {
    const uint64_t parts[3] = {num / den, num % den, den};
    ok = PackParts(f.neg, parts, 3, &packed);
  } else {
    const uint64_t parts[2] = {num, den};
    ok = PackParts(f.neg, parts, 2, &packed);
  }
  if (ok) *out = packed;
  return ok ? 1 : 0;
}

int BcdFractionToDecimal(const BcdNumber* x, BcdNumber* out) {
  if (!IsFractionRecord(x)) {
    *out = *x;
    return BcdErrorCode(out) ? 0 : 1;
  }
  Frac f;
  if (int code = ReadFraction(x, &f)) return Fail(out, code);
  // Both parts have at most 15 digits (a mixed whole part folded in stays
  // below 10^15 too).
  Dec n = DecFromInteger(uint64_t(f.num)), d = DecFromInteger(uint64_t(f.den));
  n.neg = f.neg;
  return DivDec(n, d, out);
}

int BcdFractionBuild(const BcdNumber* whole, const BcdNumber* num, const BcdNumber* den,
                     BcdNumber* out) {
  const BcdNumber* parts[3] = {whole, num, den};
  uint64_t v[3] = {0, 0, 1};
  bool neg = false;
  for (int i = 0; i < 3; ++i) {
    if (!parts[i]) continue;
    if (int code = BcdErrorCode(parts[i])) return Fail(out, code);
    BcdNumber a;
    BcdAbs(parts[i], &a);
    if (!SmallInteger(&a, &v[i])) return Fail(out, kBcdErrSyntax);
    neg ^= BcdIsNegative(parts[i]);
  }
  if (v[2] == 0) return Fail(out, kBcdErrMa);
  Frac f{neg, (u128)v[0] * v[2] + v[1], v[2]};
  int r = PackFraction(f, out);
  if (r >= 0) return r;
  // Too long for the field: the decimal value of whole + num / den.
  BcdNumber n, d;
  WriteInteger(v[1], &n);
  WriteInteger(v[2], &d);
  BcdDiv(&n, &d, out);
  WriteInteger(v[0], &n);
  BcdAdd(&n, out, out);
  if (neg) BcdNeg(out, out);
  return BcdErrorCode(out) ? 0 : 1;
}

// Codes 0-3 (and 48, 49).
int bcd_internal::FractionBinary(int op, const BcdNumber* a, const BcdNumber* b, BcdNumber* out) {
  Frac x, y;
  int ra = ReadOperand(a, &x), rb = ReadOperand(b, &y);
  if (ra < 0) return Fail(out, -ra);
  if (rb < 0) return Fail(out, -rb);
  if (ra == 0 || rb == 0) return -1;
  Frac r;
  switch (op) {
    case kBcdOpAdd:
    case kBcdOpAddC:
    case kBcdOpSub:
    case kBcdOpSubC: {
      bool subtract = op == kBcdOpSub || op == kBcdOpSubC;
      u128 p = x.num * y.den, q = y.num * x.den;
      bool np = x.neg, nq = y.neg != subtract;
      if (np == nq) {
        r = Frac{np, p + q, x.den * y.den};
      } else {
        r = p >= q ? Frac{np, p - q, x.den * y.den} : Frac{nq, q - p, x.den * y.den};
      }
      break;
    }
    case kBcdOpMul:
      r = Frac{x.neg != y.neg, x.num * y.num, x.den * y.den};
      break;
    case kBcdOpDiv:
      r = Frac{x.neg != y.neg, x.num * y.den, x.den * y.num};
      break;
    default:
      return -1;
  }
  return PackFraction(r, out);
}

int bcd_internal::FractionPower(const BcdNumber* a, const BcdNumber* b, BcdNumber* out) {
  // The base must be a fraction or an integer; the exponent is any value.
  Frac x;
  int ra = ReadOperand(a, &x);
  if (ra < 0) return Fail(out, -ra);
  if (ra == 0) return -1;
  Dec y;
  if (int code = ReadReal(b, &y)) return Fail(out, code);
  bool yInt = DecIsInteger(y);
  if (x.neg && !yInt) return -1;
  if (y.neg) {
    if (x.num == 0) return -1;
    std::swap(x.num, x.den);
    y.neg = false;
  }
  BcdNumber exponent, n, d;
  StoreDec(y, &exponent);
  WriteInteger(uint64_t(x.num), &n);
  WriteInteger(uint64_t(x.den), &d);
  if (!PowDecimal(&n, &exponent, &n) || !PowDecimal(&d, &exponent, &d)) return -1;
  uint64_t pn, pd;
  if (!SmallInteger(&n, &pn) || !SmallInteger(&d, &pd)) return -1;
  return PackFraction(Frac{x.neg && DecIsOdd(y), pn, pd}, out);
}

int bcd_internal::FractionSqrt(const BcdNumber* a, BcdNumber* out) {
  Frac x;
  if (int code = ReadFraction(a, &x)) return Fail(out, code);
  if (x.neg && x.num != 0) return Fail(out, kBcdErrMa);
  BcdNumber n, d;
  WriteInteger(uint64_t(x.num), &n);
  WriteInteger(uint64_t(x.den), &d);
  uint64_t rn, rd;
  if (SqrtDecimal(&n, &n) && SqrtDecimal(&d, &d) && SmallInteger(&n, &rn) &&
      SmallInteger(&d, &rd)) {
    int r = PackFraction(Frac{false, rn, rd}, out);
    if (r >= 0) return r;
  }
  return SqrtDecimal(a, out);
}
