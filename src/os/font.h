// Glyph lookup of the calculator's two fonts. The tables behind these
// functions are generated at build time from the text-art files in
// data/fonts/, so the glyphs can be reviewed and edited by a person.
#pragma once

#include <cstdint>

// Normal font, 6 x 8: eight bytes, one per dot row from the top, the glyph
// in the six high bits (0x80 = leftmost dot), row 7 blank. nullptr when the
// code has no glyph (a print then ends there). Two-byte codes are
// lead * 256 + second byte.
const uint8_t* NormalGlyph(uint16_t code);

// Mini font, proportional, 6 rows high, as stored: the page's glyph data,
// the offset into it and the width (0 means 4). Glyphs narrower than 5 dots
// take 3 bytes (two rows a byte, even row in the high nibble); wider ones
// take 5 bytes (one row a byte, sixth row blank); leftmost dot = most
// significant bit of the row.
struct MiniGlyphRef {
  const uint8_t* pageData = nullptr;
  uint16_t offset = 0;
  int16_t width = 0;
};
// false when the code has no mini glyph. Codes of the pages 0x7F, 0xE5 and
// 0xE6 without a glyph of their own get their page's default glyph.
bool MiniGlyph(uint16_t code, MiniGlyphRef* out);
// Whether the code has a mini glyph drawn for it, rather than a page default.
bool MiniHasOwnGlyph(uint16_t code);

// Decodes a mini glyph into 6 rows, each right-aligned to `width` dots
// (bit width-1 = leftmost dot). Returns the width in dots (0 resolved to 4).
int MiniGlyphRows(const MiniGlyphRef& glyph, uint8_t rows[6]);
