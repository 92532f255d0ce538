// Speed of the evaluator against the same expression on doubles, in the
// same run: ns_per_eval for one whole evaluation of the token string,
// double_ns for the expression computed on doubles from volatile operands,
// and ratio_vs_double. Text conversion and the line runner are measured
// against the bare evaluation of the same line.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "bench/support/bench_calculator.h"
#include "bench/support/bench_timing.h"
#include "math/eval.h"
#include "math/eval_line.h"
#include "math/text_tokens.h"

namespace {

using bench::SetUpCalculator;
using bench::ThreadNs;

constexpr int kRuns = 15;

std::string TokensOf(const char* text) {
  std::string tokens;
  TextToTokens(text, &tokens);
  return tokens;
}

template <typename Ref>
void MeasureEval(benchmark::State& state, const char* text, Ref ref) {
  SetUpCalculator();
  std::string tokens = TokensOf(text);
  auto eval = [&] {
    const auto* p = reinterpret_cast<const uint8_t*>(tokens.c_str());
    EvalStacks stacks;
    BcdNumber v[2];
    Evaluate(&p, v, &stacks, 0);
    benchmark::DoNotOptimize(v);
  };
  double refNs = bench::NsPerCall(ref, 20000, kRuns);
  double t0 = ThreadNs();
  for (auto _ : state) eval();
  double ns = (ThreadNs() - t0) / double(state.iterations());
  state.counters["ns_per_eval"] = ns;
  state.counters["double_ns"] = refNs;
  state.counters["ratio_vs_double"] = ns / refNs;
}

volatile double g_one = 1, g_two = 2, g_three = 3, g_four = 4, g_five = 5, g_seven = 7;

void BM_Arithmetic(benchmark::State& state) {
  MeasureEval(state, "1+2×3−4÷5", [] {
    double r = g_one + g_two * g_three - g_four / g_five;
    benchmark::DoNotOptimize(r);
  });
}
BENCHMARK(BM_Arithmetic)->Name("Eval 1+2×3-4÷5");

void BM_Sine(benchmark::State& state) {
  MeasureEval(state, "sin(π÷7)", [] {
    double r = std::sin(3.14159265358979 / g_seven);
    benchmark::DoNotOptimize(r);
  });
}
BENCHMARK(BM_Sine)->Name("Eval sin(π÷7)");

// The whole line as `eval` runs it (conversion, runner, Ans) against the bare
// evaluation of its tokens.
void BM_TextLine(benchmark::State& state) {
  SetUpCalculator();
  const char* text = "(1+2)×3-4÷5→A";
  std::string tokens = TokensOf("(1+2)×3-4÷5");
  double refNs = bench::NsPerCall(
      [&] {
        const auto* p = reinterpret_cast<const uint8_t*>(tokens.c_str());
        EvalStacks stacks;
        BcdNumber v[2];
        Evaluate(&p, v, &stacks, 0);
        benchmark::DoNotOptimize(v);
      },
      5000, kRuns);
  double t0 = ThreadNs();
  for (auto _ : state) {
    std::string t;
    TextToTokens(text, &t);
    LineResult r;
    RunLine(reinterpret_cast<const uint8_t*>(t.c_str()), &r);
    benchmark::DoNotOptimize(r);
  }
  double ns = (ThreadNs() - t0) / double(state.iterations());
  state.counters["ns_per_line"] = ns;
  state.counters["eval_ns"] = refNs;
  state.counters["ratio_vs_eval"] = ns / refNs;
}
BENCHMARK(BM_TextLine)->Name("Text line through the runner");

}  // namespace

BENCHMARK_MAIN();
