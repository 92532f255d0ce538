// A whole calculator in the test process: the real OS thread, boot and
// applications behind the headless front end, driven key by key.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/cli/headless.h"
#include "host/services/key_input.h"
#include "host/services/key_tables.h"
#include "support/golden.h"

class Calculator {
 public:
  // An empty flash path: a fresh image for this calculator alone.
  explicit Calculator(const std::string& flash = "") {
    options_.flashPath = flash;
    options_.timeoutMs = 60000;
    std::string error;
    started_ = HeadlessStart(options_, &frontEnd_, &error);
    EXPECT_TRUE(started_) << error;
  }
  ~Calculator() { HeadlessStop(); }
  Calculator(const Calculator&) = delete;
  Calculator& operator=(const Calculator&) = delete;

  // Presses keys by their names ("MENU", "F1", "type:F" types text), waiting
  // after each until the calculator waits for the next one.
  Calculator& Press(std::initializer_list<const char*> keys) {
    for (const char* key : keys) {
      std::string name = key;
      if (name.rfind("type:", 0) == 0) {
        HostTypeText(name.c_str() + 5, true);
      } else {
        const KeyMapRow* row = KeyMapByName(key);
        EXPECT_NE(row, nullptr) << key;
        if (!row) continue;
        const KeyRect* face = KeyRectOf(row->code);
        HostSendKey(row->code, face ? face->aux : 0);
      }
      EXPECT_TRUE(HeadlessSettle(options_)) << "still busy after " << key;
    }
    return *this;
  }

  // Waits until the calculator waits for a key with nothing queued.
  bool Settle() { return HeadlessSettle(options_); }

  std::vector<uint8_t> Plane() const {
    std::vector<uint8_t> plane(kLcdBytes);
    HeadlessScreen(plane.data());
    return plane;
  }
  std::string Screen() const { return LcdImageText(); }

  bool started() const { return started_; }

 private:
  HeadlessOptions options_;
  HeadlessFrontEnd frontEnd_;
  bool started_ = false;
};

// Compares the screen with tests/e2e/golden/<name>.txt.
inline ::testing::AssertionResult ScreenMatches(const Calculator& calculator, const char* name) {
  std::vector<uint8_t> plane = calculator.Plane();
  return golden::MatchesGolden(plane.data(), std::string("tests/e2e/golden/") + name + ".txt");
}
