// Speed of the program interpreter on a counting loop, For 1→A To N: A+1→B:
// Next, against the same loop's arithmetic done by direct calls of the
// number core (two additions, the subtraction and the division of the loop
// test, the stores), in the same run. Reports iterations per second of both
// and ratio_vs_numbers (interpreter time over bare arithmetic time).
// bench/compare_decimal.py runs this and the same loop in Python's decimal.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "bench/support/bench_calculator.h"
#include "bench/support/bench_timing.h"
#include "math/bcd.h"
#include "math/interp.h"
#include "math/text_tokens.h"
#include "memory/mem_app.h"

namespace {

using bench::ThreadSeconds;

constexpr int kLoop = 1000000;

// The loop's arithmetic without the interpreter, by the number core's
// general calls (the interpreter itself takes integer short cuts).
double BareLoopSeconds(int n) {
  BcdNumber a, b, one, end, d, q;
  BcdFromInt(&a, 1);
  BcdFromInt(&one, 1);
  BcdFromInt(&end, n);
  uint8_t record[kMemAlphaRecord] = {};
  double t0 = ThreadSeconds();
  for (;;) {
    BcdAdd(&a, &one, &b);
    std::memcpy(record, &b, sizeof b);
    MemSetVariable('B', record);
    MemSetVariable(0xC0, record);
    BcdNumber next;
    BcdAdd(&a, &one, &next);
    BcdSub(&end, &next, &d);
    BcdDiv(&d, &one, &q);
    benchmark::DoNotOptimize(q);
    if (BcdIsNegative(&q)) break;
    a = next;
    std::memcpy(record, &a, sizeof a);
    MemSetVariable('A', record);
  }
  return ThreadSeconds() - t0;
}

void BM_ForLoop(benchmark::State& state) {
  bench::SetUpCalculator();
  std::string tokens;
  TextToTokens("For 1->A To " + std::to_string(kLoop) + ":A+1->B:Next", &tokens);
  tokens.push_back(0);
  double ours = 0, bare = 0;
  int runs = 0;
  for (auto _ : state) {
    double t0 = ThreadSeconds();
    InterpResult r;
    InterpRun(reinterpret_cast<const uint8_t*>(tokens.c_str()), kInterpModeLine, &r, InterpIo{});
    ours += ThreadSeconds() - t0;
    if (r.error) state.SkipWithError("the loop failed");
    bare += BareLoopSeconds(kLoop);
    ++runs;
  }
  state.counters["iterations_per_s"] = double(kLoop) * runs / ours;
  state.counters["bare_iterations_per_s"] = double(kLoop) * runs / bare;
  state.counters["ratio_vs_numbers"] = ours / bare;
}
BENCHMARK(BM_ForLoop)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
