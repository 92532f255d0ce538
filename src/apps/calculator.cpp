#include "apps/calculator.h"

#include "apps/apps.h"
#include "host/services/host_services.h"
#include "memory/flash_file.h"
#include "memory/mcs_core.h"
#include "memory/fs_error.h"
#include "os/boot.h"
#include "os/os_entry.h"

bool CalculatorPrepare(const std::string& flashPath, std::string* usedFlashPath,
                       std::string* error) {
  McsAllocateArena();
  std::string used;
  int opened = StorageOpenImage(flashPath.empty() ? nullptr : flashPath.c_str(), &used);
  if (usedFlashPath) *usedFlashPath = used;
  if (opened < 0 && opened != -6) {  // a damaged image is formatted by the boot
    if (error) *error = "cannot open the flash image " + (used.empty() ? flashPath : used) +
                        " (code " + std::to_string(opened) + ")";
    McsFreeArena();
    return false;
  }
  ClearBootSignature();
  OsHeapReset();
  InstallApplications();
  OsInstallHooks();
  return true;
}

void CalculatorRelease() {
  FlashImageClose();
  McsFreeArena();
}
