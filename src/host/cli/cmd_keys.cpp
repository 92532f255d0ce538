// vk2280-cli keys: press keys on a freshly started calculator.
#include <cstdlib>

#include "host/cli/cli.h"
#include "host/cli/cli_harness.h"
#include "host/cli/cli_memory.h"
#include "host/cli/headless.h"
#include "host/services/key_input.h"
#include "host/services/key_tables.h"

const char* const kKeysUsage =
    "usage: vk2280-cli keys [--flash PATH] [--text] [--bmp FILE] [--png FILE]\n"
    "                       [--timeout SECONDS] KEY...\n\n"
    "Starts the calculator, presses each KEY in turn, waiting after each until the\n"
    "calculator waits for the next key, then writes the screen.\n\n"
    "A KEY is a key name: EXE F1 F2 F3 F4 F5 F6 SHIFT OPT VARS MENU ESC UP DOWN LEFT\n"
    "RIGHT ALPHA ^2 ^ XtT log ln sin cos tan ab/c F<>D ( ) , -> 0-9 DEL AC * / + - .\n"
    "EXP (-), or type:TEXT, which types TEXT as PC characters (as typed in the window).\n"
    "While a key log is recorded, @ans takes an answer checkpoint and @screen a screen\n"
    "checkpoint (F9 and F12 in the window).\n\n"
    "options:\n"
    "  --flash PATH      use this flash image (default: a fresh one, deleted at exit)\n"
    "  --text            print the screen as 64 lines of 128 characters, # dark, . light\n"
    "  --bmp FILE        write the screen as a 128 x 64 monochrome bitmap\n"
    "  --png FILE        write the screen as a 128 x 64 PNG\n"
    "  --timeout SECONDS longest wait for the calculator after a key (default 30)\n"
    "  --open FILE       the file the calculator's open dialog chooses (repeatable:\n"
    "                    several files chosen at once)\n"
    "  --record LOG      record the keys as a key log (and LOG's _log.txt, .ans and\n"
    "                    checkpoint bitmaps) for vk2280-cli replay\n"
    "  --keys TABLE      with --record: the key table that names the keys in the log\n"
    "                    (default: the shipped one)\n";

namespace {

struct Press {
  const KeyMapRow* key = nullptr;  // or typed text, or a checkpoint (@ans, @screen)
  std::string text;
};

bool IsCheckpoint(const std::string& word) {
  return word == "@ans" || word == "@screen";
}

}  // namespace

int RunKeys(const std::vector<std::string>& args) {
  HeadlessOptions options;
  ScreenOutputs outputs;
  MemoryOptions files;
  std::vector<std::string> openFiles;
  std::vector<Press> presses;
  std::string recordPath, keyTable;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string error;
    if (TakeScreenOption(args, &i, &outputs, &error) ||
        TakeMemoryOption(args, &i, &files, &error)) {
      if (!error.empty()) return CliError("keys", error, kExitUsage);
    } else if (a == "--open") {
      if (i + 1 >= args.size()) return CliError("keys", a + " needs a value", kExitUsage);
      openFiles.push_back(CliAbsolutePath(args[++i]));
    } else if (a == "--record" || a == "--keys") {
      if (i + 1 >= args.size()) return CliError("keys", a + " needs a value", kExitUsage);
      (a == "--record" ? recordPath : keyTable) = args[++i];
    } else if (IsCheckpoint(a)) {
      presses.push_back(Press{nullptr, a});
    } else if (a == "--flash" || a == "--timeout") {
      if (i + 1 >= args.size()) return CliError("keys", a + " needs a value", kExitUsage);
      const std::string& value = args[++i];
      if (a == "--flash") {
        options.flashPath = value;
      } else {
        if (!ParseTimeout(value, &options.timeoutMs))
          return CliError("keys", "bad --timeout " + value, kExitUsage);
      }
    } else if (a.rfind("type:", 0) == 0) {
      presses.push_back(Press{nullptr, a.substr(5)});
    } else if (const KeyMapRow* key = KeyMapByName(a.c_str())) {
      presses.push_back(Press{key, {}});
    } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
      return CliError("keys", "unknown option " + a, kExitUsage);
    } else {
      return CliError("keys", "unknown key '" + a + "'", kExitUsage);
    }
  }

  for (const Press& p : presses)
    if (!p.key && IsCheckpoint(p.text) && recordPath.empty())
      return CliError("keys", p.text + " needs --record", kExitUsage);
  if (!keyTable.empty() && recordPath.empty())
    return CliError("keys", "--keys names the keys of a key log: it needs --record", kExitUsage);
  CliHarnessUi ui;
  KeyLogger logger(&ui);
  if (!recordPath.empty() && !logger.LoadKeyTable(keyTable))
    return CliError("keys", "cannot read key table " + keyTable, kExitFailed);

  HeadlessFrontEnd frontEnd;
  frontEnd.openFiles = openFiles;
  std::string error;
  if (!HeadlessStart(options, &frontEnd, &error)) {
    HeadlessStop();
    return CliError("keys", error, kExitFailed);
  }
  // The calculator waits for a key: main memory is free to load.
  if (!ApplyImports(files, &error)) {
    HeadlessStop();
    return CliError("keys", error, kExitFailed);
  }
  if (!recordPath.empty() && !logger.StartRecording(recordPath)) {
    HeadlessStop();
    return CliError("keys", "cannot write " + recordPath, kExitFailed);
  }
  for (const Press& p : presses) {
    if (p.text == "@ans" || p.text == "@screen") {
      if (!(p.text == "@ans" ? logger.AnswerCheckpoint() : logger.ScreenCheckpoint())) {
        HeadlessStop();
        return CliError("keys", "cannot record the checkpoint " + p.text, kExitFailed);
      }
      continue;
    }
    if (p.key) {
      const KeyRect* face = KeyRectOf(p.key->code);  // a click sends the key's aux too
      HostSendKey(p.key->code, face ? face->aux : 0);
    } else {
      HostTypeText(p.text.c_str(), true);
    }
    if (!HeadlessSettle(options)) {
      HeadlessStop();
      return CliError("keys",
                      "the calculator is still busy after " +
                          (p.key ? std::string(p.key->name) : "type:" + p.text),
                      kExitFailed);
    }
    if (ui.writeFailed) {
      HeadlessStop();
      return CliError("keys",
                      "cannot log " + (p.key ? std::string(p.key->name) : "type:" + p.text) +
                          ": no name in the key table, or " + recordPath + " cannot be written",
                      kExitFailed);
    }
  }
  logger.StopRecording();
  bool written = WriteScreenOutputs(outputs, &error) && ApplyExports(files, &error);
  HeadlessStop();
  return written ? kExitOk : CliError("keys", error, kExitFailed);
}
