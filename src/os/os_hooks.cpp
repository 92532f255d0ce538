// What the host reads from the OS (its display memory, shift state and text
// cursor) and where the OS thread starts.
#include "host/services/host_services.h"
#include "os/boot.h"
#include "os/os_entry.h"
#include "os/setup.h"
#include "os/text.h"
#include "os/vram.h"

void OsInstallHooks() {
  OsHooks hooks;
  hooks.entry = OsEntry;
  hooks.vram = []() -> const uint8_t* { return VramAddress(); };
  hooks.getShiftState = [] { return static_cast<int>(GetSetupItem(kSetupShiftState)); };
  hooks.setShiftState = [](int s) { SetSetupItem(kSetupShiftState, static_cast<uint8_t>(s)); };
  hooks.textCursor = GetCursorPosition;
  hooks.keyFilter = OsKeyFilter;
  HostInstallOsHooks(hooks);
}
