// Character code <-> Unicode over the tables fontgen writes from
// data/fonts/normal.txt.
#include "os/charset.h"

#include <algorithm>
#include <cstring>

#include "os/font_tables.h"

using namespace font_tables;

const char* CharToUtf8(uint16_t code) {
  const CharsetEntry* end = kCharset + kCharsetCount;
  const CharsetEntry* e = std::lower_bound(
      kCharset, end, code, [](const CharsetEntry& a, uint16_t c) { return a.code < c; });
  if (e == end || e->code != code || e->utf8[0] == '\0') return nullptr;
  return e->utf8;
}

namespace {

// The same reading as the text prints use: a lead byte takes the next byte
// along, and a lead byte right before the end is the end.
uint16_t NextCode(const uint8_t** cursor) {
  const uint8_t* p = *cursor;
  bool lead =
      p[0] == 0x7F || p[0] == 0xE5 || p[0] == 0xE6 || p[0] == 0xE7 || p[0] == 0xF7 || p[0] == 0xF9;
  if (p[0] == 0 || (lead && p[1] == 0)) return 0;
  *cursor = p + (lead ? 2 : 1);
  return lead ? static_cast<uint16_t>(p[0] << 8 | p[1]) : p[0];
}

// Byte length of the UTF-8 sequence that starts with `lead`; 0 if malformed.
size_t Utf8Length(std::string_view text) {
  auto lead = static_cast<unsigned char>(text[0]);
  size_t n = lead < 0x80         ? 1
             : (lead >> 5) == 6  ? 2
             : (lead >> 4) == 14 ? 3
             : (lead >> 3) == 30 ? 4
                                 : 0;
  if (n == 0 || n > text.size()) return 0;
  for (size_t i = 1; i < n; ++i)
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 0;
  return n;
}

}  // namespace

uint16_t Utf8ToChar(std::string_view utf8, size_t* used) {
  *used = 0;
  const CharsetReverse* end = kCharsetReverse + kCharsetReverseCount;
  uint16_t best = 0;
  // Try ever longer whole characters; texts are a few code points at most.
  size_t length = 0;
  for (int points = 0; points < 4 && length < utf8.size(); ++points) {
    size_t n = Utf8Length(utf8.substr(length));
    if (n == 0) break;
    length += n;
    std::string_view prefix = utf8.substr(0, length);
    const CharsetReverse* e = std::lower_bound(
        kCharsetReverse, end, prefix,
        [](const CharsetReverse& a, std::string_view t) { return std::string_view(a.utf8) < t; });
    if (e != end && std::string_view(e->utf8) == prefix) {
      best = e->code;
      *used = length;
    }
  }
  return best;
}

std::string CalcToUtf8(const uint8_t* text) {
  std::string out;
  while (uint16_t code = NextCode(&text)) {
    const char* utf8 = CharToUtf8(code);
    out += utf8 ? utf8 : "\xEF\xBF\xBD";
  }
  return out;
}

std::string Utf8ToCalc(std::string_view utf8, int* unmapped) {
  std::string out;
  int missing = 0;
  while (!utf8.empty()) {
    size_t used;
    uint16_t code = Utf8ToChar(utf8, &used);
    if (code == 0) {
      size_t n = Utf8Length(utf8);
      utf8.remove_prefix(n ? n : 1);
      ++missing;
      continue;
    }
    if (code > 0xFF) out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
    utf8.remove_prefix(used);
  }
  if (unmapped) *unmapped = missing;
  return out;
}
