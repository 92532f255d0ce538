// Drawing through the window: the dot mapping, gaps at points that cannot be
// computed, the setup's decorations, and golden pictures of typical graphs.
#include "apps/graph/graph_draw.h"

#include "apps/graph/graph_funcs.h"
#include "graph_test_support.h"
#include "host/services/front_end.h"
#include "memory/mem_app.h"
#include "support/golden.h"

namespace {

class GraphDrawTest : public GraphTest {
 protected:
  void SetUp() override {
    GraphTest::SetUp();
    HostResetForTest();
    ClearVram();
  }
  void TearDown() override { HostResetForTest(); }

  static void Define(int n, uint8_t type, const char* a, const char* b = "") {
    GraphFunction f;
    f.type = type;
    f.selected = true;
    f.expr[0] = Tokens(a);
    if (*b) f.expr[1] = Tokens(b);
    ASSERT_EQ(SaveGraphFunction(n, f), 0);
  }
  static int Draw() { return DrawAllGraphs(&planes); }
  static bool Dot(int x, int y) { return GraphDotSet(planes, x, y); }
  // Dots set in columns x0 to x1.
  static int Dots(int x0 = 0, int x1 = 127) {
    int n = 0;
    for (int x = x0; x <= x1; ++x)
      for (int y = 0; y < 64; ++y) n += Dot(x, y);
    return n;
  }
  static int DotsInColumn(int x) { return Dots(x, x); }
  static ::testing::AssertionResult Golden(const char* name) {
    return golden::MatchesGolden(VramAddress(), std::string("tests/apps/graph/golden/") + name);
  }

  static GraphPlanes planes;
};
GraphPlanes GraphDrawTest::planes;

TEST_F(GraphDrawTest, ParabolaInTheInitialWindow) {
  Define(1, kGraphY, "X^2");
  ASSERT_EQ(Draw(), 0);
  // The axes cross at column 64, row 32; the vertex sits on them.
  EXPECT_TRUE(Dot(64, 32));
  EXPECT_TRUE(Dot(74, 22)) << "x = 1 gives y = 1: ten dots right, ten up";
  EXPECT_FALSE(Dot(84, 1)) << "x = 2 gives y = 4, above the window";
  EXPECT_TRUE(Golden("parabola_init.txt"));
}

TEST_F(GraphDrawTest, SineInTrigWindows) {
  for (uint8_t angle : {uint8_t{0}, uint8_t{1}}) {
    SetSetupItem(kSetupAngle, angle);
    ASSERT_EQ(SetWindowPreset(kPresetTrig, WindowSide::kMain), 0);
    Define(1, kGraphY, "sin X");
    ASSERT_EQ(Draw(), 0);
    EXPECT_TRUE(Golden(angle == 0 ? "sine_trig_deg.txt" : "sine_trig_rad.txt"));
  }
}

TEST_F(GraphDrawTest, APoleLeavesAGapWithoutAVerticalLine) {
  SetSetupItem(29, 1);  // axes off, so column 64 holds only the curve
  Define(1, kGraphY, "1/X");
  ASSERT_EQ(Draw(), 0);
  EXPECT_EQ(DotsInColumn(64), 0) << "x = 0 cannot be computed";
  EXPECT_LE(Dots(63, 65), 4) << "no line joins the two branches";
  EXPECT_TRUE(Dot(74, 22)) << "1/1 = 1";
  SetSetupItem(29, 0);
  ASSERT_EQ(Draw(), 0);
  EXPECT_TRUE(Golden("reciprocal_init.txt"));
}

TEST_F(GraphDrawTest, PolesBetweenColumnsAreNotJoinedButSteepLinesAre) {
  SetSetupItem(29, 1);
  ASSERT_EQ(SetViewWindowField(Num("-6.25"), kXmin, WindowSide::kMain), 0);  // 0 falls between
  Define(1, kGraphY, "1/X");
  ASSERT_EQ(Draw(), 0);
  for (int x = 60; x <= 68; ++x) EXPECT_LE(DotsInColumn(x), 12) << x;
  Define(1, kGraphY, "1000X");
  ASSERT_EQ(Draw(), 0);
  EXPECT_GE(Dots(60, 68), 60) << "a steep line crosses the whole screen";
}

TEST_F(GraphDrawTest, DomainErrorsLeaveGaps) {
  SetSetupItem(29, 1);
  Define(1, kGraphY, "sqrt X");
  ASSERT_EQ(Draw(), 0);
  EXPECT_EQ(Dots(1, 63), 0) << "no square root left of the axis";
  EXPECT_TRUE(Dot(64, 32));
  EXPECT_TRUE(Dot(74, 22)) << "sqrt 1 = 1";
}

// A function that is not well formed is a Syntax error of the drawing, for
// every kind of function, not an empty graph.
TEST_F(GraphDrawTest, AMalformedFunctionIsASyntaxError) {
  struct Case {
    uint8_t type;
    const char *a, *b;
  } cases[] = {
      {kGraphY, "1+", ""},
      {kGraphY, "sin", ""},
      {kGraphR, "2*", ""},
      {kGraphParam, "cos T", "sin T)"},
      {kGraphXc, "3+", ""},
  };
  for (const Case& c : cases) {
    Define(1, c.type, c.a, c.b);
    EXPECT_EQ(Draw(), kBcdErrSyntax) << c.a << " " << c.b;
  }
}

TEST_F(GraphDrawTest, PlotModeDrawsOneDotPerColumn) {
  SetSetupItem(25, 1);
  SetSetupItem(29, 1);
  Define(1, kGraphY, "3X");
  ASSERT_EQ(Draw(), 0);
  for (int x = 54; x <= 74; ++x) EXPECT_EQ(DotsInColumn(x), 1) << x;
  EXPECT_EQ(DotsInColumn(50), 0) << "y = -4.2 is below the window";
}

TEST_F(GraphDrawTest, ParametricCircleAndPolarRose) {
  Define(1, kGraphParam, "2cos T", "2sin T");
  ASSERT_EQ(Draw(), 0);
  EXPECT_TRUE(Dot(84, 32)) << "(2, 0)";
  EXPECT_TRUE(Dot(64, 12)) << "(0, 2)";
  EXPECT_TRUE(Dot(44, 32));
  EXPECT_TRUE(Golden("circle_param.txt"));
  GraphFunction none;
  ASSERT_EQ(SaveGraphFunction(1, none), 0);
  Define(2, kGraphR, "3sin(2θ)");
  ASSERT_EQ(Draw(), 0);
  EXPECT_TRUE(Golden("rose_polar.txt"));
}

TEST_F(GraphDrawTest, OnlySelectedFunctionsAreDrawn) {
  SetSetupItem(29, 1);
  Define(1, kGraphY, "2");
  Define(2, kGraphY, "-2");
  GraphFunction second = LoadGraphFunction(2);
  second.selected = false;
  ASSERT_EQ(SaveGraphFunction(2, second), 0);
  ASSERT_EQ(Draw(), 0);
  EXPECT_TRUE(Dot(10, 12));
  EXPECT_FALSE(Dot(10, 52));
}

TEST_F(GraphDrawTest, VerticalLineOfXc) {
  SetSetupItem(29, 1);
  Define(1, kGraphXc, "2");
  ASSERT_EQ(Draw(), 0);
  EXPECT_EQ(DotsInColumn(84), 63);
}

TEST_F(GraphDrawTest, GridAxesAndLabelsFollowTheSetup) {
  SetSetupItem(28, 0);  // grid on
  SetSetupItem(30, 0);  // labels on
  ASSERT_EQ(Draw(), 0);
  EXPECT_TRUE(Dot(74, 22)) << "grid point (1, 1)";
  EXPECT_TRUE(Dot(74, 31) && Dot(74, 33)) << "tick at x = 1";
  EXPECT_TRUE(Golden("grid_labels.txt"));
  SetSetupItem(28, 1);
  SetSetupItem(29, 1);
  SetSetupItem(30, 1);
  ASSERT_EQ(Draw(), 0);
  EXPECT_EQ(Dots(), 0) << "nothing selected, nothing shown";
}

TEST_F(GraphDrawTest, AWindowWithoutAreaIsARangeError) {
  ASSERT_EQ(SetViewWindowField(Num("-5"), kYmax, WindowSide::kMain), 0);
  EXPECT_EQ(Draw(), kErrRange);
  ASSERT_EQ(SetViewWindowField(Num("5"), kYmax, WindowSide::kMain), 0);
  ASSERT_EQ(SetViewWindowField(Num("7"), kXmin, WindowSide::kMain), 0);
  EXPECT_EQ(Draw(), kErrRange);
}

TEST_F(GraphDrawTest, DrawingKeepsTheUsersVariables) {
  BcdNumber seven[2];
  BcdFromInt(&seven[0], 7);
  BcdZero(&seven[1]);
  MemSetVariable('X', reinterpret_cast<const uint8_t*>(seven));
  Define(1, kGraphY, "X");
  ASSERT_EQ(Draw(), 0);
  BcdNumber x;
  std::memcpy(&x, MemVariable(MemVariableSlot('X')), sizeof x);
  EXPECT_EQ(Canonical(x), Canonical(Num("7")));
}

TEST_F(GraphDrawTest, FunctionsSurviveTheirItems) {
  Define(4, kGraphParam, "Xmin+T", "T^2");
  const GraphFunction f = LoadGraphFunction(4);
  EXPECT_EQ(f.type, kGraphParam);
  EXPECT_TRUE(f.selected);
  EXPECT_EQ(f.expr[0], Tokens("Xmin+T")) << "a token with a zero second byte";
  EXPECT_EQ(f.expr[1], Tokens("T^2"));
  EXPECT_TRUE(LoadGraphFunction(5).Empty());
  EXPECT_EQ(GraphFunctionName(kGraphParam, 4, 1), "Yt4");
}

TEST_F(GraphDrawTest, PlotGraphDotFlags) {
  struct Row {
    int x, y;
    uint8_t mode, flags;
    int shownX;  // -1: nothing set
    int plane;
  };
  const Row rows[] = {
      {0, 5, 0, 0, -1, 0},       {128, 5, 0, 0, -1, 0},   {5, 0, 0, 0, -1, 0},
      {5, 64, 0, 0, -1, 0},      {64, 5, 0, 0x80, -1, 0}, {63, 5, 0, 0x80, 63, 0},
      {20, 5, 0, 0x10, -1, 0},   {11, 5, 0, 0x10, 11, 0}, {116, 5, 0, 0x18, -1, 0},
      {117, 5, 0, 0x18, 117, 0}, {10, 5, 0, 0xC0, 74, 0}, {10, 5, 0x40, 0, 10, 1},
  };
  for (const Row& row : rows) {
    GraphPlanes p;
    ClearGraphPlanes(&p);
    ClearVram();
    PlotGraphDot(row.x, row.y, &p, row.mode, row.flags);
    int set = 0;
    for (int i = 0; i < 2048; ++i) set += __builtin_popcount(p.plane[i / 1024][i % 1024]);
    if (row.shownX < 0) {
      EXPECT_EQ(set, 0) << row.x << "," << row.y << " flags " << int{row.flags};
      continue;
    }
    EXPECT_EQ(set, 1) << row.x;
    EXPECT_TRUE(p.plane[row.plane][row.y * 16 + row.shownX / 8] & SingleDot(row.shownX)) << row.x;
    EXPECT_EQ(GetPixel(row.shownX, row.y), 1) << "shown at once";
  }
  GraphPlanes p;
  ClearGraphPlanes(&p);
  ClearVram();
  PlotGraphDot(9, 9, &p, 0, 0);
  PlotGraphDot(9, 9, &p, 0x40, 0);
  PlotGraphDot(9, 9, &p, 0x80 | 0x20, 0);
  EXPECT_EQ(GetPixel(9, 9), 1) << "still held by plane 1";
  PlotGraphDot(9, 9, &p, 0x80 | 0x40, kDotNoShow);
  EXPECT_EQ(GetPixel(9, 9), 1) << "not shown yet";
  PlotGraphDot(9, 9, &p, 0x80 | 0x60, 0);
  EXPECT_EQ(GetPixel(9, 9), 0);
}

TEST_F(GraphDrawTest, GSolveTitlesAndDerivativeReadout) {
  DrawGSolveTitle(30253);
  EXPECT_TRUE(Golden("title_eccentricity.txt"));
  ClearVram();
  DrawGSolveTitle(12345);
  EXPECT_EQ(std::count(VramAddress(), VramAddress() + kVramBytes, 0), kVramBytes);
  DrawGSolveTitle(30247);
  DrawDerivativeReadout(DerivativeLabel::kDyDx, 0, Num("-0.25"));
  DrawDerivativeReadout(DerivativeLabel::kDrDtheta, 3, Num("12345.678901"));
  EXPECT_TRUE(Golden("readout_labels.txt"));
}

}  // namespace
