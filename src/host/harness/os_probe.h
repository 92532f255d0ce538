// What the key-log harness asks of the calculator: the answer, the screen,
// the cursor, the function-key labels and what the OS did with the keys.
// The harness asks only while the OS waits for a key (waitQuiet true); the
// tests put a calculator of their own in its place.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "host/services/host_services.h"

// What the OS did since the harness last looked.
struct OsFacts {
  uint32_t charCode = 0;     // a character it delivered (0: none)
  uint32_t controlCode = 0;  // a control code it delivered (0: none)
  std::string appName;       // an application it started ("" none)
};

struct HarnessProbe {
  // True once the OS waits for a key with nothing queued, within ms.
  std::function<bool(int ms)> waitQuiet;
  // "%c\t%s\t%s": type character, real part, imaginary part.
  std::function<std::string()> answerText;
  // The screen, 1 = dark.
  std::function<void(uint8_t plane[kLcdBytes])> screen;
  // Text cursor column and line, visible flag; graphics cursor.
  std::function<TextCursorInfo()> textCursor;
  std::function<bool(int* x, int* y)> graphCursor;
  // The label of F1..F6 (slot 0..5) on the function menu shown now.
  std::function<std::string(int slot)> fkeyLabel;
  std::function<OsFacts()> takeFacts;
  // The text of a character code (UTF-8).
  std::function<std::string(uint32_t code)> charText;
  // The shift state (setup item 20).
  std::function<int()> shiftState;
  // True when no OS thread runs any more to take keys.
  std::function<bool()> osGone;
};

// The calculator running in the OS thread.
HarnessProbe OsProbe();

// The answer's text from its 24-byte record: 'R' or 'C', then the real and
// the imaginary part in the answer log's canonical form.
std::string AnswerTextOf(const uint8_t record[24]);

// The name of a control function a key ran, for the result file's EXEC
// note; nullptr for codes without one.
const char* ControlFunctionName(uint32_t code);
