#include <gtest/gtest.h>

#include <cstring>

#include "host/services/cursor_blink.h"
#include "host/services/front_end.h"

namespace {

uint8_t gVram[kLcdBytes];
TextCursorInfo gCursor;

bool LcdDot(int x, int y) {
  uint8_t lcd[kLcdBytes];
  LcdImageSnapshot(lcd);
  return !(lcd[y * kLcdRowBytes + x / 8] & (0x80 >> (x % 8)));  // 0 = dark
}

class CursorBlinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostResetForTest();
    CursorBlinkReset();
    std::memset(gVram, 0, sizeof gVram);
    OsHooks hooks;
    hooks.vram = [] { return static_cast<const uint8_t*>(gVram); };
    hooks.textCursor = [] { return gCursor; };
    HostInstallOsHooks(hooks);
  }
  void TearDown() override { HostResetForTest(); }
};

TEST_F(CursorBlinkTest, PlainCursorOnlyAddsDarkDots) {
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

TEST_F(CursorBlinkTest, OtherCursorsReplaceTheWholeCell) {
  std::memset(gVram, 0xFF, sizeof gVram);
  LcdImageFromVram();
  gCursor = {0, 0, 16, true};  // overwrite cursor: only the bottom row
  ASSERT_TRUE(CursorBlinkTick());
  EXPECT_FALSE(LcdDot(0, 0));
  EXPECT_FALSE(LcdDot(0, 6));  // 0x1F leaves the leftmost dot light
  EXPECT_TRUE(LcdDot(1, 6));
  EXPECT_TRUE(LcdDot(6, 0));  // the next cell is untouched
}

TEST_F(CursorBlinkTest, HiddenCursorResetsThePhase) {
  gCursor = {0, 0, 0, false};
  EXPECT_FALSE(CursorBlinkTick());
  gCursor.visible = true;
  ASSERT_TRUE(CursorBlinkTick());
  EXPECT_TRUE(LcdDot(0, 0));  // starts with the on phase again
}

TEST_F(CursorBlinkTest, GlyphTable) {
  EXPECT_EQ(std::memcmp(CursorGlyph(24), CursorGlyph(8), 7), 0);
  EXPECT_EQ(std::memcmp(CursorGlyph(65), CursorGlyph(8), 7), 0);
  EXPECT_EQ(CursorGlyph(3), nullptr);
  EXPECT_EQ(CursorGlyph(64)[3], 0x1F);
}

}  // namespace
