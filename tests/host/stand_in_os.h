// A stand-in for the OS thread: takes keys from the real key queue until it
// is handed (99, 99), so the host side runs as it does in the emulator.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "host/services/host_services.h"

struct StandInOs {
  explicit StandInOs(std::function<void(const KeyEntry&)> f = {}) : onKey(std::move(f)) {}
  ~StandInOs() {
    PostKey(99, 99, 0, 0);
    thread.join();
  }

  std::atomic<size_t> taken{0};  // counted after onKey has seen the key
  const std::function<void(const KeyEntry&)> onKey;
  std::thread thread{[this] {
    for (KeyEntry key = WaitKey(); key.row != 99; key = WaitKey()) {
      if (onKey) onKey(key);
      ++taken;
    }
  }};
};
