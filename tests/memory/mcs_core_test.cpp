// The arena's fixed layout, its folder table and the rules the random model
// run (mcs_model_test.cpp) does not reach: full tables, flagged folders, the
// tracked address at block edges and the change marker.
#include "memory/mcs_core.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "mcs_test_support.h"

namespace {

class McsCore : public ::testing::Test {
 protected:
  void SetUp() override { FreshMemory(); }
};

std::string FolderName(uint32_t index) {
  FolderEntry entry;
  EXPECT_EQ(McsFolderEntry(index, &entry), kMcsOk);
  return std::string(reinterpret_cast<const char*>(entry.name),
                     strnlen(reinterpret_cast<const char*>(entry.name), 8));
}

std::vector<uint8_t> ChangeMarker() {
  const McsHeader header = McsReadHeader();
  return std::vector<uint8_t>(header.changeMarker, header.changeMarker + 16);
}

TEST_F(McsCore, FreshArenaLayout) {
  const McsHeader header = McsReadHeader();
  EXPECT_EQ(header.dataTop, 2608u);
  EXPECT_EQ(header.heapBottom, 65536u);
  EXPECT_EQ(header.handleBottom, 65536u);
  EXPECT_EQ(header.currentFolder, 145u);
  EXPECT_EQ(header.trackedAddress, 0u);
  EXPECT_EQ(ChangeMarker(), std::vector<uint8_t>(16, 0));
  for (uint32_t index = 1; index <= kMcsFolderCount; ++index) {
    FolderEntry entry;
    ASSERT_EQ(McsFolderEntry(index, &entry), kMcsOk);
    EXPECT_EQ(entry.blockAddress, 2608u) << index;
    EXPECT_EQ(entry.itemCount, 0u);
  }
  uint32_t total, used, free;
  McsUsage(&total, &used, &free);
  EXPECT_EQ(total, 65536u);
  EXPECT_EQ(free, 62928u);
  EXPECT_EQ(used, 65536u - 62928u);
  EXPECT_EQ(McsCheck(), kMcsOk);
}

TEST(McsPlacement, GuardBytesShowStrayWrites) {
  std::vector<uint8_t> block(kMcsBlockSize);
  McsPlaceArena(block.data());
  EXPECT_EQ(McsArenaBase(), block.data() + kMcsGuardSize);
  McsInit();
  EXPECT_TRUE(McsGuardsIntact());
  EXPECT_EQ(block[kMcsGuardSize - 1], kMcsGuardByte);
  block[kMcsGuardSize + kMcsArenaSize] = 0;  // one byte past the arena
  EXPECT_FALSE(McsGuardsIntact());
  McsFreeArena();  // forgets the caller's block without freeing it
  EXPECT_EQ(McsArenaBase(), nullptr);
}

TEST_F(McsCore, InitialFolderTableAndClasses) {
  struct Row {
    uint32_t index;
    const char* name;
    uint32_t folderClass;
  };
  const Row rows[] = {{147, "system", 0x8100},  {146, "library", 0x8200},  {145, "@REV3", 0x8400},
                      {143, "@REV1", 0x8400},   {142, "@LOCAL40", 0x8800}, {104, "@LOCAL2", 0x8800},
                      {103, "@LOCAL1", 0x8800}, {102, "@NOTE", 129},       {3, "@RUNMAT", 1},
                      {16, "@MEMORY", 1},       {2, "main", 0x9000},       {1, "@APLWORK", 0xA000}};
  for (const Row& row : rows) {
    EXPECT_EQ(FolderName(row.index), row.name) << row.index;
    EXPECT_EQ(McsFolderClass(row.name), row.folderClass) << row.name;
    uint32_t index = 0;
    EXPECT_EQ(McsFindFolder(row.name, nullptr, &index), kMcsOk);
    EXPECT_EQ(index, row.index);
  }
  EXPECT_EQ(FolderName(17), "");
  EXPECT_EQ(FolderName(101), "");
  EXPECT_EQ(McsFolderClass("NOSUCH"), 0u);
  for (uint32_t index : {17u, 101u}) EXPECT_EQ(McsFolderClassOf(index), 2u) << index;
  for (uint32_t index : {0u, 148u}) EXPECT_EQ(McsFolderClassOf(index), 0u) << index;
  FolderEntry entry;
  EXPECT_EQ(McsFolderEntry(0, &entry), kMcsBadFolderIndex);
  EXPECT_EQ(McsFolderEntry(148, &entry), kMcsBadFolderIndex);
}

// Indexes 17 - 101 are free after the set-up; 102 holds "@NOTE" and the
// system folders start at 103.
TEST_F(McsCore, FolderTableFillsUpAndFlaggedFoldersStay) {
  uint32_t index = 0;
  ASSERT_EQ(McsCreateFolder("F17", &index), kMcsOk);
  EXPECT_EQ(index, 17u);
  EXPECT_EQ(McsFolderClass("F17"), 2u);
  for (int i = 18; i <= 101; ++i)
    ASSERT_EQ(McsCreateFolder(("F" + std::to_string(i)).c_str(), nullptr), kMcsOk);
  EXPECT_EQ(McsCreateFolder("ONEMORE", nullptr), kMcsFolderTableFull);
  EXPECT_EQ(McsDeleteFolder("F50"), kMcsOk);
  EXPECT_EQ(McsCreateFolder("ONEMORE", &index), kMcsOk);
  EXPECT_EQ(index, 50u);
  McsAddress(kMcsFolderTable + McsEntryOfIndex(4) * kMcsFolderEntrySize)[14] = kMcsFolderKeep;
  EXPECT_EQ(McsDeleteFolder("@STAT"), kMcsFolderProtected);
  EXPECT_EQ(McsCheck(), kMcsOk);
}

TEST_F(McsCore, NameNormalisation) {
  struct Row {
    const char* raw;
    const char* normalised;  // 8 bytes, zero padded
  };
  const Row rows[] = {
      {"A", "A\0\0\0\0\0\0\0"},
      {"ABCDEFGH", "ABCDEFGH"},
      {"ABCDEFGHI", "ABCDEFGH"},
      {"ABCDEFG\xE5\x41", "ABCDEFG\0"},       // lead byte at the 8th byte: dropped whole
      {"ABCDEF\xE5\x41X", "ABCDEF\xE5\x41"},  // fits exactly
      {"\x7F\x50\xF7\x01\xF9\x02\xE6\x03\xE7", "\x7F\x50\xF7\x01\xF9\x02\xE6\x03"},
      {"ABCDEFG\x7F\x50", "ABCDEFG\0"},
  };
  uint8_t out[8];
  for (const Row& row : rows) {
    ASSERT_TRUE(McsNormaliseName(row.raw, out)) << row.raw;
    EXPECT_EQ(std::memcmp(out, row.normalised, 8), 0) << row.raw;
  }
  EXPECT_FALSE(McsNormaliseName("", out));
  EXPECT_FALSE(McsNormaliseName(nullptr, out));
}

TEST_F(McsCore, CreateChecksRoomBeforeNames) {
  ASSERT_EQ(CreatePatterned("@RUNMAT", "R", 12, 2), kMcsOk);
  LeaveFree(100);
  EXPECT_EQ(McsCreateItem("NOSUCH", "X", 1, 84, nullptr), kMcsNoRoom);
  EXPECT_EQ(McsCreateItem("main", "", 1, 84, nullptr), kMcsNoRoom);
  EXPECT_EQ(McsCreateItem("NOSUCH", "X", 1, 80, nullptr), kMcsNoFolder);
  uint32_t count, length;
  ASSERT_EQ(McsFolderUsage("@RUNMAT", &count, &length), kMcsOk);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(length, 32u);
}

TEST_F(McsCore, BlockMoveShiftsTheTrackedAddress) {
  struct Row {
    uint32_t destination, tracked, after;
  };
  // 40 bytes from 3000; moving up, the byte just below the source counts,
  // moving down the byte just above it.
  const Row rows[] = {{3100, 3000, 3100}, {3100, 3039, 3139}, {3100, 2999, 3099},
                      {3100, 2998, 2998}, {3100, 3040, 3040}, {2900, 3000, 2900},
                      {2900, 3040, 2940}, {2900, 3041, 3041}, {2900, 2999, 2999}};
  for (const Row& row : rows) {
    McsSetTrackedAddress(row.tracked);
    McsBlockMove(row.destination, 3000, 40);
    EXPECT_EQ(McsTrackedAddress(), row.after) << row.destination << ' ' << row.tracked;
  }
}

TEST_F(McsCore, ChangeMarkerIsSetByMovingOperationsOnly) {
  const std::vector<uint8_t> clear(16, 0), set(16, 0xFF);
  ASSERT_EQ(McsCreateFolder("USER", nullptr), kMcsOk);
  EXPECT_EQ(ChangeMarker(), clear);
  EXPECT_EQ(McsCreateItem("main", "A", 1, 6, nullptr), kMcsBadSize);
  EXPECT_EQ(ChangeMarker(), clear);
  ASSERT_EQ(McsCreateItem("main", "A", 1, 8, nullptr), kMcsOk);
  EXPECT_EQ(ChangeMarker(), set);
  McsInit();
  EXPECT_EQ(ChangeMarker(), clear);
  EXPECT_EQ(McsHeapAlloc(8), 65528u);
  EXPECT_EQ(ChangeMarker(), set);
}

}  // namespace
