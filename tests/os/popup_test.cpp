// Pop-up windows, the error box and message boxes: their pictures, the keys
// that close them, and what they leave behind.
#include <string>

#include "keys_fixture.h"
#include "os/draw.h"
#include "os/text.h"
#include "support/golden.h"

namespace {

using PopUpTest = KeysTest;

// A busy screen under the boxes, so the goldens show the frame and shadow.
void Background() {
  for (int line = 1; line <= 8; ++line) {
    Locate(1, line);
    Print("0123456789ABCDEFGHIJK");
  }
}

// Shows the box of `show` with EXIT queued and returns the screen the box
// showed (the LCD still holds it after the box closed).
template <typename F>
std::vector<uint8_t> ShownBy(F show) {
  PostCode(static_cast<uint16_t>(kKeyExit), 0);
  show();
  return KeysTest::ShownScreen();
}

TEST_F(PopUpTest, ErrorBoxGoldens) {
  struct Case {
    int code;
    const char* golden;
  };
  const Case kCases[] = {
      {8, "tests/os/golden/error_box_argument.txt"},
      {27, "tests/os/golden/error_box_tall.txt"},
      {99, "tests/os/golden/error_box_undefined.txt"},
      {42, "tests/os/golden/error_box_two_texts.txt"},
  };
  for (const Case& c : kCases) {
    ClearVram();
    Background();
    const auto before = VramCopy();
    auto shown = ShownBy([&] { EXPECT_EQ(ErrorBox(c.code), kKeyExit); });
    EXPECT_TRUE(golden::MatchesGolden(shown.data(), c.golden)) << c.code;
    EXPECT_EQ(VramCopy(), before) << "the box puts the screen back";
  }
}

TEST_F(PopUpTest, MessageBoxGolden) {
  Background();
  auto shown = ShownBy(
      [] { MessageBox(3, "\xF9\xC9\xF9\xC9Two lines\xF9\xCA\xF9\xCD\xF9\xC9\xF9\xC9of text"); });
  EXPECT_TRUE(golden::MatchesGolden(shown.data(), "tests/os/golden/message_box.txt"));
}

TEST_F(PopUpTest, ErrorBoxZeroDoesNothing) {
  Background();
  const auto before = VramCopy();
  EXPECT_FALSE(RanOutOfKeys([] { EXPECT_EQ(ErrorBox(0), 0u); }));
  EXPECT_EQ(VramCopy(), before);
}

TEST_F(PopUpTest, KeysThatCloseTheBox) {
  struct Case {
    const char* key;
    bool closes;
  };
  const Case kCases[] = {{"ESC", true},  {"AC", true},   {"LEFT", true}, {"RIGHT", true},
                         {"EXE", false}, {"UP", false},  {"F1", false},  {"7", false},
                         {"DEL", false}, {"MENU", false}};
  for (const Case& c : kCases) {
    ResetKeyState();
    Press(c.key);
    bool ranOut = RanOutOfKeys([] { ErrorBox(1); });
    EXPECT_EQ(ranOut, !c.closes) << c.key;
    FlushKeys();
  }
  // QUIT is SHIFT EXIT.
  ResetKeyState();
  Press({"SHIFT", "ESC"});
  uint32_t closedBy = 0;
  EXPECT_FALSE(RanOutOfKeys([&] { closedBy = ErrorBox(2); }));
  EXPECT_EQ(closedBy, kKeyQuit);
  EXPECT_EQ(MenuSuspend(), 0) << "the box switches the menus on again";
}

TEST_F(PopUpTest, CursorComesBackAfterTheBox) {
  Locate(5, 6);
  RefreshCursorShape();
  PostCode(static_cast<uint16_t>(kKeyExit), 0);
  ErrorBox(4);
  TextCursorInfo c = GetCursorPosition();
  EXPECT_TRUE(c.visible);
  EXPECT_EQ(c.column, 4);
  EXPECT_EQ(c.line, 5);
}

// Every error code's lines exist in every language, and the undefined box
// carries the code.
TEST_F(PopUpTest, EveryErrorCodeHasItsText) {
  for (int language = 0; language < kLanguageCount; ++language) {
    SetLanguage(language);
    for (int code = 1; code <= 46; ++code) {
      int numbers[4];
      const int count = ErrorMessageLines(code, numbers);
      ASSERT_EQ(count, code == 27 ? 4 : 3);
      int nonEmpty = 0;
      for (int i = 0; i < count; ++i) {
        char buffer[kMessageBufferBytes];
        const char* text = GetMessage(numbers[i], buffer);
        ASSERT_NE(text, nullptr);
        nonEmpty += std::string(text).find_first_not_of("\xF9\xC9 ") != std::string::npos;
      }
      EXPECT_GE(nonEmpty, 1) << "language " << language << " code " << code;
    }
  }
  int numbers[4];
  EXPECT_EQ(ErrorMessageLines(0, numbers), 0);
  EXPECT_EQ(ErrorMessageLines(47, numbers), 0);
}

TEST_F(PopUpTest, WindowsSuspendMenusByKind) {
  const uint8_t kBits[] = {0, 1, 32, 16, 1, 2};
  for (int kind = 1; kind <= kPopUpKinds; ++kind) {
    OpenWindow(kind);
    EXPECT_EQ(MenuSuspend(), kBits[kind - 1]) << kind;
    CloseWindow(kind);
    EXPECT_EQ(MenuSuspend(), 0) << kind;
  }
}

TEST_F(PopUpTest, ClearPopUpLinesBlanksTheTextAndKeepsTheFrame) {
  PopUp(5);
  Locate(1, 2);
  Print("\xF9\xC9\xF9\xC9XXXXXXXXXXXXXXXXX");
  Locate(1, 6);
  Print("\xF9\xC9\xF9\xC9XXXXXXXXXXXXXXXXX");
  const auto frameOnly = [] {
    ClearVram();
    PopUp(5);
    return VramCopy();
  }();
  Locate(1, 2);
  Print("\xF9\xC9\xF9\xC9XXXXXXXXXXXXXXXXX");
  Locate(1, 6);
  Print("\xF9\xC9\xF9\xC9XXXXXXXXXXXXXXXXX");
  ClearPopUpLines(5);
  EXPECT_EQ(VramCopy(), frameOnly);
}

}  // namespace
