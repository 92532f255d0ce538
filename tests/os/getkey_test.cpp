// The key read: every matrix position in every shift state against the key
// table, the table against the host's key map, the modifier machine, and
// the codes GetKey rewrites or acts on.
#include <string>

#include "keys_fixture.h"
#include "os/key_matrix.h"

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
  EXPECT_EQ(std::make_pair(LastControlCode(), LastCharCode()), std::make_pair(30036u, 0u));
  PostChar(0xE541);
  EXPECT_EQ(Key(), Got(1, 0xE541));
  EXPECT_EQ(std::make_pair(LastControlCode(), LastCharCode()), std::make_pair(0u, 0xE541u));
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

}  // namespace
