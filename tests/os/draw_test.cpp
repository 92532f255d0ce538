// Vram and the drawing calls: dots to bytes, the save slots, lines against
// a step-by-step walk, pens and combine rules, clipping and refused records.
#include "os/draw.h"

#include <cstdlib>
#include <random>

#include "display_fixture.h"
#include "support/golden.h"

namespace {

using DrawTest = DisplayTest;

TEST_F(DrawTest, DotsMapToBytesAndBitsAndReachTheLcdInverted) {
  const struct {
    int x, y, byte;
    uint8_t bit;
  } cases[] = {{0, 0, 0, 0x80}, {127, 63, 1023, 0x01}, {7, 0, 0, 0x01},
               {8, 0, 1, 0x80}, {0, 1, 16, 0x80},      {100, 37, 37 * 16 + 12, 0x08}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    SetPixel(c.x, c.y, true);
    EXPECT_EQ(VramAddress()[c.byte], c.bit);
    EXPECT_EQ(DarkDots(), 1);
    EXPECT_EQ(GetPixel(c.x, c.y), 1);
    PutDisplay();
    EXPECT_EQ(LcdCopy()[c.byte], static_cast<uint8_t>(~c.bit));
    SetPixel(c.x, c.y, false);
    EXPECT_EQ(DarkDots(), 0);
  }
}

TEST_F(DrawTest, DotsOffTheScreenAreIgnored) {
  const int points[][2] = {{-1, 0}, {128, 0}, {0, -1}, {0, 64}, {-100000, 5}, {5, 1 << 30}};
  std::memset(VramAddress(), 0xA5, kVramBytes);
  for (const auto& p : points) {
    SetPixel(p[0], p[1], true);
    SetPixel(p[0], p[1], false);
    SetPixelBoth(p[0], p[1], true);
    EXPECT_EQ(GetPixel(p[0], p[1]), 0);
  }
  EXPECT_EQ(VramCopy(), std::vector<uint8_t>(kVramBytes, 0xA5));
  EXPECT_EQ(LcdCopy(), std::vector<uint8_t>(kLcdBytes, 0xFF));
}

// Slots 1, 2, 3, 7 and 8 each keep their own screen; no other slot exists.
TEST_F(DrawTest, OnlyTheFiveSlotsExist) {
  const auto real = [](int s) { return s == 1 || s == 2 || s == 3 || s == 7 || s == 8; };
  for (int slot : {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 255}) {
    std::memset(VramAddress(), slot, kVramBytes);
    EXPECT_EQ(SaveScreen(slot), real(slot)) << slot;
  }
  for (int slot : {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 255}) {
    std::memset(VramAddress(), 0xEE, kVramBytes);
    EXPECT_EQ(ScreenSlotAddress(slot) != nullptr, real(slot)) << slot;
    EXPECT_EQ(RestoreScreen(slot), real(slot)) << slot;
    EXPECT_EQ(VramAddress()[1023], real(slot) ? slot : 0xEE) << slot;
  }
}

TEST_F(DrawTest, BusyIndicatorDarkensOnlyTheCornerOfTheLcd) {
  std::memset(VramAddress(), 0xFF, kVramBytes);  // Vram is not involved
  HostLcdWriteByte(15, 0, 0xA0);                 // dark dots left of the indicator stay
  ShowBusyIndicator(true);
  EXPECT_EQ(LcdCopy()[15], static_cast<uint8_t>(~0xAF));
  ShowBusyIndicator(false);
  const std::vector<uint8_t> lcd = LcdCopy();
  EXPECT_EQ(lcd[15], static_cast<uint8_t>(~0xA0));
  for (int row = 1; row < 4; ++row) EXPECT_EQ(lcd[row * 16 + 15], 0xFF) << row;
}

ShapeRecord Dashed(uint8_t kind, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t a,
                   uint32_t b) {
  ShapeRecord s = MakeShape(kind, x1, y1, x2, y2);
  s.dashA = a;
  s.dashB = b;
  return s;
}

void Dot(std::vector<uint8_t>* plane, int64_t x, int64_t y, bool dark) {
  if (!OnScreen(x, y)) return;
  uint8_t& byte = (*plane)[y * 16 + x / 8];
  byte = dark ? byte | (0x80 >> (x % 8)) : byte & ~(0x80 >> (x % 8));
}

// The line walk done step by step, every dot in order, off-screen ones too;
// `f` gets each dot and its 1-based number.
template <typename F>
void WalkStepByStep(int64_t x1, int64_t y1, int64_t x2, int64_t y2, F f) {
  const int64_t dx = std::llabs(x2 - x1), dy = std::llabs(y2 - y1);
  const int64_t sx = (x2 > x1) - (x2 < x1), sy = (y2 > y1) - (y2 < y1);
  const bool xMajor = dx >= dy;
  const int64_t major = xMajor ? dx : dy, minor = xMajor ? dy : dx;
  int64_t x = x1, y = y1, err = 2 * minor - major;
  for (int64_t i = 0; i < major; ++i) {
    f(x, y, i + 1);
    for (; err >= 0; err -= 2 * major) (xMajor ? y : x) += xMajor ? sy : sx;
    (xMajor ? x : y) += xMajor ? sx : sy;
    err += 2 * minor;
  }
  f(x, y, major + 1);
}

TEST_F(DrawTest, LinesMatchTheStepByStepWalkWhereverTheyStartAndEnd) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> near(-40, 170), far(-3000, 3000);
  for (int i = 0; i < 600; ++i) {
    std::uniform_int_distribution<int>& d = i % 3 == 0 ? far : near;
    int x1 = d(rng), y1 = d(rng) / 2, x2 = d(rng), y2 = d(rng) / 2;
    if (i < 2) {  // one dot; a shallow line of four dots
      x1 = y1 = 5 * (1 - i);
      x2 = i ? 3 : 5;
      y2 = i ? 1 : 5;
    }
    const uint8_t kind = static_cast<uint8_t>(kShapeLine + i % 3);
    const uint32_t a = (i + 1) % 5, b = i % 4;  // dashes of 0 dots too
    if (a + b == 0) continue;                   // refused, see below
    ClearVram();
    ASSERT_EQ(DrawShape(kTargetVram, Dashed(kind, x1, y1, x2, y2, a, b)), 1);
    std::vector<uint8_t> expected(kVramBytes);
    WalkStepByStep(x1, y1, x2, y2, [&](int64_t x, int64_t y, int64_t n) {
      const uint32_t phase = static_cast<uint32_t>(n) % (a + b);
      const bool inA = phase >= 1 && phase <= a, inB = phase >= 1 && phase <= b;
      if (!(kind == kShapeDashFirst && !inA) && !(kind == kShapeGapFirst && inB))
        Dot(&expected, x, y, true);
    });
    ASSERT_EQ(VramCopy(), expected)
        << "shape " << int{kind} << " (" << x1 << "," << y1 << ")-(" << x2 << "," << y2 << ")";
  }
}

// Pens 0 and 4, combine rules 0 and 5, shapes 0 and 7, targets 0 and 4, dash
// periods of 0, also by wrapping.
TEST_F(DrawTest, RefusedRecordsDrawNothing) {
  const ShapeRecord shapes[] = {MakeShape(kShapeLine, 0, 0, 9, 9, 0),
                                MakeShape(kShapeLine, 0, 0, 9, 9, 4),
                                MakeShape(kShapeLine, 0, 0, 9, 9, kPenDark, 0),
                                MakeShape(kShapeLine, 0, 0, 9, 9, kPenDark, 5),
                                MakeShape(0, 0, 0, 9, 9),
                                MakeShape(7, 0, 0, 9, 9),
                                Dashed(kShapeDashFirst, 0, 0, 9, 9, 0, 0),
                                Dashed(kShapeGapFirst, 0, 0, 9, 9, 0, 0),
                                Dashed(kShapeDashFirst, 0, 0, 9, 9, 0xFFFFFFFF, 1)};
  for (const ShapeRecord& shape : shapes)
    EXPECT_EQ(DrawShape(kTargetVram, shape), 0) << "case " << &shape - shapes;
  for (uint8_t target : {0, 4}) EXPECT_EQ(DrawShape(target, MakeShape(kShapeLine, 0, 0, 9, 9)), 0);
  EXPECT_EQ(DarkDots(), 0);
  EXPECT_EQ(LcdCopy(), std::vector<uint8_t>(kLcdBytes, 0xFF));
}

TEST_F(DrawTest, PensAndCombineRules) {
  // One dot at (9, y) over a light and over a dark dot.
  const struct {
    uint8_t pen, combine;
    int y, onLight, onDark;
  } cases[] = {
      {kPenDark, kCombineWrite, 0, 1, 1},
      {kPenLight, kCombineWrite, 0, 0, 0},
      {kPenDark, kCombineOr, 0, 1, 1},
      {kPenLight, kCombineOr, 0, 0, 1},
      {kPenDark, kCombineAnd, 0, 0, 1},
      {kPenLight, kCombineAnd, 0, 0, 0},
      {kPenDark, kCombineXor, 0, 1, 0},
      {kPenLight, kCombineXor, 0, 0, 1},
      // Grey: dot 9 is bit 0x40, in 0x55 (odd rows) but not in 0xAA (even rows).
      {kPenGrey, kCombineWrite, 1, 1, 1},
      {kPenGrey, kCombineWrite, 2, 0, 0},
      {kPenGrey, kCombineOr, 2, 0, 1},
      {kPenGrey, kCombineAnd, 2, 0, 0},
      {kPenGrey, kCombineXor, 3, 1, 0},
      {kPenGrey, kCombineXor, 4, 0, 1},
  };
  for (const auto& c : cases) {
    for (int before = 0; before < 2; ++before) {
      ClearVram();
      SetPixel(8, c.y, true);  // a neighbour in the same byte must survive
      SetPixel(9, c.y, before);
      DrawShape(kTargetVram, MakeShape(kShapePoint, 9, c.y, 0, 0, c.pen, c.combine));
      EXPECT_EQ(GetPixel(9, c.y), before ? c.onDark : c.onLight)
          << "pen " << int{c.pen} << " combine " << int{c.combine} << " row " << c.y << " before "
          << before;
      EXPECT_EQ(GetPixel(8, c.y), 1);
    }
  }
}

TEST_F(DrawTest, RectanglesAndCirclesAtTheirEdges) {
  // Under XOR a rectangle leaves out its bottom corners also when its corners
  // come the other way round; a flat one draws its one line twice.
  DrawShape(kTargetVram, MakeShape(kShapeRectangle, 9, 5, 2, 1, kPenDark, kCombineXor));
  EXPECT_EQ(Row(5, 0, 11) + Row(1, 0, 11), "..########.....######...");
  ClearVram();
  DrawShape(kTargetVram, MakeShape(kShapeRectangle, 2, 1, 9, 1, kPenDark, kCombineXor));
  EXPECT_EQ(DarkDots(), 0);
  // Sides far off the screen are skipped.
  DrawShape(kTargetVram, MakeShape(kShapeRectangle, -5, -1000000, 200, 1000000));
  EXPECT_EQ(DarkDots(), 0);
  DrawShape(kTargetVram, MakeShape(kShapeRectangle, 3, -1000000, 120, 1000000));
  EXPECT_EQ(DarkDots(), 128);
  EXPECT_EQ(Row(40, 0, 5), "...#..");
  // A circle of radius 0 is its centre (twice under XOR); a negative radius draws nothing.
  ClearVram();
  DrawShape(kTargetVram, MakeShape(kShapeCircle, 20, 20, 0, 0, kPenDark, kCombineXor));
  EXPECT_EQ(DarkDots(), 0);
  DrawShape(kTargetVram, MakeShape(kShapeCircle, 20, 20, -1));
  EXPECT_EQ(DarkDots(), 0);
  DrawShape(kTargetVram, MakeShape(kShapeCircle, 20, 20, 0));
  EXPECT_EQ(DarkDots(), 1);
  EXPECT_EQ(GetPixel(20, 20), 1);
}

TEST_F(DrawTest, HugeShapesCostNoMoreThanSmallOnes) {
  const int32_t big = 2147483647, small = -2147483647 - 1;
  EXPECT_EQ(DrawShape(kTargetVram, MakeShape(kShapeLine, small, small, big, small + 1)), 1);
  EXPECT_EQ(DrawShape(kTargetVram, MakeShape(kShapeRectangle, small, small, big, big)), 1);
  // A circle around the whole screen, and one whose box misses it.
  EXPECT_EQ(DrawShape(kTargetVram, MakeShape(kShapeCircle, 64, 32, big)), 1);
  EXPECT_EQ(DrawShape(kTargetVram, MakeShape(kShapeCircle, small / 2, 0, 1000)), 1);
  EXPECT_EQ(DarkDots(), 0);
  DrawShape(kTargetVram, MakeShape(kShapeLine, small, small, big, big));
  EXPECT_EQ(DarkDots(), 64);
  EXPECT_EQ(GetPixel(63, 63), 1);
  ClearVram();
  // The dash counter keeps counting over the dots left of the screen.
  DrawShape(kTargetVram, Dashed(kShapeGapFirst, small, 20, big, 20, 4, 2));
  for (int x = 0; x < 128; ++x) {
    const uint32_t phase = static_cast<uint32_t>(int64_t{x} - small + 1) % 6;
    EXPECT_EQ(GetPixel(x, 20), !(phase >= 1 && phase <= 2)) << x;
  }
}

TEST_F(DrawTest, ShapesIntoTheLcdReadAndWriteTheLcdOnly) {
  SetLcdPixel(5, 5, true);
  DrawShape(kTargetLcd, MakeShape(kShapeLine, 0, 5, 9, 5, kPenDark, kCombineXor));
  EXPECT_EQ(DarkDots(), 0);
  EXPECT_EQ(HostLcdReadByte(0, 5), 0xFB);
  EXPECT_EQ(HostLcdReadByte(1, 5), 0xC0);
  // Both planes: read from Vram, written to both.
  SetPixel(1, 7, true);
  DrawShape(kTargetVram | kTargetLcd, MakeShape(kShapeLine, 0, 7, 2, 7, kPenDark, kCombineXor));
  EXPECT_EQ(Row(7, 0, 3), "#.#.");
  EXPECT_EQ(HostLcdReadByte(0, 7), 0xA0);
}

TEST_F(DrawTest, PicturesKeepTheDotsBesideThemAtEveryAlignment) {
  std::mt19937 rng(3);
  std::vector<uint8_t> bits(3 * 40);
  for (uint8_t& b : bits) b = static_cast<uint8_t>(rng());
  for (int x : {-13, -5, 0, 3, 7, 9, 60, 118, 125, 127})
    for (int y : {-3, 0, 30, 62})
      for (int width : {1, 5, 8, 10, 17, 24})
        for (uint8_t modify = 1; modify <= 3; ++modify)
          for (uint8_t combine = 1; combine <= 5; ++combine) {
            const BitmapRecord b{x, y, width, 5, bits.data(), modify, combine};
            // A background that differs from dot to dot.
            for (int i = 0; i < kVramBytes; ++i) VramAddress()[i] = static_cast<uint8_t>(i * 29);
            std::vector<uint8_t> expected = VramCopy();
            ASSERT_EQ(DrawBitmap(b), 1);
            for (int row = 0; row < 5; ++row)
              for (int col = 0; col < width; ++col) {
                const int px = x + col, py = y + row;
                const uint8_t mask = 0x80 >> (col % 8);
                bool dot = b.bits[row * ((width + 7) / 8) + col / 8] & mask;
                if (modify == kBitmapInverted) dot = !dot;
                if (modify == kBitmapGrey) dot = dot && (mask & (row % 2 ? 0xAA : 0x55));
                const bool was =
                    OnScreen(px, py) && expected[py * 16 + px / 8] & (0x80 >> (px % 8));
                if (combine == kCombineOr) dot = was || dot;
                if (combine == kCombineAnd) dot = was && dot;
                if (combine == kCombineXor) dot = was != dot;
                Dot(&expected, px, py, dot);
              }
            ASSERT_EQ(VramCopy(), expected)
                << "picture at " << x << "," << y << " width " << width << " modify " << int{modify}
                << " combine " << int{combine};
          }
}

TEST_F(DrawTest, RefusedPictures) {
  const uint8_t bits[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  const BitmapRecord cases[] = {
      {0, 0, 0, 8, bits, kBitmapAsStored, 0},
      {0, 0, 8, 0, bits, kBitmapAsStored, 0},
      {0, 0, -8, 8, bits, kBitmapAsStored, 0},
      {129, 0, 8, 8, bits, kBitmapAsStored, 0},
      {0, 0, 8, 8, nullptr, kBitmapAsStored, 0},
      {0, 0, 8, 8, bits, 0, 0},
      {0, 0, 8, 8, bits, 4, 0},
  };
  for (const BitmapRecord& b : cases) EXPECT_EQ(DrawBitmap(b), 0);
  EXPECT_EQ(DarkDots(), 0);
  // Below the screen or with a huge size: accepted, nothing outside touched.
  EXPECT_EQ(DrawBitmap({0, 64, 8, 8, bits, kBitmapAsStored, 0}), 1);
  EXPECT_EQ(DrawBitmap({0, -2147483647, 8, 8, bits, kBitmapAsStored, 0}), 1);
  EXPECT_EQ(DarkDots(), 0);
}

TEST_F(DrawTest, ClearAreaIsAllOrNothing) {
  const struct {
    int x1, y1, x2, y2;
    int cleared;  // dots cleared from a dark screen
  } cases[] = {
      {0, 0, 128, 10, 0},    {-1, 0, 10, 10, 0},    {0, -1, 10, 10, 0}, {0, 0, 10, 64, 0},
      {0, 0, 127, 63, 8192}, {3, 2, 12, 5, 40},     {12, 5, 3, 2, 40},  {5, 5, 5, 5, 1},
      {8, 0, 15, 0, 8},      {127, 63, 127, 63, 1},
  };
  for (const auto& c : cases) {
    std::memset(VramAddress(), 0xFF, kVramBytes);
    ClearArea(c.x1, c.y1, c.x2, c.y2);
    EXPECT_EQ(8192 - DarkDots(), c.cleared) << c.x1 << "," << c.y1 << "-" << c.x2 << "," << c.y2;
  }
  std::memset(VramAddress(), 0xFF, kVramBytes);
  ClearArea(3, 2, 12, 5);
  EXPECT_EQ(Row(1, 0, 15), "################");
  EXPECT_EQ(Row(3, 0, 15), "###..........###");
  EXPECT_EQ(DrawArea({0, 0, 10, 10, 1}), 0);  // only clearing is known
  EXPECT_EQ(Row(0, 0, 11), "############");
}

TEST_F(DrawTest, InvertAreaInvertsWhatLiesOnTheScreen) {
  InvertArea(130, 70, -5, -9);
  EXPECT_EQ(DarkDots(), 8192);
  InvertArea(5, 1, 9, 1);
  EXPECT_EQ(Row(1, 0, 15), "#####.....######");
  InvertArea(200, 0, 300, 63);
  InvertArea(0, -10, 127, -1);
  EXPECT_EQ(DarkDots(), 8192 - 5);
}

TEST_F(DrawTest, ReadAreaGivesAPictureThatDrawsBackTheSame) {
  for (int i = 0; i < kVramBytes; ++i) VramAddress()[i] = static_cast<uint8_t>(i * 53 + 7);
  const std::vector<uint8_t> screen = VramCopy();
  const int rects[][4] = {
      {3, 2, 12, 6}, {0, 0, 127, 63}, {121, 60, 127, 63}, {9, 9, 9, 9}, {15, 4, 5, 1}};
  for (const auto& r : rects) {
    const int left = std::min(r[0], r[2]), top = std::min(r[1], r[3]);
    const int width = std::abs(r[2] - r[0]) + 1, height = std::abs(r[3] - r[1]) + 1;
    std::vector<uint8_t> picture(BitmapBytes(width, height) + 1, 0xCC);
    ASSERT_EQ(ReadArea(r[0], r[1], r[2], r[3], picture.data()), 1);
    EXPECT_EQ(picture.back(), 0xCC) << "wrote past the picture";
    const int rowBytes = (width + 7) / 8;
    for (int row = 0; row < height; ++row)  // bits right of the width are 0
      EXPECT_EQ(picture[row * rowBytes + rowBytes - 1] & ~kLeftFill[width % 8] & 0xFF, 0);
    ClearVram();
    DrawBitmap({left, top, width, height, picture.data(), kBitmapAsStored, 0});
    std::vector<uint8_t> expected(kVramBytes);
    for (int y = top; y < top + height; ++y)
      for (int x = left; x < left + width; ++x)
        expected[y * 16 + x / 8] |= screen[y * 16 + x / 8] & (0x80 >> (x % 8));
    ASSERT_EQ(VramCopy(), expected) << r[0] << "," << r[1] << "-" << r[2] << "," << r[3];
    std::memcpy(VramAddress(), screen.data(), kVramBytes);
  }
  uint8_t untouched[4] = {1, 2, 3, 4};
  EXPECT_EQ(ReadArea(0, 0, 128, 1, untouched), 0);
  EXPECT_EQ(ReadArea(-1, 0, 8, 1, untouched), 0);
  EXPECT_EQ(untouched[0], 1);
}

TEST_F(DrawTest, Goldens) {
  DrawLine(0, 0, 127, 63, kPenDark);
  DrawShape(kTargetVram, Dashed(kShapeDashFirst, 0, 63, 127, 0, 4, 2));
  DrawShape(kTargetVram, Dashed(kShapeGapFirst, 0, 31, 127, 31, 1, 3));
  DrawShape(kTargetVram, MakeShape(kShapeRectangle, 4, 4, 40, 24));
  DrawShape(kTargetVram, MakeShape(kShapeRectangle, 90, 40, 123, 59, kPenDark, kCombineXor));
  DrawShape(kTargetVram, MakeShape(kShapeCircle, 64, 32, 20));
  DrawShape(kTargetVram, MakeShape(kShapeCircle, 64, 32, 9, 0, kPenDark, kCombineXor));
  DrawShape(kTargetVram, MakeShape(kShapeCircle, 120, 6, 12));
  for (int y = 44; y <= 60; ++y) DrawLine(6, y, 40, y, kPenGrey);
  const uint8_t arrow[] = {0x08, 0x00, 0x0C, 0x00, 0xFE, 0x00, 0xFF,
                           0x80, 0xFE, 0x00, 0x0C, 0x00, 0x08, 0x00};
  DrawBitmap({50, 50, 9, 7, arrow, kBitmapAsStored, kCombineXor});
  DrawBitmap({61, 50, 9, 7, arrow, kBitmapInverted, 0});
  InvertArea(96, 4, 110, 14);
  ClearArea(70, 20, 76, 44);
  EXPECT_TRUE(golden::MatchesGolden(VramAddress(), "tests/os/golden/draw_shapes.txt"));
  ClearVram();
  DrawEditorGrid(40, true);  // more rows than the screen has: cut at the bottom
  EXPECT_TRUE(golden::MatchesGolden(VramAddress(), "tests/os/golden/draw_editor_grid.txt"));
}

}  // namespace
