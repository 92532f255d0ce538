// Records come from files and flash images: any 12 bytes must go through
// every operation and formatter without undefined behaviour (the sanitizer
// build checks that), ending in a number or an error value, and a text that
// fits its buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "math/bcd.h"
#include "math/bcd_text.h"

namespace {

// Byte 0 drawn mostly from the values that select the interesting kinds.
void RandomValue(std::mt19937& rng, BcdNumber v[2]) {
  static const uint8_t kFirst[] = {0x00, 0x09, 0x10, 0x19, 0x59, 0x60, 0x69, 0x1A, 0x6A, 0x5A,
                                   0x90, 0x99, 0xE9, 0xF0, 0x20, 0x30, 0x40, 0x70, 0xA0, 0x9A};
  for (int i = 0; i < 2; ++i) {
    for (uint8_t& b : v[i].bytes) b = uint8_t(rng());
    if (rng() % 4 != 0) v[i].bytes[0] = kFirst[rng() % sizeof kFirst];
    if (rng() % 2) {  // mostly decimal digits, so values get deep into the code
      for (int j = 1; j < 9; ++j) v[i].bytes[j] = uint8_t((rng() % 10) << 4 | rng() % 10);
    }
  }
}

bool FitsBuffer(const char* text, int len) {
  return len >= 0 && len < kBcdTextSize && int(std::strlen(text)) == len;
}

TEST(BcdGarbage, AnyRecordIsHandled) {
  std::mt19937 rng(2280);
  const int ops[] = {kBcdOpAdd, kBcdOpSub, kBcdOpMul,  kBcdOpDiv,  kBcdOpPow,  kBcdOpEq,
                     kBcdOpLt,  kBcdOpGe,  kBcdOpSqrt, kBcdOpAddC, kBcdOpSubC, 77};
  for (int i = 0; i < 20000; ++i) {
    BcdNumber a[2], b[2], r[2];
    RandomValue(rng, a);
    RandomValue(rng, b);
    for (int op : ops) {
      std::memset(r, 0, sizeof r);
      int ok = BcdBinary(op, &a[0], &b[0], &r[0]);
      int kind = BcdKind(&r[0]);
      EXPECT_TRUE(ok ? kind == kBcdKindScalar : kind == kBcdKindError) << op;
    }
    BcdCompare(kBcdOpLe, &a[0], &b[0]);
    BcdNeg(&a[0], &r[0]);
    BcdAbs(&a[0], &r[0]);
    BcdFractionToDecimal(&a[0], &r[0]);
    char text[kBcdTextSize];
    ASSERT_TRUE(FitsBuffer(text, BcdCanonicalText(&a[0], text)));
    BcdDisplay d;
    d.mode = uint8_t(rng());
    d.complexMode = uint8_t(rng() % 3);
    d.angleUnit = uint8_t(rng() % 3);
    d.baseMode = uint8_t(rng() % 16);
    d.engState = rng() % 2 ? kBcdEngShiftActive : 0;
    d.engExponent[0] = int16_t(rng());
    d.engExponent[1] = int16_t(int(rng() % 200) - 100);
    ASSERT_TRUE(FitsBuffer(text, BcdFormatResult(&a[0], int(rng() % 6), d, text)));
    BcdEngShift(&a[0], rng() % 2, &d);
    std::memcpy(r, a, sizeof a);
    BcdRoundForDisplay(&r[0], int(rng() % 4), int(rng() % 10), rng() % 2);
  }
}

}  // namespace
