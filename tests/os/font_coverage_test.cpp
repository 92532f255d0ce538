// Every character the calculator shows has a glyph of its own in both fonts
// (where the mini font's page layout has room for it) and a Unicode text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/services/key_tables.h"
#include "os/charset.h"
#include "os/font.h"

namespace {

// Whether the mini font's layout gives the code a slot of its own.
bool MiniHasSlot(uint16_t code) {
  unsigned lead = code >> 8, low = code & 0xFF;
  switch (lead) {
    case 0x00:
    case 0xE6:
      return true;
    case 0x7F:
      return low == 'P' || low == 'S' || low == 'T' || low == 0xC7;
    case 0xE5:
      return (low >= 0xB0 && low <= 0xDF) || low == 'C' || low == 'Q';
    default:
      return false;
  }
}

void ExpectShown(uint16_t code, const char* where) {
  EXPECT_NE(NormalGlyph(code), nullptr) << where << ": 0x" << std::hex << code;
  EXPECT_NE(CharToUtf8(code), nullptr) << where << ": 0x" << std::hex << code;
  if (MiniHasSlot(code)) {
    EXPECT_TRUE(MiniHasOwnGlyph(code)) << where << ": no mini glyph for 0x" << std::hex << code;
  }
}

// The single-glyph characters that command names, key tables, setup texts
// and number texts use beyond printable ASCII. The command name table will
// replace the first group once it exists.
struct Use {
  const char* where;
  std::vector<uint16_t> codes;
};
const Use kUses[] = {
    {"command names",
     {0x03,   0x07,   0x08,   0x09,   0x0A,   0x0B,   0x0C,   0x0D,   0x0F,   0x10,
      0x11,   0x12,   0x13,   0x1A,   0x1B,   0x1C,   0x1D,   0x1E,   0x1F,   0x86,
      0x87,   0x8C,   0x9C,   0xA9,   0xAC,   0xB5,   0xB9,   0xBB,   0xBC,   0xC2,
      0xC3,   0xCB,   0xCC,   0xCD,   0xD8,   0x7F50, 0x7F53, 0x7F54, 0x7FC7, 0xE543,
      0xE551, 0xE5B1, 0xE5B2, 0xE5B3, 0xE5B4, 0xE5C2, 0xE5CA, 0xE5CD, 0xE5CE, 0xE5CF,
      0xE5D1, 0xE5D2, 0xE5D3, 0xE5D4, 0xE5D5, 0xE5D6, 0xE5DA, 0xE5DB, 0xE5DD, 0xE5DE,
      0xE5DF, 0xE647, 0xE64B, 0xE64F, 0xE651, 0xE656, 0xE691, 0xE69E, 0xE6BB}},
    // Commands whose whole name is one character print as that glyph.
    {"one-character commands",
     {0x01, 0x02,   0x04,   0x05,   0x06,   0x0E,   0x84,   0x88,   0x89,   0x8B,   0x94,  0x98,
      0x99, 0x9B,   0xA4,   0xA8,   0xAB,   0xAF,   0xB4,   0xC8,   0xC9,   0xCA,   0xCE,  0xD0,
      0xF6, 0x7F1D, 0x7F1E, 0x7F1F, 0x7F64, 0x7FD0, 0x7FD1, 0x7FD2, 0x7FD3, 0x7FD4, 0x7F55}},
    {"setup texts", {0x10, 0x12, 0xE551, 0x7F50, 0x7F54, 0xE647, 0xE692, 0xE693}},
    {"number texts", {0x0F, 0x87, 0xBB, 0x7F54, 0x7F50, '+', '.', '-'}},
    {"key tables",
     {0x7F50, 0x7F54, 0xB5, 0xBB, 0x8B, 0x86, 0xCD, 0x9B, 0x0E, 0xA9, 0xB9, 0x89, 0x99, 0xA8,
      0xCE,   0x87,   0x0D, 0x0F, 0xD0, '{',  '}',  '[',  ']',  '"',  '\'', '~',  '=',  ' '}},
    {"language names", {0xE612 /* ñ */, 0xE608 /* ç */, 0xE60B /* ê */}},
};

TEST(FontCoverage, PrintableAscii) {
  for (uint16_t c = 0x20; c < 0x7F; ++c) ExpectShown(c, "ASCII");
}

TEST(FontCoverage, CharactersOfNamesAndTexts) {
  for (const Use& use : kUses)
    for (uint16_t code : use.codes) ExpectShown(code, use.where);
}

// A character typed on the PC keyboard reaches the calculator as a code;
// the same character pasted as Unicode text must become that same code,
// and it must be drawable.
TEST(FontCoverage, TypedAndPastedCharactersAgree) {
  int checked = 0;
  for (const PcCharRow* row = PcCharTableRows(); row->character != -1; ++row) {
    if (row->code != kNoKey || row->character < 0x80) continue;
    uint32_t unicode = 0;
    for (uint32_t u = 0x80; u < 0x2200 && !unicode; ++u)
      if (UnicodeToCp1252(u) == row->character) unicode = u;
    ASSERT_NE(unicode, 0u) << row->character;
    std::string utf8;
    if (unicode < 0x800) {
      utf8 += static_cast<char>(0xC0 | (unicode >> 6));
    } else {
      utf8 += static_cast<char>(0xE0 | (unicode >> 12));
      utf8 += static_cast<char>(0x80 | ((unicode >> 6) & 0x3F));
    }
    utf8 += static_cast<char>(0x80 | (unicode & 0x3F));
    size_t used;
    EXPECT_EQ(Utf8ToChar(utf8, &used), row->aux) << "Windows character " << row->character;
    ExpectShown(row->aux, "PC character table");
    ++checked;
  }
  EXPECT_GT(checked, 80);
}

// The mini font holds every character of the normal font that its page
// layout has a slot for, so a text never changes meaning between the two.
TEST(FontCoverage, MiniFollowsNormal) {
  for (int code = 1; code <= 0xE6FF; ++code) {
    auto c = static_cast<uint16_t>(code);
    if (NormalGlyph(c) && MiniHasSlot(c)) {
      EXPECT_TRUE(MiniHasOwnGlyph(c)) << "0x" << std::hex << code;
    }
    if (MiniHasOwnGlyph(c)) {
      EXPECT_NE(NormalGlyph(c), nullptr) << "0x" << std::hex << code;
    }
  }
}

}  // namespace
