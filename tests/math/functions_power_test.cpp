// The power operator with the real-root rule, the x-root operator and the
// decimal to fraction conversion.
#include <gtest/gtest.h>

#include <string>

#include "math/bcd_test_util.h"
#include "math/functions.h"

namespace {

struct PowerCase {
  int complexMode;
  const char *x, *y, *want;  // want: text or E<code>; complex results are tested elsewhere
};

TEST(FunctionsPower, RealRootRuleAndEdges) {
  const PowerCase cases[] = {
      {kFnReal, "-8", "1/3", "-2"},
      {kFnReal, "-8", "0.333333333333333", "-2"},
      {kFnReal, "-8", "2/3", "4"},
      {kFnReal, "-8", "0.666666666666667", "4"},
      {kFnReal, "-32", "0.2", "-2"},
      {kFnReal, "-32", "-0.2", "-0.5"},
      {kFnReal, "-4", "0.5", "E17"},
      {kFnReal, "-8", "0.25", "E17"},
      {kFnReal, "-2", "1E-30", "E17"},
      {kFnReal, "-2", "3", "-8"},
      {kFnReal, "-2", "-3", "-0.125"},
      {kFnReal, "-2", "2", "4"},
      {kFnReal, "0", "0", "E3"},
      {kFnReal, "0", "-1", "E3"},
      {kFnReal, "0", "2.5", "0"},
      {kFnReal, "7", "0", "1"},
      {kFnReal, "2", "-1", "0.5"},
      {kFnReal, "2", "0.5", "1.4142135623731"},
      {kFnReal, "1/4", "0.5", "1/2"},
      {kFnReal, "2/3", "2", "4/9"},
      {kFnReal, "1/3", "0.5", "0.577350269189626"},
      {kFnReal, "2/3", "60", "2.71972163893643E-11"},
      {kFnReal, "8", "1/3", "2"},
      {kFnReal, "10", "100", "E3"},
      {kFnReal, "10", "-100", "0"},
      {kFnReal, "2", "-400", "0"},
      {kFnReal, "0.5", "22", "2.38418579101563E-7"},
      {kFnReal, "1.5", "200", "1.65291991078821E+35"},
      {kFnReal, "9.99999999999999E+99", "1", "9.99999999999999E+99"},
      // In the complex modes a negative base takes the complex power.
      {kFnRectangular, "-4", "0.5", "E-complex"},
      {kFnPolar, "-2", "3", "-8"},
  };
  for (const PowerCase& c : cases) {
    BcdNumber x[2] = {N(c.x)}, y[2] = {N(c.y)}, r[2] = {};
    FnMode mode;
    mode.complexMode = uint8_t(c.complexMode);
    FnPower(x, y, r, mode);
    std::string what = std::string(c.x) + " ^ " + c.y;
    if (std::string(c.want) == "E-complex") {
      EXPECT_TRUE(BcdIsComplex(r)) << what;
      continue;
    }
    ExpectValue(r[0], c.want, what);
  }
}

TEST(FunctionsPower, ErrorOperandsFirstOperandFirst) {
  BcdNumber a[2] = {Err(2)}, b[2] = {Err(3)}, r[2] = {};
  FnPower(a, b, r, FnMode{});
  EXPECT_EQ(BcdErrorCode(r), 2);
  FnPower(b, a, r, FnMode{});
  EXPECT_EQ(BcdErrorCode(r), 3);
  BcdNumber list[2] = {Bytes({0x20, 0, 2, 0, 1})}, two[2] = {N("2")};
  FnPower(list, two, r, FnMode{});
  EXPECT_EQ(BcdErrorCode(r), 3);
}

TEST(FunctionsPower, RootOperator) {
  const struct {
    const char *n, *x, *want;
  } cases[] = {
      {"3", "-8", "-2"},  {"3", "27", "3"},
      {"-2", "4", "0.5"}, {"2", "-8", "E17"},
      {"0", "5", "E3"},   {"5", "0", "0"},
      {"0.5", "3", "9"},  {"4", "1E-99", "1.77827941003892E-25"},
  };
  for (const auto& c : cases) {
    BcdNumber n[2] = {N(c.n)}, x[2] = {N(c.x)}, r[2] = {};
    FnRoot(n, x, r, FnMode{});
    ExpectValue(r[0], c.want, std::string(c.n) + " root " + c.x);
  }
}

TEST(FunctionsPower, DecimalToFraction) {
  const struct {
    const char* x;
    bool found;
    int64_t p, q;
  } cases[] = {
      {"0.333333333333333", true, 1, 3},
      {"0.666666666666667", true, 2, 3},
      {"-0.2", true, -1, 5},
      {"0.142857142857143", true, 1, 7},
      {"12", true, 12, 1},
      {"1.25", true, 5, 4},
      {"2/6", true, 1, 3},
      {"0.123456789012345", true, 5486966, 44444425},
      {"1E-30", false, 0, 0},
      {"1E30", false, 0, 0},
  };
  for (const auto& c : cases) {
    BcdNumber x = N(c.x);
    int64_t p = 0, q = 0;
    EXPECT_EQ(FnDecimalToFraction(&x, &p, &q), c.found) << c.x;
    if (c.found) {
      EXPECT_EQ(p, c.p) << c.x;
      EXPECT_EQ(q, c.q) << c.x;
    }
  }
  BcdNumber e = Err(5);
  int64_t p, q;
  EXPECT_FALSE(FnDecimalToFraction(&e, &p, &q));
}

}  // namespace
