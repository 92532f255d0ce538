// Text on the screen: the character code scheme, the text cursor, and the
// prints in the normal font (6 x 8 cells, 21 columns x 8 lines) and the
// proportional mini font. Strings are calculator strings: one-byte codes, or
// two bytes after a lead byte, ended by a 0 byte.
#pragma once

#include <cstdint>

#include "host/services/host_services.h"

// ---- Character codes ---------------------------------------------------------
inline constexpr bool IsLeadByte(uint8_t b) {
  return b == 0x7F || b == 0xE5 || b == 0xE6 || b == 0xE7 || b == 0xF7 || b == 0xF9;
}
// Reads the code at *s and moves *s past it; 0 at the end of the string (a
// lead byte followed by the end counts as the end, never read past it).
uint16_t ReadCharCode(const char** s);
// Writes one code as a string into out (3 bytes); returns the bytes written
// before the terminating 0.
int EncodeCharCode(uint16_t code, char out[3]);

// Codes that move the pen instead of drawing.
inline constexpr uint16_t kCodePenLeft = 0xF9C8;   // 6 dots left
inline constexpr uint16_t kCodePenRight = 0xF9C9;  // 6 dots right
inline constexpr uint16_t kCodeNewLine = 0xF9CA;   // 8 dots down, cursor one line down
inline constexpr uint16_t kCodePenHome = 0xF9CD;   // back to dot column 0

inline constexpr int kTextColumns = 21;
inline constexpr int kTextLines = 8;
inline constexpr int kCellWidth = 6;
inline constexpr int kCellHeight = 8;

// ---- Text cursor -------------------------------------------------------------
// Shape bits the host draws (0 plain, 1 SHIFT, 2 ALPHA, 4 small ALPHA,
// 8 CLIP, +16 overwrite, 64 special).
inline constexpr int kCursorKindCount = 13;

struct CursorState {
  int32_t kind = -1;   // -1 while the cursor is hidden
  int32_t column = 1;  // 1-based
  int32_t line = 1;
  int32_t direct = 0;  // restore the position without Locate's range check
};

// Column 1..21, line 1..8; anything else leaves the cursor where it is.
void Locate(int column, int line);
// Column and line 0-based, the shape bits and the visible flag (the host's
// blink reads this too, from its own thread).
TextCursorInfo GetCursorPosition();
// Shape from a kind 0..12 and shows the cursor; 0 (unchanged) for any other kind.
int SetCursorShape(int kind);
void HideCursor();
void SaveCursor(CursorState* state);
void RestoreCursor(const CursorState& state);
// The kind that the insert mode and the shift state call for, applied.
void RefreshCursorShape();
// Back to column 0, line 0, hidden (program start).
void ResetTextCursor();

// ---- Normal font -------------------------------------------------------------
// PrintXY modes: bit 0 reverse video, 16 XOR, 32 OR; without 16 or 32 the
// cell is cleared first.
inline constexpr int kPrintReverse = 1;
inline constexpr int kPrintXor = 16;
inline constexpr int kPrintOr = 32;

// At the cursor, advancing it; never past column 21.
void PrintChar(const char* s);  // the first code of s
void PrintCharRev(const char* s);
void Print(const char* s);
void PrintRev(const char* s);
// Prints, then spaces up to and including lastColumn (1-based).
void PrintPadded(const char* s, int lastColumn);
void PrintRevPadded(const char* s, int lastColumn);
// At a dot position; the cursor stays.
void PrintXY(int x, int y, const char* s, int mode);

// ---- Mini font ---------------------------------------------------------------
// Modes as applications number them: 0 replace, 1 OR, 2 reverse, 3 reverse
// and OR; +16 one blank row above the glyphs, +32 two.
inline constexpr int kMiniOr = 1;
inline constexpr int kMiniReverse = 2;
inline constexpr int kMiniNoLimit = -1;

// Prints from (*x, y) and advances *x. With a limit (dots), the text is cut
// or padded with spaces to exactly that width; 0 when a glyph had to be cut
// or (without a limit) did not fit before dot column 128, else 1.
int PrintMini(int* x, int y, const char* s, int mode, int limit);
// One glyph; returns its width in dots (0 when the code has none).
int PrintMiniChar(int x, int y, uint16_t code, int mode);
// At mini cell (column, line): x = 4 column - 4, y = 8 line - 6. Returns the
// cell column after the text, or 0 when a glyph did not fit.
int PrintMiniAtCell(int column, int line, const char* s, int mode);
int PrintMiniAtCell(int column, int line, uint16_t code, int mode);
