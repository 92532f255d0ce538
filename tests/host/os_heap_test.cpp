#include <gtest/gtest.h>

#include <cstring>

#include "host/services/front_end.h"
#include "host/services/host_services.h"

namespace {

class OsHeapTest : public ::testing::Test {
 protected:
  void SetUp() override { OsHeapReset(); }
  void TearDown() override { OsHeapReset(); }
};

TEST_F(OsHeapTest, BlockSizeLimit) {
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

TEST_F(OsHeapTest, TheHundredTwentyNinthBlockIsRefusedUntilReset) {
  for (int i = 0; i < kOsHeapSlots; ++i) ASSERT_NE(OsMalloc(16), nullptr) << i;
  EXPECT_EQ(OsMalloc(16), nullptr);
  EXPECT_EQ(OsRealloc(nullptr, 16), nullptr);  // a null block also needs a free slot
  OsHeapReset();
  EXPECT_EQ(OsHeapLiveBlocks(), 0);
  for (int i = 0; i < kOsHeapSlots; ++i) ASSERT_NE(OsMalloc(16), nullptr) << i;
}

TEST_F(OsHeapTest, ReallocKeepsContentsAndUnknownPointersAreIgnored) {
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

}  // namespace
