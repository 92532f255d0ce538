// The exact fraction path: results that stay fractions, reduce to integers,
// or fall back to decimals, and malformed records.
#include <gtest/gtest.h>

#include "math/bcd.h"
#include "math/bcd_test_util.h"

namespace {

TEST(BcdFraction, PathResults) {
  CheckBinary({
      {kBcdOpAdd, "1/3", "1/6", "1/2"},
      {kBcdOpSub, "1/3", "1/2", "-1/6"},
      {kBcdOpSubC, "1/2", "1/2", "0"},
      {kBcdOpAddC, "1/3", "2/3", "1"},
      {kBcdOpMul, "1/3", "3", "1"},
      {kBcdOpMul, "-2/3", "3/4", "-1/2"},
      {kBcdOpDiv, "1/3", "2", "1/6"},
      {kBcdOpDiv, "4", "1/3", "12"},
      {kBcdOpDiv, "1/3", "0", "E3"},
      {kBcdOpAdd, "1/3", "0.5", "0.833333333333333"},            // a non-integer decimal
      {kBcdOpAdd, "1/99999999", "1/99999998", "2.00000003E-8"},  // does not fit
      {kBcdOpMul, "1/3", "1E20", "3.33333333333333E19"},         // integer beyond 15 digits
      {kBcdOpPow, "1/4", "0.5", "1/2"},
      {kBcdOpPow, "1/2", "0.3", "0.812252396356236"},
      {kBcdOpPow, "2/3", "2", "4/9"},
      {kBcdOpPow, "2/3", "-2", "9/4"},
      {kBcdOpPow, "-2/3", "3", "-8/27"},
      {kBcdOpPow, "4", "1/2", "2"},
      {kBcdOpPow, "-1/8", "1/2", "E17"},  // negative base, no real-root rule here
  });
}

TEST(BcdFraction, StoredForm) {
  // 1/2 packs as nibbles 1 A | 2 | 1 A 2; a negative one carries 6 in nibble 0.
  EXPECT_EQ(Hex(N("1/2")), Hex(Bytes({0x1A, 0x21, 0xA2})));
  EXPECT_EQ(Hex(N("-1/2")), Hex(Bytes({0x6A, 0x21, 0xA2})));
  EXPECT_EQ(Hex(N("12/35")), Hex(Bytes({0x1A, 0x41, 0x2A, 0x35})));
  BcdNumber half = N("2/4");
  EXPECT_TRUE(BcdIsFraction(&half));
  EXPECT_EQ(Hex(N("2/4")), Hex(N("1/2")));  // reduced
  EXPECT_EQ(Hex(N("6/3")), Hex(N("2")));    // an integer is stored as one
}

TEST(BcdFraction, MixedFormReadsWithItsWholePart) {
  BcdNumber mixed = Bytes({0x1A, 0x41, 0xA1, 0xA2});  // 1 1/2
  BcdNumber half = N("1/2"), r;
  BcdAdd(&mixed, &half, &r);
  EXPECT_EQ(Hex(r), Hex(N("2")));
  BcdFractionToDecimal(&mixed, &r);
  EXPECT_EQ(Hex(r), Hex(N("1.5")));
}

TEST(BcdFraction, MalformedRecordsAreError3) {
  BcdNumber one = N("1");
  const BcdNumber bad[] = {
      Bytes({0x1A, 0x21, 0x23}),        // no separator
      Bytes({0x1A, 0x21, 0xA0}),        // zero denominator
      Bytes({0x1A, 0x1A, 0x3}),         // separator first
      Bytes({0x1A, 0xF1, 0xA3}),        // 16 nibbles
      Bytes({0x1A, 0x41, 0xAA, 0x30}),  // empty part
      Bytes({0x3A, 0x21, 0xA3}),        // sign nibble 3 is a matrix, not a fraction
  };
  for (const BcdNumber& x : bad) {
    BcdNumber r{};
    EXPECT_EQ(BcdAdd(&x, &one, &r), 0) << Hex(x);
    EXPECT_EQ(BcdErrorCode(&r), kBcdErrMa) << Hex(x);
  }
}

TEST(BcdFraction, MixedAndImproperForms) {
  const BcdNumber mixed53 = Bytes({0x1A, 0x41, 0xA2, 0xA3});  // 1 2/3
  struct Case {
    BcdNumber x;
    bool mixed;
    int ok;
    BcdNumber want;
  } cases[] = {
      {N("5/3"), true, 1, mixed53},
      {mixed53, false, 1, N("5/3")},
      {N("-5/3"), true, 1, Bytes({0x6A, 0x41, 0xA2, 0xA3})},
      {N("2/3"), true, 1, N("2/3")},  // a proper fraction has one form
      {N("5/3"), false, 1, N("5/3")},
      // The whole part and its separator must fit the 15 nibbles too.
      {N("1234567/1234568"), true, 1, N("1234567/1234568")},
      {N("2345678/1234567"), true, 0, N("0")},
      {N("1.5"), true, 0, N("0")},  // not a fraction
  };
  for (const Case& c : cases) {
    BcdNumber out = N("0");
    EXPECT_EQ(BcdFractionForm(&c.x, c.mixed, &out), c.ok) << Hex(c.x);
    EXPECT_EQ(Hex(out), Hex(c.want)) << Hex(c.x);
  }
}

TEST(BcdFraction, BuildFromParts) {
  BcdNumber two = N("2"), one = N("1"), four = N("4"), zero = N("0"), half = N("0.5"), r;
  EXPECT_EQ(BcdFractionBuild(&two, &one, &four, &r), 1);
  EXPECT_EQ(Hex(r), Hex(N("9/4")));
  EXPECT_EQ(BcdFractionBuild(nullptr, &two, &four, &r), 1);
  EXPECT_EQ(Hex(r), Hex(N("1/2")));
  EXPECT_EQ(BcdFractionBuild(nullptr, &one, &zero, &r), 0);
  EXPECT_EQ(BcdErrorCode(&r), kBcdErrMa);
  EXPECT_EQ(BcdFractionBuild(nullptr, &half, &two, &r), 0);
  EXPECT_EQ(BcdErrorCode(&r), kBcdErrSyntax);
  BcdNumber big = N("1234567"), big2 = N("7654321");  // 15 nibbles exactly
  EXPECT_EQ(BcdFractionBuild(nullptr, &big, &big2, &r), 1);
  EXPECT_TRUE(BcdIsFraction(&r));
  BcdNumber huge = N("1234567891"), huge2 = N("9876543211");
  EXPECT_EQ(BcdFractionBuild(nullptr, &huge, &huge2, &r), 1);  // does not fit: a decimal
  EXPECT_FALSE(BcdIsFraction(&r));
  EXPECT_EQ(Hex(r), Hex(N("0.124999998949531")));
}

}  // namespace
