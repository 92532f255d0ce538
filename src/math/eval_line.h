// One line of tokens through the program interpreter with no screen: what
// the evaluator's tests, benchmarks and fuzzer run. The computation screen
// and the command line call the interpreter with their own screens.
#pragma once

#include <cstdint>

#include "math/bcd.h"

// What a line leaves to show.
enum : int {
  kLineShowsValue = 0,  // the value of the last statement
  kLineShowsDone = 1,   // "Done": a statement without a value
};

struct LineResult {
  int shows = kLineShowsDone;
  int form = 0;                   // the interpreter's kForm* of the value
  BcdNumber value[2] = {};        // the last value (a list or matrix as its answer item)
  int error = 0;                  // error code, 0 when the line ran to its end
  const uint8_t* stop = nullptr;  // where the line stopped (the failing token)
};

// Runs the zero-ended token line. Returns 1 when it ran to its end, 0 on
// an error (result->error and result->stop say what and where).
int RunLine(const uint8_t* tokens, LineResult* result);

// The value of Ans as a 24-byte value; a list or matrix answer as a
// reference to its item.
int RecallAns(BcdNumber value[2]);
