// The terminal front end's picture: the LCD as half blocks and braille, the
// layout, and the redraw, checked by playing it into a small terminal model.
#include "host/cli/tui_screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <tuple>

namespace {

using Plane = std::vector<uint8_t>;

Plane RandomPlane(unsigned seed) {
  std::mt19937 rng(seed);
  Plane p(kLcdBytes);
  for (uint8_t& b : p) b = static_cast<uint8_t>(rng());
  return p;
}

bool Dark(const Plane& p, int x, int y) { return p[y * kLcdRowBytes + x / 8] & (0x80 >> (x % 8)); }

// The cells as a viewer reads them: half blocks by top and bottom dot,
// braille by its own dot numbering (1-3 and 7 left, 4-6 and 8 right).
TEST(TuiScreen, EveryDotSurvivesBothDrawings) {
  const char32_t kHalfBlocks[4] = {U' ', U'\u2584', U'\u2580', U'\u2588'};  // top * 2 + bottom
  const int kBrailleBit[4][2] = {{0, 3}, {1, 4}, {2, 5}, {6, 7}};
  for (unsigned seed = 0; seed <= 3; ++seed) {
    Plane p = seed ? RandomPlane(seed) : Plane(kLcdBytes, 0xFF);
    for (int cy = 0; cy < kHalfBlockRows; ++cy)
      for (int cx = 0; cx < kHalfBlockColumns; ++cx)
        ASSERT_EQ(HalfBlockCell(p.data(), cx, cy),
                  kHalfBlocks[Dark(p, cx, 2 * cy) * 2 + Dark(p, cx, 2 * cy + 1)]);
    for (int cy = 0; cy < kBrailleRows; ++cy)
      for (int cx = 0; cx < kBrailleColumns; ++cx) {
        char32_t dots = U'\u2800';
        for (int d = 0; d < 8; ++d)
          if (Dark(p, 2 * cx + d % 2, 4 * cy + d / 2)) dots |= 1u << kBrailleBit[d / 2][d % 2];
        ASSERT_EQ(BrailleCell(p.data(), cx, cy), dots);
      }
  }
}

// Finds the frame's top-left corner; false when there is none.
bool FindFrame(const TermGrid& g, int* x0, int* y0) {
  for (int y = 0; y < g.height; ++y)
    for (int x = 0; x < g.width; ++x)
      if (g.At(x, y).ch == U'\u250C') {
        *x0 = x;
        *y0 = y;
        return true;
      }
  return false;
}

std::string RowText(const TermGrid& g, int y) {
  std::string s;
  for (int x = 0; x < g.width; ++x) AppendUtf8(&s, g.At(x, y).ch);
  return s;
}

// The drawing's boundaries and the sizes users have: the frame centred with
// the status and help lines still on the screen, or what a bigger one needs.
TEST(TuiScreen, LayoutFollowsTheTerminalSize) {
  Plane p = RandomPlane(7);
  TuiView view{"vk2280 emulator<SHIFT>", "<SHIFT>", "EXE", "^Q quit  help"};
  const std::tuple<int, int, LcdDrawing> sizes[] = {
      {130, 36, LcdDrawing::kHalfBlocks}, {211, 61, LcdDrawing::kHalfBlocks},
      {129, 36, LcdDrawing::kBraille},    {130, 35, LcdDrawing::kBraille},
      {80, 24, LcdDrawing::kBraille},     {66, 20, LcdDrawing::kBraille},
      {65, 20, LcdDrawing::kTooSmall},    {66, 19, LcdDrawing::kTooSmall},
      {40, 10, LcdDrawing::kTooSmall},    {0, 0, LcdDrawing::kTooSmall},  // no size reported
  };
  for (auto [cols, rows, drawing] : sizes) {
    const std::string size = std::to_string(cols) + " x " + std::to_string(rows);
    SCOPED_TRACE(size);
    EXPECT_EQ(ChooseDrawing(cols, rows), drawing);
    TermGrid g;
    g.Reset(cols, rows);
    ASSERT_EQ(ComposeScreen(p.data(), view, &g), drawing);
    int x0, y0;
    if (drawing == LcdDrawing::kTooSmall) {
      EXPECT_FALSE(FindFrame(g, &x0, &y0));
      EXPECT_TRUE(rows < 2 || RowText(g, 1).find("Needs 66 x 20, now " + size + ".") == 0);
      continue;
    }
    ASSERT_TRUE(FindFrame(g, &x0, &y0));
    const bool half = drawing == LcdDrawing::kHalfBlocks;
    const int w = (half ? kHalfBlockColumns : kBrailleColumns) + 2;
    const int h = (half ? kHalfBlockRows : kBrailleRows) + 2;
    EXPECT_LE(std::abs((cols - w) - 2 * x0), 1);
    EXPECT_LE(std::abs((rows - h - 2) - 2 * y0), 1);
    ASSERT_LT(y0 + h + 1, rows);
    EXPECT_EQ(g.At(x0 + w - 1, y0 + h - 1).ch, U'\u2518');
    for (int cy = 0; cy < h - 2; ++cy)
      for (int cx = 0; cx < w - 2; ++cx) {
        const TermCell& c = g.At(x0 + 1 + cx, y0 + 1 + cy);
        ASSERT_EQ(c.ch, half ? HalfBlockCell(p.data(), cx, cy) : BrailleCell(p.data(), cx, cy));
        ASSERT_EQ(c.style, kStyleLcd);
      }
    EXPECT_NE(RowText(g, y0).find("vk2280 emulator<SHIFT>"), std::string::npos);
    std::string status = RowText(g, y0 + h);
    EXPECT_EQ(status.find("<SHIFT>"), static_cast<size_t>(x0));
    EXPECT_NE(status.find("key: EXE"), std::string::npos);
    EXPECT_NE(RowText(g, y0 + h + 1).find("^Q quit"), std::string::npos);
  }
}

TEST(TuiScreen, LongTextsNeverBreakTheFrame) {
  Plane p(kLcdBytes);
  TuiView view{std::string(300, 'T'), std::string(300, 'S'), "EXE", std::string(300, 'H')};
  TermGrid g;
  g.Reset(80, 24);
  ComposeScreen(p.data(), view, &g);
  int x0, y0;
  ASSERT_TRUE(FindFrame(g, &x0, &y0));
  EXPECT_EQ(g.At(x0 + kBrailleColumns + 1, y0).ch, U'\u2510');  // title clipped inside the border
  EXPECT_EQ(g.At(x0 + kBrailleColumns, y0).ch, U'\u2500');
  // The status fills the frame's width; no room is left for the key.
  EXPECT_EQ(RowText(g, y0 + kBrailleRows + 2).find("key:"), std::string::npos);
  // Control characters in a text (a tab before a note, stray escapes) do
  // not reach the terminal, where they would move its cursor.
  view = TuiView{"t\x1b[2J", "<SHIFT>\tnote\r", "", "\x07"};
  ComposeScreen(p.data(), view, &g);
  for (const TermCell& c : g.cells) EXPECT_TRUE(c.ch >= 0x20 && c.ch != 0x7F) << int(c.ch);
  EXPECT_NE(RowText(g, y0 + kBrailleRows + 2).find("<SHIFT> note"), std::string::npos);
}

TEST(TuiScreen, ColoursFromTheEnvironment) {
  const std::tuple<const char*, const char*, const char*, TermColours> rows[] = {
      {"xterm-256color", nullptr, nullptr, TermColours::k256},
      {"tmux-256color", nullptr, "", TermColours::k256},  // an empty NO_COLOR does not count
      {"xterm", "truecolor", nullptr, TermColours::k256},
      {"xterm", nullptr, nullptr, TermColours::kBasic},
      {"linux", "", nullptr, TermColours::kBasic},
      {"xterm-256color", nullptr, "1", TermColours::kNone},
      {"dumb", nullptr, nullptr, TermColours::kNone},
      {nullptr, nullptr, nullptr, TermColours::kNone},
  };
  for (auto [term, colorterm, noColor, colours] : rows)
    EXPECT_EQ(ColoursFromEnvironment(term, colorterm, noColor), colours)
        << (term ? term : "(no TERM)");
}

// A terminal as far as the redraw uses one: cursor moves, clearing, the
// palette's styles and one-column characters, without wrapping.
struct ModelTerminal {
  ModelTerminal(int w, int h, const TermPalette& p) : palette(p) { screen.Reset(w, h); }

  void Play(const std::string& out) {
    for (size_t i = 0; i < out.size();) {
      if (out[i] == '\x1b') {
        ASSERT_EQ(out[i + 1], '[') << "only CSI sequences are expected";
        size_t end = out.find_first_of("HJm", i + 2);
        ASSERT_NE(end, std::string::npos);
        std::string seq = out.substr(i, end + 1 - i);
        i = end + 1;
        if (out[end] == 'H') {
          ASSERT_EQ(std::sscanf(seq.c_str(), "\x1b[%d;%dH", &y, &x), 2);
          --x, --y;
        } else if (out[end] == 'J') {
          ASSERT_EQ(seq, "\x1b[2J");
          ASSERT_EQ(style, kStylePlain) << "clearing paints with the current colours";
          screen.Reset(screen.width, screen.height);
        } else {
          auto* found = std::find(palette.styles, palette.styles + 4, seq);
          ASSERT_NE(found, palette.styles + 4) << "unknown style";
          style = static_cast<TermStyle>(found - palette.styles);
        }
        continue;
      }
      const unsigned char b = static_cast<unsigned char>(out[i]);
      ASSERT_GE(b, 0x20);
      const size_t len = b < 0xC0 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
      char32_t cp = len == 1 ? b : b & (0x3F >> (len - 1));
      for (size_t k = 1; k < len; ++k) cp = cp << 6 | (out[i + k] & 0x3F);
      ASSERT_TRUE(x >= 0 && x < screen.width && y >= 0 && y < screen.height);
      screen.At(x++, y) = TermCell{cp, style};
      i += len;
    }
  }

  const TermPalette& palette;
  TermGrid screen;
  int x = 0, y = 0;
  TermStyle style = kStylePlain;
};

TermGrid Composed(const Plane& p, int w, int h, const std::string& status) {
  TermGrid g;
  g.Reset(w, h);
  ComposeScreen(p.data(), TuiView{"vk2280 emulator", status, "", "^Q quit"}, &g);
  return g;
}

TEST(TuiScreen, RedrawBringsTheTerminalFromOneScreenToTheNext) {
  const TermPalette palette = MakePalette(TermColours::k256);
  // What, the terminal's size before and after, the dots changed.
  const std::tuple<const char*, int, int, int, int, unsigned> rows[] = {
      {"one dot", 80, 24, 80, 24, 1},
      {"a few dots", 140, 40, 140, 40, 12},
      {"many dots", 80, 24, 80, 24, 3000},
      {"half the screen", 140, 40, 140, 40, 20000},
      {"a resize redraws the whole screen", 140, 40, 80, 24, 0},
  };
  std::mt19937 rng(42);
  for (auto [what, w, h, newW, newH, flips] : rows) {
    SCOPED_TRACE(what);
    Plane before = RandomPlane(flips), after = before;
    for (unsigned i = 0; i < flips; ++i) {
      int x = static_cast<int>(rng() % kLcdWidth), y = static_cast<int>(rng() % kLcdHeight);
      after[y * kLcdRowBytes + x / 8] ^= static_cast<uint8_t>(0x80 >> (x % 8));
    }
    TermGrid a = Composed(before, w, h, ""), b = Composed(after, newW, newH, "<ALPHA>");
    ModelTerminal term(w, h, palette);
    term.Play(RenderDiff(nullptr, a, palette));
    ASSERT_EQ(term.screen.cells, a.cells);
    std::string diff = RenderDiff(&a, b, palette);
    if (w != newW) term.screen.Reset(newW, newH);
    term.Play(diff);
    ASSERT_EQ(term.screen.cells, b.cells);
    EXPECT_EQ(term.style, kStylePlain) << "the next writer starts from plain";
    if (w != newW) {
      EXPECT_EQ(diff.find("\x1b[2J"), palette.styles[kStylePlain].size());
    } else {
      EXPECT_EQ(diff.find("\x1b[2J"), std::string::npos) << "a change of dots is no full redraw";
      EXPECT_LT(diff.size(), RenderDiff(nullptr, b, palette).size());
    }
  }
}

TEST(TuiScreen, OneChangedDotIsOneCursorMoveAndOneCell) {
  const TermPalette palette = MakePalette(TermColours::kNone);
  Plane p(kLcdBytes);
  TermGrid a = Composed(p, 140, 40, "");
  EXPECT_EQ(RenderDiff(&a, a, palette), "") << "nothing changed, nothing sent";
  p[33 * kLcdRowBytes + 8] = 0x80;  // dot (64, 33)
  TermGrid b = Composed(p, 140, 40, "");
  std::string diff = RenderDiff(&a, b, palette);
  int x0, y0;
  ASSERT_TRUE(FindFrame(b, &x0, &y0));
  std::string expected = "\x1b[" + std::to_string(y0 + 1 + 16 + 1) + ";" +
                         std::to_string(x0 + 1 + 64 + 1) + "H" + palette.styles[kStyleLcd];
  AppendUtf8(&expected, U'\u2584');
  EXPECT_EQ(diff.substr(0, expected.size()), expected);
  EXPECT_EQ(diff.size(), expected.size() + palette.styles[kStylePlain].size());
}

}  // namespace
