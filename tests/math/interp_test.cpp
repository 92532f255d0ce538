// The program interpreter: statements, blocks, program levels and what a
// run leaves on its text screen.
#include "math/interp.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "eval_test_util.h"
#include "host/services/host_services.h"
#include "math/bcd_text.h"
#include "math/interp_graph.h"
#include "math/text_tokens.h"

namespace {

class InterpTest : public EvalFixture {
 protected:
  void TearDown() override {
    // Every block cell and program copy goes back to the OS heap, whatever
    // way the run ended.
    EXPECT_EQ(OsHeapLiveBlocks(), 0);
    InterpClearGraphHandlers();
    InterpSetScreenHook(nullptr);
  }

  // What `vk2280-cli eval` prints for a line, lines joined by '|'.
  static std::string Line(const std::string& text, bool (*answer)(std::string*) = nullptr) {
    EvalPrinted p = EvalTextLine(text, false, answer);
    std::vector<std::string> lines = p.output;
    if (!p.text.empty()) lines.push_back(p.text);
    std::string out;
    for (const std::string& o : lines) out += (out.empty() ? "" : "|") + o;
    return out;
  }

  static std::string Variable(char letter) { return Line(std::string(1, letter)); }

  static void RunCases(const std::vector<Step>& cases) {
    for (const Step& c : cases) {
      EXPECT_EQ(EvalTextLine("ClrText", false).error, 0);
      EXPECT_EQ(Line(c.line), c.want) << "line: " << c.line;
    }
  }
};

TEST_F(InterpTest, Loops) {
  RunCases({
      {"0->S:For 1->A To 3:S+A->S:Next:A:S", "6"},
      {"For 1->A To 3:Next:A", "3"},
      {"9->A:For 1->A To 0:7->A:Next:A", "1"},  // skipped at once, A keeps the start
      {"For 1->A To 5 Step 0:Next", "Error 8: Argument ERROR"},
      {"For 1E15->A To 2E15 Step 1:Next", "Error 8: Argument ERROR"},  // a negligible step
      {"0->S:For 10->A To 1 Step -3:S+A->S:Next:S", "22"},             // 10+7+4+1
      {"0->S:For 0->A To 1 Step 0.25:Isz S:Next:S", "5"},
      {"0->A:Do:Isz A:LpWhile A<5:A", "5"},
      {"0->A:While A<7:Isz A:WhileEnd:A", "7"},
      {"5->A:While A<3:0->A:WhileEnd:A", "5"},  // skipped: the body never runs
      {"0->S:For 1->I To 4:For 1->J To 4:Isz S:Next:Next:S", "16"},
      // Break leaves the innermost loop only, dropping the If it stands in.
      {"0->S:For 1->I To 10:For 1->J To 10:If J>I:Then Break:IfEnd:Isz S:Next:Next:S", "55"},
      {"0->A:While 1:Isz A:A=4=>Break:WhileEnd:A", "4"},
      {"0->A:Do:Isz A:If A=3:Then Break:IfEnd:LpWhile 1:A", "3"},
      {"While 0:For 1->A To 2:Next:WhileEnd:8", "8"},  // nested blocks skipped whole
  });
}

TEST_F(InterpTest, IfAndJumps) {
  RunCases({
      {"If 0:Then 1:Else 2:IfEnd◢", "2"},
      {"If 1:Then 1:Else 2:IfEnd◢", "1"},
      {"If 0:Then If 1:Then 5:IfEnd:6:Else 7:IfEnd", "7"},
      {"If 1:Then If 0:Then 5:Else 6:IfEnd:Else 7:IfEnd", "6"},
      {"If 0:Then \"If\":Else 3:IfEnd", "3"},  // block words in strings do not count
      {"0->A:1=>2->A:0=>3->A:A", "2"},
      {"3->A:Dsz A:1:Dsz A:2:Dsz A:5:A", "0"},  // Dsz skips the statement after a zero
      {"-2->A:Isz A:Isz A:9->B:B", "0"},        // the 9->B was skipped
      {"0->A:Goto 1:7->A:Lbl 1:A", "0"},
      // Goto into a loop takes the loop's depth and reads its bounds at Next.
      {"0->A:0->B:Goto 1:For 1->B To 3:Lbl 1:Isz A:Next:A", "4"},
      // Goto out of a loop closes it.
      {"For 1->A To 9:A=2=>Goto E:Next:Lbl E:A", "2"},
      {"If 1:Then 4", "4"},  // an If left open at the end is dropped
      {"0->A:Lbl 1:Isz A:A<5=>Goto 1:A", "5"},
      // A Goto inside a loop to a label of the same loop keeps its bounds.
      {"0->A:0->S:For 1->I To 3:Lbl 2:Isz S:Isz A:A<2=>Goto 2:Next:S", "4"},
      {"0->A:While 1:If A>3:Then Goto 9:IfEnd:Isz A:WhileEnd:Lbl 9:A", "4"},
      // Back into a Do that has ended: it is open again at the label.
      {"0->A:Do:Lbl 3:Isz A:LpWhile A<3:A<6=>Goto 3:A", "6"},
  });
}

TEST_F(InterpTest, FailureTable) {
  RunCases({
      {"Else", "Error 2: Syntax ERROR"},
      {"IfEnd", "Error 2: Syntax ERROR"},
      {"Next", "Error 2: Syntax ERROR"},
      {"WhileEnd", "Error 2: Syntax ERROR"},
      {"LpWhile 1", "Error 2: Syntax ERROR"},
      {"Break", "Error 2: Syntax ERROR"},
      {"If 0:Then 1:Else 2:Else 3:IfEnd", "Error 2: Syntax ERROR"},
      {"If 1:Then 1:Else 2:Else 3:IfEnd", "1"},    // the Then part skips to IfEnd
      {"For 1->A To 3", "Error 2: Syntax ERROR"},  // a block still open at the end
      {"Do:1", "Error 2: Syntax ERROR"},
      {"If 1:2", "Error 2: Syntax ERROR"},       // no Then
      {"If 0:Then 2", "Error 2: Syntax ERROR"},  // no IfEnd to skip to
      {"For 1 To 3:Next", "Error 2: Syntax ERROR"},
      {"For 1->A 3:Next", "Error 2: Syntax ERROR"},
      {"For 1->2 To 3:Next", "Error 2: Syntax ERROR"},
      {"Stop 1", "Error 2: Syntax ERROR"},
      {"1::2", "Error 2: Syntax ERROR"},
      {"->A", "Error 2: Syntax ERROR"},
      {"1=>", "Error 2: Syntax ERROR"},
      {"Goto 1", "Error 5: Go ERROR"},
      {"Goto +", "Error 8: Argument ERROR"},
      {"Lbl ?", "Error 8: Argument ERROR"},
      {"Prog \"NOSUCH\"", "Error 5: Go ERROR"},
      {"Locate 22,1,1", "Error 8: Argument ERROR"},
      {"Locate 1,0,1", "Error 8: Argument ERROR"},
      {"Locate 1.5,1,1", "Error 8: Argument ERROR"},
      {"Locate 1/0,1,1", "Error 8: Argument ERROR"},
      {"Sci", "Error 8: Argument ERROR"},
      {"Bin", "Error 2: Syntax ERROR"},   // no Base-N mode
      {"Plot 1,1", "Error 3: Ma ERROR"},  // graph commands wait for their handlers
      {"1-Variable List1,1", "Error 3: Ma ERROR"},
  });
}

TEST_F(InterpTest, ComplexWhereRealIsNeeded) {
  RunCases({
      {"a+bi", "Done"},
      {"i=>1", "Error 3: Ma ERROR"},
      {"i->A:Dsz A", "Error 3: Ma ERROR"},
      {"For i->A To 3:Next", "Error 3: Ma ERROR"},
      {"If i:Then 1:IfEnd", "Error 3: Ma ERROR"},
      {"2i+1", "1+2i"},
  });
}

TEST_F(InterpTest, SettingsAndDone) {
  RunCases({
      {"Deg", "Done"},
      {"Deg◢", "Done"},
      {"Fix 2:1/3", "0.33"},
      {"Norm 1:1/3", "0.3333333333"},
      {"Norm", "Done"},  // Norm alone switches to Norm 2
      {"1/3", "0.3333333333"},
      {"1E-3", "0.001"},
      {"Norm:1E-3", "1E-03"},
      {"Fix 3:2/3:Rnd:Norm 1:Ans", "0.667"},
      {"Rad:Gra:Deg:sin 30", "0.5"},
      {"Eng:1234", "1.234E+03"},
      {"EngOff:1234", "1234"},
      {"Dec:Hex:255", "00000255"},  // the digits are hexadecimal
      {"Dec:255►Bin", "0000000011111111"},
  });
}

TEST_F(InterpTest, StringsLocateAndDisplayStops) {
  RunCases({
      {"\"HELLO\"", "HELLO|Done"},
      {"\"A\":\"B\":3", "A|B|3"},
      {"5◢6", "5|6"},
      {"Deg◢2", "Done|2"},
      {"\"ABCDEFGHIJKLMNOPQRSTUVWXYZ\"", "ABCDEFGHIJKLMNOPQRSTU|VWXYZ|Done"},  // wraps at 21
      {"Locate 3,2,\"HI\"", "Done"},
      {"ClrText", "Done"},
      {"'a comment\r7", "7"},
  });
}

TEST_F(InterpTest, ClearCommandsAndStrings) {
  RunCases({
      {"{1,2}->List 1:{3}->List 2:ClrList 1:List 2", "{3}"},
      {"List 1", "Error 4: Memory ERROR"},  // gone
      {"ClrList:List 2", "Error 4: Memory ERROR"},
      {"[[1]]->Mat A:[[2]]->Mat B:ClrMat A:Mat B", "[[2]]"},
      {"ClrMat:Mat B", "Error 4: Memory ERROR"},
      {"ClrList 0", "Error 8: Argument ERROR"},
      {"ClrMat 1", "Error 2: Syntax ERROR"},
      {"\"HI\"->A", "Done"},  // kept as the string item of A
      {"\"HI\"->1", "Error 2: Syntax ERROR"},
      {"\"HI\" 2", "Error 2: Syntax ERROR"},
  });
  uint32_t size = 0;
  EXPECT_EQ(MemSearch(MemInFolder("main"), "STR_A", &size), kMemOk);
}

// The screen a line leaves: prints, Locate, ClrText and the display stop.
TEST_F(InterpTest, TextScreen) {
  TextScreen screen;
  ScreenClear(&screen);
  int waits = 0;
  InterpIo io;
  io.user = &waits;
  io.screen = &screen;
  io.waitExe = [](void* user) {
    ++*static_cast<int*>(user);
    return 0;
  };
  std::string tokens;
  ASSERT_EQ(TextToTokens("\"ONE\":Locate 19,5,\"ABCDE\":12◢\"TWO\":Locate 1,7,-5", &tokens), 0);
  InterpResult r;
  ASSERT_EQ(InterpRun(reinterpret_cast<const uint8_t*>(tokens.c_str()), kInterpModeLine, &r, io),
            1);
  EXPECT_EQ(waits, 1);
  EXPECT_EQ(ScreenLineUtf8(screen, 1), "ONE");
  EXPECT_EQ(ScreenLineUtf8(screen, 2), "                   12");
  EXPECT_EQ(ScreenLineUtf8(screen, 3), "TWO");  // over the "- Disp -" line
  EXPECT_EQ(ScreenLineUtf8(screen, 5), "                  ABC");
  EXPECT_EQ(ScreenLineUtf8(screen, 7), "-5");
  EXPECT_EQ(r.display, kShowText);

  // A list or matrix at a display stop is shown before its "Done".
  ScreenClear(&screen);
  ASSERT_EQ(TextToTokens("{1,2}◢[[3]]◢\"END\"", &tokens), 0);
  ASSERT_EQ(InterpRun(reinterpret_cast<const uint8_t*>(tokens.c_str()), kInterpModeLine, &r, io),
            1);
  EXPECT_EQ(ScreenLineUtf8(screen, 1), "                {1,2}");
  EXPECT_EQ(ScreenLineUtf8(screen, 2), "                 Done");
  EXPECT_EQ(ScreenLineUtf8(screen, 3), "                [[3]]");
  EXPECT_EQ(ScreenLineUtf8(screen, 4), "                 Done");
  EXPECT_EQ(ScreenLineUtf8(screen, 5), "END");

  // AC at a display stop breaks.
  io.waitExe = [](void*) { return int(kBcdErrBreak); };
  ASSERT_EQ(TextToTokens("1◢2", &tokens), 0);
  EXPECT_EQ(InterpRun(reinterpret_cast<const uint8_t*>(tokens.c_str()), kInterpModeLine, &r, io),
            0);
  EXPECT_EQ(r.error, kBcdErrBreak);
}

TEST_F(InterpTest, InputStatement) {
  static std::vector<std::string> answers;
  auto next = [](std::string* text) {
    if (answers.empty()) return false;
    *text = answers.front();
    answers.erase(answers.begin());
    return true;
  };
  answers = {"6", "2+3"};
  EXPECT_EQ(Line("?->A:\"B=\"?->B:A*B", next), "?|6|B=|2+3|30");
  answers = {};
  EXPECT_EQ(Line("?->A", next), "?|Error 1: Break");  // no answer: AC
  answers = {"1+"};
  EXPECT_EQ(Line("?->A", next), "?|1+|Error 2: Syntax ERROR");
  EXPECT_EQ(Line("?A"), "Error 2: Syntax ERROR");
}

TEST_F(InterpTest, BreakBetweenStatements) {
  EvalSetBreakTest([] { return 1; });
  EXPECT_EQ(Line("1:2"), "Error 1: Break");
  EvalSetBreakTest(nullptr);
}

TEST_F(InterpTest, ProgramsAndLevels) {
  Store("SQ", "Ans^2");
  Store("TWICE", "Prog \"SQ\"\nProg \"SQ\"");
  EXPECT_EQ(Line("3:Prog \"TWICE\""), "81");
  Store("RET", "1->A\nReturn\n2->A");
  EXPECT_EQ(Line("Prog \"RET\":A"), "1");
  Store("EMPTY", "");
  EXPECT_EQ(Line("Prog \"EMPTY\""), "Done");
  Store("STOPS", "5->A\nStop\n6->A");
  EXPECT_EQ(Line("Prog \"STOPS\":7->A"), "5");  // Stop ends the whole run
  EXPECT_EQ(Variable('A'), "5");
  // Blocks belong to their level: a Next in the subprogram finds no For.
  Store("NEXT", "Next");
  EXPECT_EQ(Line("For 1->A To 2:Prog \"NEXT\":Next"), "Error 2: Syntax ERROR");

  // A program calling itself: the 11th level fails with code 6.
  Store("SELF", "Isz N\nProg \"SELF\"");
  EXPECT_EQ(Line("0->N"), "0");
  InterpResult r = RunProgram("SELF");
  EXPECT_EQ(r.error, 6);
  EXPECT_STREQ(r.program, "SELF");
  EXPECT_EQ(r.programOffset, 3u);  // at its Prog statement
  EXPECT_EQ(Variable('N'), "10");
  // From a line, the line is the first level.
  EXPECT_EQ(Line("0->N:Prog \"SELF\""), "Error 6: Nesting ERROR");
  EXPECT_EQ(Variable('N'), "9");
}

TEST_F(InterpTest, BlockCellsComeFromTheOsHeap) {
  std::vector<void*> taken;
  while (void* b = OsMalloc(8)) taken.push_back(b);
  EXPECT_EQ(Line("For 1->A To 2:Next"), "Error 4: Memory ERROR");
  for (void* b : taken) OsFree(b);
  EXPECT_EQ(Line("For 1->A To 2:Next:A"), "2");
}

TEST_F(InterpTest, GraphHandlersAndScreenHook) {
  static int plotted = 0;
  static std::vector<InterpScreen> screens;
  plotted = 0;
  screens.clear();
  EXPECT_FALSE(InterpSetGraphHandler(0xDA, [](const uint8_t**) { return 0; }));  // Deg
  ASSERT_TRUE(InterpSetGraphHandler(0xE0, [](const uint8_t** p) {  // Plot: to the separator
    ++plotted;
    while (**p && **p != ':' && **p != 0x0C) ++*p;
    return 0;
  }));
  ASSERT_TRUE(InterpSetGraphHandler(0xD1, [](const uint8_t** p) {  // Cls
    ++*p;
    return 0;
  }));
  InterpSetScreenHook([](InterpScreen s) { screens.push_back(s); });
  EXPECT_EQ(Line("Plot 1,2◢3"), "Done|3");
  EXPECT_EQ(plotted, 1);
  ASSERT_EQ(screens.size(), 2u);  // the graph at the stop, then the text again
  EXPECT_EQ(screens[0], InterpScreen::kGraph);
  EXPECT_EQ(screens[1], InterpScreen::kText);
  EXPECT_EQ(Line("Cls"), "Done");
  EXPECT_TRUE(InterpIsGraphCommand(0xEB));     // ViewWindow
  EXPECT_FALSE(InterpIsGraphCommand(0xF740));  // 1-Variable belongs to statistics
}

TEST_F(InterpTest, StatementClasses) {
  struct Row {
    uint16_t code;
    int cls;
  };
  const Row rows[] = {
      {0x00, kClassEnd},       {0x0D, kClassEmptyLine},
      {':', kClassColon},      {0x0C, kClassDisplayStop},
      {0x0E, kClassArrow},     {0x13, kClassArrow},
      {'?', kClassInput},      {'"', kClassString},
      {'A', kClassExpression}, {0x7F51, kClassList},
      {0xF700, kClassIf},      {0xF701, kClassInvalid},
      {0xF705, kClassInvalid}, {0xF704, kClassFor},
      {0xED, kClassProg},      {0xE2, kClassLabel},
      {0xE8, kClassCount},     {0xF70E, kClassStop},
      {0xF710, kClassLocate},  {0xF91E, kClassClear},
      {0xD3, kClassRnd},       {0xF79F, kClassRecallCapture},
      {0xEE, kClassGraph},     {0xF908, kClassSetting},
      {0xE541, kClassInvalid}, {0x7F, kClassInvalid},
  };
  for (const Row& r : rows) EXPECT_EQ(InterpStatementClass(r.code), r.cls) << std::hex << r.code;
}

// Statements as simple as "A+1" take a short way past the evaluator's
// machine; their results must be the evaluator's to the last bit.
TEST_F(InterpTest, ShortArithmeticMatchesTheEvaluator) {
  const char* values[] = {"0",    "1",       "-1",         "7",        "99999999999999",
                          "1E14", "-2.5",    "0.1",        "1/3",      "123456789012345",
                          "1E99", "-999999", "5000000000", "3.0000001"};
  const char* forms[] = {"A+B", "A-B", "A*B", "A/B", "A+1", "1-A", "12345678901234*B", "B/7"};
  for (const char* a : values) {
    for (const char* b : values) {
      ASSERT_EQ(EvalTextLine(std::string(a) + "->A:" + b + "->B", false).error, 0);
      for (const char* f : forms) {
        std::string tokens;
        ASSERT_EQ(TextToTokens(f, &tokens), 0);
        tokens.push_back(0);
        const auto* p = reinterpret_cast<const uint8_t*>(tokens.c_str());
        EvalStacks stacks;
        BcdNumber want[2] = {};
        int wantOk = Evaluate(&p, want, &stacks, 0);
        LineResult got;
        int gotOk = RunLine(reinterpret_cast<const uint8_t*>(tokens.c_str()), &got);
        std::string where = std::string(f) + " with A=" + a + ", B=" + b;
        ASSERT_EQ(gotOk, wantOk) << where;
        if (wantOk) {
          EXPECT_EQ(std::memcmp(got.value, want, wantOk && BcdIsComplex(&want[0]) ? 24 : 12), 0)
              << where;
        } else {
          EXPECT_EQ(got.error, BcdErrorCode(&want[0])) << where;
        }
      }
    }
  }
}

// Programs with answers known from elsewhere, run from their text files.
TEST_F(InterpTest, KnownAnswerPrograms) {
  struct Program {
    const char* file;
    const char* variable;  // the letter holding the answer
    const char* want;
  };
  const Program programs[] = {
      {"primes.txt", "C", "168"},
      {"fibonacci.txt", "B", "832040"},
      {"euclid.txt", "A", "21"},
      {"collatz_small.txt", "M", "871"},
      {"newton_sqrt2.txt", "X", "1.41421356237310"},
  };
  for (const Program& p : programs) {
    Store("KNOWN", ProgramFile(p.file));
    InterpResult r = RunProgram("KNOWN");
    EXPECT_EQ(r.error, 0) << p.file << " at " << r.programOffset;
    std::string value = EvalTextLine(p.variable, true).text;  // the canonical 15 digits
    BcdNumber want;
    ASSERT_TRUE(BcdFromText(&want, p.want));
    char text[kBcdTextSize];
    BcdCanonicalText(&want, text);
    EXPECT_EQ(value, text) << p.file;
  }
}

}  // namespace
