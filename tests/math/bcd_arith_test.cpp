// Arithmetic behaviour a user sees: rounding, range, error travel,
// comparisons, power, square root and complex pairs.
#include <gtest/gtest.h>

#include "math/bcd.h"
#include "math/bcd_test_util.h"

namespace {

BcdNumber Apply(int op, const char* a, const char* b) {
  BcdNumber x = N(a), y = N(b), r{};
  BcdBinary(op, &x, &y, &r);
  return r;
}

TEST(BcdArith, RoundingAndRangeExamples) {
  CheckBinary({
      {kBcdOpDiv, "2", "3", "0.666666666666667"},
      {kBcdOpDiv, "1", "3", "0.333333333333333"},
      {kBcdOpMul, "0.333333333333333", "3", "0.999999999999999"},
      {kBcdOpAdd, "9.99999999999999E+99", "1E+85", "E3"},
      {kBcdOpAdd, "9.99999999999999E+99", "4E+84", "9.99999999999999E+99"},
      {kBcdOpDiv, "1E-99", "10", "0"},
      {kBcdOpMul, "1E-50", "1E-50", "0"},
      {kBcdOpMul, "1E50", "1E50", "E3"},
      {kBcdOpDiv, "5", "0", "E3"},
      {kBcdOpDiv, "0", "0", "E3"},
      {kBcdOpAdd, "1", "1E-15", "1"},
      {kBcdOpAdd, "1", "5E-15", "1.00000000000001"},
      {kBcdOpAdd, "1.23456789012345", "1.23456789012345E-30", "1.23456789012345"},
      {kBcdOpSub, "1", "1E-30", "1"},
      {kBcdOpSub, "1", "5.00000000000001E-16", "0.999999999999999"},
      {kBcdOpSub, "-1", "-1", "0"},
      {kBcdOpAdd, "-2.5", "2.5", "0"},
      {kBcdOpSub, "1.00000000000001", "1", "1E-14"},
      {kBcdOpMul, "-1.5", "3.33333333333333", "-5"},
      {kBcdOpMul, "-1.5", "-0.000000000000001", "1.5E-15"},
  });
}

TEST(BcdArith, FirstErrorOperandWins) {
  BcdNumber e2 = Err(kBcdErrSyntax), e17 = Err(kBcdErrNonReal), one = N("1");
  for (int op : {kBcdOpAdd, kBcdOpSub, kBcdOpMul, kBcdOpDiv, kBcdOpPow, kBcdOpLt, kBcdOpAddC}) {
    BcdNumber r{};
    EXPECT_EQ(BcdBinary(op, &e2, &e17, &r), 0);
    EXPECT_EQ(BcdErrorCode(&r), kBcdErrSyntax) << op;
    BcdBinary(op, &one, &e17, &r);
    EXPECT_EQ(BcdErrorCode(&r), kBcdErrNonReal) << op;
    BcdBinary(op, &e17, &one, &r);
    EXPECT_EQ(BcdErrorCode(&r), kBcdErrNonReal) << op;
  }
  EXPECT_EQ(BcdCompare(kBcdOpEq, &one, &e2), -1);
}

TEST(BcdArith, ComparisonsInBothForms) {
  struct Case {
    const char *a, *b;
    int eq, ne, lt, gt, le, ge;
  } cases[] = {
      {"1", "2", 0, 1, 1, 0, 1, 0},
      {"-1", "-2", 0, 1, 0, 1, 0, 1},
      {"0", "-0", 1, 0, 0, 0, 1, 1},
      {"1E-5", "-1E5", 0, 1, 0, 1, 0, 1},
      {"3.00000000000001", "3", 0, 1, 0, 1, 0, 1},
      // the difference underflows, so the values are equal
      {"1.00000000000001E-99", "1E-99", 1, 0, 0, 0, 1, 1},
      {"9.99999999999999E99", "-9.99999999999999E99", 0, 1, 0, 1, 0, 1},
      {"1/2", "0.5", 1, 0, 0, 0, 1, 1},
      {"1/3", "1/2", 0, 1, 1, 0, 1, 0},
      {"-1/3", "-0.4", 0, 1, 0, 1, 0, 1},
  };
  for (const Case& c : cases) {
    BcdNumber a = N(c.a), b = N(c.b);
    const int want[6] = {c.eq, c.ne, c.lt, c.gt, c.le, c.ge};
    for (int op = kBcdOpEq; op <= kBcdOpGe; ++op) {
      EXPECT_EQ(BcdCompare(op, &a, &b), want[op - kBcdOpEq]) << c.a << " op" << op << " " << c.b;
      BcdNumber r;
      EXPECT_EQ(BcdCompareRecord(op, &a, &b, &r), 1);
      EXPECT_EQ(Hex(r), Hex(N(want[op - kBcdOpEq] ? "1" : "0"))) << c.a << " op" << op;
    }
  }
}

TEST(BcdArith, PowerCases) {
  CheckBinary({
      {kBcdOpPow, "2", "10", "1024"},
      {kBcdOpPow, "1.1", "2", "1.21"},
      {kBcdOpPow, "-3", "3", "-27"},
      {kBcdOpPow, "-3", "4", "81"},
      {kBcdOpPow, "4", "-1", "0.25"},
      {kBcdOpPow, "3", "-1", "0.333333333333333"},
      {kBcdOpPow, "5", "22", "2.38418579101563E15"},  // exactly half at the 16th digit
      {kBcdOpPow, "2", "0.5", "1.4142135623731"},
      {kBcdOpPow, "1.5", "2.5", "2.75567596063108"},
      {kBcdOpPow, "7", "0", "1"},
      {kBcdOpPow, "0", "3", "0"},
      {kBcdOpPow, "0", "0", "E3"},
      {kBcdOpPow, "0", "-2", "E3"},
      {kBcdOpPow, "10", "100", "E3"},
      {kBcdOpPow, "10", "-100", "0"},
      {kBcdOpPow, "-8", "0.5", "E17"},  // no real-root rule installed
      {kBcdOpPow, "1E99", "1E99", "E3"},
  });
}

TEST(BcdArith, RealRootHookDecidesNegativeBases) {
  BcdHooks hooks;
  // The rule sees the exponent as given: a fraction stays a fraction.
  hooks.realRoot = [](const BcdNumber* x, const BcdNumber* y, BcdNumber* r) {
    EXPECT_EQ(Hex(*x), Hex(N("-8")));
    EXPECT_TRUE(BcdIsFraction(y) || Hex(*y) == Hex(N("0.333333333333333")));
    BcdFromText(r, "-2");
    return 1;
  };
  BcdSetHooks(hooks);
  BcdNumber r = Apply(kBcdOpPow, "-8", "0.333333333333333");
  BcdNumber fromFraction = Apply(kBcdOpPow, "-8", "1/3");
  BcdSetHooks(BcdHooks{});
  EXPECT_EQ(Hex(r), Hex(N("-2")));
  EXPECT_EQ(Hex(fromFraction), Hex(N("-2")));
}

TEST(BcdArith, SquareRoot) {
  struct Case {
    const char* x;
    const char* want;
  } cases[] = {
      {"2", "1.4142135623731"},
      {"0.5", "0.707106781186548"},
      {"0.25", "0.5"},
      {"1E-99", "3.16227766016838E-50"},
      {"9.99999999999999E99", "9.99999999999999E49"},
      {"0", "0"},
      {"4/9", "2/3"},
      {"1/2", "0.707106781186548"},
  };
  for (const Case& c : cases) {
    BcdNumber x = N(c.x), r;
    BcdSqrt(&x, &r);
    EXPECT_EQ(Hex(r), Hex(N(c.want))) << c.x;
  }
  for (const char* bad : {"-1", "-1/4"}) {
    BcdNumber x = N(bad), r;
    EXPECT_EQ(BcdSqrt(&x, &r), 0);
    EXPECT_EQ(BcdErrorCode(&r), kBcdErrMa) << bad;
  }
}

TEST(BcdArith, NegateAndAbsolute) {
  struct Case {
    const char *x, *neg, *abs;
  } cases[] = {
      {"1.5", "-1.5", "1.5"}, {"-1E-99", "1E-99", "1E-99"}, {"0", "0", "0"},
      {"3/4", "-3/4", "3/4"}, {"-3/4", "3/4", "3/4"},
  };
  for (const Case& c : cases) {
    BcdNumber x = N(c.x), r;
    BcdNeg(&x, &r);
    EXPECT_EQ(Hex(r), Hex(N(c.neg))) << c.x;
    BcdAbs(&x, &r);
    EXPECT_EQ(Hex(r), Hex(N(c.abs))) << c.x;
  }
}

TEST(BcdComplexPairs, ArithmeticAndStorage) {
  BcdComplex a = C("1", "2"), b = C("3", "-2"), c = C("3", "4"), r{};
  EXPECT_TRUE(BcdIsComplex(&a.re));
  EXPECT_FALSE(BcdIsComplex(&a.im));
  BcdComplexAdd(&a.re, &b.re, &r.re);  // the imaginary parts cancel
  EXPECT_FALSE(BcdIsComplex(&r.re));
  EXPECT_EQ(Hex(r.re), Hex(N("4")));
  BcdComplexMul(&a.re, &c.re, &r.re);  // (1+2i)(3+4i) = -5+10i
  BcdComplex want = C("-5", "10");
  EXPECT_EQ(Hex(r.re), Hex(want.re));
  EXPECT_EQ(Hex(r.im), Hex(want.im));
  BcdBinary(kBcdOpSubC, &c.re, &a.re, &r.re);
  want = C("2", "2");
  EXPECT_EQ(Hex(r.re), Hex(want.re));
  EXPECT_EQ(Hex(r.im), Hex(want.im));
  // a real record reads as imaginary part 0
  BcdNumber two = N("2");
  BcdComplexMul(&two, &a.re, &r.re);
  want = C("2", "4");
  EXPECT_EQ(Hex(r.re), Hex(want.re));
  EXPECT_EQ(Hex(r.im), Hex(want.im));
}

TEST(BcdComplexPairs, EqualityAndSplit) {
  BcdComplex a = C("1", "2"), b = C("1", "2"), c = C("1", "3");
  BcdNumber one = N("1");
  EXPECT_EQ(BcdComplexEqual(&a.re, &b.re), 1);
  EXPECT_EQ(BcdComplexNotEqual(&a.re, &b.re), 0);
  EXPECT_EQ(BcdComplexEqual(&a.re, &c.re), 0);
  EXPECT_EQ(BcdComplexNotEqual(&a.re, &c.re), 1);
  EXPECT_EQ(BcdComplexEqual(&a.re, &one), 0);
  BcdNumber r;
  EXPECT_EQ(BcdBinary(kBcdOpEq, &a.re, &b.re, &r), 1);
  EXPECT_EQ(Hex(r), Hex(N("1")));
  EXPECT_EQ(BcdBinary(kBcdOpLt, &a.re, &b.re, &r), 0);  // no order on complex values
  BcdNumber re, im;
  BcdComplexSplit(&c.re, &re, &im);
  EXPECT_EQ(Hex(re), Hex(N("1")));
  EXPECT_EQ(Hex(im), Hex(N("3")));
  BcdComplexSplit(&one, &re, &im);
  EXPECT_EQ(Hex(im), Hex(N("0")));
}

TEST(BcdDispatch, ReferencesGoToTheHook) {
  BcdNumber list{}, one = N("1"), r{};
  list.bytes[0] = 0x20;
  EXPECT_EQ(BcdBinary(kBcdOpAdd, &list, &one, &r), 0);
  EXPECT_EQ(BcdErrorCode(&r), kBcdErrMa);
  BcdHooks hooks;
  hooks.reference = [](int op, const BcdNumber*, const BcdNumber*, BcdNumber* out) {
    BcdError(out, op == kBcdOpAdd ? kBcdErrDimension : kBcdErrMa);
    return 0;
  };
  BcdSetHooks(hooks);
  BcdBinary(kBcdOpAdd, &one, &list, &r);
  BcdSetHooks(BcdHooks{});
  EXPECT_EQ(BcdErrorCode(&r), kBcdErrDimension);
}

}  // namespace
