// What the host services give the OS and the front ends: the LCD image,
// status line, dialogs, blinking cursor, heap and key tables.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstring>
#include <tuple>
#include <utility>

#include "host/services/calc_file_name.h"
#include "host/services/cursor_blink.h"
#include "host/services/front_end.h"
#include "host/services/host_services.h"
#include "host/services/key_tables.h"
#include "tests/host/test_front_end.h"

namespace {

uint8_t gVram[kLcdBytes];
int gShift = 0;
TextCursorInfo gCursor;

class HostServices : public ::testing::Test {
 protected:
  void SetUp() override {
    HostResetForTest();
    CursorBlinkReset();
    std::memset(gVram, 0, sizeof gVram);
    gShift = 0;
    OsHooks hooks;
    hooks.vram = [] { return static_cast<const uint8_t*>(gVram); };
    hooks.getShiftState = [] { return gShift; };
    hooks.textCursor = [] { return gCursor; };
    HostInstallOsHooks(hooks);
    HostSetFrontEnd(&frontEnd);
  }
  void TearDown() override { HostResetForTest(); }
  static uint8_t LcdByte(int column, int row) {
    uint8_t lcd[kLcdBytes];
    LcdImageSnapshot(lcd);
    return lcd[row * kLcdRowBytes + column];
  }
  static bool LcdDot(int x, int y) { return !(LcdByte(x / 8, y) & (0x80 >> (x % 8))); }  // 0 = dark
  RecordingFrontEnd frontEnd;
};

TEST_F(HostServices, ByteAccessStoresTheComplement) {
  HostLcdWriteByte(0, 0, 0x80);
  EXPECT_EQ(HostLcdReadByte(0, 0), 0x80);
  EXPECT_EQ(LcdByte(0, 0), 0x7F);  // bit 0 = dark in the image
  EXPECT_EQ(frontEnd.redraws, 0);  // no redraw until asked
  HostBlitLcd();
  EXPECT_EQ(frontEnd.redraws, 1);
  // Outside 16 x 64: nothing is touched.
  HostLcdWriteByte(16, 0, 0xFF);
  HostLcdWriteByte(0, 64, 0xFF);
  EXPECT_EQ(HostLcdReadByte(-1, 0), 0);
}

TEST_F(HostServices, PutDisplayCopiesVramUnlessTheDisplayIsHeld) {
  gVram[5 * kLcdRowBytes + 3] = 0xA5;
  PutDisplay();
  EXPECT_EQ(LcdByte(3, 5), 0x5A);
  EXPECT_EQ(frontEnd.redraws, 1);
  HostSetDisplayHold(true);
  gVram[5 * kLcdRowBytes + 3] = 0xFF;
  PutDisplay();
  EXPECT_EQ(LcdByte(3, 5), 0x5A);
  EXPECT_EQ(frontEnd.redraws, 1);
}

TEST_F(HostServices, ClearLcdBlanksAndBusyIndicatorMarksTheCorner) {
  std::memset(gVram, 0xFF, sizeof gVram);
  ClearLcd();
  for (int row = 0; row < kLcdHeight; ++row) ASSERT_EQ(LcdByte(15, row), 0xFF);
  SetBusyIndicator();
  for (int row = 0; row < 4; ++row) EXPECT_EQ(LcdByte(15, row), 0xF0) << row;
  EXPECT_EQ(LcdByte(15, 4), 0xFF);
  EXPECT_EQ(LcdByte(14, 0), 0xFF);
}

TEST_F(HostServices, StatusTextFollowsTheShiftState) {
  const std::pair<int, const char*> cases[] = {
      {0, ""}, {1, "<SHIFT>"}, {2, "<CLIP>"}, {4, "<ALPHA>"}, {8, "<small-ALPHA>"},
      {132, "<ALPHA-LOCK>"}, {136, "<small-ALPHA-LOCK>"}, {3, ""}};
  for (auto [shift, text] : cases) {
    gShift = shift;
    PutDisplay();
    EXPECT_EQ(frontEnd.message, text);
    EXPECT_EQ(frontEnd.title, std::string("vk2280 emulator") + text);
  }
  HostSetStatusNote("[F1] note");
  gShift = 1;
  PutDisplay();
  EXPECT_EQ(frontEnd.message, "<SHIFT>\t[F1] note");
  HostSetReplayRunning(true);  // a replay shows its own status
  gShift = 4;
  PutDisplay();
  EXPECT_EQ(frontEnd.message, "<SHIFT>\t[F1] note");
}

TEST_F(HostServices, GraphCursorIsClamped) {
  const std::array<int, 4> cases[] = {{200, -5, 127, 0}, {-1, 64, 0, 63}, {64, 32, 64, 32}};
  for (auto [x, y, wantX, wantY] : cases) {
    HostSetGraphCursor(x, y);
    GraphCursorInfo g = HostGraphCursor();
    EXPECT_TRUE(g.active);
    EXPECT_EQ(std::pair(g.x, g.y), std::pair(wantX, wantY)) << x << "," << y;
  }
}

TEST_F(HostServices, SleepOfZeroSleepsTenMilliseconds) {
  auto start = std::chrono::steady_clock::now();
  HostSleep(0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(10));
}

TEST_F(HostServices, OpenCalcFilesSumsTheImportsAndStopsOnANegativeCount) {
  static std::vector<int> left;  // what each import returns, in turn
  const auto import = [](const char*, void*) {
    int count = left.front();
    left.erase(left.begin());
    return count;
  };
  struct Case {
    std::vector<int> counts;
    bool chosen;
    int result, calls;
  } cases[] = {
      {{0, 0, 0}, true, 0, 3},   // nothing imported is a failure, though no error happened
      {{0, 2, 0}, true, 1, 3},
      {{1, -1, 5}, true, 0, 2},  // a negative count stops at once
      {{3}, false, 0, 0},        // cancelled
  };
  for (const Case& c : cases) {
    frontEnd.paths.assign(c.counts.size(), "/tmp/X.g1m");
    frontEnd.answer = c.chosen;
    left = c.counts;
    EXPECT_EQ(HostOpenCalcFiles(import, nullptr), c.result);
    EXPECT_EQ(c.counts.size() - left.size(), size_t(c.calls));
  }
}

TEST_F(HostServices, SaveDialogRewritesTheNameWithinTheBuffer) {
  frontEnd.paths = {"/home/u/work/prog1.g1e"};
  char buffer[64] = "PROG";
  EXPECT_EQ(HostChooseG1eToSave(buffer, sizeof buffer), 1);
  EXPECT_STREQ(buffer, "/home/u/work/PROG1");
  char tiny[8] = "X";
  EXPECT_EQ(HostChooseG1eToSave(tiny, sizeof tiny), 0);  // does not fit
  frontEnd.answer = false;
  EXPECT_EQ(HostBrowseFolder(buffer, sizeof buffer), 0);
}

TEST(CalcFileName, TitleRule) {
  using enum CalcDialogKind;
  const std::tuple<const char*, CalcDialogKind, bool> cases[] = {
      {"/data/AZaz09{}", kOpen, true},
      {"/data/ab'~CD12.g1m", kOpen, true},      // eight characters
      {"/data/ABCDEFGHI.g1m", kOpen, false},    // nine
      {"/data/AB-CD.g1m", kOpen, false},        // hyphen
      {"/data/caf\xC3\xA9.g1m", kOpen, false},  // non-ASCII letter
      {"/data/.g1m", kOpen, true},              // empty title passes
      {"C:\\calc\\PROG.G1E", kSave, true},      // extension case ignored
      {"/data/PROG.txt", kSave, false},
      {"/data/PROG", kSave, true},
      {"/data/PROG.txt", kOpen, true},  // only the save dialog checks it
      {"/da.ta/PROG", kOpen, true},     // a dot in a folder is not an extension
  };
  for (auto [path, kind, accepted] : cases)
    EXPECT_EQ(CalcFileNameAccepted(path, kind), accepted) << path;
}

TEST(CalcFileName, SaveNameIsUpperCaseWithoutExtension) {
  const std::pair<const char*, const char*> cases[] = {
      {"/home/user/calc/prog1.g1e", "/home/user/calc/PROG1"},
      {"C:\\Work\\MyDoc", "C:\\Work\\MYDOC"},
      {"notes{x}.g1e", "NOTES{X}"},
  };
  for (auto [chosen, rebuilt] : cases) EXPECT_EQ(CalcSaveNameFromPath(chosen), rebuilt) << chosen;
}

TEST_F(HostServices, PlainCursorOnlyAddsDarkDots) {
  // A dark dot under the cursor's light part stays dark in the on phase.
  gVram[8 * kLcdRowBytes + 1] = 0x02;  // x = 14, y = 8: column 2 of the cell at (12, 8)
  LcdImageFromVram();
  gCursor = {2, 1, 0, true};
  ASSERT_TRUE(CursorBlinkTick());
  EXPECT_TRUE(LcdDot(12, 8));   // glyph 0x30: the two left dots
  EXPECT_TRUE(LcdDot(13, 14));
  EXPECT_TRUE(LcdDot(14, 8));   // kept from Vram
  EXPECT_FALSE(LcdDot(15, 8));
  ASSERT_TRUE(CursorBlinkTick());  // off phase: the cell comes back from Vram
  EXPECT_FALSE(LcdDot(12, 8));
  EXPECT_TRUE(LcdDot(14, 8));
}

TEST_F(HostServices, OtherCursorsReplaceTheWholeCell) {
  std::memset(gVram, 0xFF, sizeof gVram);
  LcdImageFromVram();
  gCursor = {0, 0, 16, true};  // overwrite cursor: only the bottom row
  ASSERT_TRUE(CursorBlinkTick());
  EXPECT_FALSE(LcdDot(0, 0));
  EXPECT_FALSE(LcdDot(0, 6));  // 0x1F leaves the leftmost dot light
  EXPECT_TRUE(LcdDot(1, 6));
  EXPECT_TRUE(LcdDot(6, 0));  // the next cell is untouched
}

TEST_F(HostServices, HiddenCursorResetsTheBlinkPhase) {
  gCursor = {0, 0, 0, true};
  ASSERT_TRUE(CursorBlinkTick());
  gCursor.visible = false;
  EXPECT_FALSE(CursorBlinkTick());
  gCursor.visible = true;
  ASSERT_TRUE(CursorBlinkTick());
  EXPECT_TRUE(LcdDot(0, 0));  // the on phase again, not the off phase
}

TEST_F(HostServices, HeapBlockSizeLimit) {
  EXPECT_NE(OsMalloc(65535), nullptr);
  EXPECT_EQ(OsMalloc(65536), nullptr);
  EXPECT_EQ(OsCalloc(256, 256), nullptr);  // exactly 65,536
  auto* block = static_cast<uint8_t*>(OsCalloc(255, 257));
  ASSERT_NE(block, nullptr);
  for (int i = 0; i < 255 * 257; ++i) ASSERT_EQ(block[i], 0) << i;
  // A product that wraps around 32 bits must not slip under the limit.
  EXPECT_EQ(OsCalloc(0x10000, 0x10000), nullptr);
  EXPECT_EQ(OsHeapLiveBlocks(), 2);
}

TEST_F(HostServices, HeapRefusesThe129thBlockUntilReset) {
  for (int i = 0; i < kOsHeapSlots; ++i) ASSERT_NE(OsMalloc(16), nullptr) << i;
  EXPECT_EQ(OsMalloc(16), nullptr);
  EXPECT_EQ(OsRealloc(nullptr, 16), nullptr);  // a null block also needs a free slot
  OsHeapReset();
  EXPECT_EQ(OsHeapLiveBlocks(), 0);
  for (int i = 0; i < kOsHeapSlots; ++i) ASSERT_NE(OsMalloc(16), nullptr) << i;
}

TEST_F(HostServices, HeapReallocKeepsContentsAndUnknownPointersAreIgnored) {
  auto* block = static_cast<char*>(OsMalloc(8));
  std::memcpy(block, "abcdefg", 8);
  auto* grown = static_cast<char*>(OsRealloc(block, 4000));
  ASSERT_NE(grown, nullptr);
  EXPECT_STREQ(grown, "abcdefg");
  EXPECT_EQ(OsHeapLiveBlocks(), 1);
  EXPECT_EQ(OsRealloc(grown, 65536), nullptr);  // refused, the old block stays
  int local = 0;
  OsFree(&local);
  EXPECT_EQ(OsRealloc(&local, 10), nullptr);
  OsFree(nullptr);
  EXPECT_EQ(OsHeapLiveBlocks(), 1);
  OsFree(grown);
  EXPECT_EQ(OsHeapLiveBlocks(), 0);
}

// A click in the LCD's label band lands on the function key below it.
TEST(KeyTables, ClicksOnTheFaceFindTheirKeys) {
  const std::array<int, 3> cases[] = {  // x, y, code (-1: no key)
      {150, 200, 59}, {46, 200, 79},  {296, 200, 29},  // label band: F3, F1, F6
      {44, 200, -1},  {150, 193, -1},                  // just outside the band
      {83, 315, 79},  {84, 315, -1},                   // right and bottom edges are inside
      {44, 293, 79},  {200, 250, -1}, {263, 340, 28},  // cursor pad: UP
      {298, 649, 31}, {299, 649, -1},
  };
  for (auto [clickX, clickY, code] : cases) {
    int x = clickX, y = clickY;
    RemapLabelBand(&x, &y);
    const KeyRect* k = HitTestKey(x, y);
    EXPECT_EQ(k ? k->code : -1, code) << clickX << "," << clickY;
  }
}

TEST(KeyTables, TypedCharacters) {
  const std::array<int, 3> cases[] = {  // character, key code, aux
      {'7', 74, '7'},         {'^', 57, '^'},         {'-', 32, '-'},
      {'!', kNoKey, '!'},     {'\\', kNoKey, '\\'},   {192, kNoKey, 0xE501},
      {214, kNoKey, 0xE517},  {216, kNoKey, 0xE518},  {222, kNoKey, 0xE51E},
      {233, kNoKey, 0xE60A},  {248, kNoKey, 0xE618},  {254, kNoKey, 0xE61E},
      {215, kNoKey, 0xA9},    {247, kNoKey, 0xB9},    {255, kNoKey, 0xE620},
      {223, kNoKey, 0xE641},  {191, kNoKey, 0xE591},  {128, kNoKey, 0xE592},
  };
  for (auto [character, code, aux] : cases) {
    const PcCharRow* row = PcCharOf(character);
    ASSERT_NE(row, nullptr) << character;
    EXPECT_EQ(std::pair(int{row->code}, int{row->aux}), std::pair(code, aux)) << character;
  }
  // Letters, controls and unlisted signs have no row.
  for (int character : {int{'q'}, int{'Q'}, int{' '}, 13, int{'`'}, 129, 160})
    EXPECT_EQ(PcCharOf(character), nullptr) << character;
  int rows = 1;
  for (const PcCharRow* r = PcCharTableRows(); r->character != -1; ++r) ++rows;
  EXPECT_EQ(rows, kPcCharRows);
}

TEST(KeyTables, PcKeysAndTheCodePage) {
  EXPECT_EQ(UnicodeToCp1252(0xE9), 233);
  EXPECT_EQ(UnicodeToCp1252(0x20AC), 128);  // euro sign
  EXPECT_EQ(UnicodeToCp1252(0x0153), 156);
  EXPECT_EQ(UnicodeToCp1252(0x03B8), -1);  // theta has no code there
  EXPECT_EQ(PcKeyOf(kVkReturn)->code, 31);
  EXPECT_EQ(PcKeyOf(kVkBack)->code, 44);
  EXPECT_EQ(PcKeyOf(kVkSpace)->code, kNoKey);
  EXPECT_EQ(PcKeyOf(kVkF7), nullptr);
  EXPECT_TRUE(PcKeyIgnored(kVkDecimal));
  EXPECT_FALSE(PcKeyIgnored(kVkDelete));
}

}  // namespace
