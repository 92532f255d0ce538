// Character codes <-> Unicode: what the terminal front end shows and what
// pasted text becomes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "os/charset.h"
#include "os/font.h"

namespace {

TEST(Charset, CodesToUnicode) {
  struct Case {
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
  for (const Case& c : cases) {
    const char* got = CharToUtf8(c.code);
    ASSERT_NE(got, nullptr) << std::hex << c.code;
    EXPECT_STREQ(got, c.utf8) << std::hex << c.code;
  }
  for (uint16_t none : {0x00, 0x81, 0x7F51, 0xE500, 0xE7AA, 0xF9C9, 0x1234})
    EXPECT_EQ(CharToUtf8(none), nullptr) << std::hex << none;
}

TEST(Charset, UnicodeToCodesPrefersThePlainCharacter) {
  struct Case {
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
  for (const Case& c : cases) {
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
    uint16_t back = Utf8ToChar(utf8, &used);
    EXPECT_EQ(used, std::strlen(utf8)) << std::hex << code;
    if (back == code) continue;
    if (code == 0xE5DF) {  // the small 3 before a root reads back as the superscript 3
      EXPECT_EQ(back, 0xE5C3);
      continue;
    }
    const uint8_t* a = NormalGlyph(static_cast<uint16_t>(code));
    const uint8_t* b = NormalGlyph(back);
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
  std::string back = Utf8ToCalc("Aé∠Σ+x", &unmapped);
  EXPECT_EQ(back, std::string("A\xE6\x0A\x7F\x54\xE5\x51+x"));
  EXPECT_EQ(unmapped, 0);

  EXPECT_EQ(Utf8ToCalc("a😀b\xFF"
                       "c",
                       &unmapped),
            "abc");
  EXPECT_EQ(unmapped, 2);
  EXPECT_EQ(Utf8ToCalc(""), "");
}

}  // namespace
