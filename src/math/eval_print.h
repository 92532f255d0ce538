// One line of PC text through the calculator, as `vk2280-cli eval` prints
// it: converted to tokens, run in the current calculator state (variables,
// Ans and the setup carry over), and its result written as UTF-8 text.
#pragma once

#include <string>
#include <string_view>

#include "math/bcd.h"
#include "math/eval_line.h"

struct EvalPrinted {
  std::string text;    // the one output line
  int error = 0;       // the error code, 0 when the line succeeded
  int textColumn = 0;  // for text that is no token: its column (error 2)
};

// Runs one line. Values are shown as the computation screen shows them
// (without its left padding), or in the canonical answer form.
EvalPrinted EvalTextLine(std::string_view line, bool canonical);

// The text of a line's result: the value, "Done", or nothing for an error.
std::string ResultText(const LineResult& result, bool canonical);

// "Error N: TEXT" with the error's message line in English.
std::string ErrorLine(int code);
