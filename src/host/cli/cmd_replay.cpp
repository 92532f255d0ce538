// vk2280-cli replay: replays a key log (or a list of logs) into a freshly
// started calculator as the window does, and checks its checkpoints.
#include <cstdlib>

#include "host/cli/cli.h"
#include "host/cli/cli_harness.h"
#include "host/cli/cli_memory.h"
#include "host/cli/headless.h"

const char* const kReplayUsage =
    "usage: vk2280-cli replay [--keys TABLE] [--flash PATH] [--fast] [--timeout SECONDS]\n"
    "                         LOG|LST\n\n"
    "Starts the calculator and replays a key log (.log) or each log of a list (.lst,\n"
    "one log a line), checking every answer and screen checkpoint against what was\n"
    "recorded. Writes the files the window writes beside each log: BASE_logReplay.txt\n"
    "(the result file, UTF-8), BASE_replay.ans, BASE_replay_NNNN.bmp and, for a screen\n"
    "that differs, BASE_error_NNNN.bmp. Prints each result file. Exits 0 only when\n"
    "every checkpoint is OK.\n\n"
    "options:\n"
    "  --keys TABLE      the key table that names the keys (default: the shipped one)\n"
    "  --flash PATH      use this flash image (default: a fresh one, deleted at exit)\n"
    "  --fast            hold the display while replaying, as the fast replay does\n"
    "  --timeout SECONDS longest wait for the calculator to take a key (default 30)\n";

int RunReplay(const std::vector<std::string>& args) {
  HeadlessOptions options;
  MemoryOptions files;
  std::string keys, log;
  ReplaySpeed speed = ReplaySpeed::kNormal;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string error;
    if (TakeMemoryOption(args, &i, &files, &error)) {
      if (!error.empty()) return CliError("replay", error, kExitUsage);
    } else if (a == "--fast") {
      speed = ReplaySpeed::kFast;
    } else if (a == "--keys" || a == "--flash" || a == "--timeout") {
      if (i + 1 >= args.size()) return CliError("replay", a + " needs a value", kExitUsage);
      const std::string& value = args[++i];
      if (a == "--keys") keys = value;
      if (a == "--flash") options.flashPath = value;
      if (a == "--timeout" && !ParseTimeout(value, &options.timeoutMs))
        return CliError("replay", "bad --timeout " + value, kExitUsage);
    } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
      return CliError("replay", "unknown option " + a, kExitUsage);
    } else if (!log.empty()) {
      return CliError("replay", "one log or list at a time", kExitUsage);
    } else {
      log = a;
    }
  }
  if (log.empty()) return CliError("replay", "which log? (see --help)", kExitUsage);

  CliHarnessUi ui;
  KeyLogger logger(&ui);
  if (!logger.LoadKeyTable(keys))
    return CliError("replay", "cannot read key table " + keys, kExitFailed);
  logger.SetStallLimit(options.timeoutMs);

  HeadlessFrontEnd frontEnd;
  std::string error;
  if (!HeadlessStart(options, &frontEnd, &error) || !ApplyImports(files, &error)) {
    HeadlessStop();
    return CliError("replay", error, kExitFailed);
  }
  ReplaySummary summary = logger.Replay(log, speed);
  HeadlessStop();
  for (const std::string& path : summary.resultFiles) {
    std::string text;
    if (ReadWholeFile(path, &text)) std::fwrite(text.data(), 1, text.size(), stdout);
  }
  if (!summary.unreadable.empty()) {
    const size_t more = summary.unreadable.size() - 1;
    return CliError("replay",
                    "cannot read " + summary.unreadable.front() +
                        (more ? " (and " + std::to_string(more) + " more of " + log + ")" : ""),
                    kExitFailed);
  }
  if (!summary.unwritable.empty())
    return CliError("replay", "cannot write the result file " + summary.unwritable.front(),
                    kExitFailed);
  if (summary.cancelled)
    return CliError("replay", "the calculator stopped taking keys", kExitFailed);
  // A pass must mean something was compared: a log of another key table or
  // encoding replays no checkpoint at all.
  if (summary.checkpoints == 0)
    return CliError("replay", log + " replayed no checkpoint, so nothing was checked", kExitFailed);
  if (summary.failures)
    return CliError("replay",
                    std::to_string(summary.failures) + " of " +
                        std::to_string(summary.checkpoints) + " checkpoints failed",
                    kExitFailed);
  return kExitOk;
}
