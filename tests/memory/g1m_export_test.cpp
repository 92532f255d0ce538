// Exported files compared with reference bytes written out by hand from the
// file layout: numbers and counts turn big-endian, everything else is copied.
#include <cstring>

#include "g1m_test_support.h"
#include "memory/mcs_core.h"
#include "memory/mem_app.h"

namespace {

using G1mExportTest = G1mTest;
using Bytes8 = std::vector<uint8_t>;

Bytes8 Cat(std::initializer_list<Bytes8> parts) {
  Bytes8 out;
  for (const Bytes8& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// A fraction record as main memory holds it on this host (16- and 32-bit
// fields little-endian) and as the file holds it.
const Bytes8 kFractionMem = {0x20, 0x00, 0x34, 0x12, 0x55, 0x66,
                             0x77, 0x88, 0xDD, 0xCC, 0xBB, 0xAA};
const Bytes8 kFractionFile = {0x20, 0x00, 0x12, 0x34, 0x55, 0x66,
                              0x77, 0x88, 0xAA, 0xBB, 0xCC, 0xDD};
const Bytes8 kPlainNumber = {0x10, 0x01, 0x23, 0x45, 0x67, 0x89,
                             0x01, 0x23, 0x45, 0x67, 0x00, 0x00};

struct ExportCase {
  const char* group;
  const char* file;
  Bytes8 (*memory)();    // creates the items, returns nothing useful
  Bytes8 (*expected)();  // the file body after the header
  uint16_t count;
};

Bytes8 MakeList() {
  const Bytes8 item = Cat({Bytes8(8, 0),
                           {0x03, 0x00, 0x00, 0x00, 0x44, 0x33, 0x22, 0x11},
                           kPlainNumber,
                           kFractionMem,
                           Bytes8(12, 0x07)});
  EXPECT_EQ(PutItem("main", "1LIST1", 2, item), 0u);
  return item;
}
Bytes8 ListFile() {
  Bytes8 body;
  AppendGroupHeader(&body, "main", 1);
  AppendItemHeader(&body, "main", "1LIST1", 2, 52);
  return Cat({body,
              Bytes8(8, 0),
              {0x00, 0x03, 0x00, 0x00, 0x11, 0x22, 0x33, 0x44},
              kPlainNumber,
              kFractionFile,
              Bytes8(12, 0x07)});
}

// A complex 1 x 2 matrix: a reference in the first real part, a fraction in
// the first imaginary part.
Bytes8 MakeMatrix() {
  const Bytes8 ref = {0xB0, 0x00, 0x02, 0x01, 0x04, 0x03, 0x00, 0x00, 0x08, 0x07, 0x06, 0x05};
  const Bytes8 item = Cat({Bytes8(8, 0),
                           {0x01, 0x00, 0x02, 0x00, 0, 0, 0, 0},
                           ref,
                           kPlainNumber,
                           kFractionMem,
                           Bytes8(12, 0)});
  EXPECT_EQ(PutItem("main", "MAT_A", 2, item), 0u);
  return item;
}
Bytes8 MatrixFile() {
  const Bytes8 ref = {0xB0, 0x00, 0x01, 0x02, 0x03, 0x04, 0x00, 0x00, 0x05, 0x06, 0x07, 0x08};
  Bytes8 body;
  AppendGroupHeader(&body, "main", 1);
  AppendItemHeader(&body, "main", "MAT_A", 2, 64);
  return Cat({body,
              Bytes8(8, 0),
              {0x00, 0x01, 0x00, 0x02, 0, 0, 0, 0},
              ref,
              kPlainNumber,
              kFractionFile,
              Bytes8(12, 0)});
}

const Bytes8 kProgram = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x22, 'H', 'I', 0x22, 0x00, 0x00};
Bytes8 MakeProgram() {
  EXPECT_EQ(PutItem("system", "HELLO", kMemKindProgram, kProgram), 0u);
  return kProgram;
}
Bytes8 ProgramFile() {
  Bytes8 body;
  AppendGroupHeader(&body, "PROGRAM", 1);
  AppendItemHeader(&body, "system", "HELLO", 1, 16);
  return Cat({body, kProgram});
}

// A's real part is a fraction (converted); its imaginary part is copied as is.
Bytes8 MakeAlpha() {
  std::memset(MemVariable(0), 0, kG1mAlphaBytes);
  const Bytes8 value = Cat({kFractionMem, kFractionMem});
  std::memcpy(MemVariable(MemVariableSlot('A')), value.data(), 24);
  std::memcpy(MemVariable(MemVariableSlot(0xC0)), kPlainNumber.data(), 12);  // Ans
  return value;
}
Bytes8 AlphaFile() {
  Bytes8 body;
  AppendGroupHeader(&body, "$GLOBAL", 1);
  AppendItemHeader(&body, "$GLOBAL", "ALPHAMEM", 0, 696);
  Bytes8 table(696, 0);
  std::memcpy(table.data(), kFractionFile.data(), 12);
  std::memcpy(table.data() + 12, kFractionMem.data(), 12);
  std::memcpy(table.data() + 28 * 24, kPlainNumber.data(), 12);
  return Cat({body, table});
}

TEST_F(G1mExportTest, KnownItemsByteForByte) {
  const ExportCase kCases[] = {
      {"LISTFILE", "list.g1m", MakeList, ListFile, 1},
      {"MATRIX", "matrix.g1m", MakeMatrix, MatrixFile, 1},
      {"PROGRAM", "prog.g1m", MakeProgram, ProgramFile, 1},
      {"ALPHA MEM", "alpha.g1m", MakeAlpha, AlphaFile, 1},
  };
  for (const ExportCase& c : kCases) {
    c.memory();
    const Bytes8 before = MemorySnapshot();
    G1mSelection sel;
    ASSERT_TRUE(G1mParseGroupName(c.group, &sel)) << c.group;
    G1mGroup group;
    ASSERT_EQ(G1mEnumerate(sel, &group), c.count) << c.group;
    ASSERT_EQ(G1mExportGroup(PcFile(c.file).c_str(), group), 0) << c.group;
    EXPECT_EQ(ReadHost(c.file), DataFile(c.expected(), c.count)) << c.group;
    EXPECT_EQ(MemorySnapshot(), before) << c.group << ": export leaves memory as it was";
  }
}

TEST_F(G1mExportTest, ListFileSelectorTakesOneListFile) {
  const Bytes8 list = Cat({Bytes8(8, 0), {0x01, 0, 0, 0, 0, 0, 0, 0}, kPlainNumber});
  for (const char* name : {"1LIST1", "1LIST2", "2LIST1", "0LIST0"})
    ASSERT_EQ(PutItem("main", name, 2, list), 0u);
  struct Case {
    const char* name;
    size_t items;
  };
  for (const Case& c :
       {Case{"LISTFILE", 4}, Case{"LIST 1", 2}, Case{"LISTFILE 2", 1}, Case{"LIST 3", 0}}) {
    G1mSelection sel;
    ASSERT_TRUE(G1mParseGroupName(c.name, &sel)) << c.name;
    G1mGroup group;
    EXPECT_EQ(G1mEnumerate(sel, &group), c.items) << c.name;
  }
  G1mSelection sel;
  EXPECT_FALSE(G1mParseGroupName("LIST 7", &sel));
  EXPECT_FALSE(G1mParseGroupName("NOSUCH", &sel));
  EXPECT_TRUE(G1mParseGroupName("@RUNMAT", &sel));
}

TEST_F(G1mExportTest, Targets) {
  G1mGroup group;
  ASSERT_EQ(G1mEnumerateGroup(MemGroup::kMatrix, &group), 0u);
  EXPECT_EQ(G1mExportGroup(PcFile("none.g1m").c_str(), group), kG1mErrNothing);
  EXPECT_TRUE(ReadHost("none.g1m").empty());
  // A folder target takes the group's file name; an older file is replaced.
  MakeProgram();
  ASSERT_EQ(G1mEnumerateGroup(MemGroup::kProgram, &group), 1u);
  ASSERT_EQ(G1mExportGroup(u"\\\\fls0\\", group), 0);
  Bytes8 stored;
  ASSERT_EQ(ReadFile(FlashPath("PROGRAM.g1m"), &stored), 0);
  EXPECT_EQ(stored, DataFile(ProgramFile(), 1));
  WriteHost("prog.g1m", Bytes8(5000, 0x33));
  ASSERT_EQ(G1mExportGroup(PcFile("prog.g1m").c_str(), group), 0);
  EXPECT_EQ(ReadHost("prog.g1m"), DataFile(ProgramFile(), 1));
}

TEST_F(G1mExportTest, GroupFileTitles) {
  struct Case {
    const char* group;
    const char* title;
  };
  for (const Case& c : {Case{"Y=DATA", "YDATA"}, Case{"ALPHA MEM", "ALPHAMEM"},
                        Case{"RECURSION", "RECURSIO"}, Case{"@RUNMAT", "RUNMAT"}}) {
    char title[9];
    G1mGroupFileTitle(c.group, title);
    EXPECT_STREQ(title, c.title);
  }
}

TEST_F(G1mExportTest, SkipToCountsItemsAcrossGroups) {
  MakeList();
  MakeMatrix();
  MakeProgram();
  const std::vector<G1mGroup> groups = G1mWholeMemory();
  ASSERT_EQ(G1mWriteGroups(PcFile("all.g1m").c_str(), groups.data(), groups.size()), 0);
  const int h = FsOpen(PcFile("all.g1m").c_str(), kOpenRead);
  ASSERT_GE(h, 0);
  const int size = FsSize(h);
  // Groups in table order: ALPHA MEM (696), LISTFILE (52), MATRIX (64),
  // PROGRAM (16); SETUP (100) comes after them.
  const int afterAlpha = 32 + 20 + 24 + 696;
  EXPECT_EQ(G1mSkipTo(h, 0), 32);
  EXPECT_EQ(G1mSkipTo(h, 1), afterAlpha);
  EXPECT_EQ(G1mSkipTo(h, 2), afterAlpha + 20 + 24 + 52);
  EXPECT_EQ(G1mSkipTo(h, -1), size);
  EXPECT_EQ(G1mSkipTo(h, 99), -1);
  FsClose(h);
}

}  // namespace
