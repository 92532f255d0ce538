// The calculator without a window: the same OS thread and services, a front
// end that draws nowhere and answers dialogs from the command line.
#pragma once

#include <string>
#include <vector>

#include "host/services/front_end.h"

class HeadlessFrontEnd : public HostFrontEnd {
 public:
  void LcdChanged() override {}
  void SetStatusAndTitle(const std::string& message, const std::string&) override {
    status_ = message;
  }
  // Dialogs are answered by files named on the command line, else cancelled.
  bool ChooseCalcFilesToOpen(std::vector<std::string>* paths) override;
  bool ChooseG1eToOpen(std::string* path) override;
  bool ChooseG1eToSave(std::string* path) override;
  bool BrowseFolder(std::string* folder) override;

  std::vector<std::string> openFiles;
  std::string saveFile;
  std::string folder;

 private:
  std::string status_;
};

struct HeadlessOptions {
  std::string flashPath;  // empty: a fresh image deleted at exit, unless userImage
  bool userImage = false;  // with no flashPath: the window's own image, kept between runs
  int timeoutMs = 30000;  // longest wait for the calculator to settle
};

// Boots the calculator and waits until it waits for a key. Returns false
// with a message when it does not settle in time.
bool HeadlessStart(const HeadlessOptions& options, HeadlessFrontEnd* frontEnd, std::string* error);
// Waits until the calculator waits for a key with nothing queued.
bool HeadlessSettle(const HeadlessOptions& options);
void HeadlessStop();

// The screen as the window would show it, as a plane with 1 = dark.
void HeadlessScreen(uint8_t plane[kLcdBytes]);
