// The stored form of both fonts: the bytes other code relies on, the rules
// of the two storage forms, and which codes have glyphs at all.
#include <gtest/gtest.h>

#include <cstring>

#include "os/font.h"

namespace {

// Every code of every page a character can come from.
template <typename F>
void ForEachCode(F f) {
  for (int code = 1; code <= 0xFFFF; ++code) f(static_cast<uint16_t>(code));
}

TEST(FontFormat, NormalGlyphsOfAAndZeroAreTheGivenBytes) {
  const uint8_t a[8] = {0x38, 0x44, 0x44, 0x7C, 0x44, 0x44, 0x44, 0x00};
  const uint8_t zero[8] = {0x38, 0x44, 0x4C, 0x54, 0x64, 0x44, 0x38, 0x00};
  ASSERT_NE(NormalGlyph('A'), nullptr);
  ASSERT_NE(NormalGlyph('0'), nullptr);
  EXPECT_EQ(0, std::memcmp(NormalGlyph('A'), a, 8));
  EXPECT_EQ(0, std::memcmp(NormalGlyph('0'), zero, 8));
}

TEST(FontFormat, EveryNormalGlyphKeepsRowSevenAndTheLowBitsBlank) {
  int glyphs = 0;
  ForEachCode([&](uint16_t code) {
    const uint8_t* g = NormalGlyph(code);
    if (!g) return;
    ++glyphs;
    EXPECT_EQ(g[7], 0) << std::hex << code;
    for (int r = 0; r < 8; ++r) EXPECT_EQ(g[r] & 0x03, 0) << std::hex << code << " row " << r;
  });
  EXPECT_GT(glyphs, 3 * 256);  // the three one-glyph pages alone give 768
}

TEST(FontFormat, WhichCodesHaveANormalGlyph) {
  struct Case {
    uint16_t code;
    bool has;
  } cases[] = {
      {0x0000, false}, {0x0020, true},  {0x007E, true},  {0x007F, false},  // 0x7F alone is a lead
      {0x00E5, false}, {0x00E6, false}, {0x00F7, false}, {0x0081, false},  // sin is a name
      {0x00A9, true},  {0x00BB, true},  {0x0087, true},  {0x0086, true},  {0x000F, true},
      {0x7F50, true},  {0x7F54, true},  {0x7F51, false}, {0xE501, true},  {0xE551, true},
      {0xE500, false}, {0xE60A, true},  {0xE641, true},  {0xE6FF, false}, {0xE700, true},
      {0xE7FF, true},  {0xF9C8, true},  {0xF701, true},  {0x1234, false}, {0xE800, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(NormalGlyph(c.code) != nullptr, c.has) << std::hex << c.code;
}

TEST(FontFormat, OneGlyphPagesShowTheSameGlyphForEveryCode) {
  for (uint16_t lead : {0xE700, 0xF900, 0xF700}) {
    const uint8_t* first = NormalGlyph(lead | 1);
    ASSERT_NE(first, nullptr);
    EXPECT_NE(0, first[0] | first[3] | first[6]) << "a placeholder must be visible";
    for (int low = 0; low < 256; ++low)
      EXPECT_EQ(0, std::memcmp(NormalGlyph(lead | low), first, 8)) << std::hex << (lead | low);
  }
}

int MiniWidth(uint16_t code) {
  MiniGlyphRef g;
  if (!MiniGlyph(code, &g)) return -1;
  uint8_t rows[6];
  return MiniGlyphRows(g, rows);
}

TEST(FontFormat, MiniWidthsOfDigitsLettersAndColon) {
  for (char c : std::string("0123456789ABCD")) EXPECT_EQ(MiniWidth(c), 4) << c;
  EXPECT_EQ(MiniWidth(':'), 3);
  EXPECT_GT(MiniWidth('M'), MiniWidth('i'));  // proportional
  // A width of 4 is stored as 0.
  MiniGlyphRef g;
  ASSERT_TRUE(MiniGlyph('0', &g));
  EXPECT_EQ(g.width, 0);
}

TEST(FontFormat, MiniGlyphsObeyTheirStorageForm) {
  ForEachCode([&](uint16_t code) {
    MiniGlyphRef g;
    if (!MiniGlyph(code, &g)) return;
    uint8_t rows[6];
    int width = MiniGlyphRows(g, rows);
    ASSERT_GE(width, 1) << std::hex << code;
    ASSERT_LE(width, 8) << std::hex << code;
    for (int r = 0; r < 6; ++r) EXPECT_LT(rows[r], 1 << width) << std::hex << code;
    if (width >= 5) {
      EXPECT_EQ(rows[5], 0) << std::hex << code << ": 5-byte glyphs have 5 rows";
    }
    // Every glyph leaves its left column blank to space the characters.
    for (int r = 0; r < 6; ++r)
      EXPECT_EQ(rows[r] & (1 << (width - 1)), 0) << std::hex << code << " row " << r;
  });
}

TEST(FontFormat, MiniDecodesBothStorageForms) {
  // Three bytes, two rows a byte: 'A' is 4 dots wide.
  uint8_t rows[6];
  MiniGlyphRef a;
  ASSERT_TRUE(MiniGlyph('A', &a));
  ASSERT_EQ(MiniGlyphRows(a, rows), 4);
  const uint8_t expectA[6] = {0b0010, 0b0101, 0b0111, 0b0101, 0b0101, 0};
  EXPECT_EQ(0, std::memcmp(rows, expectA, 6));
  // Five bytes, one row each: 'M' is 6 dots wide.
  MiniGlyphRef m;
  ASSERT_TRUE(MiniGlyph('M', &m));
  ASSERT_EQ(MiniGlyphRows(m, rows), 6);
  const uint8_t expectM[6] = {0b010001, 0b011011, 0b010101, 0b010001, 0b010001, 0};
  EXPECT_EQ(0, std::memcmp(rows, expectM, 6));
  // A hand-made 3-byte glyph 3 dots wide: the leftmost dot is the nibble's top bit.
  const uint8_t data[3] = {0x8E, 0x40, 0x20};
  MiniGlyphRef made{data, 0, 3};
  ASSERT_EQ(MiniGlyphRows(made, rows), 3);
  const uint8_t expectMade[6] = {0b100, 0b111, 0b010, 0, 0b001, 0};
  EXPECT_EQ(0, std::memcmp(rows, expectMade, 6));
  // Nonsense refs decode to nothing instead of reading wild memory.
  EXPECT_EQ(MiniGlyphRows(MiniGlyphRef{}, rows), 0);
  EXPECT_EQ(MiniGlyphRows(MiniGlyphRef{data, 0, -1}, rows), 0);
}

TEST(FontFormat, MiniPagesFallBackToTheirDefault) {
  struct Case {
    uint16_t code;
    bool found;
    bool own;
  } cases[] = {
      {'A', true, true},     {0x00, false, false},   {0x81, false, false},  // token names
      {0x7F50, true, true},  {0x7F53, true, true},   {0x7F54, true, true},  {0x7FC7, true, true},
      {0x7F51, true, false}, {0xE543, true, true},   {0xE551, true, true},  {0xE5C2, true, true},
      {0xE5DA, true, true},  {0xE501, true, false},  {0xE5FF, true, false}, {0xE60A, true, true},
      {0xE647, true, true},  {0xE6FE, true, false},  {0xE7AA, true, true},  {0xF9C9, true, true},
      {0xF701, true, true},  {0x1234, false, false},
  };
  for (const Case& c : cases) {
    MiniGlyphRef g;
    EXPECT_EQ(MiniGlyph(c.code, &g), c.found) << std::hex << c.code;
    EXPECT_EQ(MiniHasOwnGlyph(c.code), c.own) << std::hex << c.code;
  }
  // The end entry of the 0xE6 list stands for the default: offset 0, width 4.
  MiniGlyphRef def;
  ASSERT_TRUE(MiniGlyph(0xE6FE, &def));
  EXPECT_EQ(def.offset, 0);
  EXPECT_EQ(def.width, 0);
}

}  // namespace
