// PC text to tokens and back, and the token name table.
#include "math/text_tokens.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "math/token.h"
#include "os/charset.h"

namespace {

std::string Tokens(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += char(b);
  return s;
}

TEST(TextToTokens, Spellings) {
  struct Row {
    const char* text;
    std::string tokens;
  };
  const Row rows[] = {
      {"1+2", Tokens({'1', 0x89, '2'})},
      {"3*4/5-6", Tokens({'3', 0xA9, '4', 0xB9, '5', 0x99, '6'})},
      {"3×4÷5", Tokens({'3', 0xA9, '4', 0xB9, '5'})},
      {"1->A", Tokens({'1', 0x0E, 'A'})},
      {"1→A", Tokens({'1', 0x0E, 'A'})},
      {"A=>B", Tokens({'A', 0x13, 'B'})},
      {"A<=B>=C<>D!=E", Tokens({'A', 0x10, 'B', 0x12, 'C', 0x11, 'D', 0x11, 'E'})},
      {"2^3", Tokens({'2', 0xA8, '3'})},
      {"sqrt(4)", Tokens({0x86, '(', '4', ')'})},
      {"√4", Tokens({0x86, '4'})},
      {"pi+π", Tokens({0xD0, 0x89, 0xD0})},
      {"theta+θ", Tokens({0xCE, 0x89, 0xCE})},
      {"r", Tokens({0xCD})},
      {"2i", Tokens({'2', 0x7F, 0x50})},
      {"1E-5", Tokens({'1', 0x0F, 0x99, '5'})},
      {"1.5E3", Tokens({'1', '.', '5', 0x0F, '3'})},
      {"E3", Tokens({'E', '3'})},  // E not after a number is the variable
      {"2E", Tokens({'2', 'E'})},
      {"Ans", Tokens({0xC0})},
      {"sin 30", Tokens({0x81, '3', '0'})},
      {"sin30", Tokens({0x81, '3', '0'})},
      {"asin 1", Tokens({0x91, '1'})},
      {"acosh 2", Tokens({0xB2, '2'})},
      {"sinh 1", Tokens({0xA1, '1'})},
      {"log 2+ln 3", Tokens({0x95, '2', 0x89, 0x85, '3'})},
      {"Abs Int Frac Intg 1", Tokens({0x97, 0xA6, 0xB6, 0xDE, '1'})},
      {"Deg", Tokens({0xDA})},
      {"Fix 3", Tokens({0xE3, '3'})},
      {"Norm 2", Tokens({0xD9, '2'})},
      {"a+bi", Tokens({0xF9, 0x09})},
      {"r<theta", Tokens({0xF9, 0x0A})},
      {"r∠θ", Tokens({0xF9, 0x0A})},
      {"Real", Tokens({0xF9, 0x08})},
      {"For 1→A To 3 Step 1",
       Tokens({0xF7, 0x04, '1', 0x0E, 'A', 0xF7, 0x05, '3', 0xF7, 0x06, '1'})},
      {"If A:Then B:IfEnd", Tokens({0xF7, 0x00, 'A', ':', 0xF7, 0x01, 'B', ':', 0xF7, 0x03})},
      {"\"a+b\"", Tokens({'"', 'a', '+', 'b', '"'})},  // strings keep characters
      {"'sin x\nA", Tokens({'\'', 's', 'i', 'n', ' ', 'x', 0x0D, 'A'})},
      {"h1F+b101", Tokens({0x84, '1', 0x1F, 0x89, 0xB4, '1', '0', '1'})},
      {"Mat A", Tokens({0x7F, 0x40, 'A'})},
      {"List 1", Tokens({0x7F, 0x51, '1'})},
      {"{1,2}", Tokens({'{', '1', ',', '2', '}'})},
      {"Ran#", Tokens({0xC1})},
      {"3!", Tokens({'3', 0xAB})},
      {"A\r\nB", Tokens({'A', 0x0D, 'B'})},
      {"1⌟2", Tokens({'1', 0xBB, '2'})},
  };
  for (const Row& r : rows) {
    std::string out;
    EXPECT_EQ(TextToTokens(r.text, &out), 0) << r.text;
    EXPECT_EQ(out, r.tokens) << r.text;
  }
}

TEST(TextToTokens, HexLettersInTheHexMode) {
  std::string out;
  TextTokenOptions hex;
  hex.hexLetters = true;
  ASSERT_EQ(TextToTokens("1F+Ans", &out, hex), 0);
  EXPECT_EQ(out, Tokens({'1', 0x1F, 0x89, 0xC0}));
  ASSERT_EQ(TextToTokens("A->B", &out, hex), 0);
  EXPECT_EQ(out, Tokens({0x1A, 0x0E, 'B'}));
  ASSERT_EQ(TextToTokens("1F", &out), 0);
  EXPECT_EQ(out, Tokens({'1', 'F'}));
}

TEST(TextToTokens, UnknownTextNamesItsColumn) {
  std::string out;
  EXPECT_EQ(TextToTokens("12+☃", &out), 4);
  EXPECT_EQ(TextToTokens("θθ☃", &out), 3);  // columns count characters, not bytes
  EXPECT_EQ(TextToTokens("\xFF", &out), 1);
  EXPECT_EQ(TextToTokens("\"abc\xC3", &out), 5);  // a cut character in a string
  EXPECT_EQ(TextToTokens("", &out), 0);
  EXPECT_TRUE(out.empty());
}

TEST(TextToTokens, DroppingLeavesOutWhatReadsAsNoToken) {
  struct Case {
    const char *text, *same, *dropped;
  } cases[] = {
      {"A中B", "AB", "中"},
      {"1+😀2☃", "1+2", "😀☃"},
      {"sin 30", "sin 30", ""},
      {"\xFF", "", "\xFF"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    std::string out, want, dropped;
    TextToTokensDropping(c.text, &out, &dropped);
    ASSERT_EQ(TextToTokens(c.same, &want), 0) << c.same;
    EXPECT_EQ(out, want) << c.text;
    EXPECT_EQ(dropped, c.dropped) << c.text;
  }
}

// Every token whose name no other token shares reads back as itself, and
// so do the shared names that a spelling decides.
TEST(TokensToText, RoundTripsEveryUnambiguousToken) {
  std::map<std::string, std::vector<uint16_t>> byName;
  TokenForEach(
      [](uint16_t code, const char* name, uint32_t, void* user) {
        auto& m = *static_cast<std::map<std::string, std::vector<uint16_t>>*>(user);
        m[CalcToUtf8(reinterpret_cast<const uint8_t*>(name))].push_back(code);
      },
      &byName);
  int checked = 0;
  for (const auto& [name, codes] : byName) {
    if (codes.size() != 1 || name.find("\xEF\xBF\xBD") != std::string::npos) continue;
    if (name == " " || name == "\"" || name == "'") continue;  // blanks, strings, comments
    std::string tokens;
    TextToTokens(name, &tokens);
    uint16_t alias = TokenPeek(reinterpret_cast<const uint8_t*>(tokens.c_str()));
    if (alias != codes[0]) continue;  // the spelling of another token ("*" is ×)
    EXPECT_TRUE(TokenRoundTrips(codes[0])) << std::hex << codes[0] << " " << name;
    ++checked;
  }
  EXPECT_GT(checked, 650);
  for (uint16_t code : {0x89, 0x99, 0xA9, 0xB9, 0xA8, 0xCD, 0xCE, 0xD0, 0x0E, 0x7F50, 0xAB, 0x7FB0,
                        0xF705, 0x91, 0xC1}) {
    EXPECT_TRUE(TokenRoundTrips(code)) << std::hex << code;
  }
}

TEST(TokensToText, ProgramLineReadsBack) {
  std::string tokens;
  const char* text = "For 1→A To 10:A²+sin θ→B:\"A=\":B◢:Next";
  ASSERT_EQ(TextToTokens(text, &tokens), 0);
  std::string back = TokensToText(reinterpret_cast<const uint8_t*>(tokens.c_str()));
  std::string again;
  ASSERT_EQ(TextToTokens(back, &again), 0) << back;
  EXPECT_EQ(again, tokens) << back;
}

TEST(TokenTable, NamesAndAttributes) {
  struct Row {
    uint16_t code;
    const char* name;  // as shown, with the appended blank
    uint32_t attributes;
  };
  const Row rows[] = {
      {0x81, "sin ", 3 | kTokenBlankAfter},
      {0x91, "sin\xE5\xCA ", 5 | kTokenBlankAfter},
      {0xC1, "Ran# ", 5},
      {0x0D, "\x0D", 1 | kTokenLineEnd},
      {0x0C, "\x0C", 1 | kTokenLineEnd},
      {0x41, "A", 1},
      {0x90, "@", 1},  // no token: the placeholder
      {0x7FB0, " And ", 4 | kTokenBlankAfter},
      {0x7F6C, "List3", 5},
      {0xF705, " To ", 3 | kTokenBlankAfter},
      {0xF7BD, "File6", 5},
      {0xF90B, "EngOn", 5},
      {0xE5CA, "\xE5\xCA", 2},
      {0xE647, "\xE6\x47", 2},
      {0x14, "f\xE5\xD1", 3},
  };
  for (const Row& r : rows) {
    char buf[kTokenNameBuffer];
    ASSERT_TRUE(TokenName(r.code, buf)) << std::hex << r.code;
    EXPECT_STREQ(buf, r.name) << std::hex << r.code;
    uint32_t attributes = 0;
    TokenRawName(r.code, &attributes);
    EXPECT_EQ(attributes, r.attributes) << std::hex << r.code;
  }
  char buf[kTokenNameBuffer] = "keep";
  EXPECT_FALSE(TokenName(0x1234, buf));
  EXPECT_STREQ(buf, "keep");
  EXPECT_FALSE(TokenName(0xE700, buf));
}

TEST(TokenTable, AdvanceNeverPassesTheEnd) {
  const uint8_t s[] = {'1', 0x7F, 0x50, 0xE5, 0};
  const uint8_t* p = s;
  EXPECT_EQ(TokenAdvance(&p), '1');
  EXPECT_EQ(TokenAdvance(&p), 0x7F50);
  EXPECT_EQ(TokenAdvance(&p), 0xE5);  // a character lead before the end reads alone
  EXPECT_EQ(TokenAdvance(&p), 0);
  EXPECT_EQ(TokenAdvance(&p), 0);
  EXPECT_EQ(p, s + 4);
  EXPECT_EQ(TokenStringLength(s), 4u);
  const uint8_t ifs[] = {0xF7, 0x00, 'A', 0};  // If has a zero second byte
  p = ifs;
  EXPECT_EQ(TokenAdvance(&p), 0xF700);
  EXPECT_EQ(TokenAdvance(&p), 'A');
  for (int b = 0; b < 256; ++b) {
    bool lead = b == 0x7F || b == 0xE5 || b == 0xE6 || b == 0xE7 || b == 0xF7 || b == 0xF9;
    EXPECT_EQ(TokenIsLead(uint8_t(b)), lead) << b;
  }
}

}  // namespace
