// Every step of a script that needs space is run once with 4 bytes too few
// (it must fail cleanly and change nothing) and once with exactly enough.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "mcs_test_support.h"
#include "memory/mcs_core.h"
#include "memory/mem_app.h"
#include "memory/mem_numarray.h"

namespace {

struct Step {
  const char* what;
  std::function<uint32_t()> run;
  uint32_t success;     // the result when there is room
  uint32_t need;        // free space the step needs (0: none)
  uint32_t refusal;     // the result when 4 bytes are missing
  uint32_t net = need;  // free space it uses up for good
};

const uint8_t kBytes[32] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16,
                            17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32};
const uint8_t kComplexOne[kNumPair] = {0x90, 0x01};
// A program: 10-byte header, "AB", terminator, room for 5 more bytes.
const uint8_t kProgram[20] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'A', 'B', 0};

// Each step's need follows from the sizes of the steps before it.
std::vector<Step> Script() {
  return {
      {"create A", [] { return MemCreate(2, "A", 10, kBytes); }, kMemOk, 12 + 20, kMemErrNoRoom},
      {"create in folder", [] { return MemCreateIn("@STAT", "S", 8, kBytes); }, kMemOk, 28,
       kMemErrNoRoom},
      {"auto-growing write", [] { return MemWriteAt(MemOfKind(2), "A", 10, kBytes, 8); }, 2u, 8,
       kMemErrGrowNoRoom},
      {"insert 6 bytes", [] { return MemInsert(MemOfKind(2), "A", 6, kBytes, 4); }, kMemOk, 8,
       kMemErrGrowNoRoom},
      {"create program", [] { return MemCreate(1, "P", 20, kProgram); }, kMemOk, 40, kMemErrNoRoom},
      {"insert into the program's spare room",
       [] { return MemInsert(MemOfKind(1), "P", 3, kBytes, 11); }, kMemOk, 0, kMemOk},
      {"copy", [] { return McsCopyItem("main", "A", "system", "A"); }, kMcsOk, 28 + 20, kMcsNoRoom},
      {"move", [] { return McsMoveItem("system", "A", "@RUNMAT", "A"); }, kMcsOk, 28 + 20,
       kMcsMoveNoRoom, 0},
      {"rename", [] { return McsRenameItem("@RUNMAT", "A", "B"); }, kMcsOk, 28 + 20, kMcsMoveNoRoom,
       0},
      {"create R", [] { return McsCreateItem("main", "R", 1, 8, kBytes); }, kMcsOk, 28, kMcsNoRoom},
      {"replace R larger", [] { return McsCreateItem("main", "R", 1, 12, kBytes); }, kMcsOk, 4,
       kMcsInsertNoRoom},
      {"insert data", [] { return McsInsertData("@STAT", "S", 4, 4, kBytes); }, kMcsOk, 4,
       kMcsInsertNoRoom},
      {"heap block", [] { return McsHeapAlloc(16) != 0 ? 1u : 0u; }, 1u, 24, 0u},
      {"list", [] { return MemCreateNumArray(MemOfKind(2), "1LIST1", ListShape(3, false), 0); },
       kMemOk, 16 + 36 + 20, kMemErrNoRoom},
      {"complex element",
       [] { return MemNumArraySet(MemOfKind(2), "1LIST1", NumArrayKind::kList, 1, kComplexOne); },
       kMemOk, 36, kMemErrGrowNoRoom},
  };
}

void RunPrefix(const std::vector<Step>& script, size_t end) {
  FreshMemory();
  for (size_t i = 0; i < end; ++i) ASSERT_EQ(script[i].run(), script[i].success) << script[i].what;
}

TEST(McsExhaustion, EveryStepFailsCleanlyWhenShortOfSpace) {
  const std::vector<Step> script = Script();
  for (size_t s = 0; s < script.size(); ++s) {
    const Step& step = script[s];
    for (uint32_t leave : {step.need, step.need >= 4 ? step.need - 4 : 0u, 0u}) {
      RunPrefix(script, s);
      LeaveFree(leave);
      const std::vector<uint8_t> before = ArenaBytes();
      const uint32_t result = step.run();
      if (leave >= step.need) {
        EXPECT_EQ(result, step.success) << step.what << " with " << leave << " free";
        EXPECT_EQ(McsFreeSpace(), leave - step.net) << step.what;
      } else {
        EXPECT_EQ(result, step.refusal) << step.what << " with " << leave << " free";
        EXPECT_EQ(ArenaBytes(), before) << step.what << " changed the arena";
      }
      EXPECT_EQ(McsCheck(), kMcsOk) << step.what;
      EXPECT_TRUE(McsGuardsIntact());
    }
  }
}

}  // namespace
