#include "os/setup.h"

#include <map>

#include "display_fixture.h"
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
    ResetSetupItem(item);
    EXPECT_EQ(GetSetupItem(item), 0xEE) << item;
    EXPECT_EQ(SetupDefault(item), 0);
  }
}

TEST_F(SetupTest, ItemNumbersOutsideTheRecord) {
  for (int item : {-1, 128, 1000}) {
    SetSetupItem(item, 5);
    ResetSetupItem(item);
    EXPECT_EQ(GetSetupItem(item), 0) << item;
    EXPECT_EQ(SetupItemAddress(item), nullptr) << item;
    EXPECT_EQ(SetupDefault(item), 0);
  }
  // The address is the live byte: the engineering exponents are kept through it.
  const int16_t exponent = -12;
  std::memcpy(SetupItemAddress(62), &exponent, 2);
  EXPECT_EQ(GetSetupItem(62) | GetSetupItem(63) << 8, 0xFFF4);
  EXPECT_EQ(SetupItemAddress(127), SetupItemAddress(0) + 127);
}

// The edges of each value list and the formats built from a value's parts;
// plain list entries show in the golden list.
TEST_F(SetupTest, ValueTexts) {
  const struct {
    int item;
    uint8_t value;
    const char* text;
  } cases[] = {
      {19, 3, ""},         {23, 7, "Oct"},      {23, 15, "Hex"},
      {23, 2, ""},         {24, 6, "Y\x12"},    {24, 7, "Y\x10"},
      {26, 2, ""},         {31, 0, "1"},        {31, 8, "9"},
      {43, 0x00, "Norm1"}, {43, 0x10, "Norm2"}, {43, 0x39, "Sci9"},
      {43, 0x05, "Norm1"}, {43, 0x40, ""},      {45, 12, "List12"},
      {47, 3, "List3"},    {87, 0, "d/c"},      {20, 4, ""},
      {21, 2, ""},         {100, 0, ""},        {42, 1, "a+b\x7F\x50"},
  };
  for (const auto& c : cases) {
    char text[kSetupValueTextBytes];
    SetupValueText(c.item, c.value, text);
    EXPECT_STREQ(text, c.text) << "item " << c.item << " value " << int{c.value};
  }
}

// Labels fit 12 columns and values 7, all in glyphs of the normal font.
TEST_F(SetupTest, EveryTextFitsItsColumnsAndHasGlyphs) {
  const auto expectFits = [](const char* text, int columns) {
    int n = 0;
    for (const char* s = text; uint16_t code = ReadCharCode(&s); ++n)
      EXPECT_NE(NormalGlyph(code), nullptr) << text << " " << std::hex << code;
    EXPECT_LE(n, columns) << text;
  };
  int listed = 0;
  for (int item = 0; item < kSetupBytes; ++item) {
    const char* label = SetupLabel(item);
    if (!label) continue;
    ++listed;
    expectFits(label, 12);
    for (int value = 0; value < 256; ++value) {
      char text[kSetupValueTextBytes];
      SetupValueText(item, static_cast<uint8_t>(value), text);
      expectFits(text, 7);
    }
  }
  EXPECT_EQ(listed, 37);
  EXPECT_EQ(SetupLabel(kSetupShiftState), nullptr);
  EXPECT_EQ(SetupLabel(kSetupInsertMode), nullptr);
}

// Whether text cell (column, line), both 1-based, shows the code.
bool CellShows(int column, int line, uint16_t code, bool reverse = false) {
  const uint8_t* g = NormalGlyph(code);
  if (!g) return false;
  for (int r = 0; r < 8; ++r)
    for (int c = 0; c < 6; ++c)
      if (GetPixel((column - 1) * 6 + c, (line - 1) * 8 + r) !=
          (((g[r] >> (7 - c)) & 1) != reverse))
        return false;
  return true;
}

TEST_F(SetupTest, ScrollMarksShowWhatLiesBeyond) {
  const uint8_t tenItems[] = {19, 23, 24, 25, 26, 27, 28, 29, 42, 43};
  const struct {
    int first;
    bool up, down;
  } cases[] = {{0, false, true}, {1, true, true}, {3, true, false}};
  for (const auto& c : cases) {
    ShowSetupList(tenItems, 9, c.first, -1);
    EXPECT_TRUE(CellShows(21, 1, c.up ? 0xE692 : ' ')) << c.first;
    EXPECT_TRUE(CellShows(21, 7, c.down ? 0xE693 : ' ')) << c.first;
  }
}

// Over a dark screen: label, colon and value in their columns, the selected
// line reversed through column 21, blank lines after the last item (the two
// dot columns right of column 21 too), and line 8 untouched.
TEST_F(SetupTest, ListLinesAndTheSelectedLine) {
  std::memset(VramAddress(), 0xFF, kVramBytes);
  SetSetupItem(43, 0x23);
  const uint8_t items[] = {28, 19, 43};
  ShowSetupList(items, 2, 0, 1);
  EXPECT_TRUE(CellShows(1, 1, 'G') && CellShows(12, 1, ' ') && CellShows(13, 1, ':') &&
              CellShows(14, 1, 'O') && CellShows(16, 1, 'f') && CellShows(20, 1, ' '));
  EXPECT_EQ(Row(15, 0, 125), std::string(126, '#'));
  EXPECT_TRUE(CellShows(1, 2, 'A', true));
  EXPECT_TRUE(CellShows(14, 3, 'F') && CellShows(17, 3, '3'));
  for (int line = 4; line <= 7; ++line)
    for (int col = 1; col <= 21; ++col) EXPECT_TRUE(CellShows(col, line, ' ')) << line;
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
