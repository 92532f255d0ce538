// The exhaustive runs: a power cut at every flash operation (clean and
// torn) of each scenario, every pair of cut points (one in the operation,
// one in the recovery after it) on the smaller scenarios, and a long soak of
// random operations with random cuts. Labelled `long`: not part of the
// normal test run.
#include <gtest/gtest.h>

#include "fs_powercut.h"

namespace {

void Every(FlashRig* rig, const CutScenario& sc, bool both_ways) {
  ASSERT_EQ(CutAt(rig, sc, CutPoints(CountOps(rig, sc), -1, 0), both_ways), "");
}

void AllPairs(FlashRig* rig, const CutScenario& sc) {
  ASSERT_EQ(CutTwice(rig, sc, CutPoints(CountOps(rig, sc), -1, 0), -1), "");
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
