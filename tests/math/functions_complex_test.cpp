// The complex functions: exact cancellations come out clean, the real-axis
// cases stay exact, and the core's hooks reach division and power.
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "math/bcd_test_util.h"
#include "math/functions.h"

namespace {

// Checks a complex (or real) result against two texts; "E<code>" for an error.
void ExpectComplex(const BcdNumber* r, const char* re, const char* im, const std::string& what) {
  if (re[0] == 'E') {
    EXPECT_EQ(BcdErrorCode(r), std::atoi(re + 1)) << what;
    return;
  }
  BcdNumber a, b;
  BcdComplexSplit(r, &a, &b);
  ExpectValue(a, re, what + " (real part)");
  ExpectValue(b, im, what + " (imaginary part)");
  // A zero imaginary part is stored as a real record.
  EXPECT_EQ(BcdIsComplex(r), !BcdIsZero(&b)) << what;
}

int ArgInDegrees(const BcdNumber* z, BcdNumber* r) {
  return FnComplexArg(z, r, kFnDegrees);
}

TEST(FunctionsComplex, BinaryValues) {
  const struct {
    int (*fn)(const BcdNumber*, const BcdNumber*, BcdNumber*);
    const char *are, *aim, *bre, *bim, *re, *im;
  } cases[] = {
      {FnComplexDiv, "1", "1", "1", "-1", "0", "1"},
      {FnComplexDiv, "3", "4", "0", "0", "E3", ""},
      {FnComplexDiv, "1", "0", "0", "2", "0", "-0.5"},
      {FnComplexDiv, "0.1", "0.2", "0.2", "0.4", "0.5", "0"},
      {FnComplexPow, "1", "1", "2", "0", "0", "2"},
      {FnComplexPow, "0", "1", "2", "0", "-1", "0"},
      {FnComplexPow, "0", "1", "-1", "0", "0", "-1"},
      {FnComplexPow, "-8", "0", "1/3", "0", "1", "1.73205080756888"},
      {FnComplexPow, "0", "0", "2", "0", "0", "0"},
      {FnComplexPow, "0", "0", "0", "1", "E3", ""},
      {FnComplexPow, "0", "1", "0", "1", "0.207879576350762", "0"},
  };
  for (const auto& c : cases) {
    BcdComplex a = C(c.are, c.aim), b = C(c.bre, c.bim), r{};
    c.fn(&a.re, &b.re, &r.re);
    ExpectComplex(&r.re, c.re, c.im,
                  std::string(c.are) + "," + c.aim + " and " + c.bre + "," + c.bim);
  }
}

TEST(FunctionsComplex, UnaryValues) {
  const struct {
    int (*fn)(const BcdNumber*, BcdNumber*);
    const char *are, *aim, *re, *im;
  } cases[] = {
      {FnComplexSqrt, "-4", "0", "0", "2"},
      {FnComplexSqrt, "3", "-4", "2", "-1"},
      {FnComplexSqrt, "-3", "4", "1", "2"},
      {FnComplexLn, "-1", "0", "0", "3.14159265358979"},
      {FnComplexLn, "0.6", "0.8", "0", "0.927295218001612"},
      {FnComplexLn, "0", "0", "E3", ""},
      {FnComplexLn, "1", "1E-20", "5E-41", "1E-20"},
      {FnComplexLog, "-100", "0", "2", "1.36437635384184"},
      {FnComplexExp, "0", "3.14159265358979", "-1", "3.23846264338328E-15"},
      {FnComplexExp, "231", "1", "E3", ""},
      {FnComplexExp, "0", "1E-40", "1", "1E-40"},
      {FnComplexTenPow, "0", "1", "-0.668201510190313", "0.743980336957493"},
      {FnComplexAbs, "3", "-4", "5", "0"},
      {ArgInDegrees, "0", "1", "90", "0"},
      {ArgInDegrees, "-1", "0", "180", "0"},
      {ArgInDegrees, "-1", "-1", "-135", "0"},
      {ArgInDegrees, "0", "0", "0", "0"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    BcdComplex a = C(cases[i].are, cases[i].aim), r{};
    cases[i].fn(&a.re, &r.re);
    ExpectComplex(&r.re, cases[i].re, cases[i].im, "row " + std::to_string(i));
  }
}

TEST(FunctionsComplex, PolarFormBothWays) {
  BcdNumber m = N("2"), t = N("90"), z[2];
  FnFromPolar(&m, &t, kFnDegrees, z);
  ExpectComplex(z, "0", "2", "2 at 90 degrees");
  t = N("45");
  FnFromPolar(&m, &t, kFnDegrees, z);
  ExpectComplex(z, "1.4142135623731", "1.4142135623731", "2 at 45 degrees");
  t = N("1E-40");
  FnFromPolar(&m, &t, kFnRadians, z);
  ExpectComplex(z, "2", "2E-40", "2 at 1E-40 radians");
  t = N("-100");
  FnFromPolar(&m, &t, kFnGrads, z);
  ExpectComplex(z, "0", "-2", "2 at -100 grads");
  BcdComplex w = C("-2", "0");
  BcdNumber mod, arg;
  FnToPolar(&w.re, &mod, &arg, kFnGrads);
  ExpectValue(mod, "2", "modulus of -2");
  ExpectValue(arg, "200", "argument of -2");
}

TEST(FunctionsComplex, UnaryOnComplexOperands) {
  FnMode mode;
  mode.complexMode = kFnRectangular;
  struct Case {
    int code;
    const char *re, *im, *wantRe, *wantIm;
  } cases[] = {
      {kFnInt, "2.5", "-1.5", "2", "-1"},
      {kFnIntg, "2.5", "-1.5", "2", "-2"},
      {kFnFrac, "2.5", "-1.5", "0.5", "-0.5"},
      {kFnConjg, "1", "2", "1", "-2"},
      {kFnNeg, "1", "-2", "-1", "2"},
      {kFnAbs, "-5", "12", "13", "0"},
      {kFnSin, "1", "1", "E3", ""},
      {kFnAtanh, "0", "1", "E3", ""},
      {kFnCubeRoot, "0", "8", "1.73205080756888", "1"},
  };
  for (const Case& c : cases) {
    BcdComplex z = C(c.re, c.im);
    BcdComplex r{};
    FnUnary(c.code, &z.re, &r.re, mode);
    ExpectComplex(&r.re, c.wantRe, c.wantIm, "code " + std::to_string(c.code));
  }
}

TEST(FunctionsComplex, CoreHooksReachDivisionPowerAndRealRoot) {
  BcdHooks saved = BcdGetHooks();
  FnInstallHooks();
  BcdComplex a = C("1", "1"), b = C("1", "-1"), r{};
  BcdDiv(&a.re, &b.re, &r.re);
  ExpectComplex(&r.re, "0", "1", "(1+i)/(1-i)");
  BcdNumber two = N("2");
  BcdPow(&a.re, &two, &r.re);
  ExpectComplex(&r.re, "0", "2", "(1+i)^2");
  BcdNumber x = N("-8"), y = N("0.333333333333333"), p;
  BcdPow(&x, &y, &p);
  ExpectValue(p, "-2", "(-8)^(1/3) through the core");
  BcdSetHooks(saved);
}

}  // namespace
