// Getkey in a running program on the whole calculator: keys pressed while
// the program polls reach it as key codes, not RUN-MAT, and AC still breaks.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "host/capture/capture.h"
#include "host/harness/os_probe.h"
#include "host/services/front_end.h"
#include "host/services/host_services.h"
#include "memory/mem_app.h"
#include "tests/e2e/calculator_fixture.h"

namespace {

// Ans as the answer record prints a real value (three exponent digits).
std::string Ans(double value) {
  char mantissa[40];
  std::snprintf(mantissa, sizeof mantissa, "%+.14E", value);
  char* e = std::strchr(mantissa, 'E');
  char text[80];
  std::snprintf(text, sizeof text, "R\t%.*sE%c%03d\t+0.00000000000000E+000",
                static_cast<int>(e - mantissa), mantissa, e[1], std::atoi(e + 2));
  return text;
}

// Runs a pasted line in RUN-MAT, then presses keys while it runs.
std::string RunWithKeys(Calculator& calc, const char* line,
                        std::initializer_list<const char*> keys) {
  calc.Press({"MENU", "EXE"});
  EXPECT_TRUE(PasteText(line));
  calc.Press({"EXE"}).Press(keys);
  return AnswerTextOf(MemVariable(28));
}

TEST(ProgramKeys, GetkeyReadsKeyCodes) {
  const char* kWaitForKey = "Do:Getkey->K:LpWhile K=0:K";
  struct Case {
    const char* line;
    std::initializer_list<const char*> keys;
    double ans;
  } cases[] = {
      {kWaitForKey, {"5"}, 63},
      {kWaitForKey, {"EXE"}, 31},   // the program's, not the line's
      {kWaitForKey, {"MENU"}, 48},  // no main menu while a program reads keys
      {kWaitForKey, {"SHIFT"}, 78},
      // Each press is read once: three EXE among other keys, then EXIT ends.
      {"0->N:Do:Getkey->K:N+(K=31)->N:LpWhile K-47:N", {"EXE", "5", "EXE", "EXE", "ESC"}, 3},
  };
  for (const Case& c : cases) {
    Calculator calc;
    ASSERT_TRUE(calc.started());
    EXPECT_EQ(RunWithKeys(calc, c.line, c.keys), Ans(c.ans)) << c.line;
  }
}

TEST(ProgramKeys, AcBreaksAPollingLoop) {
  Calculator calc;
  ASSERT_TRUE(calc.started());
  RunWithKeys(calc, "0->B:While 1:B+1->B:Getkey:WhileEnd", {"AC", "ESC", "AC"});
  ASSERT_TRUE(PasteText("B>0"));
  calc.Press({"EXE"});
  EXPECT_EQ(AnswerTextOf(MemVariable(28)), Ans(1));
}

TEST(ProgramKeys, UnderAHeldQueueEveryKeyArrivesInOrder) {
  Calculator calc;
  ASSERT_TRUE(calc.started());
  calc.Press({"MENU", "EXE"});
  ASSERT_TRUE(PasteText("0->N:Do:Getkey->K:If K:Then 100N+K->N:IfEnd:LpWhile K-47:N"));
  calc.Press({"EXE"});
  // A replay holds the queue and sends keys without waiting between them.
  KeyQueueHold();
  for (const char* name : {"1", "2", "ESC"}) {
    const KeyMapRow* key = KeyMapByName(name);
    HostSendKey(key->code, KeyRectOf(key->code)->aux);
  }
  EXPECT_TRUE(calc.Settle());
  KeyQueueRelease();
  EXPECT_EQ(AnswerTextOf(MemVariable(28)), Ans(726247));
}

// What a program writes or draws is on the display while it still runs
// (a Getkey game), not only when it ends.
TEST(ProgramKeys, TheDisplayFollowsARunningProgram) {
  const char* kPoll = ":Do:Getkey->K:LpWhile K=0";
  struct Case {
    std::string line;
    int row, firstColumn, lastColumn;  // dots that must be dark somewhere
  } cases[] = {
      {std::string("ClrText:Locate 3,2,\"LIVE\"") + kPoll, 9, 12, 35},
      {std::string("ViewWindow 1,127,0,1,63,0:AxesOff:PxlOn 5,10") + kPoll, 5, 10, 10},
  };
  for (const Case& c : cases) {
    Calculator calc;
    ASSERT_TRUE(calc.started());
    calc.Press({"MENU", "EXE"});
    ASSERT_TRUE(PasteText(c.line));
    calc.Press({"EXE"});
    // The display follows within a few frames.
    const auto shown = [&c] {
      const std::string row = LcdImageText().substr(size_t(c.row) * 129, 128);
      const size_t dark = row.find('#', size_t(c.firstColumn));
      return dark != std::string::npos && dark <= size_t(c.lastColumn);
    };
    for (int i = 0; i < 100 && !shown(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(shown()) << c.line << "\n" << LcdImageText();
    calc.Press({"ESC"});
  }
}

}  // namespace
