// Calculator files from the PC and the backup screen.
#include <climits>
#include <cstdlib>
#include <string>

#include "apps/common/app_screen.h"
#include "apps/memory/memory_app.h"
#include "apps/memory/memory_ui.h"
#include "host/services/host_services.h"
#include "memory/fs_api.h"
#include "memory/fs_error.h"
#include "memory/fs_path.h"
#include "os/charset.h"
#include "os/getkey.h"
#include "os/key_matrix.h"
#include "os/menu.h"
#include "os/messages.h"
#include "os/text.h"
#include "os/vram.h"

namespace {

constexpr int kBackupMenu = 4;
constexpr int kMsgBackupTitle = 332, kMsgBackupSave = 333, kMsgBackupLoad = 334;
constexpr int kMsgBackupSaved = 335, kMsgBackupLoaded = 336, kMsgNoBackup = 337;

struct ImportTally {
  uint32_t imported = 0;
};

std::string BaseName(const char* path) {
  const std::string s(path);
  const size_t slash = s.rfind('/');
  return slash == std::string::npos ? s : s.substr(slash + 1);
}

int ImportOne(const char* path, void* context) {
  auto* tally = static_cast<ImportTally*>(context);
  const MemoryImportResult r = MemoryImportPcFile(path, G1mExisting::kAsk, true);
  tally->imported += r.imported;
  // A file that could not be read stops nothing: the next one is tried.
  return static_cast<int>(r.imported);
}

void DrawBackup() {
  ClearVram();
  char title[kMessageBufferBytes];
  DrawAppTitle(GetMessage(kMsgBackupTitle, title) ? title : "");
  PrintMessageAt(1, 3, kMsgBackupSave);
  PrintMessageAt(1, 4, kMsgBackupLoad);
}

}  // namespace

MemoryImportResult MemoryImportPcFile(const char* hostPath, G1mExisting existing, bool showErrors) {
  MemoryImportResult result;
  MemoryRegisterRecords();
  G1mImportReport report;
  std::u16string pc;
  if (HostPathToPc(hostPath, &pc) != 0) {
    result.rc = kFsPathNotFound;
  } else {
    G1mImportOptions options;
    options.existing = existing;
    options.ui = MemoryImportUi();
    options.progress = showErrors ? MemoryProgressUi() : nullptr;
    result.rc = G1mImportFile(pc.c_str(), options, &report);
    result.imported = report.imported;
    result.skipped = report.skipped;
  }
  if (showErrors) ShowFileError(result.rc, BaseName(hostPath).c_str(), report.memCode);
  return result;
}

uint32_t MemoryImportFiles(const std::vector<std::string>& hostPaths, G1mExisting existing,
                           bool showErrors) {
  uint32_t imported = 0;
  for (const std::string& path : hostPaths)
    imported += MemoryImportPcFile(path.c_str(), existing, showErrors).imported;
  return imported;
}

int MemoryExportToPc(const char* groupName, const char* hostPath) {
  MemoryRegisterRecords();
  G1mSelection selection;
  if (!G1mParseGroupName(groupName, &selection)) return kMemoryUnknownGroup;
  // An existing link is written through: its target gets the new file.
  char resolved[PATH_MAX];
  if (realpath(hostPath, resolved)) hostPath = resolved;
  std::u16string pc;
  if (HostPathToPc(hostPath, &pc) != 0) return kFsPathNotFound;
  G1mGroup group;
  G1mEnumerate(selection, &group);
  return G1mExportGroup(pc.c_str(), group);
}

std::vector<std::string> MemoryListing() {
  MemoryRegisterRecords();
  std::vector<std::string> lines;
  for (const G1mGroup& group : G1mWholeMemory()) {
    for (const G1mItemDesc& d : group.items) {
      const MemGroup g =
          std::string(d.folder) == kG1mGlobalFolder
              ? (std::string(d.item) == kG1mAlphaItem ? MemGroup::kAlphaMem : MemGroup::kSetup)
              : MemDataGroup(d.folder, d.item);
      const std::string name = g == MemGroup::kNone ? "-" : MemGroupName(g);
      // Names are in the calculator's characters; a terminal wants UTF-8.
      const auto text = [](const char* calc) {
        return CalcToUtf8(reinterpret_cast<const uint8_t*>(calc));
      };
      lines.push_back(name + "\t" + text(d.folder) + "\t" + text(d.item) + "\t" +
                      std::to_string(d.size));
    }
  }
  return lines;
}

namespace {

// The files the host hands over, one by one, then how many items came in.
uint32_t ImportFromHost(int (*host)(ImportOneFile, void*)) {
  ImportTally tally;
  host(ImportOne, &tally);
  ShowMessage(MemoryTextOf(kTextImported), std::to_string(tally.imported));
  return tally.imported;
}

}  // namespace

uint32_t MemoryImportFromPc() {
  return ImportFromHost(HostOpenCalcFiles);
}

void MemoryImportDropped() {
  ImportFromHost(HostImportDroppedFiles);
}

void MemoryBackupScreen() {
  static const char* const kLabels[kMenuEntries] = {"", "", "", "", "", ""};
  RegisterKeyMenu(kBackupMenu, kLabels);
  EnterMenuGroup(kBackupMenu);
  for (;;) {
    DrawBackup();
    uint32_t code = 0;
    if (GetKey(&code) != 0) continue;
    if (code == kKeyExit || code == kKeyQuit) break;
    if (code == kKeyF1) {
      MemoryRegisterRecords();
      const int rc = G1mSaveBackup(MemoryProgressUi());
      if (rc == 0)
        ShowMessageNumber(kMsgBackupSaved);
      else
        ShowFileError(rc, "BACKUP.g1m", 0);
    }
    if (code == kKeyF1 + 1) {
      MemoryRegisterRecords();
      G1mImportReport report;
      const int rc = G1mLoadBackup(MemoryProgressUi(), &report);
      if (rc == 0)
        ShowMessageNumber(kMsgBackupLoaded);
      else if (rc == kG1mErrNoBackup)
        ShowMessageNumber(kMsgNoBackup);
      else
        ShowFileError(rc, "BACKUP.g1m", report.memCode);
    }
  }
  LeaveMenuGroup();
}
