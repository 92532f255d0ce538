#include "os/vram.h"

#include "display_fixture.h"
#include "os/draw.h"

namespace {

using VramTest = DisplayTest;

TEST_F(VramTest, DotsMapToBytesAndBitsAndReachTheLcdInverted) {
  struct Case {
    int x, y, byte;
    uint8_t bit;
  };
  const Case cases[] = {{0, 0, 0, 0x80}, {127, 63, 1023, 0x01}, {7, 0, 0, 0x01},
                        {8, 0, 1, 0x80}, {0, 1, 16, 0x80},      {100, 37, 37 * 16 + 12, 0x08}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    ClearVram();
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
  for (int i = 0; i < kVramBytes; ++i) ASSERT_EQ(VramAddress()[i], 0xA5) << i;
  for (uint8_t b : LcdCopy()) ASSERT_EQ(b, 0xFF);
}

TEST_F(VramTest, OnlyTheFiveSlotsExist) {
  const int valid[] = {1, 2, 3, 7, 8};
  // Each slot keeps its own screen.
  for (int slot : valid) {
    std::memset(VramAddress(), slot, kVramBytes);
    EXPECT_EQ(SaveScreen(slot), 1);
  }
  const int invalid[] = {0, 4, 5, 6, 9, -1, 255};
  std::memset(VramAddress(), 0xEE, kVramBytes);
  for (int slot : invalid) {
    EXPECT_EQ(SaveScreen(slot), 0) << slot;
    EXPECT_EQ(RestoreScreen(slot), 0) << slot;
    EXPECT_EQ(ScreenSlotAddress(slot), nullptr) << slot;
  }
  EXPECT_EQ(VramAddress()[500], 0xEE);
  for (int slot : valid) {
    ASSERT_NE(ScreenSlotAddress(slot), nullptr);
    EXPECT_EQ(ScreenSlotAddress(slot)[1023], slot);
    EXPECT_EQ(RestoreScreen(slot), 1);
    EXPECT_EQ(VramAddress()[0], slot);
  }
}

TEST_F(VramTest, BusyIndicatorDarkensOnlyTheCornerOfTheLcd) {
  std::memset(VramAddress(), 0xFF, kVramBytes);  // Vram is not involved
  LcdImageFill(0xFF);
  HostLcdWriteByte(15, 0, 0xA0);  // dark dots left of the indicator stay
  ShowBusyIndicator(true);
  std::vector<uint8_t> lcd = LcdCopy();
  EXPECT_EQ(lcd[15], static_cast<uint8_t>(~0xAF));
  for (int row = 1; row < 4; ++row) EXPECT_EQ(lcd[row * 16 + 15], 0xF0) << row;
  EXPECT_EQ(lcd[4 * 16 + 15], 0xFF);
  EXPECT_EQ(lcd[14], 0xFF);
  ShowBusyIndicator(false);
  lcd = LcdCopy();
  EXPECT_EQ(lcd[15], static_cast<uint8_t>(~0xA0));
  for (int row = 1; row < 4; ++row) EXPECT_EQ(lcd[row * 16 + 15], 0xFF) << row;
}

class StatusRecorder : public HostFrontEnd {
 public:
  std::string message, title;
  void LcdChanged() override {}
  void SetStatusAndTitle(const std::string& m, const std::string& t) override {
    message = m;
    title = t;
  }
  bool ChooseCalcFilesToOpen(std::vector<std::string>*) override { return false; }
  bool ChooseG1eToOpen(std::string*) override { return false; }
  bool ChooseG1eToSave(std::string*) override { return false; }
  bool BrowseFolder(std::string*) override { return false; }
};

TEST_F(VramTest, PutDisplayReportsTheShiftStateOfTheSetup) {
  StatusRecorder recorder;
  HostSetFrontEnd(&recorder);
  const struct {
    uint8_t state;
    const char* text;
  } cases[] = {{1, "<SHIFT>"},
               {2, "<CLIP>"},
               {4, "<ALPHA>"},
               {8, "<small-ALPHA>"},
               {132, "<ALPHA-LOCK>"},
               {136, "<small-ALPHA-LOCK>"},
               {0, ""},
               {3, ""},
               {128, ""}};
  for (const auto& c : cases) {
    SetSetupItem(kSetupShiftState, 1);  // a change, so the front end hears of it
    PutDisplay();
    SetSetupItem(kSetupShiftState, c.state);
    PutDisplay();
    EXPECT_EQ(recorder.message, c.text) << int{c.state};
  }
  HostSetFrontEnd(nullptr);
}

}  // namespace
