// The real functions' boundaries and error codes, exact angles, and the
// prefix table's kind, mode and Base-N rules.
#include <gtest/gtest.h>

#include <string>

#include "math/bcd_test_util.h"
#include "math/bcd_text.h"
#include "math/functions.h"

namespace {

FnMode Mode(int unit, int complexMode = kFnReal, int base = kBcdBaseNone) {
  FnMode m;
  m.angleUnit = uint8_t(unit);
  m.complexMode = uint8_t(complexMode);
  m.baseMode = uint8_t(base);
  return m;
}

struct UnaryCase {
  int code;
  int unit;
  const char* x;
  const char* want;  // text, or E<code>
};

TEST(FunctionsReal, ValuesAndDomainEnds) {
  const UnaryCase cases[] = {
      // Exact angles in degrees and grads, and the quarter turns of tan.
      {kFnSin, kFnDegrees, "30", "0.5"},
      {kFnCos, kFnDegrees, "60", "0.5"},
      {kFnCos, kFnDegrees, "90", "0"},
      {kFnSin, kFnDegrees, "-180", "0"},
      {kFnTan, kFnDegrees, "45", "1"},
      {kFnTan, kFnDegrees, "-135", "1"},
      {kFnTan, kFnDegrees, "90", "E3"},
      {kFnTan, kFnDegrees, "-270", "E3"},
      {kFnSin, kFnGrads, "200", "0"},
      {kFnTan, kFnGrads, "100", "E3"},
      {kFnCos, kFnGrads, "50", "0.707106781186548"},
      // Huge angles are reduced exactly: 10^99 degrees is 280 degrees.
      {kFnSin, kFnDegrees, "1E99", "-0.984807753012208"},
      {kFnSin, kFnRadians, "1E22", "-0.852200849767189"},
      {kFnSin, kFnRadians, "3.14159265358979", "3.23846264338328E-15"},
      {kFnSin, kFnRadians, "314159265358979", "-0.318215235144792"},
      {kFnSin, kFnRadians, "3.14159265358979E+50", "0.200502020671792"},
      {kFnTan, kFnRadians, "1.5707963267949", "-295790719553274"},
      {kFnCos, kFnRadians, "1.5707963267949", "-3.38076867830836E-15"},
      {kFnTan, kFnRadians, "7.85398163397448E+15", "0.0454673375474203"},
      {kFnCos, kFnRadians, "0", "1"},
      // A fraction is taken exactly, not as its 15 digits.
      {kFnSin, kFnDegrees, "-1/3", "-5.81773135499383E-3"},
      {kFnCos, kFnDegrees, "270/1", "0"},
      {kFnSin, kFnDegrees, "1081/3", "5.81773135499383E-3"},
      {kFnSin, kFnRadians, "7/3", "0.723085881738325"},
      {kFnLn, kFnRadians, "1/3", "-1.09861228866811"},
      {kFnTan, kFnGrads, "-100/3", "-0.577350269189626"},
      {kFnSin, kFnRadians, "1E-99", "1E-99"},
      // Inverse functions give the current unit; outside [-1, 1] code 3.
      {kFnAsin, kFnDegrees, "0.5", "30"},
      {kFnAsin, kFnDegrees, "1", "90"},
      {kFnAcos, kFnRadians, "-1", "3.14159265358979"},
      {kFnAcos, kFnGrads, "0", "100"},
      {kFnAtan, kFnDegrees, "-1E99", "-90"},
      {kFnAsin, kFnRadians, "1.5", "E3"},
      {kFnAcos, kFnRadians, "-1.00000000000001", "E3"},
      // Exponentials: the record's range decides overflow and underflow.
      {kFnExp, kFnRadians, "0", "1"},
      {kFnExp, kFnRadians, "230", "7.72201849998384E+99"},
      {kFnExp, kFnRadians, "231", "E3"},
      {kFnExp, kFnRadians, "-231", "0"},
      {kFnTenPow, kFnRadians, "-3", "0.001"},
      {kFnTenPow, kFnRadians, "99", "1E99"},
      {kFnTenPow, kFnRadians, "100", "E3"},
      {kFnTenPow, kFnRadians, "-100", "0"},
      {kFnTenPow, kFnRadians, "0.5", "3.16227766016838"},
      // Logarithms: zero is code 3, a negative operand code 17 in real mode.
      {kFnLn, kFnRadians, "0", "E3"},
      {kFnLn, kFnRadians, "-1", "E17"},
      {kFnLog, kFnRadians, "1000", "3"},
      {kFnLog, kFnRadians, "1E-99", "-99"},
      {kFnLn, kFnRadians, "1.00000000000001", "9.99999999999995E-15"},
      {kFnSqrt, kFnRadians, "-4", "E17"},
      {kFnSqrt, kFnRadians, "1.44", "1.2"},
      // Hyperbolic functions and their inverses at the ends of their domains.
      {kFnSinh, kFnRadians, "231", "E3"},
      {kFnCosh, kFnRadians, "-231", "E3"},
      {kFnTanh, kFnRadians, "1E99", "1"},
      {kFnTanh, kFnRadians, "-1E-60", "-1E-60"},
      {kFnSinh, kFnRadians, "1E-50", "1E-50"},
      {kFnAsinh, kFnRadians, "-1E-50", "-1E-50"},
      {kFnAsinh, kFnRadians, "1E99", "228.649071386970"},
      {kFnAcosh, kFnRadians, "1", "0"},
      {kFnAcosh, kFnRadians, "0.999999999999999", "E3"},
      {kFnAtanh, kFnRadians, "1", "E3"},
      {kFnAtanh, kFnRadians, "-1", "E3"},
      {kFnAtanh, kFnRadians, "0.999999999999999", "17.6159617877353"},
      // Integer and fractional parts; fractions stay exact.
      {kFnInt, kFnRadians, "-2.5", "-2"},
      {kFnIntg, kFnRadians, "-2.5", "-3"},
      {kFnIntg, kFnRadians, "-3", "-3"},
      {kFnIntg, kFnRadians, "-1E-99", "-1"},
      {kFnFrac, kFnRadians, "-2.5", "-0.5"},
      {kFnFrac, kFnRadians, "1E20", "0"},
      {kFnInt, kFnRadians, "0.999", "0"},
      {kFnInt, kFnRadians, "-7/2", "-3"},
      {kFnIntg, kFnRadians, "-7/2", "-4"},
      {kFnFrac, kFnRadians, "-7/2", "-1/2"},
      {kFnAbs, kFnRadians, "-3/4", "3/4"},
      // Angle conversions into the current unit.
      {kFnFromDegrees, kFnGrads, "90", "100"},
      {kFnFromDegrees, kFnRadians, "180", "3.14159265358979"},
      {kFnFromGrads, kFnDegrees, "-50", "-45"},
      {kFnFromRadians, kFnRadians, "1/3", "1/3"},
      // The complex helpers on real operands.
      {kFnArg, kFnDegrees, "-2", "180"},
      {kFnArg, kFnGrads, "5", "0"},
      {kFnConjg, kFnRadians, "-3", "-3"},
      {kFnImP, kFnRadians, "-3", "0"},
      {kFnLogicalNot, kFnRadians, "0", "1"},
      {kFnLogicalNot, kFnRadians, "-1E-99", "0"},
      {kFnCubeRoot, kFnRadians, "-27", "-3"},
      {kFnCubeRoot, kFnRadians, "8", "2"},
      {99, kFnRadians, "1", "E8"},
  };
  for (const UnaryCase& c : cases) {
    BcdNumber x[2] = {N(c.x)}, r[2] = {};
    FnUnary(c.code, x, r, Mode(c.unit));
    ExpectValue(
        r[0], c.want,
        "code " + std::to_string(c.code) + " unit " + std::to_string(c.unit) + " of " + c.x);
  }
}

TEST(FunctionsReal, ResultMayBeWrittenOverTheOperand) {
  BcdNumber x[2] = {N("30")};
  FnUnary(kFnSin, x, x, Mode(kFnDegrees));
  ExpectValue(x[0], "0.5", "sin 30 in place");
}

TEST(FunctionsReal, ErrorOperandPassesUnchanged) {
  BcdNumber e[2] = {Err(17)}, r[2] = {};
  EXPECT_EQ(FnUnary(kFnSin, e, r, Mode(kFnDegrees)), 0);
  EXPECT_EQ(BcdErrorCode(r), 17);
  EXPECT_EQ(FnApplyPrefix(0x0081, e, r, Mode(kFnDegrees, kFnReal, kBcdBaseHex)), 0);
  EXPECT_EQ(BcdErrorCode(r), 17);
}

// A list or matrix reference record with the given kind byte.
BcdNumber Reference(uint8_t kind) {
  return Bytes({kind, 0, 3, 0, 1});
}

struct PrefixCase {
  uint16_t token;
  int base;
  int complexMode;
  const char* x;     // "list", "matrix", "re,im", or a real text
  const char* want;  // text, E<code>, or "map"
};

TEST(FunctionsPrefix, KindAndModeRules) {
  const PrefixCase cases[] = {
      {0x0081, kBcdBaseNone, kFnReal, "30", "0.5"},
      {0x0081, kBcdBaseNone, kFnRectangular, "1,1", "E3"},
      {0x0081, kBcdBaseNone, kFnReal, "list", "map"},
      {0x0081, kBcdBaseNone, kFnReal, "matrix", "E3"},
      {0x0097, kBcdBaseNone, kFnReal, "matrix", "map"},
      {0x0097, kBcdBaseNone, kFnRectangular, "3,-4", "5"},
      {0x00B6, kBcdBaseNone, kFnReal, "matrix", "map"},
      {0x7F22, kBcdBaseNone, kFnReal, "matrix", "E3"},
      {0x7F24, kBcdBaseNone, kFnPolar, "2,-7", "2"},
      {0x7F25, kBcdBaseNone, kFnPolar, "2,-7", "-7"},
      {0x7FB3, kBcdBaseNone, kFnRectangular, "0,1", "E25"},
      {0x0091, kBcdBaseNone, kFnRectangular, "1.5", "E3"},
      {0x0085, kBcdBaseNone, kFnReal, "-1", "E17"},
      {0x0086, kBcdBaseNone, kFnReal, "-4", "E17"},
      {0x00A7, kBcdBaseNone, kFnReal, "list", "E3"},
      {0x00A7, kBcdBaseNone, kFnReal, "2.5", "E3"},
      {0x00A7, kBcdBaseNone, kFnRectangular, "1,1", "E3"},
      {0x00A7, kBcdBaseNone, kFnReal, "0", "-1"},
      // Not found in the table: code 8 (the matrix and statistics functions
      // never reach this dispatch).
      {0x7F21, kBcdBaseNone, kFnReal, "1", "E8"},
      {0x00FB, kBcdBaseNone, kFnReal, "1", "E8"},
      // Base-N: only negation and Not, on the mode's wrapped integer.
      {0x0081, kBcdBaseHex, kFnReal, "0", "E8"},
      {0x0097, kBcdBaseDec, kFnReal, "-5", "E8"},
      {0x0087, kBcdBaseDec, kFnReal, "-2147483648", "-2147483648"},
      {0x0087, kBcdBaseBin, kFnReal, "-32768", "-32768"},
      {0x00B7, kBcdBaseOct, kFnReal, "5", "-5"},
      {0x0087, kBcdBaseHex, kFnReal, "4294967295", "1"},
      {0x0087, kBcdBaseHex, kFnReal, "4294967296", "E3"},
      {0x0087, kBcdBaseBin, kFnReal, "65536", "E3"},
      {0x00A7, kBcdBaseBin, kFnReal, "0", "-1"},
      {0x00A7, kBcdBaseHex, kFnReal, "4294967295", "0"},
      {0x00A7, kBcdBaseHex, kFnReal, "-2147483648", "2147483647"},
      {0x00A7, kBcdBaseBin, kFnReal, "32767", "-32768"},
  };
  for (const PrefixCase& c : cases) {
    BcdNumber x[2] = {}, r[2] = {};
    std::string in = c.x;
    if (in == "list") {
      x[0] = Reference(0x20);
    } else if (in == "matrix") {
      x[0] = Reference(0x30);
    } else if (in.find(',') != std::string::npos) {
      std::string re = in.substr(0, in.find(',')), im = in.substr(in.find(',') + 1);
      BcdComplex z = C(re.c_str(), im.c_str());
      x[0] = z.re;
      x[1] = z.im;
    } else {
      x[0] = N(c.x);
    }
    char what[64];
    std::snprintf(what, sizeof what, "token %04X base %d of %s", c.token, c.base, c.x);
    int rc = FnApplyPrefix(c.token, x, r, Mode(kFnDegrees, c.complexMode, c.base));
    if (std::string(c.want) == "map") {
      EXPECT_EQ(rc, kFnMapElements) << what;
    } else {
      ExpectValue(r[0], c.want, what);
      EXPECT_EQ(rc, c.want[0] == 'E' ? 0 : 1) << what;
    }
  }
}

}  // namespace
