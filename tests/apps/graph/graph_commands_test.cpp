// The program graph commands: their arguments, their refusals and what
// they leave on the graph planes; a whole line run by the interpreter ends
// on the graph screen.
#include "apps/graph/graph_commands.h"

#include "apps/graph/graph_draw.h"
#include "apps/graph/graph_items.h"
#include "graph_test_support.h"
#include "host/services/front_end.h"
#include "math/eval_print.h"
#include "math/interp.h"
#include "math/interp_graph.h"
#include "math/token.h"

namespace {

class GraphCommandsTest : public GraphTest {
 protected:
  void SetUp() override {
    GraphTest::SetUp();
    HostResetForTest();
    InstallGraphCommands();
    ClearGraphPlanes(&CurrentGraphPlanes());
  }
  void TearDown() override {
    InterpClearGraphHandlers();
    InterpSetScreenHook(nullptr);
    HostResetForTest();
  }

  // Runs one statement through its handler; the cursor must end on the end.
  static int Command(const char* text) {
    const std::string tokens = Tokens(text);
    const uint8_t* cursor = reinterpret_cast<const uint8_t*>(tokens.c_str());
    InterpGraphHandler handler = InterpGraphHandlerOf(TokenPeek(cursor));
    if (!handler) return -1;
    const int rc = handler(&cursor);
    if (rc == 0) {
      EXPECT_EQ(*cursor, 0) << text << ": the statement was not read to its end";
    }
    return rc;
  }
  static bool Dot(int x, int y) { return GraphDotSet(CurrentGraphPlanes(), x, y); }
  static int Dots() {
    int n = 0;
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 128; ++x) n += Dot(x, y);
    return n;
  }
};

TEST_F(GraphCommandsTest, ArgumentsAreChecked) {
  struct Row {
    const char* text;
    int rc;
  };
  const Row rows[] = {
      {"PxlOn 5,10", 0},
      {"PxlOn 64,10", 8},
      {"PxlOn 0,10", 8},
      {"PxlOn 5,128", 8},
      {"PxlOn 1.5,3", 8},
      {"PxlOn 5", 2},
      {"PxlOn 5,6,7", 2},
      {"PlotOn 1,1", 0},
      {"F-Line 0,0,1", 2},
      {"Circle 0,0,1", 0},
      {"Text 1,1,\"HI\"", 0},
      {"Text 1,1", 2},
      {"Text 70,1,\"HI\"", 8},
      {"Text 1,1,2+3", 0},
      {"StoPict 21", 8},
      {"RclPict 0", 8},
      {"Vertical 1/0", 3},
      {"Horizontal 0", 0},
      {"ViewWindow 1E99,2", 28},
      {"Factor 0,2", 28},
      {"AxesOff", 0},
      {"ViewWindow -1,1,1,-1,1,1,0,1,0", 28},
  };
  for (const Row& row : rows) EXPECT_EQ(Command(row.text), row.rc) << row.text;
}

TEST_F(GraphCommandsTest, PixelsTurnOnOffAndChange) {
  ASSERT_EQ(Command("PxlOn 5,10"), 0);
  EXPECT_TRUE(Dot(10, 5));
  ASSERT_EQ(Command("PxlChg 5,10"), 0);
  EXPECT_FALSE(Dot(10, 5));
  ASSERT_EQ(Command("PxlChg 5,10"), 0);
  EXPECT_TRUE(Dot(10, 5));
  ASSERT_EQ(Command("PxlOff 5,10"), 0);
  EXPECT_EQ(Dots(), 0);
}

TEST_F(GraphCommandsTest, LinesInCoordinates) {
  ASSERT_EQ(Command("Horizontal 0"), 0);
  for (int x = 1; x <= 127; ++x) EXPECT_TRUE(Dot(x, 32)) << x;
  ClearGraphPlanes(&CurrentGraphPlanes());
  ASSERT_EQ(Command("F-Line -1,-1,1,1"), 0);
  EXPECT_TRUE(Dot(54, 42) && Dot(64, 32) && Dot(74, 22));
  EXPECT_EQ(Dots(), 21);
  ClearGraphPlanes(&CurrentGraphPlanes());
  ASSERT_EQ(Command("Plot 0,0"), 0);
  ASSERT_EQ(Command("Plot 2,0"), 0);
  ASSERT_EQ(Command("Line"), 0);
  for (int x = 64; x <= 84; ++x) EXPECT_TRUE(Dot(x, 32)) << "Line joins the last two plots";
}

TEST_F(GraphCommandsTest, CircleIsRoundInTheInitialWindow) {
  ASSERT_EQ(Command("Circle 0,0,1"), 0);
  EXPECT_TRUE(Dot(74, 32) && Dot(54, 32) && Dot(64, 22) && Dot(64, 42));
  EXPECT_FALSE(Dot(64, 32));
}

TEST_F(GraphCommandsTest, PicturesKeepBothPlanes) {
  ASSERT_EQ(Command("PxlOn 5,10"), 0);
  ASSERT_EQ(Command("StoPict 3"), 0);
  EXPECT_EQ(GraphItemSize("PICT3"), 2048u);
  ClearGraphPlanes(&CurrentGraphPlanes());
  ASSERT_EQ(Command("RclPict 3"), 0);
  EXPECT_TRUE(Dot(10, 5));
  ASSERT_EQ(Command("RclPict 4"), 0) << "an empty picture recalls nothing";
  EXPECT_EQ(Dots(), 1);
}

// A new window's first drawing starts on a clean screen with that window's
// axes, as the setup stands when it draws (AxesOff in between: none).
TEST_F(GraphCommandsTest, DrawingAfterViewWindowStartsOnItsAxes) {
  ASSERT_EQ(Command("PxlOn 5,10"), 0);
  ASSERT_EQ(Command("ViewWindow -6.3,6.3,1,-3.1,3.1,1"), 0);
  EXPECT_TRUE(Dot(10, 5)) << "ViewWindow alone leaves the screen";
  ASSERT_EQ(Command("PxlOn 1,1"), 0);
  EXPECT_FALSE(Dot(10, 5)) << "the old drawing is gone";
  EXPECT_TRUE(Dot(1, 32) && Dot(127, 32) && Dot(64, 1)) << "the axes are there";
  ASSERT_EQ(Command("PxlOn 5,10"), 0);
  EXPECT_TRUE(Dot(10, 5) && Dot(1, 1)) << "later drawings add to it";

  ASSERT_EQ(Command("ViewWindow -6.3,6.3,1,-3.1,3.1,1"), 0);
  ASSERT_EQ(Command("AxesOff"), 0);
  ASSERT_EQ(Command("PxlOn 1,1"), 0);
  EXPECT_EQ(Dots(), 1);
}

// PxlTest( reads the screen back; the V-Window values read the window.
TEST_F(GraphCommandsTest, PxlTestAndWindowValuesInExpressions) {
  ASSERT_EQ(Command("ViewWindow 0,126,0,-31,31,0"), 0);
  ASSERT_EQ(Command("PxlOn 10,20"), 0);
  const struct {
    const char *line, *shown;
  } kCases[] = {
      {"PxlTest(10,20)", "1"},   {"PxlTest(11,20)", "0"},   {"PxlTest(1,1)", "1"},  // the y axis
      {"Xmax-Xmin", "126"},      {"Xdot", "1"},             {"Ymin", "-31"},
      {"Xfct", "2"},             {"RightXmax", "6.3"},      {"PxlTest(0,1)", "Error 8: Argument ERROR"},
      {"PxlTest(1,128)", "Error 8: Argument ERROR"},        {"PxlTest(2.5,1)", "Error 8: Argument ERROR"},
  };
  for (const auto& c : kCases) EXPECT_EQ(EvalTextLine(c.line, false).text, c.shown) << c.line;
}

TEST_F(GraphCommandsTest, ViewWindowAndSwitches) {
  ASSERT_EQ(Command("ViewWindow 0,12.6,1,-1,1,0.5"), 0);
  BcdNumber v;
  ASSERT_EQ(GetViewWindowField(kXdot, WindowSide::kMain, &v), 0);
  EXPECT_EQ(Canonical(v), Canonical(Num("0.1")));
  ASSERT_EQ(GetViewWindowField(kYscale, WindowSide::kMain, &v), 0);
  EXPECT_EQ(Canonical(v), Canonical(Num("0.5")));
  // Each switch stores its setup item; programs written for later screens
  // (FuncOn, SimulOn, LocusOn ...) run too.
  const struct {
    const char* command;
    int item, value;
  } kSwitchCases[] = {
      {"GridOn", 28, 0},   {"G-Plot", 25, 1},    {"ParamType", 24, 2},      {"FuncOff", 33, 1},
      {"SimulOn", 35, 0},  {"LocusOff", 84, 1},  {"Y=DrawSpeedHigh", 85, 1},
  };
  for (const auto& c : kSwitchCases) {
    SetSetupItem(c.item, uint8_t(c.value ^ 1));
    ASSERT_EQ(Command(c.command), 0) << c.command;
    EXPECT_EQ(GetSetupItem(c.item), c.value) << c.command;
  }
}

TEST_F(GraphCommandsTest, GraphCommandsDrawWithoutTheList) {
  SetSetupItem(29, 1);
  ASSERT_EQ(Command("Graph Y=X"), 0);
  EXPECT_TRUE(Dot(74, 22) && Dot(54, 42));
  ClearGraphPlanes(&CurrentGraphPlanes());
  ASSERT_EQ(Command("Graph(X,Y)=(cos T,sin T)"), 0);
  EXPECT_TRUE(Dot(74, 32) && Dot(64, 22));
  EXPECT_EQ(Command("Graph(X,Y)=(cos T)"), 2);
}

TEST_F(GraphCommandsTest, ARunEndsOnTheGraphScreen) {
  const std::string line = Tokens("Cls:PxlOn 1,1:PxlOn 63,127");
  InterpResult result;
  InterpIo io;
  ClearVram();
  ASSERT_EQ(InterpRun(reinterpret_cast<const uint8_t*>(line.c_str()), kInterpModeLine, &result, io),
            1)
      << result.error;
  EXPECT_EQ(GetPixel(1, 1), 1);
  EXPECT_EQ(GetPixel(127, 63), 1);
  EXPECT_EQ(GetPixel(64, 20), 1) << "Cls draws the axes";
}

}  // namespace
