// Pop-up windows, the error box and message boxes, and the dialogs GetKey
// opens by itself (the CATALOG, the capture dialog and the service menu):
// their pictures, the keys that close them, and what they leave behind.
#include <cstring>
#include <functional>
#include <string>

#include "keys_fixture.h"
#include "math/bcd.h"
#include "memory/mcs_core.h"
#include "memory/mem_app.h"
#include "os/capture_dialog.h"
#include "os/catalog.h"
#include "os/service_menu.h"
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
  // QUIT is SHIFT EXIT; the menus and the cursor come back.
  ResetKeyState();
  Locate(5, 6);
  RefreshCursorShape();
  Press({"SHIFT", "ESC"});
  uint32_t closedBy = 0;
  EXPECT_FALSE(RanOutOfKeys([&] { closedBy = ErrorBox(2); }));
  EXPECT_EQ(closedBy, kKeyQuit);
  EXPECT_EQ(MenuSuspend(), 0);
  EXPECT_TRUE(GetCursorPosition().visible);
  EXPECT_EQ(CursorAt(), std::make_pair(4, 5));
}

// Every error code from 1 to 46 has lines, not all blank, in every language.
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

class DialogTest : public KeysTest {
 protected:
  void SetUp() override {
    KeysTest::SetUp();
    McsAllocateArena();
    MemStartUp();
  }
  void TearDown() override {
    McsFreeArena();
    KeysTest::TearDown();
  }
  static bool Shows(const char* golden) {
    return golden::MatchesGolden(ShownScreen().data(), std::string("tests/os/golden/") + golden);
  }
  // The stored capture picture of that name, or nullptr.
  static const uint8_t* Capture(const char* name, uint32_t* size) {
    uint8_t* data = nullptr;
    return MemGetPointer(MemOfKind(10), name, &data, size) == 0 ? data : nullptr;
  }
};

// A real part in an alpha variable; the imaginary part stays 0.
void SetVariable(uint8_t letter, const char* text) {
  BcdNumber parts[2];
  ASSERT_TRUE(BcdFromText(&parts[0], text));
  BcdFromInt(&parts[1], 0);
  uint8_t record[kMemAlphaRecord];
  std::memcpy(record, parts, sizeof record);
  MemSetVariable(letter, record);
}

TEST(CatalogList, SortedEndedAndJumpedInto) {
  const CatalogEntry* list = CatalogCommands();
  const size_t count = CatalogCommandCount();
  ASSERT_GT(count, 100u);
  EXPECT_EQ(list[count].code, kCatalogEnd);
  for (size_t i = 1; i < count; ++i) {
    const uint32_t a = list[i - 1].sortLetter, b = list[i].sortLetter;
    EXPECT_TRUE(a == b || a == ' ' || (b != ' ' && a < b)) << i;
    EXPECT_TRUE(b == ' ' || (b >= 'A' && b <= 'Z')) << i;
  }
  auto letterAt = [&](int i) { return i < 0 ? 0u : list[i].sortLetter; };
  EXPECT_EQ(letterAt(CatalogJump('S')), uint32_t('S'));
  EXPECT_EQ(CatalogJump('s'), CatalogJump('S'));
  EXPECT_EQ(letterAt(CatalogJump(' ')), uint32_t(' '));
  // No command sorts under Y: the jump goes to the first later letter.
  EXPECT_EQ(letterAt(CatalogJump('Y')), uint32_t('Z'));
  EXPECT_NE(letterAt(CatalogJump('S') - 1), uint32_t('S'));  // the first of its letter
  EXPECT_EQ(CatalogJump('1'), -1);
  EXPECT_EQ(CatalogJump(0xE541), -1);
}

TEST_F(DialogTest, CatalogChoosesAndRestores) {
  const CatalogEntry* list = CatalogCommands();
  const size_t count = CatalogCommandCount();
  const struct {
    const char* what;
    std::vector<uint32_t> keys;
    uint32_t chosen;
  } kCases[] = {
      {"EXE takes the first", {kKeyExe}, list[0].code},
      {"up wraps to the last", {kKeyUp, kKeyExe}, list[count - 1].code},
      {"down past the last wraps to the first", {kKeyUp, kKeyDown, kKeyExe}, list[0].code},
      {"a letter jumps", {'t', kKeyDown, kKeyExe}, list[CatalogJump('T') + 1].code},
      {"F1 types like EXE", {'C', kKeyF1}, list[CatalogJump('C')].code},
      {"EXIT leaves", {kKeyDown, kKeyExit}, 0},
      {"AC leaves", {kKeyAc}, 0},
  };
  Locate(4, 4);
  Print("under");
  const auto screen = VramCopy();
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    for (uint32_t k : c.keys) Post({k});
    uint32_t chosen = 1;
    EXPECT_FALSE(RanOutOfKeys([&] { chosen = Catalog(); }));
    EXPECT_EQ(chosen, c.chosen);
    EXPECT_EQ(GetShiftState(), kShiftNone);
    EXPECT_EQ(GetKeyInhibit(), 0);
    EXPECT_EQ(VramCopy(), screen);
    EXPECT_TRUE(Stack().empty());
  }
}

TEST_F(DialogTest, CatalogFromTheKeyboardTypesTheCommand) {
  Press({"SHIFT", "4"});
  Post({'S', kKeyExe});
  ReadKey();
  EXPECT_EQ(Key(), Got(1, CatalogCommands()[CatalogJump('S')].code));
}

// SHIFT 7 gives the capture key and posts its second half, which runs the
// dialog: 21 is refused with the Argument ERROR box (closed with EXIT) and
// asked again; 3 stores the screen under the dialog.
TEST_F(DialogTest, CaptureStoresTheScreenUnderTheDialog) {
  Locate(1, 1);
  Print("Captured screen");
  const auto screen = VramCopy();
  Press({"SHIFT", "7"});
  ReadKey();
  EXPECT_EQ(ReadKey().code, kKeyCapture);
  EXPECT_EQ(IsCodeQueued(kKeyCaptureRun), 1);
  Press({"2", "1", "EXE", "ESC", "3", "EXE"});  // behind the posted second half
  EXPECT_EQ(Key(), Got(0, kKeyCaptureRun));
  EXPECT_EQ(KeyQueueCount(), 0);
  uint32_t size = 0;
  const uint8_t* data = Capture("CAPT3", &size);
  ASSERT_NE(data, nullptr);
  ASSERT_EQ(size, kCapturePictureBytes);
  CapturePictureHeader header;
  std::memcpy(&header, data, sizeof header);
  EXPECT_EQ(header.width, 128);
  EXPECT_EQ(header.height, 64);
  EXPECT_EQ(std::vector<uint8_t>(data + sizeof header, data + size), screen);
  EXPECT_EQ(VramCopy(), screen);
  EXPECT_EQ(MenuSuspend(), 0);
  EXPECT_EQ(Capture("CAPT21", &size), nullptr);
}

TEST_F(DialogTest, CaptureDialogGoldenAndExit) {
  Locate(1, 8);
  Print("below the dialog");
  Post({'1', '2', kKeyExit});
  CaptureDialog();
  EXPECT_TRUE(Shows("capture_dialog.txt"));
  uint32_t size = 0;
  EXPECT_EQ(Capture("CAPT12", &size), nullptr);  // EXIT stores nothing
}

TEST_F(DialogTest, StoreCaptureRange) {
  uint8_t screen[1024] = {1, 2, 3};
  EXPECT_EQ(StoreCapture(0, screen), 8);
  EXPECT_EQ(StoreCapture(21, screen), 8);
  EXPECT_EQ(StoreCapture(1, screen), 0);
  EXPECT_EQ(StoreCapture(20, screen), 0);
  screen[0] = 9;
  EXPECT_EQ(StoreCapture(20, screen), 0);  // replaced
  uint32_t size = 0;
  ASSERT_NE(Capture("CAPT20", &size), nullptr);
  EXPECT_EQ(Capture("CAPT20", &size)[4], 9);
}

TEST_F(DialogTest, ServiceMenuReachesItsThreeTools) {
  SetVariable('A', "-2.5");
  // Variable manager: view A, close the view, leave. Font check: next page,
  // next language, leave. Add-in data: open the first folder, leave twice.
  // Then leave the service menu.
  Post({'1', kKeyF1, kKeyExit, kKeyExit, '2', kKeyF1, kKeyDown, kKeyF1 + 1, kKeyExit, '4', kKeyExe,
        kKeyDown, kKeyExit, kKeyExit, kKeyExit});
  Locate(2, 2);
  Print("app screen");
  const auto screen = VramCopy();
  EXPECT_FALSE(RanOutOfKeys([] { ServiceMenu(); }));
  EXPECT_EQ(KeyQueueCount(), 0);
  EXPECT_EQ(GetLanguage(), kLanguageSpanish);
  EXPECT_EQ(VramCopy(), screen);
  EXPECT_TRUE(Stack().empty());
}

TEST_F(DialogTest, DialogGoldens) {
  SetVariable('B', "1234.5678");
  SetVariable(kMemLetterTheta, "-0.001");
  const struct {
    void (*run)();
    std::vector<uint32_t> keys;
    const char* golden;
  } kTools[] = {
      {[] { Catalog(); }, {'S', kKeyDown, kKeyDown, kKeyExit}, "catalog.txt"},
      {ServiceMenu, {kKeyExit}, "service_menu.txt"},
      {VariableManager, {kKeyDown, kKeyExit}, "service_variables.txt"},
      {FontLanguageCheck, {kKeyDown, kKeyExit}, "service_fonts.txt"},
      {AddinDataTool, {kKeyDown, kKeyExit}, "service_addin.txt"},
  };
  for (const auto& t : kTools) {
    for (uint32_t k : t.keys) Post({k});
    EXPECT_FALSE(RanOutOfKeys(t.run)) << t.golden;
    EXPECT_TRUE(Shows(t.golden));
  }
}

}  // namespace
