// The blinking cursor drawn by the host into the LCD image every 500 ms.
#pragma once

#include <cstdint>

// 6 x 7 glyph of a cursor type, rows top to bottom, bit 5 = leftmost dot;
// nullptr for a type without pixels.
const uint8_t* CursorGlyph(int type);

// One tick of the blink timer (UI thread). Returns true when the LCD image
// changed and must be redrawn.
bool CursorBlinkTick();
void CursorBlinkReset();
