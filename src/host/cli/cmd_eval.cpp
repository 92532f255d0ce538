// vk2280-cli eval: calculations typed as PC text, one result line each.
#include <cstdio>

#include "host/cli/cli.h"
#include "host/cli/cli_memory.h"
#include "math/eval.h"
#include "math/eval_print.h"
#include "memory/mcs_core.h"
#include "memory/mem_app.h"
#include "os/setup.h"

int RunEval(const std::vector<std::string>& args);
extern const char* const kEvalUsage;
const char* const kEvalUsage =
    "usage: vk2280-cli eval [--canonical] LINE...\n\n"
    "Runs each LINE, in order, on one calculator: variables and Ans carry from line\n"
    "to line, and setting commands (Deg, Fix 3, a+bi, Dec, ...) hold for the lines\n"
    "after them. Prints one line per LINE: the result as the computation screen\n"
    "shows it, \"Done\" for a statement without a value, or \"Error N: TEXT\".\n\n"
    "A LINE is typed as on a PC keyboard: + - * / ^, -> for the store arrow, sqrt,\n"
    "pi, theta, i, asin for the inverse sine, 1E-5 for an exponent, or the\n"
    "calculator's own signs (× ÷ → √ π θ ⌟ ...). Statements are separated by ':'.\n\n"
    "options:\n"
    "  --canonical   print values in the fixed 15-digit answer form (real part, and\n"
    "                for a complex value a space and the imaginary part)\n"
    "  --            every following argument is a LINE, even when it starts with -\n\n"
    "Exit status: 0 when every line succeeded, 1 when any ended in an error, 2 for a\n"
    "usage error.\n";

namespace {

// One headless calculator for the run: main memory and the setup record,
// without the OS thread.
struct Calculator {
  Calculator() {
    McsAllocateArena();
    MemStartUp();
    ResetSetup();
    EvalInit();
    EvalSetBreakTest(nullptr);
  }
  ~Calculator() { McsFreeArena(); }
};

}  // namespace

int RunEval(const std::vector<std::string>& args) {
  bool canonical = false;
  std::vector<std::string> lines;
  MemoryOptions files;
  bool options = true;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string error;
    if (options && TakeMemoryOption(args, &i, &files, &error)) {
      if (!error.empty()) return CliError("eval", error, kExitUsage);
    } else if (options && a == "--") {
      options = false;
    } else if (options && a == "--canonical") {
      canonical = true;
    } else if (options && a.size() > 1 && a[0] == '-' && a[1] == '-') {
      return CliError("eval", "unknown option " + a, kExitUsage);
    } else {
      lines.push_back(a);
    }
  }
  if (lines.empty()) return CliError("eval", "no LINE to evaluate (see --help)", kExitUsage);

  Calculator calculator;
  std::string error;
  if (!ApplyImports(files, &error)) return CliError("eval", error, kExitFailed);
  int status = kExitOk;
  for (size_t i = 0; i < lines.size(); ++i) {
    EvalPrinted printed = EvalTextLine(lines[i], canonical);
    std::printf("%s\n", printed.text.c_str());
    if (printed.textColumn) {
      std::fprintf(stderr, "vk2280-cli eval: line %zu: no such token at column %d\n", i + 1,
                   printed.textColumn);
    }
    if (printed.error) status = kExitFailed;
  }
  std::fflush(stdout);
  if (!ApplyExports(files, &error)) return CliError("eval", error, kExitFailed);
  return status;
}
