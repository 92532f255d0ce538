#include "host/cli/tui_screen.h"

#include <algorithm>
#include <cstring>

namespace {

// Rows beneath the frame: the status line and the help line.
constexpr int kLinesBelow = 2;

constexpr char32_t kUpperHalf = U'\u2580', kLowerHalf = U'\u2584', kFullBlock = U'\u2588';
constexpr char32_t kBrailleBase = U'\u2800';
// Braille dot bits by position: dots 1-3 and 7 down the left column, 4-6 and
// 8 down the right one.
constexpr uint8_t kBrailleBits[4][2] = {{0x01, 0x08}, {0x02, 0x10}, {0x04, 0x20}, {0x40, 0x80}};

bool Dark(const uint8_t plane[kLcdBytes], int x, int y) {
  return plane[y * kLcdRowBytes + x / 8] & (0x80 >> (x % 8));
}

int LcdColumns(LcdDrawing d) {
  return d == LcdDrawing::kHalfBlocks ? kHalfBlockColumns : kBrailleColumns;
}
int LcdRows(LcdDrawing d) {
  return d == LcdDrawing::kHalfBlocks ? kHalfBlockRows : kBrailleRows;
}

// Decodes one UTF-8 character; malformed bytes come out as U+FFFD.
char32_t NextUtf8(std::string_view s, size_t* i) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  char32_t cp = byte((*i)++);
  if (cp < 0x80) return cp;
  int extra = cp >= 0xF0 ? 3 : cp >= 0xE0 ? 2 : cp >= 0xC0 ? 1 : -1;
  if (extra < 0) return U'\uFFFD';
  cp &= 0x3F >> extra;
  for (; extra > 0; --extra) {
    if (*i >= s.size() || (byte(*i) & 0xC0) != 0x80) return U'\uFFFD';
    cp = cp << 6 | (byte((*i)++) & 0x3F);
  }
  return cp;
}

int Utf8Length(std::string_view s) {
  int n = 0;
  for (size_t i = 0; i < s.size(); ++n) NextUtf8(s, &i);
  return n;
}

void Frame(TermGrid* g, int x0, int y0, int w, int h) {
  g->At(x0, y0).ch = U'\u250C';
  g->At(x0 + w - 1, y0).ch = U'\u2510';
  g->At(x0, y0 + h - 1).ch = U'\u2514';
  g->At(x0 + w - 1, y0 + h - 1).ch = U'\u2518';
  for (int x = x0 + 1; x < x0 + w - 1; ++x) g->At(x, y0).ch = g->At(x, y0 + h - 1).ch = U'\u2500';
  for (int y = y0 + 1; y < y0 + h - 1; ++y) g->At(x0, y).ch = g->At(x0 + w - 1, y).ch = U'\u2502';
}

}  // namespace

void AppendUtf8(std::string* out, char32_t cp) {
  if (cp < 0x80) {
    *out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out += static_cast<char>(0xC0 | cp >> 6);
    *out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out += static_cast<char>(0xE0 | cp >> 12);
    *out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    *out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | cp >> 18);
    *out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
    *out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    *out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void TermGrid::Reset(int w, int h) {
  width = std::max(w, 0);
  height = std::max(h, 0);
  cells.assign(static_cast<size_t>(width) * height, TermCell{});
}

int TermGrid::Text(int x, int y, std::string_view utf8, TermStyle style, int maxX) {
  if (y < 0 || y >= height) return 0;
  maxX = std::min(maxX, width);
  int written = 0;
  for (size_t i = 0; i < utf8.size() && x < maxX;) {
    char32_t cp = NextUtf8(utf8, &i);
    // A control character would move the terminal's cursor behind our back
    // (the status text separates a note with a tab).
    if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) cp = U' ';
    if (x >= 0) At(x, y) = TermCell{cp, style};
    ++x;
    ++written;
  }
  return written;
}

int DrawingMinColumns(LcdDrawing d) {
  return LcdColumns(d) + 2;
}
int DrawingMinRows(LcdDrawing d) {
  return LcdRows(d) + 2 + kLinesBelow;
}

LcdDrawing ChooseDrawing(int cols, int rows) {
  for (LcdDrawing d : {LcdDrawing::kHalfBlocks, LcdDrawing::kBraille})
    if (cols >= DrawingMinColumns(d) && rows >= DrawingMinRows(d)) return d;
  return LcdDrawing::kTooSmall;
}

char32_t HalfBlockCell(const uint8_t plane[kLcdBytes], int cx, int cy) {
  bool top = Dark(plane, cx, 2 * cy), bottom = Dark(plane, cx, 2 * cy + 1);
  return top && bottom ? kFullBlock : top ? kUpperHalf : bottom ? kLowerHalf : U' ';
}

char32_t BrailleCell(const uint8_t plane[kLcdBytes], int cx, int cy) {
  unsigned bits = 0;
  for (int dy = 0; dy < 4; ++dy)
    for (int dx = 0; dx < 2; ++dx)
      if (Dark(plane, 2 * cx + dx, 4 * cy + dy)) bits |= kBrailleBits[dy][dx];
  return kBrailleBase + bits;
}

LcdDrawing ComposeScreen(const uint8_t plane[kLcdBytes], const TuiView& view, TermGrid* g) {
  for (TermCell& c : g->cells) c = TermCell{};
  LcdDrawing drawing = ChooseDrawing(g->width, g->height);
  if (drawing == LcdDrawing::kTooSmall) {
    // Short lines: the terminal may be very narrow.
    const LcdDrawing least = LcdDrawing::kBraille;
    g->Text(0, 0, "Terminal too small.", kStylePlain);
    g->Text(0, 1,
            "Needs " + std::to_string(DrawingMinColumns(least)) + " x " +
                std::to_string(DrawingMinRows(least)) + ", now " + std::to_string(g->width) +
                " x " + std::to_string(g->height) + ".",
            kStylePlain);
    g->Text(0, 2, "Ctrl+Q quits.", kStylePlain);
    return drawing;
  }
  const int w = DrawingMinColumns(drawing), h = LcdRows(drawing) + 2;
  const int x0 = (g->width - w) / 2;
  const int y0 = (g->height - h - kLinesBelow) / 2;
  Frame(g, x0, y0, w, h);
  // The title sits in the top border like a window's caption.
  std::string title = " " + view.title + " ";
  g->Text(x0 + 2, y0, title, kStyleTitle, x0 + w - 2);
  for (int cy = 0; cy < LcdRows(drawing); ++cy) {
    for (int cx = 0; cx < LcdColumns(drawing); ++cx) {
      char32_t ch = drawing == LcdDrawing::kHalfBlocks ? HalfBlockCell(plane, cx, cy)
                                                       : BrailleCell(plane, cx, cy);
      g->At(x0 + 1 + cx, y0 + 1 + cy) = TermCell{ch, kStyleLcd};
    }
  }
  // Status on the left, the key sent last on the right, under the frame.
  const int statusY = y0 + h;
  int used = g->Text(x0, statusY, view.status, kStylePlain, x0 + w);
  if (!view.lastKey.empty()) {
    std::string key = "key: " + view.lastKey;
    int len = Utf8Length(key);
    int kx = x0 + w - len;
    if (kx > x0 + used) g->Text(kx, statusY, key, kStyleDim);
  }
  // The help may be wider than the frame: keep it on screen.
  int helpLen = Utf8Length(view.help);
  int hx = std::max(0, std::min(x0, g->width - helpLen));
  g->Text(hx, statusY + 1, view.help, kStyleDim);
  return drawing;
}

TermColours ColoursFromEnvironment(const char* term, const char* colorterm, const char* noColor) {
  if (noColor && *noColor) return TermColours::kNone;
  if (!term || !std::strcmp(term, "dumb")) return TermColours::kNone;
  if ((colorterm && *colorterm) || std::strstr(term, "256") || std::strstr(term, "direct"))
    return TermColours::k256;
  return TermColours::kBasic;
}

TermPalette MakePalette(TermColours colours) {
  TermPalette p;
  p.styles[kStylePlain] = "\x1b[0m";
  p.styles[kStyleTitle] = "\x1b[0;1m";
  p.styles[kStyleDim] = "\x1b[0;2m";
  switch (colours) {
    case TermColours::kNone:
      p.styles[kStyleLcd] = "\x1b[0m";
      break;
    // Dark dots in the foreground on the display's pale green-grey.
    case TermColours::kBasic:
      p.styles[kStyleLcd] = "\x1b[0;30;47m";
      break;
    case TermColours::k256:
      p.styles[kStyleLcd] = "\x1b[0;38;5;236;48;5;151m";
      break;
  }
  return p;
}

std::string RenderDiff(const TermGrid* before, const TermGrid& after, const TermPalette& palette) {
  std::string out;
  const bool whole = !before || before->width != after.width || before->height != after.height;
  TermGrid blank;
  if (whole) {
    // Clearing paints with the current colours: reset them first.
    out += palette.styles[kStylePlain];
    out += "\x1b[2J";
    blank.Reset(after.width, after.height);
    before = &blank;
  }
  int style = whole ? kStylePlain : -1;  // unknown after an earlier frame
  int cursorX = -1, cursorY = -1;
  // Rewriting a few unchanged cells is shorter than a cursor move.
  constexpr int kBridge = 4;
  for (int y = 0; y < after.height; ++y) {
    for (int x = 0; x < after.width; ++x) {
      if (after.At(x, y) == before->At(x, y)) continue;
      if (cursorY == y && cursorX <= x && x - cursorX <= kBridge) {
        for (; cursorX < x; ++cursorX) {
          const TermCell& c = after.At(cursorX, y);
          if (c.style != style) out += palette.styles[style = c.style];
          AppendUtf8(&out, c.ch);
        }
      } else if (cursorY != y || cursorX != x) {
        out += "\x1b[" + std::to_string(y + 1) + ";" + std::to_string(x + 1) + "H";
      }
      const TermCell& c = after.At(x, y);
      if (c.style != style) out += palette.styles[style = c.style];
      AppendUtf8(&out, c.ch);
      cursorX = x + 1;
      cursorY = y;
    }
  }
  if (!out.empty() && style != kStylePlain) out += palette.styles[kStylePlain];
  return out;
}
