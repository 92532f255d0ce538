// The window rules: dependent fields, ranges, presets, the previous window,
// the zoom factors and the window memories.
#include "apps/graph/view_window.h"

#include "apps/graph/graph_items.h"
#include "graph_test_support.h"

namespace {

using ViewWindowTest = GraphTest;

ViewWindow Current() {
  ViewWindow w;
  EXPECT_EQ(ReadViewWindow(&w), 0);
  return w;
}

std::string Field(int index) {
  return Canonical(Current().field[index]);
}

TEST_F(ViewWindowTest, AFreshWindowIsTheInitialOne) {
  const ViewWindow w = Current();
  EXPECT_EQ(Canonical(w.field[kXmin]), Canonical(Num("-6.3")));
  EXPECT_EQ(Canonical(w.field[kYmax]), Canonical(Num("3.1")));
  EXPECT_EQ(Canonical(w.field[kXdot]), Canonical(Num("0.1")));
  EXPECT_TRUE(GraphItemExists("VWIN")) << "reading makes the item";
}

TEST_F(ViewWindowTest, DependentFieldsFollowAChange) {
  struct Row {
    int firstIndex;  // a field set first, or -1
    const char* firstValue;
    int index;
    const char* value;
    int expectIndex;
    BcdNumber expect;
  };
  const Row rows[] = {
      {kXmax, "6.3", kXmin, "-6.3", kXdot, Num("0.1")},
      {kXmax, "6.3", kXmin, "-6.3", kXdotHalf, Quotient("12.6", 62)},
      {kXmin, "0", kXdot, "0.1", kXmax, Num("12.6")},
      {kXmin, "0", kXdot, "0.1", kXdotHalf, Quotient("12.6", 62)},
      {kXmin, "1", kXdotHalf, "0.5", kXmax, Num("32")},
      {kXmin, "1", kXdotHalf, "0.5", kXdot, Quotient("31", 126)},
      {kXmin, "-1", kXmax, "125", kXdot, Num("1")},
      {-1, "", kYmax, "100", kYmin, Num("-3.1")},
      {-1, "", kYmin, "-50", kXdot, Num("0.1")},
      {-1, "", kTpitch, "-0.5", kTpitch, Num("-0.5")},
  };
  for (const Row& row : rows) {
    FreshMemory();
    if (row.firstIndex >= 0) {
      ASSERT_EQ(SetViewWindowField(Num(row.firstValue), row.firstIndex, WindowSide::kMain), 0);
    }
    EXPECT_EQ(SetViewWindowField(Num(row.value), row.index, WindowSide::kMain), 0);
    EXPECT_EQ(Field(row.expectIndex), Canonical(row.expect))
        << "field " << row.index << " = " << row.value << ", looking at " << row.expectIndex;
  }
}

TEST_F(ViewWindowTest, RefusedValuesChangeNothing) {
  struct Row {
    int index;
    const char* value;
  };
  const Row rows[] = {
      {kXdot, "0"},     {kXdot, "-1"},   {kXdotHalf, "0"},  {kXdotHalf, "-0.2"},
      {kTpitch, "0"},   {kYmax, "2E98"}, {kYmax, "1E98"},   {kYmin, "-1E98"},
      {kXmin, "-9E99"}, {kXdot, "9E97"}, {kXscale, "1E98"}, {kTmax, "5E98"},
  };
  for (const Row& row : rows) {
    ASSERT_EQ(SavePreviousWindow(false), 0);
    const ViewWindow before = Current();
    EXPECT_EQ(SetViewWindowField(Num(row.value), row.index, WindowSide::kMain), kErrRange)
        << row.index << " = " << row.value;
    const ViewWindow after = Current();
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0) << row.index << " = " << row.value;
    EXPECT_TRUE(GraphItemExists("PREVWIN")) << "a refused store keeps the previous window";
  }
  EXPECT_EQ(SetViewWindowField(Num("9.99E97"), kYmax, WindowSide::kMain), 0) << "just inside";
}

TEST_F(ViewWindowTest, CheckRangeBounds) {
  for (const char* fits : {"0", "-9.99999999999999E97"}) EXPECT_EQ(CheckRange(Num(fits)), 0);
  for (const char* out : {"1E98", "-1E98"}) EXPECT_EQ(CheckRange(Num(out)), kErrRange) << out;
  BcdNumber error;
  BcdError(&error, 3);
  EXPECT_EQ(CheckRange(error), kErrRange);
}

TEST_F(ViewWindowTest, EverySuccessfulChangeDeletesThePreviousWindow) {
  for (int index = 0; index < kViewFieldCount; ++index) {
    ASSERT_EQ(SavePreviousWindow(false), 0);
    ASSERT_TRUE(GraphItemExists("PREVWIN"));
    const char* value = index == kXmin ? "-1" : index == kYmin ? "-2" : "7";
    ASSERT_EQ(SetViewWindowField(Num(value), index, WindowSide::kMain), 0) << index;
    EXPECT_FALSE(GraphItemExists("PREVWIN")) << index;
  }
  ASSERT_EQ(SavePreviousWindow(false), 0);
  EXPECT_EQ(SetWindowPreset(kPresetStd, WindowSide::kMain), 0);
  EXPECT_FALSE(GraphItemExists("PREVWIN")) << "a preset is a change too";
}

TEST_F(ViewWindowTest, ScalesAreStoredAsDecimals) {
  BcdNumber one, three, third;
  BcdFromInt(&one, 1);
  BcdFromInt(&three, 3);
  ASSERT_EQ(BcdFractionBuild(nullptr, &one, &three, &third), 1);
  ASSERT_EQ(SetViewWindowField(third, kXscale, WindowSide::kMain), 0);
  const BcdNumber stored = Current().field[kXscale];
  EXPECT_FALSE(BcdIsFraction(&stored));
  EXPECT_EQ(Canonical(stored), Canonical(Quotient("1", 3)));
}

TEST_F(ViewWindowTest, PresetsFollowTheAngleUnit) {
  struct Row {
    int preset;
    uint8_t angle;
    int index;
    const char* expect;
  };
  const Row rows[] = {
      {kPresetInit, 1, kXdot, "0.1"},
      {kPresetInit, 1, kTmax, "6.28318530717960"},
      {kPresetInit, 1, kTpitch, "0.0628318530717960"},
      {kPresetInit, 0, kTmax, "360"},
      {kPresetInit, 2, kTpitch, "4"},
      {kPresetTrig, 0, kXmin, "-540"},
      {kPresetTrig, 0, kXscale, "90"},
      {kPresetTrig, 1, kXmax, "9.4247779607694"},
      {kPresetTrig, 2, kXmax, "600"},
      {kPresetTrig, 1, kYmin, "-1.6"},
      {kPresetStd, 1, kYmax, "10"},
      {kPresetStd, 1, kXdot, "0.158730158730159"},
      {310, 1, kYscale, "5"},
      {311, 1, kYmin, "-1"},
  };
  for (const Row& row : rows) {
    SetSetupItem(kSetupAngle, row.angle);
    ASSERT_EQ(SetWindowPreset(row.preset, WindowSide::kMain), 0);
    EXPECT_EQ(Field(row.index), Canonical(Num(row.expect)))
        << "preset " << row.preset << " angle " << int{row.angle} << " field " << row.index;
  }
  SetSetupItem(kSetupAngle, 1);
  ASSERT_EQ(SetWindowPreset(kPresetInit, WindowSide::kMain), 0);
  EXPECT_EQ(Field(kXdotHalf), Canonical(Quotient("12.6", 62)));
  const ViewWindow before = Current();
  EXPECT_EQ(SetWindowPreset(350, WindowSide::kMain), 0) << "no preset: nothing changes";
  const ViewWindow after = Current();
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
}

TEST_F(ViewWindowTest, RightWindowIsSeparate) {
  ASSERT_EQ(SetViewWindowField(Num("-1"), kXmin, WindowSide::kRight), 0);
  ViewWindow right;
  ASSERT_EQ(ReadRightViewWindow(&right), 0);
  EXPECT_EQ(Canonical(right.field[kXmin]), Canonical(Num("-1")));
  EXPECT_EQ(Field(kXmin), Canonical(Num("-6.3")));
  ASSERT_EQ(SavePreviousWindow(true), 0);
  ViewWindow previous;
  ASSERT_EQ(ReadPreviousWindow(&previous), 0);
  EXPECT_EQ(Canonical(previous.field[kXmin]), Canonical(Num("-1"))) << "from the right window";
}

TEST_F(ViewWindowTest, PreviousAndInitialWindows) {
  ViewWindow w;
  EXPECT_EQ(ReadPreviousWindow(&w), kErrMemory);
  EXPECT_EQ(ReadInitialWindow(&w), -1);
  const ViewWindow first = Current();
  ASSERT_EQ(SaveInitialWindow(first), 0);
  ASSERT_EQ(ReadInitialWindow(&w), 0);
  EXPECT_EQ(std::memcmp(&w, &first, sizeof w), 0);
}

TEST_F(ViewWindowTest, FactorsStartAtTwoAndRefuseBadValues) {
  BcdNumber f;
  ASSERT_EQ(GetFactor(kFactorY, &f), 0);
  EXPECT_EQ(Canonical(f), Canonical(Num("2")));
  EXPECT_TRUE(GraphItemExists("FACTOR"));
  for (const char* bad : {"0", "-3", "1E98"}) EXPECT_EQ(SetFactor(kFactorX, Num(bad)), kErrRange);
  EXPECT_EQ(SetFactor(kFactorX, Num("0.5")), 0);
  ASSERT_EQ(GetFactor(kFactorX, &f), 0);
  EXPECT_EQ(Canonical(f), Canonical(Num("0.5")));
  ASSERT_EQ(GetFactor(kFactorY, &f), 0);
  EXPECT_EQ(Canonical(f), Canonical(Num("2"))) << "the other factor stays";
}

TEST_F(ViewWindowTest, WindowMemoriesStoreAndRecall) {
  ASSERT_EQ(SetWindowPreset(kPresetStd, WindowSide::kMain), 0);
  ASSERT_EQ(StoreWindowMemoryNumber(3), 0);
  EXPECT_TRUE(GraphItemExists("VMEM3"));
  ASSERT_EQ(SetWindowPreset(kPresetInit, WindowSide::kMain), 0);
  ASSERT_EQ(SavePreviousWindow(false), 0);
  ASSERT_EQ(RecallWindowMemoryNumber(3), 0);
  EXPECT_EQ(Field(kXmax), Canonical(Num("10")));
  EXPECT_FALSE(GraphItemExists("PREVWIN"));
  ASSERT_EQ(RecallWindowMemoryNumber(5), 0);
  EXPECT_EQ(Field(kXmax), Canonical(Num("6.3"))) << "an empty memory holds the initial window";
  EXPECT_EQ(StoreWindowMemoryNumber(0), kErrArgument);
  EXPECT_EQ(RecallWindowMemoryNumber(7), kErrArgument);
}

TEST_F(ViewWindowTest, AFullMemoryIsAMemoryError) {
  LeaveFree(16);
  ViewWindow w;
  EXPECT_EQ(ReadViewWindow(&w), kErrMemory);
  EXPECT_EQ(SetViewWindowField(Num("1"), kYmax, WindowSide::kMain), kErrMemory);
}

}  // namespace
