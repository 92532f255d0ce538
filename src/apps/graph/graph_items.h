// The graph's items of main memory (windows, factors, functions, pictures):
// whole-item reads and writes by name in the graph data's folder.
#pragma once

#include <cstdint>

// The item kind of the graph data: folder "main".
inline constexpr uint8_t kGraphItemKind = 5;

// 0 when the item exists and holds at least `size` bytes (copied to out).
int ReadGraphItem(const char* name, void* out, uint32_t size);
// Creates or replaces the item with exactly these bytes (rounded up to a
// multiple of 4). 0, or the memory's error code.
uint32_t WriteGraphItem(const char* name, const void* data, uint32_t size);
void DeleteGraphItem(const char* name);
bool GraphItemExists(const char* name);
// The item's size, 0 when it does not exist.
uint32_t GraphItemSize(const char* name);
