// A stand-in for the OS thread: takes keys from the real key queue until it
// is handed (99, 99), so the host side runs as it does in the emulator.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "host/services/host_services.h"

class StandInOs {
 public:
  explicit StandInOs(std::function<void(const KeyEntry&)> onKey = {}) : onKey_(std::move(onKey)) {}
  ~StandInOs() {
    PostKey(99, 99, 0, 0);
    thread_.join();
  }

  std::atomic<size_t> taken{0};  // counted after onKey has seen the key

 private:
  std::function<void(const KeyEntry&)> onKey_;
  std::thread thread_{[this] {
    for (KeyEntry key = WaitKey(); key.row != 99; key = WaitKey()) {
      if (onKey_) onKey_(key);
      ++taken;
    }
  }};
};
