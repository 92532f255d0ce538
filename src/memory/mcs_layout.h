// Byte layout of the main-memory arena: one 65,536-byte array that holds its
// own header, folder table, item directories and block heap. Positions are
// offsets from the arena start; multi-byte fields are in host byte order.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr uint32_t kMcsArenaSize = 65536;
// The host keeps the arena in the middle of a larger block of guard bytes so
// that a stray write just outside it shows up as changed guard bytes.
inline constexpr uint32_t kMcsBlockSize = 131072;
inline constexpr uint32_t kMcsGuardSize = 32768;
inline constexpr uint8_t kMcsGuardByte = 0x5A;

inline constexpr uint32_t kMcsNameLen = 8;
inline constexpr uint32_t kMcsHeaderSize = 256;
inline constexpr uint32_t kMcsFolderTable = 256;
inline constexpr uint32_t kMcsFolderCount = 147;
inline constexpr uint32_t kMcsFolderEntrySize = 16;
inline constexpr uint32_t kMcsDataStart = kMcsFolderTable + kMcsFolderCount * kMcsFolderEntrySize;
inline constexpr uint32_t kMcsItemEntrySize = 20;
inline constexpr uint32_t kMcsHandleEntrySize = 8;
inline constexpr uint32_t kMcsTopHandle = kMcsArenaSize - kMcsHandleEntrySize;
inline constexpr uint32_t kMcsMaxItems = 65535;
inline constexpr uint32_t kMcsChangeMarkerLen = 16;

// Item type bit: the item may not be replaced by a create.
inline constexpr uint8_t kMcsTypeNoOverwrite = 0x40;
// Item attribute bits.
inline constexpr uint8_t kMcsAttrWriteProtected = 0x01;
inline constexpr uint8_t kMcsAttrLocked = 0x02;
inline constexpr uint8_t kMcsAttrNoWrite = 0x04;
// Folder flag bit: the folder may not be deleted.
inline constexpr uint8_t kMcsFolderKeep = 0x01;

struct McsHeader {
  uint32_t dataTop;        // first byte after the last folder block
  uint32_t currentFolder;  // folder-table entry of the selected folder
  uint32_t heapBottom;     // lowest byte of the heap blocks
  uint32_t handleBottom;   // lowest handle-table entry
  uint32_t trackedAddress;
  uint32_t secondWord;
  uint8_t changeMarker[kMcsChangeMarkerLen];
  uint8_t rest[216];
};
static_assert(sizeof(McsHeader) == kMcsHeaderSize);
static_assert(offsetof(McsHeader, dataTop) == 0);
static_assert(offsetof(McsHeader, currentFolder) == 4);
static_assert(offsetof(McsHeader, heapBottom) == 8);
static_assert(offsetof(McsHeader, handleBottom) == 12);
static_assert(offsetof(McsHeader, trackedAddress) == 16);
static_assert(offsetof(McsHeader, secondWord) == 20);
static_assert(offsetof(McsHeader, changeMarker) == 24);

struct FolderEntry {
  uint8_t name[kMcsNameLen];  // zero padded; first byte 0 = free slot
  uint32_t blockAddress;
  uint16_t itemCount;
  uint8_t flags;
  uint8_t spare;
};
static_assert(sizeof(FolderEntry) == kMcsFolderEntrySize);
static_assert(offsetof(FolderEntry, blockAddress) == 8);
static_assert(offsetof(FolderEntry, itemCount) == 12);
static_assert(offsetof(FolderEntry, flags) == 14);
static_assert(offsetof(FolderEntry, spare) == 15);
static_assert(kMcsDataStart == 2608);

struct ItemEntry {
  uint8_t name[kMcsNameLen];
  uint32_t dataOffset;  // from the start of the folder block
  uint32_t size;        // never 0, a multiple of 4
  uint8_t type;
  uint8_t attributes;
  uint8_t reserved;
  uint8_t folderIndex;  // folder that held the item when it was created
};
static_assert(sizeof(ItemEntry) == kMcsItemEntrySize);
static_assert(offsetof(ItemEntry, dataOffset) == 8);
static_assert(offsetof(ItemEntry, size) == 12);
static_assert(offsetof(ItemEntry, type) == 16);
static_assert(offsetof(ItemEntry, attributes) == 17);
static_assert(offsetof(ItemEntry, reserved) == 18);
static_assert(offsetof(ItemEntry, folderIndex) == 19);

struct HandleEntry {
  uint32_t blockAddress;  // 0 = free entry
  uint32_t blockSize;
};
static_assert(sizeof(HandleEntry) == kMcsHandleEntrySize);

// Folder indexes count from the end of the table: index 1 is the last entry.
constexpr uint32_t McsEntryOfIndex(uint32_t index) {
  return kMcsFolderCount - index;
}
constexpr uint32_t McsIndexOfEntry(uint32_t entry) {
  return kMcsFolderCount - entry;
}
