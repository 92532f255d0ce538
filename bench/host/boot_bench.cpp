// How quickly the calculator is there: from process start to the boot
// message, and from MENU to the drawn main menu. References measured in the
// same run: starting the same program without booting (--help), and one
// display push.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "bench/support/bench_timing.h"
#include "host/cli/headless.h"
#include "host/services/key_input.h"
#include "host/services/key_tables.h"

namespace {

using bench::Clock;
using bench::Seconds;

std::string CliPath() {
  char self[4096];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  std::string path(self, n > 0 ? static_cast<size_t>(n) : 0);
  return path.substr(0, path.rfind('/') + 1) + "vk2280-cli";
}

double RunSeconds(const std::string& program, const char* a, const char* b) {
  auto start = Clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    freopen("/dev/null", "w", stdout);
    freopen("/dev/null", "w", stderr);
    execl(program.c_str(), program.c_str(), a, b, static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return bench::SecondsSince(start);
}

void BM_ProcessStartToBootMessage(benchmark::State& state) {
  std::string cli = CliPath();
  double boot = 0, bare = 0;
  for (auto _ : state) {
    boot += RunSeconds(cli, "keys", "--text");  // boots, waits for the message
    bare += RunSeconds(cli, "--help", nullptr);
  }
  state.counters["boot_ms"] = boot * 1000 / state.iterations();
  state.counters["help_ms"] = bare * 1000 / state.iterations();
  state.counters["ratio_vs_help"] = boot / bare;
}
BENCHMARK(BM_ProcessStartToBootMessage)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();

void Press(const char* name, const HeadlessOptions& options) {
  const KeyMapRow* row = KeyMapByName(name);
  HostSendKey(row->code, 0);
  HeadlessSettle(options);
}

void BM_MenuToDrawnMainMenu(benchmark::State& state) {
  HeadlessOptions options;
  HeadlessFrontEnd frontEnd;
  std::string error;
  HeadlessStart(options, &frontEnd, &error);
  Press("MENU", options);
  Press("3", options);  // an application runs; MENU opens the menu over it
  double menu = 0, push = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    Press("MENU", options);  // the drawn main menu
    auto t1 = Clock::now();
    Press("MENU", options);  // back into the application
    auto t2 = Clock::now();
    PutDisplay();
    auto t3 = Clock::now();
    menu += Seconds(t0, t1);
    push += Seconds(t2, t3);
  }
  HeadlessStop();
  state.counters["menu_us"] = menu * 1e6 / state.iterations();
  state.counters["display_push_us"] = push * 1e6 / state.iterations();
  state.counters["ratio_vs_display_push"] = menu / push;
}
BENCHMARK(BM_MenuToDrawnMainMenu)->Iterations(200)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
