#include "os/setup.h"

#include <map>

#include "display_fixture.h"
#include "os/font.h"
#include "support/golden.h"

namespace {

using SetupTest = DisplayTest;

TEST_F(SetupTest, DefaultsAfterAReset) {
  std::map<int, uint8_t> defaults = {{19, 1}, {21, 2}, {26, 1}, {28, 1}, {30, 1}, {34, 3},
                                     {35, 1}, {36, 1}, {37, 1}, {38, 1}, {39, 1}, {46, 1},
                                     {48, 1}, {49, 1}, {82, 1}, {83, 1}, {84, 1}, {90, 1}};
  for (int item = 0; item < kSetupBytes; ++item) SetSetupItem(item, 0xEE);
  ResetSetup();
  for (int item = 0; item < kSetupDefaultedItems; ++item) {
    EXPECT_EQ(GetSetupItem(item), defaults.count(item) ? defaults[item] : 0) << item;
    EXPECT_EQ(SetupDefault(item), GetSetupItem(item)) << item;
  }
  // Items past 99 have no default and keep what they hold.
  for (int item = kSetupDefaultedItems; item < kSetupBytes; ++item) {
    EXPECT_EQ(GetSetupItem(item), 0xEE) << item;
    EXPECT_EQ(SetupDefault(item), 0);
    ResetSetupItem(item);
    EXPECT_EQ(GetSetupItem(item), 0xEE) << item;
  }
}

TEST_F(SetupTest, ItemNumbersOutsideTheRecord) {
  for (int item : {-1, 128, 1000}) {
    SetSetupItem(item, 5);
    EXPECT_EQ(GetSetupItem(item), 0) << item;
    EXPECT_EQ(SetupItemAddress(item), nullptr) << item;
    EXPECT_EQ(SetupDefault(item), 0);
    ResetSetupItem(item);
  }
  // The address is the live byte: the engineering exponents are kept through it.
  uint8_t* p = SetupItemAddress(62);
  ASSERT_NE(p, nullptr);
  const int16_t exponent = -12;
  std::memcpy(p, &exponent, 2);
  int16_t back;
  std::memcpy(&back, SetupItemAddress(62), 2);
  EXPECT_EQ(back, -12);
  EXPECT_EQ(SetupItemAddress(127), SetupItemAddress(0) + 127);
}

TEST_F(SetupTest, ValueTexts) {
  const struct {
    int item;
    uint8_t value;
    const char* text;
  } cases[] = {
      {19, 0, "Deg"},
      {19, 2, "Gra"},
      {19, 3, ""},
      {23, 0, "Comp"},
      {23, 7, "Oct"},
      {23, 15, "Hex"},
      {23, 2, ""},
      {24, 2, "Param"},
      {24, 6, "Y\x12"},
      {24, 7, "Y\x10"},
      {26, 0, "On"},
      {26, 1, "Off"},
      {26, 2, ""},
      {31, 0, "1"},
      {31, 8, "9"},
      {34, 1, "G to T"},
      {49, 0, "T+G"},
      {49, 1, "Off"},
      {42, 1, "a+b\x7F\x50"},
      {42, 2, "\xCD\x7F\x54\xCE"},
      {43, 0x00, "Norm1"},
      {43, 0x10, "Norm2"},
      {43, 0x23, "Fix3"},
      {43, 0x39, "Sci9"},
      {43, 0x05, "Norm1"},
      {43, 0x40, ""},
      {44, 0, "None"},
      {44, 5, "Pict5"},
      {45, 0, "None"},
      {45, 12, "List12"},
      {46, 1, "File1"},
      {47, 0, "Range"},
      {47, 3, "List3"},
      {86, 2, "Broken"},
      {87, 1, "ab/c"},
      {87, 2, "d/c"},
      {87, 0, "d/c"},
      {20, 4, ""},
      {21, 2, ""},
      {100, 0, ""},
  };
  for (const auto& c : cases) {
    char text[kSetupValueTextBytes];
    SetupValueText(c.item, c.value, text);
    EXPECT_STREQ(text, c.text) << "item " << c.item << " value " << int{c.value};
  }
}

int Columns(const char* s) {
  int n = 0;
  while (ReadCharCode(&s)) ++n;
  return n;
}

TEST_F(SetupTest, EveryTextFitsItsColumnsAndHasGlyphs) {
  int listed = 0;
  for (int item = 0; item < kSetupBytes; ++item) {
    const char* label = SetupLabel(item);
    if (!label) continue;
    ++listed;
    EXPECT_LE(Columns(label), 12) << label;
    for (const char* s = label; uint16_t code = ReadCharCode(&s);)
      EXPECT_NE(NormalGlyph(code), nullptr) << label << " " << std::hex << code;
    for (int value = 0; value < 256; ++value) {
      char text[kSetupValueTextBytes];
      SetupValueText(item, static_cast<uint8_t>(value), text);
      EXPECT_LE(Columns(text), 7) << item << " " << value;
      for (const char* s = text; uint16_t code = ReadCharCode(&s);)
        EXPECT_NE(NormalGlyph(code), nullptr) << text << " " << std::hex << code;
    }
  }
  EXPECT_EQ(listed, 37);
  EXPECT_STREQ(SetupLabel(37), "\xE5\x51 Display");
  EXPECT_EQ(SetupLabel(kSetupShiftState), nullptr);
  EXPECT_EQ(SetupLabel(kSetupInsertMode), nullptr);
}

// Whether text cell (column, line), both 1-based, shows the code.
bool CellShows(int column, int line, uint16_t code, bool reverse) {
  const uint8_t* g = NormalGlyph(code);
  if (!g) return false;
  for (int r = 0; r < 8; ++r)
    for (int c = 0; c < 6; ++c) {
      const bool dot = ((g[r] >> (7 - c)) & 1) != reverse;
      if (GetPixel((column - 1) * 6 + c, (line - 1) * 8 + r) != dot) return false;
    }
  return true;
}

const uint8_t kTenItems[] = {19, 23, 24, 25, 26, 27, 28, 29, 42, 43};

TEST_F(SetupTest, ScrollMarksShowWhatLiesBeyond) {
  const struct {
    int first;
    bool up, down;
  } cases[] = {{0, false, true}, {1, true, true}, {3, true, false}};
  for (const auto& c : cases) {
    ClearVram();
    ShowSetupList(kTenItems, 9, c.first, -1);
    EXPECT_EQ(CellShows(21, 1, 0xE692, false), c.up) << c.first;
    EXPECT_EQ(CellShows(21, 1, ' ', false), !c.up) << c.first;
    EXPECT_EQ(CellShows(21, 7, 0xE693, false), c.down) << c.first;
    EXPECT_EQ(CellShows(21, 7, ' ', false), !c.down) << c.first;
  }
}

TEST_F(SetupTest, ListLinesAndTheSelectedLine) {
  std::memset(VramAddress(), 0xFF, kVramBytes);
  SetSetupItem(43, 0x23);
  const uint8_t items[] = {28, 19, 43};
  ShowSetupList(items, 2, 0, 1);
  // "Grid" line, unselected: label, colon, value text.
  EXPECT_TRUE(CellShows(1, 1, 'G', false));
  EXPECT_TRUE(CellShows(12, 1, ' ', false));
  EXPECT_TRUE(CellShows(13, 1, ':', false));
  EXPECT_TRUE(CellShows(14, 1, 'O', false));
  EXPECT_TRUE(CellShows(16, 1, 'f', false));
  EXPECT_TRUE(CellShows(20, 1, ' ', false));
  // The selected line is reversed from column 1 through 21.
  EXPECT_EQ(Row(15, 0, 125), std::string(126, '#'));
  EXPECT_TRUE(CellShows(1, 2, 'A', true));
  EXPECT_TRUE(CellShows(14, 3, 'F', false));
  EXPECT_TRUE(CellShows(17, 3, '3', false));
  // Lines after the last item are blank through column 21; line 8 is not touched.
  for (int line = 4; line <= 7; ++line)
    for (int col = 1; col <= 21; ++col) EXPECT_TRUE(CellShows(col, line, ' ', false));
  EXPECT_EQ(Row(56), std::string(128, '#'));
  EXPECT_EQ(Row(20, 126, 127), "..");
}

TEST_F(SetupTest, GoldenSetupList) {
  const uint8_t items[] = {19, 42, 43, 24, 37, 34, 44, 87, 31};
  SetSetupItem(43, 0x24);
  SetSetupItem(44, 3);
  SetSetupItem(42, 2);
  ShowSetupList(items, 8, 1, 3);
  EXPECT_TRUE(golden::MatchesGolden(VramAddress(), "tests/os/golden/setup_list.txt"));
}

}  // namespace
