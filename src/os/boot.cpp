// Boot, the main loop and the execution contexts.
//
// The main context runs on the OS thread's own stack: boot, the main menu and
// the dispatcher below. Applications run in a child context with a stack of
// their own. Going back to a saved point of another context is a context
// switch that carries the resume value, and a jump back to the boot level of
// the main context unwinds with a BootJump.
//
// An application that is left for another one is not simply dropped: its
// context is resumed once with a cancel value, its key wait throws, and it
// unwinds to its own entry, so everything it owns is freed.
#include "os/boot.h"

#include <cstring>

#include "host/services/host_services.h"
#include "memory/flash_file.h"
#include "memory/mcs_core.h"
#include "memory/mem_app.h"
#include "memory/opt_run.h"
#include "os/app_table.h"
#include "os/context.h"
#include "os/getkey.h"
#include "os/key_matrix.h"
#include "os/main_menu.h"
#include "os/menu.h"
#include "os/messages.h"
#include "os/os_entry.h"
#include "os/popup.h"
#include "os/setup.h"
#include "os/storage_screens.h"
#include "os/text.h"
#include "os/vram.h"

namespace {

OsState gOs;
constexpr char kSignature[8] = {'O', 'R', 'V', 'E', 'X', 'W', 'I', 'N'};

// Resume values between the contexts.
enum Resume : int {
  kResumeNone = 0,
  kResumeMenuShown = 1,      // an application ended: show the main menu
  kResumeStartApp = 2,       // LaunchApplication accepted a new application
  kResumeStartChild = 3,     // main starts the child application
  kResumeMenuKey = 4,        // MENU in the child: the main menu, in main
  kResumeAfterMenu = 5,      // back into the child's key wait
  kResumeChildHook = 10,     // run the child hook in the child
  kResumeChildHookDone = 11,
  // Ours: the child is abandoned, and how a child that unwound says so.
  kResumeCancel = -1,
  kChildCancelled = 100,
  kChildRestart = 101,
  kChildStop = 102,
};

struct BootJump {
  int value;
};
struct ChildCancel {};

#if defined(__SANITIZE_ADDRESS__)
constexpr size_t kChildStackBytes = 4 << 20;  // sanitizer frames are larger
#else
constexpr size_t kChildStackBytes = 1 << 20;
#endif

OsContext* gChild = nullptr;

void ResetForApplication() {
  ClearVram();
  ResetTextCursor();
  ResetKeyState();
  ResetMenus();
  SetShiftState(kShiftNone);
  SetMenuBarDisplay(1);
  gOs.savedMode = 0;
  gOs.mode = kModeApplication;
}

int ChildMain(void*) {
  try {
    gOs.contextFlag = 1;
    gOs.savedMode = 0;
    gOs.mode = kModeApplication;
    OsHeapReset();
    gOs.childCurrent = gOs.childRequest;
    gOs.childState = 2;
    const AppRow* row = ApplicationRow(gOs.childCurrent.index);
    ResetForApplication();
    if (row && row->entry) row->entry(1, gOs.childCurrent.option);
    return kResumeMenuShown;
  } catch (const ChildCancel&) {
    return kChildCancelled;
  } catch (const HostOsRestartRequest&) {
    return kChildRestart;
  } catch (const HostOsStopRequest&) {
    return kChildStop;
  }
}

void DestroyChild() {
  ContextDestroy(gChild);
  gChild = nullptr;
  gOs.childState = 0;
  gOs.childCurrent = AppId{0xFFFF, 0xFFFF};
}

// Unwinds an application that waits in the child context.
void CancelChild() {
  if (!gChild) return;
  if (!ContextFinished(gChild)) {
    int value = ContextSwitch(gChild, kResumeCancel);
    while (!ContextFinished(gChild)) value = ContextSwitch(gChild, kResumeCancel);
    (void)value;
  }
  DestroyChild();
}

// Runs the child until it ends or gives control back for good.
void ResumeDispatch(int value) {
  for (;;) {
    switch (value) {
      case kResumeMenuKey:
        gOs.contextFlag = 0;
        ShowMainMenuNested();  // a launch from here unwinds with a BootJump
        gOs.mode = gOs.savedMode;
        value = ContextSwitch(gChild, kResumeAfterMenu);
        break;
      case kResumeChildHookDone:
        return;
      case kChildRestart:
        DestroyChild();
        throw HostOsRestartRequest{};
      case kChildStop:
        DestroyChild();
        throw HostOsStopRequest{};
      default:  // the entry returned, or the child unwound
        DestroyChild();
        // An application that ended can be started again from the menu.
        gOs.current.option = 0xFFFF;
        return;
    }
  }
}

void ApplicationStart() {
  gOs.contextFlag = 0;
  CancelChild();
  OsHeapReset();
  gOs.current = gOs.request;
  gOs.childState = 0;
  gOs.childRequest = gOs.current;
  gChild = ContextCreate(kChildStackBytes, ChildMain, nullptr);
  if (!gChild) return;
  ResumeDispatch(ContextSwitch(gChild, kResumeStartChild));
}

void InitGlobals() {
  char signature[8];
  std::memcpy(signature, gOs.signature, sizeof signature);
  gOs = OsState{};
  gOs.mode = kModeBooting;
  std::memcpy(gOs.signature, signature, sizeof signature);
  gChild = nullptr;
}

void SetStartValues() {
  ResetSetup();
  ClearVram();
  ResetTextCursor();
  ResetKeyState();
  ResetMenus();
}

void InitialiseMainMemory() {
  MemStartUp();
  std::memcpy(gOs.signature, kSignature, sizeof kSignature);
}

bool SignatureValid() { return std::memcmp(gOs.signature, kSignature, sizeof kSignature) == 0; }

}  // namespace

OsState& Os() { return gOs; }

void ClearBootSignature() { std::memset(gOs.signature, 0, sizeof gOs.signature); }

const char* CurrentApplicationFolder() { return gOs.appFolder; }
void SetMainHook(void (*hook)()) { gOs.mainHook = hook; }
void SetChildHook(void (*hook)()) { gOs.childHook = hook; }

int Boot() {
  int flags = 0;
  if (SignatureValid()) {
    SetLanguage(GetLanguage() < 0 ? 0 : GetLanguage());
  } else {
    InitialiseMainMemory();
    SetStartValues();
    SetLanguage(0);
    flags = kBootMemoryInitialised;
  }
  StorageStartupReport report;
  StorageStartup(OsStorageUi(), &report);
  if (report.formatted) {
    BootMessage(1);
    flags |= kBootStorageFormatted;
  }
  // Main memory must pass its check; a damaged one is initialised again.
  for (int round = 0; round < 2; ++round) {
    if (SignatureValid() && McsCheck() == 0) break;
    InitialiseMainMemory();
    flags |= kBootMemoryInitialised;
    if (!(flags & kBootStartValues)) {
      SetStartValues();
      flags |= kBootStartValues;
    }
  }
  if (flags & (kBootMemoryInitialised | kBootStartValues)) BootMessage(2);
  return flags;
}

void BootMessage(int kind) {
  static const int kLines[2][5] = {{497, 498, 499, 38, 9}, {35, 36, 37, 38, 9}};
  uint8_t saved[kVramBytes];
  std::memcpy(saved, VramAddress(), kVramBytes);
  CursorState cursor;
  SaveCursor(&cursor);
  HideCursor();
  ClearVram();
  PopUp(6);
  for (int i = 0; i < 5; ++i) {
    char text[49];
    Locate(1, 2 + i);
    if (GetMessage(kLines[kind == 1 ? 0 : 1][i], text)) Print(text);
  }
  SetShiftState(kShiftNone);
  uint8_t menuActive = gOs.menuActive;
  gOs.menuActive = 1;
  for (uint32_t code = 0; !(GetKey(&code) == 0 && code == kKeyMenu);) {
  }
  gOs.menuActive = menuActive;
  std::memcpy(VramAddress(), saved, kVramBytes);
  RestoreCursor(cursor);
  PutDisplay();
}

int LaunchApplication(int index, uint16_t option) {
  gOs.mode = kModeSystem;
  const AppRow* row = ApplicationRow(index);
  int result = 1;
  if (row) {
    uint32_t found = McsFindFolder(row->folder, nullptr, nullptr);
    if (found == 0 || found == kMcsNoFolder) {
      gOs.request = AppId{static_cast<uint16_t>(index), option};
      if (gOs.request.index == gOs.current.index && gOs.request.option == gOs.current.option) {
        result = 3;
      } else {
        std::strncpy(gOs.appFolder, row->folder, 8);
        result = 0;
      }
    }
  }
  if (result != 0) {
    gOs.mode = gOs.savedMode;
    return result;
  }
  // Leave hooks: the child's runs in the child's own context.
  if (gOs.childHook && gChild && !ContextFinished(gChild)) {
    ContextSwitch(gChild, kResumeChildHook);
  }
  if (void (*hook)() = gOs.mainHook) {
    gOs.mainHook = nullptr;
    hook();
  }
  throw BootJump{kResumeStartApp};
}

bool OsKeyFilter(KeyEntry& key) {
  if (gOs.mode != kModeApplication) return true;
  bool menuKey = key.row == 4 && key.column == 9;
  if (!menuKey) return true;
  if (gOs.menuActive == 1 || (GetShiftState() & (kShiftShift | kShiftClip))) return true;
  gOs.mode = kModeSystem;
  if (gOs.contextFlag == 1) {
    gOs.contextFlag = 0;
    int value = ContextSwitch(ContextOfThread(), kResumeMenuKey);
    for (;;) {
      if (value == kResumeCancel) throw ChildCancel{};
      if (value == kResumeChildHook) {
        gOs.contextFlag = 1;
        if (void (*hook)() = gOs.childHook) {
          gOs.childHook = nullptr;
          hook();
        }
        value = ContextSwitch(ContextOfThread(), kResumeChildHookDone);
        continue;
      }
      break;  // kResumeAfterMenu: the key wait goes on
    }
    gOs.contextFlag = 1;
  } else {
    ShowMainMenuNested();
  }
  return false;
}

void OsEntry() {
  OsHeapReset();
  InitGlobals();
  try {
    Boot();
    for (;;) {
      int pending = kResumeNone;
      try {
        gOs.mode = kModeSystem;
        ShowMainMenuNested();
      } catch (const BootJump& jump) {
        pending = jump.value;
      }
      while (pending == kResumeStartApp) {
        pending = kResumeNone;
        try {
          ApplicationStart();
        } catch (const BootJump& jump) {
          pending = jump.value;
        }
      }
    }
  } catch (...) {
    // Stopping or restarting: no application stays half-run.
    CancelChild();
    throw;
  }
}
