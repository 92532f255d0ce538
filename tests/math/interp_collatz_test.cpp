// The long known-answer program: the start below 10,000 with the longest
// Collatz sequence, about a million statements.
#include <gtest/gtest.h>

#include "eval_test_util.h"
#include "math/interp.h"

namespace {

TEST_F(EvalFixture, CollatzRecordBelowTenThousand) {
  Store("COLLATZ", ProgramFile("collatz.txt"));
  EXPECT_EQ(RunProgram("COLLATZ").error, 0);
  EXPECT_EQ(Run("M"), "6171");
  EXPECT_EQ(Run("L"), "261");  // steps to reach 1
}

}  // namespace
