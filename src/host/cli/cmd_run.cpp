// vk2280-cli run: a program text file run on a calculator without a window;
// prints its text screen when it ends.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "apps/graph/graph_commands.h"
#include "host/cli/cli.h"
#include "host/cli/cli_memory.h"
#include "host/cli/cli_run.h"
#include "math/eval.h"
#include "math/eval_print.h"
#include "math/interp.h"
#include "math/interp_graph.h"
#include "memory/mcs_core.h"
#include "memory/mem_app.h"
#include "os/setup.h"
#include "os/text.h"
#include "os/vram.h"

const char* const kRunUsage =
    "usage: vk2280-cli run [--name NAME] [--program NAME=FILE]... [--text] [--bmp FILE]\n"
    "                      [--png FILE] FILE\n\n"
    "Stores the program text FILE (one statement per line, typed as for eval) as a\n"
    "program and runs it as Prog \"NAME\" does on the computation screen. When it\n"
    "ends, prints the lines of the 21-column text screen, trailing blanks removed:\n"
    "what the program printed, then its result or \"Done\". Display stops (◢) do\n"
    "not wait. An input statement (?) reads its answer as one line of standard\n"
    "input; the end of the input breaks the program. No key is pressed here:\n"
    "Getkey gives 0.\n\n"
    "options:\n"
    "  --name NAME          the program's name (default: FILE's name in capitals,\n"
    "                       letters and digits, at most 8)\n"
    "  --program NAME=FILE  store another program text for Prog \"NAME\"\n"
    "  --text               print the display when the program ends as 64 lines of\n"
    "                       128 characters, # dark, . light (instead of the lines)\n"
    "  --bmp FILE           write that display as a 128 x 64 monochrome bitmap\n"
    "  --png FILE           write that display as a 128 x 64 PNG\n"
    "The display is the graph screen when the program ends on a graph command,\n"
    "else the text screen.\n\n"
    "Exit status: 0 when the program ended normally, 1 when it failed (the error\n"
    "and where it happened on stderr), 2 for a usage error.\n";

CliCalculator::CliCalculator() {
  McsAllocateArena();
  MemStartUp();
  ResetSetup();
  EvalInit();
  EvalSetBreakTest(nullptr);
  InstallGraphCommands();
}

CliCalculator::~CliCalculator() {
  McsFreeArena();
}

namespace {

bool ReadFile(const std::string& path, std::string* text) {
  std::error_code ec;
  // A directory opens as a stream that reads as empty: refuse it by name.
  if (std::filesystem::is_directory(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *text = s.str();
  return true;
}

// Stores one program text; false with a message.
bool StoreProgramText(const std::string& name, const std::string& path, std::string* error) {
  std::string text, tokens;
  if (!ReadFile(path, &text)) {
    *error = "cannot read " + path;
    return false;
  }
  int column = 0;
  if (int line = ProgramTextToTokens(text, &tokens, &column)) {
    *error = path + ":" + std::to_string(line) + ":" + std::to_string(column) + ": no such token";
    return false;
  }
  if (int code = InterpStoreProgram(name.c_str(), reinterpret_cast<const uint8_t*>(tokens.data()),
                                    tokens.size())) {
    *error = "cannot store program " + name + ": " + ErrorLine(code);
    return false;
  }
  return true;
}

std::string NameOfPath(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string stem = path.substr(slash == std::string::npos ? 0 : slash + 1);
  stem = stem.substr(0, stem.find('.'));
  std::string name;
  for (char c : stem)
    if (std::isalnum(static_cast<unsigned char>(c)) && name.size() < kProgramNameBytes)
      name += char(std::toupper(static_cast<unsigned char>(c)));
  return name.empty() ? "MAIN" : name;
}

// The run's screen answers an input with a line of standard input, shown
// on the line under the prompt.
int ReadInput(void* user, std::string* tokens) {
  auto* screen = static_cast<TextScreen*>(user);
  std::string text;
  if (!ReadAnswerLine(&text)) return kBcdErrBreak;
  if (TextToModeTokens(text, tokens)) return kBcdErrSyntax;
  std::string shown = TokenLineText(reinterpret_cast<const uint8_t*>(tokens->c_str()));
  ScreenPrint(screen, shown.c_str(), false);
  return 0;
}

// Which screen the run showed last: the graph's hook draws the graph screen
// into Vram; the text screen is drawn here when the run ends on it.
InterpScreenHook gGraphHook = nullptr;
bool gGraphShown = false;

void TrackScreen(InterpScreen screen) {
  gGraphShown = screen == InterpScreen::kGraph;
  if (gGraphHook) gGraphHook(screen);
}

void DrawTextScreen(const TextScreen& screen) {
  ClearVram();
  for (int l = 1; l <= kScreenLines; ++l) {
    std::string line;
    for (int c = 0; c < kScreenColumns; ++c) {
      char code[3];
      EncodeCharCode(screen.cells[l - 1][c], code);
      line += code[0] ? code : " ";
    }
    Locate(1, l);
    Print(line.c_str());
  }
}

bool WriteRunScreen(const TextScreen& screen, const ScreenOutputs& outputs, std::string* error) {
  OsHooks hooks = HostOsHooks();
  hooks.vram = []() -> const uint8_t* { return VramAddress(); };
  HostInstallOsHooks(hooks);
  if (!gGraphShown) DrawTextScreen(screen);
  PutDisplay();
  return WriteScreenOutputs(outputs, error);
}

}  // namespace

bool ParseProgramArg(const std::string& nameAndFile, ProgramFileArg* arg, std::string* error) {
  size_t eq = nameAndFile.find('=');
  if (eq == std::string::npos || eq == 0 || eq + 1 == nameAndFile.size()) {
    *error = "--program needs NAME=FILE, not '" + nameAndFile + "'";
    return false;
  }
  arg->name = nameAndFile.substr(0, eq);
  arg->path = nameAndFile.substr(eq + 1);
  if (arg->name.size() > kProgramNameBytes) {
    *error = "program name '" + arg->name + "' is longer than 8 characters";
    return false;
  }
  return true;
}

bool StoreProgramFile(const ProgramFileArg& arg, std::string* error) {
  return StoreProgramText(arg.name, arg.path, error);
}

bool ReadAnswerLine(std::string* text) {
  if (!std::getline(std::cin, *text)) return false;
  if (!text->empty() && text->back() == '\r') text->pop_back();
  return true;
}

int RunRun(const std::vector<std::string>& args) {
  std::vector<ProgramFileArg> programs;
  std::string file, name;
  MemoryOptions files;
  ScreenOutputs outputs;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string error;
    if (TakeMemoryOption(args, &i, &files, &error) ||
        TakeScreenOption(args, &i, &outputs, &error)) {
      if (!error.empty()) return CliError("run", error, kExitUsage);
    } else if (a == "--program" || a == "--name") {
      if (i + 1 >= args.size() || args[i + 1].empty())
        return CliError("run", a + " needs a value", kExitUsage);
      if (a == "--name") {
        name = args[++i];
      } else if (!ParseProgramArg(args[++i], &programs.emplace_back(), &error)) {
        return CliError("run", error, kExitUsage);
      }
    } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
      return CliError("run", "unknown option " + a, kExitUsage);
    } else if (file.empty()) {
      file = a;
    } else {
      return CliError("run", "one FILE only (see --help)", kExitUsage);
    }
  }
  if (file.empty()) return CliError("run", "no program FILE (see --help)", kExitUsage);
  if (name.empty()) name = NameOfPath(file);
  if (name.size() > kProgramNameBytes) return CliError("run", "NAME is longer than 8", kExitUsage);

  CliCalculator calculator;
  std::string error;
  if (!ApplyImports(files, &error)) return CliError("run", error, kExitFailed);
  for (const ProgramFileArg& p : programs)
    if (!StoreProgramFile(p, &error)) return CliError("run", error, kExitFailed);
  if (!StoreProgramText(name, file, &error)) return CliError("run", error, kExitFailed);

  gGraphHook = InterpGetScreenHook();
  gGraphShown = false;
  InterpSetScreenHook(TrackScreen);
  TextScreen screen;
  ScreenClear(&screen);
  InterpIo io;
  io.user = &screen;
  io.screen = &screen;
  io.readInput = ReadInput;
  std::string call = std::string("\xED\"") + name + "\"";
  call.push_back(0);
  InterpResult result;
  int ok =
      InterpRun(reinterpret_cast<const uint8_t*>(call.c_str()), kInterpModeProgram, &result, io);
  if (ok) InterpShowResult(&screen, result);
  int last = 0;
  for (int l = 1; l <= kScreenLines; ++l)
    if (!ScreenLineUtf8(screen, l).empty()) last = l;
  if (!outputs.text)
    for (int l = 1; l <= last; ++l) std::printf("%s\n", ScreenLineUtf8(screen, l).c_str());
  if (!WriteRunScreen(screen, outputs, &error)) return CliError("run", error, kExitFailed);
  std::fflush(stdout);
  if (!ok) {
    std::string where = result.program[0] ? std::string(" in ") + result.program + " at byte " +
                                                std::to_string(result.programOffset)
                                          : "";
    return CliError("run", ErrorLine(result.error) + where, kExitFailed);
  }
  if (!ApplyExports(files, &error)) return CliError("run", error, kExitFailed);
  return kExitOk;
}
