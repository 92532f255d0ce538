#include "mcs_model.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// The CI run is short; VK_MCS_MODEL_OPS and VK_MCS_SEED reproduce or extend
// a run (the long-labelled program runs 200,000 operations).
TEST(McsModel, RandomOperationsAgreeWithTheModel) {
  const uint64_t operations = ModelOperationsFromEnv("VK_MCS_MODEL_OPS", 10000);
  const uint64_t seed = ModelOperationsFromEnv("VK_MCS_SEED", 20261206);
  const ModelRun run = RunModel(seed, operations);
  ASSERT_EQ(run.failure, "") << "reproduce with VK_MCS_SEED=" << seed;

  // The run must reach every refusal of every operation, not only the easy
  // paths: these are the only tests of most of them.
  std::istringstream mustHappen(
      "create:0 create:16 create:17 create:50 create:52 create:53 create:64 create:80 create:240 "
      "delete:0 delete:48 delete:50 delete:52 insert:0 insert:16 insert:17 insert:18 insert:48 "
      "insert:52 remove:0 remove:22 remove:23 remove:24 remove:50 write:0 write:19 write:20 "
      "write:21 write:50 write:52 read:0 read:25 read:26 read:27 read:52 copy:0 copy:52 copy:53 "
      "copy:80 move:0 move:50 move:95 rename:0 rename:49 rename:95 heap-alloc:0 heap-alloc:none "
      "heap-free:0 folder-create:0 folder-create:66 folder-delete:0 folder-delete:69 "
      "folder-delete:70 folder-delete:72 select:0 select:70");
  for (std::string outcome; mustHappen >> outcome;)
    EXPECT_GT(run.outcomes.count(outcome), 0u) << outcome << " never happened";
}

}  // namespace
