// Small helpers shared by the number tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

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
