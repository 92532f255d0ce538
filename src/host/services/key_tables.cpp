#include "host/services/key_tables.h"

#include <cstring>

#include "host/services/host_services.h"

// Searched in order; bounds are inclusive.
const KeyRect kKeyRects[kKeyRectCount] = {
    {79, 0x3B00, 44, 293, 83, 315, "F1"},        {69, 0x3C00, 88, 293, 127, 315, "F2"},
    {59, 0x3D00, 132, 293, 171, 315, "F3"},      {49, 0x3E00, 176, 293, 215, 315, "F4"},
    {39, 0x3F00, 220, 293, 259, 315, "F5"},      {29, 0x4000, 264, 293, 303, 315, "F6"},
    {78, 0x2A00, 44, 332, 83, 355, "SHIFT"},     {68, 0x1D00, 88, 332, 127, 355, "OPTN"},
    {58, 0x3A00, 132, 332, 171, 355, "VARS"},    {48, 0x0F00, 176, 332, 215, 355, "MENU"},
    {77, 0x3800, 44, 369, 83, 392, "ALPHA"},     {67, 0x4600, 88, 369, 127, 392, "x\u00B2"},
    {57, '^', 132, 369, 171, 392, "^"},          {47, 0x0100, 176, 369, 215, 392, "EXIT"},
    {76, 'A', 44, 407, 83, 429, "X,\u03B8,T"},   {66, 'B', 88, 407, 127, 429, "log"},
    {56, 'C', 132, 407, 171, 429, "ln"},         {46, 'D', 176, 407, 215, 429, "sin"},
    {36, 'E', 220, 407, 259, 429, "cos"},        {26, 'F', 264, 407, 303, 429, "tan"},
    {75, 'G', 44, 444, 83, 466, "a b/c"},        {65, 'H', 88, 444, 127, 466, "F\u2194D"},
    {55, 'I', 132, 444, 171, 466, "("},          {45, 'J', 176, 444, 215, 466, ")"},
    {35, 'K', 220, 444, 259, 466, ","},          {25, 'L', 264, 444, 303, 466, "\u2192"},
    {74, '7', 44, 486, 90, 517, "7"},            {64, '8', 96, 486, 142, 517, "8"},
    {54, '9', 148, 486, 194, 517, "9"},          {44, 0x5300, 200, 486, 246, 517, "DEL"},
    {34, 0x4500, 252, 486, 298, 517, "AC/ON"},   {73, '4', 44, 530, 90, 561, "4"},
    {63, '5', 96, 530, 142, 561, "5"},           {53, '6', 148, 530, 194, 561, "6"},
    {43, 'S', 200, 530, 246, 561, "\u00D7"},     {33, 'T', 252, 530, 298, 561, "\u00F7"},
    {72, '1', 44, 574, 90, 605, "1"},            {62, '2', 96, 574, 142, 605, "2"},
    {52, '3', 148, 574, 194, 605, "3"},          {42, 'X', 200, 574, 246, 605, "+"},
    {32, 'Y', 252, 574, 298, 605, "\u2212"},     {71, '0', 44, 618, 90, 649, "0"},
    {61, '.', 96, 618, 142, 649, "."},           {51, 0x5200, 148, 618, 194, 649, "EXP"},
    {41, 0x0C00, 200, 618, 246, 649, "(\u2212)"}, {31, 0x1C00, 252, 618, 298, 649, "EXE"},
    {28, 0x4800, 248, 320, 278, 357, "\u25B2"},  {38, 0x4B00, 218, 320, 248, 395, "\u25C0"},
    {27, 0x4D00, 278, 320, 308, 395, "\u25B6"},  {37, 0x5000, 248, 357, 278, 395, "\u25BC"},
};

// Key code to matrix position and name; first match wins.
const KeyMapRow kKeyMap[] = {
    {31, 3, 2, "EXE"},    {79, 7, 10, "F1"},        {78, 7, 9, "SHIFT"},     {69, 6, 10, "F2"},
    {68, 6, 9, "OPT"},    {59, 5, 10, "F3"},        {47, 4, 8, "ESC"},       {49, 4, 10, "F4"},
    {48, 4, 9, "MENU"},   {39, 3, 10, "F5"},        {38, 3, 9, "LEFT"},      {29, 2, 10, "F6"},
    {28, 2, 9, "UP"},     {58, 5, 9, "VARS"},       {27, 2, 8, "RIGHT"},     {77, 7, 8, "ALPHA"},
    {37, 3, 8, "DOWN"},   {67, 6, 8, "^2"},         {44, 4, 5, "DEL"},       {57, 5, 8, "^"},
    {71, 7, 2, "0"},      {76, 7, 7, "XtT"},        {72, 7, 3, "1"},         {66, 6, 7, "log"},
    {62, 6, 3, "2"},      {56, 5, 7, "ln"},         {52, 5, 3, "3"},         {46, 4, 7, "sin"},
    {73, 7, 4, "4"},      {36, 3, 7, "cos"},        {63, 6, 4, "5"},         {26, 2, 7, "tan"},
    {53, 5, 4, "6"},      {75, 7, 6, "ab/c"},       {74, 7, 5, "7"},         {65, 6, 6, "F<>D"},
    {64, 6, 5, "8"},      {55, 5, 6, "("},          {54, 5, 5, "9"},         {45, 4, 6, ")"},
    {43, 4, 4, "*"},      {35, 3, 6, ","},          {42, 4, 3, "+"},         {25, 2, 6, "->"},
    {32, 3, 3, "-"},      {34, 1, 1, "AC"},         {61, 6, 2, "."},         {51, 5, 2, "EXP"},
    {33, 3, 4, "/"},      {41, 4, 2, "(-)"},        {711, 7, 12, "AnsCopy"}, {611, 6, 12, "DispCopy"},
    {411, 4, 12, "TEST"}, {211, 2, 12, "OSupdate"}, {kNoKey, -1, -1, ""},    {0, 0, 0, nullptr},
};

const PcKeyRow kPcKeys[] = {
    {kVkReturn, 31, 0x1C00}, {kVkInsert, 78, 0x2A00}, {kVkEnd, 77, 0x3800},
    {kVkHome, 68, 0x1D00},   {kVkPrior, 58, 0x4600},  {kVkEscape, 47, 0x0100},
    {kVkSpace, kNoKey, ' '}, {kVkNext, 48, 0x0F00},   {kVkLeft, 38, 0x4B00},
    {kVkUp, 28, 0x4800},     {kVkRight, 27, 0x4D00},  {kVkDown, 37, 0x5000},
    {kVkDelete, 44, 0x5300}, {kVkBack, 44, 0x5300},   {kVkF1, 79, 0x3B00},
    {kVkF2, 69, 0x3C00},     {kVkF3, 59, 0x3D00},     {kVkF4, 49, 0x3E00},
    {kVkF5, 39, 0x3F00},     {kVkF6, 29, 0x4000},     {kVkTab, 34, 0x4500},
    {0, 0, 0},
};

namespace {

constexpr int kIgnoredPcKeys[] = {kVkDecimal, kVkMultiply, kVkAdd, kVkSubtract, kVkDivide};

// The typed-character table is built once from its rules: digits and
// operators press keys, ASCII signs travel as themselves, and the
// Windows-1252 letters become calculator characters.
struct PcCharTable {
  PcCharRow rows[kPcCharRows];
  int count = 0;
  void Add(int character, uint16_t code, uint16_t aux) {
    rows[count++] = PcCharRow{character, code, aux};
  }
  PcCharTable() {
    static const uint16_t kDigitKeys[] = {71, 72, 62, 52, 73, 63, 53, 74, 64, 54};
    for (int d = 0; d < 10; ++d) Add('0' + d, kDigitKeys[d], static_cast<uint16_t>('0' + d));
    static const struct { char c; uint16_t key; } kSigns[] = {
        {'(', 55}, {')', 45}, {'.', 61}, {',', 35}, {'/', 33},
        {'*', 43}, {'+', 42}, {'-', 32}, {'^', 57}};
    for (auto s : kSigns) Add(s.c, s.key, static_cast<uint16_t>(s.c));
    for (const char* p = "!\"#$%&?[]{}=:;<>'@~|_\\"; *p; ++p)
      Add(static_cast<unsigned char>(*p), kNoKey, static_cast<unsigned char>(*p));
    uint16_t capital = 0xE501;
    for (int c = 192; c <= 222; ++c)
      if (c != 215) Add(c, kNoKey, capital++);
    uint16_t small = 0xE601;
    for (int c = 224; c <= 254; ++c)
      if (c != 247) Add(c, kNoKey, small++);
    static const struct { int c; uint16_t code; } kSingles[] = {
        {255, 0xE620}, {223, 0xE641}, {215, 0xA9},   {247, 0xB9},   {128, 0xE592},
        {131, 0xE593}, {133, 0xE594}, {140, 0xE525}, {156, 0xE625}, {161, 0xE590},
        {162, 0xE599}, {163, 0xE59A}, {164, 0xE59B}, {165, 0xE59C}, {167, 0xE59D},
        {169, 0xE59E}, {170, 0xE59F}, {171, 0xE5A3}, {172, 0xE5A0}, {174, 0xE5A1},
        {177, 0xE5BE}, {178, 0xE5C2}, {179, 0xE5C3}, {180, 0xE6DD}, {181, 0xE64B},
        {183, 0xE5A7}, {185, 0xE5C1}, {187, 0xE5A4}, {191, 0xE591}};
    for (auto s : kSingles) Add(s.c, kNoKey, s.code);
    Add(-1, 0, 0);
  }
};

const PcCharTable& Chars() {
  static const PcCharTable table;
  return table;
}

// Windows-1252 codes 128-159 that are not Latin-1.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

const PcCharRow* PcCharTableRows() { return Chars().rows; }

const KeyRect* HitTestKey(int x, int y) {
  for (const KeyRect& k : kKeyRects)
    if (x >= k.left && x <= k.right && y >= k.top && y <= k.bottom) return &k;
  return nullptr;
}

const KeyRect* KeyRectOf(uint16_t code) {
  for (const KeyRect& k : kKeyRects)
    if (k.code == code) return &k;
  return nullptr;
}

void RemapLabelBand(int* x, int* y) {
  if (*y >= 194 && *y <= 210 && *x >= 45 && *x <= 297) {
    int n = (*x - 45) / 42;
    *x = (n + 1) * 44;
    *y = 304;
  }
}

const KeyMapRow* KeyMapOf(uint16_t code) {
  for (const KeyMapRow* r = kKeyMap; r->code != 0; ++r)
    if (r->code == code) return r;
  return nullptr;
}

const KeyMapRow* KeyMapByName(const char* name) {
  for (const KeyMapRow* r = kKeyMap; r->code != 0; ++r)
    if (r->code != kNoKey && std::strcmp(r->name, name) == 0) return r;
  return nullptr;
}

const KeyMapRow* KeyMapAt(int32_t row, int32_t column) {
  for (const KeyMapRow* r = kKeyMap; r->code != 0; ++r)
    if (r->code != kNoKey && r->row == row && r->column == column) return r;
  return nullptr;
}

uint16_t HostKeyCodeAt(int32_t row, int32_t column) {
  const KeyMapRow* key = KeyMapAt(row, column);
  return key ? key->code : 0;
}

const PcKeyRow* PcKeyOf(int virtualKey) {
  for (const PcKeyRow* r = kPcKeys; r->virtualKey != 0; ++r)
    if (r->virtualKey == virtualKey) return r;
  return nullptr;
}

bool PcKeyIgnored(int virtualKey) {
  for (int vk : kIgnoredPcKeys)
    if (vk == virtualKey) return true;
  return false;
}

const PcCharRow* PcCharOf(int character) {
  for (const PcCharRow* r = Chars().rows; r->character != -1; ++r)
    if (r->character == character) return r;
  return nullptr;
}

int UnicodeToCp1252(uint32_t codePoint) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
    return static_cast<int>(codePoint);
  for (int i = 0; i < 32; ++i)
    if (kCp1252High[i] != 0 && kCp1252High[i] == codePoint) return 128 + i;
  return -1;
}
