#include "apps/graph/graph_screen.h"

#include <cstring>

#include "math/bcd_text.h"
#include "os/fkey_labels.h"
#include "os/setup.h"
#include "os/text.h"

namespace {

GraphPlanes gPlanes;

bool Bit(const uint8_t* plane, int x, int y) {
  return plane[y * kLcdRowBytes + x / 8] & SingleDot(x);
}
void Put(uint8_t* plane, int x, int y, bool on) {
  uint8_t& b = plane[y * kLcdRowBytes + x / 8];
  b = on ? static_cast<uint8_t>(b | SingleDot(x)) : static_cast<uint8_t>(b & ~SingleDot(x));
}

struct TitleRow {
  int code;
  const char* title;
  int column;
};
// The integral's title starts with the integral sign (0xE6BB).
constexpr TitleRow kTitles[] = {
    {30240, "  ROOT", 27},
    {30241, "  MAX", 27},
    {30242, " MIN", 27},
    {30243, "Y-ICPT", 27},
    {30244, " ISECT", 27},
    {30245, " Y-CAL", 27},
    {30246, " X-CAL", 27},
    {30247,
     "\xE6\xBB"
     "dx",
     30},
    {30248, "FOCUS", 28},
    {30249, "SYMMETRY", 23},
    {30250, "DIRECTRIX", 24},
    {30251, "VERTEX", 27},
    {30252, "LENGTH", 26},
    {30253, "ECCENTRICITY", 20},
    {30254, "X-ICPT", 27},
    {30255, "Y-ICPT", 27},
    {30256, "CENTER", 26},
    {30257, "RADIUS", 27},
    {30258, "ASYMPTOTES", 22},
    {302, "LOWER", 27},
    {346, " UPPER", 27},
};

// Labels of the derivative read-out; θ is 0xCE.
constexpr const char* kDerivativeLabels[] = {"dY/dX=", "dX/dT=", "dY/dT=", "dr/d\xCE="};
constexpr int kPlaces[4][2] = {{1, 7}, {17, 7}, {1, 8}, {17, 8}};

}  // namespace

GraphPlanes& CurrentGraphPlanes() {
  return gPlanes;
}

void ClearGraphPlanes(GraphPlanes* planes) {
  std::memset(planes, 0, sizeof *planes);
}

void ShowGraphPlanes(const GraphPlanes& planes) {
  uint8_t* vram = VramAddress();
  for (int i = 0; i < kVramBytes; ++i)
    vram[i] = static_cast<uint8_t>(planes.plane[0][i] | planes.plane[1][i]);
}

bool GraphDotSet(const GraphPlanes& planes, int x, int y) {
  if (!OnScreen(x, y)) return false;
  return Bit(planes.plane[0], x, y) || Bit(planes.plane[1], x, y);
}

void PlotGraphDot(int x, int y, GraphPlanes* planes, uint8_t planeMode, uint8_t flags) {
  const int lastColumn = (flags & kDotHalfWidth) ? 63 : 127;
  if (y < 1 || y > 63 || x < 1 || x > lastColumn) return;
  if (flags & kDotEdgeOnly) {
    if ((flags & kDotRightEdge) ? x < 117 : x > 11) return;
  }
  if ((flags & (kDotHalfWidth | kDotRightHalf)) == (kDotHalfWidth | kDotRightHalf)) x += 64;
  if (planeMode & kPlaneErase) {
    if (planeMode & kPlaneErase0) Put(planes->plane[0], x, y, false);
    if (planeMode & kPlaneUse1) Put(planes->plane[1], x, y, false);
  } else {
    Put(planes->plane[(planeMode & kPlaneUse1) ? 1 : 0], x, y, true);
  }
  if (!(flags & kDotNoShow)) SetPixelBoth(x, y, GraphDotSet(*planes, x, y));
}

void DrawGSolveTitle(int code) {
  for (const TitleRow& row : kTitles) {
    if (row.code == code) {
      PrintMiniAtCell(row.column, 7, row.title, 16);
      return;
    }
  }
}

namespace {

BcdDisplay CurrentDisplay() {
  BcdDisplay display;
  display.mode = GetSetupItem(kSetupDisplay) & 0x7F;
  display.angleUnit = GetSetupItem(kSetupAngle);
  return display;
}

}  // namespace

void FormatGraphValue(const BcdNumber& value, char* out) {
  BcdFormatResult(&value, 0, CurrentDisplay(), out);
}

void ReadoutText(const BcdNumber& value, int maxDots, char* out, int capacity) {
  BcdDisplay display = CurrentDisplay();
  char text[kBcdTextSize];
  BcdFormatResult(&value, 0, display, text);
  bool drawn = false;
  // Too wide for its place: fewer digits in the scientific form.
  for (int digits = 8; MiniTextWidth(text, &drawn) > maxDots && digits >= 2; --digits) {
    display.mode = static_cast<uint8_t>(0x30 | digits);
    BcdFormatResult(&value, 0, display, text);
  }
  std::strncpy(out, text, capacity - 1);
  out[capacity - 1] = 0;
}

void DrawDerivativeReadout(DerivativeLabel label, int place, const BcdNumber& value) {
  if (place < 0 || place > 3) return;
  const int column = kPlaces[place][0];
  const int line = kPlaces[place][1];
  const int next = PrintMiniAtCell(column, line, kDerivativeLabels[static_cast<int>(label)], 32);
  if (next <= 0) return;
  char text[kBcdTextSize];
  // Each read-out keeps to its half of the line.
  const int end = column == 1 ? 64 : 128;
  ReadoutText(value, end - 4 * (next - 1), text, sizeof text);
  PrintMiniAtCell(next, line, text, 32);
}
