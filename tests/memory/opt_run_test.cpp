// Optimisation: space comes back, files stay, an interrupted run is found at
// start-up and the user's answer is followed; the progress bar's geometry.
#include <gtest/gtest.h>

#include <cstring>

#include "fs_test_support.h"
#include "memory/fs_error.h"
#include "memory/fs_store.h"

namespace {

class OptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.Format();
    StorageSetUi(&ui.table);
  }
  void TearDown() override {
    StorageSetUi(nullptr);
    EXPECT_EQ(rig.emu.violations, 0) << rig.emu.first_violation;
  }
  FlashRig rig;
  UiDouble ui;
};

TEST_F(OptTest, DeletedSpaceAndRecordsComeBack) {
  FileModel model;
  for (int i = 0; i < 6; ++i) {
    Bytes data = Pattern(30000 + 1000 * i, i);
    ASSERT_EQ(WriteFile(FlashPath("F" + std::to_string(i)), data), 0);
    model[FlashPath("F" + std::to_string(i))] = data;
  }
  int free_before = FsFreeSpace(kFlashDevice.c_str());
  int records_before = Fs().record_count;
  FsPath p;
  FsParsePath(FlashPath("F2").c_str(), &p);
  int slot = SmOpen(p, 0);
  int frag_records = Fs().files[slot].fragments;
  SmClose(slot);
  ASSERT_EQ(FsDelete(FlashPath("F2").c_str()), 0);
  model.erase(FlashPath("F2"));
  ASSERT_EQ(FsRename(FlashPath("F4").c_str(), U("G4").c_str()), 0);
  model[FlashPath("G4")] = model[FlashPath("F4")];
  model.erase(FlashPath("F4"));
  ASSERT_EQ(FsOptimize(kFlashDevice.c_str()), 0);
  EXPECT_GE(FsFreeSpace(kFlashDevice.c_str()), free_before + 32000);
  // Obsolete records are gone; pieces may be cut differently at the new
  // sector boundaries, at most one more per data sector.
  EXPECT_LE(Fs().record_count, records_before - 1 - frag_records + 3);
  EXPECT_LT(Fs().record_count, records_before);
  DirSnapshot dir;
  ASSERT_EQ(ReadDirectory(&dir), 0);
  LiveSet live;
  FindLive(dir, &live);
  for (int n = 0; n < dir.count; ++n) EXPECT_TRUE(live.record[n]) << n;
  EXPECT_EQ(VerifyStore(rig, model), "");
  // The work reported rises to the whole amount and the window closes.
  ASSERT_FALSE(ui.progress.empty());
  EXPECT_EQ(ui.progress.back().first, ui.progress.back().second);
  for (size_t i = 1; i < ui.progress.size(); ++i)
    EXPECT_GE(ui.progress[i].first, ui.progress[i - 1].first);
  // And it can be done again, and files can be added afterwards.
  ASSERT_EQ(FsOptimize(kFlashDevice.c_str()), 0);
  ASSERT_EQ(WriteFile(FlashPath("NEW"), Pattern(70000, 77)), 0);
  model[FlashPath("NEW")] = Pattern(70000, 77);
  EXPECT_EQ(VerifyStore(rig, model), "");
}

TEST_F(OptTest, NotebookWorkFileIsDroppedFirst) {
  ASSERT_EQ(WriteFile(FlashPath("NOTEWORK.tmp"), Pattern(0x20000, 1)), 0);
  ASSERT_EQ(WriteFile(FlashPath("KEEP"), Pattern(10, 1)), 0);
  ASSERT_EQ(FsOptimize(kFlashDevice.c_str()), 0);
  Bytes got;
  EXPECT_EQ(ReadFile(FlashPath("NOTEWORK.tmp"), &got), kFsNotFound);
  EXPECT_EQ(VerifyStore(rig, {{FlashPath("KEEP"), Pattern(10, 1)}}), "");
}

TEST_F(OptTest, FullFormatShowsTwentyFiveStepsAndEmptiesTheStore) {
  ASSERT_EQ(WriteFile(FlashPath("GONE.g1m"), Pattern(5000, 1)), 0);
  ASSERT_EQ(FsFormat(kFlashDevice.c_str(), true), 0);
  ASSERT_EQ(ui.progress.size(), 25u);
  EXPECT_EQ(ui.progress.front(), std::make_pair(1u, 25u));
  EXPECT_EQ(ui.progress.back(), std::make_pair(25u, 25u));
  EXPECT_EQ(Fs().record_count, 25);
  Bytes got;
  EXPECT_EQ(ReadFile(FlashPath("GONE.g1m"), &got), kFsNotFound);
  // A quick format shows no progress and gives the same store.
  ui.progress.clear();
  ASSERT_EQ(WriteFile(FlashPath("GONE.g1m"), Pattern(5000, 1)), 0);
  ASSERT_EQ(FsFormat(kFlashDevice.c_str(), false), 0);
  EXPECT_TRUE(ui.progress.empty());
  // Optimising the empty store changes nothing, behind the waiting window.
  ui.opened = ui.closed = 0;
  ASSERT_EQ(FsOptimize(kFlashDevice.c_str()), 0);
  EXPECT_EQ(ui.opened, 1);
  EXPECT_EQ(ui.closed, 1);
  EXPECT_EQ(ui.window_lines[1], "One Moment Please");
  EXPECT_EQ(Fs().record_count, 25);
  EXPECT_EQ(FsFreeSpace(kFlashDevice.c_str()), 0x180000);
  EXPECT_EQ(SmCheck(false), 0);
  EXPECT_EQ(FsOptimize(u"Z:\\tmp"), kFsBadDevice);
  EXPECT_EQ(FsOptimize(u"\\\\crd0\\"), kFsBadDevice);
  EXPECT_EQ(FsFormat(u"Z:\\tmp", true), kFsBadDevice);
}

// Stopped right after the marker: the start-up question appears; F6 formats,
// F1 finishes with every file in place. Other keys are ignored.
TEST_F(OptTest, InterruptedRunAsksAndFollowsTheAnswer) {
  FileModel model = BuildStore({.seed = 5, .small_files = 30, .large_files = 3});
  for (int answer : {int(kAnswerInitialize), int(kAnswerContinue)}) {
    SCOPED_TRACE(answer);
    std::vector<uint8_t> image = rig.emu.bytes;
    Fs() = FsState{};
    ASSERT_EQ(SmMount(), 0);
    ASSERT_EQ(OptPlan(nullptr), 0);
    ASSERT_EQ(OptStep(1), 2);
    uint8_t t[32];
    ASSERT_TRUE(FlashRead(kFlashBase + kTrailerOffset, t, 32));
    EXPECT_EQ(Get16(t, rec::kTrailerOptMarker), kOptMarkerRunning);

    UiDouble asker;
    asker.answers = {42, 0, answer};
    Fs() = FsState{};
    StorageStartupReport report;
    ASSERT_EQ(StorageStartup(&asker.table, &report), 0);
    EXPECT_EQ(asker.asked, 3);
    EXPECT_EQ(asker.question_lines,
              (std::vector<std::string>{"Optimization was", "stopped.", " Continue  :[F1]",
                                        " Initialize:[F6]"}));
    if (answer == kAnswerInitialize) {
      EXPECT_TRUE(report.formatted);
      EXPECT_EQ(Fs().record_count, 25);
      EXPECT_EQ(FsFreeSpace(kFlashDevice.c_str()), 0x180000);
      rig.emu.bytes = image;
    } else {
      EXPECT_TRUE(report.resumed);
      EXPECT_EQ(VerifyStore(rig, model), "");
    }
  }
}

// A damaged sector record, or a link to a second directory sector that no
// sector record names: the start-up formats.
TEST_F(OptTest, ADamagedDirectoryIsFormattedAtStartUp) {
  ASSERT_EQ(WriteFile(FlashPath("A"), Pattern(10, 1)), 0);
  const Bytes image = rig.emu.bytes;
  for (uint32_t at : {kFlashBase + 5 * 32, kFlashBase + kTrailerOffset + rec::kLink}) {
    rig.Reload(&image);
    if (at == kFlashBase + 5 * 32) {
      std::memset(FlashEmuAt(&rig.emu, at), 0x00, 4);
    } else {
      Put32(FlashEmuAt(&rig.emu, at), 0, SectorAddress(7));
      EXPECT_EQ(SmMount(), kFsNoSectorRecord);
      Fs() = FsState{};
    }
    StorageStartupReport report;
    ASSERT_EQ(StorageStartup(nullptr, &report), 0);
    EXPECT_TRUE(report.formatted);
    EXPECT_EQ(Fs().record_count, 25);
    EXPECT_EQ(SmCheck(false), 0);
  }
}

TEST(OptProgress, BarGeometry) {
  struct Case {
    uint32_t done, total;
    int end;
  } cases[] = {{0, 100, 18}, {50, 100, 62}, {100, 100, 106}, {1, 2, 62}, {7, 0, 106}, {9, 4, 106}};
  for (const Case& c : cases) {
    uint8_t plane[1024] = {};
    OptDrawProgressBar(plane, c.done, c.total);
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 128; ++x) {
        bool dark = plane[y * 16 + x / 8] & (0x80 >> (x % 8));
        bool want = y >= 32 && y <= 40 && x >= 18 && x <= c.end;
        ASSERT_EQ(dark, want) << c.done << "/" << c.total << " at " << x << "," << y;
      }
    }
  }
}

}  // namespace
