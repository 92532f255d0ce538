#include "mcs_test_support.h"

#include <gtest/gtest.h>

#include <cstring>

#include "memory/mem_app.h"

void FreshMemory() {
  McsAllocateArena();
  MemStartUp();
}

std::vector<uint8_t> ArenaBytes() {
  return std::vector<uint8_t>(McsArenaBase(), McsArenaBase() + kMcsArenaSize);
}

std::vector<uint8_t> ItemBytes(const char* folder, const char* item) {
  McsItemInfo info;
  if (McsFindItem(folder, item, &info) != kMcsOk) return {};
  const uint8_t* p = McsAddress(info.dataAddress);
  return std::vector<uint8_t>(p, p + info.size);
}

std::vector<uint8_t> Pattern(uint32_t size, uint8_t seed) {
  std::vector<uint8_t> bytes(size);
  for (uint32_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed * 31 + i * 7 + 1);
  return bytes;
}

uint32_t CreatePatterned(const char* folder, const char* item, uint32_t size, uint8_t seed) {
  const std::vector<uint8_t> bytes = Pattern(size, seed);
  return McsCreateItem(folder, item, 1, size, bytes.data());
}

void LeaveFree(uint32_t leave) {
  const uint32_t free = McsFreeSpace();
  ASSERT_EQ(leave % 4, 0u);
  ASSERT_LE(leave + 12, free);
  ASSERT_NE(McsHeapAlloc(free - leave - kMcsHandleEntrySize), 0u);
  ASSERT_EQ(McsFreeSpace(), leave);
}
