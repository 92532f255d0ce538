// Runs one line of tokens as the computation screen does until the program
// interpreter takes over: statements separated by ":" or new lines, the
// setting commands, stores with →, the ⇒ jump, and Ans.
#pragma once

#include <cstdint>

#include "math/bcd.h"

// What a line leaves to show.
enum : int {
  kLineShowsValue = 0,  // the value of the last statement
  kLineShowsDone = 1,   // "Done": a statement without a value
};

// How the value asks to be shown (a conversion token at the end of the
// expression); 0 for the current settings.
enum : int {
  kLineAsIs = 0,
  kLineAsRectangular = 1,  // ►a+bi
  kLineAsPolar = 2,        // ►r∠θ
  kLineAsDec = 3,          // ►Dec, ►Hex, ►Bin, ►Oct: in a Base-N mode, that base
  kLineAsHex = 4,
  kLineAsBin = 5,
  kLineAsOct = 6,
};

// The Base-N mode of a kLineAsDec ... kLineAsOct form (0 for the others).
int LineFormBase(int form);

struct LineResult {
  int shows = kLineShowsDone;
  int form = kLineAsIs;
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
