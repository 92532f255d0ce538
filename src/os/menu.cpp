#include "os/menu.h"

#include <cstring>
#include <string>

#include "os/draw.h"
#include "os/fkey_labels.h"
#include "os/messages.h"
#include "os/popup.h"

namespace {

struct MenuState {
  const MenuEntry* slots[kMenuCount];
  int stack[kMenuStackDepth + 1];  // -1 after the last
  int stackSize;
  int history[kMenuHistoryDepth];
  int historySize;
  int barDisplay;
};

MenuState gMenus = [] {
  MenuState m{};
  m.stack[0] = -1;
  m.barDisplay = 1;
  return m;
}();

bool ValidNumber(int number) {
  return number >= 0 && number < kMenuCount;
}

void SetStackSize(int size) {
  gMenus.stackSize = size;
  gMenus.stack[size] = -1;
}

int NewestMark() {
  for (int i = gMenus.stackSize - 1; i >= 0; --i)
    if (gMenus.stack[i] == kMenuMark) return i;
  return -1;
}

void HistoryBack() {
  if (gMenus.historySize > 1) --gMenus.historySize;
}

// The box of a full stack or history: its own first line over the shared
// "Stack Overflow!" line.
void ShowOverflow(int firstMessage) {
  char first[kMessageBufferBytes];
  char second[kMessageBufferBytes];
  const char* a = GetMessage(firstMessage, first);
  const char* b = GetMessage(kMsgStackOverflow, second);
  std::string text;
  text += "\xF9\xCA\xF9\xCD";
  text += a ? a : "";
  text += "\xF9\xCA\xF9\xCD";
  text += b ? b : "";
  MessageBox(4, text.c_str());
}

}  // namespace

void RegisterMenu(int number, const MenuEntry* entries) {
  if (ValidNumber(number)) gMenus.slots[number] = entries;
}

const MenuEntry* MenuEntriesOf(int number) {
  return ValidNumber(number) ? gMenus.slots[number] : nullptr;
}

bool MenuHasEntries(int number) {
  const MenuEntry* e = MenuEntriesOf(number);
  return e && e[0].kind != kEntryNoEntries;
}

int PushMenu(int number) {
  if (gMenus.stackSize >= kMenuStackDepth) {
    ShowOverflow(kMsgFunctionMenu);
    return 0;
  }
  gMenus.stack[gMenus.stackSize] = number;
  SetStackSize(gMenus.stackSize + 1);
  return 1;
}

int PopMenu(int mode) {
  if (gMenus.stackSize == 0) return -1;
  const int top = gMenus.stack[gMenus.stackSize - 1];
  switch (mode) {
    case kPopLook:
      return top;
    case kPopTop:
      SetStackSize(gMenus.stackSize - 1);
      if (top == kMenuMark) {
        HistoryBack();
        PopMenu(kPopToGroup);
      }
      return top;
    case kPopExit:
      if (gMenus.stackSize == 1 || gMenus.stack[gMenus.stackSize - 2] == kMenuMark)
        return kMenuMark;
      SetStackSize(gMenus.stackSize - 1);
      return top;
    case kPopToGroup: {
      int mark = NewestMark();
      if (mark >= 0) SetStackSize(mark + 1);
      return CurrentMenu();
    }
    default:
      return -1;
  }
}

int MarkMenus() {
  return PushMenu(kMenuMark);
}

int EnterMenuGroup(int number) {
  if (gMenus.historySize >= kMenuHistoryDepth) {
    ShowOverflow(kMsgBaseFuncMenu);
    return 0;
  }
  if (gMenus.stackSize + 2 > kMenuStackDepth) {
    ShowOverflow(kMsgFunctionMenu);
    return 0;
  }
  MarkMenus();
  gMenus.history[gMenus.historySize++] = number;
  PushMenu(number);
  return 1;
}

void LeaveMenuGroup() {
  int mark = NewestMark();
  if (mark >= 0) SetStackSize(mark);
  HistoryBack();
}

void CutBackToGroup() {
  int mark = NewestMark();
  if (mark >= 0)
    SetStackSize(mark + 1);
  else if (gMenus.stackSize > 1)
    SetStackSize(1);
}

int CurrentMenu() {
  return gMenus.stackSize == 0 ? -1 : gMenus.stack[gMenus.stackSize - 1];
}

int BarMenu() {
  if (gMenus.stackSize > 0) return CurrentMenu();
  return gMenus.historySize > 0 ? gMenus.history[gMenus.historySize - 1] : -1;
}

int MenuStackSize() {
  return gMenus.stackSize;
}
int MenuStackAt(int position) {
  return position >= 0 && position < gMenus.stackSize ? gMenus.stack[position] : -1;
}
int MenuHistorySize() {
  return gMenus.historySize;
}
int MenuHistoryAt(int position) {
  return position >= 0 && position < gMenus.historySize ? gMenus.history[position] : -1;
}

int DrawMenuBarOf(int number) {
  if (gMenus.barDisplay != 1 || !MenuHasEntries(number)) return 0;
  const MenuEntry* entries = MenuEntriesOf(number);
  const bool appMenu = number <= kMenuAppLast;
  ClearArea(0, 56, 1, 63);
  bool ended = false;
  for (int slot = 0; slot < kMenuEntries; ++slot) {
    int icon = entries[slot].icon;
    if (icon == kIconEndOfBar) ended = true;
    const uint8_t* bits;
    if (ended)
      bits = FKeyIconBits(0);
    else if (icon < 0)
      bits = appMenu ? UserIconBits(~icon) : FKeyIconBits(~icon);
    else
      bits = FKeyIconBits(icon);
    BitmapRecord b;
    b.x = kIconWidth * slot + 2;
    b.y = 56;
    b.width = kIconWidth;
    b.height = kIconHeight;
    b.bits = bits;
    b.modify = kBitmapAsStored;
    b.combine = kCombineWrite;
    DrawBitmap(b);
  }
  return 1;
}

void DrawMenuBar() {
  DrawMenuBarOf(CurrentMenu());
}

void SetMenuBarDisplay(int flag) {
  gMenus.barDisplay = flag;
}
int MenuBarDisplay() {
  return gMenus.barDisplay;
}

void ResetMenus() {
  std::memset(gMenus.slots, 0, sizeof gMenus.slots);
  SetStackSize(0);
  gMenus.historySize = 0;
  gMenus.barDisplay = 1;
  for (int f = 0; f < kMenuFamilyCount; ++f) RegisterMenuFamily(static_cast<MenuFamily>(f), 0);
}
