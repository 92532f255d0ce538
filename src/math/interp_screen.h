// The text screen that programs and the computation screen print into: 7
// lines of 21 character cells (line 8 is the function-key bar), each cell one
// calculator character code (one or two bytes), blank when empty. Prints go
// to the line after the last one written; at the bottom the screen scrolls.
#pragma once

#include <cstdint>
#include <string>

inline constexpr int kScreenLines = 7;
inline constexpr int kScreenColumns = 21;

struct TextScreen {
  uint16_t cells[kScreenLines][kScreenColumns];
  int line = 0;  // the last line written, 1..7; 0 before the first
};

void ScreenClear(TextScreen* screen);
// Moves to the next line (scrolling at the bottom) and returns it (1..7).
int ScreenNextLine(TextScreen* screen);
// Blanks one line (1..7).
void ScreenBlankLine(TextScreen* screen, int line);
// Prints a calculator string from the next line on, wrapping after 21
// cells; right aligned when it fits one line and `right` is set. A 0x0D code
// in the text starts a new line. Returns the number of lines written.
int ScreenPrint(TextScreen* screen, const char* text, bool right);
// Writes a calculator string at a column and line (1-based), cut at the
// right edge; the print line stays.
void ScreenPut(TextScreen* screen, int column, int line, const char* text);
// One line as UTF-8 (the calculator characters by their Unicode names) with
// trailing blanks removed.
std::string ScreenLineUtf8(const TextScreen& screen, int line);
// The text "                 Done" and the display-stop mark "- Disp -", as the
// message tables give them.
void ScreenDoneText(char out[64]);
void ScreenDispText(char out[64]);

// Appends the PC spelling of one calculator code of a number or text line:
// the number marks as plain - + E i ∠ ⌟, every other code as its Unicode
// text (nothing for a line break or a code without one).
void AppendCodeUtf8(std::string* out, uint16_t code);

// The calculator text a token string shows: every token's name, with its
// blank where the name table asks for one.
std::string TokenLineText(const uint8_t* tokens);
