// Model-based random testing of the arena: a plain model (maps of folders to
// sorted items, a list of heap handles) and the arena run the same random
// operations and must agree after every one of them.
#pragma once

#include <cstdint>
#include <map>
#include <string>

struct ModelRun {
  std::string failure;  // empty when the arena always agreed with the model
  // How often each "operation:result" happened, to show what was covered.
  std::map<std::string, uint64_t> outcomes;
};

ModelRun RunModel(uint64_t seed, uint64_t operations);

// A count (or seed) from the environment variable, or the fallback.
uint64_t ModelOperationsFromEnv(const char* variable, uint64_t fallback);
