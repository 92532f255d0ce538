// Items: lookup, creation and replacement, deletion, byte-exact resizing,
// reading and writing, copy, move and rename. Every check runs before the
// first byte moves, so a refused operation leaves the arena unchanged.
#include <algorithm>

#include "memory/mcs_internal.h"

using namespace mcs_internal;

namespace {

constexpr char kWorkFolder[] = "@APLWORK";
constexpr char kRenameName[] = "val_ren";

// Moves everything from `from` up to data top by delta bytes, then moves the
// blocks of the folders above this one (lower indexes) and data top with it.
void ShiftTail(uint32_t index, uint32_t from, int64_t delta) {
  const uint32_t top = DataTop();
  McsBlockMove(static_cast<uint32_t>(from + delta), from, top - from);
  for (uint32_t i = 1; i < index; ++i) {
    const uint32_t at = FolderAt(McsEntryOfIndex(i)) + kFeAddr;
    St32(at, static_cast<uint32_t>(Ld32(at) + delta));
  }
  St32(kHdrDataTop, static_cast<uint32_t>(top + delta));
}

void AddToOffsets(const Block& block, uint32_t first, uint32_t last, int64_t delta) {
  for (uint32_t pos = first; pos < last; ++pos) {
    const uint32_t at = block.EntryAt(pos) + kIeOffset;
    St32(at, static_cast<uint32_t>(Ld32(at) + delta));
  }
}

void CopyIn(uint32_t at, const void* data, uint32_t n) {
  // The source may lie inside the arena, even overlapping the target.
  if (data != nullptr) {
    std::memmove(g_arena + at, data, n);
  } else {
    std::memset(g_arena + at, 0, n);
  }
}

// Grows an item by n bytes at offset, filling them from data (or zeros).
void GrowItem(const ItemRef& ref, uint32_t offset, uint32_t n, const void* data) {
  const uint32_t at = ref.Data() + offset;
  ShiftTail(ref.block.index, at, n);
  CopyIn(at, data, n);
  St32(ref.block.EntryAt(ref.pos) + kIeSize, ref.size + n);
  AddToOffsets(ref.block, ref.pos + 1, ref.block.count, n);
}

void ShrinkItem(const ItemRef& ref, uint32_t offset, uint32_t n) {
  ShiftTail(ref.block.index, ref.Data() + offset + n, -int64_t{n});
  St32(ref.block.EntryAt(ref.pos) + kIeSize, ref.size - n);
  AddToOffsets(ref.block, ref.pos + 1, ref.block.count, -int64_t{n});
}

void RemoveItem(const ItemRef& ref) {
  const Block& b = ref.block;
  const uint32_t entry = b.EntryAt(ref.pos);
  const uint32_t data = ref.Data();
  // Directory entries behind it and the data in front of it close up by 20;
  // everything behind its data closes up by its size + 20.
  McsBlockMove(entry, entry + kMcsItemEntrySize, data - entry - kMcsItemEntrySize);
  ShiftTail(b.index, data + ref.size, -int64_t{ref.size + kMcsItemEntrySize});
  AddToOffsets(b, 0, ref.pos, -int64_t{kMcsItemEntrySize});
  AddToOffsets(b, ref.pos, b.count - 1, -int64_t{ref.size + kMcsItemEntrySize});
  St16(FolderAt(McsEntryOfIndex(b.index)) + kFeCount, static_cast<uint16_t>(b.count - 1));
}

uint32_t ReplaceItem(const ItemRef& ref, uint8_t type, uint32_t size, const void* data) {
  if (uint32_t code = WriteRefusal(ref.attr)) return code;
  if (ref.type & kMcsTypeNoOverwrite) return kMcsNoOverwrite;
  if (size > ref.size && size - ref.size > McsFreeSpace()) return kMcsInsertNoRoom;
  MarkChange();
  if (size > ref.size) GrowItem(ref, 0, size - ref.size, nullptr);
  if (size < ref.size) ShrinkItem(ref, 0, ref.size - size);
  CopyIn(ref.Data(), data, size);
  g_arena[ref.block.EntryAt(ref.pos) + kIeType] = type;
  return kMcsOk;
}

void FillInfo(const ItemRef& ref, McsItemInfo* info) {
  info->type = ref.type;
  info->entryAddress = ref.block.EntryAt(ref.pos);
  std::memcpy(&info->entry, g_arena + info->entryAddress, sizeof info->entry);
  info->dataAddress = ref.Data();
  info->size = ref.size;
  info->folderIndex = ref.block.index;
  info->position = ref.pos;
}

bool SameName(const char* a, const char* b) {
  uint8_t na[kMcsNameLen];
  uint8_t nb[kMcsNameLen];
  McsNormaliseName(a, na);
  McsNormaliseName(b, nb);
  return std::memcmp(na, nb, kMcsNameLen) == 0;
}

// Shared by copy and move: checks, creates the target, copies the bytes.
uint32_t CopyChecked(const char* sf, const char* si, const char* tf, const char* ti, bool moving) {
  uint8_t scratch[kMcsNameLen];
  if (!McsNormaliseName(sf, scratch) || !McsNormaliseName(si, scratch) ||
      !McsNormaliseName(tf, scratch) || !McsNormaliseName(ti, scratch)) {
    return kMcsEmptyName;
  }
  ItemRef source;
  if (uint32_t code = ResolveItem(sf, si, &source)) return code;
  if (source.attr & (kMcsAttrLocked | kMcsAttrNoWrite)) return kMcsLocked;
  if (moving) {
    if (source.attr & kMcsAttrWriteProtected) return kMcsWriteProtected;
    if (McsFreeSpace() < uint64_t{source.size} + kMcsItemEntrySize) return kMcsMoveNoRoom;
    // Moving an item onto itself leaves it where it is.
    if (SameName(sf, tf) && SameName(si, ti)) return kMcsOk;
  }
  if (uint32_t code = McsCreateItem(tf, ti, source.type, source.size, g_arena + source.Data())) {
    return code;
  }
  // Creating the target may have moved the source: copy once more from
  // where it is now.
  ItemRef target;
  if (ResolveItem(sf, si, &source) != kMcsOk || ResolveItem(tf, ti, &target) != kMcsOk) {
    return kMcsInternal;
  }
  std::memmove(g_arena + target.Data(), g_arena + source.Data(), source.size);
  return kMcsOk;
}

}  // namespace

uint32_t McsFreeSpace() {
  const uint32_t top = DataTop();
  // A damaged header never lets data grow past the arena.
  const uint32_t bottom = std::min(HeapBottom(), kMcsArenaSize);
  return bottom > top ? bottom - top : 0;
}

void McsUsage(uint32_t* total, uint32_t* used, uint32_t* free) {
  *total = kMcsArenaSize;
  *free = McsFreeSpace();
  *used = kMcsArenaSize - *free;
}

uint32_t McsFindItem(const char* folder, const char* item, McsItemInfo* info) {
  *info = McsItemInfo{};
  ItemRef ref;
  if (uint32_t code = ResolveItem(folder, item, &ref)) return code;
  FillInfo(ref, info);
  return kMcsOk;
}

uint32_t McsItemAt(uint32_t folderIndex, uint32_t position, McsItemInfo* info) {
  *info = McsItemInfo{};
  if (folderIndex == 0 || folderIndex > kMcsFolderCount) return kMcsBadFolderIndex;
  Block block;
  if (!LoadBlock(folderIndex, &block)) return kMcsInternal;
  if (position >= block.count) return kMcsNoItem;
  ItemRef ref;
  if (uint32_t code = RefAt(block, position, &ref)) return code;
  FillInfo(ref, info);
  return kMcsOk;
}

uint32_t McsCreateItem(const char* folder, const char* item, uint8_t type, uint32_t size,
                       const void* data) {
  if (size == 0 || size % 4 != 0) return kMcsBadSize;
  ItemRef existing;
  const uint32_t found = ResolveItem(folder, item, &existing);
  if (found == kMcsOk) return ReplaceItem(existing, type, size, data);
  if (found == kMcsInternal) return found;

  const uint64_t needed = uint64_t{size} + kMcsItemEntrySize;
  if (McsFreeSpace() < needed) return kMcsNoRoom;
  Block b;
  uint8_t itemName[kMcsNameLen];
  if (uint32_t code = ResolveBlock(folder, item, &b, itemName)) return code;
  const uint32_t index = b.index;
  if (b.count >= kMcsMaxItems) return kMcsFolderFull;
  uint32_t k;
  SearchItem(b, itemName, &k);
  const uint32_t dataK = k < b.count ? b.addr + b.Offset(k) : b.end;
  if (dataK < b.EntryAt(k) || dataK > b.end) return kMcsInternal;

  MarkChange();
  const uint32_t dirK = b.EntryAt(k);
  ShiftTail(index, dataK, static_cast<int64_t>(needed));
  McsBlockMove(dirK + kMcsItemEntrySize, dirK, dataK - dirK);
  // Entries in front of the new one moved by 20; the old entries behind it
  // (now one position further) by 20 + size.
  AddToOffsets(b, 0, k, kMcsItemEntrySize);
  AddToOffsets(b, k + 1, b.count + 1, static_cast<int64_t>(needed));
  ItemEntry entry{};
  std::memcpy(entry.name, itemName, kMcsNameLen);
  entry.dataOffset = dataK - b.addr + kMcsItemEntrySize;
  entry.size = size;
  entry.type = type;
  entry.folderIndex = static_cast<uint8_t>(index);
  std::memcpy(g_arena + dirK, &entry, sizeof entry);
  CopyIn(b.addr + entry.dataOffset, data, size);
  St16(FolderAt(McsEntryOfIndex(index)) + kFeCount, static_cast<uint16_t>(b.count + 1));
  return kMcsOk;
}

uint32_t McsDeleteItem(const char* folder, const char* item) {
  ItemRef ref;
  if (uint32_t code = ResolveItem(folder, item, &ref)) return code;
  if (uint32_t code = WriteRefusal(ref.attr)) return code;
  MarkChange();
  RemoveItem(ref);
  return kMcsOk;
}

uint32_t McsInsertData(const char* folder, const char* item, uint32_t offset, uint32_t count,
                       const void* data) {
  if (count % 4 != 0) return kMcsBadSize;
  if (count == 0) return kMcsOk;
  ItemRef ref;
  if (uint32_t code = ResolveItem(folder, item, &ref)) return code;
  if (uint32_t code = WriteRefusal(ref.attr)) return code;
  if (count > McsFreeSpace()) return kMcsInsertNoRoom;
  if (offset > ref.size) return kMcsInsertOffset;
  MarkChange();
  GrowItem(ref, offset, count, data);
  return kMcsOk;
}

uint32_t McsInsertBytes(const char* folder, const char* item, uint32_t offset, uint32_t count) {
  return McsInsertData(folder, item, offset, count, nullptr);
}

uint32_t McsRemoveBytes(const char* folder, const char* item, uint32_t offset, uint32_t count) {
  if (count % 4 != 0) return kMcsRemoveCount;
  if (count == 0) return kMcsOk;
  ItemRef ref;
  if (uint32_t code = ResolveItem(folder, item, &ref)) return code;
  if (uint32_t code = WriteRefusal(ref.attr)) return code;
  if (offset == 0 && count == ref.size) {
    MarkChange();
    RemoveItem(ref);
    return kMcsOk;
  }
  if (offset > ref.size) return kMcsRemoveOffset;
  if (uint64_t{offset} + count > ref.size) return kMcsRemovePastEnd;
  MarkChange();
  ShrinkItem(ref, offset, count);
  return kMcsOk;
}

uint32_t McsWriteAt(const char* folder, const char* item, uint32_t offset, uint32_t count,
                    const void* data) {
  ItemRef ref;
  if (uint32_t code = ResolveItem(folder, item, &ref)) return code;
  if (uint32_t code = WriteRefusal(ref.attr)) return code;
  if (count > ref.size) return kMcsWriteCount;
  if (offset >= ref.size) return kMcsWriteOffset;
  if (uint64_t{offset} + count > ref.size) return kMcsWritePastEnd;
  MarkChange();
  if (count != 0) std::memmove(g_arena + ref.Data() + offset, data, count);
  return kMcsOk;
}

uint32_t McsReadAt(const char* folder, const char* item, uint32_t offset, uint32_t count,
                   void* buffer) {
  ItemRef ref;
  if (uint32_t code = ResolveItem(folder, item, &ref)) return code;
  if (ref.attr & kMcsAttrLocked) return kMcsLocked;
  if (count > ref.size) return kMcsReadCount;
  if (offset >= ref.size) return kMcsReadOffset;
  if (uint64_t{offset} + count > ref.size) return kMcsReadPastEnd;
  if (count != 0) std::memcpy(buffer, g_arena + ref.Data() + offset, count);
  return kMcsOk;
}

uint32_t McsCopyItem(const char* sourceFolder, const char* sourceItem, const char* targetFolder,
                     const char* targetItem) {
  return CopyChecked(sourceFolder, sourceItem, targetFolder, targetItem, false);
}

uint32_t McsMoveItem(const char* sourceFolder, const char* sourceItem, const char* targetFolder,
                     const char* targetItem) {
  const bool self = SameName(sourceFolder, targetFolder) && SameName(sourceItem, targetItem);
  if (uint32_t code = CopyChecked(sourceFolder, sourceItem, targetFolder, targetItem, true)) {
    return code;
  }
  if (self) return kMcsOk;
  ItemRef source;
  if (ResolveItem(sourceFolder, sourceItem, &source) != kMcsOk) return kMcsInternal;
  RemoveItem(source);
  return kMcsOk;
}

uint32_t McsRenameItem(const char* folder, const char* oldName, const char* newName) {
  uint8_t newNorm[kMcsNameLen];
  ItemRef ref;
  const uint32_t found = ResolveItem(folder, oldName, &ref);
  if (!McsNormaliseName(newName, newNorm) || found == kMcsEmptyName) return kMcsEmptyName;
  if (found != kMcsOk) return found;
  if (uint32_t code = WriteRefusal(ref.attr)) return code;
  uint32_t pos;
  if (SearchItem(ref.block, newNorm, &pos)) return kMcsNameExists;
  // The item travels through the work folder so that it lands at the place
  // its new name sorts to. An item that already is the work item stays.
  const bool isWorkItem = SameName(folder, kWorkFolder) && SameName(oldName, kRenameName);
  if (!isWorkItem) {
    if (uint32_t code = McsMoveItem(folder, oldName, kWorkFolder, kRenameName)) return code;
  }
  return McsMoveItem(kWorkFolder, kRenameName, folder, newName);
}
