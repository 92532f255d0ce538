#include "os/app_table.h"

#include <cstdlib>
#include <cstring>

#include "os/font.h"

extern const char kAppIconText[];  // data/icons/apps.txt, embedded

namespace {

AppRow gApps[kAppCount] = {
    {"@RUNMAT", '1', 0, "RUN-MAT", nullptr, nullptr},
    {"@STAT", '2', 0, "STAT", nullptr, nullptr},
    {"@NOTE", '3', 0x10000, "NOTE", nullptr, nullptr},
    {"@SSHEET", '4', 0, "S-SHEET", nullptr, nullptr},
    {"@GRAPH", '5', 0, "GRAPH", nullptr, nullptr},
    {"@DYNA", '6', 0, "DYNA", nullptr, nullptr},
    {"@TABLE", '7', 0, "TABLE", nullptr, nullptr},
    {"@RECUR", '8', 0, "RECUR", nullptr, nullptr},
    {"@CONICS", '9', 0, "CONICS", nullptr, nullptr},
    {"@EQUA", 'A', 0, "EQUA", nullptr, nullptr},
    {"@PROG", 'B', 0x10000, "PRGM", nullptr, nullptr},
    {"@FINANCE", 'C', 0, "FINANCE", nullptr, nullptr},
    {"@LINK", 'D', 0x10000, "LINK", nullptr, nullptr},
    {"@MEMORY", 'E', 0x10000, "MEMORY", nullptr, nullptr},
    {"@SYSTEM", 'F', 0, "SYSTEM", nullptr, nullptr},
};

struct Artwork {
  uint8_t icons[kAppCount][kAppIconHeight * kAppIconRowBytes] = {};
  uint8_t title[7 * 16] = {};
};

// Reads `rows` lines of '#'/'.' art into a bitmap of rowBytes per row.
const char* ReadArt(const char* p, int width, int rows, int rowBytes, uint8_t* out) {
  for (int y = 0; y < rows && *p; ++y) {
    for (int x = 0; x < width && *p && *p != '\n'; ++x, ++p)
      if (*p == '#') out[y * rowBytes + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    while (*p && *p != '\n') ++p;
    if (*p) ++p;
  }
  return p;
}

// The label character (5 rows of the mini font) is cut into the icon's dark
// box at its lower right.
void CutLabel(uint8_t* icon, char label) {
  MiniGlyphRef glyph;
  uint8_t rows[6];
  if (!MiniGlyph(static_cast<uint8_t>(label), &glyph)) return;
  int width = MiniGlyphRows(glyph, rows);
  int left = 24 + (5 - width) / 2 + (width < 5 ? 1 : 0);
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < width; ++c)
      if (rows[r] & (1 << (width - 1 - c))) {
        int x = left + c, y = 12 + r;
        if (x < kAppIconWidth) icon[y * kAppIconRowBytes + x / 8] &= static_cast<uint8_t>(~(0x80 >> (x % 8)));
      }
}

const Artwork& Art() {
  static const Artwork* art = [] {
    auto* a = new Artwork;
    for (const char* p = kAppIconText; *p;) {
      int index = -1;
      if (std::strncmp(p, "icon ", 5) == 0) index = std::atoi(p + 5);
      bool title = std::strncmp(p, "title", 5) == 0;
      while (*p && *p != '\n') ++p;
      if (*p) ++p;
      if (index >= 0 && index < kAppCount)
        p = ReadArt(p, kAppIconWidth, kAppIconHeight, kAppIconRowBytes, a->icons[index]);
      else if (title)
        p = ReadArt(p, 128, 7, 16, a->title);
    }
    for (int i = 0; i < kAppCount; ++i) CutLabel(a->icons[i], gApps[i].labelKey);
    return a;
  }();
  return *art;
}

}  // namespace

const AppRow* ApplicationRow(int index) {
  if (index < 0 || index >= kAppCount) return nullptr;
  AppRow& row = gApps[index];
  if (!row.icon) row.icon = Art().icons[index];
  return &row;
}

void SetApplicationEntry(int index, AppEntry entry) {
  if (index >= 0 && index < kAppCount) gApps[index].entry = entry;
}

const uint8_t* MainMenuTitle() { return Art().title; }
