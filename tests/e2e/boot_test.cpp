// Boot, the main menu and the execution contexts, on the whole calculator.
#include <sys/resource.h>

#include <cstdio>
#include <fstream>
#include <random>

#include "apps/common/placeholder_app.h"
#include "host/services/front_end.h"
#include "memory/flash_emu.h"
#include "memory/fs_api.h"
#include "memory/opt_run.h"
#include "os/app_table.h"
#include "os/boot.h"
#include "tests/e2e/calculator_fixture.h"

namespace {

TEST(Boot, EveryStartShowsTheBootMessageThenTheMainMenu) {
  Calculator c;
  EXPECT_TRUE(ScreenMatches(c, "boot_memory_initialised"));
  c.Press({"EXE", "ESC"});  // only MENU leaves the message
  EXPECT_TRUE(ScreenMatches(c, "boot_memory_initialised"));
  c.Press({"MENU"});
  EXPECT_TRUE(ScreenMatches(c, "main_menu"));
  EXPECT_EQ(Os().menuSelection, 0);
}

// Keys of the main menu and where they lead.
TEST(MainMenu, KeysChooseAndLaunch) {
  struct Case {
    std::initializer_list<const char*> keys;
    int mode;       // 3: still in the menu, 0: an application runs
    int selection;  // in the menu
    int current;    // the application started
  } cases[] = {
      {{"3"}, kModeApplication, 0, kAppNote},
      {{"type:F"}, kModeApplication, 0, kAppSystem},
      {{"type:G"}, kModeSystem, 0, -1},            // no sixteenth icon
      {{"RIGHT", "RIGHT", "EXE"}, kModeApplication, 0, kAppNote},
      {{"DOWN", "DOWN", "RIGHT", "RIGHT", "RIGHT", "DOWN"}, kModeSystem, 14, -1},  // 11 -> 14
      {{"DOWN", "DOWN", "DOWN", "DOWN"}, kModeSystem, 12, -1},  // the last row stays
      {{"LEFT", "UP"}, kModeSystem, 0, -1},
      {{"log"}, kModeApplication, 0, kAppProg},   // the keypad's B
      {{"SHIFT", "log"}, kModeSystem, 0, -1},     // SHIFT log is no letter
  };
  for (const Case& k : cases) {
    Calculator c;
    c.Press({"MENU"});
    c.Press(k.keys);
    EXPECT_EQ(Os().mode, k.mode) << *k.keys.begin();
    if (k.mode == kModeSystem) {
      EXPECT_EQ(Os().menuSelection, k.selection) << *k.keys.begin();
    }
    if (k.current >= 0) {
      EXPECT_EQ(Os().current.index, k.current) << *k.keys.begin();
    }
  }
}

TEST(MainMenu, ScrollsAndShowsItsArrows) {
  Calculator c;
  c.Press({"MENU", "DOWN", "DOWN", "DOWN"});
  EXPECT_EQ(Os().menuTopRow, 1);
  EXPECT_TRUE(ScreenMatches(c, "main_menu_scrolled"));  // up arrow, no down arrow
  c.Press({"UP", "UP", "UP"});
  EXPECT_EQ(Os().menuTopRow, 0);
  EXPECT_TRUE(ScreenMatches(c, "main_menu"));  // down arrow only
}

// MENU inside an application, then MENU again, or the same application
// chosen again: the application's key wait goes on where it was.
TEST(Contexts, TheInterruptedApplicationResumes) {
  for (const char* back : {"MENU", "type:F", "EXE"}) {
    Calculator c;
    c.Press({"MENU", "type:F", "F1", "DOWN"});  // SYSTEM, language list, Spanish chosen
    std::string before = c.Screen();
    c.Press({"MENU"});
    EXPECT_EQ(Os().mode, kModeSystem);
    EXPECT_NE(c.Screen(), before);
    c.Press({back});
    EXPECT_EQ(c.Screen(), before) << back;
    EXPECT_EQ(Os().mode, kModeApplication) << back;
    c.Press({"DOWN"});  // the same list: German is next
    c.Press({"UP", "UP"});
    EXPECT_EQ(c.Screen().substr(0, 129), before.substr(0, 129)) << back;
  }
}

TEST(Contexts, AnotherApplicationReplacesTheInterruptedOne) {
  Calculator c;
  c.Press({"MENU", "type:F", "F1", "MENU", "3"});
  EXPECT_EQ(Os().current.index, kAppNote);
  c.Press({"ESC"});  // the placeholder ends: back to the menu
  EXPECT_EQ(Os().mode, kModeSystem);
  c.Press({"type:F"});  // SYSTEM starts afresh, not in its language list
  EXPECT_EQ(Os().current.index, kAppSystem);
  EXPECT_TRUE(ScreenMatches(c, "system_app"));
}

// The reset question has four lines and needs the taller pop-up; the answer
// box holds its text inside its frame. Looked at as pictures before they
// became goldens.
TEST(SystemApp, ResetSetupBoxesKeepTheirTextInsideTheFrame) {
  Calculator c;
  c.Press({"MENU", "type:F", "F2"});
  EXPECT_TRUE(ScreenMatches(c, "system_reset_ask"));
  c.Press({"F1"});
  EXPECT_TRUE(ScreenMatches(c, "system_reset_done"));
  c.Press({"ESC"});
  EXPECT_TRUE(ScreenMatches(c, "system_app"));
  c.Press({"F1"});  // the language list has no function keys, so no bar
  EXPECT_TRUE(ScreenMatches(c, "system_languages"));
  c.Press({"ESC"});
  EXPECT_TRUE(ScreenMatches(c, "system_app"));
}

TEST(Contexts, ShiftMenuGoesToTheApplication) {
  Calculator c;
  c.Press({"MENU", "type:F"});
  std::string app = c.Screen();
  c.Press({"SHIFT", "MENU"});
  EXPECT_EQ(Os().mode, kModeApplication);
  EXPECT_EQ(c.Screen(), app);
}

// A system error restarts the OS: a warm start keeps main memory, so no
// boot message is shown, and the main menu comes back.
void RestartingEntry(int, uint16_t) { HostRestartOs(); }

TEST(Boot, ASystemErrorRestartsTheOsWarm) {
  Calculator c;
  c.Press({"MENU"});
  SetApplicationEntry(kAppRecur, RestartingEntry);
  c.Press({"8"});
  EXPECT_EQ(Os().mode, kModeSystem);
  EXPECT_TRUE(ScreenMatches(c, "main_menu"));  // no boot message: a warm start
  SetApplicationEntry(kAppRecur, PlaceholderAppEntry);
}

// Thousands of launches leave nothing behind: LeakSanitizer checks at exit,
// and without it the resident size stays flat.
long ResidentKb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * 4;
}

TEST(Contexts, ManyLaunchesLeakNothing) {
  const char* count = std::getenv("VK_LAUNCHES");
  int launches = count ? std::atoi(count) : 10000;
  Calculator c;
  c.Press({"MENU"});
  long early = 0;
  for (int i = 0; i < launches; ++i) {
    c.Press({i % 2 ? "3" : "type:F", "MENU"});
    if (i == launches / 10) early = ResidentKb();
  }
  EXPECT_EQ(Os().mode, kModeSystem);
#if defined(__SANITIZE_ADDRESS__)
  (void)early;  // the sanitizer's quarantine grows on its own; its leak check decides
#else
  EXPECT_LT(ResidentKb() - early, 2048) << launches << " launches";
#endif
}

// An image that is not a storage memory at all is formatted, and the user
// is told before the memory message.
TEST(Boot, ADamagedFlashImageIsFormatted) {
  char folder[] = "/tmp/vk2280-boot-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  std::string path = std::string(folder) + "/qm417.fls";
  {
    std::mt19937 random(7);
    std::ofstream image(path, std::ios::binary);
    for (uint32_t i = 0; i < kFlashImageSize; ++i) image.put(static_cast<char>(random()));
  }
  {
    Calculator c(path);
    EXPECT_TRUE(ScreenMatches(c, "boot_storage_formatted"));
    c.Press({"MENU"});
    EXPECT_TRUE(ScreenMatches(c, "boot_memory_initialised"));
    c.Press({"MENU"});
    EXPECT_EQ(Os().mode, kModeSystem);
  }
  std::remove(path.c_str());
  rmdir(folder);
}

// An optimisation cut short by a power failure: the start asks whether to
// go on.
std::vector<uint8_t> InterruptedOptimisationImage() {
  FlashEmu emu;
  FlashEmuInit(&emu);
  FlashAttach(FlashEmuMedium(&emu));
  FsFormat(u"\\\\fls0\\", true);
  std::vector<uint8_t> data(20000, 0x5A);
  for (int i = 0; i < 12; ++i) {
    std::u16string name = u"\\\\fls0\\F" + std::u16string(1, char16_t(u'A' + i)) + u".g1m";
    FsCreate(name.c_str(), kEntryFile, static_cast<uint32_t>(data.size()));
    int h = FsOpen(name.c_str(), kOpenWrite);
    FsWrite(h, data.data(), static_cast<int>(data.size()));
    FsClose(h);
    if (i % 2) FsDelete(name.c_str());
  }
  FlashEmuArmCut(&emu, 40, false, 1);
  FsOptimize(u"\\\\fls0\\");
  FlashEmuPowerOn(&emu);
  FlashDetach();
  std::vector<uint8_t> image(kFlashImageSize, 0xFF);
  std::copy(emu.bytes.begin(), emu.bytes.end(), image.begin() + kFlashBase);
  return image;
}

TEST(Boot, AnInterruptedOptimisationAsksToContinue) {
  char folder[] = "/tmp/vk2280-boot-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  std::string path = std::string(folder) + "/qm417.fls";
  std::vector<uint8_t> image = InterruptedOptimisationImage();
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
  {
    Calculator c(path);
    EXPECT_TRUE(ScreenMatches(c, "boot_optimisation_stopped"));
    c.Press({"F1"});
    EXPECT_TRUE(ScreenMatches(c, "boot_memory_initialised"));
  }
  std::remove(path.c_str());
  rmdir(folder);
}

}  // namespace
