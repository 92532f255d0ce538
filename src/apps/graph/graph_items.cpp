#include "apps/graph/graph_items.h"

#include <cstring>

#include "memory/mem_app.h"

int ReadGraphItem(const char* name, void* out, uint32_t size) {
  uint8_t* data = nullptr;
  uint32_t have = 0;
  if (MemGetPointer(MemOfKind(kGraphItemKind), name, &data, &have) != kMemOk || have < size)
    return -1;
  std::memcpy(out, data, size);
  return 0;
}

uint32_t WriteGraphItem(const char* name, const void* data, uint32_t size) {
  const uint32_t rounded = (size + 3) & ~3u;
  uint8_t* at = nullptr;
  uint32_t have = 0;
  if (MemGetPointer(MemOfKind(kGraphItemKind), name, &at, &have) == kMemOk && have == rounded) {
    std::memmove(at, data, size);
    std::memset(at + size, 0, rounded - size);
    return kMemOk;
  }
  // A new size: the item is made again, after making sure that it fits, so
  // a full memory keeps the old contents.
  uint32_t used = 0, total = 0, free = 0;
  MemUsage(&total, &used, &free);
  if (free + have < rounded + 32) return kMemErrNoRoom;
  if (have) MemDelete(MemOfKind(kGraphItemKind), name);
  uint8_t padded[4096];
  if (rounded > sizeof padded) return kMemErrBadSize;
  std::memcpy(padded, data, size);
  std::memset(padded + size, 0, rounded - size);
  return MemCreate(kGraphItemKind, name, rounded, padded);
}

void DeleteGraphItem(const char* name) {
  MemDelete(MemOfKind(kGraphItemKind), name);
}

uint32_t GraphItemSize(const char* name) {
  uint8_t* data = nullptr;
  uint32_t size = 0;
  return MemGetPointer(MemOfKind(kGraphItemKind), name, &data, &size) == kMemOk ? size : 0;
}

bool GraphItemExists(const char* name) {
  uint8_t* data = nullptr;
  uint32_t size = 0;
  return MemGetPointer(MemOfKind(kGraphItemKind), name, &data, &size) == kMemOk;
}
