// The key read: every matrix position in every shift state against the key
// table, the table against the host's key map, the modifier machine, and
// the codes GetKey rewrites or acts on. Function-key menus: the stack and
// history, what F-keys, OPTN, EXIT and the shift state do to them, the
// system families, the label table and the bar's picture.
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "keys_fixture.h"
#include "os/fkey_labels.h"
#include "os/key_matrix.h"
#include "support/golden.h"

namespace {

constexpr uint8_t kAllStates[] = {kShiftNone,  kShiftShift,     kShiftClip,     kShiftAlpha,
                                  kShiftSmall, kShiftAlphaLock, kShiftSmallLock};

using GetKeyTest = KeysTest;

// Every key with a position, in every state: GetKey yields what the table
// row says (small letters in the small states), apart from the codes that
// GetKey itself acts on.
TEST_F(GetKeyTest, EveryPositionInEveryState) {
  SetKeyInhibit(kInhibitCatalog);  // SHIFT 4 would open the list
  for (int i = 0; i < kKeyTableRowCount; ++i) {
    const KeyTableRow& row = kKeyTableRows[i];
    if (row.column == 0) continue;
    for (uint8_t state : kAllStates) {
      SCOPED_TRACE("index " + std::to_string(row.index) + " state " + std::to_string(state));
      KeyCell cell = state == kShiftShift  ? row.shift
                     : state == kShiftClip ? row.clip
                     : state == kShiftNone ? row.normal
                                           : row.alpha;
      if (state == kShiftClip && cell.yield == KeyYield::kChar) cell = {};
      uint32_t expected = cell.code;
      if ((state == kShiftSmall || state == kShiftSmallLock) && expected >= 'A' && expected <= 'Z')
        expected += 32;
      if (cell.yield != KeyYield::kChar) {
        if (expected == kKeyAlphaExe) expected = kKeyExe;
        if (expected == kKeyShiftLeft || expected == kKeyShiftRight) expected = 0;
      }
      SetShiftState(state);
      PostKey(row.row, row.column, 0, 0);
      if (expected == kKeyService) PostControl(kKeyExit);  // leaves the service menu
      EXPECT_EQ(Key(), Got(cell.yield == KeyYield::kChar, expected));
      FlushKeys();  // the capture key posts its second half
    }
  }
}

// The table and the host's key map describe the same face: every key the
// host sends has an index, every positioned index is a key of the host, and
// the keys a person reads by their legend give that legend.
TEST_F(GetKeyTest, KeyTableMatchesHostKeyMap) {
  int hostKeys = 0, positioned = 0;
  for (const KeyMapRow* k = kKeyMap; k->code != 0; ++k) {
    if (k->code == kNoKey || k->row < 1 || k->column == 11) continue;
    if (k->column == 12 && std::string(k->name) != "TEST") continue;  // harness keys
    ++hostKeys;
    EXPECT_GE(KeyIndexAt(k->column, k->row), 0) << k->name;
  }
  for (int i = 0; i < kKeyTableRowCount; ++i) positioned += kKeyTableRows[i].column > 0;
  EXPECT_EQ(hostKeys, positioned);
  const struct {
    const char* name;
    int isChar;
    uint32_t code;
  } kLegends[] = {
      {"0", 1, '0'},           {"5", 1, '5'},         {"9", 1, '9'},
      {".", 1, '.'},           {"(", 1, '('},         {")", 1, ')'},
      {",", 1, ','},           {"EXE", 0, kKeyExe},   {"AC", 0, kKeyAc},
      {"ESC", 0, kKeyExit},    {"MENU", 0, kKeyMenu}, {"OPT", 0, kKeyOptn},
      {"VARS", 0, kKeyVars},   {"F1", 0, kKeyF1},     {"F6", 0, kKeyF6},
      {"UP", 0, kKeyUp},       {"DOWN", 0, kKeyDown}, {"LEFT", 0, kKeyLeft},
      {"RIGHT", 0, kKeyRight}, {"DEL", 0, kKeyDel},   {"SHIFT", 0, kKeyShift},
      {"ALPHA", 0, kKeyAlpha},
  };
  for (const auto& l : kLegends) {
    const KeyMapRow* k = KeyMapByName(l.name);
    ASSERT_NE(k, nullptr) << l.name;
    const KeyTranslation t = TranslateKeyIndex(KeyIndexAt(k->column, k->row), kShiftNone);
    EXPECT_EQ(Got(t.isChar, t.code), Got(l.isChar, l.code)) << l.name;
  }
}

// The modifier machine, state by state, for each kind of key.
TEST(ShiftMachine, Transitions) {
  // SHIFT, ALPHA, a posted code, CLIP, CLIP barred, a letter, a clip arrow,
  // EXE, ALPHA EXE, up, nothing.
  const struct {
    int isChar;
    uint32_t code;
    bool clipAllowed;
  } kKeys[] = {{0, kKeyShift, true},    {0, kKeyAlpha, true}, {0, 30005, true},
               {0, kKeyClip, true},     {0, kKeyClip, false}, {1, 'A', true},
               {0, kKeyClipLeft, true}, {0, kKeyExe, true},   {0, kKeyAlphaExe, true},
               {0, kKeyUp, true},       {0, 0, true}};
  // Rows: states 0, 1, 2, 4, 8, 132, 136; columns: the keys above.
  const uint8_t kNext[7][11] = {
      {1, 4, 2, 2, 0, 0, 0, 0, 0, 0, 0},          // none
      {0, 132, 2, 2, 0, 0, 0, 0, 0, 0, 0},        // SHIFT
      {1, 4, 0, 0, 0, 0, 2, 0, 0, 0, 0},          // CLIP
      {1, 0, 2, 2, 0, 0, 0, 0, 0, 0, 0},          // ALPHA
      {1, 0, 2, 2, 0, 0, 0, 0, 0, 0, 0},          // small ALPHA
      {1, 0, 2, 2, 0, 132, 132, 0, 0, 132, 132},  // ALPHA-lock
      {1, 0, 2, 2, 0, 136, 136, 0, 0, 136, 136},  // small ALPHA-lock
  };
  for (int s = 0; s < 7; ++s)
    for (int k = 0; k < 11; ++k)
      EXPECT_EQ(NextShiftState(kAllStates[s], kKeys[k].isChar, kKeys[k].code, kKeys[k].clipAllowed),
                kNext[s][k])
          << "state " << int(kAllStates[s]) << " key " << k;
}

// Sequences a user relies on, read through GetKey from the face.
TEST_F(GetKeyTest, ModifierSequences) {
  struct Step {
    const char* key;  // a face key, or nullptr for the posted character 'A'
    int isChar;
    uint32_t code;
    uint8_t stateAfter;
  };
  const Step kShift = {"SHIFT", 0, kKeyShift, 1};
  // Each sequence starts with no modifier, a text cursor on the screen (CLIP
  // needs one) and no inhibit, unless it says otherwise.
  const struct {
    const char* what;
    std::vector<Step> steps;
    bool noCursor = false;
    uint16_t inhibit = 0;
  } kSequences[] = {
      {"SHIFT ALPHA locks, letters keep it, EXE ends it",
       {kShift, {"ALPHA", 0, kKeyAlpha, 132}, {"XtT", 1, 'A', 132}, {"EXE", 0, kKeyExe, 0}}},
      {"ALPHA-lock, EXE under ALPHA",
       {kShift, {"ALPHA", 0, kKeyAlpha, 132}, {"EXE", 0, kKeyExe, 0}}},
      {"ALPHA types one letter", {{"ALPHA", 0, kKeyAlpha, 4}, {"7", 1, 'M', 0}}},
      {"SHIFT DEL is INS", {kShift, {"DEL", 0, kKeyIns, 0}}},
      {"SHIFT LEFT keeps SHIFT", {kShift, {"LEFT", 0, 0, 1}}},
      {"SHIFT EXE types a new line", {kShift, {"EXE", 1, 0x0D, 0}}},
      {"a posted character is not translated", {kShift, {nullptr, 1, 'A', 0}}},
      {"CLIP: arrows clip, other keys end it",
       {kShift, {"8", 0, kKeyClip, 2}, {"UP", 0, kKeyClipUp, 2}, {"7", 0, 0, 0}}},
      {"CLIP without a cursor", {kShift, {"8", 0, kKeyClip, 0}}, true},
      {"CLIP barred", {kShift, {"8", 0, kKeyClip, 0}}, false, kInhibitClip},
  };
  for (const auto& seq : kSequences) {
    SCOPED_TRACE(seq.what);
    SetShiftState(kShiftNone);
    SetKeyInhibit(seq.inhibit);
    SetCursorShape(0);
    if (seq.noCursor) HideCursor();
    for (const Step& step : seq.steps) {
      step.key ? Press(step.key) : PostChar('A');
      EXPECT_EQ(Key(), Got(step.isChar, step.code)) << (step.key ? step.key : "posted");
      EXPECT_EQ(GetShiftState(), step.stateAfter) << (step.key ? step.key : "posted");
    }
  }
}

// INS flips the insert mode, and the cursor follows; a mode byte that is
// neither counts as insert.
TEST_F(GetKeyTest, InsTogglesInsertModeAndCursorFollows) {
  SetSetupItem(kSetupInsertMode, 0);
  Locate(3, 3);
  RefreshCursorShape();
  Press({"SHIFT", "DEL", "SHIFT", "DEL"});
  ReadKey();
  EXPECT_EQ(GetCursorPosition().type, 1);  // the SHIFT cursor
  ReadKey();
  EXPECT_EQ(GetSetupItem(kSetupInsertMode), kInsertOverwrite);
  EXPECT_EQ(GetCursorPosition().type, 16);  // plain overwrite cursor
  ReadKey();
  ReadKey();
  EXPECT_EQ(GetSetupItem(kSetupInsertMode), kInsertInsert);
}

TEST_F(GetKeyTest, IgnoresPositionsWithoutAKey) {
  // Row 0, column 0, a marker (swallowed by the queue), no key at column 2
  // of row 1, and outside the matrix.
  const int positions[][3] = {{0, 5, 0},  {3, 0, 0}, {7, 11, 0},  {1, 2, 0},
                              {3, 13, 0}, {8, 2, 0}, {-3, -3, 65}};
  for (const auto& p : positions) PostKey(p[0], p[1], p[2], 0);
  Press("3");
  EXPECT_EQ(Key(), Got(1, '3'));
  EXPECT_EQ(KeyQueueCount(), 0);
}

TEST_F(GetKeyTest, PostedCodesAndLastKeyWords) {
  PostControl(30036);
  EXPECT_EQ(Key(), Got(0, 30036));
  EXPECT_EQ(std::make_pair(TakeLastControlCode(), TakeLastCharCode()), std::make_pair(30036u, 0u));
  PostChar(0xE541);
  EXPECT_EQ(Key(), Got(1, 0xE541));
  EXPECT_EQ(std::make_pair(TakeLastControlCode(), TakeLastCharCode()), std::make_pair(0u, 0xE541u));
  // Reading takes them: the next key's log line does not repeat them.
  EXPECT_EQ(std::make_pair(TakeLastControlCode(), TakeLastCharCode()), std::make_pair(0u, 0u));
}

TEST_F(GetKeyTest, BreakCheck) {
  ArmBreak();
  Press({"AC", "1"});
  EXPECT_EQ(BreakPressed(), 1);
  EXPECT_EQ(KeyQueueCount(), 0);
  // Arming again keeps the pending request; the key read disarms.
  ArmBreakKeepRequest();
  EXPECT_EQ(BreakPressed(), 1);
  Press("1");
  ReadKey();
  EXPECT_EQ(BreakPressed(), 0);
}

// ---- Function-key menus ------------------------------------------------------

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
