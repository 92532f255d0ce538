// Power cuts under storage operations: run an operation on a saved image,
// cut the power at its N-th flash operation (cleanly or torn), start again
// from the image as the calculator would (plan, continue, check), and judge
// what is left: consistent, every file that was complete before is intact,
// and another optimisation still finishes.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "fs_test_support.h"

struct CutScenario {
  std::string name;
  Bytes image;       // the flash before the operation
  FileModel before;  // complete files before the operation
  std::function<void()> op;
  // What the operation changes: a file may end up in its old or its new
  // state, never anything else.
  FileModel added;                                   // new files (absent, or whole)
  std::set<std::u16string> removed;                  // deleted files (whole, or absent)
  std::map<std::u16string, std::u16string> renamed;  // old -> new: exactly one of them
};

struct CutOutcome {
  bool cut = false;          // the cut fell inside the operation
  int64_t recovery_ops = 0;  // flash operations of the start-up after the cut
  std::string failure;
};

// Flash operations the operation makes when nothing goes wrong.
int64_t CountOps(FlashRig* rig, const CutScenario& sc);
// One cut at operation n (and, when recovery_cut >= 0, a second cut during
// the recovery, at its recovery_cut-th operation).
CutOutcome RunCut(FlashRig* rig, const CutScenario& sc, int64_t n, bool torn, uint64_t seed,
                  int64_t recovery_cut = -1, bool second_optimisation = true);

// Cut points spread over the operation plus its first and last few; every
// point when count < 0.
std::vector<int64_t> CutPoints(int64_t total, int count, uint64_t seed, int edges = 3);
// A cut at each point, torn at every other one or both ways; "" or the
// first failure.
std::string CutAt(FlashRig* rig, const CutScenario& sc, const std::vector<int64_t>& points,
                  bool both_ways = false);
// After a cut at each point, a second cut during the recovery: at `per_point`
// spread recovery operations, or at every one when per_point < 0.
std::string CutTwice(FlashRig* rig, const CutScenario& sc, const std::vector<int64_t>& points,
                     int per_point);

// The scenarios of the storage tests, on a store built from the recipe.
CutScenario CreateAndWriteScenario(FlashRig* rig, uint32_t seed, uint32_t size);
CutScenario DeleteAndRenameScenario(FlashRig* rig, uint32_t seed);
CutScenario OptimizeScenario(FlashRig* rig, const StoreRecipe& recipe);
// Fragmented stores near full with two directory sectors.
StoreRecipe NearFullRecipe(int which);

// Random file operations with random power cuts; returns "" or what failed.
std::string Soak(uint64_t seed, int rounds);
