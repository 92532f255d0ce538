#include "memory/mem_handles.h"

#include <cstdlib>
#include <functional>

#include "memory/mcs_core.h"

namespace {

struct Slot {
  uint8_t* block;
  uint16_t size;
};
Slot g_slots[kMemHandleCount];

bool Used(int handle) {
  return handle >= 0 && handle < kMemHandleCount && g_slots[handle].block != nullptr;
}

// Ordered comparison of unrelated pointers needs std::less to be defined.
bool Within(const void* address, const uint8_t* start, uint32_t size) {
  const std::less<const void*> before;
  return !before(address, start) && before(address, start + size);
}

}  // namespace

int MemHandleAlloc(uint16_t size) {
  if (size == 0) return -1;
  for (int handle = 0; handle < kMemHandleCount; ++handle) {
    if (g_slots[handle].block != nullptr) continue;
    auto* block = static_cast<uint8_t*>(std::malloc(size));
    if (block == nullptr) return -1;
    g_slots[handle] = {block, size};
    return handle;
  }
  return -1;
}

bool MemHandleResize(int handle, uint16_t size) {
  if (!Used(handle) || size == 0) return false;
  auto* block = static_cast<uint8_t*>(std::realloc(g_slots[handle].block, size));
  if (block == nullptr) return false;
  g_slots[handle] = {block, size};
  return true;
}

void MemHandleFree(int handle) {
  if (!Used(handle)) return;
  std::free(g_slots[handle].block);
  g_slots[handle] = {nullptr, 0};
}

void MemHandleFreeAll() {
  for (int handle = 0; handle < kMemHandleCount; ++handle) MemHandleFree(handle);
}

uint8_t* MemHandleBlock(int handle) {
  return Used(handle) ? g_slots[handle].block : nullptr;
}
uint16_t MemHandleSize(int handle) {
  return Used(handle) ? g_slots[handle].size : 0;
}

int MemAddressClass(const void* address) {
  const uint8_t* arena = McsArenaBase();
  if (arena != nullptr && Within(address, arena, kMcsArenaSize)) return kMemAddrArena;
  for (const Slot& slot : g_slots) {
    if (slot.block != nullptr && Within(address, slot.block, slot.size)) return kMemAddrHostBlock;
  }
  return kMemAddrElsewhere;
}
