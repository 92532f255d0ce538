// The application layer over the arena: items by kind, the current item,
// alpha variables, handles, number arrays and the data-group tables.
#include "memory/mem_app.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "mcs_test_support.h"
#include "memory/mcs_core.h"
#include "memory/mem_handles.h"
#include "memory/mem_numarray.h"
#include "memory/mem_tables.h"

namespace {

class MemApp : public ::testing::Test {
 protected:
  void SetUp() override { FreshMemory(); }
};

std::vector<uint8_t> Bytes(const char* text) {
  return {text, text + std::strlen(text)};
}

TEST_F(MemApp, CreateByKindChoosesFolderAndType) {
  struct Row {
    uint8_t kind;
    const char* folder;
    uint8_t type;
  };
  const Row rows[] = {{1, "system", 199}, {2, "main", 200},   {3, "main", 213},
                      {4, "main", 133},   {5, "main", 138},   {6, "main", 140},
                      {7, "main", 206},   {10, "@REV2", 205}, {255, "@APLWORK", 211},
                      {8, "main", 0},     {11, "main", 0},    {253, "main", 0}};
  for (const Row& row : rows) {
    char name[16];
    std::snprintf(name, sizeof name, "K%d", row.kind);
    ASSERT_EQ(MemCreate(row.kind, name, 4, nullptr), kMemOk) << int{row.kind};
    McsItemInfo info;
    ASSERT_EQ(McsFindItem(row.folder, name, &info), kMcsOk) << int{row.kind};
    EXPECT_EQ(info.type, row.type);
    EXPECT_EQ(MemTypeKind(row.type), row.type == 0 ? kMemKindNone : row.kind);
  }
  EXPECT_EQ(MemCreate(0, "A", 4, nullptr), kMemErrAlphaKind);
  EXPECT_EQ(MemCreate(2, "", 4, nullptr), kMemErrNoItemName);
  EXPECT_EQ(MemCreate(2, nullptr, 4, nullptr), kMemErrNoItemName);
  EXPECT_EQ(MemCreate(2, "K2", 4, nullptr), kMemErrExistsByKind);
  EXPECT_EQ(MemCreate(2, "Z", 0, nullptr), kMemErrBadSize);
  EXPECT_EQ(MemCreate(kMemKindFolder, "Z", 4, nullptr), kMemErrNoFolderName);
  // Sizes are rounded up to whole words, the rest cleared.
  ASSERT_EQ(MemCreate(4, "S", 6, "abcdef"), kMemOk);
  EXPECT_EQ(ItemBytes("main", "S"), (std::vector<uint8_t>{'a', 'b', 'c', 'd', 'e', 'f', 0, 0}));
  EXPECT_EQ(MemTypeKind(212), kMemKindFolder);
}

TEST_F(MemApp, CreateInFolder) {
  ASSERT_EQ(MemCreateIn("@STAT", "STATap", 8, nullptr), kMemOk);
  McsItemInfo info;
  ASSERT_EQ(McsFindItem("@STAT", "STATap", &info), kMcsOk);
  EXPECT_EQ(info.type, 212);
  EXPECT_EQ(MemCurrent().kind, kMemKindFolder);
  EXPECT_EQ(MemCreateIn("@STAT", "STATap", 8, nullptr), kMemErrExistsInFolder);
  EXPECT_EQ(MemCreateIn("", "X", 8, nullptr), kMemErrNoFolderName);
  EXPECT_EQ(MemCreateIn("@STAT", "", 8, nullptr), kMemErrNoItemName);
  EXPECT_EQ(MemCreateIn("NOSUCH", "X", 8, nullptr), kMemErrNotFound);
  EXPECT_EQ(MemCurrent().lastCoreError, kMcsNoFolder);
}

TEST_F(MemApp, CurrentItem) {
  uint8_t kind;
  uint32_t size;
  char name[9];
  EXPECT_EQ(MemCurrentInfo(&kind, &size), kMemErrNoCurrent);
  EXPECT_EQ(MemCurrentName(name), kMemErrNoCurrentName);
  EXPECT_EQ(MemReadCurrent(0, 0, name), kMemErrNoCurrent);

  ASSERT_EQ(MemCreate(3, "ABCDEFGHIJ", 12, "0123456789AB"), kMemOk);
  ASSERT_EQ(MemCurrentInfo(&kind, &size), kMemOk);
  EXPECT_EQ(kind, 3);
  EXPECT_EQ(size, 12u);
  ASSERT_EQ(MemCurrentName(name), kMemOk);
  EXPECT_STREQ(name, "ABCDEFGH");

  char buffer[16] = {};
  EXPECT_EQ(MemReadCurrent(3, 4, buffer), kMemOk);  // offsets count from 1
  EXPECT_EQ(std::string(buffer, 4), "2345");
  EXPECT_EQ(MemReadCurrent(0, 0, buffer), kMemOk);  // the whole item
  EXPECT_EQ(std::string(buffer, 12), "0123456789AB");
  EXPECT_EQ(MemReadCurrent(9, 4, buffer), kMemOk);
  EXPECT_EQ(MemReadCurrent(10, 4, buffer), kMemErrReadPastEnd);

  uint32_t found;
  ASSERT_EQ(MemCreate(2, "OTHER", 4, nullptr), kMemOk);
  ASSERT_EQ(MemSearch(MemOfKind(3), "ABCDEFGHXX", &found), kMemOk);
  EXPECT_EQ(found, 12u);
  ASSERT_EQ(MemCurrentName(name), kMemOk);
  EXPECT_STREQ(name, "ABCDEFGH");
  EXPECT_EQ(MemSearch(MemOfKind(3), "NONE", &found), kMemErrNotFound);
  EXPECT_EQ(MemCurrent().lastCoreError, kMcsNoItem);
  ASSERT_EQ(MemCurrentName(name), kMemOk);  // a failed search keeps the current item
  EXPECT_STREQ(name, "ABCDEFGH");

  MemStartUp();
  EXPECT_EQ(MemCurrentInfo(&kind, &size), kMemErrNoCurrent);
  EXPECT_EQ(kind, kMemKindNone);
}

TEST_F(MemApp, WriteAtGrowsTheItem) {
  struct Row {
    uint32_t count;
    uint32_t offset;
    uint32_t result;
    uint32_t size;
  };
  const Row rows[] = {
      {4, 0, 0, 12},  {4, 8, 1, 12},  {12, 0, 1, 12}, {10, 8, 2, 20},
      {4, 12, 2, 16}, {1, 12, 2, 16}, {4, 20, 2, 24}, {0, 4, 0, 12},
  };
  const uint8_t data[12] = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB};
  for (const Row& row : rows) {
    FreshMemory();
    ASSERT_EQ(MemCreate(2, "Y", 12, Pattern(12, 1).data()), kMemOk);
    EXPECT_EQ(MemWriteAt(MemOfKind(2), "Y", row.count, data, row.offset), row.result)
        << row.count << " at " << row.offset;
    std::vector<uint8_t> expected = Pattern(12, 1);
    expected.resize(row.size, 0);
    std::copy(data, data + row.count, expected.begin() + row.offset);
    EXPECT_EQ(ItemBytes("main", "Y"), expected) << row.count << " at " << row.offset;
    EXPECT_EQ(McsCheck(), kMcsOk);
  }
  // Through the current item; a growth without room changes nothing.
  LeaveFree(4);
  const std::vector<uint8_t> before = ArenaBytes();
  EXPECT_EQ(MemWriteAt(MemCurrentTarget(), nullptr, 8, data, 24), kMemErrGrowNoRoom);
  EXPECT_EQ(ArenaBytes(), before);
  EXPECT_EQ(MemWriteAt(MemCurrentTarget(), nullptr, 4, data, 12), 2u);
  EXPECT_EQ(MemWriteAt(MemOfKind(2), "NONE", 4, data, 0), kMemErrNotFound);
}

TEST_F(MemApp, InsertKeepsExactlyCountBytes) {
  ASSERT_EQ(MemCreate(2, "Y", 12, "0123456789AB"), kMemOk);
  ASSERT_EQ(MemInsert(MemOfKind(2), "Y", 6, "abcdef", 4), kMemOk);
  std::vector<uint8_t> expected = Bytes("0123abcdef456789AB");
  expected.resize(20, 0);
  EXPECT_EQ(ItemBytes("main", "Y"), expected);
  ASSERT_EQ(MemInsert(MemCurrentTarget(), nullptr, 4, "wxyz", 0), kMemOk);
  expected.insert(expected.begin(), {'w', 'x', 'y', 'z'});
  EXPECT_EQ(ItemBytes("main", "Y"), expected);
  EXPECT_EQ(MemInsert(MemOfKind(2), "Y", 4, "oops", 25), 23u);  // offset beyond the item
  EXPECT_EQ(MemInsert(MemOfKind(0), "A", 4, "oops", 0), kMemErrAlphaKind);
  EXPECT_EQ(McsCheck(), kMcsOk);
}

// Programs and strings (kinds 1 and 4) fill their spare room before growing;
// other kinds always grow.
TEST_F(MemApp, InsertIntoAStringItemUsesItsSpareRoom) {
  // A 10-byte header, "HELLO", its terminator and 5 spare bytes.
  std::vector<uint8_t> program(20, 0);
  std::memcpy(program.data(), "hhhhhhhhhhHELLO", 15);
  for (uint8_t kind : {1, 4, 2}) {
    FreshMemory();
    ASSERT_EQ(MemCreate(kind, "P", 20, program.data()), kMemOk);
    const char* folder = kind == 1 ? "system" : "main";
    ASSERT_EQ(MemInsert(MemCurrentTarget(), nullptr, 3, "xyz", 12), kMemOk);
    if (kind == 2) {
      EXPECT_EQ(ItemBytes(folder, "P").size(), 24u);
      continue;
    }
    std::vector<uint8_t> expected(20, 0);
    std::memcpy(expected.data(), "hhhhhhhhhhHExyzLLO", 18);
    EXPECT_EQ(ItemBytes(folder, "P"), expected) << int{kind};
    EXPECT_EQ(McsFreeSpace(), 62928u - 40);
    // Room for 1 more byte only: the item grows instead.
    ASSERT_EQ(MemInsert(MemOfKind(kind), "P", 2, "!?", 10), kMemOk);
    expected.insert(expected.begin() + 10, {'!', '?'});
    expected.resize(24, 0);
    EXPECT_EQ(ItemBytes(folder, "P"), expected) << int{kind};
  }
}

TEST_F(MemApp, DeleteAndDeleteOfKind) {
  ASSERT_EQ(MemCreate(2, "A", 4, nullptr), kMemOk);
  ASSERT_EQ(MemCreate(3, "B", 4, nullptr), kMemOk);
  ASSERT_EQ(MemCreate(3, "ABCDEFGH", 4, nullptr), kMemOk);
  EXPECT_EQ(MemDeleteOfKind(3, "A"), kMemErrNotFound);  // "A" is of kind 2
  EXPECT_EQ(MemDeleteOfKind(3, "ABCDEFGHIJ"), kMemOk);  // compares 8 bytes
  EXPECT_EQ(MemDeleteOfKind(2, "A"), kMemOk);
  EXPECT_EQ(MemDeleteOfKind(1, "P"), kMemErrNotFound);  // "system" is empty
  EXPECT_EQ(MemDelete(MemOfKind(3), "B"), kMemOk);
  EXPECT_EQ(MemDelete(MemOfKind(3), "B"), kMemErrNotFound);
  EXPECT_EQ(MemDelete(MemInFolder("NOSUCH"), "B"), kMemErrNotFound);
  ASSERT_EQ(MemCreateIn("@TABLE", "RANGE", 4, nullptr), kMemOk);
  EXPECT_EQ(MemDelete(MemInFolder("@TABLE"), "RANGE"), kMemOk);
  EXPECT_EQ(McsFreeSpace(), 62928u);
}

TEST_F(MemApp, AlphaVariables) {
  struct Row {
    uint8_t letter;
    uint32_t slot;
  };
  const Row rows[] = {{'A', 0},   {'Z', 25}, {0xCE, 26}, {0xCD, 27},
                      {0xC0, 28}, {'a', 29}, {'@', 29},  {0, 29}};
  for (const Row& row : rows) EXPECT_EQ(MemVariableSlot(row.letter), row.slot) << int{row.letter};

  uint8_t value[24];
  for (int i = 0; i < 24; ++i) value[i] = static_cast<uint8_t>(i + 1);
  ASSERT_EQ(MemSetVariable('Q', value), kMemOk);
  EXPECT_EQ(MemSetVariable('q', value), kMemErrNotFound);
  EXPECT_EQ(MemCurrent().kind, kMemKindAlpha);
  uint8_t read[24] = {};
  ASSERT_EQ(MemReadCurrent(0, 0, read), kMemOk);
  EXPECT_EQ(std::memcmp(read, value, 24), 0);
  EXPECT_EQ(MemReadCurrent(20, 5, read), kMemOk);
  EXPECT_EQ(MemReadCurrent(21, 5, read), kMemErrReadPastEnd);

  // Kind 0 names a variable by its letter.
  const uint8_t twelve[12] = {0x10, 0x01};
  EXPECT_EQ(MemWriteAt(MemOfKind(0), "\xC0", 12, twelve, 12), 1u);
  EXPECT_EQ(MemWriteAt(MemOfKind(0), "\xC0", 12, twelve, 0), 0u);
  EXPECT_EQ(MemWriteAt(MemOfKind(0), "\xC0", 12, twelve, 13), kMemErrAlphaWrite);
  EXPECT_EQ(MemWriteAt(MemOfKind(0), "AB", 4, twelve, 0), kMemErrNotFound);
  uint8_t* data;
  uint32_t size;
  ASSERT_EQ(MemGetPointer(MemOfKind(0), "\xC0", &data, &size), kMemOk);
  EXPECT_EQ(size, 24u);
  EXPECT_EQ(data, MemVariable(28));
  EXPECT_EQ(std::memcmp(data + 12, twelve, 12), 0);

  // Start-up clears the real parts only.
  MemStartUp();
  EXPECT_EQ(std::memcmp(MemVariable(16), std::vector<uint8_t>(12, 0).data(), 12), 0);
  EXPECT_EQ(std::memcmp(MemVariable(16) + 12, value + 12, 12), 0);
}

TEST_F(MemApp, PointersAndHandles) {
  ASSERT_EQ(MemCreate(2, "A", 8, "ABCDEFGH"), kMemOk);
  uint8_t* data;
  uint32_t size;
  ASSERT_EQ(MemGetPointer(MemOfKind(2), "A", &data, &size), kMemOk);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(std::memcmp(data, "ABCDEFGH", 8), 0);
  EXPECT_EQ(MemAddressClass(data), kMemAddrArena);
  EXPECT_EQ(MemAddressClass(McsArenaBase() + kMcsArenaSize), kMemAddrElsewhere);

  std::vector<int> handles;
  for (int i = 0; i < kMemHandleCount; ++i) handles.push_back(MemHandleAlloc(16));
  EXPECT_EQ(handles.front(), 0);
  EXPECT_EQ(handles.back(), 255);
  EXPECT_EQ(MemHandleAlloc(16), -1);
  MemHandleFree(7);
  EXPECT_EQ(MemHandleBlock(7), nullptr);
  EXPECT_EQ(MemHandleAlloc(0), -1);
  EXPECT_EQ(MemHandleAlloc(24), 7);
  std::memcpy(MemHandleBlock(7), "keep", 4);
  ASSERT_TRUE(MemHandleResize(7, 4000));
  EXPECT_EQ(std::memcmp(MemHandleBlock(7), "keep", 4), 0);
  EXPECT_EQ(MemHandleSize(7), 4000);
  EXPECT_EQ(MemAddressClass(MemHandleBlock(7) + 3999), kMemAddrHostBlock);
  EXPECT_EQ(MemAddressClass(&size), kMemAddrElsewhere);
  MemStartUp();  // frees every host block
  EXPECT_EQ(MemHandleBlock(0), nullptr);
  EXPECT_EQ(MemHandleAlloc(16), 0);
  MemHandleFreeAll();
}

TEST_F(MemApp, ClearingFolders) {
  for (const char* name : {"A", "B", "C"})
    ASSERT_EQ(MemCreateIn("@STAT", name, 4, nullptr), kMemOk);
  // Clearing stops at the first item that refuses.
  McsItemInfo info;
  McsFindItem("@STAT", "B", &info);
  McsAddress(info.entryAddress)[offsetof(ItemEntry, attributes)] = kMcsAttrWriteProtected;
  EXPECT_EQ(MemClearFolder("@STAT"), kMemErrNotFound);
  EXPECT_EQ(McsFindItem("@STAT", "A", &info), kMcsNoItem);
  EXPECT_EQ(McsFindItem("@STAT", "C", &info), kMcsOk);
  McsFindItem("@STAT", "B", &info);
  McsAddress(info.entryAddress)[offsetof(ItemEntry, attributes)] = 0;
  EXPECT_EQ(MemClearFolder("@STAT"), kMemOk);
  EXPECT_EQ(MemClearFolder("NOSUCH"), kMemErrNotFound);

  // Clearing folders deletes them (not "main") and sets the folders up again.
  ASSERT_EQ(MemCreateIn("@GRAPH", "GMEM1", 4, nullptr), kMemOk);
  ASSERT_EQ(MemCreateIn("main", "X", 4, nullptr), kMemOk);
  ASSERT_EQ(McsCreateFolder("USER", nullptr), kMcsOk);
  const char* folders[] = {"@GRAPH", "main", "USER"};
  EXPECT_EQ(MemClearFolders(folders, 3), kMemOk);
  EXPECT_EQ(McsFindItem("@GRAPH", "GMEM1", &info), kMcsNoItem);
  EXPECT_EQ(McsFindItem("main", "X", &info), kMcsNoItem);
  EXPECT_EQ(McsFindFolder("USER", nullptr, nullptr), kMcsNoFolder);
  uint32_t index;
  ASSERT_EQ(McsFindFolder("@GRAPH", nullptr, &index), kMcsOk);
  EXPECT_EQ(index, 5u);
  const char* missing[] = {"NOSUCH"};
  EXPECT_EQ(MemClearFolders(missing, 1), kMemErrClearFolders);
  EXPECT_EQ(McsCheck(), kMcsOk);
}

TEST_F(MemApp, StartUpSetsTheFoldersUp) {
  ASSERT_EQ(MemCreateIn("@NOTE", "DOC", 4, nullptr), kMemOk);
  EXPECT_EQ(McsFolderClass("@NOTE"), 129u);
  MemSetUpFolders();  // again: nothing changes
  EXPECT_EQ(ItemBytes("@NOTE", "DOC").size(), 4u);
  EXPECT_EQ(McsCheck(), kMcsOk);
  MemStartUp();
  EXPECT_TRUE(ItemBytes("@NOTE", "DOC").empty());
  EXPECT_EQ(McsReadHeader().dataTop, 2608u);
}

// A recognisable number record: byte 0 from the flag, then the tag.
std::vector<uint8_t> Pair(uint8_t tag, bool complex) {
  std::vector<uint8_t> pair(kNumPair, 0);
  pair[0] = complex ? 0x90 : 0x10;
  pair[1] = tag;
  pair[12] = complex ? 0x10 : 0;
  pair[13] = complex ? static_cast<uint8_t>(tag + 1) : 0;
  return pair;
}

TEST_F(MemApp, ListLayoutTurnsComplexOnAComplexValue) {
  const auto list = [](uint32_t i, const uint8_t* value) {
    return MemNumArraySet(MemOfKind(2), "1LIST1", NumArrayKind::kList, i, value);
  };
  const auto get = [](uint32_t i, uint8_t* value) {
    return MemNumArrayGet(MemOfKind(2), "1LIST1", NumArrayKind::kList, i, value);
  };
  ASSERT_EQ(MemCreateNumArray(MemOfKind(2), "1LIST1", ListShape(3, false), 0x01020304), kMemOk);
  std::vector<uint8_t> item = ItemBytes("main", "1LIST1");
  ASSERT_EQ(item.size(), 16u + 36);
  EXPECT_EQ(item[8] | item[9] << 8, 3);
  EXPECT_EQ(NumArrayAppField(item.data()), 0x01020304u);
  for (uint8_t i = 0; i < 3; ++i) ASSERT_EQ(list(i, Pair(i, false).data()), kMemOk);
  uint8_t value[kNumPair];
  ASSERT_EQ(get(2, value), kMemOk);
  EXPECT_EQ(std::vector<uint8_t>(value, value + kNumPair), Pair(2, false));
  EXPECT_EQ(get(3, value), kMemErrNotFound);
  // The imaginary block follows the real one.
  ASSERT_EQ(list(1, Pair(7, true).data()), kMemOk);
  NumArrayShape shape;
  ASSERT_EQ(MemNumArrayShape(MemOfKind(2), "1LIST1", NumArrayKind::kList, &shape), kMemOk);
  EXPECT_TRUE(shape.complex);
  EXPECT_EQ(ItemBytes("main", "1LIST1").size(), 16u + 72);
  ASSERT_EQ(get(1, value), kMemOk);
  EXPECT_EQ(std::vector<uint8_t>(value, value + kNumPair), Pair(7, true));
  ASSERT_EQ(get(2, value), kMemOk);
  EXPECT_EQ(value[1], 2);
  EXPECT_EQ(value[12], 0);  // imaginary part zero
  EXPECT_EQ(McsCheck(), kMcsOk);
}

TEST_F(MemApp, MatrixLayoutAndShortItems) {
  ASSERT_EQ(MemCreateNumArray(MemInFolder("main"), "MAT_A", MatrixShape(2, 3, true), 0), kMemOk);
  const std::vector<uint8_t> item = ItemBytes("main", "MAT_A");
  ASSERT_EQ(item.size(), 16u + 2 * 6 * 12);
  NumArrayShape shape;
  ASSERT_TRUE(NumArrayRead(NumArrayKind::kMatrix, item.data(), item.size(), &shape));
  EXPECT_EQ(shape.rows, 2);
  EXPECT_EQ(shape.cols, 3);
  EXPECT_TRUE(shape.complex);  // told by the flag of the first number
  EXPECT_EQ(NumArrayImagOffset(shape, 0), 16u + 72);
  EXPECT_FALSE(NumArrayRead(NumArrayKind::kMatrix, item.data(), item.size() - 4, &shape));
  ASSERT_EQ(
      MemNumArraySet(MemInFolder("main"), "MAT_A", NumArrayKind::kMatrix, 5, Pair(9, true).data()),
      kMemOk);
  const std::vector<uint8_t> after = ItemBytes("main", "MAT_A");
  EXPECT_EQ(after[16 + 5 * 12 + 1], 9);
  EXPECT_EQ(after[16 + 72 + 5 * 12 + 1], 10);
  const uint8_t header[16] = {0, 0, 0, 0, 0, 0, 0, 0, 5, 0};
  EXPECT_FALSE(NumArrayRead(NumArrayKind::kList, header, 12, &shape));
  EXPECT_FALSE(NumArrayRead(NumArrayKind::kList, header, 16, &shape));  // 5 numbers missing
  EXPECT_EQ(MatrixShape(0, 4, false).Bytes(), 16u);
}

TEST(MemTables, DataGroups) {
  struct Row {
    const char* folder;
    const char* item;
    const char* group;
  };
  // clang-format off
  const Row rows[] = {
      {"system", "ANYPROG", "PROGRAM"}, {"main", "1", "Y=DATA"}, {"main", "20", "Y=DATA"},
      {"main", "21", ""}, {"main", "0", ""}, {"main", "07", ""}, {"main", "1LIST1", "LISTFILE"},
      {"main", "6LIST26", "LISTFILE"}, {"main", "7LIST1", ""}, {"main", "1LIST27", ""},
      {"main", "0LIST0", "LISTFILE"}, {"main", "AN", "RECURSION"},
      {"main", "RECURTBL", "RECURSION"}, {"main", "POLYCOEF", "EQUATION"},
      {"main", "FMEM\x01", "F-MEM"}, {"main", "FMEM\x14", "F-MEM"}, {"main", "FMEM\x15", ""},
      {"main", "FMEM1", ""}, {"main", "FMEM", ""}, {"main", "VWINR", "Y=DATA"},
      {"main", "GRAPHTBL", "TABLE"}, {"main", "MAT_A", "MATRIX"}, {"main", "MAT_ANS", "MATRIX"},
      {"main", "PICT20", "PICTURE"}, {"main", "PICT", ""}, {"main", "VMEM6", "V-WIN"},
      {"main", "VMEM7", ""}, {"main", "STATV", "STAT"}, {"main", "ALPHAMEM", ""},
      {"@RUNMAT", "REPLAY", "SYSTEM"}, {"@RUNMAT", "OTHER", ""}, {"@STAT", "C_CND", "STAT"},
      {"@GRAPH", "GMEM13", "G-MEM"}, {"@DYNA", "COND", "DYNA MEM"},
      {"@RECUR", "RECRG", "RECURSION"}, {"@CONICS", "conicmem", "CONICS"},
      {"@EQUA", "EQSLVLMT", "EQUATION"}, {"@FINANCE", "fina_mem", "FINANCIAL"},
      {"@SSHEET", "SHEET1", "S-SHEET"}, {"@SSHEET", "@SNAME", "S-SHEET"},
      {"@TABLE", "RANGE", "TABLE"}, {"@REV2", "NAT_CLIP", "SYSTEM"}, {"@REV2", "CAPT1", "CAPTURE"},
      {"@REV2", "CAPT21", ""}, {"@LOCAL1", "X", ""}, {"main", "", ""}};
  // clang-format on
  for (const Row& row : rows) {
    EXPECT_STREQ(MemGroupName(MemDataGroup(row.folder, row.item)), row.group)
        << row.folder << '/' << row.item;
  }
  EXPECT_STREQ(MemGroupName(MemGroup::kAlphaMem), "ALPHA MEM");
  EXPECT_STREQ(MemGroupName(MemGroup::kNone), "");
}

TEST(MemTables, PublicCodes) {
  struct Row {
    uint32_t core, pub;
  };
  const Row rows[] = {{0, 0},   {16, 19}, {17, 81}, {18, 23}, {19, 21}, {20, 51}, {21, 24},
                      {22, 22}, {24, 25}, {65, 18}, {80, 48}, {81, 50}, {82, 82}, {255, 255},
                      {23, 64}, {52, 64}, {7, 64},  {95, 64}, {240, 64}};  // unlisted: 64
  for (const Row& row : rows) EXPECT_EQ(MemPublicCode(row.core), row.pub) << row.core;
}

}  // namespace
