// Screen files and the clip text: bitmaps, PNGs, difference pictures,
// automatic capture names, copy and paste through the OS's clip buffer.
#include "host/capture/capture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "host/capture/screen_files.h"
#include "host/services/front_end.h"
#include "host/services/key_input.h"
#include "os/clip_buffer.h"
#include "tests/host/clip_test_support.h"
#include "tests/host/stand_in_os.h"

namespace fs = std::filesystem;

namespace {

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t{b[at + 3]} << 24;
}

uint32_t Be32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t{b[at]} << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

std::vector<uint8_t> BmpWithFirstByte(uint8_t first) {
  uint8_t plane[1024] = {};
  plane[63 * 16] = first;  // the bottom row is stored first
  return EncodeScreenBmp(plane, 128, 64);
}

TEST(ScreenBmp, HeaderAndRowsStoredBottomUp) {
  uint8_t plane[1024] = {};
  plane[0] = 0x80;             // top-left dot
  plane[63 * 16 + 15] = 0x01;  // bottom-right dot
  std::vector<uint8_t> bmp = EncodeScreenBmp(plane, 128, 64);
  ASSERT_EQ(bmp.size(), size_t{kScreenBmpSize});
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  struct Field {
    size_t offset;
    uint32_t value;
  } fields[] = {{2, 1086},  {10, 62}, {14, 40},           {18, 128}, {22, 64},
                {34, 1024}, {38, 3780}, {46, 2}, {54, 0x00FFFFFF}, {58, 0}};
  for (const Field& f : fields) EXPECT_EQ(Le32(bmp, f.offset), f.value) << f.offset;
  for (size_t i = 62; i < bmp.size(); ++i) {
    const uint8_t want = i == 62 + 15 ? 0x01 : i == 62 + 63 * 16 ? 0x80 : 0;  // bottom row first
    ASSERT_EQ(bmp[i], want) << i;
  }
}

TEST(ScreenPng, ChunksAreWellFormed) {
  uint8_t plane[1024];
  for (int i = 0; i < 1024; ++i) plane[i] = static_cast<uint8_t>(i * 37);
  std::vector<uint8_t> png = EncodeScreenPng(plane, 128, 64);
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8), 0);
  size_t at = 8;
  std::vector<std::string> types;
  while (at + 12 <= png.size()) {
    uint32_t length = Be32(png, at);
    types.emplace_back(reinterpret_cast<const char*>(&png[at + 4]), 4);
    at += 12 + length;
  }
  EXPECT_EQ(at, png.size());
  EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
  EXPECT_EQ(Be32(png, 16), 128u);  // width
  EXPECT_EQ(Be32(png, 20), 64u);   // height
}

TEST(DifferencePicture, FourIndicesTwoDotsABytes) {
  // Dots of the first byte, left to right: both dark, recorded only,
  // replayed only, both light (twice).
  std::vector<uint8_t> recorded = BmpWithFirstByte(0b11000000);
  std::vector<uint8_t> replayed = BmpWithFirstByte(0b10100000);
  std::vector<uint8_t> diff = EncodeDifferenceBmp(recorded, replayed);
  ASSERT_EQ(diff.size(), size_t{kDifferenceBmpSize});
  EXPECT_EQ(Le32(diff, 2), uint32_t{kDifferenceBmpSize});
  EXPECT_EQ(Le32(diff, 10), 118u);
  EXPECT_EQ(diff[28], 4) << "4 bits a dot";
  EXPECT_EQ(Le32(diff, 46), 16u);
  EXPECT_EQ(diff[118], kDiffDarkBoth << 4 | kDiffRecordedOnly);
  EXPECT_EQ(diff[119], kDiffReplayedOnly << 4 | kDiffLightBoth);
  EXPECT_EQ(diff[120], kDiffLightBoth << 4 | kDiffLightBoth);
  EXPECT_EQ(diff.back(), kDiffLightBoth << 4 | kDiffLightBoth);
  // The table gives the four meaningful entries distinct colours.
  EXPECT_NE(Le32(diff, 54 + 4 * kDiffRecordedOnly), Le32(diff, 54 + 4 * kDiffReplayedOnly));
  EXPECT_EQ(Le32(diff, 54 + 4 * kDiffLightBoth), 0xFFFFFFu);
  // A missing or short file counts as light.
  diff = EncodeDifferenceBmp(std::vector<uint8_t>(62 + 1024, 0xFF), {});
  EXPECT_EQ(diff[118], kDiffRecordedOnly << 4 | kDiffRecordedOnly);
  EXPECT_EQ(diff.size(), size_t{kDifferenceBmpSize});
}

class CaptureFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("vk-capture-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  void Touch(const char* name) { std::ofstream(dir_ / name) << "x"; }
  fs::path dir_;
};

TEST_F(CaptureFolder, NextNumberIsAboveTheLargestAndGapsStay) {
  EXPECT_EQ(NextCaptureName(dir_.string()), (dir_ / "Disp00001.bmp").string());
  Touch("Disp00002.bmp");
  Touch("Disp00007.bmp");
  Touch("Disp00099.txt");   // not a bitmap
  Touch("Other00050.bmp");  // not a capture
  EXPECT_EQ(NextCaptureName(dir_.string()), (dir_ / "Disp00008.bmp").string());
  EXPECT_EQ(NextCaptureName(dir_.string() + "/"), (dir_ / "Disp00008.bmp").string());
  // A file that cannot be created is skipped.
  EXPECT_FALSE(CaptureScreenToFile((dir_ / "no" / "such" / "x.bmp").string()));
  EXPECT_EQ(CaptureScreenToFolder((dir_ / "missing").string()), "");
}

TEST_F(CaptureFolder, AnEmptyFolderIsTheCurrentDirectory) {
  fs::path before = fs::current_path();
  fs::current_path(dir_);
  Touch("Disp00003.bmp");
  const std::string name = NextCaptureName(""), written = CaptureScreenToFolder("");
  fs::current_path(before);
  EXPECT_EQ(name, "Disp00004.bmp");
  EXPECT_EQ(written, "Disp00004.bmp");
  EXPECT_EQ(fs::file_size(dir_ / "Disp00004.bmp"), 1086u);
}

class ClipText : public ::testing::Test {
 protected:
  void SetUp() override {
    HostResetForTest();
    HostSetKeyLogMode(0);
    OsHooks hooks;
    hooks.getShiftState = [] { return shift.load(); };
    HostInstallOsHooks(hooks);
    SetClipTextConverters(UpperIn, LowerOut);
    ClipBufferClear();
  }
  void TearDown() override {
    SetClipTextConverters(nullptr, nullptr);
    ClipBufferClear();
    HostResetForTest();
  }
  static inline std::atomic<int> shift{0};
};

TEST_F(ClipText, PasteFillsTheBufferAndPushesThePasteKey) {
  ASSERT_TRUE(PasteText("1+2"));
  EXPECT_EQ(ClipBufferGet(), "1+2");
  ASSERT_EQ(KeyQueueCount(), 1);
  KeyEntry key = WaitKey();
  EXPECT_EQ(key.row, -2);
  EXPECT_EQ(key.aux, kCalcKeyPaste);

  // What the calculator cannot read is left out and reported; the rest goes in.
  std::string dropped;
  ASSERT_TRUE(PasteText("a!b", &dropped));
  EXPECT_EQ(ClipBufferGet(), "AB");
  EXPECT_EQ(dropped, "!");
  WaitKey();

  HostSetKeyLogMode(2);
  EXPECT_FALSE(PasteText("1")) << "no paste during a replay";
  EXPECT_EQ(KeyQueueCount(), 0);
}

TEST_F(ClipText, CopyOnlyInClipAndOnlyWhatTheOsPutAside) {
  shift = 0;
  EXPECT_FALSE(CanCopyClipText());
  EXPECT_EQ(CopyClipText([](int) {}), "");
  EXPECT_EQ(KeyQueueCount(), 0) << "outside CLIP nothing is pushed";

  shift = 2;
  ASSERT_TRUE(CanCopyClipText());
  // The stand-in OS takes the copy key and fills its buffer.
  StandInOs os([](const KeyEntry& key) {
    if (key.aux == kCalcKeyCopy) ClipBufferSet(reinterpret_cast<const uint8_t*>("SIN X"), 5);
  });
  auto pause = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
  EXPECT_EQ(CopyClipText(pause), "sin x");
  EXPECT_EQ(os.taken.load(), 1u);
  shift = 0;
}

TEST(ClipBuffer, WithoutConvertersTextGoesNowhere) {
  SetClipTextConverters(nullptr, nullptr);
  EXPECT_EQ(ClipBufferPutText("1+2"), 0);
  EXPECT_EQ(ClipBufferGet(), "");
  ClipBufferSet(reinterpret_cast<const uint8_t*>("AB"), 2);
  EXPECT_EQ(ClipBufferText(), "") << "no converter, no PC text";
  ClipBufferClear();
}

}  // namespace
