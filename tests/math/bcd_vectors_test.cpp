// The four operations against a quarter of a million cases computed by an
// independent decimal implementation (tests/tools/gen_bcd_vectors.py): mixed
// exponents, carries, ties, cancellation, overflow and underflow.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "math/bcd_test_util.h"

namespace {

constexpr size_t kCaseSize = 28;

BcdNumber Record(const uint8_t* p) {
  BcdNumber r{};
  std::memcpy(r.bytes, p, 9);
  return r;
}

std::vector<uint8_t> LoadVectors() {
  std::ifstream in(VK_MATH_VECTORS, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(BcdVectors, FourOperationsMatchTheDecimalOracle) {
  std::vector<uint8_t> data = LoadVectors();
  ASSERT_GT(data.size(), 100000 * kCaseSize) << "vectors missing: " << VK_MATH_VECTORS;
  ASSERT_EQ(data.size() % kCaseSize, 0u);
  // Both entry codes of add and subtract must give the same results.
  const int codes[4][2] = {{kBcdOpAdd, kBcdOpAddC},
                           {kBcdOpSub, kBcdOpSubC},
                           {kBcdOpMul, kBcdOpMul},
                           {kBcdOpDiv, kBcdOpDiv}};
  int failures = 0;
  size_t cases = data.size() / kCaseSize;
  for (size_t i = 0; i < cases && failures < 20; ++i) {
    const uint8_t* c = &data[i * kCaseSize];
    ASSERT_LT(c[0], 4) << "case " << i;
    BcdNumber a = Record(c + 1), b = Record(c + 10), want = Record(c + 19);
    for (int code : codes[c[0]]) {
      BcdNumber r{};
      BcdBinary(code, &a, &b, &r);
      if (std::memcmp(&r, &want, sizeof r) != 0) {
        ++failures;
        ADD_FAILURE() << "case " << i << " op " << code << "\n  a    " << Hex(a) << "\n  b    "
                      << Hex(b) << "\n  got  " << Hex(r) << "\n  want " << Hex(want);
      }
    }
    // The result may be written over an operand (an error value writes only
    // its first two bytes).
    BcdNumber alias = a;
    BcdBinary(c[0], &alias, &b, &alias);
    size_t n = BcdErrorCode(&want) ? 2 : sizeof want;
    EXPECT_EQ(0, std::memcmp(&alias, &want, n)) << "case " << i << " written over its operand";
  }
  EXPECT_EQ(failures, 0);
}

}  // namespace
