// Small helpers shared by the number tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "math/bcd.h"

// A record from decimal text ("1.5E-7", "-3/4"); the test fails on bad text.
inline BcdNumber N(const char* text) {
  BcdNumber r{};
  EXPECT_TRUE(BcdFromText(&r, text)) << text;
  return r;
}

inline BcdNumber Err(int code) {
  BcdNumber r{};
  BcdError(&r, code);
  return r;
}

// A record with the given leading bytes, the rest zero.
inline BcdNumber Bytes(std::initializer_list<uint8_t> bytes) {
  BcdNumber r{};
  std::copy(bytes.begin(), bytes.end(), r.bytes);
  return r;
}

// The 12 bytes in hexadecimal: what a failing comparison shows.
inline std::string Hex(const BcdNumber& x) {
  std::string s;
  char buf[4];
  for (uint8_t b : x.bytes) {
    std::snprintf(buf, sizeof buf, "%02X ", b);
    s += buf;
  }
  s.pop_back();
  return s;
}

// A complex value from two decimal texts.
inline BcdComplex C(const char* re, const char* im) {
  BcdNumber a = N(re), b = N(im);
  BcdComplex z{};
  BcdComplexMake(&a, &b, &z.re);
  return z;
}

// Checks a result against `want`: a decimal or fraction text, or "E<code>"
// for an error value.
inline void ExpectValue(const BcdNumber& r, const char* want, const std::string& what) {
  if (want[0] == 'E') {
    EXPECT_EQ(BcdErrorCode(&r), std::atoi(want + 1)) << what;
  } else {
    EXPECT_EQ(Hex(r), Hex(N(want))) << what;
  }
}

// One operation of BcdBinary and what it must give: a text, or "E<code>".
struct BinaryCase {
  int op;
  const char *a, *b, *want;
};

inline void CheckBinary(const std::vector<BinaryCase>& cases) {
  for (const BinaryCase& c : cases) {
    BcdNumber x = N(c.a), y = N(c.b), r{};
    BcdBinary(c.op, &x, &y, &r);
    ExpectValue(r, c.want, std::string(c.a) + " op" + std::to_string(c.op) + " " + c.b);
  }
}
