// The seam between the program interpreter and the graph screen. Statements
// of the graph class (Cls, Plot, Line, the Graph and Draw commands, the
// Sketch commands, ViewWindow's screen companions, PxlOn ...) are run by
// handlers that the graph application installs at start-up, one per token
// code. Until a handler is installed for a code, the statement fails with
// kInterpGraphNotYet, so programs that draw say so instead of doing nothing.
//
// The graph application also fills the screen hook: the interpreter calls it
// when a run (or a display stop) has to show the graph screen (display type
// 5) and when it goes back to the text screen.
#pragma once

#include <cstdint>

#include "math/bcd.h"

// What a graph statement gives before its handler exists.
inline constexpr int kInterpGraphNotYet = kBcdErrMa;

// A graph statement's handler. *cursor is on the command token; the handler
// reads the token and its arguments and leaves the cursor on the token that
// ends the statement (a separator, or the end byte). Returns 0 on success or
// an error code (1 Break, 2 Syntax, 8 Argument, ...); on an error the cursor
// should stand on the failing token, which RUN-MAT then points at.
using InterpGraphHandler = int (*)(const uint8_t** cursor);

// True for the codes the interpreter hands to graph handlers.
bool InterpIsGraphCommand(uint16_t code);

// Installs (or with nullptr removes) the handler of one graph command code.
// Returns false for a code that is no graph command.
bool InterpSetGraphHandler(uint16_t code, InterpGraphHandler handler);
InterpGraphHandler InterpGraphHandlerOf(uint16_t code);
// Removes every installed handler.
void InterpClearGraphHandlers();

// Which screen the run asks for.
enum class InterpScreen : uint8_t {
  kText = 0,   // the text screen (what the program printed)
  kGraph = 5,  // the graph screen (display type 5)
};
// Called with kGraph when a display stop or the end of a run has to show the
// graph screen, and with kText when the run switches back to the text
// screen. nullptr (the default) leaves the screen alone.
using InterpScreenHook = void (*)(InterpScreen screen);
void InterpSetScreenHook(InterpScreenHook hook);
InterpScreenHook InterpGetScreenHook();
