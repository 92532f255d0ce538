// Shared helpers of the arena core. Every access goes through memcpy on arena
// offsets, so a damaged arena can never cause a misaligned or out-of-arena
// read as long as callers bound their offsets first.
#pragma once

#include <cstring>

#include "memory/mcs_core.h"

namespace mcs_internal {

extern uint8_t* g_arena;

template <typename T>
T Load(uint32_t at) {
  T v;
  std::memcpy(&v, g_arena + at, sizeof v);
  return v;
}
template <typename T>
void Store(uint32_t at, T v) {
  std::memcpy(g_arena + at, &v, sizeof v);
}
inline uint32_t Ld32(uint32_t at) {
  return Load<uint32_t>(at);
}
inline void St32(uint32_t at, uint32_t v) {
  Store(at, v);
}
inline uint16_t Ld16(uint32_t at) {
  return Load<uint16_t>(at);
}
inline void St16(uint32_t at, uint16_t v) {
  Store(at, v);
}

inline constexpr uint32_t kHdrDataTop = offsetof(McsHeader, dataTop);
inline constexpr uint32_t kHdrCurrent = offsetof(McsHeader, currentFolder);
inline constexpr uint32_t kHdrHeapBottom = offsetof(McsHeader, heapBottom);
inline constexpr uint32_t kHdrHandleBottom = offsetof(McsHeader, handleBottom);
inline constexpr uint32_t kHdrTracked = offsetof(McsHeader, trackedAddress);
inline constexpr uint32_t kHdrSecond = offsetof(McsHeader, secondWord);
inline constexpr uint32_t kHdrMarker = offsetof(McsHeader, changeMarker);

inline uint32_t DataTop() {
  return Ld32(kHdrDataTop);
}
inline uint32_t HeapBottom() {
  return Ld32(kHdrHeapBottom);
}
inline uint32_t HandleBottom() {
  return Ld32(kHdrHandleBottom);
}

// Field offsets inside a folder-table entry and an item-directory entry.
inline constexpr uint32_t kFeAddr = offsetof(FolderEntry, blockAddress);
inline constexpr uint32_t kFeCount = offsetof(FolderEntry, itemCount);
inline constexpr uint32_t kIeOffset = offsetof(ItemEntry, dataOffset);
inline constexpr uint32_t kIeSize = offsetof(ItemEntry, size);
inline constexpr uint32_t kIeType = offsetof(ItemEntry, type);
inline constexpr uint32_t kIeAttr = offsetof(ItemEntry, attributes);

inline uint32_t FolderAt(uint32_t entry) {
  return kMcsFolderTable + entry * kMcsFolderEntrySize;
}
inline uint32_t BlockAddrOfIndex(uint32_t index) {
  return Ld32(FolderAt(McsEntryOfIndex(index)) + kFeAddr);
}
// The block of index i ends where the block of index i - 1 begins.
inline uint32_t BlockEndOfIndex(uint32_t index) {
  return index == 1 ? DataTop() : BlockAddrOfIndex(index - 1);
}

// Announces that data is about to move or change.
void MarkChange();

// One folder's block as read from the table.
struct Block {
  uint32_t index;
  uint32_t addr;
  uint32_t end;
  uint32_t count;
  uint32_t EntryAt(uint32_t pos) const { return addr + pos * kMcsItemEntrySize; }
  uint32_t Offset(uint32_t pos) const { return Ld32(EntryAt(pos) + kIeOffset); }
  uint32_t Size(uint32_t pos) const { return Ld32(EntryAt(pos) + kIeSize); }
};

// False when the folder's bounds do not fit the arena.
bool LoadBlock(uint32_t index, Block* block);
// Index of the folder with this normalised name, 0 when there is none.
uint32_t FindFolderIndex(const uint8_t name[kMcsNameLen]);
// Binary search; on a miss *pos is the insertion position.
bool SearchItem(const Block& block, const uint8_t name[kMcsNameLen], uint32_t* pos);

// A resolved item.
struct ItemRef {
  Block block;
  uint32_t pos;
  uint32_t offset;
  uint32_t size;
  uint8_t type;
  uint8_t attr;
  uint32_t Data() const { return block.addr + offset; }
};

// Normalises both names and loads the folder's block: 240, 64 or 255.
uint32_t ResolveBlock(const char* folder, const char* item, Block* block,
                      uint8_t itemName[kMcsNameLen]);
// Normalises both names and finds the item: 240, 64, 48 or 255.
uint32_t ResolveItem(const char* folder, const char* item, ItemRef* ref);
// Builds the reference of the item at a known position (255 when its entry
// does not fit its block).
uint32_t RefAt(const Block& block, uint32_t pos, ItemRef* ref);

inline uint32_t WriteRefusal(uint8_t attr) {
  if (attr & kMcsAttrWriteProtected) return kMcsWriteProtected;
  if (attr & (kMcsAttrLocked | kMcsAttrNoWrite)) return kMcsLocked;
  return kMcsOk;
}

}  // namespace mcs_internal
