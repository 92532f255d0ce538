#include "os/vram.h"

#include "display_fixture.h"

namespace {

using VramTest = DisplayTest;

TEST_F(VramTest, DotsMapToBytesAndBitsAndReachTheLcdInverted) {
  const struct {
    int x, y, byte;
    uint8_t bit;
  } cases[] = {{0, 0, 0, 0x80}, {127, 63, 1023, 0x01}, {7, 0, 0, 0x01},
               {8, 0, 1, 0x80}, {0, 1, 16, 0x80},      {100, 37, 37 * 16 + 12, 0x08}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    SetPixel(c.x, c.y, true);
    EXPECT_EQ(VramAddress()[c.byte], c.bit);
    EXPECT_EQ(DarkDots(), 1);
    EXPECT_EQ(GetPixel(c.x, c.y), 1);
    PutDisplay();
    EXPECT_EQ(LcdCopy()[c.byte], static_cast<uint8_t>(~c.bit));
    SetPixel(c.x, c.y, false);
    EXPECT_EQ(DarkDots(), 0);
  }
}

TEST_F(VramTest, DotsOffTheScreenAreIgnored) {
  const int points[][2] = {{-1, 0}, {128, 0}, {0, -1}, {0, 64}, {-100000, 5}, {5, 1 << 30}};
  std::memset(VramAddress(), 0xA5, kVramBytes);
  for (const auto& p : points) {
    SetPixel(p[0], p[1], true);
    SetPixel(p[0], p[1], false);
    SetPixelBoth(p[0], p[1], true);
    EXPECT_EQ(GetPixel(p[0], p[1]), 0);
  }
  EXPECT_EQ(VramCopy(), std::vector<uint8_t>(kVramBytes, 0xA5));
  EXPECT_EQ(LcdCopy(), std::vector<uint8_t>(kLcdBytes, 0xFF));
}

// Slots 1, 2, 3, 7 and 8 each keep their own screen; no other slot exists.
TEST_F(VramTest, OnlyTheFiveSlotsExist) {
  const auto real = [](int s) { return s == 1 || s == 2 || s == 3 || s == 7 || s == 8; };
  for (int slot : {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 255}) {
    std::memset(VramAddress(), slot, kVramBytes);
    EXPECT_EQ(SaveScreen(slot), real(slot)) << slot;
  }
  for (int slot : {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 255}) {
    std::memset(VramAddress(), 0xEE, kVramBytes);
    EXPECT_EQ(ScreenSlotAddress(slot) != nullptr, real(slot)) << slot;
    EXPECT_EQ(RestoreScreen(slot), real(slot)) << slot;
    EXPECT_EQ(VramAddress()[1023], real(slot) ? slot : 0xEE) << slot;
  }
}

TEST_F(VramTest, BusyIndicatorDarkensOnlyTheCornerOfTheLcd) {
  std::memset(VramAddress(), 0xFF, kVramBytes);  // Vram is not involved
  HostLcdWriteByte(15, 0, 0xA0);                 // dark dots left of the indicator stay
  ShowBusyIndicator(true);
  EXPECT_EQ(LcdCopy()[15], static_cast<uint8_t>(~0xAF));
  ShowBusyIndicator(false);
  const std::vector<uint8_t> lcd = LcdCopy();
  EXPECT_EQ(lcd[15], static_cast<uint8_t>(~0xA0));
  for (int row = 1; row < 4; ++row) EXPECT_EQ(lcd[row * 16 + 15], 0xFF) << row;
}

}  // namespace
