#include <gtest/gtest.h>

#include <cstring>

#include "host/capture/screen_files.h"

namespace {

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t{b[at + 3]} << 24;
}

uint32_t Be32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t{b[at]} << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

TEST(ScreenBmp, BlankScreenIs1086BytesEndingInZeros) {
  uint8_t plane[1024] = {};
  std::vector<uint8_t> bmp = EncodeScreenBmp(plane, 128, 64);
  ASSERT_EQ(bmp.size(), size_t{kScreenBmpSize});
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  struct Field {
    size_t offset;
    uint32_t value;
  } fields[] = {{2, 1086}, {10, 62}, {14, 40},   {18, 128},  {22, 64}, {34, 1024},
                {38, 3780}, {46, 2}, {54, 0x00FFFFFF}, {58, 0}};
  for (const Field& f : fields) EXPECT_EQ(Le32(bmp, f.offset), f.value) << f.offset;
  for (size_t i = 62; i < bmp.size(); ++i) ASSERT_EQ(bmp[i], 0) << i;
}

TEST(ScreenBmp, RowsAreStoredBottomUp) {
  uint8_t plane[1024] = {};
  plane[0] = 0x80;            // top-left dot
  plane[63 * 16 + 15] = 0x01;  // bottom-right dot
  std::vector<uint8_t> bmp = EncodeScreenBmp(plane, 128, 64);
  EXPECT_EQ(bmp[62 + 15], 0x01);          // first stored row is the bottom one
  EXPECT_EQ(bmp[62 + 63 * 16], 0x80);     // last stored row is the top one
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

}  // namespace
