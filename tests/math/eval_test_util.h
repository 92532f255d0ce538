// A fresh calculator state for the evaluator tests: main memory started,
// the setup at its defaults, no break pending.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "math/eval.h"
#include "math/eval_print.h"
#include "memory/mcs_core.h"
#include "memory/mem_app.h"
#include "os/setup.h"

class EvalFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool arena = McsAllocateArena() != nullptr;
    ASSERT_TRUE(arena);
    MemStartUp();
    ResetSetup();
    EvalInit();
    EvalSetBreakTest(nullptr);
  }

  // Output line of one text line, as `vk2280-cli eval` prints it.
  static std::string Run(const std::string& line, bool canonical = false) {
    return EvalTextLine(line, canonical).text;
  }
};

// A sequence of lines run in order in one state, each with the line it
// must print.
struct Step {
  const char* line;
  const char* want;
};

inline void RunSteps(const std::vector<Step>& steps, bool canonical = false) {
  for (const Step& s : steps) {
    EXPECT_EQ(EvalTextLine(s.line, canonical).text, s.want) << "line: " << s.line;
  }
}
