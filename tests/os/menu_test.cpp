// Function-key menus: the stack and history, what F-keys, OPTN, EXIT and
// the shift state do to them, the system families, the label table and the
// bar's picture.
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "keys_fixture.h"
#include "os/fkey_labels.h"
#include "support/golden.h"

namespace {

using MenuTest = KeysTest;
using Ints = std::vector<int>;

const MenuEntry kSix[kMenuEntries] = {{1, kEntryChar, 'x'}, {2, kEntryChar, 'y'},
                                      {3, kEntryChar, 'z'}, {0, kEntryChar, 0},
                                      {0, kEntryChar, 0},   {0, kEntryChar, 0}};
const uint16_t kAllFamilies[kMenuFamilyCount] = {1, 1, 1, 1, 1, 1};

TEST_F(MenuTest, PopModes) {
  const struct {
    Ints stack;
    int mode, result;
    Ints after;
  } kCases[] = {
      {{}, kPopLook, -1, {}},
      {{}, kPopTop, -1, {}},
      {{}, kPopExit, -1, {}},
      {{5, 6}, kPopLook, 6, {5, 6}},
      {{5, 6}, kPopTop, 6, {5}},
      {{5}, kPopExit, -2, {5}},          // the only entry
      {{-2, 5}, kPopExit, -2, {-2, 5}},  // the group's base menu
      {{-2, 5, 6}, kPopExit, 6, {-2, 5}},
      {{7, -2, 5, 6, 8}, kPopToGroup, -2, {7, -2}},
      {{7, -2, 5, -2}, kPopTop, -2, {7, -2}},  // removing a mark cuts back to the one below
      {{-2, 7, 8, -2}, kPopTop, -2, {-2}},
  };
  for (const auto& c : kCases) {
    ResetMenus();
    for (int m : c.stack) PushMenu(m);
    EXPECT_EQ(PopMenu(c.mode), c.result);
    EXPECT_EQ(Stack(), c.after);
  }
}

TEST_F(MenuTest, GroupsAndHistory) {
  EnterMenuGroup(3);
  PushMenu(4);
  EnterMenuGroup(5);
  PushMenu(6);
  EXPECT_EQ(Stack(), (Ints{-2, 3, 4, -2, 5, 6}));
  EXPECT_EQ(History(), (Ints{3, 5}));
  CutBackToGroup();
  EXPECT_EQ(Stack(), (Ints{-2, 3, 4, -2}));
  LeaveMenuGroup();
  EXPECT_EQ(Stack(), (Ints{-2, 3, 4}));
  EXPECT_EQ(History(), (Ints{3}));
  LeaveMenuGroup();
  EXPECT_TRUE(Stack().empty());
  EXPECT_EQ(History(), (Ints{3}));  // never below one entry
  EXPECT_EQ(CurrentMenu(), -1);
  EXPECT_EQ(BarMenu(), 3);  // an empty stack shows the newest base menu
  ResetMenus();
  PushMenu(1);
  PushMenu(2);
  CutBackToGroup();  // without a mark only the first entry stays
  EXPECT_EQ(Stack(), (Ints{1}));
}

// A full stack or history shows its box (here closed with EXIT) and leaves
// both as they were; the screen under the box comes back.
TEST_F(MenuTest, OverflowShowsItsBoxAndChangesNothing) {
  for (int i = 0; i < kMenuStackDepth; ++i) PushMenu(i % 10);
  Ints stack = Stack();
  const auto vram = VramCopy();
  PostControl(kKeyExit);
  EXPECT_EQ(PushMenu(7), 0);
  EXPECT_EQ(Stack(), stack);
  EXPECT_EQ(VramCopy(), vram);
  EXPECT_EQ(KeyQueueCount(), 0);  // the box took the key
  EXPECT_EQ(LcdCopy()[3 * 16 + 1] & 0x40, 0) << "the box's frame was on the screen";

  ResetMenus();
  for (int i = 0; i < kMenuHistoryDepth; ++i) {
    EnterMenuGroup(i);
    PopMenu(kPopTop);  // keeps the marks only, so the stack has room
  }
  const Ints history = History();
  stack = Stack();
  PostControl(kKeyExit);
  EXPECT_EQ(EnterMenuGroup(50), 0);
  EXPECT_EQ(History(), history);
  EXPECT_EQ(Stack(), stack);
  EXPECT_EQ(KeyQueueCount(), 0);
}

TEST_F(MenuTest, FunctionKeysFollowTheirEntries) {
  const MenuEntry base[kMenuEntries] = {
      {10, kEntrySubmenu, 1}, {11, kEntryChar, 0x7F51}, {12, kEntryControl, 30037},
      {13, kEntryReplace, 2}, {0, kEntryChar, 'q'},     {kIconEndOfBar, kEntryChar, 'r'}};
  RegisterMenu(0, base);
  RegisterMenu(1, kSix);
  RegisterMenu(2, kSix);
  EnterMenuGroup(0);
  const struct {
    const char* key;
    int isChar;
    uint32_t code;
    Ints stack;
  } kSteps[] = {
      {"F2", 1, 0x7F51, {-2, 0}},     {"F3", 0, 30037, {-2, 0}},
      {"F5", 0, kKeyF1 + 4, {-2, 0}},  // icon 0: the plain F-key
      {"F6", 0, kKeyF6, {-2, 0}},      // past the end of the bar
      {"F1", 0, 0, {-2, 0, 1}},        // the submenu opens, the key is used up
      {"F1", 1, 'x', {-2, 0, 1}},     {"ESC", 0, 0, {-2, 0}},  // EXIT closes the submenu
      {"ESC", 0, kKeyExit, {-2, 0}},                           // but not the base menu
      {"F4", 0, 0, {-2, 2}},                                   // replace
  };
  for (const auto& s : kSteps) {
    Press(s.key);
    EXPECT_EQ(Key(), Got(s.isChar, s.code)) << s.key;
    EXPECT_EQ(Stack(), s.stack) << s.key;
  }
  EXPECT_EQ(CurrentFKeySlot(), 3);
  EXPECT_EQ(CurrentFKeyIcon(), 13);
}

TEST_F(MenuTest, SystemFamiliesOpenOnTheirKeys) {
  RegisterMenu(0, kSix);
  EnterMenuGroup(0);
  PushMenu(1);
  Press("OPT");
  EXPECT_EQ(ReadKey().code, kKeyOptn);  // not registered: nothing opens
  EXPECT_EQ(Stack(), (Ints{-2, 0, 1}));

  RegisterMenuFamilies(kAllFamilies);
  Press({"OPT", "F1", "F1"});
  EXPECT_EQ(ReadKey().code, kKeyOptn);  // the code still reaches the application
  EXPECT_EQ(Stack(), (Ints{-2, 100}));
  EXPECT_EQ(ReadKey().code, 0u);     // F1 opens LIST
  EXPECT_EQ(Key(), Got(1, 0x7F51));  // and F1 there types List
  Press({"SHIFT", "VARS"});          // PRGM
  ReadKey();
  EXPECT_EQ(ReadKey().code, uint32_t(kKeyPrgm));
  EXPECT_EQ(Stack(), (Ints{-2, 213}));

  SetKeyInhibit(kInhibitVars);
  Press("VARS");
  ReadKey();
  EXPECT_EQ(Stack(), (Ints{-2, 213}));

  uint16_t saved[kMenuFamilyCount];
  SaveMenuFamilies(saved);
  EXPECT_EQ(saved[kFamilyClip], 1);
  RegisterMenuFamily(kFamilyClip, 3);  // no such variant
  EXPECT_EQ(MenuFamilyWord(kFamilyClip), 0);
  EXPECT_EQ(MenuEntriesOf(kMenuClip), nullptr);
}

TEST_F(MenuTest, ShiftAndAlphaBarsFollowTheShiftState) {
  RegisterMenuFamilies(kAllFamilies);
  RegisterMenu(0, kSix);
  EnterMenuGroup(0);
  Press("SHIFT");
  ReadKey();
  EXPECT_EQ(CurrentMenu(), kMenuShiftBar);
  Press("F4");  // the sketch menu opens above a fresh SHIFT bar in the group
  EXPECT_EQ(ReadKey().code, 0u);
  EXPECT_EQ(Stack(), (Ints{-2, kMenuShiftBar, 193}));
  Press("ESC");
  ReadKey();
  EXPECT_EQ(Stack(), (Ints{-2}));  // and the bar went with the state
  EnterMenuGroup(0);

  Press({"ALPHA", "F2"});
  ReadKey();
  EXPECT_EQ(CurrentMenu(), kMenuAlphaBar);
  EXPECT_EQ(Key(), Got(1, '"'));
  EXPECT_EQ(Stack(), (Ints{-2, -2, 0}));

  SetKeyInhibit(kInhibitShiftBar | kInhibitAlphaBar);
  Press("SHIFT");
  ReadKey();
  EXPECT_EQ(CurrentMenu(), 0);
}

TEST_F(MenuTest, ClipBarCopyEndsClipping) {
  const uint16_t words[kMenuFamilyCount] = {0, 0, 0, 0, 0, 1};
  RegisterMenuFamilies(words);
  RegisterMenu(0, kSix);
  EnterMenuGroup(0);
  SetCursorShape(0);
  Press({"SHIFT", "8", "F1"});
  ReadKey();
  ReadKey();
  EXPECT_EQ(CurrentMenu(), kMenuClip);
  EXPECT_EQ(ReadKey().code, kKeyCopy);
  EXPECT_EQ(GetShiftState(), kShiftNone);
  EXPECT_EQ(Stack(), (Ints{-2}));  // CLIP took the group's place, and left
}

// Every label of the data file reaches the table; every entry of every
// system menu has a label that fits its icon in glyphs of the mini font.
TEST(FKeyLabels, EveryLabelLoadsAndEverySystemEntryHasAnIcon) {
  std::ifstream in(std::string(VK_SOURCE_DIR) + "/data/fkeys/labels.txt");
  ASSERT_TRUE(in);
  std::set<std::string> seen;
  for (std::string line, number, style; std::getline(in, line);) {
    if (line.empty() || line[0] == ';') continue;
    std::istringstream(line) >> number >> style;
    const bool user = number[0] == 'u';
    const int n = std::stoi(user ? number.substr(1) : number);
    EXPECT_NE((user ? UserIconLabel(n) : FKeyLabel(n))[0], 0) << "label not loaded: " << line;
    const std::string text = line.substr(line.find(style) + style.size() + 1);
    EXPECT_TRUE(seen.insert((user ? "u " : "") + style + " " + text).second)
        << "two labels read the same: " << line;
  }
  EXPECT_GT(seen.size(), 100u);

  ResetMenus();
  for (uint16_t clip : {1, 2}) {
    RegisterMenuFamilies(kAllFamilies);
    RegisterMenuFamily(kFamilyClip, clip);
    for (int m = kMenuOptn; m < kMenuCount; ++m) {
      const MenuEntry* e = MenuEntriesOf(m);
      if (!e) continue;
      int empty = 0;  // an entry whose label is missing comes out as an empty key
      for (int slot = 0; slot < kMenuEntries; ++slot) {
        SCOPED_TRACE(testing::Message() << "menu " << m << " slot " << slot);
        empty += e[slot].icon == 0;
        if (e[slot].icon == 0) continue;
        bool drawn = false;
        EXPECT_LE(MiniTextWidth(FKeyLabel(e[slot].icon), &drawn), kIconTextWidth);
        EXPECT_TRUE(drawn);
        if (e[slot].kind == kEntrySubmenu) {
          EXPECT_TRUE(FKeyLabelIsTab(e[slot].icon));
          EXPECT_NE(MenuEntriesOf(static_cast<int>(e[slot].value)), nullptr);
        }
      }
      EXPECT_LT(empty, kMenuEntries) << "menu " << m;
    }
  }
}

TEST_F(MenuTest, BarGolden) {
  RegisterMenuFamilies(kAllFamilies);
  Locate(1, 1);
  Print("OPTN and PRGM bars");
  PushMenu(kMenuOptn);
  DrawMenuBar();
  // A second bar, moved up by copying: the PRGM menu's COM page.
  PopMenu(kPopTop);
  PushMenu(214);
  uint8_t* const bar = VramAddress() + 56 * 16;
  const std::vector<uint8_t> first(bar, bar + 128);
  DrawMenuBar();
  std::copy(bar, bar + 128, VramAddress() + 40 * 16);
  std::copy(first.begin(), first.end(), bar);
  EXPECT_TRUE(golden::MatchesGolden(VramAddress(), "tests/os/golden/menu_bar.txt"));
  SetMenuBarDisplay(0);
  ClearVram();
  DrawMenuBar();
  EXPECT_EQ(DarkDots(), 0);
}

}  // namespace
