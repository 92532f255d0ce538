// The GRAPH screens driven by keys: what the Y= list, the V-Window, zoom
// and the window memory pop-ups do to main memory.
#include "apps/graph/graph_app.h"

#include "apps/graph/graph_draw.h"
#include "apps/graph/graph_funcs.h"
#include "apps/graph/graph_items.h"
#include "apps/graph/graph_ui.h"
#include "graph_test_support.h"
#include "os/keys_fixture.h"

namespace {

class GraphAppTest : public KeysTest {
 protected:
  void SetUp() override {
    KeysTest::SetUp();
    FreshMemory();
    EvalInit();
    GraphQuit() = false;
    RegisterGraphMenus();
    EnterMenuGroup(kMenuYList);
    // Keys are handed over one at a time, as a person types them, so that
    // the break checks (which drop keys typed ahead) see none waiting.
    EvalSetBreakTest([] { return 0; });
    SetGraphBreakTest([] { return 0; });
    OsHooks hooks = HostOsHooks();
    hooks.beforeWait = [] {
      if (KeyQueueCount() != 0) return;
      if (Pending().empty()) throw NoKeysLeft{};
      Press(Pending().front());
      Pending().erase(Pending().begin());
    };
    HostInstallOsHooks(hooks);
  }
  void TearDown() override {
    EvalSetBreakTest(nullptr);
    SetGraphBreakTest(nullptr);
    KeysTest::TearDown();
  }

  static std::vector<const char*>& Pending() {
    static std::vector<const char*> keys;
    return keys;
  }
  // Runs a screen with the keys given; it must use them all.
  template <typename F>
  void Run(const std::vector<const char*>& keys, F screen) {
    Pending() = keys;
    EXPECT_TRUE(RanOutOfKeys(screen)) << "the screen left early";
    EXPECT_TRUE(Pending().empty()) << "keys left over";
  }
  static std::string Field(int index) {
    BcdNumber v;
    EXPECT_EQ(GetViewWindowField(index, WindowSide::kMain, &v), 0);
    return Canonical(v);
  }
  static void Entry() { GraphAppEntry(1, 0); }
  static void Window() { ViewWindowScreen(WindowSide::kMain); }
};

TEST_F(GraphAppTest, ViewWindowTakesTypedValues) {
  Run({"DOWN", "1", "2", "EXE", "(-)", "2", "EXE"}, Window);
  EXPECT_EQ(Field(kXmax), Canonical(Num("12")));
  EXPECT_EQ(Field(kXscale), Canonical(Num("-2")));
  EXPECT_EQ(Field(kXdot), Canonical(Quotient("18.3", 126)));
}

TEST_F(GraphAppTest, ViewWindowRefusesBadValuesAndKeepsTheOld) {
  // dot 0: Range; 1/0: Ma; a dangling operator: Syntax. Each box is closed with EXIT.
  Run({"DOWN", "DOWN", "DOWN", "0", "EXE", "ESC", "1", "/", "0", "EXE", "ESC", "2", "+", "EXE",
       "ESC"},
      Window);
  EXPECT_EQ(Field(kXdot), Canonical(Num("0.1")));
  EXPECT_EQ(Field(kXmax), Canonical(Num("6.3")));
}

TEST_F(GraphAppTest, ViewWindowPresetsOnTheFunctionKeys) {
  Run({"F3"}, Window);
  EXPECT_EQ(Field(kXmax), Canonical(Num("10")));
  Run({"F2"}, Window);
  EXPECT_EQ(Field(kXmax), Canonical(Num("9.4247779607694")));
  Run({"F1"}, Window);
  EXPECT_EQ(Field(kXmax), Canonical(Num("6.3")));
}

TEST_F(GraphAppTest, WindowMemoryPopUpsAskAgainForABadNumber) {
  ASSERT_EQ(SetWindowPreset(kPresetStd, WindowSide::kMain), 0);
  // STO: 7 is refused with the Argument box, 2 stores.
  Run({"F4", "7", "EXE", "ESC", "2", "EXE"}, Window);
  EXPECT_TRUE(GraphItemExists("VMEM2"));
  EXPECT_FALSE(GraphItemExists("VMEM7"));
  Run({"F1", "F5", "2", "EXE"}, Window);
  EXPECT_EQ(Field(kXmax), Canonical(Num("10")));
  Run({"F1", "F5", "ESC"}, Window);
  EXPECT_EQ(Field(kXmax), Canonical(Num("6.3"))) << "EXIT recalls nothing";
}

TEST_F(GraphAppTest, TypedFunctionsAreStoredAndSelected) {
  Run({"XtT", "^2", "EXE", "sin", "XtT", "EXE", "UP", "F1"}, Entry);
  const GraphFunction y1 = LoadGraphFunction(1), y2 = LoadGraphFunction(2);
  EXPECT_EQ(y1.expr[0], "X\x8B") << "X and the square";
  EXPECT_TRUE(y1.selected);
  EXPECT_EQ(y2.expr[0], Tokens("sin X"));
  EXPECT_FALSE(y2.selected) << "F1 switched it off";
}

TEST_F(GraphAppTest, EditingKeepsTheRestOfTheLine) {
  Run({"XtT", "+", "1", "EXE", "UP", "LEFT", "LEFT", "DEL", "-", "EXE"}, Entry);
  EXPECT_EQ(LoadGraphFunction(1).expr[0], Tokens("X-1"));
}

TEST_F(GraphAppTest, DeleteAsksFirst) {
  Run({"1", "EXE", "UP", "F2", "F6", "F2", "F1"}, Entry);
  EXPECT_TRUE(LoadGraphFunction(1).Empty());
  EXPECT_FALSE(GraphItemExists("1"));
}

TEST_F(GraphAppTest, TypeMenuMakesParametricRows) {
  Run({"F3", "F3", "2", "cos", "XtT", "EXE", "2", "sin", "XtT", "EXE"}, Entry);
  const GraphFunction f = LoadGraphFunction(1);
  EXPECT_EQ(f.type, kGraphParam);
  EXPECT_EQ(f.expr[0], Tokens("2cos T"));
  EXPECT_EQ(f.expr[1], Tokens("2sin T"));
  EXPECT_EQ(GetSetupItem(kSetupFuncType), kGraphParam);
}

TEST_F(GraphAppTest, ZoomInOutAndBack) {
  // Zoom in about the middle with the factors 2: half the window.
  Run({"XtT", "EXE", "F6", "F2", "F3", "EXE"}, Entry);
  EXPECT_EQ(Field(kXmax), Canonical(Num("3.15")));
  EXPECT_EQ(Field(kYmin), Canonical(Num("-1.55")));
  ViewWindow w;
  ASSERT_EQ(ReadInitialWindow(&w), 0) << "the window before the zooms is kept";
  Run({"F6", "F2", "F4", "EXE"}, Entry);
  EXPECT_EQ(Field(kXmax), Canonical(Num("6.3")));
  // PRE swaps with the window before the last zoom; ORIG goes back to the start.
  Run({"F6", "F2", "F3", "EXE", "F2", "F3", "EXE", "F2", "F6", "F3"}, Entry);
  EXPECT_EQ(Field(kXmax), Canonical(Num("3.15")));
  Run({"F6", "F2", "F6", "F1"}, Entry);
  EXPECT_EQ(Field(kXmax), Canonical(Num("6.3")));
}

TEST_F(GraphAppTest, ZoomBoxTakesTheCorners) {
  // From the middle, ten dots left and up, then twenty right and down.
  std::vector<const char*> keys = {"XtT", "EXE", "F6", "F2", "F1"};
  for (int i = 0; i < 10; ++i) keys.insert(keys.end(), {"LEFT", "UP"});
  keys.push_back("EXE");
  for (int i = 0; i < 20; ++i) keys.insert(keys.end(), {"RIGHT", "DOWN"});
  keys.push_back("EXE");
  Run(keys, Entry);
  EXPECT_EQ(Field(kXmin), Canonical(Num("-1")));
  EXPECT_EQ(Field(kXmax), Canonical(Num("1")));
  EXPECT_EQ(Field(kYmin), Canonical(Num("-1")));
  EXPECT_EQ(Field(kYmax), Canonical(Num("1")));
}

TEST_F(GraphAppTest, ZoomAutoFitsTheCurve) {
  GraphFunction f;
  f.selected = true;
  f.expr[0] = Tokens("X^2");
  ASSERT_EQ(SaveGraphFunction(1, f), 0);
  ASSERT_EQ(ZoomAutoWindow(), 0);
  EXPECT_EQ(Field(kYmin), Canonical(Num("0")));
  EXPECT_EQ(Field(kYmax), Canonical(Num("39.69")));
}

TEST_F(GraphAppTest, DrawWithAnEmptyWindowShowsTheRangeError) {
  ASSERT_EQ(SetViewWindowField(Num("-4"), kYmax, WindowSide::kMain), 0);
  Run({"XtT", "EXE", "F6", "ESC"}, Entry);
  EXPECT_TRUE(MenuOnStack(kMenuYList)) << "back on the list";
}

}  // namespace
