// A fresh calculator state for the evaluator tests: main memory started,
// the setup at its defaults, no break pending.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "math/eval.h"
#include "math/eval_print.h"
#include "math/interp.h"
#include "math/text_tokens.h"
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

  static void Store(const char* name, const std::string& text) {
    std::string tokens;
    int column = 0;
    ASSERT_EQ(ProgramTextToTokens(text, &tokens, &column), 0) << text << " column " << column;
    ASSERT_EQ(
        InterpStoreProgram(name, reinterpret_cast<const uint8_t*>(tokens.data()), tokens.size()),
        0);
  }

  // Runs program NAME as Prog "NAME" does from a program start.
  static InterpResult RunProgram(const std::string& name) {
    std::string call = "\xED\"" + name + "\"";
    call.push_back(0);
    InterpResult r;
    InterpRun(reinterpret_cast<const uint8_t*>(call.c_str()), kInterpModeProgram, &r, InterpIo{});
    return r;
  }

  // The text of a known-answer program of tests/programs.
  static std::string ProgramFile(const char* file) {
    std::ifstream in(std::string(VK_SOURCE_DIR) + "/tests/programs/" + file);
    EXPECT_TRUE(in) << file;
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
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
