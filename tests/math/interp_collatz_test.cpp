// The long known-answer program: the start below 10,000 with the longest
// Collatz sequence, about a million statements.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "eval_test_util.h"
#include "math/interp.h"

namespace {

TEST_F(EvalFixture, CollatzRecordBelowTenThousand) {
  std::ifstream in(std::string(VK_SOURCE_DIR) + "/tests/programs/collatz.txt");
  ASSERT_TRUE(in);
  std::stringstream text;
  text << in.rdbuf();
  std::string tokens;
  int column = 0;
  ASSERT_EQ(ProgramTextToTokens(text.str(), &tokens, &column), 0);
  ASSERT_EQ(
      InterpStoreProgram("COLLATZ", reinterpret_cast<const uint8_t*>(tokens.data()), tokens.size()),
      0);
  std::string call = "\xED\"COLLATZ\"";
  call.push_back(0);
  InterpResult r;
  ASSERT_EQ(
      InterpRun(reinterpret_cast<const uint8_t*>(call.c_str()), kInterpModeProgram, &r, InterpIo{}),
      1);
  EXPECT_EQ(Run("M"), "6171");
  EXPECT_EQ(Run("L"), "261");  // steps to reach 1
}

}  // namespace
