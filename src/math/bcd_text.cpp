// Number text: display rounding, the Norm/Fix/Sci/engineering forms, complex
// joining, Base-N and the canonical answer text.
#include "math/bcd_text.h"

#include <algorithm>
#include <cmath>

#include "math/bcd_internal.h"
#include "math/bcd_work.h"

using namespace bcd_internal;

namespace {

constexpr int kMaxShownDigits = 10;

// Bounded writer into a caller's kBcdTextSize buffer.
struct Out {
  char* buf;
  int n = 0;
  void Put(char c) {
    if (n < kBcdTextSize - 1) buf[n++] = c;
  }
  void Put2(uint16_t code) {
    Put(char(code >> 8));
    Put(char(code & 0xFF));
  }
  void Str(const char* s) {
    while (*s) Put(*s++);
  }
  void Append(const char* s, int len) {
    for (int i = 0; i < len; ++i) Put(s[i]);
  }
  int End() {
    buf[n] = 0;
    return n;
  }
};

int Error(char* out) {
  Out o{out};
  o.Str("ERROR");
  return o.End();
}

// The digits of a real decimal part.
struct Digits {
  char d[15];
  int e = 0;
  int sig = 0;  // significant digits, trailing zeros dropped (0 for zero)
  bool neg = false;
};

bool ReadDigits(const BcdNumber* x, Digits* g) {
  Dec v;
  if (!IsScalarKind(x->bytes[0]) || IsFractionRecord(x) || !ReadDec(x, &v)) return false;
  g->neg = v.neg && v.m != 0;
  g->e = v.m ? v.e : 0;
  uint64_t m = v.m;
  g->sig = 0;
  for (int i = 14; i >= 0; --i, m /= 10) {
    g->d[i] = char('0' + m % 10);
    if (g->sig == 0 && g->d[i] != '0') g->sig = i + 1;
  }
  return true;
}

// A positional mantissa: p digits before the point (p <= 0 gives "0" and
// -p zeros after the point first), then `decimals` digits after it; a
// negative `decimals` shows the significant digits that remain.
void WriteMantissa(Out& o, const Digits& g, int p, int decimals) {
  auto digit = [&](int i) { return i >= 0 && i < 15 ? g.d[i] : '0'; };
  if (g.neg) o.Put(kBcdChNegative);
  if (p <= 0) {
    o.Put('0');
  } else {
    for (int i = 0; i < p; ++i) o.Put(digit(i));
  }
  if (decimals < 0) decimals = g.sig > p ? g.sig - p : 0;
  if (decimals > 0) o.Put('.');
  for (int j = 0; j < decimals; ++j) o.Put(digit(p + j));
}

void WriteExponent(Out& o, int e) {
  char buf[8];
  o.Append(buf, BcdExponentText(buf, e, true, false));
}

int FloorTo3(int e) {
  return e >= 0 ? e / 3 * 3 : -((-e + 2) / 3 * 3);
}

// Special parts shared by every mode: error values, fractions and records
// whose digits cannot be read. Returns -1 when the part is an ordinary one.
int SpecialText(const BcdNumber* x, char* out) {
  if (BcdErrorCode(x) || !IsScalarKind(x->bytes[0])) return Error(out);
  if (IsFractionRecord(x)) return BcdFractionText(x, out);
  Dec v;
  if (!ReadDec(x, &v)) return Error(out);
  return -1;
}

// The text of one part: special parts (errors, fractions, unreadable
// digits) get their own; an ordinary one is written by `write`.
template <typename Write>
int PartText(const BcdNumber* x, char* out, Write write) {
  int special = SpecialText(x, out);
  if (special >= 0) return special;
  Digits g;
  ReadDigits(x, &g);
  Out o{out};
  write(o, g);
  return o.End();
}

// Sci n keeps n significant digits; Sci 0 means ten.
int SciDigits(int n) {
  return n >= 1 && n <= 9 ? n : kMaxShownDigits;
}

// Rounds one real part to k significant digits, half away from zero.
// Returns 0 when the part became an error value.
int RoundPart(BcdNumber* x, int k) {
  Dec v;
  if (!ReadDec(x, &v)) {
    BcdError(x, kBcdErrMa);
    return 0;
  }
  if (v.m == 0 || k < 0) {
    BcdZero(x);
    return 1;
  }
  if (v.e - k < -109 || v.e - k > 99 || k >= 15) return 1;
  uint64_t unit = kPow10[15 - k];
  uint64_t m = (v.m + unit / 2) / unit * unit;
  int e = v.e;
  if (m >= kMant15End) {
    m /= 10;
    ++e;
  }
  if (m == 0) {
    BcdZero(x);
    return 1;
  }
  return StoreDec(v.neg, m, e, x);
}

// Significant digits a mode keeps of a value with exponent e.
int KeptDigits(int mode, int n, int e, bool engShift) {
  switch (mode) {
    case kBcdFix:
      return std::min(e + n + 1, kMaxShownDigits);
    case kBcdSci:
      return SciDigits(n);
    case kBcdNorm2:
      if (!engShift && e >= -9 && e <= -3) return e + 12;
      return kMaxShownDigits;
    default:
      return kMaxShownDigits;
  }
}

int RoundRealForDisplay(BcdNumber* x, int mode, int n, bool engShift) {
  if (BcdErrorCode(x) || IsFractionRecord(x)) return 1;
  return RoundPart(x, KeptDigits(mode, n, BcdExponent(x), engShift));
}

struct Mode {
  int mode, n;
  bool eng, shift;
};

Mode ModeOf(const BcdDisplay& d) {
  Mode m;
  m.mode = (d.mode >> 4) & 7;
  if (m.mode > kBcdSci) m.mode = kBcdNorm1;
  m.n = d.mode & 15;
  if (m.n > 9) m.n = 9;
  m.shift = (d.engState & kBcdEngShiftMask) == kBcdEngShiftActive;
  m.eng = (d.mode & kBcdEngBit) || m.shift;
  return m;
}

// Rounds a copy of one real part for the engineering form; returns the
// exponent to show it with.
int RoundForEngineering(BcdNumber* x, const Mode& m, int shiftedExponent) {
  int e = BcdExponent(x);
  int exponent = m.shift ? shiftedExponent : FloorTo3(e);
  int k = m.mode == kBcdFix ? std::min(e - exponent + m.n + 1, kMaxShownDigits)
                            : KeptDigits(m.mode == kBcdSci ? kBcdSci : kBcdNorm1, m.n, e, true);
  RoundPart(x, k);
  return m.shift ? shiftedExponent : FloorTo3(BcdExponent(x));
}

// Rounds one real part (complex flag cleared) as the settings show it; an
// error value when it cannot be. Returns the engineering form's exponent.
int RoundShown(BcdNumber* x, const BcdDisplay& d, int index) {
  Mode m = ModeOf(d);
  if (m.eng) return RoundForEngineering(x, m, d.engExponent[index]);
  if (!RoundRealForDisplay(x, m.mode, m.n, false) && !BcdErrorCode(x)) BcdError(x, kBcdErrMa);
  return 0;
}

// One real part (complex flag cleared) as the settings show it.
int FormatPart(const BcdNumber* part, const BcdDisplay& d, int index, char* out) {
  int special = SpecialText(part, out);
  if (special >= 0) return special;
  Mode m = ModeOf(d);
  BcdNumber x = *part;
  int exponent = RoundShown(&x, d, index);
  if (BcdErrorCode(&x)) return Error(out);
  if (m.eng) return BcdEngText(&x, m.mode, m.n, exponent, out);
  switch (m.mode) {
    case kBcdFix:
      return BcdFixText(&x, m.n, out);
    case kBcdSci:
      return BcdSciText(&x, m.n, out);
    default:
      return BcdNormText(&x, m.mode, out);
  }
}

int Columns(const char* s, int len) {
  int cols = 0;
  for (int i = 0; i < len; ++i, ++cols) {
    uint8_t c = uint8_t(s[i]);
    if (c == 0x7F || c == 0xE5 || c == 0xE6 || c == 0xE7 || c == 0xF7 || c == 0xF9) ++i;
  }
  return cols;
}

// Modulus and argument (in the angle unit) of a complex value.
void ToPolar(const BcdNumber* re, const BcdNumber* im, int angleUnit, BcdNumber* r,
             BcdNumber* theta) {
  long double a = BcdToLongDouble(re), b = BcdToLongDouble(im);
  long double t = atan2l(b, a);
  if (angleUnit == 0) t = t * 180 / 3.14159265358979323846264338327950288L;
  if (angleUnit == 2) t = t * 200 / 3.14159265358979323846264338327950288L;
  BcdFromLongDouble(hypotl(a, b), r);
  BcdFromLongDouble(t, theta);
}

// The real parts a value is shown as: itself, its real and imaginary parts,
// or modulus and argument in polar display.
int ShownParts(const BcdNumber* z, const BcdDisplay& d, BcdNumber parts[2]) {
  if (!BcdIsComplex(z)) {
    parts[0] = *z;
    return 1;
  }
  BcdComplexSplit(z, &parts[0], &parts[1]);
  if (d.complexMode == 2) ToPolar(&parts[0], &parts[1], d.angleUnit, &parts[0], &parts[1]);
  return 2;
}

int ComplexText(const BcdNumber* z, const BcdDisplay& d, char* out) {
  BcdNumber re, im;
  BcdComplexSplit(z, &re, &im);
  char first[kBcdTextSize], second[kBcdTextSize];
  int n1, n2;
  Out o{out};
  char joiner;
  uint16_t tail = 0;
  if (d.complexMode == 2) {
    BcdNumber polar[2];
    ShownParts(z, d, polar);
    n1 = FormatPart(&polar[0], d, 0, first);
    n2 = FormatPart(&polar[1], d, 1, second);
    joiner = 0;
  } else {
    // The sign goes with the digits shown: a part rounded to zero has none.
    BcdNumber shownIm = im;
    RoundShown(&shownIm, d, 1);
    bool negIm = BcdIsNegative(&shownIm);
    BcdNumber absIm;
    BcdAbs(&im, &absIm);
    n2 = FormatPart(&absIm, d, 1, second);
    tail = kBcdChImaginary;
    if (BcdIsZero(&re)) {
      if (negIm) o.Put(kBcdChNegative);
      o.Append(second, n2);
      o.Put2(tail);
      return o.End();
    }
    n1 = FormatPart(&re, d, 0, first);
    joiner = negIm ? kBcdChMinus : kBcdChPlus;
  }
  int cols = Columns(first, n1) + 1 + Columns(second, n2) + (tail ? 1 : 0);
  o.Append(first, n1);
  if (cols > kBcdLineColumns) o.Put(kBcdChNewLine);
  if (joiner) {
    o.Put(joiner);
  } else {
    o.Put2(kBcdChAngle);
  }
  o.Append(second, n2);
  if (tail) o.Put2(tail);
  return o.End();
}

}  // namespace

// ---- Rounding -------------------------------------------------------------------

int BcdRoundForDisplay(BcdNumber* value, int mode, int n, bool engShift) {
  if (BcdErrorCode(value)) return 0;
  if (!IsScalarKind(value->bytes[0])) return 0;
  bool complex = BcdIsComplex(value);
  int ok = 1;
  for (int i = 0; i < (complex ? 2 : 1); ++i) {
    BcdNumber& part = value[i];
    uint8_t flag = part.bytes[0] & kBcdComplexFlag;
    part.bytes[0] &= uint8_t(~kBcdComplexFlag);
    ok &= RoundRealForDisplay(&part, mode, n, engShift);
    if (!BcdErrorCode(&part)) part.bytes[0] |= flag;  // a complex value keeps its flag
  }
  return ok;
}

// ---- Pieces -------------------------------------------------------------------

int BcdExponentText(char* out, int exponent, bool forceSign, bool allowOneDigit) {
  Out o{out};
  o.Put(kBcdChExponent);
  int a = exponent < 0 ? -exponent : exponent;
  if (exponent < 0) {
    o.Put(kBcdChNegative);
  } else if (forceSign) {
    o.Put('+');
  }
  if (a >= 100) o.Put(char('0' + a / 100 % 10));
  if (a >= 10 || !allowOneDigit) o.Put(char('0' + a / 10 % 10));
  o.Put(char('0' + a % 10));
  return o.End();
}

int BcdFractionText(const BcdNumber* x, char* out) {
  Frac f;
  if (!IsFractionRecord(x) || ReadFraction(x, &f)) return Error(out);
  Out o{out};
  if (f.neg) o.Put(kBcdChNegative);
  int last = x->bytes[1] >> 4;
  for (int i = 3; i <= 3 + last; ++i) {
    uint8_t b = x->bytes[i / 2];
    int nib = (i & 1) ? (b & 15) : (b >> 4);
    o.Put(nib == 0xA ? kBcdChFraction : char('0' + nib));
  }
  return o.End();
}

int BcdNormText(const BcdNumber* x, int norm, char* out) {
  return PartText(x, out, [norm](Out& o, const Digits& g) {
    int lowest = norm == kBcdNorm2 ? -9 : -2;
    if (g.sig == 0 || (g.e >= lowest && g.e < 10)) {
      WriteMantissa(o, g, g.e + 1, -1);
    } else {
      WriteMantissa(o, g, 1, -1);
      WriteExponent(o, g.e);
    }
  });
}

int BcdFixText(const BcdNumber* x, int n, char* out) {
  return PartText(x, out, [n](Out& o, const Digits& g) {
    if (g.e < 10) {
      int p = g.e + 1;
      WriteMantissa(o, g, p, p > 0 ? std::min(n, kMaxShownDigits - p) : n);
    } else {
      WriteMantissa(o, g, 1, -1);
      WriteExponent(o, g.e);
    }
  });
}

int BcdSciText(const BcdNumber* x, int n, char* out) {
  return PartText(x, out, [n](Out& o, const Digits& g) {
    WriteMantissa(o, g, 1, SciDigits(n) - 1);
    WriteExponent(o, g.e);
  });
}

int BcdEngExponent(const BcdNumber* x) {
  return FloorTo3(BcdExponent(x));
}

int BcdEngText(const BcdNumber* x, int mode, int n, int exponent, char* out) {
  return PartText(x, out, [=](Out& o, const Digits& g) {
    if (g.sig == 0 && mode != kBcdFix && mode != kBcdSci) {
      o.Put('0');
      return;
    }
    int p = g.sig == 0 ? 1 : g.e - exponent + 1;
    int decimals = -1;
    if (mode == kBcdFix) decimals = n;
    if (mode == kBcdSci) decimals = std::max(SciDigits(n) - p, 0);
    WriteMantissa(o, g, p, decimals);
    WriteExponent(o, g.sig == 0 ? 0 : exponent);
  });
}

// ---- Whole results --------------------------------------------------------------

int BcdFormatResult(const BcdNumber* value, int displayType, const BcdDisplay& display, char* out) {
  if (displayType == kBcdDisplayBaseN) return BcdBaseNText(value, display.baseMode, out);
  if (BcdIsComplex(value)) return ComplexText(value, display, out);
  return FormatPart(value, display, 0, out);
}

int BcdEngShift(const BcdNumber* value, bool up, BcdDisplay* display) {
  if (BcdErrorCode(value) || !IsScalarKind(value->bytes[0])) return 0;
  Mode m = ModeOf(*display);
  BcdNumber parts[2];
  int count = ShownParts(value, *display, parts);
  int16_t next[2] = {display->engExponent[0], display->engExponent[1]};
  for (int i = 0; i < count; ++i) {
    BcdNumber& x = parts[i];
    Dec v;
    if (BcdErrorCode(&x) || IsFractionRecord(&x) || !ReadDec(&x, &v)) return 0;
    if (v.m == 0) continue;  // zero shows no exponent to move
    int current = RoundForEngineering(&x, m, display->engExponent[i]);
    int e = BcdExponent(&x);
    int target = current + (up ? 3 : -3);
    if (target < -99 || target > 99) return 0;
    if (e - target + 1 >= 10) return 0;  // ten digits before the point
    if (target - e - 1 >= 9) return 0;   // nine zeros after it
    next[i] = int16_t(target);
  }
  display->engExponent[0] = next[0];
  display->engExponent[1] = next[1];
  display->engState = uint8_t(kBcdEngShiftActive | (up ? kBcdEngShiftUp : 0));
  return 1;
}

int BcdCanonicalText(const BcdNumber* x, char* out) {
  BcdNumber v = *x;
  if (IsFractionRecord(&v) && !BcdFractionToDecimal(x, &v)) return Error(out);
  Digits g;
  if (BcdErrorCode(&v) || !ReadDigits(&v, &g)) return Error(out);
  Out o{out};
  o.Put(g.neg ? '-' : '+');
  o.Put(g.d[0]);
  o.Put('.');
  o.Append(g.d + 1, 14);
  o.Put('E');
  o.Put(g.e < 0 ? '-' : '+');
  int a = g.e < 0 ? -g.e : g.e;
  o.Put(char('0' + a / 100));
  o.Put(char('0' + a / 10 % 10));
  o.Put(char('0' + a % 10));
  return o.End();
}

int BcdBaseNText(const BcdNumber* x, int baseMode, char* out) {
  Dec v;
  if (ReadReal(x, &v) || !DecIsInteger(v) || (v.m && v.e > 10)) return Error(out);
  int64_t value = v.m ? int64_t(v.m / kPow10[14 - v.e]) : 0;
  if (v.neg) value = -value;
  int bits = baseMode == kBcdBaseBin ? 16 : 32;
  int64_t span = int64_t(1) << bits;
  if (value < -span / 2 || value >= span) return Error(out);
  uint64_t u = uint64_t(value) & uint64_t(span - 1);
  Out o{out};
  int radixBits = baseMode == kBcdBaseBin ? 1 : baseMode == kBcdBaseOct ? 3 : 4;
  if (baseMode != kBcdBaseBin && baseMode != kBcdBaseOct && baseMode != kBcdBaseHex) {
    int64_t s = u >= uint64_t(span / 2) ? int64_t(u) - span : int64_t(u);
    if (s < 0) o.Put(kBcdChNegative);
    uint64_t a = s < 0 ? uint64_t(-s) : uint64_t(s);
    char digits[12];
    int nd = 0;
    do {
      digits[nd++] = char('0' + a % 10);
      a /= 10;
    } while (a);
    while (nd) o.Put(digits[--nd]);
    return o.End();
  }
  int width = (bits + radixBits - 1) / radixBits;
  for (int i = width - 1; i >= 0; --i) {
    int d = int(u >> (i * radixBits)) & ((1 << radixBits) - 1);
    o.Put(d < 10 ? char('0' + d) : char(0x1A + d - 10));
  }
  return o.End();
}
