#include "os/vram.h"

#include <cstring>

#include "os/draw.h"

namespace {

uint8_t gVram[kVramBytes];

// The slots live in one block, in slot-number order.
constexpr int kSlotNumbers[] = {1, 2, 3, 7, 8};
constexpr int kSlotCount = sizeof kSlotNumbers / sizeof kSlotNumbers[0];
uint8_t gSlots[kSlotCount][kVramBytes];

struct WindowSlot {
  int kind;
  int slot;
};
constexpr WindowSlot kWindowSlots[] = {{1, 3}, {3, 8}, {4, 7}, {5, 1}, {6, 2}};
constexpr int kDefaultWindowSlot = 7;

}  // namespace

uint8_t* VramAddress() {
  return gVram;
}

void ClearVram() {
  std::memset(gVram, 0, sizeof gVram);
}

void ClearScreen() {
  ClearLcd();
  ClearVram();
}

uint8_t* ScreenSlotAddress(int slot) {
  for (int i = 0; i < kSlotCount; ++i)
    if (kSlotNumbers[i] == slot) return gSlots[i];
  return nullptr;
}

int SaveScreen(int slot) {
  uint8_t* saved = ScreenSlotAddress(slot);
  if (!saved) return 0;
  std::memcpy(saved, gVram, kVramBytes);
  return 1;
}

int RestoreScreen(int slot) {
  const uint8_t* saved = ScreenSlotAddress(slot);
  if (!saved) return 0;
  std::memcpy(gVram, saved, kVramBytes);
  return 1;
}

int WindowSaveSlot(int windowKind) {
  for (const WindowSlot& w : kWindowSlots)
    if (w.kind == windowKind) return w.slot;
  return kDefaultWindowSlot;
}

void SetPixel(int x, int y, bool dark) {
  if (!OnScreen(x, y)) return;
  uint8_t& byte = gVram[y * kLcdRowBytes + x / 8];
  byte = dark ? (byte | SingleDot(x)) : (byte & ~SingleDot(x));
}

int GetPixel(int x, int y) {
  if (!OnScreen(x, y)) return 0;
  return (gVram[y * kLcdRowBytes + x / 8] & SingleDot(x)) ? 1 : 0;
}

void SetLcdPixel(int x, int y, bool dark) {
  DrawShape(kTargetLcd, MakeShape(kShapePoint, x, y, 0, 0, dark ? kPenDark : kPenLight));
}

void SetPixelBoth(int x, int y, bool dark) {
  SetPixel(x, y, dark);
  SetLcdPixel(x, y, dark);
}

void ShowBusyIndicator(bool on) {
  if (on) {
    SetBusyIndicator();
    return;
  }
  constexpr int kByte = kLcdRowBytes - 1;
  for (int row = 0; row < 4; ++row)
    HostLcdWriteByte(kByte, row, HostLcdReadByte(kByte, row) & 0xF0);
  HostBlitLcd();
}
