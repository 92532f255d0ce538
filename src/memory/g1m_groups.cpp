// The group table's enumerators: which main-memory items a data group holds,
// as the descriptors the writer walks.
#include <cstdio>
#include <cstring>

#include "memory/g1m_internal.h"
#include "memory/mcs_core.h"
#include "memory/mem_app.h"

namespace {

uint8_t* g_setup = nullptr;

constexpr char kListPrefix[] = "LIST ";
constexpr char kListFilePrefix[] = "LISTFILE ";

void CopyName(char* out, size_t capacity, const char* name) {
  std::snprintf(out, capacity, "%s", name);
}

void FolderName(uint32_t index, char out[9]) {
  FolderEntry entry{};
  out[0] = 0;
  if (McsFolderEntry(index, &entry) != kMcsOk) return;
  std::memcpy(out, entry.name, kMcsNameLen);
  out[kMcsNameLen] = 0;
}

void ItemName(const McsItemInfo& info, char out[9]) {
  std::memcpy(out, info.entry.name, kMcsNameLen);
  out[kMcsNameLen] = 0;
}

G1mItemDesc Describe(const char* groupName, const char* folder, const char* item, uint8_t kind,
                     const uint8_t* data, uint32_t size) {
  G1mItemDesc d{};
  char title[9];
  G1mGroupFileTitle(groupName, title);
  std::snprintf(d.fileName, sizeof d.fileName, "%s.g1m", title);
  CopyName(d.folder, sizeof d.folder, folder);
  CopyName(d.item, sizeof d.item, item);
  d.kind = kind;
  d.data = data;
  d.size = size;
  d.format = G1mFormatCode(folder, item);
  return d;
}

// Calls f(folder, item, info) for every item of one folder, in directory order.
template <typename F>
void ForEachItemOf(uint32_t index, F f) {
  char folder[9];
  FolderName(index, folder);
  if (folder[0] == 0) return;
  McsItemInfo info;
  for (uint32_t pos = 0; McsItemAt(index, pos, &info) == kMcsOk; ++pos) {
    char item[9];
    ItemName(info, item);
    f(folder, item, info);
  }
}

void AddItem(const char* groupName, G1mGroup* out, const char* folder, const char* item,
             const McsItemInfo& info) {
  out->items.push_back(Describe(groupName, folder, item, MemTypeKind(info.type),
                                McsAddress(info.dataAddress), info.size));
}

bool InSelection(const G1mSelection& sel, const char* folder, const char* item) {
  if (sel.group == MemGroup::kNone) return std::strcmp(folder, sel.folder) == 0;
  if (MemDataGroup(folder, item) != sel.group) return false;
  return sel.listFile == 0 || item[0] == static_cast<char>('0' + sel.listFile);
}

// The group header's name: the group's own name for programs, sheets and
// groups outside the table, else the folder that holds the items.
void HeaderName(const G1mSelection& sel, const char* ownName, G1mGroup* out) {
  const bool own = sel.group == MemGroup::kNone || sel.group == MemGroup::kProgram ||
                   sel.group == MemGroup::kSSheet || out->items.empty();
  CopyName(out->name, sizeof out->name, own ? ownName : out->items.front().folder);
}

bool ParseListFile(const char* name, const char* prefix, int* number) {
  const size_t n = std::strlen(prefix);
  if (std::strncmp(name, prefix, n) != 0) return false;
  const char digit = name[n];
  if (digit < '1' || digit > '6' || name[n + 1] != 0) return false;
  *number = digit - '0';
  return true;
}

}  // namespace

void G1mSetSetupRecord(uint8_t* record) {
  g_setup = record;
}
uint8_t* G1mSetupRecord() {
  return g_setup;
}

bool G1mParseGroupName(const char* name, G1mSelection* out) {
  *out = G1mSelection{};
  for (size_t g = 0; g < kMemGroupCount; ++g) {
    if (std::strcmp(name, MemGroupName(static_cast<MemGroup>(g))) == 0) {
      out->group = static_cast<MemGroup>(g);
      return true;
    }
  }
  int number = 0;
  if (ParseListFile(name, kListPrefix, &number) || ParseListFile(name, kListFilePrefix, &number)) {
    out->group = MemGroup::kListFile;
    out->listFile = number;
    return true;
  }
  // A folder of main memory by its name.
  FolderEntry entry{};
  uint32_t index = 0;
  if (std::strlen(name) > kMcsNameLen || McsFindFolder(name, &entry, &index) != kMcsOk)
    return false;
  CopyName(out->folder, sizeof out->folder, name);
  return true;
}

size_t G1mEnumerate(const G1mSelection& sel, G1mGroup* out) {
  out->items.clear();
  const char* ownName = sel.group == MemGroup::kNone ? sel.folder : MemGroupName(sel.group);
  if (sel.group == MemGroup::kAlphaMem) {
    out->items.push_back(
        Describe(ownName, kG1mGlobalFolder, kG1mAlphaItem, 0, MemVariable(0), kG1mAlphaBytes));
  } else if (sel.group == MemGroup::kSetup) {
    if (g_setup)
      out->items.push_back(
          Describe(ownName, kG1mGlobalFolder, kG1mSetupItem, 0, g_setup, kG1mSetupBytes));
  } else {
    for (uint32_t index = 1; index <= kMcsFolderCount; ++index) {
      ForEachItemOf(index, [&](const char* folder, const char* item, const McsItemInfo& info) {
        if (InSelection(sel, folder, item)) AddItem(ownName, out, folder, item, info);
      });
    }
  }
  HeaderName(sel, ownName, out);
  return out->items.size();
}

size_t G1mEnumerateGroup(MemGroup group, G1mGroup* out) {
  G1mSelection sel;
  sel.group = group;
  return G1mEnumerate(sel, out);
}

void G1mGroupFileTitle(const char* groupName, char out[9]) {
  size_t n = 0;
  for (const char* p = groupName; *p && n < kMcsNameLen; ++p) {
    const char c = *p;
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) out[n++] = c;
  }
  out[n] = 0;
}

std::vector<G1mGroup> G1mWholeMemory() {
  std::vector<G1mGroup> groups;
  for (size_t g = 0; g < kMemGroupCount; ++g) {
    G1mGroup group;
    if (G1mEnumerateGroup(static_cast<MemGroup>(g), &group) > 0) groups.push_back(group);
  }
  // Items no data group claims, one group per folder.
  for (uint32_t index = 1; index <= kMcsFolderCount; ++index) {
    G1mGroup group;
    ForEachItemOf(index, [&](const char* folder, const char* item, const McsItemInfo& info) {
      CopyName(group.name, sizeof group.name, folder);
      if (MemDataGroup(folder, item) == MemGroup::kNone)
        AddItem(folder, &group, folder, item, info);
    });
    if (!group.items.empty()) groups.push_back(group);
  }
  return groups;
}
