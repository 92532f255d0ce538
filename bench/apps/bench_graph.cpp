// Drawing Y = sin X + cos 2X across the full width of the graph screen
// against the 127 evaluations of the same expression it needs, in the same
// run: draw_ns for the whole drawing (points, lines, gaps), eval_ns for the
// bare evaluations, and ratio_vs_eval (what the drawing adds on top).
#include <benchmark/benchmark.h>

#include <string>

#include "apps/graph/graph_draw.h"
#include "bench/support/bench_timing.h"
#include "math/eval.h"
#include "math/text_tokens.h"
#include "memory/mcs_core.h"
#include "memory/mem_app.h"
#include "os/setup.h"

namespace {

constexpr int kRuns = 7;

void BM_DrawAgainstEvaluations(benchmark::State& state) {
  McsAllocateArena();
  MemStartUp();
  ResetSetup();
  EvalInit();
  EvalSetBreakTest([] { return 0; });
  SetGraphBreakTest([] { return 0; });
  std::string tokens;
  TextToTokens("sin X+cos 2X", &tokens);
  GraphFunction f;
  f.selected = true;
  f.expr[0] = tokens;
  ViewWindow window;
  ReadViewWindow(&window);
  GraphView view;
  PrepareGraphView(window, &view);
  static GraphPlanes planes;
  // The columns' x values as the drawing makes them.
  BcdNumber xs[127];
  for (int c = 1; c <= 127; ++c) ColumnValue(view, c, &xs[c - 1]);

  auto draw = [&] {
    ClearGraphPlanes(&planes);
    DrawGraphFunction(&planes, view, f);
    benchmark::DoNotOptimize(planes.plane[0][0]);
  };
  auto evaluate = [&] {
    for (const BcdNumber& x : xs) {
      BcdNumber y;
      benchmark::DoNotOptimize(EvaluateGraphAt(tokens.c_str(), 'X', x, &y));
    }
  };
  for (auto _ : state) draw();
  const double drawNs = bench::NsPerCall(draw, 5, kRuns);
  const double evalNs = bench::NsPerCall(evaluate, 5, kRuns);
  state.counters["draw_ns"] = drawNs;
  state.counters["eval_ns"] = evalNs;
  state.counters["ratio_vs_eval"] = drawNs / evalNs;
  McsFreeArena();
}
BENCHMARK(BM_DrawAgainstEvaluations)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
