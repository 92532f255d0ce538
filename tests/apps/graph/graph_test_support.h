// Shared set-up of the GRAPH tests: a fresh main memory, the default setup,
// the evaluator ready, and helpers for decimal records.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "apps/graph/view_window.h"
#include "math/bcd_text.h"
#include "math/eval.h"
#include "math/text_tokens.h"
#include "mcs_test_support.h"
#include "os/setup.h"

inline BcdNumber Num(const char* text) {
  return BcdOf(text);
}

inline std::string Canonical(const BcdNumber& x) {
  char text[kBcdTextSize];
  BcdCanonicalText(&x, text);
  return text;
}

inline BcdNumber Quotient(const char* a, int b) {
  BcdNumber x = Num(a), y, r;
  BcdFromInt(&y, b);
  BcdDiv(&x, &y, &r);
  return r;
}

// Token bytes of PC text.
inline std::string Tokens(const char* text) {
  std::string out;
  EXPECT_EQ(TextToTokens(text, &out), 0) << text;
  return out;
}

class GraphTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FreshMemory();
    ResetSetup();
    EvalInit();
  }
};
