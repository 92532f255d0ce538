#include "host/services/cursor_blink.h"

#include "host/services/front_end.h"

namespace {

struct CursorGlyphRow {
  int type;
  uint8_t rows[7];
};

constexpr CursorGlyphRow kCursorGlyphs[] = {
    {0, {0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30}},
    {1, {0x06, 0x08, 0x04, 0x02, 0x0C, 0x11, 0x1B}},
    {2, {0x04, 0x0A, 0x0E, 0x0A, 0x0A, 0x11, 0x1B}},
    {4, {0x04, 0x02, 0x06, 0x0A, 0x06, 0x11, 0x1F}},
    {8, {0x0E, 0x09, 0x39, 0x29, 0x2F, 0x24, 0x3C}},
    {24, {0x0E, 0x09, 0x39, 0x29, 0x2F, 0x24, 0x3C}},
    {65, {0x0E, 0x09, 0x39, 0x29, 0x2F, 0x24, 0x3C}},
    {16, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1F}},
    {17, {0x1F, 0x19, 0x17, 0x1B, 0x1D, 0x13, 0x1F}},
    {18, {0x1F, 0x1B, 0x15, 0x11, 0x15, 0x15, 0x1F}},
    {20, {0x1F, 0x1B, 0x1D, 0x19, 0x15, 0x19, 0x1F}},
    {64, {0x18, 0x1C, 0x1E, 0x1F, 0x1E, 0x1C, 0x18}},
};

// The graphics cursor: a small cross centred on its stored position.
constexpr uint8_t kGraphGlyph[7] = {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00};

struct BlinkState {
  bool on = false;
  int x = 0, y = 0;  // top-left dot of the cell drawn in the on phase
};
BlinkState gBlink;

bool DotInVram(const uint8_t* vram, int x, int y) {
  return vram && (vram[y * kLcdRowBytes + x / 8] & (0x80 >> (x % 8)));
}

// Draws a 6 x 7 glyph at (x, y); with `darkOnly` the light dots keep what is there.
void DrawGlyph(const uint8_t rows[7], int x, int y, bool darkOnly) {
  for (int r = 0; r < 7; ++r) {
    for (int c = 0; c < 6; ++c) {
      int px = x + c, py = y + r;
      if (px < 0 || px >= kLcdWidth || py < 0 || py >= kLcdHeight) continue;
      bool dark = rows[r] & (0x20 >> c);
      if (darkOnly && !dark) continue;
      uint8_t byte = HostLcdReadByte(px / 8, py);
      uint8_t bit = static_cast<uint8_t>(0x80 >> (px % 8));
      HostLcdWriteByte(px / 8, py, dark ? (byte | bit) : (byte & ~bit));
    }
  }
}

void RestoreCell(int x, int y) {
  const OsHooks& hooks = HostOsHooks();
  const uint8_t* vram = hooks.vram ? hooks.vram() : nullptr;
  for (int r = 0; r < 7; ++r) {
    for (int c = 0; c < 6; ++c) {
      int px = x + c, py = y + r;
      if (px < 0 || px >= kLcdWidth || py < 0 || py >= kLcdHeight) continue;
      uint8_t byte = HostLcdReadByte(px / 8, py);
      uint8_t bit = static_cast<uint8_t>(0x80 >> (px % 8));
      HostLcdWriteByte(px / 8, py, DotInVram(vram, px, py) ? (byte | bit) : (byte & ~bit));
    }
  }
}

}  // namespace

const uint8_t* CursorGlyph(int type) {
  for (const CursorGlyphRow& g : kCursorGlyphs)
    if (g.type == type) return g.rows;
  return nullptr;
}

bool CursorBlinkTick() {
  if (HostDisplayHeld()) return false;
  GraphCursorInfo graph = HostGraphCursor();
  if (graph.active) {
    gBlink.on = !gBlink.on;
    if (gBlink.on) {
      gBlink.x = graph.x - 2;
      gBlink.y = graph.y - 3;
      DrawGlyph(kGraphGlyph, gBlink.x, gBlink.y, true);
    } else {
      RestoreCell(gBlink.x, gBlink.y);
    }
    return true;
  }
  const OsHooks& hooks = HostOsHooks();
  TextCursorInfo cursor = hooks.textCursor ? hooks.textCursor() : TextCursorInfo{};
  if (!cursor.visible) {
    gBlink.on = false;
    return false;
  }
  gBlink.on = !gBlink.on;
  if (gBlink.on) {
    gBlink.x = cursor.column * 6;
    gBlink.y = cursor.line * 8;
    const uint8_t* glyph = cursor.type > 65 ? nullptr : CursorGlyph(cursor.type);
    static const uint8_t kBlank[7] = {};
    DrawGlyph(glyph ? glyph : kBlank, gBlink.x, gBlink.y, cursor.type == 0 || !glyph);
  } else {
    RestoreCell(gBlink.x, gBlink.y);
  }
  return true;
}

void CursorBlinkReset() { gBlink = BlinkState{}; }
