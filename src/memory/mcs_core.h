// Main-memory arena core: folders, items, block heap and integrity check.
// Every operation returns a core code (0 = success) and leaves the arena
// byte-for-byte unchanged when it fails. Used from the OS thread only.
#pragma once

#include <cstdint>

#include "memory/mcs_layout.h"

// Core result codes.
enum : uint32_t {
  kMcsOk = 0,
  kMcsBadSize = 16,         // size or count not a multiple of 4, or size 0
  kMcsInsertNoRoom = 17,    // insert: not enough free space
  kMcsInsertOffset = 18,    // insert: offset beyond the item
  kMcsWriteCount = 19,      // write: count larger than the item
  kMcsWritePastEnd = 20,    // write: runs past the end
  kMcsWriteOffset = 21,     // write: offset at or beyond the end
  kMcsRemoveCount = 22,     // remove: count not a multiple of 4
  kMcsRemovePastEnd = 23,   // remove: runs past the end
  kMcsRemoveOffset = 24,    // remove: offset beyond the item
  kMcsReadCount = 25,       // read: count larger than the item
  kMcsReadPastEnd = 26,     // read: runs past the end
  kMcsReadOffset = 27,      // read: offset at or beyond the end
  kMcsNoItem = 48,          // item not found
  kMcsNameExists = 49,      // rename: the new name exists
  kMcsWriteProtected = 50,  // item attribute bit 0
  kMcsLocked = 52,          // item attribute bit 1 or 2
  kMcsNoOverwrite = 53,     // type bit 6: a create may not replace the item
  kMcsNoFolder = 64,
  kMcsFolderExists = 66,
  kMcsFolderTableFull = 67,
  kMcsBadFolderIndex = 68,
  kMcsFolderNotEmpty = 69,
  kMcsNotUserFolder = 70,
  kMcsFolderProtected = 71,
  kMcsFolderCurrent = 72,
  kMcsNoRoom = 80,  // create: not enough free space
  kMcsFolderFull = 83,
  kMcsMoveNoRoom = 95,
  kMcsEmptyName = 240,
  kMcsInternal = 255,  // the bookkeeping does not add up
};

// Integrity-check codes (McsCheck).
enum : uint32_t {
  kMcsCheckBlockLength = 192,  // block length != sum of (size + 20)
  kMcsCheckDirectory = 193,    // directory length / 20 != item count
  kMcsCheckEmptyBlock = 194,   // empty folder whose block is not empty
  kMcsCheckOrder = 195,        // block addresses decrease (or leave the arena)
  kMcsCheckSpacing = 196,      // block addresses differ by a non-multiple of 4
  kMcsCheckBlockEnd = 197,     // last data byte + 1 != block end
  kMcsCheckZeroSize = 198,     // item of size 0
  kMcsCheckSizeAlign = 199,    // item size not a multiple of 4
  kMcsCheckOffsetOrder = 200,  // data offsets decrease
  kMcsCheckHandleZero = 201,   // used handle entry of size 0
  kMcsCheckHandleAlign = 202,  // handle block size not a multiple of 4
  kMcsCheckHeapSum = 203,      // handle sizes do not fill the heap
  kMcsCheckHeapChain = 204,    // heap blocks are not back to back
  kMcsCheckTotal = 205,        // the space accounting does not add up
  kMcsCheckOffsetAlign = 206,  // data offset not 4-aligned
  kMcsCheckFolderAlign = 207,  // folder block address not 4-aligned
  kMcsCheckEndAlign = 208,     // folder block end not 4-aligned
  kMcsCheckOffsetChain = 209,  // data offset != previous offset + previous size
  kMcsCheckDataTop = 210,      // data top is not the end of the last block
};

// ---- Arena placement ----------------------------------------------------

// Host start-up: allocates the 131,072-byte block filled with guard bytes and
// places the arena in its middle. Any earlier block is freed. Returns the
// arena start. The arena contents are guard bytes until McsInit runs.
uint8_t* McsAllocateArena();
// Frees the block allocated by McsAllocateArena (at exit).
void McsFreeArena();
// Places the arena inside a caller-owned block of kMcsBlockSize bytes, which
// is filled with guard bytes first.
void McsPlaceArena(uint8_t* block);
uint8_t* McsArenaBase();  // null before placement
uint8_t* McsBlockBase();
// True when all guard bytes around the arena still hold 0x5A.
bool McsGuardsIntact();
// Pointer to an arena offset (data addresses of the core are offsets).
inline uint8_t* McsAddress(uint32_t offset) {
  return McsArenaBase() + offset;
}

// ---- Names ---------------------------------------------------------------

// Normalises a zero-terminated name to 8 bytes, cutting longer names without
// splitting a two-byte character. False for an empty name.
bool McsNormaliseName(const char* raw, uint8_t out[kMcsNameLen]);
// True for the bytes that begin a two-byte character.
bool McsIsLeadByte(uint8_t byte);

// ---- Header --------------------------------------------------------------

McsHeader McsReadHeader();
// The block-move primitive keeps this address pointing at the same data.
uint32_t McsTrackedAddress();
void McsSetTrackedAddress(uint32_t address);
// Copies n bytes inside the arena, shifting the tracked address with them.
void McsBlockMove(uint32_t destination, uint32_t source, uint32_t n);

// ---- Folders -------------------------------------------------------------

uint32_t McsInit();
uint32_t McsFindFolder(const char* name, FolderEntry* entry, uint32_t* index);
uint32_t McsCreateFolder(const char* name, uint32_t* index);
uint32_t McsDeleteFolder(const char* name);
uint32_t McsSelectFolder(const char* name);
uint32_t McsFolderEntry(uint32_t index, FolderEntry* entry);
uint32_t McsFolderUsage(const char* name, uint32_t* count, uint32_t* length);
uint32_t McsFolderUsageAt(uint32_t index, uint32_t* count, uint32_t* length);
// Class of an existing folder by name; 0 when it does not exist.
uint32_t McsFolderClass(const char* name);
// Class of a folder index (1 ... 147); 0 outside that range.
uint32_t McsFolderClassOf(uint32_t index);

// ---- Items ---------------------------------------------------------------

struct McsItemInfo {
  uint8_t type;
  ItemEntry entry;
  uint32_t dataAddress;  // arena offset of the first data byte
  uint32_t size;
  uint32_t entryAddress;  // arena offset of the directory entry
  uint32_t folderIndex;
  uint32_t position;  // position in the directory
};

uint32_t McsFindItem(const char* folder, const char* item, McsItemInfo* info);
// The item at a directory position of a folder index, for walking a folder.
uint32_t McsItemAt(uint32_t folderIndex, uint32_t position, McsItemInfo* info);
// data may be null (the item is cleared). Data inside the arena is read after
// the bytes have moved, so items are copied with McsCopyItem, not from a
// pointer into the arena.
uint32_t McsCreateItem(const char* folder, const char* item, uint8_t type, uint32_t size,
                       const void* data);
uint32_t McsDeleteItem(const char* folder, const char* item);
uint32_t McsInsertBytes(const char* folder, const char* item, uint32_t offset, uint32_t count);
// data must lie outside the arena (see McsCreateItem).
uint32_t McsInsertData(const char* folder, const char* item, uint32_t offset, uint32_t count,
                       const void* data);
uint32_t McsRemoveBytes(const char* folder, const char* item, uint32_t offset, uint32_t count);
uint32_t McsWriteAt(const char* folder, const char* item, uint32_t offset, uint32_t count,
                    const void* data);
uint32_t McsReadAt(const char* folder, const char* item, uint32_t offset, uint32_t count,
                   void* buffer);
uint32_t McsCopyItem(const char* sourceFolder, const char* sourceItem, const char* targetFolder,
                     const char* targetItem);
uint32_t McsMoveItem(const char* sourceFolder, const char* sourceItem, const char* targetFolder,
                     const char* targetItem);
uint32_t McsRenameItem(const char* folder, const char* oldName, const char* newName);
void McsUsage(uint32_t* total, uint32_t* used, uint32_t* free);
uint32_t McsFreeSpace();

// ---- Integrity check -----------------------------------------------------

uint32_t McsCheck();

// ---- Block heap ----------------------------------------------------------

// Returns the handle (arena offset of its table entry) or 0 when refused.
uint32_t McsHeapAlloc(uint32_t size);
// Releases one block; the blocks below it move up. Its entry stays, free.
uint32_t McsHeapFree(uint32_t handle);
void McsHeapReset();
// Block address of a used handle (0 for a free or invalid one).
uint32_t McsHeapBlock(uint32_t handle, uint32_t* size);
