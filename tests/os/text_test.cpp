// Text on the 21 x 8 grid and in the mini font, the cursor, and the setup
// record with its list screen.
#include "os/text.h"

#include <map>

#include "display_fixture.h"
#include "os/draw.h"
#include "support/golden.h"

namespace {

using TextTest = DisplayTest;
using SetupTest = DisplayTest;
using Rows = std::vector<uint8_t>;
using Pos = std::pair<int, int>;

// The 8 rows of the 6 x 8 cell at a dot position, each in the six high bits.
Rows CellAt(int x, int y) {
  Rows rows(8, 0);
  for (int r = 0; r < 8; ++r)
    for (int c = 0; c < 6; ++c)
      if (GetPixel(x + c, y + r)) rows[r] |= 0x80 >> c;
  return rows;
}
Rows Cell(int column, int line) {  // both 0-based
  return CellAt(column * 6, line * 8);
}
Rows Glyph(uint16_t code, bool reverse = false) {
  const uint8_t* g = NormalGlyph(code);
  Rows rows(8, 0);
  for (int r = 0; r < 8 && g; ++r) rows[r] = (reverse ? ~g[r] : g[r]) & 0xFC;
  return rows;
}

TEST_F(TextTest, CharacterCodes) {
  const struct {
    const char* s;
    std::vector<uint16_t> codes;
  } cases[] = {
      {"C\x7F\x50\xE6\x92", {'C', 0x7F50, 0xE692}},
      {"\xF9\xCA\xE5\x51\xE7\x01\xF7\x02", {0xF9CA, 0xE551, 0xE701, 0xF702}},
      {"\x80\xFE", {0x80, 0xFE}},  // not lead bytes
      {"A\xE6", {'A'}},            // a lead byte at the end is the end
  };
  for (const auto& c : cases) {
    const char* s = c.s;
    std::vector<uint16_t> codes;
    while (uint16_t code = ReadCharCode(&s)) codes.push_back(code);
    EXPECT_EQ(codes, c.codes) << c.s;
    EXPECT_EQ(ReadCharCode(&s), 0);
    for (uint16_t code : c.codes) {
      char one[3];
      EXPECT_EQ(EncodeCharCode(code, one), code > 0xFF ? 2 : 1);
      const char* p = one;
      EXPECT_EQ(ReadCharCode(&p), code);
    }
  }
}

TEST_F(TextTest, LocateIgnoresPositionsOffTheGrid) {
  Locate(5, 4);
  for (const auto& [column, line] : {Pos{0, 1}, Pos{22, 1}, Pos{1, 0}, Pos{1, 9}, Pos{-1, -1}}) {
    Locate(column, line);
    EXPECT_EQ(CursorAt(), Pos(4, 3));
  }
  Locate(21, 8);
  EXPECT_EQ(CursorAt(), Pos(20, 7));
}

// Prints through the cursor stop at column 21 and leave the two dot columns
// right of it blank (the XY prints do not); padded prints fill with spaces.
TEST_F(TextTest, CursorPrintsEndAtColumn21) {
  std::memset(VramAddress(), 0xFF, kVramBytes);
  Locate(1, 2);
  Print("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
  for (int col = 0; col < 21; ++col) EXPECT_EQ(Cell(col, 1), Glyph('A' + col)) << col;
  EXPECT_EQ(CursorAt(), Pos(20, 1));
  for (int y = 8; y < 16; ++y) EXPECT_EQ(Row(y, 126, 127), "..") << y;
  EXPECT_EQ(Row(16, 126, 127), "##");
  Print("12");  // at column 21 again: overwrites that cell and stays there
  EXPECT_EQ(Cell(20, 1), Glyph('1'));
  EXPECT_EQ(CursorAt(), Pos(20, 1));
  PrintXY(120, 32, "A", 0);
  EXPECT_EQ(Row(32, 126, 127), "##");

  Locate(1, 1);
  PrintPadded("AB", 5);
  EXPECT_EQ(Cell(0, 0), Glyph('A'));
  EXPECT_EQ(Cell(1, 0), Glyph('B'));
  for (int col = 2; col < 5; ++col) EXPECT_EQ(Cell(col, 0), Glyph(' ')) << col;
  EXPECT_EQ(Cell(5, 0), Rows(8, 0xFC));
  EXPECT_EQ(CursorAt(), Pos(5, 0));
  Locate(1, 3);
  PrintRevPadded("ABCDEF", 3);  // longer than the padding: printed whole
  EXPECT_EQ(Cell(5, 2), Glyph('F', true));
  EXPECT_EQ(CursorAt(), Pos(6, 2));
  Locate(18, 4);
  PrintRevPadded("", 21);
  for (int col = 17; col < 21; ++col) EXPECT_EQ(Cell(col, 3), Glyph(' ', true)) << col;
  EXPECT_EQ(CursorAt(), Pos(20, 3));
  EXPECT_EQ(Row(24, 126, 127), "..");
}

TEST_F(TextTest, SingleCharacterPrintsTakeTheFirstCode) {
  Locate(2, 1);
  PrintChar("\xE6\x92XYZ");
  PrintCharRev("BC");
  EXPECT_EQ(Cell(1, 0), Glyph(0xE692));
  EXPECT_EQ(Cell(2, 0), Glyph('B', true));
  EXPECT_EQ(Cell(3, 0), Glyph(' '));
  EXPECT_EQ(CursorAt(), Pos(3, 0));
}

// The pen movements of the 0xF9 page.
const std::string kLeft = "\xF9\xC8", kRight = "\xF9\xC9", kNewLine = "\xF9\xCA",
                  kHome = "\xF9\xCD";

// New line keeps the column; left and right move a cell without drawing.
// (Home shows in the golden prints.)
TEST_F(TextTest, MovementCodes) {
  Locate(1, 1);
  Print(("A" + kNewLine + "B" + kRight + "C" + kLeft + kLeft + "D").c_str());
  EXPECT_EQ(Cell(0, 0), Glyph('A'));
  EXPECT_EQ(Cell(1, 1), Glyph('B'));
  EXPECT_EQ(Cell(3, 1), Glyph('C'));
  EXPECT_EQ(Cell(2, 1), Glyph('D'));
  EXPECT_EQ(Cell(2, 0), Glyph(' '));
  EXPECT_EQ(CursorAt(), Pos(3, 1));
  // A new line from the last line ends the print; the cursor stays on line 8.
  Locate(1, 8);
  Print(("A" + kNewLine + "B").c_str());
  EXPECT_EQ(CursorAt(), Pos(1, 7));
}

TEST_F(TextTest, PrintXYModes) {
  const Rows glyph = Glyph('A'), reversed = Glyph('A', true);
  const struct {
    int mode;
    uint8_t background;  // each row of the cell
  } cases[] = {
      {0, 0xFC},
      {kPrintReverse, 0x00},
      {kPrintOr, 0x84},
      {kPrintXor, 0xFC},
      {kPrintXor | kPrintReverse, 0x30},
      {kPrintOr | kPrintReverse, 0x84},
  };
  for (int x : {0, 3, 61, 124}) {
    for (const auto& c : cases) {
      ClearVram();
      for (int r = 0; r < 8; ++r)
        for (int d = 0; d < 6; ++d)
          if (c.background & (0x80 >> d)) SetPixel(x + d, 20 + r, true);
      SetPixel(x - 1, 22, true);  // neighbours stay
      SetPixel(x + 6, 23, true);
      PrintXY(x, 20, "A", c.mode);
      const Rows cell = CellAt(x, 20);
      for (int r = 0; r < 8; ++r) {
        const uint8_t ink = c.mode & kPrintReverse ? reversed[r] : glyph[r], bg = c.background;
        uint8_t want = c.mode & kPrintXor ? ink ^ bg : c.mode & kPrintOr ? ink | bg : ink;
        if (x == 124) want &= 0xF0;  // two dots are off the screen
        EXPECT_EQ(cell[r], want) << "x " << x << " mode " << c.mode << " row " << r;
      }
      EXPECT_TRUE((x == 0 || GetPixel(x - 1, 22)) && (x >= 122 || GetPixel(x + 6, 23))) << x;
    }
  }
  EXPECT_EQ(CursorAt(), Pos(0, 0));
}

TEST_F(TextTest, PrintXYClipsAtEveryEdge) {
  PrintXY(-6, 0, "AB", 0);  // left of the screen a character is passed over
  EXPECT_EQ(Cell(0, 0), Glyph('B'));
  ClearVram();
  PrintXY(0, -3, "A", 0);
  for (int r = 0; r < 5; ++r) EXPECT_EQ(CellAt(0, 0)[r], Glyph('A')[r + 3]) << r;
  ClearVram();
  PrintXY(0, 60, "A", kPrintReverse);
  EXPECT_EQ(CellAt(0, 56)[4], Glyph('A', true)[0]);
  PrintXY(126, 10, "AAAA", kPrintReverse);
  PrintXY(128, 10, "A", kPrintReverse);
  PrintXY(0, 64, "A", kPrintReverse);
  PrintXY(-2147483647, 5, "AAAAAAAA", 0);
  EXPECT_EQ(Row(10, 120, 127), "......##");
}

TEST_F(TextTest, ACodeWithoutAGlyphEndsThePrint) {
  uint16_t missing = 0;
  for (uint16_t code = 1; code < 0x100 && !missing; ++code)
    if (!NormalGlyph(code) && !IsLeadByte(static_cast<uint8_t>(code))) missing = code;
  if (!missing) GTEST_SKIP() << "every single-byte code has a glyph";
  const char s[] = {'A', static_cast<char>(missing), 'B', 0};
  Locate(1, 1);
  Print(s);
  EXPECT_EQ(Cell(0, 0), Glyph('A'));
  EXPECT_EQ(Cell(1, 0), Glyph(' '));
  EXPECT_EQ(CursorAt(), Pos(1, 0));
}

TEST_F(TextTest, CursorShapes) {
  EXPECT_EQ(SetCursorShape(12), 1);
  EXPECT_EQ(GetCursorPosition().type, 64);
  for (int kind : {-1, 13, 16, 64}) {  // refused, and the cursor stays hidden
    HideCursor();
    EXPECT_EQ(SetCursorShape(kind), 0) << kind;
    EXPECT_EQ(GetCursorPosition().type, 64);
    EXPECT_FALSE(GetCursorPosition().visible);
  }
  // The refreshed shape follows the shift state and the insert mode;
  // anything but overwrite counts as insert.
  const struct {
    uint8_t shift;
    int insertShape, overwriteShape;
  } cases[] = {{0, 0, 16}, {1, 1, 17},   {2, 8, 24},   {4, 2, 18},
               {8, 4, 20}, {132, 2, 18}, {136, 4, 20}, {77, 0, 16}};
  for (const auto& c : cases) {
    SetSetupItem(kSetupShiftState, c.shift);
    for (uint8_t mode : {kInsertInsert, kInsertOverwrite, uint8_t{0}}) {
      SetSetupItem(kSetupInsertMode, mode);
      RefreshCursorShape();
      EXPECT_EQ(GetCursorPosition().type,
                mode == kInsertOverwrite ? c.overwriteShape : c.insertShape)
          << int{c.shift} << " " << int{mode};
    }
  }
}

TEST_F(TextTest, SaveAndRestoreCursor) {
  CursorState hidden, shown;
  Locate(4, 5);
  SaveCursor(&hidden);
  EXPECT_EQ(hidden.kind, -1);
  EXPECT_EQ(Pos(hidden.column, hidden.line), Pos(4, 5));
  Locate(21, 8);
  SetCursorShape(9);
  SaveCursor(&shown);
  EXPECT_EQ(shown.kind, 9);
  RestoreCursor(hidden);
  EXPECT_FALSE(GetCursorPosition().visible);
  EXPECT_EQ(CursorAt(), Pos(3, 4));
  RestoreCursor(shown);
  EXPECT_TRUE(GetCursorPosition().visible);
  EXPECT_EQ(GetCursorPosition().type, 18);
  EXPECT_EQ(CursorAt(), Pos(20, 7));
  // Without the direct flag the position goes through Locate's check.
  RestoreCursor(CursorState{2, 30, 1, 0});
  EXPECT_EQ(CursorAt(), Pos(20, 7));
  EXPECT_EQ(GetCursorPosition().type, 0);
}

// ---- Mini font ---------------------------------------------------------------

TEST_F(TextTest, MiniTextWithALimitIsCutOrPadded) {
  const int a = MiniWidth('A'), space = MiniWidth(' ');
  ASSERT_GT(space, 0);
  std::memset(VramAddress(), 0xFF, kVramBytes);
  int x = 0;
  EXPECT_EQ(PrintMini(&x, 10, "A", 0, 10), (10 - a) % space == 0 ? 1 : 0);
  EXPECT_EQ(x, 10);
  for (int col = 0; col < 10; ++col) {
    const bool dot = col < a ? MiniDot('A', col, 2) : MiniDot(' ', (col - a) % space, 2);
    EXPECT_EQ(GetPixel(col, 12), dot) << col;
  }
  EXPECT_EQ(GetPixel(10, 12), 1);  // beyond the limit
  // A glyph wider than what is left is cut, and the result says so.
  ClearVram();
  x = 0;
  EXPECT_EQ(PrintMini(&x, 0, "AAAA", 0, a + 1), 0);
  EXPECT_EQ(x, a + 1);
  for (int col = 0; col <= a; ++col) EXPECT_EQ(GetPixel(col, 2), MiniDot('A', col % a, 2));
  EXPECT_EQ(GetPixel(a + 1, 2), 0);
  x = 5;
  EXPECT_EQ(PrintMini(&x, 0, "A", 0, 0), 1);
  EXPECT_EQ(x, 5);
}

TEST_F(TextTest, MiniModes) {
  const int w = MiniWidth('A');
  const struct {
    int mode;
    bool reverse, orMode;
    int above;
  } cases[] = {
      {0, false, false, 0},  {1, false, true, 0},  {2, true, false, 0},   {3, true, true, 0},
      {16, false, false, 1}, {17, false, true, 1}, {18, true, false, 1},  {34, true, false, 2},
      {35, true, true, 2},   {4, false, false, 1}, {48, false, false, 1}, {-1, false, false, 1},
  };
  for (const auto& c : cases) {
    std::memset(VramAddress(), 0x55, kVramBytes);  // dots on every other column
    int x = 20;
    PrintMini(&x, 20, "A", c.mode, kMiniNoLimit);
    for (int row = -3; row < 7; ++row)
      for (int col = -1; col <= w; ++col) {
        const int px = 20 + col, py = 20 + row;
        const bool background = (0x55 >> (7 - px % 8)) & 1;
        bool want = background;
        if (col >= 0 && col < w && row >= -c.above && row < 6) {
          const bool dot = MiniDot('A', col, row) != c.reverse;
          want = c.orMode ? (background || dot) : dot;
        }
        EXPECT_EQ(GetPixel(px, py), want) << "mode " << c.mode << " dot " << col << "," << row;
      }
  }
}

TEST_F(TextTest, MiniCells) {
  const int w = MiniWidth('1') + MiniWidth('2');
  EXPECT_EQ(PrintMiniAtCell(3, 2, "12", 0), (8 + w) / 4 + 1);
  EXPECT_EQ(GetPixel(8 + 2, 10 + 1), MiniDot('1', 2, 1));
  EXPECT_EQ(PrintMiniAtCell(32, 1, "12", 0), 0);  // x = 124 leaves no room for both
  EXPECT_EQ(PrintMiniAtCell(1, 1, uint16_t{'A'}, 0), MiniWidth('A') / 4 + 1);
  EXPECT_EQ(PrintMiniChar(0, 30, 'A', kMiniReverse), MiniWidth('A'));
  EXPECT_EQ(GetPixel(0, 30), !MiniDot('A', 0, 0));
}

// What does not fit before dot column 128 is not drawn; left of the screen
// a glyph is cut; far off either side nothing is drawn and nothing overflows.
TEST_F(TextTest, MiniTextAtTheScreenEdges) {
  const int w = MiniWidth('A');
  int x = 128 - w + 1;
  EXPECT_EQ(PrintMini(&x, 0, "A", 0, kMiniNoLimit), 0);
  EXPECT_EQ(x, 128 - w + 1);
  EXPECT_EQ(DarkDots(), 0);
  x = 128 - w;
  EXPECT_EQ(PrintMini(&x, 0, "A", 0, kMiniNoLimit), 1);
  EXPECT_EQ(x, 128);
  ClearVram();
  x = -2;
  int visible = 0;
  EXPECT_EQ(PrintMini(&x, -1, "A", 0, kMiniNoLimit), 1);
  EXPECT_EQ(x, w - 2);
  for (int col = 0; col < w - 2; ++col)
    for (int row = 0; row < 5; ++row) {
      visible += MiniDot('A', col + 2, row + 1);
      EXPECT_EQ(GetPixel(col, row), MiniDot('A', col + 2, row + 1)) << col << "," << row;
    }
  x = 2147483647;
  EXPECT_EQ(PrintMini(&x, 0, "A", 0, kMiniNoLimit), 0);
  EXPECT_EQ(PrintMiniChar(-2147483647 - 1, 0, 'A', 0), w);
  EXPECT_EQ(DarkDots(), visible);
}

TEST_F(TextTest, GoldenPrints) {
  Locate(1, 1);
  Print("Print 0123456789ABCDEFGHIJ");
  Locate(1, 2);
  PrintRevPadded(" Reverse line", 21);
  Locate(1, 3);
  Print(("abc" + kNewLine + "def" + kHome + "ghi").c_str());
  const int modes[] = {0, kPrintReverse, kPrintOr, kPrintXor};
  for (int i = 0; i < 4; ++i) {
    DrawLine(i * 30 + 2, 38, i * 30 + 28, 38, kPenDark);
    PrintXY(i * 30 + 3, 35, "XY", modes[i]);
  }
  int x = 0;
  PrintMini(&x, 46, "Mini 0123 ABCD:", 0, kMiniNoLimit);
  x = 0;
  PrintMini(&x, 54, "Reverse", 2 + 16, 60);
  PrintMiniAtCell(18, 8, "OR+32", 1 + 32);
  EXPECT_TRUE(golden::MatchesGolden(VramAddress(), "tests/os/golden/text_prints.txt"));
}

// ---- Setup -------------------------------------------------------------------

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
  return NormalGlyph(code) && Cell(column - 1, line - 1) == Glyph(code, reverse);
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
