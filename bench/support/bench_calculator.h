// The calculator's memory, setup and evaluator made ready once per program,
// for benchmarks that run expressions or programs.
#pragma once

#include "math/eval.h"
#include "memory/mcs_core.h"
#include "memory/mem_app.h"
#include "os/setup.h"

namespace bench {

inline void SetUpCalculator() {
  static const bool done = [] {
    McsAllocateArena();
    MemStartUp();
    ResetSetup();
    EvalInit();
    EvalSetBreakTest(nullptr);
    return true;
  }();
  (void)done;
}

}  // namespace bench
