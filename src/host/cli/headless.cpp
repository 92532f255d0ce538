#include "host/cli/headless.h"

#include "apps/calculator.h"

bool HeadlessFrontEnd::ChooseCalcFilesToOpen(std::vector<std::string>* paths) {
  if (openFiles.empty()) return false;
  *paths = openFiles;
  return true;
}

bool HeadlessFrontEnd::ChooseG1eToOpen(std::string* path) {
  if (openFiles.empty()) return false;
  *path = openFiles.front();
  return true;
}

bool HeadlessFrontEnd::ChooseG1eToSave(std::string* path) {
  if (saveFile.empty()) return false;
  *path = saveFile;
  return true;
}

bool HeadlessFrontEnd::BrowseFolder(std::string* chosen) {
  if (folder.empty()) return false;
  *chosen = folder;
  return true;
}

bool HeadlessStart(const HeadlessOptions& options, HeadlessFrontEnd* frontEnd,
                   std::string* error) {
  // Without a path a scripted run gets a fresh image that vanishes with it;
  // an interactive one the user's own, as the window does.
  bool prepared = options.flashPath.empty() && !options.userImage
                      ? CalculatorPrepareScratch(error)
                      : CalculatorPrepare(options.flashPath, nullptr, error);
  if (!prepared) return false;
  HostSetFrontEnd(frontEnd);
  LcdImageFill(0xFF);
  HostStartOsThread();
  if (!HeadlessSettle(options)) {
    *error = "the calculator did not finish starting";
    return false;
  }
  return true;
}

bool HeadlessSettle(const HeadlessOptions& options) { return HostWaitOsIdle(options.timeoutMs); }

void HeadlessStop() {
  HostStopOsThread(2000);
  HostSetFrontEnd(nullptr);
  CalculatorRelease();
}

void HeadlessScreen(uint8_t plane[kLcdBytes]) {
  LcdImageSnapshot(plane);
  for (int i = 0; i < kLcdBytes; ++i) plane[i] = static_cast<uint8_t>(~plane[i]);
}

