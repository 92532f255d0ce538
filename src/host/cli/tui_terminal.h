// The terminal itself for the terminal front end: raw mode, the alternate
// screen, the size, and the signals. Whatever way the program ends (quit
// key, SIGTERM/SIGHUP/SIGINT, a crash, an uncaught exception, exit()), the
// terminal gets back the settings it had.
#pragma once

#include <string>

struct TermSize {
  int cols = 80;
  int rows = 24;
};

// Events the signal handlers leave for the loop (each read clears it).
struct TermSignals {
  int quit = 0;  // the terminating signal, 0 for none
  bool resized = false;
  bool stop = false;  // SIGTSTP: suspend like a shell job
  bool continued = false;
};

// Saves the settings of standard input's terminal, installs the handlers
// (they write a byte to `wakeFd` so a poll on its other end wakes), then
// enters raw mode and the alternate screen with the cursor hidden.
bool TerminalEnter(int wakeFd, std::string* error);
// Back to the saved settings and the normal screen. Safe to call twice.
void TerminalLeave();
// Raw mode and the alternate screen again after a stop (the shell may have
// changed the settings meanwhile).
void TerminalResume();
// Stops the process as a shell's Ctrl+Z would, with the terminal restored;
// returns once continued, in raw mode again.
void TerminalSuspend();

TermSignals TerminalTakeSignals();
TermSize TerminalSize();
// Writes all of `bytes` to the terminal; false when it is gone.
bool TerminalWrite(const std::string& bytes);
// The escape sequence that sets the terminal's window title (control
// characters dropped).
std::string TerminalTitle(const std::string& title);
