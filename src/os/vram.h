// The display memory: the off-screen plane every drawing goes to, the five
// screen save slots, single dots, and the busy indicator in the LCD image.
// The LCD image itself and its push (PutDisplay, ClearLcd) are host services.
#pragma once

#include <cstdint>

#include "host/services/host_services.h"

// Vram: 64 rows of 16 bytes, bit 7 the leftmost dot, 1 = dark.
inline constexpr int kVramBytes = kLcdBytes;
static_assert(kVramBytes == 1024 && kLcdRowBytes * 8 == kLcdWidth);

// The 1024 bytes of Vram (the host reads them through its hooks).
uint8_t* VramAddress();

void ClearVram();
// ClearLcd, then ClearVram.
void ClearScreen();

// Save slots 1, 2, 3, 7 and 8; every other number is refused with 0.
int SaveScreen(int slot);
int RestoreScreen(int slot);
uint8_t* ScreenSlotAddress(int slot);
// The slot a pop-up window of the given kind saves the screen in.
int WindowSaveSlot(int windowKind);

// Single dots of Vram. Dots outside 128 x 64 are ignored (read as 0).
void SetPixel(int x, int y, bool dark);
int GetPixel(int x, int y);
// One dot of the LCD image, repainted at once.
void SetLcdPixel(int x, int y, bool dark);
void SetPixelBoth(int x, int y, bool dark);

// The 4 x 4 dots at the top right of the LCD image, dark while busy.
void ShowBusyIndicator(bool on);

// Edge masks shared by the byte-wise primitives, indexed by x mod 8.
// kRightFill: the dots from x to the end of its byte; kLeftFill: the first
// n dots of a byte (n = 0 meaning all eight); kSingleDot: dot x alone.
inline constexpr uint8_t kRightFill[8] = {0xFF, 0x7F, 0x3F, 0x1F, 0x0F, 0x07, 0x03, 0x01};
inline constexpr uint8_t kLeftFill[8] = {0xFF, 0x80, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC, 0xFE};
inline constexpr uint8_t SingleDot(int x) {
  return static_cast<uint8_t>(0x80 >> (x & 7));
}
inline constexpr bool OnScreen(int64_t x, int64_t y) {
  return x >= 0 && x < kLcdWidth && y >= 0 && y < kLcdHeight;
}
