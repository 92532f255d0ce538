// The storage-memory screen: the folders and files of the storage memory
// with their sizes and the free space; deleting, copying a ".g1m" file into
// main memory, and the optimisation.
#include <string>
#include <vector>

#include "apps/memory/memory_app.h"
#include "apps/memory/memory_ui.h"
#include "memory/fs_api.h"
#include "memory/fs_error.h"
#include "memory/g1m_file.h"
#include "memory/opt_run.h"
#include "memory/opt_ui.h"
#include "os/getkey.h"
#include "os/key_matrix.h"
#include "os/menu.h"
#include "os/text.h"

namespace {

constexpr int kStorageMenu = 3;
constexpr char16_t kRoot[] = u"\\\\fls0\\";
constexpr int kKindDot = 8, kKindDotDot = 9;
constexpr int kKindG1m = 6;

struct Entry {
  std::u16string name;
  bool folder = false;
  int kind = 0;
  uint32_t size = 0;
};

void RegisterStorageMenu() {
  static const char* const kLabels[kMenuEntries] = {"OPEN", "DEL", "COPY", "", "", "OPT"};
  RegisterKeyMenu(kStorageMenu, kLabels);
}

std::string Narrow(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

std::u16string FolderPath(const std::u16string& folder) {
  return folder.empty() ? std::u16string(kRoot) : kRoot + folder + u"\\";
}

std::vector<Entry> ReadFolder(const std::u16string& folder) {
  std::vector<Entry> entries;
  const std::u16string pattern = FolderPath(folder) + u"*.*";
  int handle = 0;
  char16_t name[kPathMax] = {};
  FsFindInfo info;
  for (int rc = FsFindFirst(pattern.c_str(), &handle, name, &info); rc == 0;
       rc = FsFindNext(handle, name, &info)) {
    if (info.kind == kKindDot || info.kind == kKindDotDot) continue;
    entries.push_back({name, info.type == kEntryFolder, info.kind, info.size});
  }
  FsFindClose(handle);
  return entries;
}

std::vector<MemoryRow> Rows(const std::vector<Entry>& entries) {
  std::vector<MemoryRow> rows;
  for (const Entry& e : entries)
    rows.push_back({e.folder ? "[" + Narrow(e.name) + "]" : Narrow(e.name),
                    e.folder ? "" : std::to_string(e.size), false});
  return rows;
}

void CopyToMainMemory(const std::u16string& path, const std::string& name) {
  G1mImportOptions options;
  options.ui = MemoryImportUi();
  options.progress = MemoryProgressUi();
  G1mImportReport report;
  const int rc = G1mImportFile(path.c_str(), options, &report);
  if (rc != 0) {
    ShowFileError(rc, name.c_str(), report.memCode);
    return;
  }
  ShowMessage(MemoryTextOf(kTextImported), std::to_string(report.imported));
}

}  // namespace

void MemoryStorageScreen() {
  RegisterStorageMenu();
  EnterMenuGroup(kStorageMenu);
  std::u16string folder;  // empty: the root
  int cursor = 0, top = 0;
  for (;;) {
    const std::vector<Entry> entries = ReadFolder(folder);
    const std::vector<MemoryRow> rows = Rows(entries);
    if (cursor >= static_cast<int>(rows.size())) cursor = rows.empty() ? 0 : int(rows.size()) - 1;
    if (top > cursor) top = cursor;
    const std::string title = folder.empty() ? MemoryTextOf(kTextStorageTitle) : Narrow(folder);
    DrawMemoryList(title.c_str(), rows, cursor, top);
    Locate(1, kListFirstLine + kListLines);
    Print((std::string(MemoryTextOf(kTextFree)) + std::to_string(FsFreeSpace(kRoot))).c_str());

    uint32_t code = 0;
    if (GetKey(&code) != 0) continue;
    if (MoveListCursor(code, static_cast<int>(rows.size()), &cursor, &top)) continue;
    if (code == kKeyExit || code == kKeyQuit) {
      if (folder.empty() || code == kKeyQuit) break;
      folder.clear();
      cursor = top = 0;
      continue;
    }
    if (code == kKeyF6) {
      // The optimisation reports through the table the storage memory holds.
      const StorageUi* before = StorageUiGet();
      StorageSetUi(MemoryProgressUi());
      const int rc = FsOptimize(kRoot);
      StorageSetUi(before);
      ShowFileError(rc, "", 0);
      continue;
    }
    if (entries.empty()) continue;
    const Entry& e = entries[cursor];
    const std::u16string path = FolderPath(folder) + e.name;
    const bool open = code == kKeyF1 || code == kKeyExe;
    if (open && e.folder) {
      folder = e.name;
      cursor = top = 0;
    } else if ((open || code == kKeyF1 + 2) && e.kind == kKindG1m) {
      CopyToMainMemory(path, Narrow(e.name));
    } else if (code == kKeyF1 + 1 && AskDelete()) {
      ShowFileError(FsDelete(path.c_str()), Narrow(e.name).c_str(), 0);
    }
  }
  LeaveMenuGroup();
}
