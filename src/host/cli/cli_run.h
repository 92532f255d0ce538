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

// "NAME=FILE": stores the program text FILE as program NAME. False with a
// message.
bool StoreProgramFile(const std::string& nameAndFile, std::string* error);
// One line of standard input without its line end; false at the end.
bool ReadAnswerLine(std::string* text);

int RunRun(const std::vector<std::string>& args);
extern const char* const kRunUsage;
