// Whatever record reaches a function (from a file, a damaged item, an
// extreme value), the function ends in a number or an error value, with a
// return value that says which, and no undefined behaviour (the sanitizer
// build checks that).
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "math/bcd.h"
#include "math/bcd_work.h"
#include "math/functions.h"

namespace {

// Mostly well-formed numbers anywhere in the range (exponents at the very
// ends, one or fifteen digits, complex pairs, fractions), some raw bytes.
void RandomOperand(std::mt19937_64& rng, BcdNumber v[2]) {
  for (int i = 0; i < 2; ++i) {
    uint64_t kind = rng() % 8;
    if (kind == 0) {
      for (uint8_t& b : v[i].bytes) b = uint8_t(rng());
      continue;
    }
    if (kind == 1) {
      const char* fractions[] = {"1/3", "-7/2", "5/4", "2/6"};
      BcdFromText(&v[i], fractions[rng() % 4]);
      continue;
    }
    int e = int(rng() % 199) - 99;
    if (rng() % 4 == 0) e = rng() % 2 ? 99 - int(rng() % 3) : -99 + int(rng() % 3);
    uint64_t m = 100000000000000ull + rng() % 900000000000000ull;
    if (rng() % 3 == 0) m -= m % 100000000000000ull;
    char text[48];
    std::snprintf(text, sizeof text, "%s%llu.%014lluE%d", rng() % 2 ? "-" : "",
                  (unsigned long long)(m / 100000000000000ull),
                  (unsigned long long)(m % 100000000000000ull), e);
    BcdFromText(&v[i], text);
  }
  if (rng() % 3 == 0) {
    v[0].bytes[0] |= kBcdComplexFlag;
  } else {
    v[0].bytes[0] &= uint8_t(~kBcdComplexFlag);
  }
}

// A result is an error value (rc 0) or readable number parts (rc 1).
void ExpectConsistent(int rc, const BcdNumber r[2], const std::string& what) {
  if (rc == 0) {
    EXPECT_NE(BcdErrorCode(&r[0]), 0) << what;
    return;
  }
  BcdNumber re, im;
  BcdComplexSplit(r, &re, &im);
  BcdWork w;
  EXPECT_EQ(BcdUnpack(&re, &w), 0) << what;
  EXPECT_EQ(BcdUnpack(&im, &w), 0) << what;
}

TEST(FunctionsGarbage, AnyOperandEndsInANumberOrAnError) {
  std::mt19937_64 rng(2280);
  const int codes[] = {
      kFnSqrt,        kFnExp,         kFnLn,        kFnLog,       kFnSin,      kFnCos,    kFnTan,
      kFnAsin,        kFnAcos,        kFnAtan,      kFnSinh,      kFnCosh,     kFnTanh,   kFnAsinh,
      kFnAcosh,       kFnAtanh,       kFnAbs,       kFnIntg,      kFnInt,      kFnFrac,   kFnTenPow,
      kFnFromDegrees, kFnFromRadians, kFnFromGrads, kFnNeg,       kFnCubeRoot, kFnBitNot, kFnArg,
      kFnConjg,       kFnReP,         kFnImP,       kFnLogicalNot};
  for (int i = 0; i < 5000; ++i) {
    BcdNumber a[2], b[2], r[2];
    RandomOperand(rng, a);
    RandomOperand(rng, b);
    FnMode mode;
    mode.angleUnit = uint8_t(rng() % 3);
    mode.complexMode = uint8_t(rng() % 3);
    for (int code : codes) {
      std::memset(r, 0, sizeof r);
      ExpectConsistent(FnUnary(code, a, r, mode), r, "code " + std::to_string(code));
    }
    ExpectConsistent(FnPower(a, b, r, mode), r, "power");
    ExpectConsistent(FnRoot(a, b, r, mode), r, "root");
    ExpectConsistent(FnComplexDiv(a, b, r), r, "complex division");
    ExpectConsistent(FnComplexPow(a, b, r), r, "complex power");
    ExpectConsistent(FnFromPolar(&a[1], &b[1], mode.angleUnit, r), r, "from polar");
    int64_t p, q;
    if (FnDecimalToFraction(a, &p, &q)) {
      EXPECT_GT(q, 0);
    }
    mode.baseMode = uint8_t(rng() % 16);
    std::memset(r, 0, sizeof r);
    int rc = FnApplyPrefix(uint16_t(rng() % 2 ? rng() % 256 : 0x7F00 | rng() % 256), a, r, mode);
    if (rc != kFnMapElements) ExpectConsistent(rc, r, "prefix");
  }
}

}  // namespace
