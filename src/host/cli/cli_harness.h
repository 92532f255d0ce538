// The key-log harness on the command line: no boxes to show and no dialogs,
// so questions get the answers a script wants.
#pragma once

#include <chrono>
#include <cstdio>
#include <thread>

#include "host/harness/key_logger.h"

class CliHarnessUi : public HarnessUi {
 public:
  void Message(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
  // SHIFT+AC/ON is logged like any key.
  bool AskYesNo(const std::string&) override { return true; }
  // A key that cannot be logged fails the command instead.
  bool AskRetry(const std::string&) override {
    writeFailed = true;
    return false;
  }
  bool ChooseLogToRecord(std::string*) override { return false; }
  bool ChooseLogToReplay(std::string*) override { return false; }
  bool ChooseKeyTable(std::string*) override { return false; }
  void Pause(int ms) override {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }

  bool writeFailed = false;
};

int RunReplay(const std::vector<std::string>& args);
extern const char* const kReplayUsage;
