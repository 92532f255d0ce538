// The text of numbers: what the screens show (Norm, Fix, Sci, engineering,
// fractions, complex results, Base-N) and the fixed-width answer text of the
// key-log harness.
//
// Texts are calculator strings: bytes of the calculator's character set,
// ended by a zero byte, written into a caller's buffer of kBcdTextSize bytes.
// Every function returns the length written (without the zero byte).
// Formatting works on a copy; the value in memory is never changed.
//
// Characters used: digits, "." , 0x0F exponent mark, 0x87 negative sign,
// "+" explicit exponent sign, 0xBB fraction separator, 0x89 / 0x99 plus and
// minus between the parts of a complex result, 0x7F50 imaginary unit, 0x7F54
// angle mark, 0x0D line break, 0x1A-0x1F hexadecimal digits A-F. These are
// the codes of the matching keys' tokens, so a shown result re-enters as typed.
#pragma once

#include <cstdint>

#include "math/bcd.h"

constexpr int kBcdTextSize = 80;
constexpr int kBcdLineColumns = 21;

constexpr char kBcdChExponent = char(0x0F);
constexpr char kBcdChNegative = char(0x87);
constexpr char kBcdChFraction = char(0xBB);
constexpr char kBcdChPlus = char(0x89);
constexpr char kBcdChMinus = char(0x99);
constexpr char kBcdChNewLine = char(0x0D);
constexpr uint16_t kBcdChImaginary = 0x7F50;
constexpr uint16_t kBcdChAngle = 0x7F54;

// Display modes (setup item 43, bits 4-6) and its engineering bit.
enum : int { kBcdNorm1 = 0, kBcdNorm2 = 1, kBcdFix = 2, kBcdSci = 3 };
constexpr uint8_t kBcdEngBit = 0x80;
// Engineering display state (setup item 61): bits 4-6 equal to 2 while a
// shift is in effect; bit 7 set when the last shift raised the exponent.
constexpr uint8_t kBcdEngShiftActive = 0x20;
constexpr uint8_t kBcdEngShiftMask = 0x70;
constexpr uint8_t kBcdEngShiftUp = 0x80;

// Base-N modes (setup item 23): the highest digit of the base.
enum : int {
  kBcdBaseNone = 0,
  kBcdBaseBin = 1,
  kBcdBaseOct = 7,
  kBcdBaseDec = 9,
  kBcdBaseHex = 15
};

// Display type of BcdFormatResult that selects the Base-N formatter.
constexpr int kBcdDisplayBaseN = 5;

// The settings a formatting call reads; the caller fills it from the setup.
struct BcdDisplay {
  uint8_t mode = 0;                 // item 43: bits 4-6 mode, bits 0-3 digits, bit 7 engineering
  uint8_t complexMode = 0;          // item 42: 0, 1 rectangular a+bi, 2 polar r∠θ
  uint8_t baseMode = 0;             // item 23
  uint8_t angleUnit = 1;            // item 19: 0 degrees, 1 radians, 2 grads (polar argument)
  uint8_t engState = 0;             // item 61
  int16_t engExponent[2] = {0, 0};  // items 62-63 (real part), 64-65 (imaginary part)
};

// ---- Whole results -------------------------------------------------------------

// The text of a value (24 bytes when complex) as the computation screen shows
// it. A complex text longer than 21 columns gets a line break between parts.
int BcdFormatResult(const BcdNumber* value, int displayType, const BcdDisplay& display, char* out);

// Rounds the value in place for a mode (kBcdNorm1..kBcdSci) and digit count;
// both parts of a complex value. Returns 0 when a part's digits could not be
// read, and marks that part as an error value.
int BcdRoundForDisplay(BcdNumber* value, int mode, int n, bool engShift);

// Moves the exponent of the engineering form of the value last shown by
// three: up (mantissa / 1000) or down (mantissa * 1000). Refused (0, state
// unchanged) when the exponent would leave -99..99, the mantissa would need
// ten or more digits before the point, or nine or more zeros after it.
int BcdEngShift(const BcdNumber* value, bool up, BcdDisplay* display);

// ---- Pieces --------------------------------------------------------------------
// These take one real part that is already rounded for display.

int BcdNormText(const BcdNumber* x, int norm, char* out);  // norm: kBcdNorm1 / kBcdNorm2
int BcdFixText(const BcdNumber* x, int n, char* out);
int BcdSciText(const BcdNumber* x, int n, char* out);
// The engineering form with the given exponent (a multiple of three, or the
// shifted one) for a mode and digit count.
int BcdEngText(const BcdNumber* x, int mode, int n, int exponent, char* out);
// The engineering exponent of a value: its exponent rounded down to a
// multiple of three.
int BcdEngExponent(const BcdNumber* x);

// 0x0F, then 0x87 for a negative exponent or "+" when forced, then two
// digits (one when |exponent| < 10 and allowed).
int BcdExponentText(char* out, int exponent, bool forceSign, bool allowOneDigit);
// The parts of a fraction joined by 0xBB, 0x87 in front when negative.
int BcdFractionText(const BcdNumber* fraction, char* out);

// The answer-log form: sign, d1 "." d2..d15, "E", exponent sign, three
// digits: 22 characters. Zero is "+0.00000000000000E+000"; an error value
// or a record whose digits cannot be read gives "ERROR".
int BcdCanonicalText(const BcdNumber* x, char* out);

// An integer in a Base-N mode: signed decimal in Dec, the 32-bit two's
// complement in Hex (8 digits) and Oct (11 digits), 16 bits in Bin (16
// digits). A value that is not an integer of that range gives "ERROR".
int BcdBaseNText(const BcdNumber* x, int baseMode, char* out);
