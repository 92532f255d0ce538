// The main-memory screen: the data groups with their sizes, marking,
// deleting, and sending the marked groups to storage memory or a PC file.
#include <cstring>
#include <string>
#include <vector>

#include "apps/memory/memory_app.h"
#include "apps/memory/memory_ui.h"
#include "host/services/host_services.h"
#include "memory/fs_error.h"
#include "memory/fs_path.h"
#include "memory/mcs_core.h"
#include "memory/mem_app.h"
#include "os/getkey.h"
#include "os/key_matrix.h"
#include "os/menu.h"
#include "os/setup.h"

namespace {

constexpr int kMainMenu = 1;
constexpr int kItemsMenu = 2;
constexpr char16_t kStorageRoot[] = u"\\\\fls0\\";

struct GroupRow {
  MemGroup group;
  G1mGroup items;
  uint32_t bytes = 0;
  bool marked = false;
};

void RegisterMainMenu() {
  static const char* const kLabels[kMenuEntries] = {"SEL", "DEL", "COPY", "PC", "", ""};
  RegisterKeyMenu(kMainMenu, kLabels);
  RegisterKeyMenu(kItemsMenu, kLabels);
}

std::vector<GroupRow> ReadGroups() {
  std::vector<GroupRow> rows;
  for (size_t g = 0; g < kMemGroupCount; ++g) {
    GroupRow row;
    row.group = static_cast<MemGroup>(g);
    if (G1mEnumerateGroup(row.group, &row.items) == 0) continue;
    for (const G1mItemDesc& d : row.items.items) row.bytes += d.size;
    rows.push_back(std::move(row));
  }
  return rows;
}

// The marked groups, or the one under the cursor when none is marked.
std::vector<const GroupRow*> Chosen(const std::vector<GroupRow>& rows, int cursor) {
  std::vector<const GroupRow*> chosen;
  for (const GroupRow& r : rows)
    if (r.marked) chosen.push_back(&r);
  if (chosen.empty() && cursor < static_cast<int>(rows.size())) chosen.push_back(&rows[cursor]);
  return chosen;
}

void DeleteGroup(const GroupRow& row) {
  if (row.group == MemGroup::kAlphaMem) {
    std::memset(MemVariable(0), 0, kG1mAlphaBytes);
    return;
  }
  if (row.group == MemGroup::kSetup) {
    ResetSetup();
    return;
  }
  for (const G1mItemDesc& d : row.items.items) McsDeleteItem(d.folder, d.item);
}

// Each chosen group as a file of its own in the root of storage memory.
void SendToStorage(const std::vector<const GroupRow*>& chosen) {
  for (const GroupRow* row : chosen) {
    const int rc = G1mExportGroup(kStorageRoot, row->items);
    if (rc != 0) {
      ShowFileError(rc, row->items.items.front().fileName, 0);
      return;
    }
  }
  ShowMessage(MemoryTextOf(kTextDone));
}

// All chosen groups in one PC file named in the save dialog.
void SendToPc(const std::vector<const GroupRow*>& chosen) {
  char chosenPath[1024] = {};
  if (!HostChooseG1eToSave(chosenPath, sizeof chosenPath)) return;
  std::string hostPath = std::string(chosenPath) + ".g1m";
  std::u16string pc;
  if (HostPathToPc(hostPath, &pc) != 0) {
    ShowFileError(kFsPathNotFound, hostPath.c_str(), 0);
    return;
  }
  std::vector<G1mGroup> groups;
  for (const GroupRow* row : chosen) groups.push_back(row->items);
  const int rc = G1mWriteGroups(pc.c_str(), groups.data(), groups.size());
  if (rc != 0) {
    const size_t slash = hostPath.rfind('/');
    ShowFileError(rc, hostPath.c_str() + (slash == std::string::npos ? 0 : slash + 1), 0);
    return;
  }
  ShowMessage(MemoryTextOf(kTextDone));
}

// The items of one group: folder, name and size.
void ItemsScreen(const GroupRow& row) {
  std::vector<MemoryRow> rows;
  for (const G1mItemDesc& d : row.items.items)
    rows.push_back({std::string(d.item), std::to_string(d.size), false});
  int cursor = 0, top = 0;
  EnterMenuGroup(kItemsMenu);
  for (;;) {
    DrawMemoryList(MemGroupName(row.group), rows, cursor, top);
    uint32_t code = 0;
    if (GetKey(&code) != 0) continue;
    if (MoveListCursor(code, static_cast<int>(rows.size()), &cursor, &top)) continue;
    if (code == kKeyExit || code == kKeyQuit) break;
  }
  LeaveMenuGroup();
}

}  // namespace

void MemoryMainScreen() {
  RegisterMainMenu();
  EnterMenuGroup(kMainMenu);
  std::vector<GroupRow> groups = ReadGroups();
  int cursor = 0, top = 0;
  for (;;) {
    std::vector<MemoryRow> rows;
    for (const GroupRow& g : groups)
      rows.push_back({MemGroupName(g.group), std::to_string(g.bytes), g.marked});
    if (cursor >= static_cast<int>(rows.size())) cursor = rows.empty() ? 0 : int(rows.size()) - 1;
    if (top > cursor) top = cursor;
    DrawMemoryList(MemoryTextOf(kTextMainTitle), rows, cursor, top);
    uint32_t code = 0;
    if (GetKey(&code) != 0) continue;
    if (MoveListCursor(code, static_cast<int>(rows.size()), &cursor, &top)) continue;
    if (code == kKeyExit || code == kKeyQuit) break;
    if (groups.empty()) continue;
    if (code == kKeyF1) groups[cursor].marked = !groups[cursor].marked;
    if (code == kKeyExe) ItemsScreen(groups[cursor]);
    if (code == kKeyF1 + 1 && AskDelete()) {
      for (const GroupRow* row : Chosen(groups, cursor)) DeleteGroup(*row);
      groups = ReadGroups();
    }
    if (code == kKeyF1 + 2) SendToStorage(Chosen(groups, cursor));
    if (code == kKeyF1 + 3) SendToPc(Chosen(groups, cursor));
  }
  LeaveMenuGroup();
}
