#include "os/text.h"

#include <algorithm>
#include <atomic>

#include "os/font.h"
#include "os/setup.h"
#include "os/vram.h"

namespace {

// ---- Cursor --------------------------------------------------------------------

// The host's blink timer reads these from the UI thread, one word at a time.
struct TextCursor {
  std::atomic<int> column{0};
  std::atomic<int> line{0};
  std::atomic<int> kind{0};
  std::atomic<int> shape{0};
  std::atomic<bool> visible{false};
};
TextCursor gCursor;

// Shape bits by cursor kind.
constexpr int kShapeOfKind[kCursorKindCount] = {0, 1, 0, 2, 4, 8, 16, 17, 0, 18, 20, 24, 64};

// Kinds by shift state, for insert and for overwrite mode.
struct ShiftKinds {
  uint8_t shiftState;
  int insertKind;
  int overwriteKind;
};
constexpr ShiftKinds kKindsByShift[] = {
    {0, 0, 6}, {1, 1, 7}, {2, 5, 11}, {4, 3, 9}, {8, 4, 10}, {132, 3, 9}, {136, 4, 10},
};

// ---- Row drawing ---------------------------------------------------------------

enum class Blend { kReplace, kOr, kXor };

// Where up to 8 dots starting at dot column x land in a Vram row: one or two
// bytes, either of which may lie off the screen. Worked out once per glyph.
struct DotSpan {
  int column;
  int shift;
  bool first, second;
  explicit DotSpan(int x)
      : column(x >> 3),  // rounds down for dots left of the screen too
        shift(x & 7),
        first(column >= 0 && column < kLcdRowBytes),
        second(shift != 0 && column + 1 >= 0 && column + 1 < kLcdRowBytes) {}

  // `bits` and `mask` are left-aligned at x (bit 7 = dot x).
  void Apply(int y, uint8_t bits, uint8_t mask, Blend blend) const {
    if (y < 0 || y >= kLcdHeight) return;
    uint8_t* row = VramAddress() + y * kLcdRowBytes;
    if (first)
      Merge(row[column], static_cast<uint8_t>(bits >> shift), static_cast<uint8_t>(mask >> shift),
            blend);
    if (second)
      Merge(row[column + 1], static_cast<uint8_t>(bits << (8 - shift)),
            static_cast<uint8_t>(mask << (8 - shift)), blend);
  }

  static void Merge(uint8_t& byte, uint8_t bits, uint8_t mask, Blend blend) {
    switch (blend) {
      case Blend::kReplace:
        byte = (byte & ~mask) | bits;
        break;
      case Blend::kOr:
        byte |= bits;
        break;
      case Blend::kXor:
        byte ^= bits;
        break;
    }
  }
};

// ---- Normal font ---------------------------------------------------------------

constexpr uint8_t kCellMask = 0xFC;                          // the six dots of a normal glyph row
constexpr int kLastCellX = (kTextColumns - 1) * kCellWidth;  // 120
constexpr int kCursorPrintEnd = kTextColumns * kCellWidth;   // 126: column 21 written

struct PenPosition {
  int x;
  int y;
  int line;  // the cursor line, moved by the new-line code
};

Blend BlendOfMode(int mode) {
  if (mode & kPrintXor) return Blend::kXor;
  if (mode & kPrintOr) return Blend::kOr;
  return Blend::kReplace;
}

void DrawNormalGlyph(const uint8_t* glyph, int x, int y, int mode, bool cleanEdge) {
  const Blend blend = BlendOfMode(mode);
  const DotSpan span(x);
  for (int r = 0; r < kCellHeight; ++r) {
    const int row = y + r;
    if (row < 0) continue;
    if (row >= kLcdHeight) break;
    uint8_t bits = glyph[r] & kCellMask;
    if (mode & kPrintReverse) bits = ~bits & kCellMask;
    span.Apply(row, bits, kCellMask, blend);
    // Dots 126 and 127 lie beyond the last cell; keep them clear so the
    // line ends clean.
    if (cleanEdge) VramAddress()[row * kLcdRowBytes + kLcdRowBytes - 1] &= 0xFC;
  }
}

// Draws codes from s until the string ends, the pen reaches xEnd or the
// bottom, or a code has no glyph. Returns the rest of the string.
const char* DrawNormalText(PenPosition& pen, const char* s, int mode, int xEnd, bool cursorPrint) {
  while (pen.x < xEnd && pen.y < kLcdHeight) {
    const char* before = s;
    const uint16_t code = ReadCharCode(&s);
    if (code == 0) return before;
    // Left of the screen a character is passed over a cell at a time.
    if (pen.x < 0) {
      pen.x += kCellWidth;
      continue;
    }
    switch (code) {
      case kCodePenLeft:
        pen.x -= kCellWidth;
        continue;
      case kCodePenRight:
        pen.x += kCellWidth;
        continue;
      case kCodePenHome:
        pen.x = 0;
        continue;
      case kCodeNewLine:
        pen.y += kCellHeight;
        pen.line = std::min(pen.line + 1, kTextLines - 1);
        continue;
    }
    const uint8_t* glyph = NormalGlyph(code);
    if (!glyph) return before;
    DrawNormalGlyph(glyph, pen.x, pen.y, mode, cursorPrint && pen.x == kLastCellX);
    pen.x += kCellWidth;
  }
  return s;
}

// The cursor prints: from the cursor, at most through column 21, then
// spaces through padTo (1-based, 0 for none); the cursor follows the pen.
void CursorPrint(const char* s, int mode, int padTo) {
  PenPosition pen{gCursor.column * kCellWidth, gCursor.line * kCellHeight, gCursor.line};
  DrawNormalText(pen, s, mode, kCursorPrintEnd, true);
  const int padEnd = std::min(padTo * kCellWidth, kCursorPrintEnd);
  while (pen.x < padEnd && pen.y < kLcdHeight) {
    const int x = pen.x;
    DrawNormalText(pen, " ", mode, kCursorPrintEnd, true);
    if (pen.x == x) break;  // no glyph for the space
  }
  gCursor.column = pen.x < kCursorPrintEnd ? std::max(pen.x, 0) / kCellWidth : kTextColumns - 1;
  gCursor.line = pen.line;
}

void CursorPrintFirst(const char* s, int mode) {
  char one[3];
  EncodeCharCode(ReadCharCode(&s), one);
  CursorPrint(one, mode, 0);
}

// ---- Mini font -----------------------------------------------------------------

constexpr int kMiniRows = 6;
constexpr int kMiniInternalReverse = 1;
constexpr int kMiniInternalOr = 2;

// Applications number OR 1 and reverse 2; the drawing code the other way round.
int InternalMiniMode(int mode) {
  const int low = mode & 3, above = mode & ~3;
  if (mode < 0 || (above != 0 && above != 16 && above != 32)) return 16;
  const int swapped = low == 1 ? 2 : low == 2 ? 1 : low;
  return above | swapped;
}

// Draws the leftmost `cut` dots of a glyph whose rows are right-aligned to
// `width` dots, with the blank rows the mode puts above it.
void DrawMiniRows(int x, int y, const uint8_t rows[kMiniRows], int width, int cut, int internal) {
  cut = std::clamp(cut, 0, 8);
  if (cut == 0) return;
  const uint8_t mask = kLeftFill[cut & 7];
  const int above = (internal & 32) ? 2 : (internal & 16) ? 1 : 0;
  const Blend blend = (internal & kMiniInternalOr) ? Blend::kOr : Blend::kReplace;
  const DotSpan span(x);
  for (int r = -above; r < kMiniRows; ++r) {
    uint8_t bits = 0;
    if (r >= 0 && width > 0)
      bits = static_cast<uint8_t>(width <= 8 ? rows[r] << (8 - width) : rows[r] >> (width - 8));
    bits &= mask;
    if (internal & kMiniInternalReverse) bits = ~bits & mask;
    span.Apply(y + r, bits, mask, blend);
  }
}

}  // namespace

// ---- Character codes -------------------------------------------------------------

uint16_t ReadCharCode(const char** s) {
  const uint8_t first = static_cast<uint8_t>(**s);
  if (first == 0) return 0;
  if (!IsLeadByte(first)) {
    ++*s;
    return first;
  }
  const uint8_t second = static_cast<uint8_t>((*s)[1]);
  if (second == 0) {
    ++*s;
    return 0;
  }
  *s += 2;
  return static_cast<uint16_t>(first << 8 | second);
}

int EncodeCharCode(uint16_t code, char out[3]) {
  int n = 0;
  if (code > 0xFF) out[n++] = static_cast<char>(code >> 8);
  out[n++] = static_cast<char>(code & 0xFF);
  out[n] = 0;
  return code == 0 ? 0 : n;
}

// ---- Cursor --------------------------------------------------------------------------

void Locate(int column, int line) {
  if (column < 1 || column > kTextColumns || line < 1 || line > kTextLines) return;
  gCursor.column = column - 1;
  gCursor.line = line - 1;
}

TextCursorInfo GetCursorPosition() {
  return TextCursorInfo{gCursor.column, gCursor.line, gCursor.shape, gCursor.visible};
}

int SetCursorShape(int kind) {
  if (kind < 0 || kind >= kCursorKindCount) return 0;
  gCursor.kind = kind;
  gCursor.shape = kShapeOfKind[kind];
  gCursor.visible = true;
  return 1;
}

void HideCursor() {
  gCursor.visible = false;
}

void SaveCursor(CursorState* state) {
  state->kind = gCursor.visible ? gCursor.kind.load() : -1;
  state->column = gCursor.column + 1;
  state->line = gCursor.line + 1;
  state->direct = 1;  // the position is exact; no range check needed
}

void RestoreCursor(const CursorState& state) {
  if (state.direct) {
    gCursor.column = state.column - 1;
    gCursor.line = state.line - 1;
  } else {
    Locate(state.column, state.line);
  }
  if (state.kind >= 0) {
    SetCursorShape(state.kind);
  } else {
    HideCursor();
  }
}

void RefreshCursorShape() {
  const bool overwrite = GetSetupItem(kSetupInsertMode) == kInsertOverwrite;
  const uint8_t shift = GetSetupItem(kSetupShiftState);
  const ShiftKinds* kinds = &kKindsByShift[0];
  for (const ShiftKinds& k : kKindsByShift)
    if (k.shiftState == shift) kinds = &k;
  SetCursorShape(overwrite ? kinds->overwriteKind : kinds->insertKind);
}

void ResetTextCursor() {
  gCursor.column = 0;
  gCursor.line = 0;
  gCursor.kind = 0;
  gCursor.shape = 0;
  gCursor.visible = false;
}

// ---- Normal font prints ----------------------------------------------------------------

void PrintChar(const char* s) {
  CursorPrintFirst(s, 0);
}
void PrintCharRev(const char* s) {
  CursorPrintFirst(s, kPrintReverse);
}
void Print(const char* s) {
  CursorPrint(s, 0, 0);
}
void PrintRev(const char* s) {
  CursorPrint(s, kPrintReverse, 0);
}
void PrintPadded(const char* s, int lastColumn) {
  CursorPrint(s, 0, lastColumn);
}
void PrintRevPadded(const char* s, int lastColumn) {
  CursorPrint(s, kPrintReverse, lastColumn);
}

void PrintXY(int x, int y, const char* s, int mode) {
  PenPosition pen{x, y, 0};
  DrawNormalText(pen, s, mode, kLcdWidth, false);
}

// ---- Mini font prints ------------------------------------------------------------------

int PrintMini(int* x, int y, const char* s, int mode, int limit) {
  const int internal = InternalMiniMode(mode);
  int result = 1;
  bool padding = false;
  for (;;) {
    if (limit == 0) return result;
    uint16_t code = padding ? ' ' : ReadCharCode(&s);
    if (code == 0) {
      if (limit < 0) return 1;
      padding = true;
      code = ' ';
    }
    MiniGlyphRef glyph;
    if (!MiniGlyph(code, &glyph)) return result;
    uint8_t rows[kMiniRows];
    const int width = MiniGlyphRows(glyph, rows);
    if (width < 1) return result;
    int cut = width;
    if (limit >= 0) {
      if (cut > limit) {
        cut = limit;
        result = 0;
      }
      limit -= cut;
    } else if (int64_t{*x} + width > kLcdWidth) {
      return 0;
    }
    DrawMiniRows(*x, y, rows, width, cut, internal);
    *x += cut;
  }
}

int PrintMiniChar(int x, int y, uint16_t code, int mode) {
  MiniGlyphRef glyph;
  if (!MiniGlyph(code, &glyph)) return 0;
  uint8_t rows[kMiniRows];
  const int width = MiniGlyphRows(glyph, rows);
  DrawMiniRows(x, y, rows, width, width, InternalMiniMode(mode));
  return std::max(width, 0);
}

int PrintMiniAtCell(int column, int line, const char* s, int mode) {
  int x = 4 * column - 4;
  if (!PrintMini(&x, 8 * line - 6, s, mode, kMiniNoLimit)) return 0;
  return x / 4 + 1;
}

int PrintMiniAtCell(int column, int line, uint16_t code, int mode) {
  char one[3];
  EncodeCharCode(code, one);
  return PrintMiniAtCell(column, line, one, mode);
}
