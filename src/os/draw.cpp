#include "os/draw.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "os/vram.h"

namespace {

struct Pen {
  uint8_t target;
  uint8_t pen;
  uint8_t combine;
};

// One dot of a shape: read the byte from the target, merge the pen's bit by
// the combine rule, write it back to every selected plane.
void Plot(const Pen& p, int64_t x, int64_t y) {
  if (!OnScreen(x, y)) return;
  const int column = static_cast<int>(x) / 8, row = static_cast<int>(y);
  uint8_t* vram = VramAddress() + row * kLcdRowBytes + column;
  uint8_t byte = (p.target & kTargetVram) ? *vram : HostLcdReadByte(column, row);
  const uint8_t mask = SingleDot(static_cast<int>(x));
  uint8_t bit = 0;
  if (p.pen == kPenDark) bit = mask;
  if (p.pen == kPenGrey) bit = mask & ((row & 1) ? 0x55 : 0xAA);
  switch (p.combine) {
    case kCombineWrite:
      byte = (byte & ~mask) | bit;
      break;
    case kCombineOr:
      byte |= bit;
      break;
    case kCombineAnd:
      byte &= ~mask | bit;
      break;
    case kCombineXor:
      byte ^= bit;
      break;
  }
  if (p.target & kTargetVram) *vram = byte;
  if (p.target & kTargetLcd) HostLcdWriteByte(column, row, byte);
}

// Which dots of a dashed line are drawn, by the 1-based dot counter.
struct Dash {
  uint8_t shape;
  uint32_t dashA, dashB;
  bool Plots(uint32_t count) const {
    const uint32_t phase = count % (dashA + dashB);
    if (shape == kShapeDashFirst) return phase >= 1 && phase <= dashA;
    if (shape == kShapeGapFirst) return !(phase >= 1 && phase <= dashB);
    return true;
  }
};

int Sign(int64_t v) {
  return (v > 0) - (v < 0);
}

// Bresenham's walk from (x1, y1) to (x2, y2), both ends included, with the
// dot counter the dashes read. Only the steps whose major coordinate lies on
// the screen are visited: the minor offset after k steps has the closed form
// floor((2 minor k + major) / (2 major)), the same dots the step-by-step
// error walk gives, so a line to a far-off point costs no more than one
// across the screen.
void WalkLine(const Pen& p, int64_t x1, int64_t y1, int64_t x2, int64_t y2, const Dash* dash) {
  const int64_t dx = std::llabs(x2 - x1), dy = std::llabs(y2 - y1);
  const bool xMajor = dx >= dy;
  const int64_t major = xMajor ? dx : dy, minor = xMajor ? dy : dx;
  const int64_t a0 = xMajor ? x1 : y1, b0 = xMajor ? y1 : x1;
  const int sa = xMajor ? Sign(x2 - x1) : Sign(y2 - y1);
  const int sb = xMajor ? Sign(y2 - y1) : Sign(x2 - x1);
  const int64_t aLast = (xMajor ? kLcdWidth : kLcdHeight) - 1;
  int64_t kLo = 0, kHi = major;
  if (sa > 0) {
    kLo = std::max<int64_t>(kLo, -a0);
    kHi = std::min<int64_t>(kHi, aLast - a0);
  } else if (sa < 0) {
    kLo = std::max<int64_t>(kLo, a0 - aLast);
    kHi = std::min<int64_t>(kHi, a0);
  } else if (a0 < 0 || a0 > aLast) {
    return;
  }
  for (int64_t k = kLo; k <= kHi; ++k) {
    if (dash && !dash->Plots(static_cast<uint32_t>(k + 1))) continue;
    const int64_t m = major == 0
                          ? 0
                          : static_cast<int64_t>((static_cast<__int128>(2 * minor) * k + major) /
                                                 (2 * static_cast<__int128>(major)));
    const int64_t a = a0 + sa * k, b = b0 + sb * m;
    if (xMajor) {
      Plot(p, a, b);
    } else {
      Plot(p, b, a);
    }
  }
}

void WalkRectangle(const Pen& p, int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
  WalkLine(p, x1, y1, x2, y1, nullptr);
  // The sides: rows after y1 through y2, towards y2; off-screen rows plot nothing.
  if (y1 != y2) {
    const int64_t step = y2 > y1 ? 1 : -1;
    int64_t from = y1 + step, to = y2;
    if (step < 0) std::swap(from, to);
    from = std::max<int64_t>(from, 0);
    to = std::min<int64_t>(to, kLcdHeight - 1);
    for (int64_t i = 0; i <= to - from; ++i) {
      const int64_t row = step > 0 ? from + i : to - i;
      Plot(p, x1, row);
      Plot(p, x2, row);
    }
  }
  // Drawn in full, so the bottom corners get a second plot.
  WalkLine(p, x1, y2, x2, y2, nullptr);
}

// True when no dot of the circle can reach the screen: its box misses the
// screen, or the screen lies well inside it.
bool CircleOffScreen(int64_t cx, int64_t cy, int64_t r) {
  if (cx + r < 0 || cx - r >= kLcdWidth || cy + r < 0 || cy - r >= kLcdHeight) return true;
  double farthest = 0;
  for (int64_t x : {int64_t{0}, int64_t{kLcdWidth - 1}})
    for (int64_t y : {int64_t{0}, int64_t{kLcdHeight - 1}}) {
      const double ddx = static_cast<double>(x - cx), ddy = static_cast<double>(y - cy);
      farthest = std::max(farthest, ddx * ddx + ddy * ddy);
    }
  const double inner = static_cast<double>(r) - 2;
  return inner > 0 && farthest < inner * inner;
}

void WalkCircle(const Pen& p, int64_t cx, int64_t cy, int64_t r) {
  if (r < 0 || CircleOffScreen(cx, cy, r)) return;
  int64_t dx = 0, err = 2 - 2 * r, t = 2;
  auto diagonal = [&] {
    dx += 1;
    t += 2;
    r -= 1;
    err += t - 2 * r;
  };
  while (r >= 0) {
    Plot(p, cx + dx, cy - r);
    Plot(p, cx + dx, cy + r);
    Plot(p, cx - dx, cy + r);
    Plot(p, cx - dx, cy - r);
    if (err < 0) {
      if (2 * (err + r) - 1 > 0) {
        diagonal();
      } else {
        dx += 1;
        t += 2;
        err += 2 * dx + 1;
      }
    } else if (err > 0) {
      if (2 * err - 2 * dx - 1 > 0) {
        r -= 1;
        err += 1 - 2 * r;
      } else {
        diagonal();
      }
    } else {
      diagonal();
    }
  }
}

// Calls op(byte, mask) for every Vram byte of an on-screen, ordered
// rectangle, the mask selecting the rectangle's dots within the byte.
template <class Op>
void ForAreaBytes(int x1, int y1, int x2, int y2, Op op) {
  const int first = x1 / 8, last = x2 / 8;
  const uint8_t leftMask = kRightFill[x1 & 7], rightMask = kLeftFill[(x2 + 1) & 7];
  for (int y = y1; y <= y2; ++y) {
    uint8_t* row = VramAddress() + y * kLcdRowBytes;
    if (first == last) {
      op(row[first], static_cast<uint8_t>(leftMask & rightMask));
      continue;
    }
    op(row[first], leftMask);
    for (int b = first + 1; b < last; ++b) op(row[b], uint8_t{0xFF});
    op(row[last], rightMask);
  }
}

bool OrderAndCheck(int& x1, int& y1, int& x2, int& y2) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  return OnScreen(x1, y1) && OnScreen(x2, y2);
}

void CombineByte(uint8_t& dest, uint8_t value, uint8_t mask, uint8_t combine) {
  switch (combine) {
    case kCombineOr:
      dest |= value;
      break;
    case kCombineAnd:
      dest &= value | ~mask;
      break;
    case kCombineXor:
      dest ^= value;
      break;
    default:
      dest = (dest & ~mask) | value;
      break;
  }
}

}  // namespace

int DrawShape(uint8_t target, const ShapeRecord& s) {
  if (!(target & (kTargetVram | kTargetLcd))) return 0;
  if (s.pen < kPenDark || s.pen > kPenGrey) return 0;
  if (s.combine < kCombineWrite || s.combine > kCombineXor) return 0;
  const Pen p{target, s.pen, s.combine};
  switch (s.shape) {
    case kShapePoint:
      Plot(p, s.x1, s.y1);
      break;
    case kShapeLine:
      WalkLine(p, s.x1, s.y1, s.x2, s.y2, nullptr);
      break;
    case kShapeDashFirst:
    case kShapeGapFirst: {
      const Dash dash{s.shape, s.dashA, s.dashB};
      if (static_cast<uint32_t>(s.dashA + s.dashB) == 0) return 0;
      WalkLine(p, s.x1, s.y1, s.x2, s.y2, &dash);
      break;
    }
    case kShapeRectangle:
      WalkRectangle(p, s.x1, s.y1, s.x2, s.y2);
      break;
    case kShapeCircle:
      WalkCircle(p, s.x1, s.y1, s.x2);
      break;
    default:
      return 0;
  }
  if (target & kTargetLcd) HostBlitLcd();
  return 1;
}

int DrawLine(int x1, int y1, int x2, int y2, uint8_t pen) {
  return DrawShape(kTargetVram, MakeShape(kShapeLine, x1, y1, x2, y2, pen, kCombineWrite));
}

int DrawBitmap(const BitmapRecord& b) {
  if (b.width < 1 || b.height < 1 || b.x >= kLcdWidth || !b.bits) return 0;
  if (b.modify < kBitmapAsStored || b.modify > kBitmapGrey) return 0;
  const int64_t rowBytes = (int64_t{b.width} + 7) / 8;
  const uint8_t lastMask = kLeftFill[b.width & 7];
  // Destination byte of source byte j is firstColumn + j (and the next one).
  const int64_t firstColumn = b.x >> 3;  // rounds down left of the screen too
  const int shift = b.x & 7;
  const int64_t jFrom = std::max<int64_t>(0, -firstColumn - 1);
  const int64_t jTo = std::min<int64_t>(rowBytes - 1, kLcdRowBytes - 1 - firstColumn);
  const int64_t rFrom = std::max<int64_t>(0, -int64_t{b.y});
  const int64_t rTo = std::min<int64_t>(int64_t{b.height} - 1, kLcdHeight - 1 - int64_t{b.y});
  for (int64_t r = rFrom; r <= rTo; ++r) {
    const uint8_t* src = b.bits + r * rowBytes;
    uint8_t* dest = VramAddress() + (b.y + r) * kLcdRowBytes;
    for (int64_t j = jFrom; j <= jTo; ++j) {
      const uint8_t mask = j == rowBytes - 1 ? lastMask : 0xFF;
      uint8_t bits = src[j];
      if (b.modify == kBitmapInverted) bits = ~bits;
      if (b.modify == kBitmapGrey) bits &= (r & 1) ? 0xAA : 0x55;
      bits &= mask;
      const unsigned wideBits = (bits << 8) >> shift, wideMask = (mask << 8) >> shift;
      const int64_t column = firstColumn + j;
      if (column >= 0 && column < kLcdRowBytes)
        CombineByte(dest[column], static_cast<uint8_t>(wideBits >> 8),
                    static_cast<uint8_t>(wideMask >> 8), b.combine);
      if (column + 1 >= 0 && column + 1 < kLcdRowBytes && shift != 0)
        CombineByte(dest[column + 1], static_cast<uint8_t>(wideBits),
                    static_cast<uint8_t>(wideMask), b.combine);
    }
  }
  return 1;
}

int DrawArea(const AreaRecord& area) {
  int x1 = area.x1, y1 = area.y1, x2 = area.x2, y2 = area.y2;
  if (area.mode != kAreaClear || !OrderAndCheck(x1, y1, x2, y2)) return 0;
  ForAreaBytes(x1, y1, x2, y2, [](uint8_t& byte, uint8_t mask) { byte &= ~mask; });
  return 1;
}

int ClearArea(int x1, int y1, int x2, int y2) {
  return DrawArea(AreaRecord{x1, y1, x2, y2, kAreaClear});
}

void InvertArea(int x1, int y1, int x2, int y2) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  x1 = std::max(x1, 0);
  y1 = std::max(y1, 0);
  x2 = std::min(x2, kLcdWidth - 1);
  y2 = std::min(y2, kLcdHeight - 1);
  if (x1 > x2 || y1 > y2) return;
  ForAreaBytes(x1, y1, x2, y2, [](uint8_t& byte, uint8_t mask) { byte ^= mask; });
}

int ReadArea(int x1, int y1, int x2, int y2, uint8_t* buffer) {
  if (!buffer || !OrderAndCheck(x1, y1, x2, y2)) return 0;
  const int width = x2 - x1 + 1, rowBytes = (width + 7) / 8, shift = x1 & 7;
  for (int y = y1; y <= y2; ++y) {
    const uint8_t* row = VramAddress() + y * kLcdRowBytes;
    for (int j = 0; j < rowBytes; ++j) {
      const int column = x1 / 8 + j;
      const unsigned wide = (row[column] << 8) | (column + 1 < kLcdRowBytes ? row[column + 1] : 0);
      uint8_t out = static_cast<uint8_t>(wide >> (8 - shift));
      if (j == rowBytes - 1) out &= kLeftFill[width & 7];
      *buffer++ = out;
    }
  }
  return 1;
}

void DrawEditorGrid(int rows, bool second) {
  constexpr int kRules[] = {12, 40, 68, 96, 124};
  const int lastRow = std::min(8 * rows + 7, kLcdHeight - 1);
  for (int y = 0; y <= lastRow; ++y) {
    uint8_t* row = VramAddress() + y * kLcdRowBytes;
    for (int x : kRules) {
      // The rule and the three dots right of it share one byte.
      const uint8_t four = static_cast<uint8_t>(0xF0 >> (x & 7));
      row[x / 8] = (row[x / 8] & ~four) | SingleDot(x);
    }
  }
  auto headerLine = [](int y) {
    uint8_t* row = VramAddress() + y * kLcdRowBytes;
    for (int b = 0; b < kLcdRowBytes; ++b) row[b] = 0;
    row[12 / 8] = kRightFill[12 & 7];
    for (int b = 12 / 8 + 1; b < 124 / 8; ++b) row[b] = 0xFF;
    row[124 / 8] = kLeftFill[(124 + 1) & 7];
  };
  headerLine(8);
  if (second) headerLine(16);
}
