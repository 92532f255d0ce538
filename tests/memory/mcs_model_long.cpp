#include <gtest/gtest.h>

#include "mcs_model.h"

namespace {

TEST(McsModelLong, TwoHundredThousandOperations) {
  const uint64_t operations = ModelOperationsFromEnv("VK_MCS_MODEL_OPS", 200000);
  const uint64_t seed = ModelOperationsFromEnv("VK_MCS_SEED", 7);
  const ModelRun run = RunModel(seed, operations);
  ASSERT_EQ(run.failure, "") << "reproduce with VK_MCS_SEED=" << seed;
  uint64_t refused = 0;
  uint64_t total = 0;
  for (const auto& [outcome, count] : run.outcomes) {
    total += count;
    if (outcome.substr(outcome.find(':')) != ":0") refused += count;  // ":none" too
  }
  std::printf("%llu operations checked, %llu refused\n", static_cast<unsigned long long>(total),
              static_cast<unsigned long long>(refused));
}

}  // namespace
