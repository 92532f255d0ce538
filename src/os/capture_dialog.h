// The screen capture dialog (SHIFT 7): stores the screen as it was before
// the dialog as a picture item "CAPT" followed by a number 1..20.
#pragma once

#include <cstdint>

// The picture item a capture is stored as: a small header, then the 1024
// bytes of the screen (64 rows of 16 bytes, bit 7 leftmost, 1 = dark).
struct CapturePictureHeader {
  uint16_t width;   // 128
  uint16_t height;  // 64
};
static_assert(sizeof(CapturePictureHeader) == 4);
inline constexpr uint32_t kCapturePictureBytes = sizeof(CapturePictureHeader) + 1024;
inline constexpr int kCaptureFirst = 1;
inline constexpr int kCaptureLast = 20;

// Stores the screen bytes as capture `number`, replacing an older one.
// 0 on success, else the memory error code; 8 (Argument) for a number
// outside 1..20.
int StoreCapture(int number, const uint8_t screen[1024]);

void CaptureDialog();
