// The exhaustive runs: a power cut at every flash operation (clean and
// torn) of each scenario, every pair of cut points (one in the operation,
// one in the recovery after it) on the smaller scenarios, and a long soak of
// random operations with random cuts. Labelled `long`: not part of the
// normal test run.
#include <gtest/gtest.h>

#include "fs_powercut.h"

namespace {

void Every(FlashRig* rig, const CutScenario& sc, bool both_ways) {
  int64_t total = CountOps(rig, sc);
  for (int64_t n = 0; n < total; ++n) {
    for (int torn = 0; torn < 2; ++torn) {
      if (!both_ways && torn != n % 2) continue;
      CutOutcome out = RunCut(rig, sc, n, torn == 1, uint64_t(n) * 31 + torn);
      ASSERT_EQ(out.failure, "") << sc.name;
      ASSERT_TRUE(out.cut) << sc.name << " cut " << n;
    }
  }
}

void AllPairs(FlashRig* rig, const CutScenario& sc) {
  int64_t total = CountOps(rig, sc);
  for (int64_t n = 0; n < total; ++n) {
    bool torn = n % 2 == 1;
    int64_t recovery = RunCut(rig, sc, n, torn, uint64_t(n), -1, false).recovery_ops;
    for (int64_t m = 0; m < recovery; ++m) {
      CutOutcome out = RunCut(rig, sc, n, torn, uint64_t(n), m, /*second_optimisation=*/false);
      ASSERT_EQ(out.failure, "") << sc.name;
    }
  }
}

TEST(PowerCutLong, EveryCutCreatingWritingDeletingRenaming) {
  FlashRig rig;
  for (uint32_t size : {10u, 100000u, 200000u})
    Every(&rig, CreateAndWriteScenario(&rig, 3 + size, size), true);
  for (uint32_t seed : {4u, 5u, 6u}) Every(&rig, DeleteAndRenameScenario(&rig, seed), true);
}

TEST(PowerCutLong, EveryCutOptimisingFragmentedStores) {
  FlashRig rig;
  Every(&rig,
        OptimizeScenario(&rig, {.seed = 21,
                                .small_files = 40,
                                .large_files = 6,
                                .large_size = 30000,
                                .delete_every = 3}),
        true);
  for (int which = 0; which < 3; ++which)
    Every(&rig, OptimizeScenario(&rig, NearFullRecipe(which)), false);
}

TEST(PowerCutLong, AllPairsOfCuts) {
  FlashRig rig;
  AllPairs(&rig, CreateAndWriteScenario(&rig, 8, 70000));
  AllPairs(&rig, DeleteAndRenameScenario(&rig, 9));
  AllPairs(&rig, OptimizeScenario(&rig, {.seed = 23,
                                         .small_files = 10,
                                         .large_files = 3,
                                         .large_size = 25000,
                                         .delete_every = 2}));
}

TEST(PowerCutLong, SoakTenThousandRounds) {
  for (uint64_t seed : {101, 102}) ASSERT_EQ(Soak(seed, 5000), "") << seed;
}

}  // namespace
