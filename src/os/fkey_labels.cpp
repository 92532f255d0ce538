#include "os/fkey_labels.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "os/charset.h"
#include "os/font.h"
#include "os/text.h"

extern const char kFKeyLabelText[];  // data/fkeys/labels.txt, embedded

namespace {

constexpr int kLabelCalcBytes = 16;
constexpr int kLabelUtf8Bytes = 32;
constexpr int kAllIcons = kFKeyLabelCount + kUserIconCount;

struct Label {
  char calc[kLabelCalcBytes];
  char utf8[kLabelUtf8Bytes];
  bool tab;
  bool iconDrawn;
  uint8_t icon[kIconBytes];
};

struct LabelTable {
  Label labels[kAllIcons];
  LabelTable();
};

// One data line: "[u]NUMBER STYLE TEXT". Lines the table cannot hold are
// skipped; the label tests read the same text and report them.
void ParseLine(const std::string& line, LabelTable* t) {
  if (line.empty() || line[0] == ';') return;
  size_t pos = 0;
  bool user = line[0] == 'u';
  if (user) pos = 1;
  char* end = nullptr;
  long number = std::strtol(line.c_str() + pos, &end, 10);
  if (end == line.c_str() + pos || *end != ' ') return;
  std::string rest(end + 1);
  bool tab;
  if (rest.rfind("tab ", 0) == 0)
    tab = true;
  else if (rest.rfind("key ", 0) == 0)
    tab = false;
  else
    return;
  std::string text = rest.substr(4);
  long limit = user ? kUserIconCount : kFKeyLabelCount;
  if (number < 0 || number >= limit) return;
  std::string calc = Utf8ToCalc(text);
  if (calc.size() >= kLabelCalcBytes || text.size() >= kLabelUtf8Bytes) return;
  Label& l = t->labels[user ? kFKeyLabelCount + number : number];
  std::memcpy(l.calc, calc.c_str(), calc.size() + 1);
  std::memcpy(l.utf8, text.c_str(), text.size() + 1);
  l.tab = tab;
}

LabelTable::LabelTable() : labels{} {
  const char* p = kFKeyLabelText;
  while (*p) {
    const char* nl = std::strchr(p, '\n');
    size_t n = nl ? static_cast<size_t>(nl - p) : std::strlen(p);
    ParseLine(std::string(p, n), this);
    p += n + (nl ? 1 : 0);
  }
}

LabelTable& Table() {
  static LabelTable table;
  return table;
}

void Dot(uint8_t* bits, int x, int y, bool dark) {
  uint8_t& b = bits[y * kIconRowBytes + x / 8];
  const uint8_t mask = static_cast<uint8_t>(0x80 >> (x % 8));
  b = dark ? static_cast<uint8_t>(b | mask) : static_cast<uint8_t>(b & ~mask);
}

// A dark box of 20 x 8 dots with the label cut into it in light dots,
// centred; column 20 stays light as the gap to the next icon. A tab has its
// top right corner cut away.
void DrawIcon(const Label& l, uint8_t* bits) {
  std::memset(bits, 0, kIconBytes);
  if (l.calc[0] == 0) return;
  for (int y = 0; y < kIconHeight; ++y)
    for (int x = 0; x < kIconWidth - 1; ++x) Dot(bits, x, y, true);
  if (l.tab) {
    static const int kCut[][2] = {{17, 0}, {18, 0}, {19, 0}, {18, 1}, {19, 1}, {19, 2}};
    for (const auto& c : kCut) Dot(bits, c[0], c[1], false);
  }
  // The glyphs, each with its spacing column on the left.
  struct Glyph {
    uint8_t rows[6];
    int width;
  };
  Glyph glyphs[kLabelCalcBytes];
  int count = 0, width = 0;
  const char* s = l.calc;
  for (uint16_t code = ReadCharCode(&s); code != 0 && count < kLabelCalcBytes;
       code = ReadCharCode(&s)) {
    MiniGlyphRef g;
    if (!MiniGlyph(code, &g)) continue;
    Glyph& glyph = glyphs[count++];
    glyph.width = MiniGlyphRows(g, glyph.rows);
    width += glyph.width;
  }
  // A label wider than the box gives up spacing columns between glyphs,
  // first where the two glyphs would touch least, rather than lose its ends
  // and the box's edges.
  // A tab's cut corner takes column 18 of the first text row.
  const int room = kIconTextWidth - (l.tab ? 2 : 1);
  const auto blankLead = [](const Glyph& g) {
    for (uint8_t row : g.rows)
      if (g.width > 0 && (row & (1 << (g.width - 1)))) return false;
    return g.width > 1;
  };
  while (width > room) {
    int best = -1, bestTouch = 7;
    for (int i = 1; i < count; ++i) {
      if (!blankLead(glyphs[i])) continue;
      int touch = 0;
      for (int r = 0; r < 6; ++r)
        touch += (glyphs[i - 1].rows[r] & 1) && (glyphs[i].rows[r] & (1 << (glyphs[i].width - 2)));
      if (touch < bestTouch) best = i, bestTouch = touch;
    }
    if (best < 0) break;
    --glyphs[best].width;  // the rows keep their dots; the blank top bit goes
    --width;
  }
  // Centred between the box's edges (column 0 and the last stay dark).
  int x = width > room ? room - width : (room - width) / 2;
  for (int i = 0; i < count; ++i) {
    const Glyph& g = glyphs[i];
    for (int r = 0; r < 6; ++r)
      for (int c = 0; c < g.width; ++c)
        if ((g.rows[r] & (1 << (g.width - 1 - c))) && x + c >= 0 && x + c < room)
          Dot(bits, x + c, 1 + r, false);
    x += g.width;
  }
}

const uint8_t* IconOf(int slot) {
  Label& l = Table().labels[slot];
  if (!l.iconDrawn) {
    DrawIcon(l, l.icon);
    l.iconDrawn = true;
  }
  return l.icon;
}

}  // namespace

const char* FKeyLabel(int icon) {
  if (icon < 0 || icon >= kFKeyLabelCount) return "";
  return Table().labels[icon].calc;
}

const char* UserIconLabel(int number) {
  if (number < 0 || number >= kUserIconCount) return "";
  return Table().labels[kFKeyLabelCount + number].calc;
}

int FKeyIconOfLabel(const char* utf8, bool tab) {
  if (!utf8 || !*utf8) return 0;
  for (int i = 1; i < kFKeyLabelCount; ++i)
    if (Table().labels[i].tab == tab && std::strcmp(Table().labels[i].utf8, utf8) == 0) return i;
  return 0;
}

bool FKeyLabelIsTab(int icon) {
  return icon > 0 && icon < kFKeyLabelCount && Table().labels[icon].tab;
}

int MiniTextWidth(const char* text, bool* allDrawn) {
  int width = 0;
  bool all = true;
  for (uint16_t code = ReadCharCode(&text); code != 0; code = ReadCharCode(&text)) {
    MiniGlyphRef g;
    if (!MiniGlyph(code, &g) || !MiniHasOwnGlyph(code)) {
      all = false;
      if (!MiniGlyph(code, &g)) continue;
    }
    width += g.width == 0 ? 4 : g.width;
  }
  if (allDrawn) *allDrawn = all;
  return width;
}

const uint8_t* FKeyIconBits(int icon) {
  static const uint8_t kBlank[kIconBytes] = {};
  if (icon < 0 || icon >= kFKeyLabelCount) return kBlank;
  return IconOf(icon);
}

const uint8_t* UserIconBits(int number) {
  static const uint8_t kBlank[kIconBytes] = {};
  if (number < 0 || number >= kUserIconCount) return kBlank;
  return IconOf(kFKeyLabelCount + number);
}
