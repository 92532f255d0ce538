// The OS heap: every block the calculator allocates is entered in a table of
// 128 slots so that all of them can be released at once when an application
// starts.
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "host/services/host_services.h"

namespace {

std::mutex gHeapMutex;
void* gSlots[kOsHeapSlots];

int FindSlot(void* block) {
  for (int i = 0; i < kOsHeapSlots; ++i)
    if (gSlots[i] == block) return i;
  return -1;
}

}  // namespace

void* OsMalloc(uint32_t size) {
  if (size >= kOsHeapBlockLimit) return nullptr;
  std::lock_guard<std::mutex> lock(gHeapMutex);
  int slot = FindSlot(nullptr);
  if (slot < 0) return nullptr;
  void* block = std::malloc(size ? size : 1);
  gSlots[slot] = block;
  return block;
}

void* OsCalloc(uint32_t count, uint32_t size) {
  uint64_t total = uint64_t{count} * size;
  if (total >= kOsHeapBlockLimit) return nullptr;
  void* block = OsMalloc(static_cast<uint32_t>(total));
  if (block) std::memset(block, 0, total);
  return block;
}

void* OsRealloc(void* block, uint32_t newSize) {
  if (newSize >= kOsHeapBlockLimit) return nullptr;
  std::lock_guard<std::mutex> lock(gHeapMutex);
  int slot = FindSlot(block);  // a null block finds the first free slot
  if (slot < 0) return nullptr;
  void* moved = std::realloc(block, newSize ? newSize : 1);
  if (!moved) return nullptr;
  gSlots[slot] = moved;
  return moved;
}

void OsFree(void* block) {
  if (!block) return;
  std::lock_guard<std::mutex> lock(gHeapMutex);
  int slot = FindSlot(block);
  if (slot < 0) return;
  std::free(block);
  gSlots[slot] = nullptr;
}

void OsHeapReset() {
  std::lock_guard<std::mutex> lock(gHeapMutex);
  for (void*& slot : gSlots) {
    std::free(slot);
    slot = nullptr;
  }
}

int OsHeapLiveBlocks() {
  std::lock_guard<std::mutex> lock(gHeapMutex);
  int live = 0;
  for (void* slot : gSlots) live += slot != nullptr;
  return live;
}
