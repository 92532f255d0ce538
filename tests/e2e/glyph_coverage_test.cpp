// Every character of every token name, message and function-key label has a
// glyph in the normal font: nothing the calculator can show prints as an
// early end of its text.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "math/token.h"
#include "os/charset.h"
#include "os/fkey_labels.h"
#include "os/font.h"
#include "os/messages.h"
#include "os/text.h"

namespace {

// The codes of a calculator string that have no normal glyph. The pen
// movements of the 0xF9 page draw nothing on purpose.
std::set<uint16_t> MissingGlyphs(const char* text) {
  std::set<uint16_t> missing;
  for (const char* p = text; *p;) {
    uint16_t code = ReadCharCode(&p);
    if (code == 0) break;
    if ((code >> 8) == 0xF9) continue;
    if (!NormalGlyph(code)) missing.insert(code);
  }
  return missing;
}

std::string Hex(const std::set<uint16_t>& codes) {
  std::ostringstream out;
  for (uint16_t c : codes) out << " 0x" << std::hex << c;
  return out.str();
}

TEST(GlyphCoverage, TokenNames) {
  struct Seen {
    int tokens = 0;
    std::string failures;
  } seen;
  TokenForEach(
      [](uint16_t code, const char* name, uint32_t, void* user) {
        auto* s = static_cast<Seen*>(user);
        ++s->tokens;
        // The two character pages name every slot by itself; only the
        // slots that hold a character of the set are shown.
        unsigned page = code >> 8;
        if ((page == 0xE5 || page == 0xE6) && !CharToUtf8(code)) return;
        std::set<uint16_t> missing = MissingGlyphs(name);
        if (!missing.empty()) {
          std::ostringstream line;
          line << "token 0x" << std::hex << code << ":" << Hex(missing) << "\n";
          s->failures += line.str();
        }
      },
      &seen);
  EXPECT_GT(seen.tokens, 600);
  EXPECT_EQ(seen.failures, "");
}

TEST(GlyphCoverage, MessagesOfEveryLanguage) {
  for (int language = 0; language < kLanguageCount; ++language) {
    const MessageTable* table = GetMessageTable(language);
    ASSERT_NE(table, nullptr);
    for (int n = 0; n < kMessageCount; ++n) {
      std::set<uint16_t> missing = MissingGlyphs(table->messages[n]);
      EXPECT_TRUE(missing.empty()) << "language " << language << " message " << n << ":"
                                   << Hex(missing);
    }
  }
}

TEST(GlyphCoverage, FunctionKeyLabels) {
  for (int icon = 1; icon <= 1016; ++icon) {
    const char* label = FKeyLabel(icon);
    if (!label || !*label) continue;
    std::set<uint16_t> missing = MissingGlyphs(label);
    EXPECT_TRUE(missing.empty()) << "label " << icon << ":" << Hex(missing);
  }
}

}  // namespace
