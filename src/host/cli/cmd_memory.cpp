// --import and --export for every command, and vk2280-cli list.
#include <unistd.h>

#include <cstdio>

#include "apps/memory/memory_app.h"
#include "host/cli/cli.h"
#include "host/cli/cli_memory.h"
#include "memory/fs_error.h"
#include "memory/mcs_core.h"
#include "memory/mem_app.h"
#include "memory/mem_tables.h"
#include "os/setup.h"

const char* const kMemoryOptionsUsage =
    "  --import FILE     load a .g1m file into main memory after the start (repeatable;\n"
    "                    items that exist are replaced)\n"
    "  --export GROUP=FILE\n"
    "                    after the command, write a data group (PROGRAM, LISTFILE,\n"
    "                    LIST 1, MATRIX, ALPHA MEM, SETUP, ...) to FILE (repeatable)\n";

const char* const kListUsage =
    "usage: vk2280-cli list [--import FILE]...\n\n"
    "Prints what main memory holds after the imports, one item a line: data group,\n"
    "folder, item name and size in bytes, separated by tabs. A group of \"-\" is an\n"
    "item that belongs to no data group.\n\n"
    "options:\n"
    "  --import FILE     load a .g1m file into main memory first (repeatable)\n";

namespace {

std::string ResultText(int rc) {
  switch (rc) {
    case kG1mErrNotData:
      return "not a calculator data file";
    case kG1mErrControl:
    case kG1mErrDamaged:
      return "damaged calculator file";
    case kG1mErrMemory:
      return "main memory is full";
    case kG1mErrNothing:
      return "the group holds no data";
    case kMemoryUnknownGroup:
      return "no such data group";
    default:
      if (const char* text = FsHostErrorText(rc)) return text;
      return "error " + std::to_string(rc);
  }
}

}  // namespace

// Calculator file paths reach the storage interface as absolute host paths.
std::string CliAbsolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char cwd[4096];
  if (!getcwd(cwd, sizeof cwd)) return path;
  return std::string(cwd) + "/" + path;
}

bool TakeMemoryOption(const std::vector<std::string>& args, size_t* i, MemoryOptions* out,
                      std::string* error) {
  const std::string& a = args[*i];
  if (a != "--import" && a != "--export") return false;
  if (*i + 1 >= args.size()) {
    *error = a + " needs a value";
    return true;
  }
  const std::string& value = args[++*i];
  if (a == "--import") {
    out->imports.push_back(value);
    return true;
  }
  // A group's own name may hold "=" (Y=DATA): the longest group name that
  // the value starts with wins over the first "=".
  size_t eq = value.find('=');
  size_t longest = 0;
  for (size_t g = 0; g < kMemGroupCount; ++g) {
    const std::string name = MemGroupName(static_cast<MemGroup>(g));
    if (name.size() > longest && value.size() > name.size() && value.compare(0, name.size(), name) == 0 &&
        value[name.size()] == '=') {
      longest = name.size();
      eq = longest;
    }
  }
  if (eq == 0 || eq == std::string::npos || eq + 1 == value.size()) {
    *error = "--export needs GROUP=FILE, not '" + value + "'";
    return true;
  }
  out->exports.emplace_back(value.substr(0, eq), value.substr(eq + 1));
  return true;
}

bool ApplyImports(const MemoryOptions& options, std::string* error) {
  for (const std::string& file : options.imports) {
    const MemoryImportResult r =
        MemoryImportPcFile(CliAbsolutePath(file).c_str(), G1mExisting::kOverwrite, false);
    if (r.rc != 0) {
      *error = "cannot import " + file + ": " + ResultText(r.rc);
      return false;
    }
  }
  return true;
}

bool ApplyExports(const MemoryOptions& options, std::string* error) {
  for (const auto& [group, file] : options.exports) {
    const int rc = MemoryExportToPc(group.c_str(), CliAbsolutePath(file).c_str());
    if (rc != 0) {
      *error = "cannot export " + group + " to " + file + ": " + ResultText(rc);
      return false;
    }
  }
  return true;
}

int RunList(const std::vector<std::string>& args) {
  MemoryOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string error;
    if (TakeMemoryOption(args, &i, &options, &error)) {
      if (!error.empty()) return CliError("list", error, kExitUsage);
      if (!options.exports.empty()) return CliError("list", "list takes no --export", kExitUsage);
    } else {
      return CliError("list", "unknown argument '" + args[i] + "' (see --help)", kExitUsage);
    }
  }
  // Main memory alone, as after a start; no OS thread is needed to read it.
  McsAllocateArena();
  MemStartUp();
  ResetSetup();
  std::string error;
  const bool imported = ApplyImports(options, &error);
  if (imported) {
    for (const std::string& line : MemoryListing()) std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  }
  McsFreeArena();
  return imported ? kExitOk : CliError("list", error, kExitFailed);
}
