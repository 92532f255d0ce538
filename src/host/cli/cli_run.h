// What vk2280-cli eval and run share: a calculator without the OS thread,
// programs stored from text files, answers read from standard input.
#pragma once

#include <string>
#include <vector>

// Main memory, the setup record and the evaluator, for one command.
struct CliCalculator {
  CliCalculator();
  ~CliCalculator();
};

// A --program NAME=FILE option.
struct ProgramFileArg {
  std::string name, path;
};
// Splits "NAME=FILE"; false with a message when it is malformed (a usage error).
bool ParseProgramArg(const std::string& nameAndFile, ProgramFileArg* arg, std::string* error);
// Stores the program text of arg.path as program arg.name. False with a message.
bool StoreProgramFile(const ProgramFileArg& arg, std::string* error);
// One line of standard input without its line end; false at the end.
bool ReadAnswerLine(std::string* text);

int RunRun(const std::vector<std::string>& args);
extern const char* const kRunUsage;
