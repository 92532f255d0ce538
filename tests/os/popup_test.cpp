// Pop-up windows, the error box and message boxes: their pictures, the keys
// that close them, and what they leave behind.
#include <functional>
#include <string>

#include "keys_fixture.h"
#include "support/golden.h"

namespace {

using PopUpTest = KeysTest;

// Each box over a busy screen, so the goldens show the frame and shadow,
// closed with EXIT: the LCD still holds the box, Vram is put back.
TEST_F(PopUpTest, BoxGoldens) {
  const struct {
    std::function<void()> show;
    const char* golden;
  } kCases[] = {
      {[] { EXPECT_EQ(ErrorBox(8), kKeyExit); }, "error_box_argument"},
      {[] { ErrorBox(27); }, "error_box_tall"},
      {[] { ErrorBox(99); }, "error_box_undefined"},
      {[] { ErrorBox(42); }, "error_box_two_texts"},
      {[] { MessageBox(3, "\xF9\xC9\xF9\xC9Two lines\xF9\xCA\xF9\xCD\xF9\xC9\xF9\xC9of text"); },
       "message_box"},
  };
  for (int line = 1; line <= 8; ++line) {
    Locate(1, line);
    Print("0123456789ABCDEFGHIJK");
  }
  const auto before = VramCopy();
  EXPECT_FALSE(RanOutOfKeys([] { EXPECT_EQ(ErrorBox(0), 0u); }));  // no error, no box
  EXPECT_EQ(VramCopy(), before);
  for (const auto& c : kCases) {
    PostControl(kKeyExit);
    EXPECT_FALSE(RanOutOfKeys(c.show)) << c.golden;
    EXPECT_TRUE(golden::MatchesGolden(ShownScreen().data(),
                                      std::string("tests/os/golden/") + c.golden + ".txt"));
    EXPECT_EQ(VramCopy(), before) << c.golden << ": the box puts the screen back";
  }
}

TEST_F(PopUpTest, KeysThatCloseTheBox) {
  const struct {
    const char* key;
    bool closes;
  } kCases[] = {{"ESC", true}, {"AC", true},  {"LEFT", true}, {"RIGHT", true}, {"EXE", false},
                {"UP", false}, {"F1", false}, {"7", false},   {"DEL", false},  {"MENU", false}};
  for (const auto& c : kCases) {
    ResetKeyState();
    Press(c.key);
    EXPECT_EQ(RanOutOfKeys([] { ErrorBox(1); }), !c.closes) << c.key;
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
  PostControl(kKeyExit);
  ErrorBox(4);
  EXPECT_TRUE(GetCursorPosition().visible);
  EXPECT_EQ(CursorAt(), std::make_pair(4, 5));
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
  const auto frameOnly = VramCopy();
  for (int line : {2, 6}) {
    Locate(1, line);
    Print("\xF9\xC9\xF9\xC9XXXXXXXXXXXXXXXXX");
  }
  ASSERT_NE(VramCopy(), frameOnly);
  ClearPopUpLines(5);
  EXPECT_EQ(VramCopy(), frameOnly);
}

}  // namespace
