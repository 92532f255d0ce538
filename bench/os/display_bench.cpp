// A full screen of text and its push to the LCD image, against a plain
// 1024-byte copy measured in the same run.
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench/support/bench_timing.h"
#include "host/services/front_end.h"
#include "os/setup.h"
#include "os/text.h"
#include "os/vram.h"

namespace {

using bench::ThreadNs;

uint8_t gSource[kVramBytes], gTarget[kVramBytes];

void CopyOnce() {
  std::memcpy(gTarget, gSource, sizeof gTarget);
  benchmark::DoNotOptimize(gTarget);
  benchmark::ClobberMemory();
}

// Nanoseconds of one plain copy, measured over a fixed stretch of time.
double ReferenceCopyNs() {
  static const double ns = [] {
    int64_t n = 0;
    const double start = ThreadNs();
    double elapsed = 0;
    do {
      for (int i = 0; i < 1000; ++i) CopyOnce();
      n += 1000;
      elapsed = ThreadNs() - start;
    } while (elapsed < 2e8);
    return elapsed / n;
  }();
  return ns;
}

void InstallVramHook() {
  HostResetForTest();
  OsHooks hooks;
  hooks.vram = []() -> const uint8_t* { return VramAddress(); };
  hooks.getShiftState = [] { return static_cast<int>(GetSetupItem(kSetupShiftState)); };
  HostInstallOsHooks(hooks);
  ResetSetup();
}

constexpr const char* kLines[8] = {
    "ABCDEFGHIJKLMNOPQRSTU", "0123456789+-*/=()^,.:", "abcdefghijklmnopqrstu",
    "VWXYZvwxyz 9876543210", "Ans=12345678901234567", "sin cos tan log ln e ",
    "The quick brown fox j", "umps over the lazy do",
};

void PrintScreen() {
  for (int line = 0; line < 8; ++line) {
    Locate(1, line + 1);
    Print(kLines[line]);
  }
}

template <class Body>
void RunAgainstCopy(benchmark::State& state, Body body) {
  const double reference = ReferenceCopyNs();
  const double start = ThreadNs();
  for (auto _ : state) body();
  const double ns = (ThreadNs() - start) / static_cast<double>(state.iterations());
  state.counters["ref_memcpy_ns"] = reference;
  state.counters["ratio_vs_ref"] = ns / reference;
}

void BM_Memcpy1024(benchmark::State& state) {
  RunAgainstCopy(state, CopyOnce);
}
BENCHMARK(BM_Memcpy1024);

void BM_PrintFullScreen(benchmark::State& state) {
  InstallVramHook();
  RunAgainstCopy(state, [] {
    PrintScreen();
    benchmark::ClobberMemory();
  });
}
BENCHMARK(BM_PrintFullScreen);

void BM_PutDisplay(benchmark::State& state) {
  InstallVramHook();
  PrintScreen();
  RunAgainstCopy(state, [] { PutDisplay(); });
}
BENCHMARK(BM_PutDisplay);

void BM_PrintFullScreenAndPutDisplay(benchmark::State& state) {
  InstallVramHook();
  RunAgainstCopy(state, [] {
    PrintScreen();
    PutDisplay();
  });
}
BENCHMARK(BM_PrintFullScreenAndPutDisplay);

}  // namespace

BENCHMARK_MAIN();
