// vk2280-cli eval: lines typed as PC text, run as the computation screen runs them.
#include <cstdio>

#include "host/cli/cli.h"
#include "host/cli/cli_memory.h"
#include "host/cli/cli_run.h"
#include "math/eval_print.h"

int RunEval(const std::vector<std::string>& args);
extern const char* const kEvalUsage;
const char* const kEvalUsage =
    "usage: vk2280-cli eval [--canonical] [--program NAME=FILE]... LINE...\n\n"
    "Runs each LINE, in order, on one calculator, as the computation screen runs\n"
    "it: variables and Ans carry from line to line, and setting commands (Deg,\n"
    "Fix 3, a+bi, Dec, ...) hold for the lines after them. For each LINE it\n"
    "prints what the line printed on its way (strings, values at a display stop\n"
    "◢), then the result as the computation screen shows it, \"Done\" for a\n"
    "statement without a value, or \"Error N: TEXT\". A line that ends in ◢ has\n"
    "shown its result already. An input statement (?) reads its answer as one\n"
    "line of standard input.\n\n"
    "A LINE is typed as on a PC keyboard: + - * / ^, -> for the store arrow, sqrt,\n"
    "pi, theta, i, asin for the inverse sine, 1E-5 for an exponent, or the\n"
    "calculator's own signs (× ÷ → √ π θ ⌟ ...). Statements are separated by ':'.\n"
    "Commands are typed by their names (If, Then, For, To, Next, Prog \"A\", Locate,\n"
    "=> for ⇒, ◢ for the display stop).\n\n"
    "options:\n"
    "  --program NAME=FILE\n"
    "                store the program text FILE as program NAME before the lines\n"
    "                run (one statement per line of the file); repeatable\n"
    "  --canonical   print values in the fixed 15-digit answer form (real part, and\n"
    "                for a complex value a space and the imaginary part)\n"
    "  --            every following argument is a LINE, even when it starts with -\n\n"
    "Exit status: 0 when every line succeeded, 1 when any ended in an error, 2 for a\n"
    "usage error.\n";

int RunEval(const std::vector<std::string>& args) {
  bool canonical = false;
  std::vector<std::string> lines;
  MemoryOptions files;
  std::vector<ProgramFileArg> programs;
  bool options = true;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string error;
    if (options && TakeMemoryOption(args, &i, &files, &error)) {
      if (!error.empty()) return CliError("eval", error, kExitUsage);
    } else if (options && a == "--") {
      options = false;
    } else if (options && a == "--program") {
      if (i + 1 >= args.size()) return CliError("eval", "--program needs NAME=FILE", kExitUsage);
      if (!ParseProgramArg(args[++i], &programs.emplace_back(), &error))
        return CliError("eval", error, kExitUsage);
    } else if (options && a == "--canonical") {
      canonical = true;
    } else if (options && a.size() > 1 && a[0] == '-' && a[1] == '-') {
      return CliError("eval", "unknown option " + a, kExitUsage);
    } else {
      lines.push_back(a);
    }
  }
  if (lines.empty()) return CliError("eval", "no LINE to evaluate (see --help)", kExitUsage);

  CliCalculator calculator;
  std::string error;
  if (!ApplyImports(files, &error)) return CliError("eval", error, kExitFailed);
  for (const ProgramFileArg& p : programs) {
    if (!StoreProgramFile(p, &error)) return CliError("eval", error, kExitFailed);
  }
  int status = kExitOk;
  for (size_t i = 0; i < lines.size(); ++i) {
    EvalPrinted printed = EvalTextLine(lines[i], canonical, ReadAnswerLine);
    for (const std::string& out : printed.output) std::printf("%s\n", out.c_str());
    if (!printed.text.empty()) std::printf("%s\n", printed.text.c_str());
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
