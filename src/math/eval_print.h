// One line of PC text through the calculator, as `vk2280-cli eval` prints
// it: converted to tokens, run by the program interpreter in the current
// calculator state (variables, Ans, programs and the setup carry over), and
// its output and result written as UTF-8 text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "math/bcd.h"
#include "math/eval_line.h"

struct EvalPrinted {
  std::vector<std::string> output;  // what the line printed on its way (strings, ◢)
  std::string text;                 // the result line; empty when a display stop showed it
  int error = 0;                    // the error code, 0 when the line succeeded
  int textColumn = 0;               // for text that is no token: its column (error 2)
};

// Runs one line. Values are shown as the computation screen shows them
// (without its left padding), or in the canonical answer form. An input
// statement reads its answer with `readAnswer` (false: no answer, a break).
EvalPrinted EvalTextLine(std::string_view line, bool canonical,
                         bool (*readAnswer)(std::string* text) = nullptr);

// The text of a line's result: the value, "Done", or the error line.
std::string ResultText(const LineResult& result, bool canonical);

// "Error N: TEXT" with the error's title from the message table of the
// current language.
std::string ErrorLine(int code);

// Reads PC text as tokens the way the current mode types it (capital A-F
// are hexadecimal digits in the Hex mode). 0, or the column of the first
// text that is no token.
int TextToModeTokens(std::string_view text, std::string* tokens);

// A program text file as a token string: one statement per line (lines
// joined by the new-line token), each line read as TextToModeTokens reads
// it. 0, or the line (1-based) with text that is no token; *column gets its
// column.
int ProgramTextToTokens(std::string_view text, std::string* tokens, int* column);
