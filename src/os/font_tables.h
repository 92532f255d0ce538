// The glyph and character tables that fontgen writes from data/fonts/ at
// build time. Only font.cpp and charset.cpp read them; everyone else goes
// through font.h and charset.h.
#pragma once

#include <cstdint>

namespace font_tables {

// Normal font pages with a full table: the single-byte codes, then the
// pages 0x7F, 0xE5 and 0xE6. `present` has one bit per code (bit c % 8 of
// byte c / 8): a code without it has no glyph.
struct NormalPage {
  uint8_t glyphs[256][8];
  uint8_t present[32];
};
extern const NormalPage kNormalPages[4];
// The one glyph of each of the pages 0xE7, 0xF9 and 0xF7, in that order.
extern const uint8_t kNormalFixed[3][8];

// Mini font: offset into the page's glyph data and width (0 means 4).
struct MiniPair {
  uint16_t offset;
  int16_t width;
};
// A width of -1 in the single-byte table marks a code without a glyph.
inline constexpr int16_t kMiniNone = -1;
struct MiniListEntry {
  uint16_t code;  // second byte; 0 ends the list and holds the default
  uint16_t offset;
  int16_t width;
};

extern const uint8_t kMiniSingleData[];
extern const MiniPair kMiniSingle[256];
// 'P', 'S', 'T', 0xC7, then the default for every other second byte.
extern const uint8_t kMini7FData[];
extern const MiniPair kMini7F[5];
// Second bytes 0xB0..0xBF, 0xC0..0xCF and 0xD0..0xDF; then 'C', 'Q' and the
// default for every other second byte. Table entries without a glyph of their
// own repeat the default pair.
extern const uint8_t kMiniE5Data[];
extern const MiniPair kMiniE5Tables[3][16];
extern const MiniPair kMiniE5Single[3];
extern const uint8_t kMiniE6Data[];
extern const MiniListEntry kMiniE6List[];
// One glyph each for the pages 0xE7, 0xF9 and 0xF7.
extern const uint8_t kMiniFixedData[];
extern const MiniPair kMiniFixed[3];

// The character set: every code with a glyph of its own or a Unicode text.
struct CharsetEntry {
  uint16_t code;
  const char* utf8;  // "" when the code stands for no Unicode character
};
extern const CharsetEntry kCharset[];  // sorted by code
extern const int kCharsetCount;
// Unicode text to code, sorted bytewise by text; holds the preferred code of
// each text and the extra spellings ("also=") of the data file.
struct CharsetReverse {
  const char* utf8;
  uint16_t code;
};
extern const CharsetReverse kCharsetReverse[];
extern const int kCharsetReverseCount;

}  // namespace font_tables
