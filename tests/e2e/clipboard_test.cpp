// Paste and copy of PC text on the whole calculator: the text reaches
// RUN-MAT's line through the OS's clip buffer as tokens.
#include <gtest/gtest.h>

#include "host/capture/capture.h"
#include "host/harness/os_probe.h"
#include "memory/mem_app.h"
#include "tests/e2e/calculator_fixture.h"

namespace {

TEST(Clipboard, PastedTextRunsInRunMat) {
  Calculator calc;
  ASSERT_TRUE(calc.started());
  calc.Press({"MENU", "EXE"});
  ASSERT_TRUE(PasteText("1+2"));
  calc.Press({"EXE"});
  EXPECT_EQ(AnswerTextOf(MemVariable(28)), "R\t+3.00000000000000E+000\t+0.00000000000000E+000");
}

TEST(Clipboard, AProgramLinePastedFromTheWebArrivesAsTokens) {
  Calculator calc;
  ASSERT_TRUE(calc.started());
  calc.Press({"MENU", "EXE"});
  ASSERT_TRUE(PasteText("sqrt(16)*2"));
  calc.Press({"EXE"});
  EXPECT_EQ(AnswerTextOf(MemVariable(28)), "R\t+8.00000000000000E+000\t+0.00000000000000E+000");
}

}  // namespace
