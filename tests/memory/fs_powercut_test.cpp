// Power cuts, failing sectors and damaged images: the seeded samples that
// run with every build. The exhaustive runs are in fs_powercut_long.cpp.
#include "fs_powercut.h"

#include <gtest/gtest.h>

#include "memory/fs_error.h"
#include "memory/fs_store.h"

namespace {

void CutEverywhere(FlashRig* rig, const CutScenario& sc, int count, uint64_t seed, int edges = 3) {
  const std::vector<int64_t> points = CutPoints(CountOps(rig, sc), count, seed, edges);
  ASSERT_GE(points.size(), 4u) << sc.name;
  EXPECT_EQ(CutAt(rig, sc, points), "");
}

TEST(PowerCut, EveryCutCreatingWritingDeletingRenaming) {
  FlashRig rig;
  for (uint32_t size : {10u, 70000u})
    CutEverywhere(&rig, CreateAndWriteScenario(&rig, 3, size), -1, 0);
  CutEverywhere(&rig, DeleteAndRenameScenario(&rig, 4), -1, 0);
}

TEST(PowerCut, OptimisingFragmentedStores) {
  FlashRig rig;
  CutEverywhere(&rig,
                OptimizeScenario(&rig, {.seed = 21,
                                        .small_files = 40,
                                        .large_files = 6,
                                        .large_size = 30000,
                                        .delete_every = 3}),
                60, 5);
  // Near full, with two directory sectors.
  for (int which = 0; which < 3; ++which)
    CutEverywhere(&rig, OptimizeScenario(&rig, NearFullRecipe(which)), 3, 7 + which, 1);
}

TEST(PowerCut, CutsDuringTheRecoveryToo) {
  FlashRig rig;
  CutScenario write = CreateAndWriteScenario(&rig, 5, 70000);
  EXPECT_EQ(CutTwice(&rig, write, CutPoints(CountOps(&rig, write), 8, 77, 0), 2), "");
  CutScenario opt = OptimizeScenario(
      &rig,
      {.seed = 22, .small_files = 30, .large_files = 5, .large_size = 30000, .delete_every = 2});
  EXPECT_EQ(CutTwice(&rig, opt, CutPoints(CountOps(&rig, opt), 8, 78, 0), 2), "");
}

TEST(PowerCut, SeededSoak) {
  for (uint64_t seed : {1, 2}) EXPECT_EQ(Soak(seed, 150), "");
}

// A sector that fails, or silently does nothing, is reported with the
// image codes and harms no other file.
TEST(FaultInjection, FailingSectorsAreReportedAndHarmNothingElse) {
  FlashRig rig;
  rig.Format();
  FileModel model =
      BuildStore({.seed = 31, .small_files = 20, .large_files = 3, .delete_every = 4});
  const Bytes image = rig.emu.bytes;
  for (FlashFault fault : {FlashFault::kProgramFails, FlashFault::kProgramNoop,
                           FlashFault::kEraseFails, FlashFault::kEraseNoop}) {
    for (int sector = 0; sector < kSectorCount; ++sector) {
      SCOPED_TRACE(testing::Message() << "fault " << int(fault) << " sector " << sector);
      rig.Reload(&image);
      ASSERT_EQ(SmMount(), 0);
      rig.emu.fault_sector = sector;
      rig.emu.fault = fault;
      Bytes data = Pattern(80000, sector);
      int w = WriteFile(FlashPath("NEW.g1m"), data);
      for (int rc : {w, FsOptimize(kFlashDevice.c_str())}) {
        EXPECT_TRUE(rc == 0 || rc == kFsImageFailed || rc == kFsNoSpace || rc == kFsDamaged ||
                    rc == kFsCommitSetsBit)
            << rc;
      }
      // With the sector healthy again, every earlier file is intact.
      StorageStartupReport report;
      int rc = rig.Restart(&report);
      if (report.formatted) {
        EXPECT_EQ(sector, 0);  // only a broken directory sector may cost the files
        continue;
      }
      ASSERT_EQ(rc, 0);
      FileModel expect = model;
      Bytes got;
      if (ReadFile(FlashPath("NEW.g1m"), &got) == 0 && w == 0) expect[FlashPath("NEW.g1m")] = data;
      std::string v = VerifyStore(rig, expect);
      EXPECT_EQ(v.find("contents differ"), std::string::npos) << v;
      EXPECT_EQ(v.find("cannot read"), std::string::npos) << v;
    }
  }
}

// Bytes flipped in a valid image: the start-up check either formats or
// leaves a consistent store; it never crashes or reads outside the image.
TEST(CorruptImage, RandomFlipsNeverCrash) {
  FlashRig rig;
  rig.Format();
  BuildStore({.seed = 41, .small_files = 25, .large_files = 3, .delete_every = 3});
  FsOptimize(kFlashDevice.c_str());
  BuildStore({.seed = 42, .small_files = 10, .large_files = 1, .delete_every = 2});
  const Bytes image = rig.emu.bytes;
  const uint32_t dir_bytes = uint32_t(Fs().record_count) * kRecordSize;
  uint64_t x = 12345;
  int formatted = 0, mounted = 0;
  for (int round = 0; round < 150; ++round) {
    rig.emu.bytes = image;
    for (int i = 0; i <= round % 8; ++i) {
      x = x * 6364136223846793005ull + 1;
      // Mostly the directory, sometimes the trailer or anywhere.
      uint32_t at = (x >> 60) < 12   ? uint32_t((x >> 16) % dir_bytes)
                    : (x >> 60) < 14 ? kTrailerOffset + uint32_t((x >> 16) % 32)
                                     : uint32_t((x >> 16) % (kFlashEnd - kFlashBase));
      rig.emu.bytes[at] ^= uint8_t(1 + (x >> 8) % 255);
    }
    StorageStartupReport report;
    int rc = rig.Restart(&report);
    ASSERT_TRUE(rc == 0 || rc == kFsImageFailed || rc == kFsNoSpace) << rc;
    if (rc != 0) continue;
    report.formatted ? ++formatted : ++mounted;
    EXPECT_EQ(SmCheck(false), 0) << "round " << round;
    // The store is usable: a file can be written and read back.
    Bytes data = Pattern(5000, uint32_t(round)), got;
    if (WriteFile(FlashPath("AFTER.g1m"), data) == 0) {
      EXPECT_EQ(ReadFile(FlashPath("AFTER.g1m"), &got), 0);
      EXPECT_EQ(got, data);
    }
  }
  EXPECT_GT(formatted, 0);
  EXPECT_GT(mounted, 0);
}

}  // namespace
