#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "mcs_test_support.h"
#include "memory/mcs_core.h"

#if defined(__SANITIZE_ADDRESS__)
#define VK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VK_ASAN 1
#endif
#endif
#ifdef VK_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace {

// While it lives, any read of the guard bytes around the arena stops the
// test under AddressSanitizer: the check must stay inside the arena.
struct GuardPoison {
  GuardPoison() { Set(true); }
  ~GuardPoison() { Set(false); }
  static void Set([[maybe_unused]] bool on) {
#ifdef VK_ASAN
    for (uint8_t* guard : {McsBlockBase(), McsBlockBase() + kMcsGuardSize + kMcsArenaSize}) {
      on ? ASAN_POISON_MEMORY_REGION(guard, kMcsGuardSize)
         : ASAN_UNPOISON_MEMORY_REGION(guard, kMcsGuardSize);
    }
#endif
  }
};

// Items in several folders (including the first and the last block) and a
// few heap blocks.
void BusyArena() {
  FreshMemory();
  ASSERT_EQ(CreatePatterned("system", "PROG1", 24, 1), kMcsOk);
  ASSERT_EQ(CreatePatterned("system", "PROG2", 8, 2), kMcsOk);
  ASSERT_EQ(CreatePatterned("@RUNMAT", "REPLAY", 40, 3), kMcsOk);
  ASSERT_EQ(CreatePatterned("main", "A", 12, 4), kMcsOk);
  ASSERT_EQ(CreatePatterned("main", "MAT_A", 64, 5), kMcsOk);
  ASSERT_EQ(CreatePatterned("main", "Z", 4, 6), kMcsOk);
  ASSERT_EQ(CreatePatterned("@APLWORK", "W", 16, 7), kMcsOk);
  ASSERT_NE(McsHeapAlloc(32), 0u);
  ASSERT_NE(McsHeapAlloc(8), 0u);
  ASSERT_EQ(McsCheck(), kMcsOk);
}

bool CheckCode(uint32_t code) {
  return code == kMcsOk || (code >= 192 && code <= 210);
}

// Every bookkeeping byte: header, folder table, item directories, handle table.
std::vector<uint32_t> BookkeepingBytes() {
  std::vector<uint32_t> at;
  for (uint32_t i = 0; i < kMcsDataStart; ++i) at.push_back(i);
  for (uint32_t index = 1; index <= kMcsFolderCount; ++index) {
    FolderEntry entry;
    McsFolderEntry(index, &entry);
    for (uint32_t i = 0; i < entry.itemCount * kMcsItemEntrySize; ++i)
      at.push_back(entry.blockAddress + i);
  }
  for (uint32_t i = McsReadHeader().handleBottom; i < kMcsArenaSize; ++i) at.push_back(i);
  return at;
}

TEST(McsCheck, SingleByteFlipsAreReportedOrHarmless) {
  BusyArena();
  const std::vector<uint32_t> positions = BookkeepingBytes();
  uint32_t reported = 0;
  GuardPoison poison;
  for (uint32_t at : positions) {
    for (uint8_t mask : {0x01, 0x04, 0x80, 0xFF}) {
      uint8_t* p = McsAddress(at);
      *p ^= mask;
      const uint32_t code = McsCheck();
      *p ^= mask;
      ASSERT_TRUE(CheckCode(code)) << "byte " << at << " mask " << int{mask} << " code " << code;
      reported += code != kMcsOk;
    }
  }
  // Most flips of block addresses, counts, offsets and sizes are caught.
  EXPECT_GT(reported, 600u);
  EXPECT_EQ(McsCheck(), kMcsOk);
}

TEST(McsCheck, WildWordsNeverLeadOutsideTheArena) {
  BusyArena();
  const std::vector<uint32_t> positions = BookkeepingBytes();
  const std::vector<uint8_t> clean = ArenaBytes();
  std::mt19937 rng(1234);
  const uint32_t wild[] = {0xFFFFFFFF, 0xFFFFFFF0, 0x80000000, 0x10000, 0xFFFC, 65532, 0, 4};
  GuardPoison poison;
  for (int round = 0; round < 3000; ++round) {
    for (int n = 1 + round % 3; n > 0; --n) {
      const uint32_t at = positions[rng() % positions.size()] & ~3u;
      const uint32_t value = rng() % 2 ? wild[rng() % std::size(wild)] : rng();
      std::memcpy(McsAddress(at), &value, 4);
    }
    const uint32_t code = McsCheck();
    ASSERT_TRUE(CheckCode(code)) << "round " << round << " code " << code;
    // Item operations on the damaged arena refuse or work, but stay inside it.
    McsItemInfo info;
    McsFindItem("main", "MAT_A", &info);
    McsCreateItem("main", "NEW", 1, 8, nullptr);
    McsInsertBytes("@RUNMAT", "REPLAY", 4, 8);
    McsRemoveBytes("system", "PROG1", 0, 8);
    McsRenameItem("main", "A", "B");
    McsDeleteItem("main", "Z");
    std::memcpy(McsArenaBase(), clean.data(), kMcsArenaSize);
  }
}

// The folder entry field of an index.
uint8_t* FolderField(uint32_t index, size_t field) {
  return McsAddress(kMcsFolderTable + McsEntryOfIndex(index) * kMcsFolderEntrySize + field);
}
uint8_t* ItemField(const char* folder, const char* item, size_t field) {
  McsItemInfo info;
  EXPECT_EQ(McsFindItem(folder, item, &info), kMcsOk);
  return McsAddress(info.entryAddress + field);
}
void Add32(uint8_t* p, int32_t delta) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  v += delta;
  std::memcpy(p, &v, 4);
}

// Moves every folder block and the data top up by 4, with the data itself
// or without it.
void MoveFolderArea(bool withData) {
  const uint32_t dataTop = McsReadHeader().dataTop;
  if (withData) {
    std::memmove(McsAddress(kMcsDataStart + 4), McsAddress(kMcsDataStart), dataTop - kMcsDataStart);
  } else {
    FreshMemory();
  }
  for (uint32_t index = 1; index <= kMcsFolderCount; ++index) Add32(FolderField(index, 8), 4);
  Add32(McsAddress(0), 4);
}

TEST(McsCheck, EachDamageHasItsCode) {
  struct Row {
    const char* what;
    std::function<void()> damage;
    uint32_t code;
  };
  const Row rows[] = {
      {"block address off by 2", [] { Add32(FolderField(2, 8), 2); }, kMcsCheckFolderAlign},
      {"block end off by 2", [] { Add32(McsAddress(0), 2); }, kMcsCheckEndAlign},
      {"empty block not empty", [] { Add32(FolderField(4, 8), -4); }, kMcsCheckEmptyBlock},
      {"count far too large", [] { FolderField(2, 12)[1] = 0x40; }, kMcsCheckDirectory},
      {"block past its end", [] { Add32(FolderField(147, 8), 4096); }, kMcsCheckOrder},
      {"size 0", [] { std::memset(ItemField("main", "A", 12), 0, 4); }, kMcsCheckZeroSize},
      {"size not a multiple of 4", [] { Add32(ItemField("main", "Z", 12), 2); },
       kMcsCheckSizeAlign},
      {"offset chain broken", [] { Add32(ItemField("main", "MAT_A", 8), 4); },
       kMcsCheckOffsetChain},
      {"first offset unaligned", [] { Add32(ItemField("main", "A", 8), 2); }, kMcsCheckOffsetAlign},
      {"block longer than its items", [] { Add32(McsAddress(0), 4); }, kMcsCheckBlockLength},
      {"data behind a gap",
       [] {
         for (const char* item : {"A", "MAT_A", "Z"}) Add32(ItemField("main", item, 8), 4);
       },
       kMcsCheckBlockEnd},
      {"handle size 0", [] { std::memset(McsAddress(65532), 0, 4); }, kMcsCheckHandleZero},
      {"handle size unaligned", [] { Add32(McsAddress(65532), 2); }, kMcsCheckHandleAlign},
      {"heap bottom moved", [] { Add32(McsAddress(8), -4); }, kMcsCheckHeapSum},
      {"handle bottom unaligned", [] { Add32(McsAddress(12), 4); }, kMcsCheckHeapSum},
      {"heap blocks apart", [] { Add32(McsAddress(65528), -4); }, kMcsCheckHeapChain},
      {"every block and the data top 4 late", [] { MoveFolderArea(false); }, kMcsCheckDataTop},
      {"a consistent folder area 4 late", [] { MoveFolderArea(true); }, kMcsCheckTotal},
      {"data top above the heap bottom",
       [] {
         FreshMemory();
         McsCreateItem("@APLWORK", "W", 1, 64, nullptr);
         const uint32_t bottom = (McsReadHeader().dataTop - 8) & ~7u;
         std::memcpy(McsAddress(8), &bottom, 4);
         std::memcpy(McsAddress(12), &bottom, 4);
       },
       kMcsCheckTotal},
  };
  for (const Row& row : rows) {
    BusyArena();
    row.damage();
    GuardPoison poison;
    EXPECT_EQ(McsCheck(), row.code) << row.what;
  }
}

TEST(McsCheck, AnArenaOfGuardBytesIsReported) {
  // What the boot finds before the first initialisation.
  McsAllocateArena();
  GuardPoison poison;
  const uint32_t code = McsCheck();
  EXPECT_TRUE(CheckCode(code) && code != kMcsOk) << code;
}

}  // namespace
