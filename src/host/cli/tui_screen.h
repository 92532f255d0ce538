// The terminal front end's picture: a grid of character cells built from the
// LCD, the frame, the status and the key help, and the escape sequences
// that bring a terminal from one grid to the next. Pure code: no terminal I/O.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/services/host_services.h"

// How a cell is painted. The LCD cells get the display's own colours so the
// half blocks read the same on a dark and on a light terminal.
enum TermStyle : uint8_t { kStylePlain, kStyleLcd, kStyleTitle, kStyleDim };

struct TermCell {
  char32_t ch = U' ';
  TermStyle style = kStylePlain;
  bool operator==(const TermCell&) const = default;
};

struct TermGrid {
  int width = 0;
  int height = 0;
  std::vector<TermCell> cells;  // row-major

  void Reset(int w, int h);  // all blank
  TermCell& At(int x, int y) { return cells[static_cast<size_t>(y) * width + x]; }
  const TermCell& At(int x, int y) const { return cells[static_cast<size_t>(y) * width + x]; }
  // Writes UTF-8 text from (x, y) to the right, clipped at maxX (exclusive)
  // and at the grid. Returns the number of cells written.
  int Text(int x, int y, std::string_view utf8, TermStyle style, int maxX = 1 << 30);
};

// Two dots per cell vertically (128 x 32 cells), or a 2 x 4 braille block
// per cell (64 x 16) when the terminal is too small for that.
enum class LcdDrawing { kHalfBlocks, kBraille, kTooSmall };
inline constexpr int kHalfBlockColumns = kLcdWidth, kHalfBlockRows = kLcdHeight / 2;
inline constexpr int kBrailleColumns = kLcdWidth / 2, kBrailleRows = kLcdHeight / 4;

// The drawing that fits a terminal of cols x rows with frame, status and help.
LcdDrawing ChooseDrawing(int cols, int rows);
// Smallest terminal for a drawing.
int DrawingMinColumns(LcdDrawing drawing);
int DrawingMinRows(LcdDrawing drawing);

// The cell that shows the dots of `plane` (1 = dark) at cell (cx, cy).
char32_t HalfBlockCell(const uint8_t plane[kLcdBytes], int cx, int cy);
char32_t BrailleCell(const uint8_t plane[kLcdBytes], int cx, int cy);

// What is shown around the LCD.
struct TuiView {
  std::string title;    // as the window title: the product name and shift state
  std::string status;   // the status-bar message
  std::string lastKey;  // legend of the calculator key sent last (empty: none)
  std::string help;     // one line of key help
};

// Lays the whole screen out in `grid` (already sized to the terminal): the
// framed LCD centred, the status line and the help line beneath it.
LcdDrawing ComposeScreen(const uint8_t plane[kLcdBytes], const TuiView& view, TermGrid* grid);

// SGR sequences per style; no colours leaves the LCD in the terminal's own.
struct TermPalette {
  std::string styles[4];
};
enum class TermColours { kNone, kBasic, k256 };
TermPalette MakePalette(TermColours colours);
// Colours the environment allows: NO_COLOR, TERM and COLORTERM.
TermColours ColoursFromEnvironment(const char* term, const char* colorterm, const char* noColor);

// The output that turns a terminal showing `before` into `after`. With no
// `before`, or one of another size, the screen is cleared and drawn whole.
// Every cell is one column wide; the cursor is left wherever it ends.
std::string RenderDiff(const TermGrid* before, const TermGrid& after, const TermPalette& palette);

void AppendUtf8(std::string* out, char32_t cp);
