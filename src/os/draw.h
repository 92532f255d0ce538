// Drawing primitives over Vram and the LCD image: points, lines, dashed
// lines, rectangle outlines and circles from a ShapeRecord, pictures from a
// BitmapRecord, and rectangular areas. Dots outside the screen are skipped;
// invalid records are refused with 0 and draw nothing.
#pragma once

#include <cstddef>
#include <cstdint>

// Drawing target: bit 0 Vram, bit 1 the LCD image.
inline constexpr uint8_t kTargetVram = 1;
inline constexpr uint8_t kTargetLcd = 2;

inline constexpr uint8_t kShapePoint = 1;
inline constexpr uint8_t kShapeLine = 2;
inline constexpr uint8_t kShapeDashFirst = 3;  // starts with a dash of dashA dots
inline constexpr uint8_t kShapeGapFirst = 4;   // starts with a gap of dashB dots
inline constexpr uint8_t kShapeRectangle = 5;
inline constexpr uint8_t kShapeCircle = 6;

inline constexpr uint8_t kPenDark = 1;
inline constexpr uint8_t kPenLight = 2;
inline constexpr uint8_t kPenGrey = 3;

inline constexpr uint8_t kCombineWrite = 1;
inline constexpr uint8_t kCombineOr = 2;
inline constexpr uint8_t kCombineAnd = 3;
inline constexpr uint8_t kCombineXor = 4;

struct ShapeRecord {
  int32_t x1 = 0, y1 = 0;  // first point; the centre of a circle
  int32_t x2 = 0, y2 = 0;  // second point; x2 is a circle's radius
  uint8_t reserved = 2;
  uint8_t shape = kShapePoint;
  uint8_t pen = kPenDark;
  uint8_t combine = kCombineWrite;
  uint32_t dashA = 0, dashB = 0;
};
static_assert(sizeof(ShapeRecord) == 28);
static_assert(offsetof(ShapeRecord, reserved) == 16 && offsetof(ShapeRecord, combine) == 19);
static_assert(offsetof(ShapeRecord, dashA) == 20 && offsetof(ShapeRecord, dashB) == 24);

// A record for a point, line, rectangle or circle (no dashes).
constexpr ShapeRecord MakeShape(uint8_t shape, int32_t x1, int32_t y1, int32_t x2 = 0,
                                int32_t y2 = 0, uint8_t pen = kPenDark,
                                uint8_t combine = kCombineWrite) {
  ShapeRecord s;
  s.x1 = x1;
  s.y1 = y1;
  s.x2 = x2;
  s.y2 = y2;
  s.shape = shape;
  s.pen = pen;
  s.combine = combine;
  return s;
}

// Bitmap modify values; combine is one of kCombineOr/And/Xor, anything else
// overwrites the covered dots.
inline constexpr uint8_t kBitmapAsStored = 1;
inline constexpr uint8_t kBitmapInverted = 2;
inline constexpr uint8_t kBitmapGrey = 3;

struct BitmapRecord {
  int32_t x = 0, y = 0;
  int32_t width = 0, height = 0;
  const uint8_t* bits = nullptr;  // height rows of (width + 7) / 8 bytes, 1 = dark
  uint8_t modify = kBitmapAsStored;
  uint8_t combine = 0;
};

inline constexpr uint8_t kAreaClear = 3;

struct AreaRecord {
  int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // corners in any order
  uint8_t mode = kAreaClear;
};

// Bytes a picture of the given size takes in BitmapRecord layout.
inline constexpr size_t BitmapBytes(int width, int height) {
  return width < 1 || height < 1 ? 0 : static_cast<size_t>((width + 7) / 8) * height;
}

// Returns 1 when drawn (even if every dot fell outside the screen), 0 when
// the target, shape, pen, combine or dash period is refused. A shape drawn
// into the LCD image is repainted at once.
int DrawShape(uint8_t target, const ShapeRecord& shape);
// A solid line into Vram with combine write; pen 1 dark, 2 light.
int DrawLine(int x1, int y1, int x2, int y2, uint8_t pen);

// Copies a picture into Vram, clipped at the screen's edges. 0 when refused
// (size below 1, x beyond 128, no bits, unknown modify).
int DrawBitmap(const BitmapRecord& bitmap);

// Applies an area record to Vram. 0 (nothing drawn) when the ordered
// rectangle reaches outside the screen or the mode is not kAreaClear.
int DrawArea(const AreaRecord& area);
int ClearArea(int x1, int y1, int x2, int y2);
// Inverts the part of the rectangle that lies on the screen.
void InvertArea(int x1, int y1, int x2, int y2);
// Copies a rectangle of Vram into `buffer` in BitmapRecord layout
// (BitmapBytes(width, height) bytes). 0 and nothing written when the ordered
// rectangle reaches outside the screen.
int ReadArea(int x1, int y1, int x2, int y2, uint8_t* buffer);

// The column grid of the table editors: five vertical rules over 8 x rows + 8
// dot rows and a header line under text line 1 (and line 2 with `second`).
void DrawEditorGrid(int rows, bool second);
