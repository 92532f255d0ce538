// Messages: choosing a language, looking messages up (the number and
// language boundaries, the 49-byte buffer, the table headers), and the texts
// against data/messages/messages.txt.
#include "os/messages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "os/charset.h"
#include "os/font.h"
#include "os/msggen/message_file.h"

namespace {

using message_file::Entry;
using message_file::Kind;

class MessageLookupTest : public ::testing::Test {
 protected:
  void SetUp() override { SetLanguage(kLanguageEnglish); }
  void TearDown() override { SetLanguage(kLanguageEnglish); }
};

TEST_F(MessageLookupTest, SetLanguageTakesOnlyTheFiveLanguages) {
  const struct {
    int language, result, current;
  } cases[] = {{-1, 0, 2}, {5, 0, 2}, {-2147483647 - 1, 0, 2}, {256, 0, 2}, {0, 1, 0},
               {4, 1, 4},  {2, 1, 2}};
  for (const auto& c : cases) {
    ASSERT_EQ(SetLanguage(kLanguageGerman), 1);
    EXPECT_EQ(SetLanguage(c.language), c.result) << c.language;
    EXPECT_EQ(GetLanguage(), c.current) << c.language;
  }
}

TEST_F(MessageLookupTest, GetMessageAnswersOnlyNumbersOfTheTable) {
  const struct {
    int number;
    bool found;
  } cases[] = {{-1, false}, {0, true},    {1, true},  // 729 is the last, and empty
               {729, true}, {730, false}, {-2147483647 - 1, false}};
  for (const auto& c : cases) {
    char buffer[kMessageBufferBytes];
    std::memset(buffer, 'X', sizeof buffer);
    const char* result = GetMessage(c.number, buffer);
    EXPECT_EQ(result, c.found ? buffer : nullptr) << c.number;
    EXPECT_STREQ(buffer, c.found ? GetMessageTable(kLanguageEnglish)->messages[c.number] : "")
        << c.number;
  }
  // With no language set, no number gives a message.
  ClearLanguage();
  EXPECT_EQ(GetLanguage(), kNoLanguage);
  char buffer[kMessageBufferBytes] = "junk";
  EXPECT_EQ(GetMessage(0, buffer), nullptr);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(SetLanguage(kNoLanguage), 0) << "-1 is a state, not a language to choose";
}

// Message 0 is each language's own name; the header's name field is it cut
// to 8 bytes without splitting a two-byte code: "Español" fills it exactly,
// "Français" loses its last letter, "Português" stops before the ê.
TEST_F(MessageLookupTest, LanguageNamesAndTheirHeaderFields) {
  const char* names[kLanguageCount] = {"English", "Español", "Deutsch", "Français", "Português"};
  const char* fields[kLanguageCount] = {"English\0", "Espa\xE6\x12ol", "Deutsch\0",
                                        "Fran\xE6\x08"
                                        "ai",
                                        "Portugu\0"};
  for (int language = 0; language < kLanguageCount; ++language) {
    ASSERT_EQ(SetLanguage(language), 1);
    char buffer[kMessageBufferBytes];
    ASSERT_NE(GetMessage(0, buffer), nullptr);
    EXPECT_EQ(CalcToUtf8(reinterpret_cast<const uint8_t*>(buffer)), names[language]);
    const MessageTableHeader& h = GetMessageTable(language)->header;
    EXPECT_EQ(std::memcmp(h.name, fields[language], 8), 0) << language;
  }
  EXPECT_EQ(GetMessageTable(-1), nullptr);
  EXPECT_EQ(GetMessageTable(kLanguageCount), nullptr);
}

TEST(MessageCopyTest, TextsLongerThan48BytesBecomeTheMessageError) {
  for (size_t bytes : {0, 1, 48, 49, 200}) {
    const std::string text(bytes, 'A');
    char buffer[kMessageBufferBytes + 8];
    std::memset(buffer, 'X', sizeof buffer);
    EXPECT_EQ(CopyMessage(text.c_str(), buffer), buffer);
    EXPECT_STREQ(buffer, bytes <= 48 ? text.c_str() : kMessageError) << bytes;
    EXPECT_EQ(buffer[kMessageBufferBytes], 'X') << bytes << ": wrote past the 49 bytes";
  }
  // Bytes count, not characters: 24 two-byte letters fit, 25 do not.
  std::string accents;
  for (int i = 0; i < 25; ++i) accents += "\xE6\x0A";
  char buffer[kMessageBufferBytes];
  EXPECT_STREQ(CopyMessage(accents.substr(0, 48).c_str(), buffer), accents.substr(0, 48).c_str());
  EXPECT_STREQ(CopyMessage(accents.c_str(), buffer), kMessageError);
}

const std::vector<Entry>& Entries() {
  static const std::vector<Entry> entries = [] {
    std::vector<Entry> read;
    std::string error;
    EXPECT_TRUE(message_file::Read(std::string(VK_SOURCE_DIR) + "/data/messages/messages.txt",
                                   &read, &error))
        << error;
    return read;
  }();
  return entries;
}

std::string Where(const Entry& e, int language) {
  return "message " + std::to_string(e.number) + " (" + message_file::kTags[language] + ", line " +
         std::to_string(e.textLines[language]) + ")";
}

const char* Stored(int language, int number) {
  return GetMessageTable(language)->messages[number];
}

std::vector<uint16_t> Codes(const std::string& calc) {
  std::vector<uint16_t> codes;
  for (const char* p = calc.c_str(); uint16_t code = ReadCharCode(&p);) codes.push_back(code);
  return codes;
}

// Every stored text is its data file text, in characters the calculator
// draws, on one line, within its cells (glyphs are 6 dots, so cells bound
// the dots) and the 48 bytes GetMessage copies; messages the file does not
// list are empty.
TEST(MessageTextTest, TablesHoldTheDataFileTextsAndTheyFit) {
  ASSERT_FALSE(Entries().empty());
  std::vector<bool> listed(kMessageCount, false);
  for (const Entry& e : Entries()) {
    listed[e.number] = true;
    for (int l = 0; l < kLanguageCount; ++l) {
      const std::string stored = Stored(l, e.number);
      std::string body = stored;  // without what the build adds for the kind
      if (e.kind == Kind::kPopUp) {
        EXPECT_EQ(stored.rfind(kPopUpIndent, 0), 0u) << Where(e, l) << ": no indent";
        body = stored.substr(std::min(std::strlen(kPopUpIndent), stored.size()));
      } else if (e.kind == Kind::kRight) {
        body = stored.substr(std::min(stored.find_first_not_of(' '), stored.size()));
        EXPECT_EQ(Codes(stored).size(), static_cast<size_t>(kTextColumns)) << Where(e, l);
      }
      int unmapped = -1;
      EXPECT_EQ(body, Utf8ToCalc(e.texts[l], &unmapped)) << Where(e, l);
      EXPECT_EQ(unmapped, 0) << Where(e, l) << ": characters the calculator cannot show";
      const std::vector<uint16_t> codes = Codes(body);
      if (e.kind != Kind::kRight) {
        EXPECT_LE(static_cast<int>(codes.size()), e.maxCells) << Where(e, l) << ": " << e.texts[l];
      }
      for (uint16_t code : codes) {
        EXPECT_FALSE(code == kCodePenLeft || code == kCodePenRight || code == kCodeNewLine ||
                     code == kCodePenHome)
            << Where(e, l) << ": a message is one line, printed as it stands";
        EXPECT_NE(NormalGlyph(code), nullptr) << Where(e, l) << ": 0x" << std::hex << code;
      }
      EXPECT_LT(stored.size(), static_cast<size_t>(kMessageBufferBytes))
          << Where(e, l) << ": GetMessage would show the message error";
    }
  }
  for (int n = 0; n < kMessageCount; ++n)
    for (int l = 0; l < kLanguageCount && !listed[n]; ++l)
      EXPECT_STREQ(Stored(l, n), "") << "message " << n << " has no entry in the data file";
}

}  // namespace
