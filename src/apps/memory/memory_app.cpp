#include "apps/memory/memory_app.h"

#include "apps/common/app_screen.h"
#include "apps/memory/memory_ui.h"
#include "os/app_table.h"
#include "os/getkey.h"
#include "os/key_matrix.h"
#include "os/menu.h"
#include "os/setup.h"
#include "os/text.h"
#include "os/vram.h"

namespace {

constexpr int kTopMenu = 0;

void DrawTop() {
  ClearVram();
  DrawAppTitle(ApplicationRow(kAppMemory)->name);
  const MemoryText kChoices[] = {kTextChoiceMain, kTextChoiceStorage, kTextChoiceBackup,
                                 kTextChoiceImport};
  for (int i = 0; i < 4; ++i) {
    Locate(1, 3 + i);
    Print(MemoryTextOf(kChoices[i]));
  }
}

}  // namespace

void MemoryRegisterRecords() {
  G1mSetSetupRecord(SetupItemAddress(0));
}

void MemoryAppEntry(int, uint16_t) {
  MemoryRegisterRecords();
  static const char* const kLabels[kMenuEntries] = {"", "", "", "", "", ""};
  RegisterKeyMenu(kTopMenu, kLabels);
  EnterMenuGroup(kTopMenu);
  for (;;) {
    DrawTop();
    uint32_t code = 0;
    if (GetKey(&code) != 0) continue;
    if (code == kKeyExit || code == kKeyQuit) break;
    if (code == kKeyF1) MemoryMainScreen();
    if (code == kKeyF1 + 1) MemoryStorageScreen();
    if (code == kKeyF1 + 2) MemoryBackupScreen();
    if (code == kKeyF1 + 3) MemoryImportFromPc();
  }
  LeaveMenuGroup();
}
