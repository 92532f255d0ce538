// vk2280-cli: commands share one table; each command parses its own words.
#pragma once

#include <string>
#include <vector>

struct CliCommand {
  const char* name;
  const char* summary;
  const char* usage;  // full help text
  int (*run)(const std::vector<std::string>& args);
};

// Exit statuses: 0 done, 1 the work failed, 2 bad input on the command line.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Prints "vk2280-cli CMD: message" on stderr and returns the status.
int CliError(const char* command, const std::string& message, int status);
// The SECONDS of --timeout in milliseconds: a positive number, a wait of
// more than a day taken as a day; false for anything else (inf, nan, text).
bool ParseTimeout(const std::string& value, int* milliseconds);

// Shared options of the commands that run the calculator.
struct ScreenOutputs {
  bool text = false;
  std::string bmpPath;
  std::string pngPath;
};
// Takes one option at args[*i] (advancing *i past its value) when it is a
// screen output; returns false when args[*i] is not one. Sets *error for a
// missing value.
bool TakeScreenOption(const std::vector<std::string>& args, size_t* i, ScreenOutputs* out,
                      std::string* error);
// Writes the current screen where asked; false with a message on failure.
bool WriteScreenOutputs(const ScreenOutputs& outputs, std::string* error);

int RunKeys(const std::vector<std::string>& args);
extern const char* const kKeysUsage;
