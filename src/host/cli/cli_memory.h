// The options every command takes to load main memory from calculator files
// and to save data groups to files, and the list command.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct MemoryOptions {
  std::vector<std::string> imports;                          // --import FILE
  std::vector<std::pair<std::string, std::string>> exports;  // --export GROUP=FILE
};

// Takes --import FILE or --export GROUP=FILE at args[*i] (advancing past the
// value); false when args[*i] is neither. Sets *error for a missing or
// malformed value.
bool TakeMemoryOption(const std::vector<std::string>& args, size_t* i, MemoryOptions* out,
                      std::string* error);
// Imports every file into main memory as the MEMORY import does, replacing
// items that exist. Main memory must not be in use by the calculator (the OS
// thread waiting for a key, or not running). False with a message when a
// file cannot be imported.
bool ApplyImports(const MemoryOptions& options, std::string* error);
// Writes every requested data group to its file; false with a message.
bool ApplyExports(const MemoryOptions& options, std::string* error);
// A path as the calculator's file exchange takes it: absolute.
std::string CliAbsolutePath(const std::string& path);
// The usage lines of the two options, for each command's help.
extern const char* const kMemoryOptionsUsage;

int RunList(const std::vector<std::string>& args);
extern const char* const kListUsage;
