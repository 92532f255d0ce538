// Choosing a language and looking messages up: the number and language
// boundaries, the 49-byte buffer, and the table headers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "os/charset.h"
#include "os/messages.h"

namespace {

class MessageLookupTest : public ::testing::Test {
 protected:
  void SetUp() override { SetLanguage(kLanguageEnglish); }
  void TearDown() override { SetLanguage(kLanguageEnglish); }
};

std::string Utf8(const char* calc) {
  return CalcToUtf8(reinterpret_cast<const uint8_t*>(calc));
}

TEST_F(MessageLookupTest, SetLanguageTakesOnlyTheFiveLanguages) {
  struct Case {
    int language, result, current;
  };
  const Case cases[] = {{-1, 0, 2}, {5, 0, 2}, {-2147483647 - 1, 0, 2}, {256, 0, 2}, {0, 1, 0},
                        {4, 1, 4},  {2, 1, 2}};
  for (const Case& c : cases) {
    ASSERT_EQ(SetLanguage(kLanguageGerman), 1);
    EXPECT_EQ(SetLanguage(c.language), c.result) << c.language;
    EXPECT_EQ(GetLanguage(), c.current) << c.language;
  }
}

TEST_F(MessageLookupTest, GetMessageAnswersOnlyNumbersOfTheTable) {
  struct Case {
    int number;
    bool found;
  };
  // 729 is the last number and has no text: found, but empty.
  const Case cases[] = {{-1, false}, {0, true},    {1, true},
                        {729, true}, {730, false}, {-2147483647 - 1, false}};
  for (const Case& c : cases) {
    char buffer[kMessageBufferBytes];
    std::memset(buffer, 'X', sizeof buffer);
    const char* result = GetMessage(c.number, buffer);
    if (c.found) {
      EXPECT_EQ(result, buffer) << c.number;
      EXPECT_STREQ(buffer, GetMessageTable(kLanguageEnglish)->messages[c.number]) << c.number;
    } else {
      EXPECT_EQ(result, nullptr) << c.number;
      EXPECT_STREQ(buffer, "") << c.number << ": a refused number leaves an empty buffer";
    }
  }
}

TEST_F(MessageLookupTest, NoLanguageGivesNothingUntilOneIsSet) {
  ClearLanguage();
  EXPECT_EQ(GetLanguage(), kNoLanguage);
  char buffer[kMessageBufferBytes] = "junk";
  EXPECT_EQ(GetMessage(0, buffer), nullptr);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(SetLanguage(kNoLanguage), 0) << "-1 is a state, not a language to choose";
  ASSERT_EQ(SetLanguage(kLanguageGerman), 1);
  ASSERT_NE(GetMessage(0, buffer), nullptr);
  EXPECT_EQ(Utf8(buffer), "Deutsch");
}

TEST_F(MessageLookupTest, MessageZeroIsEachLanguagesOwnName) {
  const char* names[kLanguageCount] = {"English", "Español", "Deutsch", "Français", "Português"};
  for (int language = 0; language < kLanguageCount; ++language) {
    ASSERT_EQ(SetLanguage(language), 1);
    char buffer[kMessageBufferBytes];
    ASSERT_NE(GetMessage(0, buffer), nullptr);
    EXPECT_EQ(Utf8(buffer), names[language]);
  }
  // The accented letters are two-byte codes of the 0xE6 page.
  EXPECT_STREQ(GetMessageTable(kLanguageSpanish)->messages[0], "Espa\xE6\x12ol");
}

TEST(MessageTableTest, HeadersHoldTheFixedWordsAndTheCutName) {
  // The name field is message 0 cut to 8 bytes without splitting a
  // two-byte code: "Español" fills it exactly, "Français" loses its last
  // letter, "Português" stops before the ê that would not fit whole.
  const char* fields[kLanguageCount] = {"English\0", "Espa\xE6\x12ol", "Deutsch\0",
                                        "Fran\xE6\x08"
                                        "ai",
                                        "Portugu\0"};
  for (int language = 0; language < kLanguageCount; ++language) {
    const MessageTableHeader& h = GetMessageTable(language)->header;
    EXPECT_EQ(std::memcmp(h.name, fields[language], 8), 0) << language;
    EXPECT_EQ(h.zero, 0);
    EXPECT_EQ(h.format, 256);
    EXPECT_EQ(h.lowest, 0);
    EXPECT_EQ(h.highest, kMessageCount - 1);
    EXPECT_EQ(h.lookup, 0u);
  }
  EXPECT_EQ(GetMessageTable(-1), nullptr);
  EXPECT_EQ(GetMessageTable(kLanguageCount), nullptr);
}

TEST(MessageCopyTest, TextsLongerThan48BytesBecomeTheMessageError) {
  struct Case {
    size_t bytes;
    bool fits;
  };
  const Case cases[] = {{0, true}, {1, true}, {47, true}, {48, true}, {49, false}, {200, false}};
  for (const Case& c : cases) {
    std::string text(c.bytes, 'A');
    char buffer[kMessageBufferBytes + 8];
    std::memset(buffer, 'X', sizeof buffer);
    EXPECT_EQ(CopyMessage(text.c_str(), buffer), buffer);
    EXPECT_STREQ(buffer, c.fits ? text.c_str() : kMessageError) << c.bytes;
    EXPECT_EQ(buffer[kMessageBufferBytes], 'X') << c.bytes << ": wrote past the 49 bytes";
  }
  // Bytes count, not characters: 24 two-byte letters fit, 25 do not.
  std::string accents;
  for (int i = 0; i < 25; ++i) accents += "\xE6\x0A";
  char buffer[kMessageBufferBytes];
  EXPECT_STREQ(CopyMessage(accents.substr(0, 48).c_str(), buffer), accents.substr(0, 48).c_str());
  EXPECT_STREQ(CopyMessage(accents.c_str(), buffer), kMessageError);
}

}  // namespace
