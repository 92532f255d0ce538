// The complex functions: exact cancellations come out clean, the real-axis
// cases stay exact, and the core's hooks reach division and power.
#include <gtest/gtest.h>

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

enum Op { kDiv, kPow, kSqrt, kLn, kLog, kExp, kTenPow, kAbs, kArg };

struct ComplexCase {
  Op op;
  const char *are, *aim, *bre, *bim;
  const char *re, *im;
};

TEST(FunctionsComplex, Values) {
  const ComplexCase cases[] = {
      {kDiv, "1", "1", "1", "-1", "0", "1"},
      {kDiv, "3", "4", "0", "0", "E3", ""},
      {kDiv, "1", "0", "0", "2", "0", "-0.5"},
      {kPow, "1", "1", "2", "0", "0", "2"},
      {kPow, "0", "1", "2", "0", "-1", "0"},
      {kPow, "0", "1", "-1", "0", "0", "-1"},
      {kPow, "-8", "0", "1/3", "0", "1", "1.73205080756888"},
      {kPow, "0", "0", "2", "0", "0", "0"},
      {kPow, "0", "0", "0", "1", "E3", ""},
      {kPow, "0", "1", "0", "1", "0.207879576350762", "0"},
      {kSqrt, "-4", "0", "", "", "0", "2"},
      {kSqrt, "3", "-4", "", "", "2", "-1"},
      {kSqrt, "-3", "4", "", "", "1", "2"},
      {kLn, "-1", "0", "", "", "0", "3.14159265358979"},
      {kLn, "0.6", "0.8", "", "", "0", "0.927295218001612"},
      {kLn, "0", "0", "", "", "E3", ""},
      {kLog, "-100", "0", "", "", "2", "1.36437635384184"},
      {kExp, "0", "3.14159265358979", "", "", "-1", "3.23846264338328E-15"},
      {kExp, "231", "1", "", "", "E3", ""},
      {kExp, "0", "1E-40", "", "", "1", "1E-40"},
      {kLn, "1", "1E-20", "", "", "5E-41", "1E-20"},
      {kDiv, "0.1", "0.2", "0.2", "0.4", "0.5", "0"},
      {kTenPow, "0", "1", "", "", "-0.668201510190313", "0.743980336957493"},
      {kAbs, "3", "-4", "", "", "5", "0"},
      {kArg, "0", "1", "", "", "90", "0"},
      {kArg, "-1", "0", "", "", "180", "0"},
      {kArg, "-1", "-1", "", "", "-135", "0"},
      {kArg, "0", "0", "", "", "0", "0"},
  };
  for (const ComplexCase& c : cases) {
    BcdComplex a = C(c.are, c.aim);
    BcdComplex b{};
    if (c.bre[0]) b = C(c.bre, c.bim);
    BcdComplex r{};
    switch (c.op) {
      case kDiv:
        FnComplexDiv(&a.re, &b.re, &r.re);
        break;
      case kPow:
        FnComplexPow(&a.re, &b.re, &r.re);
        break;
      case kSqrt:
        FnComplexSqrt(&a.re, &r.re);
        break;
      case kLn:
        FnComplexLn(&a.re, &r.re);
        break;
      case kLog:
        FnComplexLog(&a.re, &r.re);
        break;
      case kExp:
        FnComplexExp(&a.re, &r.re);
        break;
      case kTenPow:
        FnComplexTenPow(&a.re, &r.re);
        break;
      case kAbs:
        FnComplexAbs(&a.re, &r.re);
        break;
      case kArg:
        FnComplexArg(&a.re, &r.re, kFnDegrees);
        break;
    }
    ExpectComplex(
        &r.re, c.re, c.im,
        "op " + std::to_string(c.op) + " of " + c.are + "," + c.aim + " " + c.bre + "," + c.bim);
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
