// Block heap at the top of the arena: a handle table growing down from the
// arena end and the blocks below it, in table order (a lower entry's block
// lies directly below the block of the entry above it).
#include "memory/mcs_internal.h"

using namespace mcs_internal;

namespace {

void SetBlock(uint32_t entry, uint32_t address, uint32_t size) {
  St32(entry, address);
  St32(entry + 4, size);
}

// Adds delta to the address of every used entry below `entry`.
void ShiftEntriesBelow(uint32_t entry, int64_t delta) {
  const uint32_t bottom = HandleBottom();
  for (uint32_t e = entry; e > bottom;) {
    e -= kMcsHandleEntrySize;
    const uint32_t addr = Ld32(e);
    if (addr != 0) St32(e, static_cast<uint32_t>(addr + delta));
  }
}

// The heap bounds in the header are where the check expects them.
bool SaneHeap() {
  const uint32_t handleBottom = HandleBottom();
  const uint32_t heapBottom = HeapBottom();
  return handleBottom <= kMcsArenaSize &&
         (kMcsArenaSize - handleBottom) % kMcsHandleEntrySize == 0 && heapBottom <= handleBottom &&
         DataTop() <= heapBottom;
}

bool ValidHandle(uint32_t handle) {
  return handle >= HandleBottom() && handle <= kMcsTopHandle &&
         (kMcsArenaSize - handle) % kMcsHandleEntrySize == 0;
}

}  // namespace

void McsHeapReset() {
  St32(kHdrHeapBottom, kMcsArenaSize);
  St32(kHdrHandleBottom, kMcsArenaSize);
}

uint32_t McsHeapAlloc(uint32_t size) {
  if (size == 0 || size % 4 != 0 || uint64_t{size} + kMcsHandleEntrySize > McsFreeSpace() ||
      !SaneHeap()) {
    return 0;
  }
  const uint32_t handleBottom = HandleBottom();
  const uint32_t heapBottom = HeapBottom();
  MarkChange();
  if (handleBottom == kMcsArenaSize) {
    const uint32_t entry = handleBottom - kMcsHandleEntrySize;
    SetBlock(entry, entry - size, size);
    St32(kHdrHandleBottom, entry);
    St32(kHdrHeapBottom, heapBottom - kMcsHandleEntrySize - size);
    std::memset(g_arena + entry - size, 0, size);
    return entry;
  }
  uint32_t freeEntry = 0;
  for (uint32_t e = kMcsTopHandle; e >= handleBottom; e -= kMcsHandleEntrySize) {
    if (Ld32(e) == 0) {
      freeEntry = e;
      break;
    }
  }
  uint32_t entry;
  uint32_t block;
  if (freeEntry == 0) {
    // A new entry below the table: the blocks make room for it.
    McsBlockMove(heapBottom - kMcsHandleEntrySize, heapBottom, handleBottom - heapBottom);
    ShiftEntriesBelow(kMcsArenaSize, -int64_t{kMcsHandleEntrySize});
    entry = handleBottom - kMcsHandleEntrySize;
    block = heapBottom - kMcsHandleEntrySize - size;
    St32(kHdrHandleBottom, entry);
    St32(kHdrHeapBottom, block);
  } else {
    // Reuse the free entry: its block goes directly below the block of the
    // nearest used entry above it (or the handle table when there is none),
    // and the blocks below that move down to make room.
    uint32_t top = handleBottom;
    for (uint32_t e = freeEntry + kMcsHandleEntrySize; e <= kMcsTopHandle;
         e += kMcsHandleEntrySize) {
      if (Ld32(e) != 0) {
        top = Ld32(e);
        break;
      }
    }
    McsBlockMove(heapBottom - size, heapBottom, top - heapBottom);
    ShiftEntriesBelow(freeEntry, -int64_t{size});
    entry = freeEntry;
    block = top - size;
    St32(kHdrHeapBottom, heapBottom - size);
  }
  SetBlock(entry, block, size);
  std::memset(g_arena + block, 0, size);
  return entry;
}

uint32_t McsHeapFree(uint32_t handle) {
  if (!ValidHandle(handle) || Ld32(handle) == 0) return kMcsInternal;
  const uint32_t block = Ld32(handle);
  const uint32_t size = Ld32(handle + 4);
  const uint32_t heapBottom = HeapBottom();
  if (block < heapBottom || uint64_t{block} + size > HandleBottom()) return kMcsInternal;
  MarkChange();
  McsBlockMove(heapBottom + size, heapBottom, block - heapBottom);
  ShiftEntriesBelow(handle, size);
  SetBlock(handle, 0, 0);
  St32(kHdrHeapBottom, heapBottom + size);
  return kMcsOk;
}

uint32_t McsHeapBlock(uint32_t handle, uint32_t* size) {
  if (!ValidHandle(handle) || Ld32(handle) == 0) {
    if (size != nullptr) *size = 0;
    return 0;
  }
  if (size != nullptr) *size = Ld32(handle + 4);
  return Ld32(handle);
}
