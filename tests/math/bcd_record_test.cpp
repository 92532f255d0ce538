// The record as a storage format: byte layout, kinds, constants, the working
// form and its packing rules.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "math/bcd.h"
#include "math/bcd_test_util.h"
#include "math/bcd_work.h"

namespace {

TEST(BcdRecord, ByteLayoutOfKnownValues) {
  struct Case {
    const char* text;
    BcdConstant constant;
    BcdNumber bytes;
  } cases[] = {
      {"1", kBcdOne, Bytes({0x10, 0x01})},
      {"2", kBcdTwo, Bytes({0x10, 0x02})},
      {"0.5", kBcdHalf, Bytes({0x09, 0x95})},
      {"10", kBcdTen, Bytes({0x10, 0x11})},
      {"32767", kBcdInt16Max, Bytes({0x10, 0x43, 0x27, 0x67})},
      {"-32768", kBcdInt16Min, Bytes({0x60, 0x43, 0x27, 0x68})},
      {"2147483647", kBcdInt32Max, Bytes({0x10, 0x92, 0x14, 0x74, 0x83, 0x64, 0x70})},
      {"9.99999999999999E+99", kBcdMaxValue,
       Bytes({0x19, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99})},
      {"-9.99E+99", kBcdNegLargeLimit, Bytes({0x69, 0x99, 0x99})},
      {"1/3", kBcdOneThird, Bytes({0x1A, 0x21, 0xA3})},
  };
  for (const Case& c : cases) {
    BcdNumber k;
    std::memset(&k, 0x55, sizeof k);  // constructors clear bytes 9-11
    BcdConst(&k, c.constant);
    EXPECT_EQ(Hex(k), Hex(c.bytes)) << c.text;
    EXPECT_EQ(Hex(N(c.text)), Hex(c.bytes)) << c.text;
  }
}

TEST(BcdRecord, ConstantsHoldTheirDigits) {
  struct Case {
    BcdConstant constant;
    const char* text;
  } cases[] = {
      {kBcdPi, "3.1415926535898"},       {kBcdTwoPi, "6.2831853071796"},
      {kBcdLn10, "2.30258509299405"},    {kBcdLn2, "0.693147180559945"},
      {kBcdSqrt2, "1.4142135623731"},    {kBcdHalfSqrt2, "0.707106781186548"},
      {kBcdSqrtTwoPi, "2.506628274631"}, {kBcdTwoPow16, "65536"},
      {kBcdInt32Min, "-2147483648"},     {kBcdTwoPow32, "4294967296"},
      {kBcdLargeLimit, "9.99E99"},       {kBcdFive, "5"},
  };
  for (const Case& c : cases) {
    BcdNumber k;
    BcdConst(&k, c.constant);
    EXPECT_EQ(Hex(k), Hex(N(c.text))) << c.text;
  }
}

TEST(BcdRecord, KindAndSignTests) {
  struct Case {
    BcdNumber x;
    int kind, sign;
    bool fraction;
  } cases[] = {
      {Bytes({0x10, 0x01}), kBcdKindScalar, 0, false},
      {Bytes({0x90, 0x01}), kBcdKindScalar, 1, false},  // complex flag
      {Bytes({0xF0, 0x03}), kBcdKindError, -1, false},
      {Bytes({0xF5, 0x09}), kBcdKindError, -1, false},
      {Bytes({0x20, 0x00, 0x05}), kBcdKindList, 0, false},
      {Bytes({0xA0, 0x00, 0x05}), kBcdKindList, 1, false},
      {Bytes({0x30, 0x00, 0x02}), kBcdKindMatrix, 0, false},
      {Bytes({0xB0, 0x00, 0x02}), kBcdKindMatrix, 1, false},
      {Bytes({0x1A, 0x21, 0xA3}), kBcdKindScalar, 0, true},
      {Bytes({0x6A, 0x21, 0xA3}), kBcdKindScalar, 0, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BcdKind(&c.x), c.kind) << Hex(c.x);
    EXPECT_EQ(BcdSignTest(&c.x), c.sign) << Hex(c.x);
    EXPECT_EQ(BcdIsFraction(&c.x), c.fraction) << Hex(c.x);
  }
}

TEST(BcdRecord, ErrorValueWritesOnlyTwoBytes) {
  BcdNumber x = N("123.456");
  BcdNumber before = x;
  BcdError(&x, 17);
  EXPECT_EQ(x.bytes[0], 0xF0);
  EXPECT_EQ(BcdErrorCode(&x), 17);
  EXPECT_EQ(0, std::memcmp(x.bytes + 2, before.bytes + 2, 10));
  EXPECT_EQ(BcdErrorCode(&before), 0);
}

TEST(BcdRecord, ZeroLeadingDigitReadsAsZero) {
  // Byte 0 says "positive, exponent 0", but d1 is 0: the record is zero
  // whatever its other nibbles hold.
  BcdNumber odd = Bytes({0x10, 0x00, 0x77, 0x12});
  BcdNumber one = N("1"), r;
  EXPECT_TRUE(BcdIsZero(&odd));
  BcdAdd(&one, &odd, &r);
  EXPECT_EQ(Hex(r), Hex(one));
  BcdMul(&one, &odd, &r);
  EXPECT_EQ(Hex(r), Hex(BcdNumber{}));
}

TEST(BcdRecord, UnreadableDigitsAreError3) {
  BcdNumber bad = Bytes({0x10, 0x1C});  // d1 = 0xC
  BcdNumber one = N("1"), r;
  EXPECT_EQ(BcdAdd(&one, &bad, &r), 0);
  EXPECT_EQ(BcdErrorCode(&r), kBcdErrMa);
  BcdNumber badSign = Bytes({0x40, 0x11});  // sign nibble 4
  EXPECT_EQ(BcdMul(&badSign, &one, &r), 0);
  EXPECT_EQ(BcdErrorCode(&r), kBcdErrMa);
}

TEST(BcdRecord, IntegerTest) {
  struct Case {
    const char* text;
    bool integer;
  } cases[] = {
      {"0", true},    {"7", true},    {"-123456789012345", true},  {"1E+20", true},
      {"1.5", false}, {"0.1", false}, {"123456789012.001", false}, {"-2.5E-50", false},
      {"4/2", true},  {"1/3", false}, {"12345678901234.5", false}, {"1E14", true},
  };
  for (const Case& c : cases) {
    BcdNumber x = N(c.text);
    EXPECT_EQ(BcdIsInteger(&x), c.integer) << c.text;
  }
}

TEST(BcdRecord, TextReadingRoundsAndRanges) {
  struct Case {
    const char* in;
    const char* same_as;
  } cases[] = {
      {"1.0000000000000049", "1"},
      {"1.000000000000005", "1.00000000000001"},
      {"-0.00012345678901234567", "-1.23456789012346E-4"},
      {"99999999999999950", "1E17"},
      {"9.999999999999995E-100", "1E-99"},
      {"9.999999999999994E-100", "0"},
      {"000.000", "0"},
  };
  for (const Case& c : cases) EXPECT_EQ(Hex(N(c.in)), Hex(N(c.same_as))) << c.in;
  BcdNumber r;
  BcdFromText(&r, "9.999999999999995E99");
  EXPECT_EQ(BcdErrorCode(&r), kBcdErrMa);
  for (const char* bad : {"", "1..2", "1E", "abc", "1E+1234567", "--1"}) {
    EXPECT_FALSE(BcdFromText(&r, bad)) << bad;
    EXPECT_EQ(BcdErrorCode(&r), kBcdErrSyntax);
  }
}

TEST(BcdWorkForm, UnpackPutsTheDigitsAtTheTopOf23Places) {
  BcdNumber x = N("-1.23456789012345E-7");
  BcdWork w;
  ASSERT_EQ(BcdUnpack(&x, &w), 0);
  EXPECT_TRUE(w.neg);
  EXPECT_EQ(w.exp, -7);
  EXPECT_TRUE(w.mant == (unsigned __int128)123456789012345ull * 100000000ull);
  BcdNumber back;
  ASSERT_EQ(BcdPack(&w, &back), 1);
  EXPECT_EQ(Hex(back), Hex(x));
  BcdNumber e = Err(9);
  EXPECT_EQ(BcdUnpack(&e, &w), 9);
}

TEST(BcdWorkForm, PackingRoundsAndAppliesTheRange) {
  const unsigned __int128 k1e22 = (unsigned __int128)10000000000000000000ull * 1000;
  struct Case {
    unsigned __int128 mant;
    int exp;
    const char* want;  // a text, or "E3"
  } cases[] = {
      {k1e22 + 49999999, 0, "1"},                 // guard digits below half
      {k1e22 + 50000000, 0, "1.00000000000001"},  // exactly half: away from zero
      {k1e22 * 10 - 1, 0, "10"},                  // the carry adds a digit
      {k1e22 * 123, 5, "1.23E7"},                 // unnormalised input
      {k1e22, 99, "1E99"},
      {k1e22, 100, "E3"},
      {k1e22 * 10 - 1, 99, "E3"},  // rounds up to 1E100
      {k1e22, -99, "1E-99"},
      {k1e22, -100, "0"},
      {k1e22 * 10 - 1, -100, "1E-99"},  // rounds up back into range
      {0, 50, "0"},
  };
  for (const Case& c : cases) {
    BcdWork w;
    w.mant = c.mant;
    w.exp = c.exp;
    BcdNumber r;
    int ok = BcdPack(&w, &r);
    EXPECT_EQ(ok, c.want[0] == 'E' ? 0 : 1) << c.exp;
    ExpectValue(r, c.want, std::to_string(c.exp));
  }
}

TEST(BcdWorkForm, LongDoubleConversions) {
  struct Case {
    long double v;
    const char* want;
  } cases[] = {
      {0.1L, "0.1"},
      {1.0L / 3, "0.333333333333333"},
      {-2.0L / 3, "-0.666666666666667"},
      {1e99L, "1E99"},
      {1e100L, "E3"},
      {1e-100L, "0"},
      {0.0L, "0"},
      {HUGE_VALL, "E3"},
  };
  for (const Case& c : cases) {
    BcdNumber r;
    BcdFromLongDouble(c.v, &r);
    ExpectValue(r, c.want, c.want);
  }
  BcdNumber x = N("-1.5E-30");
  EXPECT_NEAR(double(BcdToLongDouble(&x)), -1.5e-30, 1e-44);
  BcdNumber third = N("1/3");
  EXPECT_NEAR(double(BcdToLongDouble(&third)), 1.0 / 3, 1e-15);
}

}  // namespace
