#include "apps/calculator.h"

#include "apps/apps.h"
#include "host/services/host_services.h"
#include "memory/flash_file.h"
#include "memory/mcs_core.h"
#include "memory/fs_error.h"
#include "os/boot.h"
#include "os/os_entry.h"

namespace {

bool Finish(int opened, const std::string& what, std::string* error) {
  if (opened < 0 && opened != kFsDamaged) {  // a damaged image is formatted by the boot
    const char* reason = FsHostErrorText(opened);
    if (error)
      *error = "cannot open the flash image " + what + ": " +
               (reason ? reason : "error " + std::to_string(opened));
    McsFreeArena();
    return false;
  }
  ClearBootSignature();
  OsHeapReset();
  InstallApplications();
  OsInstallHooks();
  return true;
}

}  // namespace

bool CalculatorPrepare(const std::string& flashPath, std::string* usedFlashPath,
                       std::string* error) {
  McsAllocateArena();
  std::string used;
  int opened = StorageOpenImage(flashPath.empty() ? nullptr : flashPath.c_str(), &used);
  if (usedFlashPath) *usedFlashPath = used;
  return Finish(opened, used.empty() ? flashPath : used, error);
}

bool CalculatorPrepareScratch(std::string* error) {
  McsAllocateArena();
  return Finish(StorageOpenScratchImage(), "in the temporary folder " + HostTempFolder(), error);
}

void CalculatorRelease() {
  FlashImageClose();
  McsFreeArena();
}
