// Both fonts and the character set: golden sheets of every glyph and of
// sample texts (drawn straight from the glyph lookup, no printing code
// involved), the stored glyph forms, Unicode both ways, and glyphs in both
// fonts and a Unicode text for everything the calculator shows.
#include <cstring>
#include <string>
#include <vector>

#include "display_fixture.h"
#include "host/services/key_tables.h"
#include "os/charset.h"
#include "support/golden.h"

namespace {

struct Plane {
  uint8_t bytes[1024] = {};
  void Dot(int x, int y) {
    if (x >= 0 && x < 128 && y >= 0 && y < 64) bytes[y * 16 + x / 8] |= 0x80 >> (x % 8);
  }
  void Normal(int x, int y, uint16_t code) {
    for (int r = 0; r < 8; ++r)
      for (int c = 0; c < 6; ++c)
        if (NormalGlyph(code)[r] & (0x80 >> c)) Dot(x + c, y + r);
  }
  int Mini(int x, int y, uint16_t code) {  // returns the glyph's width
    for (int r = 0; r < 6; ++r)
      for (int c = 0; c < MiniWidth(code); ++c)
        if (MiniDot(code, c, r)) Dot(x + c, y + r);
    return MiniWidth(code);
  }
};

// The codes of a range that have a glyph of their own in the font.
std::vector<uint16_t> Codes(int from, int to, bool mini) {
  std::vector<uint16_t> codes;
  for (int code = from; code <= to; ++code) {
    const auto c = static_cast<uint16_t>(code);
    if (mini ? MiniHasOwnGlyph(c) : NormalGlyph(c) != nullptr) codes.push_back(c);
  }
  return codes;
}

// The codes of UTF-8 text turned into a calculator string; all must map.
std::vector<uint16_t> TextCodes(const char* utf8) {
  int unmapped = 0;
  const std::string calc = Utf8ToCalc(utf8, &unmapped);
  EXPECT_EQ(unmapped, 0) << utf8;
  std::vector<uint16_t> codes;
  for (const char* p = calc.c_str(); uint16_t code = ReadCharCode(&p);) codes.push_back(code);
  return codes;
}

bool Matches(const Plane& p, const std::string& name) {
  return golden::MatchesGolden(p.bytes, "tests/os/golden/font_" + name + ".txt");
}

// Normal glyphs on the 21 x 8 text grid, in code order.
TEST(FontGolden, NormalGlyphSheets) {
  std::vector<uint16_t> single = Codes(0x01, 0xFF, false), paged = Codes(0x7F00, 0x7FFF, false);
  std::vector<uint16_t> small = Codes(0xE600, 0xE6FF, false);
  for (uint16_t c : Codes(0xE500, 0xE5FF, false)) paged.push_back(c);
  small.insert(small.end(), {0xE701, 0xF901, 0xF701});
  const std::pair<std::vector<uint16_t>*, const char*> sheets[] = {
      {&single, "normal_single"}, {&paged, "normal_7f_e5"}, {&small, "normal_e6_fixed"}};
  for (const auto& [codes, name] : sheets) {
    ASSERT_LE(codes->size(), 168u) << name;
    Plane p;
    for (size_t i = 0; i < codes->size(); ++i)
      p.Normal(static_cast<int>(i % 21) * 6, static_cast<int>(i / 21) * 8, (*codes)[i]);
    EXPECT_TRUE(Matches(p, name));
  }
}

// Mini glyphs side by side as they print, one extra dot apart, lines 7 dots apart.
TEST(FontGolden, MiniGlyphSheets) {
  std::vector<uint16_t> codes = Codes(0x01, 0xFF, true);
  for (int page : {0x7F00, 0xE500, 0xE600})
    for (uint16_t c : Codes(page, page + 0xFF, true)) codes.push_back(c);
  codes.insert(codes.end(), {0xE501, 0xE701});  // a page default and a one-glyph page
  size_t i = 0;
  for (int sheet = 1; i < codes.size(); ++sheet) {
    ASSERT_LE(sheet, 3) << "the mini glyphs no longer fit three sheets";
    Plane p;
    for (int x = 0, y = 0; i < codes.size(); ++i) {
      if (x + MiniWidth(codes[i]) > 128) x = 0, y += 7;
      if (y + 6 > 64) break;
      x += p.Mini(x, y, codes[i]) + 1;
    }
    EXPECT_TRUE(Matches(p, "mini_" + std::to_string(sheet)));
  }
}

TEST(FontGolden, SampleTexts) {
  const char* const normal[] = {
      "sin⁻¹ 0.5×√2÷π=",   "−1.23456789ᴇ−12", "3⌟4⌟5  2∠θ  1+2𝑖",   "Σx²  x̄  σn  xσn₋₁",
      "f₁ a₀ aₙ₊₁ Y≥X≠Z≤", "A→B ⇒ ∫(x,0,1)◢", "Ça ¿Qué? Größe: Ñü", "ÀÉÎÕÜ àéîõü ßæøå",
  };
  const char* const mini[] = {
      "Angle      :Rad", "Display    :Norm1", "Complex Mode:a+b𝑖",
      "Func Type  :Y≥",  "Σ Display  :On",    "x̄=2.5 σ=1.2 χ²",
      "ça qué? Größe!",  "θ∠π√ ► mini",       "quick brown jumps",
  };
  Plane p, m;
  for (int line = 0; line < 8; ++line) {
    int col = 0;
    for (uint16_t code : TextCodes(normal[line])) {
      ASSERT_NE(NormalGlyph(code), nullptr) << normal[line] << " code " << std::hex << code;
      p.Normal(col++ * 6, line * 8, code);
    }
  }
  for (int line = 0, x = 0; line < 9; ++line, x = 0)
    for (uint16_t code : TextCodes(mini[line])) x += m.Mini(x, line * 7, code);
  EXPECT_TRUE(Matches(p, "normal_sample"));
  EXPECT_TRUE(Matches(m, "mini_sample"));
}

// Whether the mini font's page layout gives the code a slot of its own.
bool MiniHasSlot(uint16_t code) {
  const unsigned lead = code >> 8, low = code & 0xFF;
  if (lead == 0x00 || lead == 0xE6) return true;
  if (lead == 0x7F) return low == 'P' || low == 'S' || low == 'T' || low == 0xC7;
  if (lead == 0xE5) return (low >= 0xB0 && low <= 0xDF) || low == 'C' || low == 'Q';
  return false;
}

// Every code of both fonts: a normal glyph keeps row 7 and the two low bits
// blank and has a Unicode text outside the one-glyph pages, and a mini glyph
// where the mini layout has a slot; every mini glyph and every printable
// ASCII character has a normal one. A mini glyph is 1 to 8 dots wide with its
// left column blank to space the characters, and 5-byte ones have 5 rows.
// The glyphs of names, messages and setup texts are checked with their tables.
TEST(FontFormat, EveryGlyphOfBothFonts) {
  int glyphs = 0;
  for (int code = 1; code <= 0xFFFF; ++code) {
    const auto c = static_cast<uint16_t>(code);
    MiniGlyphRef mini;
    uint8_t rows[6];
    if (MiniGlyph(c, &mini)) {
      const int width = MiniGlyphRows(mini, rows);
      ASSERT_TRUE(width >= 1 && width <= 8) << std::hex << code;
      EXPECT_TRUE(width < 5 || rows[5] == 0) << std::hex << code << ": 5-byte glyph, 6 rows";
      for (int r = 0; r < 6; ++r) EXPECT_EQ(rows[r] >> (width - 1), 0) << std::hex << code;
    }
    const uint8_t* g = NormalGlyph(c);
    EXPECT_TRUE(g || !MiniHasOwnGlyph(c)) << std::hex << code << ": mini glyph only";
    EXPECT_TRUE(g || code < 0x20 || code >= 0x7F) << code << ": ASCII without a glyph";
    if (!g) continue;
    ++glyphs;
    uint8_t blank = g[7];
    for (int r = 0; r < 8; ++r) blank |= g[r] & 0x03;
    EXPECT_EQ(blank, 0) << std::hex << code;
    const unsigned lead = code >> 8;
    EXPECT_TRUE(lead == 0xE7 || lead == 0xF7 || lead == 0xF9 || CharToUtf8(c)) << std::hex << code;
    EXPECT_TRUE(!MiniHasSlot(c) || MiniHasOwnGlyph(c)) << std::hex << code;
  }
  EXPECT_GT(glyphs, 3 * 256);  // the three one-glyph pages alone give 768
  // Outside the pages the sheets show, only the one-glyph pages have glyphs,
  // one visible placeholder for the whole page.
  for (uint16_t none : {0x0000, 0x1234, 0xE800, 0xFFFF})
    EXPECT_EQ(NormalGlyph(none), nullptr) << std::hex << none;
  for (uint16_t lead : {0xE700, 0xF900, 0xF700}) {
    const uint8_t* first = NormalGlyph(lead | 1);
    ASSERT_NE(first, nullptr);
    EXPECT_NE(0, first[0] | first[3] | first[6]);
    for (int low = 0; low < 256; ++low)
      EXPECT_EQ(0, std::memcmp(NormalGlyph(lead | low), first, 8)) << std::hex << (lead | low);
  }
}

TEST(FontFormat, MiniDecodesHandMadeAndNonsenseRefs) {
  // A 3-byte glyph 3 dots wide: the leftmost dot is the nibble's top bit.
  uint8_t rows[6];
  const uint8_t data[3] = {0x8E, 0x40, 0x20};
  ASSERT_EQ(MiniGlyphRows(MiniGlyphRef{data, 0, 3}, rows), 3);
  const uint8_t made[6] = {0b100, 0b111, 0b010, 0, 0b001, 0};
  EXPECT_EQ(0, std::memcmp(rows, made, 6));
  // Nonsense refs decode to nothing instead of reading wild memory.
  EXPECT_EQ(MiniGlyphRows(MiniGlyphRef{}, rows), 0);
  EXPECT_EQ(MiniGlyphRows(MiniGlyphRef{data, 0, -1}, rows), 0);
}

// A mini glyph as decoded: its width, then its rows.
std::vector<int> Stored(uint16_t code) {
  MiniGlyphRef g;
  uint8_t rows[6] = {};
  if (!MiniGlyph(code, &g)) return {};
  const int width = MiniGlyphRows(g, rows);
  return {width, rows[0], rows[1], rows[2], rows[3], rows[4], rows[5]};
}

// Codes of their own glyph show on the mini sheets; these are the rest.
TEST(FontFormat, MiniPagesFallBackToTheirDefault) {
  const struct {
    uint16_t code;
    bool found, own;
  } cases[] = {
      {0x00, false, false},  {0x81, false, false},   {0x7F51, true, false}, {0xE501, true, false},
      {0xE5FF, true, false}, {0xE6FE, true, false},  {0xE7AA, true, true},  {0xF9C9, true, true},
      {0xF701, true, true},  {0x1234, false, false},
  };
  for (const auto& c : cases) {
    MiniGlyphRef g;
    EXPECT_EQ(MiniGlyph(c.code, &g), c.found) << std::hex << c.code;
    EXPECT_EQ(MiniHasOwnGlyph(c.code), c.own) << std::hex << c.code;
    // Every page's default is the same placeholder, unlike the glyphs of their own.
    if (c.found) {
      EXPECT_EQ(Stored(c.code) == Stored(0x7F51), !c.own) << std::hex << c.code;
    }
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

// Texts the sample golden and the read-back test leave open: characters not
// in the samples, and look-alikes whose text is not their own way back.
TEST(Charset, CodesToUnicode) {
  const struct {
    uint16_t code;
    const char* utf8;
  } cases[] = {
      {0xE51E, "Þ"}, {0xE620, "ÿ"}, {0xE543, "Δ"}, {0xE64B, "μ"}, {0xE692, "↑"},
      {0xE592, "€"}, {0x0E, "→"},   {0x89, "+"},   {0xCE, "θ"},
  };
  for (const auto& c : cases) EXPECT_STREQ(CharToUtf8(c.code), c.utf8) << std::hex << c.code;
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
