// Keys per second of a headless key-log replay of 10,000 keys, without
// checkpoints and with one every 10 keys (answers and screens in turn),
// against a replay driver that polls the queue every 10 ms, the hand-over
// the harness was first designed with (about 100 keys a second), measured
// in the same run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "bench/support/bench_timing.h"
#include "host/cli/headless.h"
#include "host/harness/key_logger.h"
#include "host/services/key_input.h"
#include "host/services/key_tables.h"

namespace fs = std::filesystem;

namespace {

using bench::Clock;
constexpr int kKeys = 10000;
constexpr int kReferenceKeys = 200;
// "1 + 1 EXE" over and over: the calculator works on every key.
const char* const kCycle[] = {"[1]", "[+]", "[1]", "[EXE]"};

class QuietUi : public HarnessUi {
 public:
  void Message(const std::string&) override {}
  bool AskYesNo(const std::string&) override { return true; }
  bool AskRetry(const std::string&) override { return false; }
  bool ChooseLogToRecord(std::string*) override { return false; }
  bool ChooseLogToReplay(std::string*) override { return false; }
  bool ChooseKeyTable(std::string*) override { return false; }
  void Pause(int ms) override {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
};

std::string WriteLog(const fs::path& dir, const char* name, bool checkpoints) {
  fs::path path = dir / name;
  std::ofstream log(path);
  int answers = 0, screens = 0;
  for (int i = 0; i < kKeys; ++i) {
    log << kCycle[i % 4] << "\n";
    if (checkpoints && i % 10 == 9) {
      char line[32];
      if ((answers + screens) % 2 == 0)
        std::snprintf(line, sizeof line, "[Cap.Ans.%04d]", ++answers);
      else
        std::snprintf(line, sizeof line, "[Cap.Screen.%04d]", ++screens);
      log << line << "\n";
    }
  }
  return path.string();
}

// The calculator in RUN-MAT, started once for every benchmark.
struct Calculator {
  HeadlessOptions options;
  HeadlessFrontEnd frontEnd;
  fs::path dir;
  Calculator() {
    dir = fs::temp_directory_path() / ("vk-replay-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::string error;
    if (!HeadlessStart(options, &frontEnd, &error)) std::fprintf(stderr, "%s\n", error.c_str());
    for (const char* key : {"MENU", "EXE"}) {
      HostSendKey(KeyMapByName(key)->code, 0);
      HeadlessSettle(options);
    }
  }
  ~Calculator() {
    HeadlessStop();
    fs::remove_all(dir);
  }
};

Calculator& Calc() {
  static Calculator c;
  return c;
}

// The reference: each key pushed once the queue is empty, the driver
// looking again every 10 ms.
double PollingKeysPerSecond() {
  const KeyTable& table = DefaultKeyTable();
  auto start = Clock::now();
  for (int i = 0; i < kReferenceKeys; ++i) {
    int row = 0, column = 0;
    table.PositionOf(kCycle[i % 4], &row, &column);
    while (PostKey(row, column, 0, 1) == 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  HostWaitOsIdle(10000);
  return kReferenceKeys / bench::SecondsSince(start);
}

void Replay(benchmark::State& state, bool checkpoints) {
  Calculator& calc = Calc();
  std::string log = WriteLog(calc.dir, checkpoints ? "marks.log" : "plain.log", checkpoints);
  QuietUi ui;
  KeyLogger logger(&ui);
  logger.LoadKeyTable("");
  double seconds = 0;
  int checkpointsMet = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    ReplaySummary summary = logger.Replay(log, ReplaySpeed::kNormal);
    seconds += bench::SecondsSince(start);
    checkpointsMet += summary.checkpoints;
  }
  double keysPerSecond = kKeys * state.iterations() / seconds;
  double reference = PollingKeysPerSecond();
  state.counters["keys_per_second"] = keysPerSecond;
  state.counters["ref_keys_per_second"] = reference;
  state.counters["ratio_vs_ref"] = keysPerSecond / reference;
  state.counters["checkpoints"] = checkpointsMet / static_cast<double>(state.iterations());
}

void BM_ReplayPlain(benchmark::State& state) {
  Replay(state, false);
}
void BM_ReplayCheckpointEvery10Keys(benchmark::State& state) {
  Replay(state, true);
}

BENCHMARK(BM_ReplayPlain)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplayCheckpointEvery10Keys)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
