// The calculator's key matrix and what each key yields in each shift state.
// One table of key rows is the source of everything here: the matrix lookup
// (column x 7 + row), the four character tables and the four control tables
// are all derived from it at compile time.
#pragma once

#include <cstdint>

// ---- Control codes ------------------------------------------------------------
// Codes GetKey returns for keys that do not type a character. Codes without
// a name here (30026, 30036, 30046, 30052 ...) only pass through to the
// applications that test for them.
inline constexpr uint32_t kKeyXThetaT = 30001;
inline constexpr uint32_t kKeyExit = 30002;
inline constexpr uint32_t kKeyMenu = 30003;
inline constexpr uint32_t kKeyExe = 30004;
inline constexpr uint32_t kKeyClipPosted = 30005;  // only ever posted by the host
inline constexpr uint32_t kKeyShift = 30006;
inline constexpr uint32_t kKeyAlpha = 30007;
inline constexpr uint32_t kKeyOptn = 30008;
inline constexpr uint32_t kKeyF1 = 30009;  // F1..F6 are 30009..30014
inline constexpr uint32_t kKeyF6 = 30014;
inline constexpr uint32_t kKeyAc = 30015;
inline constexpr uint32_t kKeyVars = 30016;
inline constexpr uint32_t kKeyUp = 30018;
inline constexpr uint32_t kKeyLeft = 30020;
inline constexpr uint32_t kKeyRight = 30021;
inline constexpr uint32_t kKeyDown = 30023;
inline constexpr uint32_t kKeyDel = 30025;
inline constexpr uint32_t kKeyMixedImproper = 30026;  // SHIFT F<>D
inline constexpr uint32_t kKeyPrgm = 30028;
inline constexpr uint32_t kKeyQuit = 30029;
inline constexpr uint32_t kKeyVWin = 30030;  // the SHIFT bar's V-Win key
inline constexpr uint32_t kKeyShiftRight = 30031;
inline constexpr uint32_t kKeyShiftLeft = 30032;
inline constexpr uint32_t kKeyIns = 30033;
inline constexpr uint32_t kKeyCopy = 30035;
inline constexpr uint32_t kKeyPaste = 30036;
inline constexpr uint32_t kKeySetup = 30037;  // SHIFT MENU
inline constexpr uint32_t kKeyClipUp = 30041;  // 30041..30044: the arrows while clipping
inline constexpr uint32_t kKeyClipLeft = 30042;
inline constexpr uint32_t kKeyClipRight = 30043;
inline constexpr uint32_t kKeyClipDown = 30044;
inline constexpr uint32_t kKeyFractionDecimal = 30046;  // F<>D
inline constexpr uint32_t kKeyAlphaExe = 30047;
inline constexpr uint32_t kKeyClip = 30050;
inline constexpr uint32_t kKeyCut = 30051;
inline constexpr uint32_t kKeyLineStart = 30052;  // SHIFT UP
inline constexpr uint32_t kKeyLineEnd = 30053;    // SHIFT DOWN
inline constexpr uint32_t kKeyCapture = 30055;
inline constexpr uint32_t kKeyCaptureRun = 30056;  // posted back by 30055
inline constexpr uint32_t kKeyCatalog = 30100;
inline constexpr uint32_t kKeyService = 32000;

// ---- Shift states (setup item 20) ---------------------------------------------
inline constexpr uint8_t kShiftNone = 0;
inline constexpr uint8_t kShiftShift = 1;
inline constexpr uint8_t kShiftClip = 2;
inline constexpr uint8_t kShiftAlpha = 4;
inline constexpr uint8_t kShiftSmall = 8;
inline constexpr uint8_t kShiftAlphaLock = 0x80 | 4;
inline constexpr uint8_t kShiftSmallLock = 0x80 | 8;

// ---- The key table --------------------------------------------------------------
inline constexpr int kKeyIndexCount = 61;
inline constexpr int kKeyMatrixColumns = 12;
inline constexpr int kKeyMatrixRows = 7;

enum class KeyYield : uint8_t { kNothing, kChar, kControl };

struct KeyCell {
  KeyYield yield = KeyYield::kNothing;
  uint16_t code = 0;
};

// One key: its index, its matrix position (0, 0 for the keys that can only
// arrive as posted codes) and what it yields normally, with SHIFT, in the
// ALPHA states (capital letters) and while clipping.
struct KeyTableRow {
  int8_t index;
  int8_t column;
  int8_t row;
  KeyCell normal, shift, alpha, clip;
};

extern const KeyTableRow kKeyTableRows[];
extern const int kKeyTableRowCount;

// The key index at a matrix position; -1 for a position without a key or
// outside the matrix.
int KeyIndexAt(int column, int row);

// The four character tables and four control tables, 61 entries each; 0 means
// the table gives nothing.
enum KeyTableSet : int { kTableNormal, kTableShift, kTableAlpha, kTableClip };
int32_t KeyCharTable(KeyTableSet set, int index);
int32_t KeyControlTable(KeyTableSet set, int index);

struct KeyTranslation {
  int isChar;  // 1: code is a character code; 0: a control code (may be 0)
  uint32_t code;
};
// What the key with this index yields in the shift state. The small-letter
// states read the ALPHA table with the capitals lowered; the CLIP state has
// no characters at all.
KeyTranslation TranslateKeyIndex(int index, uint8_t shiftState);

// The modifier machine: the shift state after a key has yielded `code`.
// clipAllowed is false when CLIP cannot start (inhibited, or no text cursor).
uint8_t NextShiftState(uint8_t state, int isChar, uint32_t code, bool clipAllowed);
