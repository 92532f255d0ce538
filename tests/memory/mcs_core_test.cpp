#include "memory/mcs_core.h"

#include <gtest/gtest.h>

#include <cstdio>
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

TEST_F(McsCore, FreshArenaLayout) {
  const McsHeader header = McsReadHeader();
  EXPECT_EQ(header.dataTop, 2608u);
  EXPECT_EQ(header.heapBottom, 65536u);
  EXPECT_EQ(header.handleBottom, 65536u);
  EXPECT_EQ(header.currentFolder, 145u);
  EXPECT_EQ(header.trackedAddress, 0u);
  for (uint8_t b : header.changeMarker) EXPECT_EQ(b, 0);
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
  EXPECT_TRUE(McsGuardsIntact());
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
  const Row rows[] = {
      {147, "system", 0x8100},   {146, "library", 0x8200}, {145, "@REV3", 0x8400},
      {144, "@REV2", 0x8400},    {143, "@REV1", 0x8400},   {142, "@LOCAL40", 0x8800},
      {133, "@LOCAL31", 0x8800}, {104, "@LOCAL2", 0x8800}, {103, "@LOCAL1", 0x8800},
      {102, "@NOTE", 129},       {3, "@RUNMAT", 1},        {4, "@STAT", 1},
      {10, "@PROG", 1},          {11, "@FINANCE", 1},      {16, "@MEMORY", 1},
      {2, "main", 0x9000},       {1, "@APLWORK", 0xA000},
  };
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
  EXPECT_EQ(McsFolderClassOf(17), 2u);
  EXPECT_EQ(McsFolderClassOf(101), 2u);
  EXPECT_EQ(McsFolderClassOf(0), 0u);
  EXPECT_EQ(McsFolderClassOf(148), 0u);
}

TEST_F(McsCore, FolderOperationCodes) {
  uint32_t index = 0;
  // A 16th folder after the set-up takes index 17 and is of class 2.
  EXPECT_EQ(McsCreateFolder("USER", &index), kMcsOk);
  EXPECT_EQ(index, 17u);
  EXPECT_EQ(McsFolderClass("USER"), 2u);
  EXPECT_EQ(McsCreateFolder("USER", &index), kMcsFolderExists);
  EXPECT_EQ(McsCreateFolder("", &index), kMcsEmptyName);

  ASSERT_EQ(CreatePatterned("@STAT", "X", 8, 1), kMcsOk);
  struct Row {
    const char* name;
    uint32_t code;
  };
  const Row deletes[] = {
      {"main", kMcsNotUserFolder},
      {"system", kMcsNotUserFolder},
      {"@APLWORK", kMcsNotUserFolder},
      {"@LOCAL1", kMcsNotUserFolder},
      {"NOSUCH", kMcsNoFolder},
      {"@STAT", kMcsFolderNotEmpty},
      {"", kMcsEmptyName},
  };
  for (const Row& row : deletes) EXPECT_EQ(McsDeleteFolder(row.name), row.code) << row.name;

  EXPECT_EQ(McsSelectFolder("USER"), kMcsOk);
  EXPECT_EQ(McsDeleteFolder("USER"), kMcsFolderCurrent);
  EXPECT_EQ(McsSelectFolder("@APLWORK"), kMcsNotUserFolder);
  EXPECT_EQ(McsSelectFolder("@LOCAL1"), kMcsNotUserFolder);
  EXPECT_EQ(McsSelectFolder("@NOTE"), kMcsOk);
  EXPECT_EQ(McsSelectFolder("NOSUCH"), kMcsNoFolder);
  EXPECT_EQ(McsDeleteFolder("USER"), kMcsOk);
  EXPECT_EQ(McsFindFolder("USER", nullptr, nullptr), kMcsNoFolder);
  // A flagged folder may not be deleted.
  McsAddress(kMcsFolderTable + McsEntryOfIndex(4) * kMcsFolderEntrySize)[14] = kMcsFolderKeep;
  EXPECT_EQ(McsDeleteItem("@STAT", "X"), kMcsOk);
  EXPECT_EQ(McsDeleteFolder("@STAT"), kMcsFolderProtected);

  FolderEntry entry;
  EXPECT_EQ(McsFolderEntry(0, &entry), kMcsBadFolderIndex);
  EXPECT_EQ(McsFolderEntry(148, &entry), kMcsBadFolderIndex);
  EXPECT_EQ(McsCheck(), kMcsOk);
}

TEST_F(McsCore, FolderTableFull) {
  // Indexes 17 - 101 are free after the set-up; index 102 holds "@NOTE".
  for (int i = 17; i <= 101; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "F%d", i);
    ASSERT_EQ(McsCreateFolder(name, nullptr), kMcsOk);
  }
  // Index 146 and up are system folders: nothing is free below index 147.
  EXPECT_EQ(McsCreateFolder("ONEMORE", nullptr), kMcsFolderTableFull);
  EXPECT_EQ(McsDeleteFolder("F50"), kMcsOk);
  uint32_t index = 0;
  EXPECT_EQ(McsCreateFolder("ONEMORE", &index), kMcsOk);
  EXPECT_EQ(index, 50u);
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
  for (const Row& row : rows) {
    uint8_t out[8];
    ASSERT_TRUE(McsNormaliseName(row.raw, out)) << row.raw;
    EXPECT_EQ(std::memcmp(out, row.normalised, 8), 0) << row.raw;
  }
  uint8_t out[8];
  EXPECT_FALSE(McsNormaliseName("", out));
  EXPECT_FALSE(McsNormaliseName(nullptr, out));
}

TEST_F(McsCore, LongNamesShareTheirFirstEightBytes) {
  ASSERT_EQ(CreatePatterned("main", "ABCDEFGHX", 8, 1), kMcsOk);
  EXPECT_EQ(ItemBytes("main", "ABCDEFGHY"), Pattern(8, 1));
  ASSERT_EQ(CreatePatterned("main", "ABCDEFG\xE5\x41", 12, 2), kMcsOk);
  EXPECT_EQ(ItemBytes("main", "ABCDEFG"), Pattern(12, 2));
  EXPECT_EQ(McsCreateItem("main", "", 1, 4, nullptr), kMcsEmptyName);
  EXPECT_EQ(McsCreateItem("", "A", 1, 4, nullptr), kMcsEmptyName);
}

TEST_F(McsCore, DirectoryIsSortedAndDataBackToBack) {
  const char* names[] = {"M", "B", "\xC0", "Z", "A", "MA"};
  for (uint8_t i = 0; i < 6; ++i)
    ASSERT_EQ(CreatePatterned("main", names[i], 4 * (i + 1), i), kMcsOk);
  const char* sorted[] = {"A", "B", "M", "MA", "Z", "\xC0"};  // unsigned byte order
  uint32_t expectedOffset = 6 * kMcsItemEntrySize;
  for (uint32_t pos = 0; pos < 6; ++pos) {
    McsItemInfo info;
    ASSERT_EQ(McsItemAt(2, pos, &info), kMcsOk);
    EXPECT_STREQ(std::string(reinterpret_cast<char*>(info.entry.name), 8).c_str(), sorted[pos]);
    EXPECT_EQ(info.entry.dataOffset, expectedOffset);
    EXPECT_EQ(info.entry.folderIndex, 2);
    expectedOffset += info.size;
  }
  for (uint8_t i = 0; i < 6; ++i) EXPECT_EQ(ItemBytes("main", names[i]), Pattern(4 * (i + 1), i));
  EXPECT_EQ(McsCheck(), kMcsOk);
}

TEST_F(McsCore, CreateNeedsSizePlusTwentyFree) {
  ASSERT_EQ(CreatePatterned("system", "P", 40, 3), kMcsOk);
  LeaveFree(100);
  EXPECT_EQ(McsCreateItem("main", "X", 1, 84, nullptr), kMcsNoRoom);
  // Even where the name or folder is wrong, room is checked first.
  EXPECT_EQ(McsCreateItem("NOSUCH", "X", 1, 84, nullptr), kMcsNoRoom);
  EXPECT_EQ(McsCreateItem("NOSUCH", "X", 1, 80, nullptr), kMcsNoFolder);
  const std::vector<uint8_t> before = ArenaBytes();
  EXPECT_EQ(McsCreateItem("main", "X", 1, 84, nullptr), kMcsNoRoom);
  EXPECT_EQ(ArenaBytes(), before);
  EXPECT_EQ(CreatePatterned("main", "X", 80, 4), kMcsOk);
  EXPECT_EQ(McsFreeSpace(), 0u);
  EXPECT_EQ(ItemBytes("system", "P"), Pattern(40, 3));
  EXPECT_EQ(McsCheck(), kMcsOk);
}

TEST_F(McsCore, CreateRefusesBadSizes) {
  for (uint32_t size : {0u, 1u, 6u, 10u, 4095u}) {
    EXPECT_EQ(McsCreateItem("main", "X", 1, size, nullptr), kMcsBadSize) << size;
  }
}

TEST_F(McsCore, CreateReplacesAnExistingItemInPlace) {
  ASSERT_EQ(CreatePatterned("main", "A", 8, 1), kMcsOk);
  ASSERT_EQ(CreatePatterned("main", "B", 16, 2), kMcsOk);
  ASSERT_EQ(CreatePatterned("main", "C", 8, 3), kMcsOk);
  for (uint32_t size : {24u, 4u, 16u}) {
    const std::vector<uint8_t> data = Pattern(size, 9);
    ASSERT_EQ(McsCreateItem("main", "B", 0x33, size, data.data()), kMcsOk);
    McsItemInfo info;
    ASSERT_EQ(McsFindItem("main", "B", &info), kMcsOk);
    EXPECT_EQ(info.position, 1u);
    EXPECT_EQ(info.type, 0x33);
    EXPECT_EQ(ItemBytes("main", "B"), data);
    EXPECT_EQ(ItemBytes("main", "A"), Pattern(8, 1));
    EXPECT_EQ(ItemBytes("main", "C"), Pattern(8, 3));
    EXPECT_EQ(McsCheck(), kMcsOk);
  }
  // Without data the replaced contents are cleared.
  ASSERT_EQ(McsCreateItem("main", "B", 1, 8, nullptr), kMcsOk);
  EXPECT_EQ(ItemBytes("main", "B"), std::vector<uint8_t>(8, 0));
}

TEST_F(McsCore, ReplaceRefusals) {
  struct Row {
    uint8_t type;
    uint8_t attr;
    uint32_t code;
  };
  const Row rows[] = {
      {0x40, 0, kMcsNoOverwrite}, {0xC7, 0, kMcsNoOverwrite}, {1, 1, kMcsWriteProtected},
      {1, 2, kMcsLocked},         {1, 4, kMcsLocked},         {0x40, 1, kMcsWriteProtected},
  };
  for (const Row& row : rows) {
    FreshMemory();
    ASSERT_EQ(McsCreateItem("main", "A", row.type, 8, nullptr), kMcsOk);
    McsItemInfo info;
    McsFindItem("main", "A", &info);
    McsAddress(info.entryAddress)[offsetof(ItemEntry, attributes)] = row.attr;
    const std::vector<uint8_t> before = ArenaBytes();
    EXPECT_EQ(McsCreateItem("main", "A", 1, 12, nullptr), row.code);
    EXPECT_EQ(ArenaBytes(), before);
  }
  // Growing a replaced item needs the growth in free space.
  FreshMemory();
  ASSERT_EQ(McsCreateItem("main", "A", 1, 8, nullptr), kMcsOk);
  LeaveFree(16);
  EXPECT_EQ(McsCreateItem("main", "A", 1, 28, nullptr), kMcsInsertNoRoom);
  EXPECT_EQ(McsCreateItem("main", "A", 1, 24, nullptr), kMcsOk);
}

TEST_F(McsCore, DeletingTheOnlyItemShiftsTheFollowingFolders) {
  ASSERT_EQ(CreatePatterned("system", "P", 8, 1), kMcsOk);
  ASSERT_EQ(CreatePatterned("@RUNMAT", "R", 12, 2), kMcsOk);
  ASSERT_EQ(CreatePatterned("main", "M", 16, 3), kMcsOk);
  FolderEntry runmat;
  McsFindFolder("@RUNMAT", &runmat, nullptr);
  const uint32_t mainBefore = McsReadHeader().dataTop - 36;
  ASSERT_EQ(McsDeleteItem("@RUNMAT", "R"), kMcsOk);
  uint32_t count, length;
  McsFolderUsage("@RUNMAT", &count, &length);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(length, 0u);
  FolderEntry main;
  McsFindFolder("main", &main, nullptr);
  EXPECT_EQ(main.blockAddress, mainBefore - 32);
  EXPECT_EQ(ItemBytes("main", "M"), Pattern(16, 3));
  EXPECT_EQ(ItemBytes("system", "P"), Pattern(8, 1));
  EXPECT_EQ(McsReadHeader().dataTop, 2608u + 28 + 36);
  EXPECT_EQ(McsCheck(), kMcsOk);
  EXPECT_EQ(McsDeleteItem("@RUNMAT", "R"), kMcsNoItem);
  EXPECT_EQ(McsDeleteItem("NOSUCH", "R"), kMcsNoFolder);
}

TEST_F(McsCore, InsertAndRemoveCodes) {
  ASSERT_EQ(CreatePatterned("main", "A", 12, 1), kMcsOk);
  struct Row {
    bool insert;
    const char* item;
    uint32_t offset;
    uint32_t count;
    uint32_t code;
  };
  const Row rows[] = {
      {true, "A", 0, 6, kMcsBadSize},          {true, "NONE", 0, 0, kMcsOk},
      {true, "NONE", 0, 4, kMcsNoItem},        {true, "A", 13, 4, kMcsInsertOffset},
      {true, "A", 0, 62928, kMcsInsertNoRoom}, {false, "A", 0, 6, kMcsRemoveCount},
      {false, "NONE", 0, 0, kMcsOk},           {false, "NONE", 0, 4, kMcsNoItem},
      {false, "A", 16, 4, kMcsRemoveOffset},   {false, "A", 12, 4, kMcsRemovePastEnd},
      {false, "A", 4, 12, kMcsRemovePastEnd},
  };
  const std::vector<uint8_t> before = ArenaBytes();
  for (const Row& row : rows) {
    const uint32_t code = row.insert ? McsInsertBytes("main", row.item, row.offset, row.count)
                                     : McsRemoveBytes("main", row.item, row.offset, row.count);
    EXPECT_EQ(code, row.code) << row.insert << ' ' << row.offset << ' ' << row.count;
    EXPECT_EQ(ArenaBytes(), before);
  }
  // Insert at the end appends; data lands where asked.
  const uint8_t data[4] = {9, 8, 7, 6};
  ASSERT_EQ(McsInsertData("main", "A", 12, 4, data), kMcsOk);
  ASSERT_EQ(McsInsertBytes("main", "A", 4, 8), kMcsOk);
  std::vector<uint8_t> expected = Pattern(12, 1);
  expected.insert(expected.begin() + 4, 8, 0);
  expected.insert(expected.end(), data, data + 4);
  EXPECT_EQ(ItemBytes("main", "A"), expected);
  ASSERT_EQ(McsRemoveBytes("main", "A", 4, 8), kMcsOk);
  expected.erase(expected.begin() + 4, expected.begin() + 12);
  EXPECT_EQ(ItemBytes("main", "A"), expected);
  // Removing every byte deletes the item.
  ASSERT_EQ(McsRemoveBytes("main", "A", 0, 16), kMcsOk);
  McsItemInfo info;
  EXPECT_EQ(McsFindItem("main", "A", &info), kMcsNoItem);
  EXPECT_EQ(McsCheck(), kMcsOk);
}

TEST_F(McsCore, WriteAndReadCodes) {
  ASSERT_EQ(CreatePatterned("main", "A", 12, 1), kMcsOk);
  struct Row {
    uint32_t offset;
    uint32_t count;
    uint32_t writeCode;
    uint32_t readCode;
  };
  const Row rows[] = {
      {0, 12, kMcsOk, kMcsOk},
      {11, 1, kMcsOk, kMcsOk},
      {0, 13, kMcsWriteCount, kMcsReadCount},
      {12, 4, kMcsWriteOffset, kMcsReadOffset},  // at offset 12 of a 12-byte item
      {12, 0, kMcsWriteOffset, kMcsReadOffset},
      {8, 8, kMcsWritePastEnd, kMcsReadPastEnd},
      {11, 2, kMcsWritePastEnd, kMcsReadPastEnd},
  };
  for (const Row& row : rows) {
    uint8_t buffer[16] = {};
    const std::vector<uint8_t> before = ArenaBytes();
    EXPECT_EQ(McsReadAt("main", "A", row.offset, row.count, buffer), row.readCode);
    const std::vector<uint8_t> data(row.count, 0xAB);
    EXPECT_EQ(McsWriteAt("main", "A", row.offset, row.count, data.data()), row.writeCode);
    if (row.writeCode != kMcsOk) {
      EXPECT_EQ(ArenaBytes(), before);
    }
  }
  // A locked item refuses reads; a write-protected one only writes.
  McsItemInfo info;
  McsFindItem("main", "A", &info);
  uint8_t* attr = McsAddress(info.entryAddress) + offsetof(ItemEntry, attributes);
  uint8_t buffer[4];
  *attr = kMcsAttrWriteProtected;
  EXPECT_EQ(McsReadAt("main", "A", 0, 4, buffer), kMcsOk);
  EXPECT_EQ(McsWriteAt("main", "A", 0, 4, buffer), kMcsWriteProtected);
  *attr = kMcsAttrNoWrite;
  EXPECT_EQ(McsReadAt("main", "A", 0, 4, buffer), kMcsOk);
  EXPECT_EQ(McsWriteAt("main", "A", 0, 4, buffer), kMcsLocked);
  *attr = kMcsAttrLocked;
  EXPECT_EQ(McsReadAt("main", "A", 0, 4, buffer), kMcsLocked);
}

TEST_F(McsCore, CopyMoveAndRename) {
  ASSERT_EQ(McsCreateItem("main", "A", 0x21, 8, Pattern(8, 1).data()), kMcsOk);
  ASSERT_EQ(CreatePatterned("main", "B", 12, 2), kMcsOk);
  // Copy into a folder below keeps the type and moves the source with it.
  ASSERT_EQ(McsCopyItem("main", "A", "system", "A2"), kMcsOk);
  McsItemInfo info;
  ASSERT_EQ(McsFindItem("system", "A2", &info), kMcsOk);
  EXPECT_EQ(info.type, 0x21);
  EXPECT_EQ(info.entry.folderIndex, 147);
  EXPECT_EQ(ItemBytes("system", "A2"), Pattern(8, 1));
  EXPECT_EQ(ItemBytes("main", "A"), Pattern(8, 1));
  // Copy onto an existing item replaces it.
  ASSERT_EQ(McsCopyItem("main", "B", "system", "A2"), kMcsOk);
  EXPECT_EQ(ItemBytes("system", "A2"), Pattern(12, 2));

  ASSERT_EQ(McsMoveItem("main", "B", "@STAT", "B"), kMcsOk);
  EXPECT_EQ(McsFindItem("main", "B", &info), kMcsNoItem);
  EXPECT_EQ(ItemBytes("@STAT", "B"), Pattern(12, 2));
  // Moving onto itself keeps the item.
  ASSERT_EQ(McsMoveItem("@STAT", "B", "@STAT", "B"), kMcsOk);
  EXPECT_EQ(ItemBytes("@STAT", "B"), Pattern(12, 2));

  // Rename: the item keeps bytes and type and sorts under its new name.
  ASSERT_EQ(CreatePatterned("main", "M", 4, 3), kMcsOk);
  ASSERT_EQ(McsRenameItem("main", "A", "Z"), kMcsOk);
  ASSERT_EQ(McsFindItem("main", "Z", &info), kMcsOk);
  EXPECT_EQ(info.position, 1u);
  EXPECT_EQ(info.type, 0x21);
  EXPECT_EQ(ItemBytes("main", "Z"), Pattern(8, 1));
  EXPECT_EQ(McsFindItem("@APLWORK", "val_ren", &info), kMcsNoItem);

  // Renaming onto an existing name leaves both.
  const std::vector<uint8_t> before = ArenaBytes();
  EXPECT_EQ(McsRenameItem("main", "Z", "M"), kMcsNameExists);
  EXPECT_EQ(ArenaBytes(), before);
  EXPECT_EQ(McsRenameItem("main", "NONE", "Q"), kMcsNoItem);
  EXPECT_EQ(McsRenameItem("NOSUCH", "Z", "Q"), kMcsNoFolder);
  EXPECT_EQ(McsRenameItem("main", "Z", ""), kMcsEmptyName);
  // The work item itself can be renamed.
  ASSERT_EQ(CreatePatterned("@APLWORK", "val_ren", 4, 5), kMcsOk);
  ASSERT_EQ(McsRenameItem("@APLWORK", "val_ren", "KEEP"), kMcsOk);
  EXPECT_EQ(ItemBytes("@APLWORK", "KEEP"), Pattern(4, 5));
  EXPECT_EQ(McsCheck(), kMcsOk);
}

TEST_F(McsCore, MoveRefusals) {
  ASSERT_EQ(CreatePatterned("main", "A", 40, 1), kMcsOk);
  ASSERT_EQ(McsCreateItem("main", "K", 0x40, 8, nullptr), kMcsOk);
  EXPECT_EQ(McsMoveItem("main", "A", "main", "K"), kMcsNoOverwrite);
  EXPECT_EQ(McsCopyItem("main", "A", "NOSUCH", "A"), kMcsNoFolder);
  EXPECT_EQ(McsCopyItem("main", "A", "main", ""), kMcsEmptyName);
  LeaveFree(56);
  const std::vector<uint8_t> before = ArenaBytes();
  EXPECT_EQ(McsMoveItem("main", "A", "system", "A"), kMcsMoveNoRoom);
  EXPECT_EQ(McsCopyItem("main", "A", "system", "A"), kMcsNoRoom);
  EXPECT_EQ(McsRenameItem("main", "A", "B"), kMcsMoveNoRoom);
  EXPECT_EQ(ArenaBytes(), before);
}

TEST_F(McsCore, HeapAllocationCases) {
  const uint32_t free0 = McsFreeSpace();
  EXPECT_EQ(McsHeapAlloc(0), 0u);
  EXPECT_EQ(McsHeapAlloc(6), 0u);
  EXPECT_EQ(McsHeapAlloc(free0 - 4), 0u);  // n + 8 above free space

  // Case 1: the first block lies directly below its entry.
  const uint32_t h1 = McsHeapAlloc(32);
  ASSERT_EQ(h1, 65528u);
  uint32_t size;
  EXPECT_EQ(McsHeapBlock(h1, &size), 65528u - 32);
  std::memset(McsAddress(65528 - 32), 0x11, 32);
  // Case 3: a new entry; the older blocks move down by 8.
  const uint32_t h2 = McsHeapAlloc(16);
  ASSERT_EQ(h2, 65520u);
  EXPECT_EQ(McsHeapBlock(h1, &size), 65520u - 32);
  EXPECT_EQ(McsHeapBlock(h2, &size), 65520u - 48);
  EXPECT_EQ(*McsAddress(65520 - 32), 0x11);
  const uint32_t h3 = McsHeapAlloc(8);
  std::memset(McsAddress(McsHeapBlock(h3, &size)), 0x33, 8);
  EXPECT_EQ(McsFreeSpace(), free0 - 24 - 56);
  EXPECT_EQ(McsCheck(), kMcsOk);

  // Case 5: a free entry in the middle takes a block below its upper neighbour's.
  ASSERT_EQ(McsHeapFree(h2), kMcsOk);
  EXPECT_EQ(McsCheck(), kMcsOk);
  EXPECT_EQ(McsHeapAlloc(12), h2);
  EXPECT_EQ(McsHeapBlock(h2, &size), McsHeapBlock(h1, &size) - 12);
  EXPECT_EQ(*McsAddress(McsHeapBlock(h2, &size)), 0);
  EXPECT_EQ(*McsAddress(McsHeapBlock(h3, &size)), 0x33);
  EXPECT_EQ(McsCheck(), kMcsOk);
  // Case 4: the topmost entry is free; its block goes below the handle table.
  ASSERT_EQ(McsHeapFree(h1), kMcsOk);
  EXPECT_EQ(McsHeapAlloc(20), h1);
  EXPECT_EQ(McsHeapBlock(h1, &size), McsReadHeader().handleBottom - 20);
  EXPECT_EQ(*McsAddress(McsHeapBlock(h3, &size)), 0x33);
  EXPECT_EQ(McsCheck(), kMcsOk);

  McsHeapReset();
  EXPECT_EQ(McsFreeSpace(), free0);
  EXPECT_EQ(McsHeapBlock(h1, &size), 0u);
  EXPECT_EQ(McsCheck(), kMcsOk);
}

TEST_F(McsCore, BlockMoveShiftsTheTrackedAddress) {
  struct Row {
    uint32_t destination;
    uint32_t source;
    uint32_t n;
    uint32_t tracked;
    uint32_t after;
  };
  const Row rows[] = {
      {3100, 3000, 40, 3000, 3100}, {3100, 3000, 40, 3039, 3139},
      {3100, 3000, 40, 2999, 3099},  // upward: one byte below the source counts
      {3100, 3000, 40, 2998, 2998}, {3100, 3000, 40, 3040, 3040},
      {2900, 3000, 40, 3000, 2900}, {2900, 3000, 40, 3040, 2940},  // downward: one byte above
      {2900, 3000, 40, 3041, 3041}, {2900, 3000, 40, 2999, 2999},
  };
  for (const Row& row : rows) {
    McsSetTrackedAddress(row.tracked);
    McsBlockMove(row.destination, row.source, row.n);
    EXPECT_EQ(McsTrackedAddress(), row.after) << row.destination << ' ' << row.tracked;
  }
}

TEST_F(McsCore, ChangeMarkerIsSetByMovingOperationsOnly) {
  auto marker = [] {
    const McsHeader header = McsReadHeader();
    return std::vector<uint8_t>(header.changeMarker, header.changeMarker + 16);
  };
  const std::vector<uint8_t> clear(16, 0), set(16, 0xFF);
  ASSERT_EQ(McsCreateFolder("USER", nullptr), kMcsOk);
  EXPECT_EQ(marker(), clear);
  EXPECT_EQ(McsCreateItem("main", "A", 1, 6, nullptr), kMcsBadSize);
  EXPECT_EQ(marker(), clear);
  ASSERT_EQ(McsCreateItem("main", "A", 1, 8, nullptr), kMcsOk);
  EXPECT_EQ(marker(), set);
  McsInit();
  EXPECT_EQ(marker(), clear);
  ASSERT_EQ(McsCreateItem("main", "A", 1, 8, nullptr), kMcsOk);
  McsInit();
  EXPECT_EQ(McsHeapAlloc(8), 65528u);
  EXPECT_EQ(marker(), set);
}

}  // namespace
