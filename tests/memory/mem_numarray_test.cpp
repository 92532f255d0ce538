#include "memory/mem_numarray.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "mcs_test_support.h"
#include "memory/mcs_core.h"

namespace {

class MemNumArray : public ::testing::Test {
 protected:
  void SetUp() override { FreshMemory(); }
};

// A recognisable number record: byte 0 from the flag, then the tag.
std::vector<uint8_t> Pair(uint8_t tag, bool complex) {
  std::vector<uint8_t> pair(kNumPair, 0);
  pair[0] = complex ? 0x90 : 0x10;
  pair[1] = tag;
  pair[12] = complex ? 0x10 : 0;
  pair[13] = complex ? static_cast<uint8_t>(tag + 1) : 0;
  return pair;
}

TEST_F(MemNumArray, ListLayout) {
  ASSERT_EQ(MemCreateNumArray(MemOfKind(2), "1LIST1", ListShape(3, false), 0x01020304), kMemOk);
  const std::vector<uint8_t> item = ItemBytes("main", "1LIST1");
  ASSERT_EQ(item.size(), 16u + 36);
  uint16_t count;
  std::memcpy(&count, item.data() + 8, 2);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(NumArrayAppField(item.data()), 0x01020304u);

  for (uint8_t i = 0; i < 3; ++i) {
    ASSERT_EQ(MemNumArraySet(MemOfKind(2), "1LIST1", NumArrayKind::kList, i, Pair(i, false).data()),
              kMemOk);
  }
  uint8_t value[kNumPair];
  ASSERT_EQ(MemNumArrayGet(MemOfKind(2), "1LIST1", NumArrayKind::kList, 2, value), kMemOk);
  EXPECT_EQ(std::vector<uint8_t>(value, value + kNumPair), Pair(2, false));
  EXPECT_EQ(MemNumArrayGet(MemOfKind(2), "1LIST1", NumArrayKind::kList, 3, value), kMemErrNotFound);

  // A complex value turns the list complex: the imaginary block follows.
  ASSERT_EQ(MemNumArraySet(MemOfKind(2), "1LIST1", NumArrayKind::kList, 1, Pair(7, true).data()),
            kMemOk);
  NumArrayShape shape;
  ASSERT_EQ(MemNumArrayShape(MemOfKind(2), "1LIST1", NumArrayKind::kList, &shape), kMemOk);
  EXPECT_TRUE(shape.complex);
  EXPECT_EQ(ItemBytes("main", "1LIST1").size(), 16u + 72);
  ASSERT_EQ(MemNumArrayGet(MemOfKind(2), "1LIST1", NumArrayKind::kList, 1, value), kMemOk);
  EXPECT_EQ(std::vector<uint8_t>(value, value + kNumPair), Pair(7, true));
  ASSERT_EQ(MemNumArrayGet(MemOfKind(2), "1LIST1", NumArrayKind::kList, 2, value), kMemOk);
  EXPECT_EQ(value[1], 2);
  EXPECT_EQ(value[12], 0);  // imaginary part zero
  EXPECT_EQ(McsCheck(), kMcsOk);
}

TEST_F(MemNumArray, MatrixLayout) {
  ASSERT_EQ(MemCreateNumArray(MemInFolder("main"), "MAT_A", MatrixShape(2, 3, true), 0), kMemOk);
  const std::vector<uint8_t> item = ItemBytes("main", "MAT_A");
  ASSERT_EQ(item.size(), 16u + 2 * 6 * 12);
  NumArrayShape shape;
  ASSERT_TRUE(NumArrayRead(NumArrayKind::kMatrix, item.data(), item.size(), &shape));
  EXPECT_EQ(shape.rows, 2);
  EXPECT_EQ(shape.cols, 3);
  EXPECT_TRUE(shape.complex);  // told by the flag of the first number
  EXPECT_EQ(NumArrayImagOffset(shape, 0), 16u + 72);
  EXPECT_FALSE(NumArrayRead(NumArrayKind::kMatrix, item.data(), item.size() - 4, &shape));
  ASSERT_EQ(
      MemNumArraySet(MemInFolder("main"), "MAT_A", NumArrayKind::kMatrix, 5, Pair(9, true).data()),
      kMemOk);
  const std::vector<uint8_t> after = ItemBytes("main", "MAT_A");
  EXPECT_EQ(after[16 + 5 * 12 + 1], 9);
  EXPECT_EQ(after[16 + 72 + 5 * 12 + 1], 10);
}

TEST_F(MemNumArray, ShapeOfShortItems) {
  const uint8_t header[16] = {0, 0, 0, 0, 0, 0, 0, 0, 5, 0};
  NumArrayShape shape;
  EXPECT_FALSE(NumArrayRead(NumArrayKind::kList, header, 12, &shape));
  EXPECT_FALSE(NumArrayRead(NumArrayKind::kList, header, 16, &shape));  // 5 numbers missing
  EXPECT_EQ(MatrixShape(0, 4, false).Bytes(), 16u);
}

}  // namespace
