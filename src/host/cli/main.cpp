// vk2280-cli: the calculator from a terminal, for scripts, tests and SSH.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/cli/cli.h"
#include "host/cli/cli_harness.h"
#include "host/cli/cli_memory.h"
#include "host/cli/cli_run.h"
#include "host/cli/tui.h"

// vk2280-cli eval (cmd_eval.cpp).
int RunEval(const std::vector<std::string>& args);
extern const char* const kEvalUsage;

namespace {

const CliCommand kCommands[] = {
    {"keys", "press keys on a freshly started calculator and write the screen", kKeysUsage,
     RunKeys},
    {"eval", "run lines as the computation screen does and print what they show", kEvalUsage,
     RunEval},
    {"run", "run a program text file and print its text screen", kRunUsage, RunRun},
    {"tui", "run the calculator full-screen in this terminal", kTuiUsage, RunTui},
    {"list", "print what main memory holds, one item a line", kListUsage, RunList},
    {"replay", "replay a key log and check its answers and screens", kReplayUsage, RunReplay},
};

// A command's help; the calculator-file options hold for every command that
// runs the calculator.
void PrintUsage(const CliCommand& c) {
  std::fputs(c.usage, stdout);
  if (c.run == RunList) return;
  std::fputs("\ncalculator files:\n", stdout);
  std::fputs(kMemoryOptionsUsage, stdout);
}

void PrintProgramHelp(FILE* out) {
  std::fprintf(out,
               "usage: vk2280-cli COMMAND [OPTIONS] [ARGS]\n"
               "       vk2280-cli COMMAND --help\n\n"
               "The vk2280 calculator without a window: the same calculator, flash image and\n"
               "keys as the desktop emulator.\n\ncommands:\n");
  for (const CliCommand& c : kCommands) std::fprintf(out, "  %-8s %s\n", c.name, c.summary);
  std::fprintf(out,
               "\nEvery command exits 0 on success, 1 when its work fails and 2 on bad input,\n"
               "with a one-line message on stderr.\n");
}

const CliCommand* Find(const char* name) {
  for (const CliCommand& c : kCommands)
    if (std::strcmp(c.name, name) == 0) return &c;
  return nullptr;
}

}  // namespace

int CliError(const char* command, const std::string& message, int status) {
  std::fprintf(stderr, "vk2280-cli%s%s: %s\n", command ? " " : "", command ? command : "",
               message.c_str());
  return status;
}

bool ParseTimeout(const std::string& value, int* milliseconds) {
  constexpr double kDayMs = 24.0 * 3600 * 1000;
  char* end = nullptr;
  const double seconds = std::strtod(value.c_str(), &end);
  if (value.empty() || *end || !std::isfinite(seconds) || !(seconds > 0)) return false;
  *milliseconds = static_cast<int>(std::min(seconds * 1000, kDayMs));
  return true;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintProgramHelp(stderr);
    return kExitUsage;
  }
  const char* first = argv[1];
  if (!std::strcmp(first, "--help") || !std::strcmp(first, "-h")) {
    PrintProgramHelp(stdout);
    return kExitOk;
  }
  if (!std::strcmp(first, "help")) {
    if (argc < 3) {
      PrintProgramHelp(stdout);
      return kExitOk;
    }
    const CliCommand* c = Find(argv[2]);
    if (!c) return CliError(nullptr, std::string("unknown command '") + argv[2] + "'", kExitUsage);
    PrintUsage(*c);
    return kExitOk;
  }
  const CliCommand* command = Find(first);
  if (!command)
    return CliError(nullptr, std::string("unknown command '") + first + "' (see --help)",
                    kExitUsage);
  std::vector<std::string> args(argv + 2, argv + argc);
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      PrintUsage(*command);
      return kExitOk;
    }
  }
  return command->run(args);
}
