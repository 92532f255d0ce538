// fontgen: turns the text-art fonts of data/fonts/ into the C++ tables that
// font.cpp and charset.cpp read (see os/font_tables.h).
//
//   fontgen NORMAL.txt MINI.txt OUT.cpp
//
// Any fault in the data (a malformed block, a glyph that breaks the storage
// rules, a code twice, two codes claiming one Unicode text) is reported as
// FILE:LINE and fails the build, so a bad edit never reaches the tables.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

// Page keys: 0 for single-byte codes, else the lead byte.
constexpr int kFixedLeads[3] = {0xE7, 0xF9, 0xF7};
constexpr int kFullLeads[4] = {0x00, 0x7F, 0xE5, 0xE6};

bool IsLead(int byte) {
  return byte == 0x7F || byte == 0xE5 || byte == 0xE6 || byte == 0xE7 || byte == 0xF7 ||
         byte == 0xF9;
}

struct Block {
  std::string file;
  int line = 0;
  // code >= 0: a character; else a special entry: -0x100 - lead for the one
  // glyph of a fixed page, -0x200 - lead for a page default.
  int code = 0;
  bool hasUnicode = false;
  std::vector<uint32_t> unicode;
  std::vector<std::vector<uint32_t>> also;
  int same = -1;
  bool secondary = false;  // its Unicode text reads back as another code
  std::vector<std::string> art;
};

int FixedKey(int lead) {
  return -0x100 - lead;
}
int DefaultKey(int lead) {
  return -0x200 - lead;
}

[[noreturn]] void Fail(const std::string& file, int line, const std::string& message) {
  std::fprintf(stderr, "%s:%d: %s\n", file.c_str(), line, message.c_str());
  std::exit(1);
}

bool IsSpace(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

std::vector<std::string> SplitWords(const std::string& line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsSpace(static_cast<unsigned char>(line[i]))) ++i;
    size_t start = i;
    while (i < line.size() && !IsSpace(static_cast<unsigned char>(line[i]))) ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

bool ParseHex(const std::string& text, long* value) {
  if (text.empty() || text.size() > 6) return false;
  long v = 0;
  for (char c : text) {
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else
      return false;
    v = v * 16 + d;
  }
  *value = v;
  return true;
}

// "0x41", "0xE60A", "page-E7", "default-E6".
bool ParseCode(const std::string& word, int* code) {
  long v;
  if (word.rfind("0x", 0) == 0 && (word.size() == 4 || word.size() == 6) &&
      ParseHex(word.substr(2), &v)) {
    *code = static_cast<int>(v);
    return true;
  }
  if (word.rfind("page-", 0) == 0 && ParseHex(word.substr(5), &v)) {
    *code = FixedKey(static_cast<int>(v));
    return std::find(std::begin(kFixedLeads), std::end(kFixedLeads), v) != std::end(kFixedLeads);
  }
  if (word.rfind("default-", 0) == 0 && ParseHex(word.substr(8), &v)) {
    *code = DefaultKey(static_cast<int>(v));
    return v == 0x7F || v == 0xE5 || v == 0xE6;
  }
  return false;
}

// "U+0041" or "U+0078+0304" (a sequence).
bool ParseUnicode(const std::string& word, std::vector<uint32_t>* out) {
  if (word.rfind("U+", 0) != 0) return false;
  std::stringstream parts(word.substr(2));
  std::string part;
  out->clear();
  while (std::getline(parts, part, '+')) {
    long v;
    if (part.size() < 4 || !ParseHex(part, &v) || v == 0 || v > 0x10FFFF ||
        (v >= 0xD800 && v <= 0xDFFF))
      return false;
    out->push_back(static_cast<uint32_t>(v));
  }
  return !out->empty();
}

std::string EncodeUtf8(const std::vector<uint32_t>& points) {
  std::string s;
  for (uint32_t c : points) {
    if (c < 0x80) {
      s += static_cast<char>(c);
    } else if (c < 0x800) {
      s += static_cast<char>(0xC0 | (c >> 6));
      s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      s += static_cast<char>(0xE0 | (c >> 12));
      s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      s += static_cast<char>(0xF0 | (c >> 18));
      s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      s += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return s;
}

bool IsArtLine(const std::string& line) {
  return !line.empty() && line.find_first_not_of("#.") == std::string::npos;
}

std::vector<Block> ReadBlocks(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail(path, 0, "cannot open");
  std::vector<Block> blocks;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    while (!line.empty() && IsSpace(static_cast<unsigned char>(line.back()))) line.pop_back();
    if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    if (line.empty() || line[0] == ';') continue;
    if (IsArtLine(line)) {
      if (blocks.empty() || blocks.back().same >= 0) Fail(path, number, "art without a header");
      blocks.back().art.push_back(line);
      continue;
    }
    std::vector<std::string> words = SplitWords(line);
    Block b;
    b.file = path;
    b.line = number;
    if (words.size() < 2 || !ParseCode(words[0], &b.code))
      Fail(path, number, "expected a header: CODE U+XXXX [char] [same=CODE] [also=U+XXXX]");
    if (b.code >= 0) {
      int lead = b.code >> 8, low = b.code & 0xFF;
      // A second byte 0 would read as the end of the string.
      bool ok =
          low != 0 && (lead == 0 ? !IsLead(low) : (lead == 0x7F || lead == 0xE5 || lead == 0xE6));
      if (!ok) Fail(path, number, "no page of the font holds this code: " + words[0]);
    }
    if (words[1] != "-") {
      if (!ParseUnicode(words[1], &b.unicode)) Fail(path, number, "bad Unicode field " + words[1]);
      b.hasUnicode = true;
    }
    bool sawLiteral = false;
    for (size_t i = 2; i < words.size(); ++i) {
      const std::string& w = words[i];
      if (w.rfind("same=", 0) == 0) {
        if (!ParseCode(w.substr(5), &b.same) || b.same < 0) Fail(path, number, "bad " + w);
      } else if (w.rfind("also=", 0) == 0) {
        std::vector<uint32_t> extra;
        if (!ParseUnicode(w.substr(5), &extra)) Fail(path, number, "bad " + w);
        b.also.push_back(extra);
      } else if (w == "secondary") {
        b.secondary = true;
      } else if (!sawLiteral && b.hasUnicode) {
        // The character as written must be the one the U+ field names.
        if (w != EncodeUtf8(b.unicode))
          Fail(path, number, "the character '" + w + "' is not " + words[1]);
        sawLiteral = true;
      } else {
        Fail(path, number, "unexpected word " + w);
      }
    }
    blocks.push_back(b);
  }
  return blocks;
}

std::string Where(const Block& b) {
  return b.file + ":" + std::to_string(b.line);
}

std::string Hex(int v, int digits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%0*X", digits, v);
  return buf;
}

// ---- the normal font ----

struct NormalFont {
  uint8_t pages[4][256][8] = {};
  bool present[4][256] = {};
  uint8_t fixed[3][8] = {};
};

int FullPageIndex(int code) {
  int lead = code >> 8;
  for (int i = 0; i < 4; ++i)
    if (kFullLeads[i] == lead) return i;
  return -1;
}

std::array<uint8_t, 8> NormalArt(const Block& b) {
  std::vector<std::string> art = b.art;
  if (art.size() == 8) {
    if (art[7].find('#') != std::string::npos)
      Fail(b.file, b.line, "row 7 of a normal glyph is the line gap and stays blank");
    art.pop_back();
  }
  if (art.size() != 7) Fail(b.file, b.line, "a normal glyph has 7 rows (8 with a blank last)");
  std::array<uint8_t, 8> rows = {};
  for (int r = 0; r < 7; ++r) {
    if (art[r].size() != 6) Fail(b.file, b.line + 1 + r, "a normal glyph row is 6 dots wide");
    for (int c = 0; c < 6; ++c)
      if (art[r][c] == '#') rows[r] |= static_cast<uint8_t>(0x80 >> c);
  }
  return rows;
}

// Resolves `same=` chains to the block that has art.
const Block* Resolve(const std::map<int, const Block*>& byCode, const Block* b) {
  for (int hops = 0; b->same >= 0; ++hops) {
    auto it = byCode.find(b->same);
    if (it == byCode.end()) Fail(b->file, b->line, "same= names a code without a glyph");
    if (hops > 16) Fail(b->file, b->line, "same= goes round in a circle");
    b = it->second;
  }
  return b;
}

std::map<int, const Block*> IndexBlocks(const std::vector<Block>& blocks) {
  std::map<int, const Block*> byCode;
  for (const Block& b : blocks) {
    if (!byCode.emplace(b.code, &b).second)
      Fail(b.file, b.line, "the code is drawn twice (first at " + Where(*byCode[b.code]) + ")");
    if (b.same < 0 && b.art.empty()) Fail(b.file, b.line, "a block needs art or same=");
  }
  return byCode;
}

NormalFont BuildNormal(const std::vector<Block>& blocks) {
  NormalFont font;
  std::map<int, const Block*> byCode = IndexBlocks(blocks);
  for (const Block& b : blocks) {
    const Block* src = Resolve(byCode, &b);
    std::array<uint8_t, 8> rows = NormalArt(*src);
    if (b.code >= 0) {
      int page = FullPageIndex(b.code);
      std::copy(rows.begin(), rows.end(), font.pages[page][b.code & 0xFF]);
      font.present[page][b.code & 0xFF] = true;
    } else if (b.code <= -0x200) {
      Fail(b.file, b.line,
           "the normal font has no page defaults: a code without a glyph ends a print");
    } else {
      int lead = -0x100 - b.code;
      int i = static_cast<int>(std::find(std::begin(kFixedLeads), std::end(kFixedLeads), lead) -
                               std::begin(kFixedLeads));
      std::copy(rows.begin(), rows.end(), font.fixed[i]);
    }
  }
  for (int lead : kFixedLeads)
    if (!byCode.count(FixedKey(lead)))
      Fail(blocks.empty() ? "?" : blocks[0].file, 0, "missing page-" + Hex(lead, 2).substr(2));
  return font;
}

// ---- the mini font ----

struct MiniGlyph {
  int width = 0;
  std::vector<uint8_t> bytes;  // 3 or 5
};

MiniGlyph MiniArt(const Block& b) {
  if (b.art.size() != 6) Fail(b.file, b.line, "a mini glyph has 6 rows");
  size_t width = b.art[0].size();
  for (size_t r = 0; r < 6; ++r)
    if (b.art[r].size() != width)
      Fail(b.file, b.line + 1 + static_cast<int>(r), "all rows of a mini glyph are one width");
  if (width < 1 || width > 8) Fail(b.file, b.line, "a mini glyph is 1 to 8 dots wide");
  MiniGlyph g;
  g.width = static_cast<int>(width);
  uint8_t rows[6] = {};
  for (int r = 0; r < 6; ++r)
    for (size_t c = 0; c < width; ++c)
      if (b.art[r][c] == '#') rows[r] |= static_cast<uint8_t>(1u << (width - 1 - c));
  if (width < 5) {
    // Two rows a byte, even row high; the leftmost dot is the nibble's top bit.
    int shift = 4 - static_cast<int>(width);
    for (int r = 0; r < 6; r += 2)
      g.bytes.push_back(static_cast<uint8_t>((rows[r] << shift) << 4 | (rows[r + 1] << shift)));
  } else {
    if (rows[5]) Fail(b.file, b.line + 6, "a mini glyph 5 dots or wider keeps its sixth row blank");
    int shift = 8 - static_cast<int>(width);
    for (int r = 0; r < 5; ++r) g.bytes.push_back(static_cast<uint8_t>(rows[r] << shift));
  }
  return g;
}

// One page's glyph data; identical glyphs (aliases) share their bytes.
struct MiniPage {
  std::vector<uint8_t> data;
  std::map<std::pair<int, std::vector<uint8_t>>, uint16_t> offsets;
  std::pair<uint16_t, int16_t> Add(const MiniGlyph& g) {
    auto key = std::make_pair(g.width, g.bytes);
    auto it = offsets.find(key);
    uint16_t offset;
    if (it != offsets.end()) {
      offset = it->second;
    } else {
      offset = static_cast<uint16_t>(data.size());
      data.insert(data.end(), g.bytes.begin(), g.bytes.end());
      offsets.emplace(key, offset);
    }
    return {offset, static_cast<int16_t>(g.width == 4 ? 0 : g.width)};
  }
};

struct MiniFont {
  MiniPage single, p7F, pE5, pE6, fixed;
  std::pair<uint16_t, int16_t> singlePairs[256];
  std::pair<uint16_t, int16_t> pairs7F[5];
  std::pair<uint16_t, int16_t> e5Tables[3][16];
  std::pair<uint16_t, int16_t> e5Single[3];
  std::vector<std::tuple<int, uint16_t, int16_t>> e6List;
  std::pair<uint16_t, int16_t> fixedPairs[3];
};

MiniFont BuildMini(const std::vector<Block>& blocks, const std::map<int, const Block*>& normal) {
  MiniFont font;
  for (auto& p : font.singlePairs) p = {0, -1};
  std::map<int, const Block*> byCode = IndexBlocks(blocks);
  // Page defaults first: the 0xE6 default must sit at offset 0 with width 4,
  // because the list's all-zero end entry is what stands for it.
  for (int lead : {0x7F, 0xE5, 0xE6}) {
    auto it = byCode.find(DefaultKey(lead));
    if (it == byCode.end())
      Fail(blocks.empty() ? "?" : blocks[0].file, 0, "missing a page default");
    MiniGlyph g = MiniArt(*Resolve(byCode, it->second));
    if (lead == 0x7F) font.pairs7F[4] = font.p7F.Add(g);
    if (lead == 0xE5) {
      font.e5Single[2] = font.pE5.Add(g);
      for (auto& table : font.e5Tables)
        for (auto& p : table) p = font.e5Single[2];
    }
    if (lead == 0xE6) {
      if (g.width != 4) Fail(it->second->file, it->second->line, "the 0xE6 default is 4 dots wide");
      font.pE6.Add(g);
    }
  }
  for (const Block& b : blocks) {
    if (b.code <= -0x200) continue;
    MiniGlyph g = MiniArt(*Resolve(byCode, &b));
    if (b.code < 0) {
      int lead = -0x100 - b.code;
      int i = static_cast<int>(std::find(std::begin(kFixedLeads), std::end(kFixedLeads), lead) -
                               std::begin(kFixedLeads));
      font.fixedPairs[i] = font.fixed.Add(g);
      continue;
    }
    auto n = normal.find(b.code);
    if (n == normal.end()) Fail(b.file, b.line, "a mini glyph for a code the normal font lacks");
    if (n->second->unicode != b.unicode || n->second->hasUnicode != b.hasUnicode)
      Fail(b.file, b.line, "the Unicode field differs from the normal font's " + Where(*n->second));
    int lead = b.code >> 8, low = b.code & 0xFF;
    if (lead == 0) {
      font.singlePairs[low] = font.single.Add(g);
    } else if (lead == 0x7F) {
      static const int kSlots[4] = {'P', 'S', 'T', 0xC7};
      const int* slot = std::find(kSlots, kSlots + 4, low);
      if (slot == kSlots + 4)
        Fail(b.file, b.line, "the 0x7F mini page holds only P, S, T and 0xC7");
      font.pairs7F[slot - kSlots] = font.p7F.Add(g);
    } else if (lead == 0xE5) {
      if (low >= 0xB0 && low <= 0xDF)
        font.e5Tables[(low - 0xB0) / 16][low & 15] = font.pE5.Add(g);
      else if (low == 'C')
        font.e5Single[0] = font.pE5.Add(g);
      else if (low == 'Q')
        font.e5Single[1] = font.pE5.Add(g);
      else
        Fail(b.file, b.line, "the 0xE5 mini page holds only 0xB0..0xDF, C and Q");
    } else {
      auto p = font.pE6.Add(g);
      font.e6List.emplace_back(low, p.first, p.second);
    }
  }
  for (int i = 0; i < 4; ++i)
    if (!byCode.count(0x7F00 | (i < 3 ? "PST"[i] : 0xC7))) font.pairs7F[i] = font.pairs7F[4];
  for (int i = 0; i < 2; ++i)
    if (!byCode.count(0xE500 | "CQ"[i])) font.e5Single[i] = font.e5Single[2];
  for (int lead : kFixedLeads)
    if (!byCode.count(FixedKey(lead))) Fail(blocks[0].file, 0, "missing a fixed page glyph");
  return font;
}

// ---- output ----

void WriteBytes(std::ostream& out, const uint8_t* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    out << Hex(bytes[i], 2) << ",";
    out << ((i % 16 == 15 || i + 1 == count) ? "\n" : " ");
  }
}

void WriteData(std::ostream& out, const char* name, const MiniPage& page) {
  out << "const uint8_t " << name << "[] = {\n";
  if (page.data.empty()) out << "0\n";
  WriteBytes(out, page.data.data(), page.data.size());
  out << "};\n";
}

std::string Pair(const std::pair<uint16_t, int16_t>& p) {
  return "{" + std::to_string(p.first) + ", " + std::to_string(p.second) + "}";
}

std::string CString(const std::string& bytes) {
  std::string s = "\"";
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\' && c != '?') {
      s += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\%03o", c);
      s += buf;
    }
  }
  return s + "\"";
}

void WriteCharset(std::ostream& out, const std::vector<Block>& blocks,
                  const std::map<int, const Block*>& byCode) {
  std::map<std::string, const Block*> reverse;
  std::vector<std::pair<int, std::string>> forward;
  for (const auto& [code, b] : byCode) {
    if (code < 0) continue;
    forward.emplace_back(code, b->hasUnicode ? EncodeUtf8(b->unicode) : "");
  }
  // A code with art of its own claims its text; an alias (same=) or a
  // secondary code only when no such code has it, so '+' reads back as the
  // character '+' rather than the token 0x89 that draws it.
  for (bool own : {true, false}) {
    for (const auto& [code, b] : byCode) {
      if (code < 0 || !b->hasUnicode || own != (b->same < 0 && !b->secondary)) continue;
      auto [it, fresh] = reverse.emplace(EncodeUtf8(b->unicode), b);
      if (!fresh && own)
        Fail(b->file, b->line, "the Unicode text is claimed by " + Where(*it->second));
    }
  }
  for (const Block& b : blocks)
    for (const auto& extra : b.also) {
      auto [it, fresh] = reverse.emplace(EncodeUtf8(extra), &b);
      if (!fresh) Fail(b.file, b.line, "the also= text is claimed by " + Where(*it->second));
    }
  out << "const CharsetEntry kCharset[] = {\n";
  for (const auto& [code, text] : forward)
    out << "    {" << Hex(code, 4) << ", " << CString(text) << "},\n";
  out << "};\nconst int kCharsetCount = " << forward.size() << ";\n";
  out << "const CharsetReverse kCharsetReverse[] = {\n";
  for (const auto& [text, b] : reverse)
    out << "    {" << CString(text) << ", " << Hex(b->code, 4) << "},\n";
  out << "};\nconst int kCharsetReverseCount = " << reverse.size() << ";\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: fontgen NORMAL.txt MINI.txt OUT.cpp\n");
    return 2;
  }
  std::vector<Block> normalBlocks = ReadBlocks(argv[1]);
  std::vector<Block> miniBlocks = ReadBlocks(argv[2]);
  NormalFont normal = BuildNormal(normalBlocks);
  std::map<int, const Block*> normalByCode = IndexBlocks(normalBlocks);
  // The character set is checked before the mini font, whose faults are
  // mostly disagreements with the normal font's table.
  std::ostringstream charset;
  WriteCharset(charset, normalBlocks, normalByCode);
  MiniFont mini = BuildMini(miniBlocks, normalByCode);

  std::ostringstream out;
  out << "// Generated by fontgen from data/fonts/. Edit the text art, not this file.\n"
         "#include \"os/font_tables.h\"\n\nnamespace font_tables {\n\n";
  out << "const NormalPage kNormalPages[4] = {\n";
  for (int p = 0; p < 4; ++p) {
    out << "{{\n";
    for (int c = 0; c < 256; ++c) {
      out << "{";
      for (int r = 0; r < 8; ++r) out << Hex(normal.pages[p][c][r], 2) << (r < 7 ? "," : "");
      out << "},";
      out << (c % 4 == 3 ? "\n" : " ");
    }
    out << "}, {";
    for (int i = 0; i < 32; ++i) {
      int bits = 0;
      for (int k = 0; k < 8; ++k)
        if (normal.present[p][i * 8 + k]) bits |= 1 << k;
      out << Hex(bits, 2) << ",";
    }
    out << "}},\n";
  }
  out << "};\nconst uint8_t kNormalFixed[3][8] = {\n";
  for (auto& g : normal.fixed) {
    out << "{";
    WriteBytes(out, g, 8);
    out << "},\n";
  }
  out << "};\n\n";

  WriteData(out, "kMiniSingleData", mini.single);
  out << "const MiniPair kMiniSingle[256] = {\n";
  for (int c = 0; c < 256; ++c) out << Pair(mini.singlePairs[c]) << (c % 8 == 7 ? ",\n" : ", ");
  out << "};\n";
  WriteData(out, "kMini7FData", mini.p7F);
  out << "const MiniPair kMini7F[5] = {";
  for (auto& p : mini.pairs7F) out << Pair(p) << ", ";
  out << "};\n";
  WriteData(out, "kMiniE5Data", mini.pE5);
  out << "const MiniPair kMiniE5Tables[3][16] = {\n";
  for (auto& table : mini.e5Tables) {
    out << "{";
    for (auto& p : table) out << Pair(p) << ", ";
    out << "},\n";
  }
  out << "};\nconst MiniPair kMiniE5Single[3] = {";
  for (auto& p : mini.e5Single) out << Pair(p) << ", ";
  out << "};\n";
  WriteData(out, "kMiniE6Data", mini.pE6);
  out << "const MiniListEntry kMiniE6List[] = {\n";
  for (auto& [code, offset, width] : mini.e6List)
    out << "    {" << Hex(code, 2) << ", " << offset << ", " << width << "},\n";
  out << "    {0, 0, 0},\n};\n";
  WriteData(out, "kMiniFixedData", mini.fixed);
  out << "const MiniPair kMiniFixed[3] = {";
  for (auto& p : mini.fixedPairs) out << Pair(p) << ", ";
  out << "};\n\n";

  out << charset.str() << "\n}  // namespace font_tables\n";

  std::ofstream file(argv[3], std::ios::binary);
  file << out.str();
  if (!file) {
    std::fprintf(stderr, "%s: cannot write\n", argv[3]);
    return 1;
  }
  return 0;
}
