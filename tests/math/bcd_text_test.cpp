// Number text, grouped by display mode. Special characters are shown
// readably: E exponent mark, (-) negative sign, _ fraction separator,
// + and - between complex parts, i, < angle, | line break, A-F hex digits.
#include "math/bcd_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "math/bcd_test_util.h"

namespace {

std::string Show(const char* s) {
  static const std::map<uint8_t, const char*> kShown = {{0x0F, "E"}, {0x87, "(-)"}, {0x89, "+"},
                                                        {0x99, "-"}, {0xBB, "_"},   {0x0D, "|"}};
  std::string r;
  for (; *s; ++s) {
    uint8_t c = uint8_t(*s);
    if (c == 0x7F) {
      uint8_t second = uint8_t(*++s);
      r += second == 0x50 ? "i" : second == 0x54 ? "<" : "?";
    } else if (kShown.count(c)) {
      r += kShown.at(c);
    } else {
      r += c >= 0x1A && c <= 0x1F ? char('A' + c - 0x1A) : char(c);
    }
  }
  return r;
}

uint8_t ModeByte(int mode, int n, bool eng = false) {
  return uint8_t(mode << 4 | n | (eng ? kBcdEngBit : 0));
}

std::string Format(const BcdNumber* x, const BcdDisplay& d) {
  char out[kBcdTextSize];
  int len = BcdFormatResult(x, 0, d, out);
  EXPECT_EQ(len, int(std::strlen(out)));
  return Show(out);
}

std::string Format(const char* text, uint8_t mode) {
  BcdNumber x = N(text);
  BcdDisplay d;
  d.mode = mode;
  return Format(&x, d);
}

struct Case {
  const char* value;
  int n;
  const char* shown;
};

void CheckMode(int mode, const std::vector<Case>& cases, bool eng = false) {
  for (const Case& c : cases) {
    EXPECT_EQ(Format(c.value, ModeByte(mode, c.n, eng)), c.shown)
        << c.value << " mode " << mode << " n " << c.n << (eng ? " eng" : "");
  }
}

TEST(BcdText, Norm1) {
  CheckMode(kBcdNorm1,
            {
                {"0.333333333333333", 0, "0.3333333333"},
                {"0.666666666666667", 0, "0.6666666667"},
                {"0.001", 0, "1E(-)03"},
                {"0.01", 0, "0.01"},
                {"0.0123456789012", 0, "0.0123456789"},
                {"1E10", 0, "1E+10"},
                {"9999999999", 0, "9999999999"},
                {"9.9999999999", 0, "10"},  // rounding adds a digit
                {"99999999995", 0, "1E+11"},
                {"-123.45", 0, "(-)123.45"},
                {"0", 0, "0"},
                {"1.23456789012345E-50", 0, "1.23456789E(-)50"},
                {"-9.99999999999999E99", 0, "ERROR"},  // ten digits round beyond the range
            });
}

TEST(BcdText, Norm2KeepsSmallNumbersPositional) {
  CheckMode(kBcdNorm2, {
                           {"0.001", 0, "0.001"},
                           {"0.00123456789012", 0, "0.00123456789"},
                           {"1.23456789012E-9", 0, "0.00000000123"},
                           {"1E-10", 0, "1E(-)10"},
                           {"1E10", 0, "1E+10"},
                           {"0.333333333333333", 0, "0.3333333333"},
                       });
}

TEST(BcdText, Fix) {
  CheckMode(kBcdFix, {
                         {"0.666666666666667", 2, "0.67"},
                         {"0.004", 2, "0.00"},
                         {"-0.004", 2, "0.00"},
                         {"0.005", 2, "0.01"},
                         {"123.456", 0, "123"},
                         {"12345678.9", 3, "12345678.90"},  // ten digit places at most
                         {"9.999", 2, "10.00"},
                         {"1E10", 2, "1E+10"},
                         {"0", 3, "0.000"},
                         {"1E-99", 9, "0.000000000"},
                         {"-2.5", 0, "(-)3"},
                     });
}

TEST(BcdText, Sci) {
  CheckMode(kBcdSci, {
                         {"123.456", 2, "1.2E+02"},
                         {"123.456", 0, "1.234560000E+02"},
                         {"0.00098765", 3, "9.88E(-)04"},
                         {"9.99", 2, "1.0E+01"},
                         {"1", 1, "1E+00"},
                         {"0", 3, "0.00E+00"},
                         {"-1E-99", 2, "(-)1.0E(-)99"},
                     });
}

TEST(BcdText, EngineeringNotation) {
  CheckMode(kBcdNorm1,
            {
                {"12345", 0, "12.345E+03"},
                {"0.5", 0, "500E(-)03"},
                {"1", 0, "1E+00"},
                {"-0.000012", 0, "(-)12E(-)06"},
            },
            true);
  CheckMode(kBcdFix,
            {
                {"1234567", 2, "1.23E+06"},
                {"999.996", 2, "1.00E+03"},  // the carry moves to the next group
                {"0.012345", 1, "12.3E(-)03"},
            },
            true);
  CheckMode(kBcdSci, {{"123456", 2, "120E+03"}, {"123456", 4, "123.5E+03"}}, true);
}

TEST(BcdText, EngineeringShift) {
  BcdNumber x = N("12345");
  BcdDisplay d;
  ASSERT_EQ(BcdEngShift(&x, false, &d), 1);  // 12.345E+03 -> 12345E+00
  EXPECT_EQ(d.engExponent[0], 0);
  EXPECT_EQ(d.engState & kBcdEngShiftMask, kBcdEngShiftActive);
  EXPECT_EQ(d.engState & kBcdEngShiftUp, 0);
  EXPECT_EQ(Format(&x, d), "12345E+00");
  ASSERT_EQ(BcdEngShift(&x, false, &d), 1);
  EXPECT_EQ(Format(&x, d), "12345000E(-)03");
  EXPECT_EQ(BcdEngShift(&x, false, &d), 0);  // ten digits before the point
  EXPECT_EQ(d.engExponent[0], -3);

  BcdDisplay up;
  ASSERT_EQ(BcdEngShift(&x, true, &up), 1);
  EXPECT_NE(up.engState & kBcdEngShiftUp, 0);
  EXPECT_EQ(Format(&x, up), "0.012345E+06");
  ASSERT_EQ(BcdEngShift(&x, true, &up), 1);
  ASSERT_EQ(BcdEngShift(&x, true, &up), 1);
  EXPECT_EQ(Format(&x, up), "0.000000012345E+12");
  EXPECT_EQ(BcdEngShift(&x, true, &up), 0);  // nine zeros after the point

  BcdNumber big = N("5E99");
  BcdDisplay d2;
  EXPECT_EQ(BcdEngShift(&big, true, &d2), 0);  // 99 + 3 leaves the range
  EXPECT_EQ(d2.engState, 0);
  BcdNumber third = N("1/3");
  EXPECT_EQ(BcdEngShift(&third, true, &d2), 0);

  // Each part of a complex value keeps its own exponent.
  BcdComplex z = C("1500", "0.002");
  BcdDisplay dz;
  ASSERT_EQ(BcdEngShift(&z.re, false, &dz), 1);
  EXPECT_EQ(dz.engExponent[0], 0);
  EXPECT_EQ(dz.engExponent[1], -6);
  EXPECT_EQ(Format(&z.re, dz), "1500E+00+2000E(-)06i");
}

TEST(BcdText, ComplexResults) {
  struct ComplexCase {
    const char *re, *im;
    uint8_t complexMode, angle;
    const char* shown;
    uint8_t mode = 0;  // Norm 1
  } cases[] = {
      {"1", "2", 1, 1, "1+2i"},
      {"1", "-2", 1, 1, "1-2i"},
      {"0", "2", 1, 1, "2i"},
      {"0", "-2.5", 1, 1, "(-)2.5i"},
      {"-1.5", "0.25", 1, 1, "(-)1.5+0.25i"},
      {"1.23456789E-50", "9.87654321E-50", 1, 1, "1.23456789E(-)50|+9.87654321E(-)50i"},
      {"1", "1", 2, 0, "1.414213562<45"},
      {"0", "1", 2, 1, "1<1.570796327"},
      {"-1", "-1", 2, 2, "1.414213562<(-)150"},
      // A part the display rounds to zero shows no sign.
      {"1", "-0.001", 1, 1, "1.00+0.00i", 0x22},
      {"-0.4", "-0.4", 1, 1, "0+0i", 0x20},
      {"0", "-0.004", 1, 1, "0.00i", 0x22},
      {"1", "-0.006", 1, 1, "1.00-0.01i", 0x22},
  };
  for (const ComplexCase& c : cases) {
    BcdComplex z = C(c.re, c.im);
    BcdDisplay d;
    d.complexMode = c.complexMode;
    d.angleUnit = c.angle;
    d.mode = c.mode;
    EXPECT_EQ(Format(&z.re, d), c.shown) << c.re << " " << c.im;
  }
  // Exactly 21 columns stays on one line; 22 breaks.
  BcdComplex fits = C("-1234567890", "12345678");
  EXPECT_EQ(Format(&fits.re, BcdDisplay{}), "(-)1234567890+12345678i");
  BcdComplex breaks = C("-1234567890", "123456789");
  EXPECT_EQ(Format(&breaks.re, BcdDisplay{}), "(-)1234567890|+123456789i");
}

TEST(BcdText, ErrorsFractionsAndSpecialParts) {
  BcdNumber e = Err(kBcdErrMa);
  for (int mode = kBcdNorm1; mode <= kBcdSci; ++mode) {
    BcdDisplay d;
    d.mode = ModeByte(mode, 2);
    EXPECT_EQ(Format(&e, d), "ERROR");
  }
  EXPECT_EQ(Format("1/3", 0), "1_3");
  EXPECT_EQ(Format("-3/4", ModeByte(kBcdFix, 2)), "(-)3_4");  // fractions are never rounded
  BcdNumber mixed = Bytes({0x1A, 0x41, 0xA1, 0xA2});
  char out[kBcdTextSize];
  BcdFractionText(&mixed, out);
  EXPECT_EQ(Show(out), "1_1_2");
  BcdNumber bad = Bytes({0x10, 0x1B});  // d1 = 0xB
  EXPECT_EQ(Format(&bad, BcdDisplay{}), "ERROR");
}

TEST(BcdText, RoundForDisplay) {
  BcdComplex z = C("2.66666666666667", "-0.00004");
  EXPECT_EQ(BcdRoundForDisplay(&z.re, kBcdFix, 2, false), 1);
  EXPECT_TRUE(BcdIsComplex(&z.re));  // a part rounded to zero keeps the pair
  BcdNumber re, im;
  BcdComplexSplit(&z.re, &re, &im);
  EXPECT_EQ(Hex(re), Hex(N("2.67")));
  EXPECT_EQ(Hex(im), Hex(N("0")));
  BcdNumber bad = Bytes({0x10, 0x1C});
  EXPECT_EQ(BcdRoundForDisplay(&bad, kBcdNorm1, 0, false), 0);
  EXPECT_EQ(BcdErrorCode(&bad), kBcdErrMa);
  BcdNumber x = N("-9.99999999995E99");
  EXPECT_EQ(BcdRoundForDisplay(&x, kBcdNorm1, 0, false), 0);
  EXPECT_EQ(BcdErrorCode(&x), kBcdErrMa);  // rounds beyond the range
}

TEST(BcdText, ExponentText) {
  struct ExpCase {
    int e;
    bool force, one;
    const char* shown;
  } cases[] = {
      {5, false, true, "E5"},      {5, true, false, "E+05"}, {-5, false, true, "E(-)5"},
      {-5, true, false, "E(-)05"}, {42, false, true, "E42"}, {0, true, false, "E+00"},
  };
  for (const ExpCase& c : cases) {
    char out[kBcdTextSize];
    int len = BcdExponentText(out, c.e, c.force, c.one);
    EXPECT_EQ(Show(out), c.shown);
    EXPECT_EQ(len, int(std::strlen(out)));
  }
}

TEST(BcdText, CanonicalAnswerText) {
  struct CanonCase {
    const char* value;
    const char* text;
  } cases[] = {
      {"0", "+0.00000000000000E+000"},       {"1", "+1.00000000000000E+000"},
      {"-1.5E-7", "-1.50000000000000E-007"}, {"9.99999999999999E99", "+9.99999999999999E+099"},
      {"1/4", "+2.50000000000000E-001"},
  };
  for (const CanonCase& c : cases) {
    BcdNumber x = N(c.value);
    char out[kBcdTextSize];
    EXPECT_EQ(BcdCanonicalText(&x, out), 22);
    EXPECT_STREQ(out, c.text);
  }
  BcdNumber e = Err(kBcdErrNonReal);
  char out[kBcdTextSize];
  BcdCanonicalText(&e, out);
  EXPECT_STREQ(out, "ERROR");
}

TEST(BcdText, BaseN) {
  struct BaseCase {
    const char* value;
    int base;
    const char* shown;
  } cases[] = {
      {"255", kBcdBaseHex, "000000FF"},
      {"-1", kBcdBaseHex, "FFFFFFFF"},
      {"4294967295", kBcdBaseHex, "FFFFFFFF"},
      {"5", kBcdBaseBin, "0000000000000101"},
      {"-1", kBcdBaseBin, "1111111111111111"},
      {"8", kBcdBaseOct, "00000000010"},
      {"-1", kBcdBaseOct, "37777777777"},
      {"-5", kBcdBaseDec, "(-)5"},
      {"2147483647", kBcdBaseDec, "2147483647"},
      {"4294967295", kBcdBaseDec, "(-)1"},
      {"-2147483648", kBcdBaseDec, "(-)2147483648"},
      {"1.5", kBcdBaseDec, "ERROR"},
      {"4294967296", kBcdBaseHex, "ERROR"},
      {"65536", kBcdBaseBin, "ERROR"},
      {"-2147483649", kBcdBaseHex, "ERROR"},
  };
  for (const BaseCase& c : cases) {
    BcdNumber x = N(c.value);
    BcdDisplay d;
    d.baseMode = uint8_t(c.base);
    char out[kBcdTextSize];
    BcdFormatResult(&x, kBcdDisplayBaseN, d, out);
    EXPECT_EQ(Show(out), c.shown) << c.value << " base " << c.base;
  }
}

}  // namespace
