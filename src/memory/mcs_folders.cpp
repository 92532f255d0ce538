// Folder table: initialisation, lookup, creation, deletion, selection and
// the folder classes.
#include "memory/mcs_internal.h"

using namespace mcs_internal;

namespace {

// The fixed folders of a fresh arena by table entry; the "@LOCAL" folders
// in entries 5 - 44 are generated.
struct InitialFolder {
  uint32_t entry;
  const char* name;
};
constexpr InitialFolder kInitialFolders[] = {
    {0, "system"}, {1, "library"}, {2, "@REV3"},      {3, "@REV2"},
    {4, "@REV1"},  {145, "main"},  {146, "@APLWORK"},
};
constexpr uint32_t kFirstLocalEntry = 5;
constexpr uint32_t kLocalFolders = 40;
constexpr uint32_t kMainEntry = 145;

struct ClassRange {
  uint32_t low;
  uint32_t high;
  uint32_t folderClass;
};
constexpr ClassRange kFolderClasses[] = {
    {1, 1, 0xA000},     {2, 2, 0x9000},     {3, 16, 1},         {17, 101, 2},       {102, 102, 129},
    {103, 142, 0x8800}, {143, 145, 0x8400}, {146, 146, 0x8200}, {147, 147, 0x8100},
};

constexpr uint32_t kFirstUserIndex = 3;
constexpr uint32_t kLastUserIndex = 102;

void WriteFolderName(uint32_t entry, const char* name) {
  uint8_t normalised[kMcsNameLen];
  McsNormaliseName(name, normalised);
  std::memcpy(g_arena + FolderAt(entry), normalised, kMcsNameLen);
}

// Normalises and finds; 240 or 64 on failure.
uint32_t LookUp(const char* name, uint32_t* index) {
  uint8_t normalised[kMcsNameLen];
  if (!McsNormaliseName(name, normalised)) return kMcsEmptyName;
  *index = FindFolderIndex(normalised);
  return *index == 0 ? kMcsNoFolder : kMcsOk;
}

}  // namespace

uint32_t McsInit() {
  std::memset(g_arena, 0, kMcsArenaSize);
  for (uint32_t entry = 0; entry < kMcsFolderCount; ++entry) {
    St32(FolderAt(entry) + kFeAddr, kMcsDataStart);
  }
  for (const InitialFolder& folder : kInitialFolders) WriteFolderName(folder.entry, folder.name);
  for (uint32_t i = 0; i < kLocalFolders; ++i) {
    // "@LOCAL40" in the first of these entries down to "@LOCAL1" in the last.
    char name[16] = "@LOCAL";
    const uint32_t number = kLocalFolders - i;
    char* p = name + 6;
    if (number >= 10) *p++ = static_cast<char>('0' + number / 10);
    *p++ = static_cast<char>('0' + number % 10);
    *p = 0;
    WriteFolderName(kFirstLocalEntry + i, name);
  }
  St32(kHdrDataTop, kMcsDataStart);
  St32(kHdrCurrent, kMainEntry);
  McsHeapReset();
  std::memset(g_arena + kHdrMarker, 0, kMcsChangeMarkerLen);
  return kMcsOk;
}

uint32_t McsFindFolder(const char* name, FolderEntry* entry, uint32_t* index) {
  uint32_t found = 0;
  if (entry != nullptr) *entry = FolderEntry{};
  if (index != nullptr) *index = 0;
  const uint32_t code = LookUp(name, &found);
  if (code != kMcsOk) return code;
  if (entry != nullptr)
    std::memcpy(entry, g_arena + FolderAt(McsEntryOfIndex(found)), sizeof *entry);
  if (index != nullptr) *index = found;
  return kMcsOk;
}

uint32_t McsCreateFolder(const char* name, uint32_t* index) {
  uint8_t normalised[kMcsNameLen];
  if (!McsNormaliseName(name, normalised)) return kMcsEmptyName;
  const uint32_t existing = FindFolderIndex(normalised);
  if (existing != 0) {
    if (index != nullptr) *index = existing;
    return kMcsFolderExists;
  }
  for (uint32_t i = 1; i < kMcsFolderCount; ++i) {
    const uint32_t at = FolderAt(McsEntryOfIndex(i));
    if (g_arena[at] == 0) {
      std::memcpy(g_arena + at, normalised, kMcsNameLen);
      if (index != nullptr) *index = i;
      return kMcsOk;
    }
  }
  return kMcsFolderTableFull;
}

uint32_t McsDeleteFolder(const char* name) {
  uint32_t index = 0;
  const uint32_t code = LookUp(name, &index);
  if (code != kMcsOk) return code;
  if (index < kFirstUserIndex || index > kLastUserIndex) return kMcsNotUserFolder;
  const uint32_t entry = McsEntryOfIndex(index);
  const uint32_t at = FolderAt(entry);
  if (g_arena[at + offsetof(FolderEntry, flags)] & kMcsFolderKeep) return kMcsFolderProtected;
  if (Ld16(at + kFeCount) != 0) return kMcsFolderNotEmpty;
  if (Ld32(kHdrCurrent) == entry) return kMcsFolderCurrent;
  if (BlockAddrOfIndex(index) != BlockEndOfIndex(index)) return kMcsInternal;
  // The slot keeps its block address: its empty block stays in place.
  std::memset(g_arena + at, 0, kMcsNameLen);
  St16(at + kFeCount, 0);
  g_arena[at + offsetof(FolderEntry, flags)] = 0;
  g_arena[at + offsetof(FolderEntry, spare)] = 0;
  return kMcsOk;
}

uint32_t McsSelectFolder(const char* name) {
  uint32_t index = 0;
  const uint32_t code = LookUp(name, &index);
  if (code != kMcsOk) return code;
  if (index == 1 || index > kLastUserIndex) return kMcsNotUserFolder;
  St32(kHdrCurrent, McsEntryOfIndex(index));
  return kMcsOk;
}

uint32_t McsFolderEntry(uint32_t index, FolderEntry* entry) {
  if (index == 0 || index > kMcsFolderCount) return kMcsBadFolderIndex;
  std::memcpy(entry, g_arena + FolderAt(McsEntryOfIndex(index)), sizeof *entry);
  return kMcsOk;
}

uint32_t McsFolderUsageAt(uint32_t index, uint32_t* count, uint32_t* length) {
  if (index == 0 || index > kMcsFolderCount) return kMcsBadFolderIndex;
  *count = Ld16(FolderAt(McsEntryOfIndex(index)) + kFeCount);
  *length = BlockEndOfIndex(index) - BlockAddrOfIndex(index);
  return kMcsOk;
}

uint32_t McsFolderUsage(const char* name, uint32_t* count, uint32_t* length) {
  uint32_t index = 0;
  const uint32_t code = LookUp(name, &index);
  if (code != kMcsOk) return code;
  return McsFolderUsageAt(index, count, length);
}

uint32_t McsFolderClassOf(uint32_t index) {
  for (const ClassRange& range : kFolderClasses) {
    if (index >= range.low && index <= range.high) return range.folderClass;
  }
  return 0;
}

uint32_t McsFolderClass(const char* name) {
  uint32_t index = 0;
  if (LookUp(name, &index) != kMcsOk) return 0;
  return McsFolderClassOf(index);
}
