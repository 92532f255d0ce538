// The graph screen: two planes of dots in Vram layout (a dot shows when
// either plane holds it), the dot plot every graph draws with, and the
// labels of the graph tools.
#pragma once

#include <cstdint>

#include "math/bcd.h"
#include "os/vram.h"

struct GraphPlanes {
  uint8_t plane[2][kVramBytes];
};
static_assert(sizeof(GraphPlanes) == 2048);

// The planes of the graph screen (kept while the calculator runs, so a
// graph drawn by a program is there when GRAPH opens).
GraphPlanes& CurrentGraphPlanes();
void ClearGraphPlanes(GraphPlanes* planes);
// Vram = plane 0 | plane 1.
void ShowGraphPlanes(const GraphPlanes& planes);

// PlotGraphDot plane modes.
inline constexpr uint8_t kPlaneErase = 0x80;
inline constexpr uint8_t kPlaneErase0 = 0x20;
inline constexpr uint8_t kPlaneUse1 = 0x40;  // set in (or erase from) plane 1
// PlotGraphDot flags.
inline constexpr uint8_t kDotHalfWidth = 0x80;  // columns 1..63
inline constexpr uint8_t kDotRightHalf = 0x40;  // with kDotHalfWidth: 64 columns right
inline constexpr uint8_t kDotNoShow = 0x20;     // planes only, the screen later
inline constexpr uint8_t kDotEdgeOnly = 0x10;   // only x <= 11 (with kDotRightEdge x >= 117)
inline constexpr uint8_t kDotRightEdge = 0x08;

// Sets or clears one dot of the graph area (columns 1..127, rows 1..63) and,
// unless kDotNoShow, shows it on Vram and the LCD at once.
void PlotGraphDot(int x, int y, GraphPlanes* planes, uint8_t planeMode, uint8_t flags);
bool GraphDotSet(const GraphPlanes& planes, int x, int y);

// The title of a G-Solve or conic read-out, by command code; nothing for
// other codes.
void DrawGSolveTitle(int code);

enum class DerivativeLabel : uint8_t { kDyDx, kDxDt, kDyDt, kDrDtheta };
// "dY/dX=" and its value at one of the four read-out places: 0 (1, 7),
// 1 (17, 7), 2 (1, 8), 3 (17, 8) in mini cells.
void DrawDerivativeReadout(DerivativeLabel label, int place, const BcdNumber& value);

// A value as the display settings show it (kBcdTextSize bytes).
void FormatGraphValue(const BcdNumber& value, char* out);
// A value as a short read-out text (calculator string): the display
// settings, made shorter when it would not fit `maxDots` of the mini font.
void ReadoutText(const BcdNumber& value, int maxDots, char* out, int capacity);
