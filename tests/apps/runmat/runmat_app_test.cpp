// RUN-MAT driven by keys over a real main memory: lines run with EXE, the
// results and "Done" on screen, errors with the cursor put back, "REPLAY",
// the SETUP screen and the menus that type every command.
#include "apps/runmat/runmat_app.h"

#include <cstring>
#include <string>
#include <vector>

#include "apps/runmat/runmat_editor.h"
#include "apps/runmat/runmat_replay.h"
#include "math/eval.h"
#include "math/eval_print.h"
#include "math/interp.h"
#include "math/interp_graph.h"
#include "math/text_tokens.h"
#include "math/token.h"
#include "memory/mcs_core.h"
#include "memory/mem_app.h"
#include "os/clip_buffer.h"
#include "os/draw.h"
#include "os/keys_fixture.h"
#include "os/setup.h"
#include "os/vram.h"

namespace {

// The calculator's codes of ×, +, the fraction separator and i.
const std::string kTimes = "\xA9", kPlus = "\x89", kFraction = "\xBB", kI = "\x7F\x50";

class RunMatTest : public KeysTest {
 protected:
  void SetUp() override {
    KeysTest::SetUp();
    static bool arena = McsAllocateArena() != nullptr;
    ASSERT_TRUE(arena);
    MemStartUp();
    EvalInit();
    // The host's break test empties the key queue; these tests post every
    // key before the screen runs.
    EvalSetBreakTest(nullptr);
  }

  // Posts keys by name, and for a string "tok:TEXT" the tokens of TEXT as
  // ready character codes (what the keys that type them give).
  static void Keys(std::initializer_list<const char*> keys) {
    for (const char* k : keys) {
      if (std::strncmp(k, "tok:", 4) == 0) {
        std::string tokens;
        ASSERT_EQ(TextToTokens(k + 4, &tokens), 0) << k;
        for (const uint8_t* p = reinterpret_cast<const uint8_t*>(tokens.c_str()); *p;) {
          uint16_t code = TokenAdvance(&p);
          PostChar(code);
        }
      } else {
        Press(k);
      }
    }
  }

  // Runs RUN-MAT until the keys are used up.
  static void Run(std::initializer_list<const char*> keys) {
    Keys(keys);
    ASSERT_LT(KeyQueueCount(), kKeyQueueCapacity) << "more keys than the queue holds";
    EXPECT_TRUE(RanOutOfKeys([] { RunMatAppEntry(1, 0); }));
  }

  // Whether text line `line` shows `text` at `column` (1-based) and nothing
  // else.
  static bool Shows(int line, const std::string& text, int column = 1) {
    std::vector<uint8_t> keep = VramCopy();
    ClearArea(0, (line - 1) * 8, 127, line * 8 - 1);
    Locate(column, line);
    std::string calc = text;
    Print(calc.c_str());
    std::vector<uint8_t> want = VramCopy();
    std::memcpy(VramAddress(), keep.data(), kVramBytes);
    return std::memcmp(want.data() + (line - 1) * 128, keep.data() + (line - 1) * 128, 128) == 0;
  }
  static bool ShowsRight(int line, const std::string& text) {
    int cells = 0;
    const char* p = text.c_str();
    while (ReadCharCode(&p)) ++cells;
    return Shows(line, text, 22 - cells);
  }

  static std::string Value(const char* text) { return EvalTextLine(text, false).text; }
  static std::string Line() {
    return TokensToText(reinterpret_cast<const uint8_t*>(RunMatLine().c_str()));
  }
};

TEST_F(RunMatTest, ResultsRightAlignedAndAnsCarries) {
  Run({"1", "+", "2", "EXE", "*", "2", "EXE"});
  EXPECT_TRUE(Shows(1, "1+2"));
  EXPECT_TRUE(ShowsRight(2, "3"));
  EXPECT_TRUE(Shows(3, "Ans" + kTimes + "2"));  // the operator after a result starts with Ans
  EXPECT_TRUE(ShowsRight(4, "6"));
  EXPECT_EQ(Value("Ans"), "6");
}

TEST_F(RunMatTest, ListAndMatrixResultsAreWrittenOut) {
  Run({"tok:{1,2}*2", "EXE"});
  EXPECT_TRUE(ShowsRight(2, "{2,4}"));
  ResetKeyState();  // the key queue holds 20 keys: one line per run
  Run({"tok:[[1,2][3,4]]", "EXE"});
  EXPECT_TRUE(ShowsRight(2, "[[1,2][3,4]]"));
}

TEST_F(RunMatTest, LongComplexResultTakesTwoLines) {
  SetSetupItem(kSetupComplexMode, 1);
  Run({"tok:1/3+2i/3", "EXE"});
  EXPECT_TRUE(ShowsRight(2, "0.3333333333"));
  EXPECT_TRUE(ShowsRight(3, kPlus + "0.6666666667" + kI));
}

TEST_F(RunMatTest, SettingCommandAloneShowsDone) {
  // SETUP, down to Angle, SHIFT F1 types Deg into the line.
  SetSetupItem(kSetupAngle, 1);
  Run({"SHIFT", "MENU", "DOWN", "DOWN", "DOWN", "SHIFT", "F1", "EXE"});
  EXPECT_TRUE(Shows(1, "Deg"));
  EXPECT_TRUE(Shows(2, "                 Done"));
  EXPECT_EQ(GetSetupItem(kSetupAngle), 0);
}

TEST_F(RunMatTest, SetupFunctionKeysChangeTheSettings) {
  struct Case {
    std::initializer_list<const char*> keys;
    int item;
    int want;
  };
  const Case cases[] = {
      {{"SHIFT", "MENU", "DOWN", "DOWN", "DOWN", "F3", "ESC"}, kSetupAngle, 2},
      {{"SHIFT", "MENU", "DOWN", "DOWN", "DOWN", "DOWN", "F2", "ESC"}, kSetupComplexMode, 1},
      {{"SHIFT", "MENU", "DOWN", "F4", "ESC"}, kSetupBaseMode, 1},
      {{"SHIFT", "MENU", "DOWN", "DOWN", "F2", "ESC"}, kSetupFracResult, kFracResultMixed},
      {{"SHIFT", "MENU", "F1", "ESC"}, kSetupInputMode, 0},
      {{"SHIFT", "MENU", "UP", "F1", "3", "ESC"}, kSetupDisplay, 0x23},         // Fix 3
      {{"SHIFT", "MENU", "UP", "F2", "F6", "F3", "ESC"}, kSetupDisplay, 0x37},  // Sci 7
      {{"SHIFT", "MENU", "UP", "F3", "ESC"}, kSetupDisplay, 0x10},              // Norm 2
      {{"SHIFT", "MENU", "UP", "F4", "ESC"}, kSetupDisplay, 0x80},              // Eng
  };
  for (const Case& c : cases) {
    ResetSetup();
    Run(c.keys);
    EXPECT_EQ(GetSetupItem(c.item), c.want) << "item " << c.item;
    EXPECT_EQ(RunMatLine(), "") << "changing a setting types nothing";
  }
}

TEST_F(RunMatTest, ErrorPutsTheCursorOnTheFailingToken) {
  Run({"1", "+", "*", "2", "EXE", "ESC"});
  EXPECT_EQ(Line(), "1+×2");
  TextCursorInfo c = GetCursorPosition();
  EXPECT_EQ(c.column, 2);  // on ×
  EXPECT_EQ(c.line, 0);
  EXPECT_TRUE(Shows(1, "1+" + kTimes + "2"));
  // Correcting it there runs.
  ResetKeyState();
  Run({"1", "+", "*", "2", "EXE", "ESC", "3", "EXE"});
  EXPECT_EQ(Value("Ans"), "7");
}

TEST_F(RunMatTest, ExeOnAnEmptyLineRunsThePreviousLineAgain) {
  Run({"tok:0->A", "EXE", "tok:A+1->A", "EXE", "EXE", "EXE"});
  EXPECT_EQ(Value("A"), "3");
  EXPECT_TRUE(ShowsRight(6, "3"));  // the empty line to type on is line 7
}

TEST_F(RunMatTest, UpAndDownRecallEarlierLines) {
  Run({"tok:11", "EXE", "tok:22", "EXE", "UP", "UP"});
  EXPECT_EQ(Line(), "11");
  ResetKeyState();
  Run({"tok:11", "EXE", "tok:22", "EXE", "UP", "UP", "DOWN"});
  EXPECT_EQ(Line(), "22");
}

TEST_F(RunMatTest, ReplayKeepsTheNewestLinesWithin256Bytes) {
  // 75 lines of 3 tokens and an end byte: 300 bytes.
  for (int i = 0; i < 75; ++i) {
    std::string tokens;
    TextToTokens(std::to_string(100 + i), &tokens);
    ASSERT_EQ(ReplayAppend(reinterpret_cast<const uint8_t*>(tokens.data()), tokens.size()), 0);
  }
  EXPECT_EQ(ReplayCount(), 64);
  std::string t;
  ASSERT_TRUE(ReplayEntry(0, &t));
  EXPECT_EQ(t, "174");
  ASSERT_TRUE(ReplayEntry(1, &t));
  EXPECT_EQ(t, "111");
  uint32_t size = 0;
  ASSERT_EQ(MemSearch(MemInFolder(kRunMatFolder), kReplayItem, &size), kMemOk);
  EXPECT_LE(size, 256u);
  EXPECT_EQ(size % 4, 0u);
  // Lines with two-byte tokens whose second byte is 0 read back whole.
  std::string ifLine;
  TextToTokens("If 1:Then 2:IfEnd", &ifLine);
  ASSERT_EQ(ReplayAppend(reinterpret_cast<const uint8_t*>(ifLine.data()), ifLine.size()), 0);
  ASSERT_TRUE(ReplayEntry(0, &t));
  EXPECT_EQ(t, ifLine);
  ReplayClear();
  EXPECT_EQ(ReplayCount(), 0);
}

TEST_F(RunMatTest, ReplayRefusesWhenMemoryIsFull) {
  // Fill main memory, then a line that cannot be kept is not run.
  std::vector<uint8_t> block(4000, 1);
  for (int i = 0;
       MemCreateIn("main", ("F" + std::to_string(i)).c_str(), 4000, block.data()) == kMemOk; ++i) {
  }
  for (int i = 0; MemCreateIn("main", ("G" + std::to_string(i)).c_str(), 4, block.data()) == kMemOk;
       ++i) {
  }
  std::string tokens(200, '1');
  EXPECT_EQ(ReplayAppend(reinterpret_cast<const uint8_t*>(tokens.data()), tokens.size()), 4);
}

TEST_F(RunMatTest, InputStatementReadsTheAnswerOnTheScreen) {
  Run({"tok:?->A:A^2", "EXE", "tok:7", "EXE"});
  EXPECT_EQ(Value("A"), "7");
  EXPECT_TRUE(Shows(2, "?"));
  EXPECT_TRUE(Shows(3, "7"));
  EXPECT_TRUE(ShowsRight(4, "49"));
}

TEST_F(RunMatTest, DisplayStopWaitsForExe) {
  // The line takes two rows (◢ ends one), then the value and the mark.
  Run({"tok:1◢2", "EXE"});
  EXPECT_TRUE(ShowsRight(3, "1"));
  EXPECT_TRUE(Shows(4, "             - Disp -"));
  ResetKeyState();
  Run({"tok:1◢2", "EXE", "EXE"});
  EXPECT_TRUE(ShowsRight(4, "2"));
}

TEST_F(RunMatTest, FractionDecimalAndEngineeringKeys) {
  Run({"tok:1/4", "EXE", "F<>D"});
  EXPECT_TRUE(ShowsRight(2, "1" + kFraction + "4"));
  EXPECT_EQ(Value("Ans+1/4"), "0.5");  // Ans holds the fraction
  ResetKeyState();
  Run({"tok:7/2", "EXE", "F<>D", "SHIFT", "F<>D"});
  EXPECT_TRUE(ShowsRight(2, "3" + kFraction + "1" + kFraction + "2"));
  ResetKeyState();
  // With Frac Result ab/c a fraction result comes out mixed; SHIFT F<>D still turns it improper.
  SetSetupItem(kSetupFracResult, kFracResultMixed);
  Run({"tok:5⌟3", "EXE"});
  EXPECT_TRUE(ShowsRight(2, "1" + kFraction + "2" + kFraction + "3"));
  ResetKeyState();
  Run({"tok:5⌟3", "EXE", "SHIFT", "F<>D"});
  EXPECT_TRUE(ShowsRight(2, "5" + kFraction + "3"));
  ResetSetup();
  ResetKeyState();
  // ENG→ moves the engineering form's exponent up by three.
  Run({"tok:1234", "EXE", "F6"});
  EXPECT_TRUE(ShowsRight(2, "0.001234\x0F+06"));
  ResetKeyState();
  Run({"tok:1234", "EXE", "F6", "F5", "F5"});
  EXPECT_TRUE(ShowsRight(2, "1234\x0F+00"));
  SetSetupItem(61, 0);              // a new line starts without the shift
  EXPECT_EQ(Value("Ans"), "1234");  // the value itself stays
}

TEST_F(RunMatTest, ClipCopiesAndPastes) {
  // "1+2", mark "+2" with CLIP and the arrows, COPY, then paste it twice.
  ClipBufferClear();
  Run({"tok:1+2", "SHIFT", "8", "LEFT", "LEFT", "F1", "SHIFT", "9", "SHIFT", "9", "EXE"});
  EXPECT_EQ(Value("Ans"), "7");
  EXPECT_EQ(ClipBufferGet(), kPlus + "2");
  uint32_t size = 0;
  EXPECT_EQ(MemSearch(MemInFolder(kRunMatFolder), kClipItem, &size), kMemOk);
  // Text pasted from the PC arrives in the clip buffer.
  ResetKeyState();
  std::string tokens;
  TextToTokens("6*7", &tokens);
  ClipBufferSet(reinterpret_cast<const uint8_t*>(tokens.data()), tokens.size());
  Run({"SHIFT", "9", "EXE"});
  EXPECT_EQ(Value("Ans"), "42");
}

// A line that ends on a graph command leaves the graph up until a key; the
// key brings the text screen back.
TEST_F(RunMatTest, GraphStaysUntilAKey) {
  InterpSetGraphHandler(0xE0, [](const uint8_t** p) {  // Plot: to the end of the line
    while (**p) ++*p;
    return 0;
  });
  static int graphs = 0;
  graphs = 0;
  InterpSetScreenHook([](InterpScreen s) {
    if (s != InterpScreen::kGraph) return;
    ++graphs;
    ClearVram();
    Locate(1, 4);
    Print("GRAPH");
  });
  Run({"tok:Plot 1,1", "EXE"});
  EXPECT_EQ(graphs, 1);
  EXPECT_TRUE(Shows(4, "GRAPH"));
  ResetKeyState();
  Run({"tok:Plot 1,1", "EXE", "ESC"});
  EXPECT_TRUE(Shows(1, "Plot 1,1"));
  EXPECT_TRUE(Shows(2, "                 Done"));
  InterpClearGraphHandlers();
  InterpSetScreenHook(nullptr);
}

// Every command the interpreter runs can be typed from the keys: the menus
// of OPTN, VARS, PRGM, SHIFT, ALPHA, SETUP and RUN-MAT's own bar.
TEST_F(RunMatTest, MenusTypeEveryCommand) {
  struct Path {
    std::initializer_list<const char*> keys;
    const char* text;   // the token typed, as text
    uint16_t code = 0;  // or its code
  };
  const Path paths[] = {
      {{"SHIFT", "VARS", "F1", "F1"}, "If "},
      {{"SHIFT", "VARS", "F1", "F2"}, "Then "},
      {{"SHIFT", "VARS", "F1", "F3"}, "Else "},
      {{"SHIFT", "VARS", "F1", "F4"}, "IfEnd"},
      {{"SHIFT", "VARS", "F1", "F6", "F1"}, "For "},
      {{"SHIFT", "VARS", "F1", "F6", "F2"}, " To "},
      {{"SHIFT", "VARS", "F1", "F6", "F3"}, " Step "},
      {{"SHIFT", "VARS", "F1", "F6", "F4"}, "Next"},
      {{"SHIFT", "VARS", "F1", "F6", "F6", "F1"}, "While "},
      {{"SHIFT", "VARS", "F1", "F6", "F6", "F2"}, "WhileEnd"},
      {{"SHIFT", "VARS", "F1", "F6", "F6", "F3"}, "Do"},
      {{"SHIFT", "VARS", "F1", "F6", "F6", "F4"}, "LpWhile "},
      {{"SHIFT", "VARS", "F2", "F1"}, "Prog "},
      {{"SHIFT", "VARS", "F2", "F2"}, "Return"},
      {{"SHIFT", "VARS", "F2", "F3"}, "Break"},
      {{"SHIFT", "VARS", "F2", "F4"}, "Stop"},
      {{"SHIFT", "VARS", "F3", "F1"}, "Lbl "},
      {{"SHIFT", "VARS", "F3", "F2"}, "Goto "},
      {{"SHIFT", "VARS", "F3", "F3"}, "=>"},
      {{"SHIFT", "VARS", "F3", "F4"}, "Isz "},
      {{"SHIFT", "VARS", "F3", "F5"}, "Dsz "},
      {{"SHIFT", "VARS", "F4"}, "?"},
      {{"SHIFT", "VARS", "F5"}, "◢"},
      {{"SHIFT", "VARS", "F6", "F4"}, ":"},
      {{"SHIFT", "VARS", "F6", "F1", "F1"}, "ClrText"},
      {{"SHIFT", "VARS", "F6", "F1", "F3"}, "ClrList "},
      {{"SHIFT", "VARS", "F6", "F1", "F4"}, "ClrMat "},
      {{"SHIFT", "VARS", "F6", "F2", "F2"}, "<>"},
      {{"SHIFT", "VARS", "F6", "F3", "F1"}, "Locate "},
      {{"SHIFT", "VARS", "F6", "F3", "F2"}, "Getkey"},
      {{"OPT", "F6", "F2", "F4"}, "Rnd"},
      {{"OPT", "F1", "F1"}, "List "},
      {{"OPT", "F2", "F1"}, "Mat "},
      {{"ALPHA", "F1"}, "'"},
      {{"ALPHA", "F2"}, "\""},
      {{"SHIFT", "(-)"}, "Ans"},
      {{"->"}, "->"},
      {{"SHIFT", "EXE"}, "\n"},
      {{"F1", "F1"}, "►Dec"},
      {{"F1", "F4"}, "►Oct"},
      {{"F1", "F5"}, "►DMS"},
      {{"F1", "F6", "F1"}, "", 0xF906},
      {{"F1", "F6", "F2"}, "", 0xF907},
      {{"SHIFT", "MENU", "DOWN", "SHIFT", "F2"}, "Dec"},
      {{"SHIFT", "MENU", "DOWN", "SHIFT", "F5"}, "Oct"},
      {{"SHIFT", "MENU", "DOWN", "DOWN", "SHIFT", "F2"}, "ab/c"},
      {{"SHIFT", "MENU", "DOWN", "DOWN", "DOWN", "SHIFT", "F3"}, "Gra"},
      {{"SHIFT", "MENU", "UP", "UP", "SHIFT", "F3"}, "r<theta"},
      {{"SHIFT", "MENU", "UP", "SHIFT", "F1"}, "Fix "},
      {{"SHIFT", "MENU", "UP", "SHIFT", "F2"}, "Sci "},
      {{"SHIFT", "MENU", "UP", "SHIFT", "F3"}, "Norm "},
      {{"SHIFT", "MENU", "UP", "SHIFT", "F4"}, "Eng"},
  };
  for (const Path& p : paths) {
    ResetKeyState();
    ResetMenus();
    ResetSetup();
    Run(p.keys);
    std::string want;
    ASSERT_EQ(TextToTokens(p.text, &want), 0) << p.text;
    if (std::string(p.text) == "\n") want = "\x0D";
    if (p.code) want = {char(p.code >> 8), char(p.code & 0xFF)};
    EXPECT_EQ(RunMatLine(), want) << "typed " << p.text;
  }
}

TEST(RunMatEditor, TokensOfOneAndTwoBytes) {
  LineEditor e;
  ASSERT_EQ(EditorInsert(&e, 0xF700, false), 0);  // If: a zero second byte
  ASSERT_EQ(EditorInsert(&e, '1', false), 0);
  ASSERT_EQ(EditorInsert(&e, 0x7F51, false), 0);
  EXPECT_EQ(e.size, 5u);
  EXPECT_TRUE(EditorLeft(&e));
  EXPECT_EQ(e.cursor, 3u);  // before List, not inside it
  EXPECT_TRUE(EditorLeft(&e));
  EXPECT_TRUE(EditorLeft(&e));
  EXPECT_EQ(e.cursor, 0u);
  EXPECT_FALSE(EditorLeft(&e));
  // Overwrite replaces a whole token whatever its length.
  ASSERT_EQ(EditorInsert(&e, 'X', true), 0);
  EXPECT_EQ(EditorTokens(e), std::string("X1\x7F\x51"));
  EditorEnd(&e);
  EditorDelete(&e, true);
  EXPECT_EQ(EditorTokens(e), "X1");
  // The buffer grows in steps of 256 bytes.
  for (int i = 0; i < 300; ++i) ASSERT_EQ(EditorInsert(&e, '1', false), 0);
  EXPECT_EQ(e.capacity, 512u);
  EditorLayout layout = EditorLayoutOf(e);
  EXPECT_EQ(layout.rows.size(), 15u);  // 302 cells on 21-cell rows
  EXPECT_EQ(layout.cursorRow, 14);
  EXPECT_EQ(layout.cursorColumn, 302 - 14 * 21);
  EditorFree(&e);
}

TEST(RunMatEditor, NewLineAndDisplayStopStartRows) {
  LineEditor e;
  std::string tokens;
  ASSERT_EQ(TextToTokens("1◢2", &tokens), 0);
  tokens += '\x0D';
  tokens += '3';
  ASSERT_EQ(EditorSet(&e, tokens), 0);
  EditorLayout layout = EditorLayoutOf(e);
  ASSERT_EQ(layout.rows.size(), 3u);
  EXPECT_EQ(layout.rows[1].cells[0], '2');
  EXPECT_EQ(layout.rows[2].cells[0], '3');
  EditorFree(&e);
}

}  // namespace
