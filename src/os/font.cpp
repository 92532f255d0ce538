// Glyph lookup over the tables that fontgen generates from data/fonts/.
#include "os/font.h"

#include "os/font_tables.h"

using namespace font_tables;

namespace {

// Index into kNormalPages for a full page, -1 otherwise.
int FullPage(unsigned lead) {
  switch (lead) {
    case 0x00:
      return 0;
    case 0x7F:
      return 1;
    case 0xE5:
      return 2;
    case 0xE6:
      return 3;
    default:
      return -1;
  }
}

// Index into the one-glyph pages, -1 otherwise.
int FixedPage(unsigned lead) {
  switch (lead) {
    case 0xE7:
      return 0;
    case 0xF9:
      return 1;
    case 0xF7:
      return 2;
    default:
      return -1;
  }
}

bool Fill(MiniGlyphRef* out, const uint8_t* data, MiniPair pair) {
  if (pair.width == kMiniNone) return false;
  out->pageData = data;
  out->offset = pair.offset;
  out->width = pair.width;
  return true;
}

}  // namespace

const uint8_t* NormalGlyph(uint16_t code) {
  unsigned lead = code >> 8, low = code & 0xFF;
  int fixed = FixedPage(lead);
  if (fixed >= 0) return kNormalFixed[fixed];
  int page = FullPage(lead);
  if (page < 0) return nullptr;
  const NormalPage& p = kNormalPages[page];
  if (!(p.present[low / 8] & (1u << (low % 8)))) return nullptr;
  return p.glyphs[low];
}

bool MiniGlyph(uint16_t code, MiniGlyphRef* out) {
  unsigned lead = code >> 8, low = code & 0xFF;
  switch (lead) {
    case 0x00:
      return Fill(out, kMiniSingleData, kMiniSingle[low]);
    case 0x7F: {
      int slot = low == 'P' ? 0 : low == 'S' ? 1 : low == 'T' ? 2 : low == 0xC7 ? 3 : 4;
      return Fill(out, kMini7FData, kMini7F[slot]);
    }
    case 0xE5:
      if (low >= 0xB0 && low <= 0xDF)
        return Fill(out, kMiniE5Data, kMiniE5Tables[(low - 0xB0) / 16][low & 15]);
      return Fill(out, kMiniE5Data, kMiniE5Single[low == 'C' ? 0 : low == 'Q' ? 1 : 2]);
    case 0xE6: {
      const MiniListEntry* e = kMiniE6List;
      while (e->code != 0 && e->code != low) ++e;
      return Fill(out, kMiniE6Data, MiniPair{e->offset, e->width});
    }
    default: {
      int fixed = FixedPage(lead);
      return fixed >= 0 && Fill(out, kMiniFixedData, kMiniFixed[fixed]);
    }
  }
}

bool MiniHasOwnGlyph(uint16_t code) {
  unsigned lead = code >> 8, low = code & 0xFF;
  MiniGlyphRef own, fallback;
  switch (lead) {
    case 0x00:
      return MiniGlyph(code, &own);
    case 0x7F:
      return low == 'P' || low == 'S' || low == 'T' || low == 0xC7;
    case 0xE5:
      if (low == 'C' || low == 'Q') return true;
      if (low < 0xB0 || low > 0xDF) return false;
      MiniGlyph(code, &own);
      MiniGlyph(0xE500, &fallback);
      return own.offset != fallback.offset || own.width != fallback.width;
    case 0xE6:
      for (const MiniListEntry* e = kMiniE6List; e->code != 0; ++e)
        if (e->code == low) return low != 0;
      return false;
    default:
      return FixedPage(lead) >= 0;
  }
}

int MiniGlyphRows(const MiniGlyphRef& glyph, uint8_t rows[6]) {
  for (int r = 0; r < 6; ++r) rows[r] = 0;
  if (!glyph.pageData || glyph.width < 0 || glyph.width > 8) return 0;
  int width = glyph.width == 0 ? 4 : glyph.width;
  const uint8_t* data = glyph.pageData + glyph.offset;
  if (width < 5) {
    for (int r = 0; r < 6; ++r) {
      int nibble = (r % 2 == 0) ? data[r / 2] >> 4 : data[r / 2] & 0x0F;
      rows[r] = static_cast<uint8_t>(nibble >> (4 - width));
    }
  } else {
    for (int r = 0; r < 5; ++r) rows[r] = static_cast<uint8_t>(data[r] >> (8 - width));
  }
  return width;
}
