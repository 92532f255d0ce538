// vk2280-cli keys: press keys on a freshly started calculator.
#include <cstdlib>

#include "host/cli/cli.h"
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
    "EXP (-), or type:TEXT, which types TEXT as PC characters (as typed in the window).\n\n"
    "options:\n"
    "  --flash PATH      use this flash image (default: a fresh one, deleted at exit)\n"
    "  --text            print the screen as 64 lines of 128 characters, # dark, . light\n"
    "  --bmp FILE        write the screen as a 128 x 64 monochrome bitmap\n"
    "  --png FILE        write the screen as a 128 x 64 PNG\n"
    "  --timeout SECONDS longest wait for the calculator after a key (default 30)\n"
    "  --open FILE       the file the calculator's open dialog chooses (repeatable:\n"
    "                    several files chosen at once)\n";

namespace {

struct Press {
  const KeyMapRow* key = nullptr;  // or typed text
  std::string text;
};

}  // namespace

int RunKeys(const std::vector<std::string>& args) {
  HeadlessOptions options;
  ScreenOutputs outputs;
  MemoryOptions files;
  std::vector<std::string> openFiles;
  std::vector<Press> presses;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string error;
    if (TakeScreenOption(args, &i, &outputs, &error) ||
        TakeMemoryOption(args, &i, &files, &error)) {
      if (!error.empty()) return CliError("keys", error, kExitUsage);
    } else if (a == "--open") {
      if (i + 1 >= args.size()) return CliError("keys", a + " needs a value", kExitUsage);
      openFiles.push_back(CliAbsolutePath(args[++i]));
    } else if (a == "--flash" || a == "--timeout") {
      if (i + 1 >= args.size()) return CliError("keys", a + " needs a value", kExitUsage);
      const std::string& value = args[++i];
      if (a == "--flash") {
        options.flashPath = value;
      } else {
        char* end = nullptr;
        double seconds = std::strtod(value.c_str(), &end);
        if (*end || seconds <= 0) return CliError("keys", "bad --timeout " + value, kExitUsage);
        options.timeoutMs = static_cast<int>(seconds * 1000);
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
  for (const Press& p : presses) {
    if (p.key) {
      const KeyRect* face = KeyRectOf(p.key->code);  // a click sends the key's aux too
      HostSendKey(p.key->code, face ? face->aux : 0);
    } else {
      HostTypeText(p.text.c_str(), true);
    }
    if (!HeadlessSettle(options)) {
      HeadlessStop();
      return CliError("keys", "the calculator is still busy after " +
                                  (p.key ? std::string(p.key->name) : "type:" + p.text),
                      kExitFailed);
    }
  }
  bool written = WriteScreenOutputs(outputs, &error) && ApplyExports(files, &error);
  HeadlessStop();
  return written ? kExitOk : CliError("keys", error, kExitFailed);
}
