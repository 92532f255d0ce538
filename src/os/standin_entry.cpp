// A temporary OS entry until the calculator's boot lands: it shows every key
// it receives, so the road from a click to the LCD can be used and tested.
// The screen says so itself.
#include <atomic>
#include <cstdio>
#include <cstring>

#include "host/services/host_services.h"
#include "os/os_entry.h"

namespace {

uint8_t gScreen[kLcdBytes];  // 1 = dark
std::atomic<int> gShiftState{0};

// 3 x 5 glyphs, one row per nibble (bit 2 = leftmost dot).
struct TinyGlyph {
  char c;
  uint8_t rows[5];
};
constexpr TinyGlyph kTiny[] = {
    {'0', {7, 5, 5, 5, 7}}, {'1', {2, 6, 2, 2, 7}}, {'2', {7, 1, 7, 4, 7}},
    {'3', {7, 1, 3, 1, 7}}, {'4', {5, 5, 7, 1, 1}}, {'5', {7, 4, 7, 1, 7}},
    {'6', {7, 4, 7, 5, 7}}, {'7', {7, 1, 1, 2, 2}}, {'8', {7, 5, 7, 5, 7}},
    {'9', {7, 5, 7, 1, 7}}, {'A', {2, 5, 7, 5, 5}}, {'B', {6, 5, 6, 5, 6}},
    {'C', {3, 4, 4, 4, 3}}, {'D', {6, 5, 5, 5, 6}}, {'E', {7, 4, 6, 4, 7}},
    {'F', {7, 4, 6, 4, 4}}, {'K', {5, 5, 6, 5, 5}}, {'N', {7, 5, 5, 5, 5}},
    {'O', {7, 5, 5, 5, 7}}, {'R', {6, 5, 6, 5, 5}}, {'S', {3, 4, 2, 1, 6}},
    {'T', {7, 2, 2, 2, 2}}, {'U', {5, 5, 5, 5, 7}}, {'W', {5, 5, 7, 7, 5}},
    {'X', {5, 5, 2, 5, 5}}, {'Y', {5, 5, 2, 2, 2}}, {'-', {0, 0, 7, 0, 0}},
    {':', {0, 2, 0, 2, 0}}, {'=', {0, 7, 0, 7, 0}}, {'(', {1, 2, 2, 2, 1}},
    {')', {4, 2, 2, 2, 4}}, {',', {0, 0, 0, 2, 4}}, {'.', {0, 0, 0, 0, 2}},
};

void Dot(int x, int y) {
  if (x >= 0 && x < kLcdWidth && y >= 0 && y < kLcdHeight)
    gScreen[y * kLcdRowBytes + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
}

void Text(int x, int y, const char* text) {
  for (; *text; ++text, x += 4) {
    for (const TinyGlyph& g : kTiny) {
      if (g.c != *text) continue;
      for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 3; ++c)
          if (g.rows[r] & (4 >> c)) Dot(x + c, y + r);
    }
  }
}

constexpr int kLines = 8;
char gLog[kLines][40];
int gLogCount = 0;

void Redraw() {
  std::memset(gScreen, 0, sizeof gScreen);
  Text(1, 1, "KEY TEST - NO OS YET");
  for (int x = 0; x < kLcdWidth; ++x) Dot(x, 7);
  for (int i = 0; i < gLogCount; ++i) Text(1, 10 + i * 7, gLog[i]);
  PutDisplay();
}

void OsEntry() {
  gLogCount = 0;
  Redraw();
  for (;;) {
    KeyEntry key = WaitKey();
    if (gLogCount == kLines) {
      std::memmove(gLog[0], gLog[1], sizeof gLog[0] * (kLines - 1));
      --gLogCount;
    }
    std::snprintf(gLog[gLogCount++], sizeof gLog[0], "ROW %d COL %d AUX %04X", key.row,
                  key.column, key.aux);
    Redraw();
  }
}

const uint8_t* Screen() { return gScreen; }
int GetShift() { return gShiftState; }
void SetShift(int state) { gShiftState = state; }

}  // namespace

void OsInstallHooks() {
  OsHooks hooks;
  hooks.entry = OsEntry;
  hooks.vram = Screen;
  hooks.getShiftState = GetShift;
  hooks.setShiftState = SetShift;
  HostInstallOsHooks(hooks);
}
