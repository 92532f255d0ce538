// Golden screens of both fonts: every glyph, page by page, and sample texts
// of the kind the calculator shows, drawn straight from the glyph lookup
// (no printing code involved) into a 128 x 64 plane.
#include <string>
#include <vector>

#include "display_fixture.h"
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

}  // namespace
