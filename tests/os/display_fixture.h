// Shared set-up of the display, text and setup tests: a blank Vram, default
// setup, a hidden cursor at the top left, a light LCD image, and the host's
// hooks pointed at this OS's Vram, shift state and cursor.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "host/services/front_end.h"
#include "os/font.h"
#include "os/setup.h"
#include "os/text.h"
#include "os/vram.h"

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostResetForTest();
    OsHooks hooks;
    hooks.vram = []() -> const uint8_t* { return VramAddress(); };
    hooks.getShiftState = [] { return static_cast<int>(GetSetupItem(kSetupShiftState)); };
    hooks.setShiftState = [](int s) { SetSetupItem(kSetupShiftState, static_cast<uint8_t>(s)); };
    hooks.textCursor = GetCursorPosition;
    HostInstallOsHooks(hooks);
    ClearVram();
    ResetSetup();
    ResetTextCursor();
  }
  void TearDown() override { HostResetForTest(); }

  static std::vector<uint8_t> VramCopy() {
    return std::vector<uint8_t>(VramAddress(), VramAddress() + kVramBytes);
  }
  static std::vector<uint8_t> LcdCopy() {
    std::vector<uint8_t> lcd(kLcdBytes);
    LcdImageSnapshot(lcd.data());
    return lcd;
  }
  static int DarkDots() {
    int n = 0;
    for (int i = 0; i < kVramBytes; ++i) n += __builtin_popcount(VramAddress()[i]);
    return n;
  }
  // The dots of one text row as '#' and '.', for readable failures.
  static std::string Row(int y, int fromX = 0, int toX = kLcdWidth - 1) {
    std::string s;
    for (int x = fromX; x <= toX; ++x) s += GetPixel(x, y) ? '#' : '.';
    return s;
  }
  // The text cursor's 0-based column and line.
  static std::pair<int, int> CursorAt() {
    const TextCursorInfo c = GetCursorPosition();
    return {c.column, c.line};
  }
};

// A mini glyph's width (0 when the code has none) and its dot (col, row).
inline int MiniWidth(uint16_t code) {
  MiniGlyphRef g;
  uint8_t rows[6];
  return MiniGlyph(code, &g) ? MiniGlyphRows(g, rows) : 0;
}
inline bool MiniDot(uint16_t code, int col, int row) {
  MiniGlyphRef g;
  uint8_t rows[6];
  if (!MiniGlyph(code, &g) || row < 0 || row > 5) return false;
  const int w = MiniGlyphRows(g, rows);
  return col >= 0 && col < w && (rows[row] >> (w - 1 - col)) & 1;
}
