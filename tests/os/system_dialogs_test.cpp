// The dialogs GetKey opens by itself: the CATALOG, the capture dialog and
// the service menu.
#include <cstring>
#include <string>

#include "keys_fixture.h"
#include "math/bcd.h"
#include "memory/mcs_core.h"
#include "memory/mem_app.h"
#include "os/capture_dialog.h"
#include "os/catalog.h"
#include "os/service_menu.h"
#include "os/text.h"
#include "support/golden.h"

namespace {

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

// ---- CATALOG -------------------------------------------------------------------------

TEST(CatalogList, SortedAndEnded) {
  const CatalogEntry* list = CatalogCommands();
  const size_t count = CatalogCommandCount();
  ASSERT_GT(count, 100u);
  EXPECT_EQ(list[count].code, kCatalogEnd);
  for (size_t i = 1; i < count; ++i) {
    const uint32_t a = list[i - 1].sortLetter, b = list[i].sortLetter;
    EXPECT_TRUE(a == b || a == ' ' || (b != ' ' && a < b)) << i;
    EXPECT_TRUE(b == ' ' || (b >= 'A' && b <= 'Z')) << i;
  }
}

TEST(CatalogList, LetterJumps) {
  const CatalogEntry* list = CatalogCommands();
  auto letterAt = [&](int i) { return i < 0 ? 0u : list[i].sortLetter; };
  EXPECT_EQ(letterAt(CatalogJump('S')), uint32_t('S'));
  EXPECT_EQ(CatalogJump('s'), CatalogJump('S'));
  EXPECT_EQ(letterAt(CatalogJump(' ')), uint32_t(' '));
  // No command sorts under Y: the jump goes to the first later letter.
  EXPECT_EQ(letterAt(CatalogJump('Y')), uint32_t('Z'));
  EXPECT_LT(CatalogJump('K'), 0 + CatalogJump('L') + 1);
  EXPECT_EQ(CatalogJump('1'), -1);
  EXPECT_EQ(CatalogJump(0xE541), -1);
}

TEST_F(DialogTest, CatalogChoosesAndRestores) {
  struct Case {
    const char* what;
    std::vector<uint32_t> keys;  // posted: characters below 30000, controls above
    uint32_t chosen;
  };
  const CatalogEntry* list = CatalogCommands();
  const size_t count = CatalogCommandCount();
  const Case kCases[] = {
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
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    SetShiftState(kShiftNone);
    SetKeyInhibit(0);
    for (uint32_t k : c.keys) k < 30000 ? PostChar(k) : PostControl(k);
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
  PostChar('S');
  PostControl(kKeyExe);
  ReadKey();
  Read r = ReadKey();
  EXPECT_EQ(r.isChar, 1);
  EXPECT_EQ(r.code, CatalogCommands()[CatalogJump('S')].code);
}

TEST_F(DialogTest, CatalogGolden) {
  PostChar('S');
  PostControl(kKeyDown);
  PostControl(kKeyDown);
  PostControl(kKeyExit);
  Catalog();
  const auto lcd = ShownScreen();
  EXPECT_TRUE(golden::MatchesGolden(lcd.data(), "tests/os/golden/catalog.txt"));
}

// ---- Capture dialog ---------------------------------------------------------------

TEST_F(DialogTest, CaptureStoresTheScreenUnderTheDialog) {
  Locate(1, 1);
  Print("Captured screen");
  const auto screen = VramCopy();
  // 21 is refused with the Argument ERROR box (closed with EXIT) and asked
  // again; 3 is stored.
  Press({"SHIFT", "7"});
  ReadKey();
  EXPECT_EQ(ReadKey().code, kKeyCapture);
  Press({"2", "1", "EXE", "ESC", "3", "EXE"});  // behind the posted second half
  Read r = ReadKey();                           // the second half runs the dialog
  ASSERT_FALSE(r.ranOut);
  EXPECT_EQ(r.code, kKeyCaptureRun);
  EXPECT_EQ(KeyQueueCount(), 0);
  uint8_t* data = nullptr;
  uint32_t size = 0;
  ASSERT_EQ(MemGetPointer(MemOfKind(10), "CAPT3", &data, &size), 0u);
  ASSERT_EQ(size, kCapturePictureBytes);
  CapturePictureHeader header;
  std::memcpy(&header, data, sizeof header);
  EXPECT_EQ(header.width, 128);
  EXPECT_EQ(header.height, 64);
  EXPECT_EQ(std::vector<uint8_t>(data + sizeof header, data + size), screen);
  EXPECT_EQ(VramCopy(), screen);
  EXPECT_EQ(MenuSuspend(), 0);
  EXPECT_NE(MemGetPointer(MemOfKind(10), "CAPT21", &data, &size), 0u);
}

TEST_F(DialogTest, CaptureDialogGoldenAndExit) {
  Locate(1, 8);
  Print("below the dialog");
  PostChar('1');
  PostChar('2');
  PostControl(kKeyExit);
  CaptureDialog();
  const auto lcd = ShownScreen();
  EXPECT_TRUE(golden::MatchesGolden(lcd.data(), "tests/os/golden/capture_dialog.txt"));
  uint8_t* data = nullptr;
  uint32_t size = 0;
  EXPECT_NE(MemGetPointer(MemOfKind(10), "CAPT12", &data, &size), 0u);  // EXIT stores nothing
}

TEST_F(DialogTest, StoreCaptureRange) {
  uint8_t screen[1024] = {1, 2, 3};
  EXPECT_EQ(StoreCapture(0, screen), 8);
  EXPECT_EQ(StoreCapture(21, screen), 8);
  EXPECT_EQ(StoreCapture(1, screen), 0);
  EXPECT_EQ(StoreCapture(20, screen), 0);
  screen[0] = 9;
  EXPECT_EQ(StoreCapture(20, screen), 0);  // replaced
  uint8_t* data = nullptr;
  uint32_t size = 0;
  ASSERT_EQ(MemGetPointer(MemOfKind(10), "CAPT20", &data, &size), 0u);
  EXPECT_EQ(data[4], 9);
}

// ---- Service menu ------------------------------------------------------------------

TEST_F(DialogTest, ServiceMenuReachesItsThreeTools) {
  SetLanguage(kLanguageEnglish);
  SetVariable('A', "-2.5");
  // Variable manager: view A, close the view, leave. Font check: next page,
  // next language, leave. Add-in data: open the first folder, leave twice.
  // Then leave the service menu.
  PostChar('1');
  PostControl(kKeyF1);
  PostControl(kKeyExit);
  PostControl(kKeyExit);
  PostChar('2');
  PostControl(kKeyF1);
  PostControl(kKeyDown);
  PostControl(kKeyF1 + 1);
  PostControl(kKeyExit);
  PostChar('4');
  PostControl(kKeyExe);
  PostControl(kKeyDown);
  PostControl(kKeyExit);
  PostControl(kKeyExit);
  PostControl(kKeyExit);
  Locate(2, 2);
  Print("app screen");
  const auto screen = VramCopy();
  EXPECT_FALSE(RanOutOfKeys([] { ServiceMenu(); }));
  EXPECT_EQ(KeyQueueCount(), 0);
  EXPECT_EQ(GetLanguage(), kLanguageSpanish);
  EXPECT_EQ(VramCopy(), screen);
  EXPECT_TRUE(Stack().empty());
}

TEST_F(DialogTest, ServiceMenuGolden) {
  PostControl(kKeyExit);
  ServiceMenu();
  const auto lcd = ShownScreen();
  EXPECT_TRUE(golden::MatchesGolden(lcd.data(), "tests/os/golden/service_menu.txt"));
}

TEST_F(DialogTest, ServiceToolGoldens) {
  SetVariable('B', "1234.5678");
  SetVariable(kMemLetterTheta, "-0.001");
  struct Tool {
    void (*run)();
    const char* golden;
  };
  const Tool kTools[] = {
      {VariableManager, "tests/os/golden/service_variables.txt"},
      {FontLanguageCheck, "tests/os/golden/service_fonts.txt"},
      {AddinDataTool, "tests/os/golden/service_addin.txt"},
  };
  for (const Tool& t : kTools) {
    PostControl(kKeyDown);
    PostControl(kKeyExit);
    EXPECT_FALSE(RanOutOfKeys(t.run)) << t.golden;
    const auto lcd = ShownScreen();
    EXPECT_TRUE(golden::MatchesGolden(lcd.data(), t.golden));
  }
}

}  // namespace
