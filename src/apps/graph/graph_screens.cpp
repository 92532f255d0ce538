// The GRAPH application's editors of numbers (V-Window, zoom factors), the
// window memory pop-ups, the graph setup list and the menus.
#include <cstring>
#include <string>

#include "apps/common/app_screen.h"
#include "apps/graph/graph_draw.h"
#include "apps/graph/graph_screen.h"
#include "apps/graph/graph_ui.h"
#include "apps/graph/line_edit.h"
#include "math/bcd_text.h"
#include "math/eval.h"
#include "os/fkey_labels.h"
#include "os/getkey.h"
#include "os/key_matrix.h"
#include "os/messages.h"
#include "os/popup.h"
#include "os/setup.h"
#include "os/text.h"
#include "os/vram.h"

namespace {

constexpr int kMsgViewWindow = 561;
constexpr int kMsgFactor = 562;
constexpr int kMsgRecallFrom = 560;
constexpr int kMsgVWinMemory = 12;
constexpr int kMsgVWinBlank = 13;
constexpr int kMsgVWinPrompt = 14;
constexpr int kValueColumn = 8;
constexpr int kFirstFieldLine = 2;
constexpr int kFieldLines = 6;

// The editor's labels of the window fields; the θ of Tmin is 0xCE.
constexpr const char* kWindowLabels[kViewEditorFields] = {
    "Xmin  :", " max  :", " scale:",    " dot  :", "Ymin  :",
    " max  :", " scale:", "T\xCEmin :", "  max :", "  ptch:",
};
constexpr const char* kFactorLabels[2] = {"Xfact :", "Yfact :"};

// ---- Menus ----------------------------------------------------------------------

struct MenuRow {
  int number;
  const char* labels[kMenuEntries];  // "" empty, "►" replaces with `next`
  int next;
  bool tabs[kMenuEntries];
};
constexpr MenuRow kMenus[] = {
    {kMenuYList, {"SEL", "DEL", "TYPE", "", "", "DRAW"}, 0, {false, false, true}},
    {kMenuYType, {"Y=", "r=", "Parm", "X=c", "", ""}, 0, {}},
    {kMenuVWin, {"INIT", "TRIG", "STD", "STO", "RCL", ""}, 0, {}},
    {kMenuGraphScreen, {"TRCE", "ZOOM", "V-Win", "", "", "G↔T"}, 0, {}},
    {kMenuZoom, {"BOX", "FACT", "IN", "OUT", "AUTO", "►"}, kMenuZoomMore, {}},
    {kMenuZoomMore, {"ORIG", "SQR", "PRE", "", "", "►"}, kMenuZoom, {}},
    {kMenuFactor, {"INIT", "", "", "", "", ""}, 0, {}},
    {kMenuSetup, {"", "", "", "", "", ""}, 0, {}},
};
MenuEntry gMenus[std::size(kMenus)][kMenuEntries];
MenuEntry gShiftBar[kMenuEntries];

// ---- A screen of named numbers --------------------------------------------------

struct FieldList {
  int title;
  int count;
  const char* const* labels;
  int menu;
  int (*get)(int index, BcdNumber* out);
  int (*set)(int index, const BcdNumber& value);
  // An F-key of the screen's menu (slot 0..5); after it the fields are
  // shown again.
  void (*fkey)(int slot);
};

struct FieldState {
  const FieldList* list;
  int selected = 0;
  int top = 0;
  bool editing = false;
};

void DrawFields(void* context) {
  FieldState& s = *static_cast<FieldState*>(context);
  ClearVram();
  PrintMessageText(s.list->title, 1, 1, false);
  for (int i = 0; i < kFieldLines && s.top + i < s.list->count; ++i) {
    const int index = s.top + i;
    const int line = kFirstFieldLine + i;
    Locate(1, line);
    Print(s.list->labels[index]);
    if (s.editing && index == s.selected) continue;
    BcdNumber value;
    char text[kBcdTextSize] = "";
    if (s.list->get(index, &value) == 0) FormatGraphValue(value, text);
    Locate(kValueColumn, line);
    if (index == s.selected)
      PrintRevPadded(text, kTextColumns);
    else
      Print(text);
  }
  DrawMenuBar();
}

void RunFieldList(const FieldList& list) {
  FieldState s;
  s.list = &list;
  SetMenuBarDisplay(1);
  PushMenu(list.menu);
  while (MenuOnStack(list.menu) && !GraphQuit()) {
    if (s.selected < s.top) s.top = s.selected;
    if (s.selected >= s.top + kFieldLines) s.top = s.selected - kFieldLines + 1;
    DrawFields(&s);
    PutDisplay();
    uint32_t code = 0;
    const bool isChar = GetKey(&code) != 0;
    if (!isChar && code == kKeyQuit) {
      GraphQuit() = true;
      break;
    }
    if (!isChar && code == kKeyExit) break;  // only when the menu did not take it
    if (!isChar && code == kKeyUp) {
      s.selected = (s.selected + list.count - 1) % list.count;
      continue;
    }
    if (!isChar && (code == kKeyDown || code == kKeyExe)) {
      s.selected = (s.selected + 1) % list.count;
      continue;
    }
    if (!isChar && code >= kKeyF1 && code <= kKeyF6) {
      if (list.fkey) list.fkey(static_cast<int>(code - kKeyF1));
      continue;
    }
    if (!isChar && code != kKeyLeft && code != kKeyRight && code != kKeyXThetaT) continue;
    // Editing the selected value in place.
    std::string tokens;
    s.editing = true;
    const EditPlace place{kValueColumn, kFirstFieldLine + s.selected - s.top,
                          kTextColumns - kValueColumn + 1, 'X'};
    if (!isChar) {
      // The arrows edit what is there: the value's text typed again.
      BcdNumber value;
      char text[kBcdTextSize] = "";
      if (list.get(s.selected, &value) == 0) FormatGraphValue(value, text);
      for (const char* p = text; *p; ++p) {
        tokens += *p;
      }
    }
    const EditEnd end = EditTokenLine(&tokens, place, code, isChar, DrawFields, &s);
    s.editing = false;
    if (end == EditEnd::kQuit) {
      GraphQuit() = true;
      break;
    }
    if (end == EditEnd::kCancel || tokens.empty()) continue;
    BcdNumber value;
    int rc = EvaluateRealLine(tokens.c_str(), &value);
    if (rc == 0) rc = list.set(s.selected, value);
    if (rc != 0) {
      DrawFields(&s);
      ErrorBox(rc);
      continue;
    }
    if (end == EditEnd::kUp) s.selected = (s.selected + list.count - 1) % list.count;
    if (end == EditEnd::kAccept || end == EditEnd::kDown)
      s.selected = (s.selected + 1) % list.count;
  }
  if (MenuOnStack(list.menu)) {
    while (CurrentMenu() != list.menu && CurrentMenu() >= 0) PopMenu(kPopTop);
    PopMenu(kPopTop);
  }
}

// ---- The V-Window --------------------------------------------------------------

WindowSide gSide = WindowSide::kMain;

int GetWindowField(int index, BcdNumber* out) {
  return GetViewWindowField(index, gSide, out);
}
int SetWindowField(int index, const BcdNumber& value) {
  return SetViewWindowField(value, index, gSide);
}
void WindowKey(int slot) {
  static constexpr int kPresets[3] = {kPresetInit, kPresetTrig, kPresetStd};
  if (slot < 3) {
    if (int rc = SetWindowPreset(kPresets[slot], gSide)) ErrorBox(rc);
  } else if (slot == 3) {
    StoreWindowMemory();
  } else if (slot == 4) {
    RecallWindowMemory();
  }
}

int GetFactorField(int index, BcdNumber* out) {
  return GetFactor(index, out);
}
int SetFactorField(int index, const BcdNumber& value) {
  return SetFactor(index, value);
}
void FactorKey(int slot) {
  if (slot != 0) return;
  BcdNumber two;
  BcdConst(&two, kBcdTwo);
  SetFactor(kFactorX, two);
  SetFactor(kFactorY, two);
}

// ---- The window memory pop-ups ----------------------------------------------------

constexpr int kMemoryWindow = 4;
constexpr int kInputColumn = 17;
constexpr int kInputLine = 5;

// Digits typed at the input field; false when the user left.
bool ReadMemoryNumber(std::string* text) {
  text->clear();
  for (;;) {
    Locate(kInputColumn, kInputLine);
    PrintPadded(text->c_str(), kInputColumn + 3);
    Locate(kInputColumn + static_cast<int>(text->size()), kInputLine);
    RefreshCursorShape();
    PutDisplay();
    uint32_t code = 0;
    if (GetKey(&code)) {
      if (code >= '0' && code <= '9' && text->size() < 2) text->push_back(static_cast<char>(code));
      continue;
    }
    if (code == kKeyExe && !text->empty()) break;
    if (code == kKeyDel && !text->empty()) text->pop_back();
    if (code == kKeyAc) text->clear();
    if (code == kKeyExit || code == kKeyQuit) {
      HideCursor();
      return false;
    }
  }
  HideCursor();
  return true;
}

int WindowMemoryPopUp(int firstMessage, int (*act)(int number)) {
  OpenWindow(kMemoryWindow);
  int result = 1;
  for (;;) {
    PopUp(kMemoryWindow);
    PrintMessageAt(1, 2, firstMessage);
    PrintMessageAt(1, 3, kMsgVWinMemory);
    PrintMessageAt(1, 4, kMsgVWinBlank);
    PrintMessageAt(1, kInputLine, kMsgVWinPrompt);
    std::string text;
    if (!ReadMemoryNumber(&text)) break;
    const int number = std::stoi(text);
    if (number < 1 || number > kWindowMemories) {
      ErrorBox(kErrArgument);
      continue;
    }
    result = act(number);
    if (result != 0) ErrorBox(result);
    break;
  }
  CloseWindow(kMemoryWindow);
  return result;
}

// ---- Setup -----------------------------------------------------------------------

// The items of the graph setup, and the values each takes in turn.
struct SetupChoice {
  uint8_t item;
  uint8_t values[4];
  int count;
};
constexpr SetupChoice kSetupChoices[] = {
    {24, {0, 1, 2, 3}, 4}, {25, {0, 1}, 2}, {26, {0, 1}, 2}, {27, {0, 1}, 2},
    {28, {0, 1}, 2},       {29, {0, 1}, 2}, {30, {0, 1}, 2}, {19, {0, 1, 2}, 3},
};

}  // namespace

void PrintMessageText(int number, int column, int line, bool reverse) {
  char text[kMessageBufferBytes];
  if (!GetMessage(number, text)) text[0] = 0;
  Locate(column, line);
  if (reverse)
    PrintRevPadded(text, kTextColumns);
  else
    Print(text);
}

bool& GraphQuit() {
  static bool quit = false;
  return quit;
}

bool MenuOnStack(int menu) {
  for (int i = 0; i < MenuStackSize(); ++i)
    if (MenuStackAt(i) == menu) return true;
  return false;
}

void RegisterGraphMenus() {
  RegisterMenuFamily(kFamilyOptn, 1);
  RegisterMenuFamily(kFamilyVars, 1);
  RegisterMenuFamily(kFamilyAlpha, 1);
  RegisterMenuFamily(kFamilyShift, 1);
  for (size_t m = 0; m < std::size(kMenus); ++m) {
    const MenuRow& row = kMenus[m];
    for (int i = 0; i < kMenuEntries; ++i) {
      const char* label = row.labels[i];
      const int icon = label[0] ? FKeyIconOfLabel(label, row.tabs[i]) : 0;
      const bool more = std::strcmp(label, "►") == 0;
      gMenus[m][i] = MenuEntry{static_cast<int16_t>(icon), more ? kEntryReplace : kEntryControl,
                               more ? static_cast<uint32_t>(row.next) : kKeyF1 + i};
    }
    RegisterMenu(row.number, gMenus[m]);
  }
  // The SHIFT bar of the graph: trace, zoom, V-Window and the sketches.
  const MenuEntry* system = MenuEntriesOf(kMenuShiftBar);
  for (int i = 0; i < kMenuEntries; ++i) gShiftBar[i] = system ? system[i] : MenuEntry{0, 0, 0};
  gShiftBar[0] = MenuEntry{static_cast<int16_t>(FKeyIconOfLabel("TRCE")), kEntryControl, kKeyTrace};
  gShiftBar[1] = MenuEntry{static_cast<int16_t>(FKeyIconOfLabel("ZOOM")), kEntryControl, kKeyZoom};
  RegisterMenu(kMenuShiftBar, gShiftBar);
}

void ViewWindowScreen(WindowSide side) {
  gSide = side;
  // A window that cannot be read or made (main memory full) is an error
  // box, not a list of empty fields.
  BcdNumber probe;
  if (int rc = GetViewWindowField(0, side, &probe)) {
    ErrorBox(rc);
    return;
  }
  const FieldList list{kMsgViewWindow, kViewEditorFields, kWindowLabels, kMenuVWin,
                       GetWindowField, SetWindowField,    WindowKey};
  RunFieldList(list);
}

void FactorScreen() {
  const FieldList list{kMsgFactor,     2,        kFactorLabels, kMenuFactor, GetFactorField,
                       SetFactorField, FactorKey};
  RunFieldList(list);
}

int StoreWindowMemory() {
  return WindowMemoryPopUp(kMsgStoreIn, StoreWindowMemoryNumber);
}

int RecallWindowMemory() {
  return WindowMemoryPopUp(kMsgRecallFrom, RecallWindowMemoryNumber);
}

void GraphSetupScreen() {
  uint8_t items[std::size(kSetupChoices)];
  for (size_t i = 0; i < std::size(kSetupChoices); ++i) items[i] = kSetupChoices[i].item;
  const int last = static_cast<int>(std::size(kSetupChoices)) - 1;
  int selected = 0, top = 0;
  SetMenuBarDisplay(1);
  PushMenu(kMenuSetup);
  while (MenuOnStack(kMenuSetup) && !GraphQuit()) {
    if (selected < top) top = selected;
    if (selected >= top + 7) top = selected - 6;
    ClearVram();
    ShowSetupList(items, last, top, selected);
    DrawMenuBar();
    PutDisplay();
    uint32_t code = 0;
    if (GetKey(&code)) continue;
    const SetupChoice& c = kSetupChoices[selected];
    int now = 0;
    for (int i = 0; i < c.count; ++i)
      if (c.values[i] == GetSetupItem(c.item)) now = i;
    switch (code) {
      case kKeyUp:
        selected = (selected + last) % (last + 1);
        break;
      case kKeyDown:
        selected = (selected + 1) % (last + 1);
        break;
      case kKeyRight:
      case kKeyExe:
        SetSetupItem(c.item, c.values[(now + 1) % c.count]);
        break;
      case kKeyLeft:
        SetSetupItem(c.item, c.values[(now + c.count - 1) % c.count]);
        break;
      case kKeyQuit:
        GraphQuit() = true;
        break;
      default:
        break;
    }
    if (code == kKeyExit) break;
  }
  if (MenuOnStack(kMenuSetup)) PopMenu(kPopTop);
}
