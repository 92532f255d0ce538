#include "apps/system/system_app.h"

#include "apps/common/app_screen.h"
#include "os/app_table.h"
#include "os/fkey_labels.h"
#include "os/getkey.h"
#include "os/key_matrix.h"
#include "os/menu.h"
#include "os/messages.h"
#include "os/popup.h"
#include "os/setup.h"
#include "os/text.h"
#include "os/vram.h"

namespace {

constexpr int kMsgYes = 2, kMsgNo = 3;
constexpr int kMsgResetAsk = 15, kMsgResetWhat = 16;
constexpr int kMsgChoiceLanguage = 348, kMsgChoiceReset = 349;
constexpr int kMsgLanguageTitle = 350, kMsgResetDone = 351;
constexpr int kLanguages = 5;
constexpr int kSystemMenu = 0;

MenuEntry gMenu[kMenuEntries];

void RegisterSystemMenu() {
  gMenu[0] = MenuEntry{static_cast<int16_t>(FKeyIconOfLabel("LANG")), kEntryControl, kKeyF1};
  gMenu[1] = MenuEntry{static_cast<int16_t>(FKeyIconOfLabel("RSET")), kEntryControl, kKeyF1 + 1};
  for (int i = 2; i < kMenuEntries; ++i) gMenu[i] = MenuEntry{0, kEntryControl, kKeyF1 + i};
  RegisterMenu(kSystemMenu, gMenu);
}

void DrawMain() {
  ClearVram();
  DrawAppTitle(ApplicationRow(kAppSystem)->name);
  PrintMessageAt(1, 3, kMsgChoiceLanguage);
  PrintMessageAt(1, 4, kMsgChoiceReset);
}

void DrawLanguages(int selected) {
  ClearVram();
  char title[49];
  GetMessage(kMsgLanguageTitle, title);
  DrawAppTitle(title);
  for (int i = 0; i < kLanguages; ++i) {
    const char* name = GetMessageTable(i)->messages[0];
    Locate(1, 3 + i);
    if (i == selected)
      PrintRevPadded(name, 21);
    else
      Print(name);
  }
}

}  // namespace

void SystemLanguageScreen() {
  int selected = GetLanguage() < 0 ? 0 : GetLanguage();
  // The list has no function keys: SYSTEM's bar stays hidden under it.
  const int bar = MenuBarDisplay();
  SetMenuBarDisplay(0);
  for (;;) {
    DrawLanguages(selected);
    uint32_t code = 0;
    if (GetKey(&code) != 0) continue;
    if (code == kKeyUp) selected = (selected + kLanguages - 1) % kLanguages;
    if (code == kKeyDown) selected = (selected + 1) % kLanguages;
    if (code == kKeyExe) SetLanguage(selected);
    if (code == kKeyExe || code == kKeyExit || code == kKeyQuit) break;
  }
  SetMenuBarDisplay(bar);
}

int SystemResetSetup() {
  // Four lines: the pop-up of kind 4, whose text starts on line 2.
  OpenWindow(4);
  PopUp(4);
  PrintMessageAt(1, 2, kMsgResetAsk);
  PrintMessageAt(1, 3, kMsgResetWhat);
  PrintMessageAt(1, 4, kMsgYes);
  PrintMessageAt(1, 5, kMsgNo);
  static const uint32_t kAnswers[] = {kKeyF1, kKeyF6, kKeyExit, kKeyQuit};
  uint32_t answer = WaitForControl(kAnswers, 4);
  CloseWindow(4);
  if (answer != kKeyF1) return 0;
  ResetSetup();
  char done[kMessageBufferBytes];
  MessageBox(1, GetMessage(kMsgResetDone, done));
  return 1;
}

void SystemAppEntry(int, uint16_t) {
  RegisterSystemMenu();
  EnterMenuGroup(kSystemMenu);
  for (;;) {
    DrawMain();
    uint32_t code = 0;
    if (GetKey(&code) != 0) continue;
    if (code == kKeyF1) SystemLanguageScreen();
    if (code == kKeyF1 + 1) SystemResetSetup();
    if (code == kKeyExit || code == kKeyQuit) break;
  }
  LeaveMenuGroup();
}
