// Golden screens of both fonts: every glyph, page by page, and sample texts
// of the kind the calculator shows, drawn straight from the glyph lookup
// (no printing code involved) into a 128 x 64 plane.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "os/charset.h"
#include "os/font.h"
#include "support/golden.h"

namespace {

struct Plane {
  uint8_t bytes[1024] = {};
  void Dot(int x, int y) {
    if (x >= 0 && x < 128 && y >= 0 && y < 64) bytes[y * 16 + x / 8] |= 0x80 >> (x % 8);
  }
};

void DrawNormal(Plane* p, int x, int y, const uint8_t* glyph) {
  for (int r = 0; r < 8; ++r)
    for (int c = 0; c < 6; ++c)
      if (glyph[r] & (0x80 >> c)) p->Dot(x + c, y + r);
}

// Returns the glyph's width.
int DrawMini(Plane* p, int x, int y, uint16_t code) {
  MiniGlyphRef g;
  if (!MiniGlyph(code, &g)) return 0;
  uint8_t rows[6];
  int width = MiniGlyphRows(g, rows);
  for (int r = 0; r < 6; ++r)
    for (int c = 0; c < width; ++c)
      if (rows[r] & (1 << (width - 1 - c))) p->Dot(x + c, y + r);
  return width;
}

// The codes of a range that have a glyph of their own in the font.
std::vector<uint16_t> NormalCodes(int from, int to) {
  std::vector<uint16_t> codes;
  for (int code = from; code <= to; ++code)
    if (NormalGlyph(static_cast<uint16_t>(code))) codes.push_back(static_cast<uint16_t>(code));
  return codes;
}

std::vector<uint16_t> MiniCodes(int from, int to) {
  std::vector<uint16_t> codes;
  for (int code = from; code <= to; ++code)
    if (MiniHasOwnGlyph(static_cast<uint16_t>(code))) codes.push_back(static_cast<uint16_t>(code));
  return codes;
}

// Normal glyphs on the 21 x 8 text grid, in code order.
Plane NormalSheet(const std::vector<uint16_t>& codes, size_t first) {
  Plane p;
  for (size_t i = first; i < codes.size() && i < first + 21 * 8; ++i) {
    size_t cell = i - first;
    DrawNormal(&p, static_cast<int>(cell % 21) * 6, static_cast<int>(cell / 21) * 8,
               NormalGlyph(codes[i]));
  }
  return p;
}

// Mini glyphs side by side as they print, lines 7 dots apart; `*next` gets
// the index of the first code that did not fit.
Plane MiniSheet(const std::vector<uint16_t>& codes, size_t first, size_t* next) {
  Plane p;
  int x = 0, y = 0;
  size_t i = first;
  for (; i < codes.size(); ++i) {
    MiniGlyphRef g;
    MiniGlyph(codes[i], &g);
    uint8_t rows[6];
    int width = MiniGlyphRows(g, rows);
    if (x + width > 128) {
      x = 0;
      y += 7;
    }
    if (y + 6 > 64) break;
    x += DrawMini(&p, x, y, codes[i]) + 1;  // one extra dot so each glyph stands apart
  }
  *next = i;
  return p;
}

// The codes of a calculator string (two bytes after a lead byte).
std::vector<uint16_t> Codes(const std::string& calc) {
  std::vector<uint16_t> codes;
  for (size_t i = 0; i < calc.size(); ++i) {
    auto b = static_cast<uint8_t>(calc[i]);
    bool lead = b == 0x7F || b == 0xE5 || b == 0xE6 || b == 0xE7 || b == 0xF7 || b == 0xF9;
    if (lead && i + 1 < calc.size())
      codes.push_back(static_cast<uint16_t>(b << 8 | static_cast<uint8_t>(calc[++i])));
    else
      codes.push_back(b);
  }
  return codes;
}

std::string Golden(const std::string& name) {
  return "tests/os/golden/font_" + name + ".txt";
}

TEST(FontGolden, NormalGlyphSheets) {
  std::vector<uint16_t> single = NormalCodes(0x01, 0xFF);
  std::vector<uint16_t> paged = NormalCodes(0x7F00, 0x7FFF);
  for (uint16_t c : NormalCodes(0xE500, 0xE5FF)) paged.push_back(c);
  std::vector<uint16_t> small = NormalCodes(0xE600, 0xE6FF);
  for (uint16_t c : {0xE701, 0xF901, 0xF701}) small.push_back(c);
  ASSERT_LE(single.size(), 168u);
  ASSERT_LE(paged.size(), 168u);
  ASSERT_LE(small.size(), 168u);
  EXPECT_TRUE(golden::MatchesGolden(NormalSheet(single, 0).bytes, Golden("normal_single")));
  EXPECT_TRUE(golden::MatchesGolden(NormalSheet(paged, 0).bytes, Golden("normal_7f_e5")));
  EXPECT_TRUE(golden::MatchesGolden(NormalSheet(small, 0).bytes, Golden("normal_e6_fixed")));
}

TEST(FontGolden, MiniGlyphSheets) {
  std::vector<uint16_t> codes = MiniCodes(0x01, 0xFF);
  for (int page : {0x7F00, 0xE500, 0xE600})
    for (uint16_t c : MiniCodes(page, page + 0xFF)) codes.push_back(c);
  codes.push_back(0xE501);  // the default glyphs of the pages, and the one-glyph pages
  codes.push_back(0xE701);
  size_t next = 0;
  for (int sheet = 1; next < codes.size(); ++sheet) {
    ASSERT_LE(sheet, 3) << "the mini glyphs no longer fit three sheets";
    Plane p = MiniSheet(codes, next, &next);
    EXPECT_TRUE(golden::MatchesGolden(p.bytes, Golden("mini_" + std::to_string(sheet))));
  }
}

// Texts of the kinds the screens show, typed as Unicode and turned into
// calculator codes: every character must map and have a glyph.
const char* const kSampleLines[] = {
    "sin⁻¹ 0.5×√2÷π=",   "−1.23456789ᴇ−12", "3⌟4⌟5  2∠θ  1+2𝑖",   "Σx²  x̄  σn  xσn₋₁",
    "f₁ a₀ aₙ₊₁ Y≥X≠Z≤", "A→B ⇒ ∫(x,0,1)◢", "Ça ¿Qué? Größe: Ñü", "ÀÉÎÕÜ àéîõü ßæøå",
};

TEST(FontGolden, NormalSampleText) {
  Plane p;
  int line = 0;
  for (const char* text : kSampleLines) {
    int unmapped = 0;
    std::string calc = Utf8ToCalc(text, &unmapped);
    EXPECT_EQ(unmapped, 0) << text;
    int col = 0;
    for (uint16_t code : Codes(calc)) {
      const uint8_t* g = NormalGlyph(code);
      ASSERT_NE(g, nullptr) << text << " code " << std::hex << code;
      DrawNormal(&p, col++ * 6, line * 8, g);
    }
    ++line;
  }
  EXPECT_TRUE(golden::MatchesGolden(p.bytes, Golden("normal_sample")));
}

TEST(FontGolden, MiniSampleText) {
  const char* const lines[] = {
      "Angle      :Rad", "Display    :Norm1", "Complex Mode:a+b𝑖",
      "Func Type  :Y≥",  "Σ Display  :On",    "x̄=2.5 σ=1.2 χ²",
      "ça qué? Größe!",  "θ∠π√ ► mini",       "quick brown jumps",
  };
  Plane p;
  int y = 0;
  for (const char* text : lines) {
    int x = 0;
    for (uint16_t code : Codes(Utf8ToCalc(text))) x += DrawMini(&p, x, y, code);
    y += 7;
  }
  EXPECT_TRUE(golden::MatchesGolden(p.bytes, Golden("mini_sample")));
}

}  // namespace
