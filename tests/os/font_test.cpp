// Both fonts and the character set: the stored glyph forms, which codes have
// glyphs, Unicode both ways, and glyphs in both fonts and a Unicode text for
// everything the calculator shows.
#include <cstring>
#include <string>
#include <vector>

#include "display_fixture.h"
#include "host/services/key_tables.h"
#include "os/charset.h"

namespace {

// Whether the mini font's page layout gives the code a slot of its own.
bool MiniHasSlot(uint16_t code) {
  const unsigned lead = code >> 8, low = code & 0xFF;
  if (lead == 0x00 || lead == 0xE6) return true;
  if (lead == 0x7F) return low == 'P' || low == 'S' || low == 'T' || low == 0xC7;
  if (lead == 0xE5) return (low >= 0xB0 && low <= 0xDF) || low == 'C' || low == 'Q';
  return false;
}

// Every glyph of the normal font: the stored form (row 7 and the two low
// bits blank), a Unicode text outside the one-glyph pages, and a mini glyph
// where the mini layout has a slot; every mini glyph and every printable
// ASCII character has a normal one. The glyphs of names, messages and setup
// texts are checked where their tables are.
TEST(FontFormat, EveryGlyphOfBothFonts) {
  const uint8_t a[8] = {0x38, 0x44, 0x44, 0x7C, 0x44, 0x44, 0x44, 0x00};
  const uint8_t zero[8] = {0x38, 0x44, 0x4C, 0x54, 0x64, 0x44, 0x38, 0x00};
  ASSERT_TRUE(NormalGlyph('A') && NormalGlyph('0'));
  EXPECT_EQ(0, std::memcmp(NormalGlyph('A'), a, 8));
  EXPECT_EQ(0, std::memcmp(NormalGlyph('0'), zero, 8));
  int glyphs = 0;
  for (int code = 1; code <= 0xFFFF; ++code) {
    const auto c = static_cast<uint16_t>(code);
    const uint8_t* g = NormalGlyph(c);
    EXPECT_TRUE(g || !MiniHasOwnGlyph(c)) << std::hex << code << ": mini glyph only";
    EXPECT_TRUE(g || code < 0x20 || code >= 0x7F) << code << ": ASCII without a glyph";
    if (!g) continue;
    ++glyphs;
    uint8_t blank = g[7];
    for (int r = 0; r < 8; ++r) blank |= g[r] & 0x03;
    EXPECT_EQ(blank, 0) << std::hex << code;
    const unsigned lead = code >> 8;
    if (lead != 0xE7 && lead != 0xF7 && lead != 0xF9) {
      EXPECT_NE(CharToUtf8(c), nullptr) << std::hex << code;
    }
    if (MiniHasSlot(c)) {
      EXPECT_TRUE(MiniHasOwnGlyph(c)) << std::hex << code;
    }
  }
  EXPECT_GT(glyphs, 3 * 256);  // the three one-glyph pages alone give 768
}

TEST(FontFormat, WhichCodesHaveANormalGlyph) {
  const struct {
    uint16_t code;
    bool has;
  } cases[] = {
      {0x0000, false}, {0x0020, true},  {0x007E, true},  {0x007F, false},  // 0x7F alone is a lead
      {0x00E5, false}, {0x00E6, false}, {0x00F7, false}, {0x0081, false},  // sin is a name
      {0x00A9, true},  {0x000F, true},  {0x7F50, true},  {0x7F54, true},
      {0x7F51, false}, {0xE501, true},  {0xE500, false}, {0xE60A, true},
      {0xE6FF, false}, {0x1234, false}, {0xE800, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(NormalGlyph(c.code) != nullptr, c.has) << std::hex << c.code;
  for (uint16_t lead : {0xE700, 0xF900, 0xF700}) {  // one visible placeholder for the page
    const uint8_t* first = NormalGlyph(lead | 1);
    ASSERT_NE(first, nullptr);
    EXPECT_NE(0, first[0] | first[3] | first[6]);
    for (int low = 0; low < 256; ++low)
      EXPECT_EQ(0, std::memcmp(NormalGlyph(lead | low), first, 8)) << std::hex << (lead | low);
  }
}

TEST(FontFormat, MiniDecodesBothStorageForms) {
  // Three bytes, two rows a byte ('A', stored width 0 = 4), and five bytes,
  // one row each ('M', 6 dots wide).
  uint8_t rows[6];
  MiniGlyphRef g;
  ASSERT_TRUE(MiniGlyph('A', &g));
  EXPECT_EQ(g.width, 0);
  ASSERT_EQ(MiniGlyphRows(g, rows), 4);
  const uint8_t expectA[6] = {0b0010, 0b0101, 0b0111, 0b0101, 0b0101, 0};
  EXPECT_EQ(0, std::memcmp(rows, expectA, 6));
  ASSERT_TRUE(MiniGlyph('M', &g));
  ASSERT_EQ(MiniGlyphRows(g, rows), 6);
  const uint8_t expectM[6] = {0b010001, 0b011011, 0b010101, 0b010001, 0b010001, 0};
  EXPECT_EQ(0, std::memcmp(rows, expectM, 6));
  // A hand-made 3-byte glyph 3 dots wide: the leftmost dot is the nibble's top bit.
  const uint8_t data[3] = {0x8E, 0x40, 0x20};
  ASSERT_EQ(MiniGlyphRows(MiniGlyphRef{data, 0, 3}, rows), 3);
  const uint8_t expectMade[6] = {0b100, 0b111, 0b010, 0, 0b001, 0};
  EXPECT_EQ(0, std::memcmp(rows, expectMade, 6));
  // Nonsense refs decode to nothing instead of reading wild memory.
  EXPECT_EQ(MiniGlyphRows(MiniGlyphRef{}, rows), 0);
  EXPECT_EQ(MiniGlyphRows(MiniGlyphRef{data, 0, -1}, rows), 0);
  for (char c : std::string("0123456789BCD")) EXPECT_EQ(MiniWidth(c), 4) << c;
  EXPECT_EQ(MiniWidth(':'), 3);
  EXPECT_GT(MiniWidth('M'), MiniWidth('i'));  // proportional
}

TEST(FontFormat, MiniGlyphsObeyTheirStorageForm) {
  for (int code = 1; code <= 0xFFFF; ++code) {
    MiniGlyphRef g;
    if (!MiniGlyph(static_cast<uint16_t>(code), &g)) continue;
    uint8_t rows[6];
    const int width = MiniGlyphRows(g, rows);
    ASSERT_TRUE(width >= 1 && width <= 8) << std::hex << code;
    if (width >= 5) {
      EXPECT_EQ(rows[5], 0) << std::hex << code << ": 5-byte glyphs have 5 rows";
    }
    // Every glyph leaves its left column blank to space the characters.
    for (int r = 0; r < 6; ++r)
      EXPECT_EQ(rows[r] >> (width - 1), 0) << std::hex << code << " row " << r;
  }
}

// A mini glyph as decoded: its width, then its rows.
std::vector<int> Stored(uint16_t code) {
  MiniGlyphRef g;
  uint8_t rows[6] = {};
  if (!MiniGlyph(code, &g)) return {};
  const int width = MiniGlyphRows(g, rows);
  return {width, rows[0], rows[1], rows[2], rows[3], rows[4], rows[5]};
}

TEST(FontFormat, MiniPagesFallBackToTheirDefault) {
  const struct {
    uint16_t code;
    bool found, own;
  } cases[] = {
      {'A', true, true},      {0x00, false, false},  {0x81, false, false},  // token names
      {0x7F50, true, true},   {0x7FC7, true, true},  {0x7F51, true, false}, {0xE543, true, true},
      {0xE5DA, true, true},   {0xE501, true, false}, {0xE5FF, true, false}, {0xE60A, true, true},
      {0xE6FE, true, false},  {0xE7AA, true, true},  {0xF9C9, true, true},  {0xF701, true, true},
      {0x1234, false, false},
  };
  for (const auto& c : cases) {
    MiniGlyphRef g;
    EXPECT_EQ(MiniGlyph(c.code, &g), c.found) << std::hex << c.code;
    EXPECT_EQ(MiniHasOwnGlyph(c.code), c.own) << std::hex << c.code;
    // Every page's default is the same placeholder, unlike the glyphs of their own.
    if (c.found) EXPECT_EQ(Stored(c.code) == Stored(0x7F51), !c.own) << std::hex << c.code;
  }
}

// A character typed on the PC keyboard reaches the calculator as a code;
// the same character pasted as Unicode text must become that same code.
TEST(FontCoverage, TypedAndPastedCharactersAgree) {
  int checked = 0;
  for (const PcCharRow* row = PcCharTableRows(); row->character != -1; ++row) {
    if (row->code != kNoKey || row->character < 0x80) continue;
    uint32_t u = 0x80;
    while (u < 0x2200 && UnicodeToCp1252(u) != row->character) ++u;
    ASSERT_LT(u, 0x2200u) << row->character;
    std::string utf8 = u < 0x800 ? std::string{static_cast<char>(0xC0 | u >> 6)}
                                 : std::string{static_cast<char>(0xE0 | u >> 12),
                                               static_cast<char>(0x80 | (u >> 6 & 0x3F))};
    utf8 += static_cast<char>(0x80 | (u & 0x3F));
    size_t used;
    EXPECT_EQ(Utf8ToChar(utf8, &used), row->aux) << "Windows character " << row->character;
    EXPECT_NE(NormalGlyph(row->aux), nullptr) << row->character;
    ++checked;
  }
  EXPECT_GT(checked, 80);
}

TEST(Charset, CodesToUnicode) {
  const struct {
    uint16_t code;
    const char* utf8;
  } cases[] = {
      {'A', "A"},    {' ', " "},    {0xE60A, "é"}, {0xE501, "À"}, {0xE51E, "Þ"}, {0xE618, "ø"},
      {0xE620, "ÿ"}, {0xE551, "Σ"}, {0xE543, "Δ"}, {0xE647, "θ"}, {0xE64F, "π"}, {0xE651, "σ"},
      {0xE656, "χ"}, {0xE64B, "μ"}, {0xA9, "×"},   {0xB9, "÷"},   {0x86, "√"},   {0x87, "−"},
      {0x0F, "ᴇ"},   {0xBB, "⌟"},   {0x7F54, "∠"}, {0x7F50, "𝑖"}, {0xC2, "x̄"},   {0xE5CA, "⁻¹"},
      {0xE5C2, "²"}, {0xE5D1, "₁"}, {0xE691, "→"}, {0xE692, "↑"}, {0xE69E, "►"}, {0xE6BB, "∫"},
      {0x10, "≤"},   {0x12, "≥"},   {0x0E, "→"},   {0x89, "+"},   {0xCE, "θ"},   {0xE592, "€"},
  };
  for (const auto& c : cases) {
    const char* got = CharToUtf8(c.code);
    ASSERT_NE(got, nullptr) << std::hex << c.code;
    EXPECT_STREQ(got, c.utf8) << std::hex << c.code;
  }
  for (uint16_t none : {0x00, 0x81, 0x7F51, 0xE500, 0xE7AA, 0xF9C9, 0x1234})
    EXPECT_EQ(CharToUtf8(none), nullptr) << std::hex << none;
}

TEST(Charset, UnicodeToCodesPrefersThePlainCharacter) {
  const struct {
    const char* utf8;
    uint16_t code;
    size_t used;
  } cases[] = {
      {"+", '+', 1},    {"-", '-', 1},    {"θ", 0xE647, 2}, {"π", 0xE64F, 2},   {"→", 0xE691, 3},
      {"ß", 0xE641, 2}, {"µ", 0xE64B, 2}, {"μ", 0xE64B, 2}, {"\n", 0x0D, 1},    {"\r", 0x0D, 1},
      {"x̄2", 0xC2, 3},  {"xy", 'x', 1},   {"³", 0xE5C3, 2}, {"⁻¹x", 0xE5CA, 5}, {"⁻", 0, 0},
      {"Α", 0xE540, 2}, {"É", 0xE50A, 2}, {"😀", 0, 0},      {"\xFF", 0, 0},     {"", 0, 0},
      {"\xC3", 0, 0},  // cut in the middle of a character
  };
  for (const auto& c : cases) {
    size_t used = 99;
    EXPECT_EQ(Utf8ToChar(c.utf8, &used), c.code) << c.utf8;
    EXPECT_EQ(used, c.used) << c.utf8;
  }
}

// Every code's text reads back as that code or as one drawn the same.
TEST(Charset, EveryTextReadsBackAsALookAlike) {
  int texts = 0;
  for (int code = 1; code <= 0xFFFF; ++code) {
    const char* utf8 = CharToUtf8(static_cast<uint16_t>(code));
    if (!utf8) continue;
    ++texts;
    size_t used;
    const uint16_t back = Utf8ToChar(utf8, &used);
    EXPECT_EQ(used, std::strlen(utf8)) << std::hex << code;
    if (back == code) continue;
    if (code == 0xE5DF) {  // the small 3 before a root reads back as the superscript 3
      EXPECT_EQ(back, 0xE5C3);
      continue;
    }
    const uint8_t *a = NormalGlyph(static_cast<uint16_t>(code)), *b = NormalGlyph(back);
    ASSERT_TRUE(a && b) << std::hex << code << " -> " << back;
    EXPECT_EQ(0, std::memcmp(a, b, 8)) << std::hex << code << " -> " << back;
  }
  EXPECT_GT(texts, 250);
}

TEST(Charset, StringsBothWays) {
  const uint8_t calc[] = {'A', 0xE6, 0x0A, 0x7F, 0x54, 0xE5, 0x51, 0x89, 0xF9, 0xC9, 'x', 0};
  EXPECT_EQ(CalcToUtf8(calc), "Aé∠Σ+\xEF\xBF\xBDx");
  const uint8_t cut[] = {'A', 0xE6, 0};  // a lead byte cut off by the end
  EXPECT_EQ(CalcToUtf8(cut), "A");
  int unmapped = -1;
  EXPECT_EQ(Utf8ToCalc("Aé∠Σ+x", &unmapped), std::string("A\xE6\x0A\x7F\x54\xE5\x51+x"));
  EXPECT_EQ(unmapped, 0);
  EXPECT_EQ(Utf8ToCalc("a😀b\xFF"
                       "c",
                       &unmapped),
            "abc");
  EXPECT_EQ(unmapped, 2);
  EXPECT_EQ(Utf8ToCalc(""), "");
}

}  // namespace
