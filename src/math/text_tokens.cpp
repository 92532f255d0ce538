#include "math/text_tokens.h"

#include <string>
#include <unordered_map>

#include "math/token.h"
#include "os/charset.h"

namespace {

// Spellings typed on a PC keyboard, and the winners where several tokens
// share a name ("r" is the variable, not the regression coefficient). The
// first row of a token is also the text written for it when its own name
// does not read back as itself.
struct Alias {
  const char* text;
  uint16_t code;
};
constexpr Alias kAliases[] = {
    {"+", 0x89},       {"-", 0x99},          {"*", 0xA9},      {"/", 0xB9},      {"×", 0xA9},
    {"÷", 0xB9},       {"->", 0x0E},         {"→", 0x0E},      {"=>", 0x13},     {"<=", 0x10},
    {">=", 0x12},      {"<>", 0x11},         {"!=", 0x11},     {"^", 0xA8},      {"!", 0xAB},
    {"sqrt", 0x86},    {"√", 0x86},          {"cbrt", 0x96},   {"pi", 0xD0},     {"π", 0xD0},
    {"theta", 0xCE},   {"θ", 0xCE},          {"i", 0x7F50},    {"r", 0xCD},      {"asin", 0x91},
    {"acos", 0x92},    {"atan", 0x93},       {"asinh", 0xB1},  {"acosh", 0xB2},  {"atanh", 0xB3},
    {"a+bi", 0xF909},  {"r<theta", 0xF90A},  {"Ran#", 0xC1},   {"To", 0xF705},   {"Step", 0xF706},
    {"And", 0x7FB0},   {"Or", 0x7FB1},       {"\r\n", 0x0D},   {"\n", 0x0D},     {"\r", 0x0D},
    {">Dec", 0xF901},  {">Hex", 0xF902},     {">Bin", 0xF903}, {">Oct", 0xF904}, {">DMS", 0xF905},
    {">a+bi", 0xF906}, {">r<theta", 0xF907},
};
// The conversions whose names hold the arrow, with it typed as ->.
constexpr Alias kArrowNames[] = {{"List->Mat(", 0x7F4A}, {"Mat->List(", 0x7F4B}};

// Which of several tokens with one name a text reads as, when no alias
// says: the plain characters first, then the pages in order.
int Rank(uint16_t code) {
  if (code >= 0x20 && code <= 0x7E) return 0;
  if (code < 0x100) return 1;
  switch (code >> 8) {
    case 0x7F:
      return 2;
    case 0xF7:
      return 3;
    case 0xF9:
      return 4;
    default:
      return 5;
  }
}

// Lookups by string_view without building a string for each try.
struct TextHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

struct Names {
  std::unordered_map<std::string, uint16_t, TextHash, std::equal_to<>> byText;
  std::unordered_map<uint16_t, std::string> textOf;  // tokens whose name is not theirs
  size_t longest = 0;
};

bool Readable(const std::string& utf8) {
  return !utf8.empty() && utf8.find("\xEF\xBF\xBD") == std::string::npos;
}

std::string NameText(const char* name) {
  return CalcToUtf8(reinterpret_cast<const uint8_t*>(name));
}

const Names& TheNames() {
  static const Names names = [] {
    Names n;
    TokenForEach(
        [](uint16_t code, const char* name, uint32_t, void* user) {
          auto& t = *static_cast<Names*>(user);
          std::string text = NameText(name);
          if (!Readable(text)) return;
          auto [it, fresh] = t.byText.emplace(text, code);
          if (!fresh && Rank(code) < Rank(it->second)) it->second = code;
        },
        &n);
    n.byText.erase(" ");  // a lone blank is dropped, not a token
    for (const Alias& a : kAliases) n.byText[a.text] = a.code;
    for (const Alias& a : kAliases) n.textOf.emplace(a.code, a.text);
    for (const Alias& a : kArrowNames) n.byText[a.text] = a.code;
    for (const auto& [text, code] : n.byText) n.longest = std::max(n.longest, text.size());
    return n;
  }();
  return names;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsHexLetter(char c) {
  return c >= 'A' && c <= 'F';
}

void Put(std::string* out, uint16_t code) {
  if (code > 0xFF) out->push_back(char(code >> 8));
  out->push_back(char(code & 0xFF));
}

// Length of the UTF-8 character at p (1 for a stray byte).
size_t CharLength(std::string_view text, size_t p) {
  auto b = uint8_t(text[p]);
  size_t n = b < 0xC0 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
  return std::min(n, text.size() - p);
}

int ColumnOf(std::string_view text, size_t pos) {
  int column = 1;
  for (size_t p = 0; p < pos; p += CharLength(text, p)) ++column;
  return column;
}

// One character of a string or comment as a character code.
bool PutCharacter(std::string_view text, size_t* p, std::string* out) {
  size_t used = 0;
  uint16_t code = Utf8ToChar(text.substr(*p), &used);
  if (code == 0 || used == 0) return false;
  Put(out, code);
  *p += used;
  return true;
}

class Reader {
 public:
  Reader(std::string_view text, std::string* out, const TextTokenOptions& options)
      : text_(text), out_(out), options_(options), names_(TheNames()) {}

  int Run() {
    while (p_ < text_.size()) {
      if (!Step()) return ColumnOf(text_, p_);
    }
    return 0;
  }

 private:
  bool Step() {
    char c = text_[p_];
    if (inString_ || inComment_) return Character();
    if (hexLiteral_ && (IsDigit(c) || IsHexLetter(c))) {
      Emit(IsDigit(c) ? uint16_t(c) : uint16_t(kTokHexDigitA + (c - 'A')), 1);
      return true;
    }
    hexLiteral_ = false;
    if (c == 'E' && ExponentFollows()) {
      Emit(kTokExponent, 1);
      return true;
    }
    if (uint16_t prefix = LiteralPrefix()) {
      Emit(prefix, 1);
      hexLiteral_ = prefix == kTokHexPrefix;
      return true;
    }
    size_t len = 0;
    uint16_t code = Longest(&len);
    // In the Hex mode A-F are digits, except as the variable a value is stored in.
    if (len == 1 && options_.hexLetters && IsHexLetter(c) && last_ != kTokStore) {
      code = uint16_t(kTokHexDigitA + (c - 'A'));
    }
    if (len == 0) {
      if (c == ' ' || c == '\t') {
        ++p_;
        return true;
      }
      size_t before = out_->size();
      if (!PutCharacter(text_, &p_, out_)) return false;
      last_ = uint8_t((*out_)[before]);
      return true;
    }
    Emit(code, len);
    uint32_t attributes = 0;
    TokenRawName(code, &attributes);
    if ((attributes & kTokenBlankAfter) && p_ < text_.size() && text_[p_] == ' ') ++p_;
    if (code == kTokQuote) inString_ = true;
    if (code == kTokComment) inComment_ = true;
    return true;
  }

  // Inside quotes or a comment: characters up to the closing quote or the
  // end of the line.
  bool Character() {
    char c = text_[p_];
    if (c == '\n' || c == '\r') {
      inString_ = inComment_ = false;
      return Step();
    }
    if (inString_ && c == '"') {
      inString_ = false;
      Emit(kTokQuote, 1);
      return true;
    }
    return PutCharacter(text_, &p_, out_);
  }

  void Emit(uint16_t code, size_t len) {
    Put(out_, code);
    last_ = code;
    p_ += len;
  }

  // E right after the digits of a number, before its exponent.
  bool ExponentFollows() const {
    if (!(IsDigit(char(last_)) || last_ == '.')) return false;
    size_t q = p_ + 1;
    while (q < text_.size() && (text_[q] == '-' || text_[q] == '+')) ++q;
    if (text_.compare(q, 3, "−") == 0) q += 3;
    return q < text_.size() && IsDigit(text_[q]);
  }

  // h, d, o or b right before the digits of a literal in that base.
  uint16_t LiteralPrefix() const {
    if (p_ + 1 >= text_.size()) return 0;
    char c = text_[p_], next = text_[p_ + 1];
    bool digit = IsDigit(next);
    switch (c) {
      case 'h':
        return digit || IsHexLetter(next) ? 0x84 : 0;
      case 'd':
        return digit ? 0x94 : 0;
      case 'o':
        return digit ? 0xA4 : 0;
      case 'b':
        return digit ? 0xB4 : 0;
      default:
        return 0;
    }
  }

  uint16_t Longest(size_t* len) const {
    size_t most = std::min(names_.longest, text_.size() - p_);
    for (size_t n = most; n > 0; --n) {
      auto it = names_.byText.find(text_.substr(p_, n));
      if (it != names_.byText.end()) {
        *len = n;
        return it->second;
      }
    }
    *len = 0;
    return 0;
  }

  std::string_view text_;
  std::string* out_;
  const TextTokenOptions& options_;
  const Names& names_;
  size_t p_ = 0;
  uint16_t last_ = 0;
  bool inString_ = false;
  bool inComment_ = false;
  bool hexLiteral_ = false;
};

std::string CharacterText(uint16_t code) {
  const char* u = CharToUtf8(code);
  return u ? u : "\xEF\xBF\xBD";
}

}  // namespace

int TextToTokens(std::string_view text, std::string* out, const TextTokenOptions& options) {
  out->clear();
  return Reader(text, out, options).Run();
}

void TextToTokensDropping(std::string_view text, std::string* out, std::string* dropped) {
  std::string rest(text);
  dropped->clear();
  for (int column; (column = TextToTokens(rest, out)) != 0;) {
    // Find the character at the column (counted in characters) and cut it out.
    size_t at = 0;
    for (int c = 1; c < column && at < rest.size(); ++c) {
      ++at;
      while (at < rest.size() && (uint8_t(rest[at]) & 0xC0) == 0x80) ++at;
    }
    size_t end = at + 1;
    while (end < rest.size() && (uint8_t(rest[end]) & 0xC0) == 0x80) ++end;
    dropped->append(rest, at, end - at);
    rest.erase(at, end - at);
  }
}

std::string TokenText(uint16_t code) {
  uint32_t attributes = 0;
  const char* name = TokenRawName(code, &attributes);
  if (!name) return {};
  const Names& n = TheNames();
  std::string text = NameText(name);
  auto it = n.byText.find(text);
  if (it == n.byText.end() || it->second != code) {
    auto alias = n.textOf.find(code);
    if (alias != n.textOf.end()) text = alias->second;
  }
  if (attributes & kTokenBlankAfter) text += ' ';
  return text;
}

bool TokenRoundTrips(uint16_t code) {
  if (!TokenDefined(code)) return false;
  std::string tokens;
  if (TextToTokens(TokenText(code), &tokens) != 0) return false;
  const auto* p = reinterpret_cast<const uint8_t*>(tokens.c_str());
  return TokenAdvance(&p) == code && *p == 0;
}

std::string TokensToText(const uint8_t* tokens) {
  std::string text;
  bool inString = false, inComment = false;
  for (const uint8_t* p = tokens;;) {
    uint16_t code = TokenAdvance(&p);
    if (code == 0) break;
    if (code == kTokNewLine) inString = inComment = false;
    if ((inString && code != kTokQuote) || inComment) {
      text += CharacterText(code);
      continue;
    }
    text += TokenText(code);
    if (code == kTokQuote) inString = !inString;
    if (code == kTokComment) inComment = true;
  }
  return text;
}
