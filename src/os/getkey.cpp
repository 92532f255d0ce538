#include "os/getkey.h"

#include <atomic>

#include "host/services/host_services.h"
#include "os/capture_dialog.h"
#include "os/catalog.h"
#include "os/menu.h"
#include "os/service_menu.h"
#include "os/setup.h"
#include "os/text.h"

namespace {

struct KeyState {
  uint16_t inhibit = 0;
  uint8_t menuSuspend = 0;
  int fkeySlot = 0;
  int fkeyIcon = 0;
};

KeyState gKeys;
// Written by the OS thread, taken by the key log from the host's.
std::atomic<uint32_t> gLastChar{0}, gLastControl{0};
uint16_t gProgramKey = 0;
// A program polling for a key rests this long when none came, so that a
// waiting loop neither burns a whole core nor hides from a front end that
// sends the next key once the calculator is idle.
constexpr uint32_t kProgramKeyPollMs = 1;

uint16_t CodeAt(int32_t row, int32_t column) {
  const uint16_t code = HostKeyCodeAt(row, column);
  // Host command positions beyond the face (column 12) are no keys to read.
  return code < 100 ? code : 0;
}

void LatchNewestKey() {
  int32_t row, column;
  if (!KeyQueueHeld()) {
    if (TakeLastKey(&row, &column)) gProgramKey = CodeAt(row, column);
    return;
  }
  // A replay holds the queue: its keys are read in order, one per read, so
  // that every key it sends reaches the program.
  KeyEntry key;
  if (gProgramKey == 0 && TakeOldestKey(&key)) gProgramKey = CodeAt(key.row, key.column);
}

bool InRange(int menu, int first, int last) {
  return menu >= first && menu <= last;
}

bool IsAlphaState(uint8_t s) {
  return s == kShiftAlpha || s == kShiftSmall || s == kShiftAlphaLock || s == kShiftSmallLock;
}

bool CursorShowing() {
  return GetCursorPosition().visible;
}

// Waits for a key that lies on the matrix (or carries a code) and turns it
// into a code by the shift state.
KeyTranslation ReadTranslatedKey() {
  for (;;) {
    const int bar = BarMenu();
    if (gKeys.menuSuspend == 0 && MenuHasEntries(bar)) DrawMenuBarOf(bar);
    PutDisplay();
    KeyEntry key;
    do {
      key = WaitKey();
    } while (key.column < -2 || key.column > kKeyMatrixColumns || key.row < -2 ||
             key.row > kKeyMatrixRows);
    if (key.column < 0 || key.row < 0) return {key.column == -1 ? 1 : 0, key.aux};
    if (key.column == 0 || key.row == 0) continue;
    const int index = KeyIndexAt(key.column, key.row);
    if (index < 0) continue;
    return TranslateKeyIndex(index, GetShiftState());
  }
}

// OPTN, VARS, PRGM and CLIP open their family's base menu on top of the
// current group.
void OpenFamilyMenu(MenuFamily family, int menu) {
  if (MenuFamilyWord(family) == 0) return;
  CutBackToGroup();
  PushMenu(menu);
}

// What an F-key does under the menu the bar shows.
KeyTranslation FunctionKey(uint32_t code) {
  const int slot = static_cast<int>(code - kKeyF1);
  gKeys.fkeySlot = slot;
  gKeys.fkeyIcon = 0;
  const int menu = BarMenu();
  if (!MenuHasEntries(menu)) return {0, code};
  const MenuEntry* entries = MenuEntriesOf(menu);
  for (int i = 0; i <= slot; ++i)
    if (entries[i].icon == kIconEndOfBar) return {0, code};
  const MenuEntry& e = entries[slot];
  gKeys.fkeyIcon = e.icon;
  if (e.icon == 0) return {0, code};
  switch (e.kind) {
    case kEntrySubmenu:
      if (CurrentMenu() == kMenuShiftBar) {
        CutBackToGroup();
        PushMenu(kMenuShiftBar);
      }
      PushMenu(static_cast<int>(e.value));
      return {0, 0};
    case kEntryChar:
      return {1, e.value};
    case kEntryControl:
      if (e.value == kKeyCopy) {
        SetShiftState(kShiftNone);
        if (CurrentMenu() == kMenuClipSecond) PopMenu(kPopTop);
      }
      return {0, e.value};
    case kEntryReplace:
      PopMenu(kPopTop);
      PushMenu(static_cast<int>(e.value));
      return {0, 0};
    default:
      return {0, code};
  }
}

KeyTranslation SystemKeys(KeyTranslation k) {
  const uint32_t code = k.code;
  if (code >= kKeyF1 && code <= kKeyF6) return FunctionKey(code);
  switch (code) {
    case kKeyCatalog:
      if (gKeys.inhibit < kInhibitCatalog) {
        const uint32_t chosen = Catalog();
        return chosen ? KeyTranslation{1, chosen} : KeyTranslation{0, 0};
      }
      break;
    case kKeyOptn:
      if (!(gKeys.inhibit & kInhibitOptn)) OpenFamilyMenu(kFamilyOptn, kMenuOptn);
      break;
    case kKeyVars:
      if (!(gKeys.inhibit & kInhibitVars)) OpenFamilyMenu(kFamilyVars, kMenuVars);
      break;
    case kKeyPrgm:
      if (!(gKeys.inhibit & kInhibitPrgm)) OpenFamilyMenu(kFamilyPrgm, kMenuPrgm);
      break;
    case kKeyClip:
      if (!(gKeys.inhibit & kInhibitClip) && CursorShowing())
        OpenFamilyMenu(kFamilyClip, kMenuClip);
      break;
    case kKeyExit:
      if (PopMenu(kPopExit) >= 0) return {0, 0};
      break;
    default:
      break;
  }
  return k;
}

// The SHIFT, ALPHA and CLIP bars come and go with the shift state.
void FollowShiftState() {
  const uint8_t state = GetShiftState();
  if (state != kShiftClip && InRange(CurrentMenu(), kMenuClip, kMenuClipLast)) PopMenu(kPopTop);
  if (state == kShiftShift) {
    if (!InRange(CurrentMenu(), kMenuShiftBar, kMenuShiftLast) &&
        !(gKeys.inhibit & kInhibitShiftBar)) {
      while (InRange(CurrentMenu(), kMenuAlphaBar, kMenuAlphaLast)) PopMenu(kPopTop);
      if (MenuFamilyWord(kFamilyShift) != 0) PushMenu(kMenuShiftBar);
    }
  } else if (CurrentMenu() == kMenuShiftBar) {
    PopMenu(kPopTop);
  }
  if (IsAlphaState(state)) {
    if (!InRange(CurrentMenu(), kMenuAlphaBar, kMenuAlphaLast) &&
        !(gKeys.inhibit & kInhibitAlphaBar) && MenuFamilyWord(kFamilyAlpha) != 0)
      PushMenu(kMenuAlphaBar);
  } else if (CurrentMenu() == kMenuAlphaBar) {
    PopMenu(kPopTop);
  }
}

void (*gFilesDropped)() = nullptr;
bool gImportingDropped = false;

// Not again from inside its own question or message boxes: the files of a
// drop during an import wait for the next one.
void RunFilesDropped() {
  if (!gFilesDropped || gImportingDropped) return;
  gImportingDropped = true;
  gFilesDropped();
  gImportingDropped = false;
}

}  // namespace

void SetFilesDroppedHandler(void (*handler)()) {
  gFilesDropped = handler;
}

int GetKey(uint32_t* code) {
  DisarmBreak();
  KeyTranslation k = ReadTranslatedKey();

  const bool clipAllowed = !(gKeys.inhibit & kInhibitClip) && CursorShowing();
  SetShiftState(NextShiftState(GetShiftState(), k.isChar, k.code, clipAllowed));

  if (!k.isChar) {
    switch (k.code) {
      case kKeyAlphaExe:
        k.code = kKeyExe;
        break;
      case kKeyShiftRight:
      case kKeyShiftLeft:
        SetShiftState(kShiftShift);
        k.code = 0;
        break;
      case kKeyIns:
        ToggleInsert();
        break;
      case kKeyService:
        ServiceMenu();
        break;
      case kHostCodeFilesDropped:
        RunFilesDropped();
        k.code = 0;
        break;
      default:
        break;
    }
  }
  if (CursorShowing()) RefreshCursorShape();

  if (!k.isChar && gKeys.menuSuspend == 0) k = SystemKeys(k);
  FollowShiftState();

  if (!k.isChar && k.code == kKeyCapture) PostCode(kKeyCaptureRun, 0);
  if (!k.isChar && k.code == kKeyCaptureRun) CaptureDialog();

  gLastChar = k.isChar ? k.code : 0;
  gLastControl = k.isChar ? 0 : k.code;
  *code = k.code;
  return k.isChar;
}

uint8_t GetShiftState() {
  return GetSetupItem(kSetupShiftState);
}

void SetShiftState(uint8_t state) {
  SetSetupItem(kSetupShiftState, state);
}

void ToggleInsert() {
  SetSetupItem(kSetupInsertMode, GetSetupItem(kSetupInsertMode) == kInsertOverwrite
                                     ? kInsertInsert
                                     : kInsertOverwrite);
}

uint16_t GetKeyInhibit() {
  return gKeys.inhibit;
}
void SetKeyInhibit(uint16_t flags) {
  gKeys.inhibit = flags;
}
void OrKeyInhibit(uint16_t flags) {
  gKeys.inhibit = static_cast<uint16_t>(gKeys.inhibit | flags);
}
void ClearKeyInhibitBits(uint16_t flags) {
  gKeys.inhibit = static_cast<uint16_t>(gKeys.inhibit & ~flags);
}
void ZeroKeyInhibit() {
  gKeys.inhibit = 0;
}

uint8_t MenuSuspend() {
  return gKeys.menuSuspend;
}
void SetMenuSuspendBits(uint8_t bits) {
  gKeys.menuSuspend = static_cast<uint8_t>(gKeys.menuSuspend | bits);
}
void ClearMenuSuspendBits(uint8_t bits) {
  gKeys.menuSuspend = static_cast<uint8_t>(gKeys.menuSuspend & ~bits);
}

void ArmBreakKeepRequest() {
  // The second form differs from ArmBreak only in the value it leaves in the
  // enable byte (9 instead of 1); every reader tests bit 0 or nonzero, so the
  // two behave alike: a pending request survives when already armed.
  ArmBreak();
}

uint32_t TakeLastCharCode() {
  return gLastChar.exchange(0);
}
uint32_t TakeLastControlCode() {
  return gLastControl.exchange(0);
}
int CurrentFKeySlot() {
  return gKeys.fkeySlot;
}
int CurrentFKeyIcon() {
  return gKeys.fkeyIcon;
}

int ProgramGetKey() {
  LatchNewestKey();
  if (gProgramKey == 0 && WaitKeyFor(kProgramKeyPollMs)) LatchNewestKey();
  int code = gProgramKey;
  gProgramKey = 0;
  return code;
}

int ProgramBreakCheck() {
  LatchNewestKey();
  return BreakPressed();
}

void ProgramKeyForget() {
  gProgramKey = 0;
}

void ResetKeyState() {
  gKeys = KeyState{};
  gLastChar = 0;
  gLastControl = 0;
  gProgramKey = 0;
}
