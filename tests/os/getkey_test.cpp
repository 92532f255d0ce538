// The key read: every matrix position in every shift state against the key
// table, the table against the host's key map, the modifier machine, and
// the codes GetKey rewrites or acts on.
#include <string>

#include "keys_fixture.h"
#include "os/key_matrix.h"
#include "os/setup.h"
#include "os/text.h"

namespace {

constexpr uint8_t kAllStates[] = {kShiftNone,  kShiftShift,     kShiftClip,     kShiftAlpha,
                                  kShiftSmall, kShiftAlphaLock, kShiftSmallLock};

// What a table row promises for a state, before GetKey's rewrites.
KeyCell CellFor(const KeyTableRow& row, uint8_t state) {
  switch (state) {
    case kShiftShift:
      return row.shift;
    case kShiftClip:
      return row.clip;
    case kShiftNone:
      return row.normal;
    default:
      return row.alpha;
  }
}

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
      KeyCell cell = CellFor(row, state);
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
      Read r = ReadKey();
      ASSERT_FALSE(r.ranOut);
      EXPECT_EQ(r.isChar, cell.yield == KeyYield::kChar ? 1 : 0);
      EXPECT_EQ(r.code, expected);
      FlushKeys();  // the capture key posts its second half
    }
  }
}

// The table and the host's key map describe the same face: every key the
// host sends has an index, every positioned index is a key of the host, and
// the keys a person reads by their legend give that legend.
TEST_F(GetKeyTest, KeyTableMatchesHostKeyMap) {
  int hostKeys = 0;
  for (const KeyMapRow* k = kKeyMap; k->code != 0; ++k) {
    if (k->code == kNoKey || k->row < 1 || k->column == 11) continue;
    if (k->column == 12 && std::string(k->name) != "TEST") continue;  // harness keys
    ++hostKeys;
    EXPECT_GE(KeyIndexAt(k->column, k->row), 0) << k->name;
  }
  int positioned = 0;
  for (int i = 0; i < kKeyTableRowCount; ++i) positioned += kKeyTableRows[i].column > 0;
  EXPECT_EQ(hostKeys, positioned);

  struct Legend {
    const char* name;
    int isChar;
    uint32_t code;
  };
  const Legend kLegends[] = {
      {"0", 1, '0'},           {"5", 1, '5'},         {"9", 1, '9'},
      {".", 1, '.'},           {"(", 1, '('},         {")", 1, ')'},
      {",", 1, ','},           {"EXE", 0, kKeyExe},   {"AC", 0, kKeyAc},
      {"ESC", 0, kKeyExit},    {"MENU", 0, kKeyMenu}, {"OPT", 0, kKeyOptn},
      {"VARS", 0, kKeyVars},   {"F1", 0, kKeyF1},     {"F6", 0, kKeyF6},
      {"UP", 0, kKeyUp},       {"DOWN", 0, kKeyDown}, {"LEFT", 0, kKeyLeft},
      {"RIGHT", 0, kKeyRight}, {"DEL", 0, kKeyDel},   {"SHIFT", 0, kKeyShift},
      {"ALPHA", 0, kKeyAlpha},
  };
  for (const Legend& l : kLegends) {
    const KeyMapRow* k = KeyMapByName(l.name);
    ASSERT_NE(k, nullptr) << l.name;
    KeyTranslation t = TranslateKeyIndex(KeyIndexAt(k->column, k->row), kShiftNone);
    EXPECT_EQ(t.isChar, l.isChar) << l.name;
    EXPECT_EQ(t.code, l.code) << l.name;
  }
}

// The modifier machine, state by state, for each kind of key.
TEST(ShiftMachine, Transitions) {
  struct Key {
    const char* what;
    int isChar;
    uint32_t code;
    bool clipAllowed;
  };
  const Key kKeys[] = {
      {"SHIFT", 0, kKeyShift, true},
      {"ALPHA", 0, kKeyAlpha, true},
      {"posted 30005", 0, 30005, true},
      {"CLIP", 0, kKeyClip, true},
      {"CLIP barred", 0, kKeyClip, false},
      {"letter", 1, 'A', true},
      {"clip arrow", 0, kKeyClipLeft, true},
      {"EXE", 0, kKeyExe, true},
      {"ALPHA EXE", 0, kKeyAlphaExe, true},
      {"up", 0, kKeyUp, true},
      {"nothing", 0, 0, true},
  };
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
          << "state " << int(kAllStates[s]) << " key " << kKeys[k].what;
}

// Sequences a user relies on, read through GetKey from the face.
TEST_F(GetKeyTest, ModifierSequences) {
  struct Step {
    const char* key;  // a face key, or nullptr for the posted character 'A'
    int isChar;
    uint32_t code;
    uint8_t stateAfter;
  };
  struct Sequence {
    const char* what;
    std::vector<Step> steps;
  };
  const Sequence kSequences[] = {
      {"SHIFT ALPHA locks, letters keep it, EXE ends it",
       {{"SHIFT", 0, kKeyShift, 1},
        {"ALPHA", 0, kKeyAlpha, 132},
        {"XtT", 1, 'A', 132},
        {"EXE", 0, kKeyExe, 0}}},
      {"ALPHA types one letter", {{"ALPHA", 0, kKeyAlpha, 4}, {"7", 1, 'M', 0}}},
      {"SHIFT DEL is INS", {{"SHIFT", 0, kKeyShift, 1}, {"DEL", 0, kKeyIns, 0}}},
      {"SHIFT LEFT keeps SHIFT", {{"SHIFT", 0, kKeyShift, 1}, {"LEFT", 0, 0, 1}}},
      {"SHIFT EXE types a new line", {{"SHIFT", 0, kKeyShift, 1}, {"EXE", 1, 0x0D, 0}}},
      {"CLIP without a cursor", {{"SHIFT", 0, kKeyShift, 1}, {"8", 0, kKeyClip, 0}}},
      {"ALPHA-lock, EXE under ALPHA",
       {{"SHIFT", 0, kKeyShift, 1}, {"ALPHA", 0, kKeyAlpha, 132}, {"EXE", 0, kKeyExe, 0}}},
      {"a posted character is not translated", {{"SHIFT", 0, kKeyShift, 1}, {nullptr, 1, 'A', 0}}},
  };
  for (const Sequence& seq : kSequences) {
    SCOPED_TRACE(seq.what);
    SetShiftState(kShiftNone);
    for (const Step& step : seq.steps) {
      if (step.key)
        Press(step.key);
      else
        PostChar('A');
      Read r = ReadKey();
      ASSERT_FALSE(r.ranOut);
      EXPECT_EQ(r.isChar, step.isChar) << (step.key ? step.key : "posted");
      EXPECT_EQ(r.code, step.code) << (step.key ? step.key : "posted");
      EXPECT_EQ(GetShiftState(), step.stateAfter) << (step.key ? step.key : "posted");
    }
  }
}

TEST_F(GetKeyTest, InsTogglesInsertModeAndCursorFollows) {
  SetSetupItem(kSetupInsertMode, kInsertInsert);
  Locate(3, 3);
  RefreshCursorShape();
  Press({"SHIFT"});
  ASSERT_FALSE(ReadKey().ranOut);
  EXPECT_EQ(GetCursorPosition().type, 1);  // the SHIFT cursor
  Press("DEL");
  ASSERT_FALSE(ReadKey().ranOut);
  EXPECT_EQ(GetSetupItem(kSetupInsertMode), kInsertOverwrite);
  EXPECT_EQ(GetCursorPosition().type, 16);  // plain overwrite cursor
  Press({"SHIFT", "DEL"});
  ReadKey();
  ReadKey();
  EXPECT_EQ(GetSetupItem(kSetupInsertMode), kInsertInsert);
  SetSetupItem(kSetupInsertMode, 0);
  ToggleInsert();
  EXPECT_EQ(GetSetupItem(kSetupInsertMode), kInsertOverwrite);
}

TEST_F(GetKeyTest, ClipNeedsACursorAndNoInhibit) {
  Locate(1, 1);
  RefreshCursorShape();
  Press({"SHIFT", "8"});
  ReadKey();
  EXPECT_EQ(ReadKey().code, kKeyClip);
  EXPECT_EQ(GetShiftState(), kShiftClip);
  Press("UP");
  EXPECT_EQ(ReadKey().code, kKeyClipUp);
  EXPECT_EQ(GetShiftState(), kShiftClip);
  Press("7");  // nothing while clipping, and clipping ends
  Read r = ReadKey();
  EXPECT_EQ(r.isChar, 0);
  EXPECT_EQ(r.code, 0u);
  EXPECT_EQ(GetShiftState(), kShiftNone);

  SetKeyInhibit(kInhibitClip);
  Press({"SHIFT", "8"});
  ReadKey();
  ReadKey();
  EXPECT_EQ(GetShiftState(), kShiftNone);
}

TEST_F(GetKeyTest, IgnoresPositionsWithoutAKey) {
  PostKey(0, 5, 0, 0);   // row 0
  PostKey(3, 0, 0, 0);   // column 0
  PostKey(7, 11, 0, 0);  // a marker, swallowed by the queue
  PostKey(1, 2, 0, 0);   // no key at column 2, row 1
  PostKey(3, 13, 0, 0);  // outside the matrix
  PostKey(8, 2, 0, 0);
  PostKey(-3, -3, 65, 0);
  Press("3");
  Read r = ReadKey();
  EXPECT_EQ(r.isChar, 1);
  EXPECT_EQ(r.code, uint32_t('3'));
  EXPECT_EQ(KeyQueueCount(), 0);
}

TEST_F(GetKeyTest, PostedControlCodesAndLastKeyWords) {
  PostControl(30036);
  Read r = ReadKey();
  EXPECT_EQ(r.isChar, 0);
  EXPECT_EQ(r.code, 30036u);
  EXPECT_EQ(LastControlCode(), 30036u);
  EXPECT_EQ(LastCharCode(), 0u);
  PostChar(0xE541);
  r = ReadKey();
  EXPECT_EQ(r.isChar, 1);
  EXPECT_EQ(r.code, 0xE541u);
  EXPECT_EQ(LastCharCode(), 0xE541u);
  EXPECT_EQ(LastControlCode(), 0u);
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

TEST_F(GetKeyTest, CapturePostsItsSecondHalf) {
  Press({"SHIFT", "7"});
  ReadKey();
  Read r = ReadKey();
  EXPECT_EQ(r.code, kKeyCapture);
  EXPECT_EQ(IsCodeQueued(kKeyCaptureRun), 1);
}

}  // namespace
