// A front end that records what the host services ask of it.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "host/services/front_end.h"

class RecordingFrontEnd : public HostFrontEnd {
 public:
  void LcdChanged() override { ++redraws; }
  void SetStatusAndTitle(const std::string& m, const std::string& t) override {
    std::lock_guard<std::mutex> lock(mutex);
    message = m;
    title = t;
    ++statusCalls;
  }
  bool ChooseCalcFilesToOpen(std::vector<std::string>* out) override {
    *out = paths;
    return answer;
  }
  bool ChooseG1eToOpen(std::string* path) override { return Pick(path); }
  bool ChooseG1eToSave(std::string* path) override { return Pick(path); }
  bool BrowseFolder(std::string* path) override { return Pick(path); }

  std::atomic<int> redraws{0};
  int statusCalls = 0;
  std::mutex mutex;
  std::string message, title;
  std::vector<std::string> paths;
  bool answer = true;

 private:
  bool Pick(std::string* path) {
    if (answer && !paths.empty()) *path = paths.front();
    return answer;
  }
};
