// The face's keys as the host sees them: where each key is drawn, which
// matrix position it sends, and how PC keys and typed characters reach it.
#pragma once

#include <cstdint>

inline constexpr uint16_t kNoKey = 0xFFFF;

struct KeyRect {
  uint16_t code;  // tens digit = matrix row, units = column - 1 (AC/ON is 34 at (1, 1))
  uint16_t aux;
  int left, top, right, bottom;  // inclusive
  const char* legend;
};

struct KeyMapRow {
  uint16_t code;
  int32_t row;
  int32_t column;
  const char* name;  // the key's name in key logs and on the command line
};

struct PcKeyRow {
  int virtualKey;
  uint16_t code;
  uint16_t aux;
};

struct PcCharRow {
  int character;  // Windows-1252 code
  uint16_t code;  // a key of the face, or kNoKey
  uint16_t aux;   // sent with kNoKey: a calculator character
};

inline constexpr int kKeyRectCount = 50;
extern const KeyRect kKeyRects[kKeyRectCount];
extern const KeyMapRow kKeyMap[];  // ends with code 0
extern const PcKeyRow kPcKeys[];   // ends with virtualKey 0
// The typed-character table, ending with character -1.
const PcCharRow* PcCharTableRows();
inline constexpr int kPcCharRows = 131;  // with the end row

// Windows virtual keys the tables use.
enum VirtualKey {
  kVkBack = 8, kVkTab = 9, kVkReturn = 13, kVkEscape = 27, kVkSpace = 32,
  kVkPrior = 33, kVkNext = 34, kVkEnd = 35, kVkHome = 36, kVkLeft = 37,
  kVkUp = 38, kVkRight = 39, kVkDown = 40, kVkInsert = 45, kVkDelete = 46,
  kVkMultiply = 106, kVkAdd = 107, kVkSubtract = 109, kVkDecimal = 110,
  kVkDivide = 111, kVkF1 = 112, kVkF2, kVkF3, kVkF4, kVkF5, kVkF6, kVkF7,
};

// nullptr when (x, y) hits no key.
const KeyRect* HitTestKey(int x, int y);
const KeyRect* KeyRectOf(uint16_t code);
// Points in the function-key label band of the LCD move onto the key below.
void RemapLabelBand(int* x, int* y);
const KeyMapRow* KeyMapOf(uint16_t code);
const KeyMapRow* KeyMapByName(const char* name);
// The key at a matrix position; nullptr for the pseudo positions.
const KeyMapRow* KeyMapAt(int32_t row, int32_t column);
const PcKeyRow* PcKeyOf(int virtualKey);
bool PcKeyIgnored(int virtualKey);  // numeric keypad keys that arrive as characters
const PcCharRow* PcCharOf(int character);

// Maps a Unicode code point to the Windows-1252 code the character table
// uses; -1 when there is none.
int UnicodeToCp1252(uint32_t codePoint);
