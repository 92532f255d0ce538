#include "mcs_model.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

// The CI run is short; VK_MCS_MODEL_OPS and VK_MCS_SEED reproduce or extend
// a run (the long-labelled program runs 200,000 operations).
TEST(McsModel, RandomOperationsAgreeWithTheModel) {
  const uint64_t operations = ModelOperationsFromEnv("VK_MCS_MODEL_OPS", 10000);
  const uint64_t seed = ModelOperationsFromEnv("VK_MCS_SEED", 20261206);
  const ModelRun run = RunModel(seed, operations);
  ASSERT_EQ(run.failure, "") << "reproduce with VK_MCS_SEED=" << seed;

  // The run must reach the behaviours that matter, not only the easy ones.
  for (const char* outcome :
       {"create:0",         "create:16",        "create:53",        "create:80",
        "create:240",       "create:64",        "delete:0",         "delete:48",
        "delete:50",        "insert:0",         "insert:17",        "insert:18",
        "remove:0",         "remove:22",        "remove:23",        "remove:24",
        "write:0",          "write:19",         "write:20",         "write:21",
        "read:0",           "read:52",          "copy:0",           "move:0",
        "move:95",          "rename:0",         "rename:49",        "heap-alloc:0",
        "heap-alloc:none",  "folder-create:0",  "folder-create:66", "folder-delete:0",
        "folder-delete:69", "folder-delete:70", "select:0",         "select:70",
        "heap-free:0"}) {
    EXPECT_GT(run.outcomes.count(outcome), 0u) << outcome << " never happened";
  }
  if (std::getenv("VK_MCS_SHOW_OUTCOMES") != nullptr) {
    for (const auto& [outcome, count] : run.outcomes)
      std::printf("%s %llu\n", outcome.c_str(), static_cast<unsigned long long>(count));
  }
}

}  // namespace
