// The complemented file header and exported files, compared with reference
// bytes written out by hand from the file layout: numbers and counts turn
// big-endian, everything else is copied. (The import's refusals check each
// field of a data file's header.)
#include <cstring>

#include "g1m_test_support.h"
#include "memory/fs_api.h"
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

void MakeList() {
  const Bytes8 item = Cat({Bytes8(8, 0),
                           {0x03, 0x00, 0x00, 0x00, 0x44, 0x33, 0x22, 0x11},
                           kPlainNumber,
                           kFractionMem,
                           Bytes8(12, 0x07)});
  EXPECT_EQ(PutItem("main", "1LIST1", 2, item), 0u);
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
void MakeMatrix() {
  const Bytes8 ref = {0xB0, 0x00, 0x02, 0x01, 0x04, 0x03, 0x00, 0x00, 0x08, 0x07, 0x06, 0x05};
  const Bytes8 item = Cat({Bytes8(8, 0),
                           {0x01, 0x00, 0x02, 0x00, 0, 0, 0, 0},
                           ref,
                           kPlainNumber,
                           kFractionMem,
                           Bytes8(12, 0)});
  EXPECT_EQ(PutItem("main", "MAT_A", 2, item), 0u);
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
void MakeProgram() {
  EXPECT_EQ(PutItem("system", "HELLO", kMemKindProgram, kProgram), 0u);
}
Bytes8 ProgramFile() {
  Bytes8 body;
  AppendGroupHeader(&body, "PROGRAM", 1);
  AppendItemHeader(&body, "system", "HELLO", 1, 16);
  return Cat({body, kProgram});
}

// A's real part is a fraction (converted); its imaginary part is copied as is.
void MakeAlpha() {
  std::memset(MemVariable(0), 0, kG1mAlphaBytes);
  const Bytes8 value = Cat({kFractionMem, kFractionMem});
  std::memcpy(MemVariable(MemVariableSlot('A')), value.data(), 24);
  std::memcpy(MemVariable(MemVariableSlot(0xC0)), kPlainNumber.data(), 12);  // Ans
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
  struct Case {
    const char* group;
    void (*memory)();      // creates the items
    Bytes8 (*expected)();  // the file body after the header
  };
  const Case kCases[] = {{"LISTFILE", MakeList, ListFile},
                         {"MATRIX", MakeMatrix, MatrixFile},
                         {"PROGRAM", MakeProgram, ProgramFile},
                         {"ALPHA MEM", MakeAlpha, AlphaFile}};
  for (const Case& c : kCases) {
    c.memory();
    const Bytes8 before = MemorySnapshot();
    G1mSelection sel;
    ASSERT_TRUE(G1mParseGroupName(c.group, &sel)) << c.group;
    G1mGroup group;
    ASSERT_EQ(G1mEnumerate(sel, &group), 1u) << c.group;
    ASSERT_EQ(G1mExportGroup(PcFile("out.g1m").c_str(), group), 0) << c.group;
    EXPECT_EQ(ReadHost("out.g1m"), DataFile(c.expected(), 1)) << c.group;
    EXPECT_EQ(MemorySnapshot(), before) << c.group << ": export leaves memory as it was";
  }
}

TEST_F(G1mExportTest, GroupSelectorsAndFileTitles) {
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
  char title[9];
  for (auto [group, expected] : {std::pair{"Y=DATA", "YDATA"},
                                 {"ALPHA MEM", "ALPHAMEM"},
                                 {"RECURSION", "RECURSIO"},
                                 {"@RUNMAT", "RUNMAT"}}) {
    G1mGroupFileTitle(group, title);
    EXPECT_STREQ(title, expected);
  }
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

TEST(G1mHeader, ThousandByteFileByteForByte) {
  // "USBPower" '1' 00 10 00 10 00 | A=E8+41=29 | 01 | 000003E8 | B=E8-48=A0 |
  // FF x 9 | count 0001, every byte complemented.
  const uint8_t kExpected[32] = {0xAA, 0xAC, 0xBD, 0xAF, 0x90, 0x88, 0x9A, 0x8D, 0xCE, 0xFF, 0xEF,
                                 0xFF, 0xEF, 0xFF, 0xD6, 0xFE, 0xFF, 0xFF, 0xFC, 0x17, 0x5F, 0x00,
                                 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFE};
  uint8_t built[32];
  G1mBuildHeader(kG1mTypeData, 1000, 1, built);
  EXPECT_EQ(0, std::memcmp(built, kExpected, 32));
}

TEST(G1mHeader, NotebookCountIsAlwaysFFFF) {
  uint8_t built[32];
  G1mBuildHeader(kG1mTypeNotebook, 0x1234, 7, built);
  const std::vector<uint8_t> expected = HeaderBytes('I', 0x1234, 0xFFFF);
  EXPECT_EQ(std::vector<uint8_t>(built, built + 32), expected);
}

TEST_F(G1mExportTest, CheckHeaderOfFiles) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    uint32_t expectedSize;
    int expected;
  };
  std::vector<uint8_t> good = HeaderBytes('1', 40, 1);
  good.resize(40, 0x11);
  std::vector<uint8_t> badControl = good;
  badControl[14] ^= 0x01;
  std::vector<uint8_t> noMagic(40, 0x41);
  const Case kCases[] = {
      {"valid", good, 40, 0},
      {"size differs", good, 44, kG1mErrDamaged},
      {"control byte", badControl, 40, kG1mErrControl},
      {"no magic passes", noMagic, 40, 0},
      {"shorter than a header", std::vector<uint8_t>(8, 0xAA), 8, 0},
  };
  for (const Case& c : kCases) {
    const std::u16string path = PcFile("check.g1m");
    WriteHost("check.g1m", c.bytes);
    const int h = FsOpen(path.c_str(), kOpenRead);
    ASSERT_GE(h, 0) << c.what;
    FsSeek(h, 5);
    EXPECT_EQ(G1mCheckHeader(h, c.expectedSize), c.expected) << c.what;
    uint8_t first = 0;
    EXPECT_EQ(FsRead(h, &first, 1, -1), 1) << c.what;
    EXPECT_EQ(first, c.bytes[0]) << c.what << ": the position is back at 0";
    FsClose(h);
  }
}

TEST_F(G1mExportTest, NotebookChecks) {
  auto notebook = [](uint16_t version, char type, int sizeDelta) {
    std::vector<uint8_t> f = HeaderBytes(static_cast<uint8_t>(type), 48 + sizeDelta, 0xFFFF);
    f.resize(48, 0);
    f[32 + 10] = static_cast<uint8_t>(version >> 8);
    f[32 + 11] = static_cast<uint8_t>(version);
    return f;
  };
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    int expected;
  };
  const Case kCases[] = {
      {"version 256", notebook(256, 'I', 0), 0},
      {"version 257", notebook(257, 'I', 0), kG1mErrVersion},
      {"a data file", notebook(256, '1', 0), kG1mErrDamaged},
      {"size field", notebook(256, 'I', 4), kG1mErrDamaged},
  };
  for (const Case& c : kCases) {
    WriteHost("note.g1e", c.bytes);
    const int h = FsOpen(PcFile("note.g1e").c_str(), kOpenRead);
    ASSERT_GE(h, 0);
    EXPECT_EQ(G1mCheckNotebook(h), c.expected) << c.what;
    FsClose(h);
  }
}

}  // namespace
