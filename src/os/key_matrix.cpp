#include "os/key_matrix.h"

#include <array>

namespace {

constexpr KeyCell C(uint16_t code) {
  return KeyCell{KeyYield::kChar, code};
}
constexpr KeyCell K(uint16_t code) {
  return KeyCell{KeyYield::kControl, code};
}
constexpr KeyCell N{};

// A key that yields the same control code in every state.
constexpr KeyTableRow Always(int8_t index, int8_t column, int8_t row, uint16_t code) {
  return KeyTableRow{index, column, row, K(code), K(code), K(code), K(code)};
}

}  // namespace

extern constexpr KeyTableRow kKeyTableRows[] = {
    {0, 2, 6, C('.'), C('='), C(' '), N},
    {1, 2, 7, C('0'), C(0x7F50), C('Z'), N},
    {2, 3, 7, C('1'), C(0x7F51), C('U'), N},
    {3, 3, 6, C('2'), C(0x7F40), C('V'), N},
    {4, 3, 5, C('3'), N, C('W'), N},
    {5, 4, 7, C('4'), K(30100), C('P'), N},
    {6, 4, 6, C('5'), N, C('Q'), N},
    {7, 4, 5, C('6'), N, C('R'), N},
    {8, 5, 7, C('7'), K(30055), C('M'), N},
    {9, 5, 6, C('8'), K(30050), C('N'), N},
    {10, 5, 5, C('9'), K(30036), C('O'), N},
    {11, 7, 7, K(30001), C(0x7F54), C('A'), N},
    {12, 7, 6, C(0x95), C(0xB5), C('B'), N},
    {13, 7, 5, C(0x85), C(0xA5), C('C'), N},
    {14, 7, 4, C(0x81), C(0x91), C('D'), N},
    {15, 7, 3, C(0x82), C(0x92), C('E'), N},
    {16, 7, 2, C(0x83), C(0x93), C('F'), N},
    {17, 6, 7, C(0xBB), K(30054), C('G'), N},
    {18, 8, 6, C(0x8B), C(0x86), C(0xCD), N},
    {19, 6, 5, C('('), C(0x96), C('I'), N},
    {20, 6, 4, C(')'), C(0x9B), C('J'), N},
    {21, 6, 3, C(','), N, C('K'), N},
    {22, 6, 2, C(0x0E), N, C('L'), N},
    {23, 4, 4, C(0xA9), C('{'), C('S'), N},
    {24, 4, 3, C(0xB9), C('}'), C('T'), N},
    {25, 3, 4, C(0x89), C('['), C('X'), N},
    {26, 3, 3, C(0x99), C(']'), C('Y'), N},
    {27, 8, 5, C(0xA8), C(0xB8), C(0xCE), N},
    {28, 8, 4, K(30002), K(30029), K(30002), N},
    {29, 2, 4, C(0x87), C(0xC0), N, N},
    {30, 9, 4, K(30003), K(30037), K(30003), N},
    {31, 2, 3, K(30004), C(0x0D), K(30047), N},
    {32, 6, 6, K(30046), K(30026), C('H'), N},
    Always(33, 9, 7, 30006),
    Always(34, 8, 7, 30007),
    {35, 9, 6, K(30008), N, K(30008), N},
    Always(36, 10, 7, 30009),
    Always(37, 10, 6, 30010),
    Always(38, 10, 5, 30011),
    Always(39, 10, 4, 30012),
    Always(40, 10, 3, 30013),
    Always(41, 10, 2, 30014),
    {42, 1, 1, K(30015), N, K(30015), N},
    {43, 9, 5, K(30016), K(30028), K(30016), N},
    Always(44, 0, 0, 30017),
    {45, 9, 2, K(30018), K(30052), K(30018), K(30041)},
    Always(46, 0, 0, 30019),
    {47, 9, 3, K(30020), K(30032), K(30020), K(30042)},
    {48, 8, 2, K(30021), K(30031), K(30021), K(30043)},
    Always(49, 0, 0, 30022),
    {50, 8, 3, K(30023), K(30053), K(30023), K(30044)},
    Always(51, 0, 0, 30024),
    {52, 2, 5, C(0x0F), C(0xD0), C('"'), N},
    {53, 5, 4, K(30025), K(30033), K(30025), K(30025)},
    Always(60, 12, 4, 32000),
};

namespace {

constexpr int kMatrixEntries = (kKeyMatrixColumns + 1) * kKeyMatrixRows + 1;

constexpr std::array<int8_t, kMatrixEntries> BuildMatrix() {
  std::array<int8_t, kMatrixEntries> m{};
  for (auto& e : m) e = -1;
  for (const KeyTableRow& r : kKeyTableRows)
    if (r.column > 0) m[r.column * kKeyMatrixRows + r.row] = r.index;
  return m;
}

struct Tables {
  int32_t chars[4][kKeyIndexCount];
  int32_t controls[4][kKeyIndexCount];
};

constexpr void Put(Tables& t, int set, int index, KeyCell cell) {
  if (cell.yield == KeyYield::kChar) t.chars[set][index] = cell.code;
  if (cell.yield == KeyYield::kControl) t.controls[set][index] = cell.code;
}

constexpr Tables BuildTables() {
  Tables t{};
  for (const KeyTableRow& r : kKeyTableRows) {
    Put(t, kTableNormal, r.index, r.normal);
    Put(t, kTableShift, r.index, r.shift);
    Put(t, kTableAlpha, r.index, r.alpha);
    Put(t, kTableClip, r.index, r.clip);
  }
  return t;
}

constexpr auto kMatrix = BuildMatrix();
constexpr Tables kTables = BuildTables();

// The CLIP table yields control codes only.
static_assert([] {
  for (const KeyTableRow& r : kKeyTableRows)
    if (r.clip.yield == KeyYield::kChar) return false;
  return true;
}());

KeyTableSet SetOfState(uint8_t state) {
  switch (state) {
    case kShiftShift:
      return kTableShift;
    case kShiftClip:
      return kTableClip;
    case kShiftAlpha:
    case kShiftSmall:
    case kShiftAlphaLock:
    case kShiftSmallLock:
      return kTableAlpha;
    default:
      return kTableNormal;
  }
}

bool IsSmall(uint8_t state) {
  return state == kShiftSmall || state == kShiftSmallLock;
}

}  // namespace

const int kKeyTableRowCount = sizeof(kKeyTableRows) / sizeof(kKeyTableRows[0]);

int KeyIndexAt(int column, int row) {
  if (column < 1 || column > kKeyMatrixColumns || row < 1 || row > kKeyMatrixRows) return -1;
  return kMatrix[column * kKeyMatrixRows + row];
}

int32_t KeyCharTable(KeyTableSet set, int index) {
  if (index < 0 || index >= kKeyIndexCount || set < 0 || set > kTableClip) return 0;
  return kTables.chars[set][index];
}

int32_t KeyControlTable(KeyTableSet set, int index) {
  if (index < 0 || index >= kKeyIndexCount || set < 0 || set > kTableClip) return 0;
  return kTables.controls[set][index];
}

KeyTranslation TranslateKeyIndex(int index, uint8_t shiftState) {
  KeyTableSet set = SetOfState(shiftState);
  int32_t c = KeyCharTable(set, index);
  if (c != 0) {
    if (IsSmall(shiftState) && c >= 'A' && c <= 'Z') c += 32;
    return {1, static_cast<uint32_t>(c)};
  }
  return {0, static_cast<uint32_t>(KeyControlTable(set, index))};
}

uint8_t NextShiftState(uint8_t state, int isChar, uint32_t code, bool clipAllowed) {
  const bool locked = state == kShiftAlphaLock || state == kShiftSmallLock;
  if (!isChar) {
    switch (code) {
      case kKeyShift:
        return state == kShiftShift ? kShiftNone : kShiftShift;
      case kKeyAlpha:
        if (state == kShiftNone || state == kShiftClip) return kShiftAlpha;
        if (state == kShiftShift) return kShiftAlphaLock;
        return kShiftNone;
      case kKeyClipPosted:
        return state == kShiftClip ? kShiftNone : kShiftClip;
      case kKeyClip:
        if (state == kShiftClip) return kShiftNone;
        return clipAllowed ? kShiftClip : kShiftNone;
      default:
        break;
    }
    if (state == kShiftClip)
      return code >= kKeyClipUp && code <= kKeyClipDown ? kShiftClip : kShiftNone;
    if (locked)
      return code == kKeyExit || code == kKeyExe || code == kKeyAc || code == kKeyAlphaExe
                 ? kShiftNone
                 : state;
    return kShiftNone;
  }
  return locked ? state : kShiftNone;
}
