// Our own drawing of the calculator's face: every key at the rectangle of
// the key hit table, with its main legend and its SHIFT and ALPHA legends.
#pragma once

#include <QImage>

inline constexpr int kFaceWidth = 350;
inline constexpr int kFaceHeight = 772;
inline constexpr int kLcdLeft = 44;
inline constexpr int kLcdTop = 83;
inline constexpr int kLcdZoom = 2;
inline constexpr int kKeypadTop = 250;

QImage RenderFace();

// The LCD image as a 128 x 64 monochrome picture in the display's colours.
QImage LcdPicture(const uint8_t* lcdImage);
