#include "host/cli/tui_input.h"

#include <cctype>

#include "host/services/key_tables.h"

namespace {

constexpr char kEsc = 0x1B;
constexpr char kCtrlC = 0x03, kCtrlL = 0x0C, kCtrlQ = 0x11, kCtrlZ = 0x1A;

// PC keys by the names printed on them, with the Alt+letter that stands in
// for the key on keyboards without it. The calculator key each one presses
// comes from the PC key table.
struct NamedPcKey {
  int virtualKey;
  const char* name;
  char alt;      // 0: every keyboard has the key
  bool obvious;  // a PC user guesses it; the help drops these first
};
constexpr NamedPcKey kNamedKeys[] = {
    {kVkReturn, "Enter", 0, true}, {kVkEscape, "Esc", 0, true},   {kVkBack, "Bksp", 0, true},
    {kVkTab, "Tab", 0, false},     {kVkNext, "PgDn", 'm', false}, {kVkInsert, "Ins", 's', false},
    {kVkEnd, "End", 'a', false},   {kVkHome, "Home", 'o', false}, {kVkPrior, "PgUp", 'v', false},
};
constexpr int kFunctionKeys = 6;  // F1-F6, also Alt+1 .. Alt+6

// xterm's "CSI n ~" keys.
struct TildeKey {
  int number;
  int virtualKey;
};
constexpr TildeKey kTildeKeys[] = {
    {1, kVkHome}, {2, kVkInsert}, {3, kVkDelete}, {4, kVkEnd}, {5, kVkPrior},
    {6, kVkNext}, {7, kVkHome},   {8, kVkEnd},    {11, kVkF1}, {12, kVkF2},
    {13, kVkF3},  {14, kVkF4},    {15, kVkF5},    {17, kVkF6},
};

// The last byte of "CSI ... x" and "SS3 x" keys (cursor keys, Home/End, F1-F4).
int FinalByteKey(char c) {
  switch (c) {
    case 'A':
      return kVkUp;
    case 'B':
      return kVkDown;
    case 'C':
      return kVkRight;
    case 'D':
      return kVkLeft;
    case 'H':
      return kVkHome;
    case 'F':
      return kVkEnd;
    case 'P':
      return kVkF1;
    case 'Q':
      return kVkF2;
    case 'R':
      return kVkF3;
    case 'S':
      return kVkF4;
    default:
      return 0;
  }
}

// Keypad keys in application mode ("SS3 j" .. "SS3 y") are their characters.
int KeypadCharacter(char c) {
  static const char kKeypad[] = "*+,-./0123456789";  // from 'j'
  if (c >= 'j' && c <= 'y') return kKeypad[c - 'j'];
  if (c == 'X') return '=';
  return 0;
}

const char* CalculatorLegend(int virtualKey) {
  const PcKeyRow* pc = PcKeyOf(virtualKey);
  const KeyRect* face = pc ? KeyRectOf(pc->code) : nullptr;
  return face ? face->legend : "";
}

// Columns of UTF-8 text: one per character.
int Columns(const std::string& s) {
  int n = 0;
  for (unsigned char b : s) n += (b & 0xC0) != 0x80;
  return n;
}

TermKey Vk(int vk) {
  return TermKey{TermKey::kVirtualKey, vk};
}

}  // namespace

int AltFallbackKey(int character) {
  if (character >= '1' && character < '1' + kFunctionKeys) return kVkF1 + (character - '1');
  int lower = std::tolower(character);
  for (const NamedPcKey& k : kNamedKeys)
    if (k.alt && k.alt == lower) return k.virtualKey;
  return 0;
}

void TermKeyDecoder::Feed(const char* bytes, size_t count) {
  pending_.append(bytes, count);
  flushing_ = false;
}

bool TermKeyDecoder::Next(TermKey* key) {
  while (!pending_.empty()) {
    // Enter sends CR, pasted lines may end in CR LF: one EXE for the pair.
    if (pending_[0] == '\n' && afterCarriageReturn_) {
      pending_.erase(0, 1);
      afterCarriageReturn_ = false;
      continue;
    }
    bool got = false;
    size_t used = DecodeFront(key, &got);
    if (used == 0) return false;
    afterCarriageReturn_ = used == 1 && pending_[0] == '\r';
    pending_.erase(0, used);
    if (got) return true;
  }
  flushing_ = false;
  return false;
}

size_t TermKeyDecoder::DecodeFront(TermKey* key, bool* got) const {
  const std::string& p = pending_;
  const auto u = [&](size_t i) { return static_cast<unsigned char>(p[i]); };
  *got = true;
  const char c = p[0];
  if (c == kEsc) {
    if (p.size() < 2) {
      if (!flushing_) return 0;
      *key = Vk(kVkEscape);
      return 1;
    }
    const char second = p[1];
    if (second == '[' || second == 'O') {
      // A sequence cut short by the wait is an Esc (or an Alt+letter) after all.
      const auto cutShort = [&]() -> size_t {
        if (!flushing_) return 0;
        int alt = AltFallbackKey(second);
        *key = Vk(alt ? alt : kVkEscape);
        return alt ? 2 : 1;
      };
      if (second == 'O') {
        if (p.size() < 3) return cutShort();
        if (int vk = FinalByteKey(p[2])) {
          *key = Vk(vk);
        } else if (int ch = KeypadCharacter(p[2])) {
          *key = TermKey{TermKey::kCharacter, ch};
        } else if (p[2] == 'M') {
          *key = Vk(kVkReturn);  // keypad Enter
        } else {
          *got = false;
        }
        return 3;
      }
      // The Linux console sends F1-F5 as "ESC [ [ A" .. "ESC [ [ E".
      if (p.size() >= 3 && p[2] == '[') {
        if (p.size() < 4) return cutShort();
        char f = p[3];
        if (f >= 'A' && f <= 'E') {
          *key = Vk(kVkF1 + (f - 'A'));
        } else {
          *got = false;
        }
        return 4;
      }
      // CSI: parameter bytes, intermediate bytes, one final byte. Only the
      // first parameter names a key; modifiers after ';' are ignored.
      constexpr size_t kLongest = 32;
      size_t i = 2;
      while (i < p.size() && u(i) >= 0x30 && u(i) <= 0x3F) ++i;
      const size_t paramsEnd = i;
      while (i < p.size() && u(i) >= 0x20 && u(i) <= 0x2F) ++i;
      if (i >= p.size() && i < kLongest) return cutShort();
      if (i >= p.size() || u(i) < 0x40 || u(i) > 0x7E) {  // malformed: drop what was read
        *got = false;
        return i;
      }
      const char final = p[i];
      int first = 0;
      for (size_t k = 2; k < paramsEnd && std::isdigit(u(k)) && first < 1000; ++k)
        first = first * 10 + (p[k] - '0');
      int vk = 0;
      if (final == '~') {
        for (const TildeKey& t : kTildeKeys)
          if (t.number == first) vk = t.virtualKey;
      } else {
        vk = FinalByteKey(final);
      }
      if (vk) {
        *key = Vk(vk);
      } else {
        *got = false;  // a key we do not use (F7-F12, Shift+Tab, ...)
      }
      return i + 1;
    }
    if (int alt = AltFallbackKey(second)) {
      *key = Vk(alt);
      return 2;
    }
    // Esc typed right before another key.
    *key = Vk(kVkEscape);
    return 1;
  }
  switch (c) {
    case kCtrlC:
    case kCtrlQ:
      *key = TermKey{TermKey::kQuit, 0};
      return 1;
    case kCtrlZ:
      *key = TermKey{TermKey::kSuspend, 0};
      return 1;
    case kCtrlL:
      *key = TermKey{TermKey::kRedraw, 0};
      return 1;
    case '\r':
    case '\n':
      *key = Vk(kVkReturn);
      return 1;
    case '\t':
      *key = Vk(kVkTab);
      return 1;
    case 0x7F:
    case 0x08:
      *key = Vk(kVkBack);
      return 1;
    case ' ':
      *key = Vk(kVkSpace);
      return 1;
    default:
      break;
  }
  const unsigned lead = u(0);
  if (lead < 0x20) {
    *got = false;  // other control keys do nothing
    return 1;
  }
  if (lead < 0x80) {
    *key = TermKey{TermKey::kCharacter, static_cast<int>(lead)};
    return 1;
  }
  const int extra = lead >= 0xF8 ? -1 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
  if (extra < 0) {
    *got = false;
    return 1;
  }
  unsigned cp = lead & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    if (static_cast<size_t>(k) >= p.size()) {
      if (!flushing_) return 0;
      *got = false;
      return static_cast<size_t>(k);
    }
    if ((u(k) & 0xC0) != 0x80) {
      *got = false;
      return static_cast<size_t>(k);  // malformed: drop the broken lead
    }
    cp = cp << 6 | (u(k) & 0x3F);
  }
  if (cp < 0xA0) {
    *got = false;  // C1 controls and overlong forms
  } else {
    *key = TermKey{TermKey::kCharacter, static_cast<int>(cp)};
  }
  return static_cast<size_t>(extra) + 1;
}

std::string KeyHelpLine(int width) {
  struct Attempt {
    bool alts;     // show the Alt+letter stand-ins
    bool obvious;  // keep Enter, Esc, Bksp
    const char* gap;
  };
  static constexpr Attempt kAttempts[] = {
      {true, true, "  "},   {false, true, "  "}, {false, true, " "},
      {false, false, "  "}, {false, false, " "},
  };
  std::string line;
  for (const Attempt& a : kAttempts) {
    line = a.alts ? "Ctrl+Q quit" : "^Q quit";
    for (const NamedPcKey& k : kNamedKeys) {
      if (k.obvious && !a.obvious) continue;
      line += a.gap;
      line += k.name;
      if (a.alts && k.alt) {
        line += "/Alt+";
        line += static_cast<char>(std::toupper(k.alt));
      }
      line += ' ';
      line += CalculatorLegend(k.virtualKey);
    }
    const std::string last = std::to_string(kFunctionKeys);
    line += a.gap;
    line += (a.alts ? "F1-F" : "F1-") + last + "/Alt+1-" + last;
    if (Columns(line) <= width) return line;
  }
  // Narrower than any attempt: cut, never in the middle of a character.
  size_t end = 0;
  for (int cols = 0; end < line.size() && cols < width; ++cols) do
      ++end;
    while (end < line.size() && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80);
  return line.substr(0, end);
}
