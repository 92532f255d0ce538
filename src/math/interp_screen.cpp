#include "math/interp_screen.h"

#include <cstring>

#include "math/token.h"
#include "os/charset.h"
#include "os/messages.h"

namespace {

constexpr uint16_t kBlank = ' ';

uint16_t NextCode(const uint8_t** p) {
  uint16_t c = **p;
  if (c == 0) return 0;
  ++*p;
  if (TokenIsLead(uint8_t(c)) && **p) c = uint16_t(c << 8 | *(*p)++);
  return c;
}

// The codes of a text up to the end or a line break (0x0D).
int Codes(const uint8_t** p, uint16_t* out, int max) {
  int n = 0;
  for (;;) {
    const uint8_t* before = *p;
    uint16_t c = NextCode(p);
    if (c == 0 || c == kTokNewLine) {
      if (c == 0) *p = before;
      return n;
    }
    if (n < max) out[n] = c;
    ++n;
  }
}

void MessageText(int number, char out[64]) {
  char buffer[kMessageBufferBytes];
  GetMessage(number, buffer);
  std::strcpy(out, buffer);
}

}  // namespace

void ScreenClear(TextScreen* screen) {
  for (int l = 1; l <= kScreenLines; ++l) ScreenBlankLine(screen, l);
  screen->line = 0;
}

void ScreenBlankLine(TextScreen* screen, int line) {
  if (line < 1 || line > kScreenLines) return;
  for (uint16_t& c : screen->cells[line - 1]) c = kBlank;
}

int ScreenNextLine(TextScreen* screen) {
  if (screen->line < kScreenLines) return ++screen->line;
  std::memmove(screen->cells[0], screen->cells[1], sizeof screen->cells[0] * (kScreenLines - 1));
  ScreenBlankLine(screen, kScreenLines);
  return screen->line = kScreenLines;
}

int ScreenPrint(TextScreen* screen, const char* text, bool right) {
  const auto* p = reinterpret_cast<const uint8_t*>(text);
  int lines = 0;
  uint16_t codes[256];
  for (;;) {
    int n = Codes(&p, codes, 256);
    if (n > 256) n = 256;
    int start = 0;
    do {
      int line = ScreenNextLine(screen);
      ++lines;
      ScreenBlankLine(screen, line);
      int count = n - start < kScreenColumns ? n - start : kScreenColumns;
      int column = right && n <= kScreenColumns ? kScreenColumns - count : 0;
      for (int i = 0; i < count; ++i) screen->cells[line - 1][column + i] = codes[start + i];
      start += count;
    } while (start < n);
    if (*p == 0) return lines;  // else Codes() stopped after a line break
  }
}

void ScreenPut(TextScreen* screen, int column, int line, const char* text) {
  if (line < 1 || line > kScreenLines || column < 1) return;
  const auto* p = reinterpret_cast<const uint8_t*>(text);
  for (int c = column; c <= kScreenColumns; ++c) {
    uint16_t code = NextCode(&p);
    if (code == 0) break;
    screen->cells[line - 1][c - 1] = code;
  }
}

void AppendCodeUtf8(std::string* out, uint16_t c) {
  switch (c) {
    case 0x87:
    case 0x99:
      *out += '-';
      return;
    case 0x89:
      *out += '+';
      return;
    case 0x0F:
      *out += 'E';
      return;
    case 0x0D:
      return;
    case 0xBB:
      *out += "⌟";
      return;
    case 0x7F50:
      *out += 'i';
      return;
    case 0x7F54:
      *out += "∠";
      return;
    default:
      if (const char* u = CharToUtf8(c)) *out += u;
      return;
  }
}

std::string ScreenLineUtf8(const TextScreen& screen, int line) {
  std::string out;
  if (line < 1 || line > kScreenLines) return out;
  int last = kScreenColumns;
  while (last > 0 && screen.cells[line - 1][last - 1] == kBlank) --last;
  for (int i = 0; i < last; ++i) AppendCodeUtf8(&out, screen.cells[line - 1][i]);
  return out;
}

void ScreenDoneText(char out[64]) {
  MessageText(344, out);
}

void ScreenDispText(char out[64]) {
  MessageText(345, out);
}

std::string TokenLineText(const uint8_t* tokens) {
  std::string text;
  for (const uint8_t* p = tokens; TokenPeek(p) != 0;) {
    uint16_t code = TokenAdvance(&p);
    char name[kTokenNameBuffer];
    if (TokenName(code, name)) text += name;
  }
  return text;
}
