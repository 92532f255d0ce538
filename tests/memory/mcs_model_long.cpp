#include <gtest/gtest.h>

#include "mcs_model.h"

namespace {

TEST(McsModelLong, TwoHundredThousandOperations) {
  const uint64_t seed = ModelOperationsFromEnv("VK_MCS_SEED", 7);
  const ModelRun run = RunModel(seed, ModelOperationsFromEnv("VK_MCS_MODEL_OPS", 200000));
  ASSERT_EQ(run.failure, "") << "reproduce with VK_MCS_SEED=" << seed;
}

}  // namespace
