// Import: a round trip restores main memory byte for byte, damaged files are
// refused without leaving half items, and existing items are asked about.
// The backup file: save, clear, load; a failed backup leaves no partial file.
#include <cstring>

#include "g1m_test_support.h"
#include "memory/fs_api.h"
#include "memory/mcs_core.h"
#include "memory/mem_app.h"
#include "memory/mem_numarray.h"

namespace {

using G1mImportTest = G1mTest;
using Bytes8 = std::vector<uint8_t>;

const Bytes8 kProgram = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x22, 'O', 'K', 0x22, 0x00, 0x00};

// A memory with something of every sort: lists and matrices holding
// fractions and complex parts, a program, a capture, application records,
// a folder of the user's own, alpha variables.
void FillMemory() {
  uint8_t value[kNumPair] = {0x20, 0x00, 0x34, 0x12, 0, 0, 0, 0, 0x78, 0x56, 0x34, 0x12};
  ASSERT_EQ(MemCreateNumArray(MemOfKind(2), "1LIST1", ListShape(5, false), 0xDEADBEEF), 0u);
  ASSERT_EQ(MemNumArraySet(MemOfKind(2), "1LIST1", NumArrayKind::kList, 2, value), 0u);
  ASSERT_EQ(MemCreateNumArray(MemOfKind(2), "MAT_B", MatrixShape(3, 2, true), 7), 0u);
  ASSERT_EQ(MemNumArraySet(MemOfKind(2), "MAT_B", NumArrayKind::kMatrix, 4, value), 0u);
  ASSERT_EQ(PutItem("system", "OK", kMemKindProgram, kProgram), 0u);
  ASSERT_EQ(PutItem("@REV2", "CAPT3", 10, Bytes8(1028, 0x5C)), 0u);
  ASSERT_EQ(PutItem("@RUNMAT", "REPLAY", kMemKindFolder, Bytes8(40, 0x21)), 0u);
  ASSERT_EQ(PutItem("@GRAPH", "GMEM2", kMemKindFolder, Bytes8(64, 0x42)), 0u);
  uint32_t index = 0;
  ASSERT_EQ(McsCreateFolder("MYDATA", &index), 0u);
  ASSERT_EQ(PutItem("MYDATA", "NOTES", kMemKindFolder, Bytes8(12, 0x4E)), 0u);
  std::memcpy(MemVariable(3), value, sizeof value);
}

int ExportAll(const std::u16string& path) {
  const std::vector<G1mGroup> groups = G1mWholeMemory();
  return G1mWriteGroups(path.c_str(), groups.data(), groups.size());
}

TEST_F(G1mImportTest, RoundTripRestoresMemoryByteForByte) {
  FillMemory();
  ASSERT_EQ(McsCheck(), 0u);
  const Bytes8 before = MemorySnapshot();
  const Bytes8 setupBefore(setup, setup + 128);
  ASSERT_EQ(ExportAll(PcFile("all.g1m")), 0);
  EXPECT_EQ(MemorySnapshot(), before);

  MemStartUp();
  std::memset(MemVariable(0), 0, kG1mAlphaBytes);
  std::memset(setup, 0, kG1mSetupBytes);
  G1mImportReport report;
  ASSERT_EQ(ImportPath(PcFile("all.g1m"), G1mExisting::kAsk, &report), 0);
  EXPECT_EQ(report.skipped, 0u);
  EXPECT_EQ(report.imported, 9u);
  EXPECT_EQ(McsCheck(), 0u);
  EXPECT_EQ(MemorySnapshot(), before);
  EXPECT_EQ(Bytes8(setup, setup + 128), setupBefore);
}

// One program item "P" in a file, for the refusal cases to spoil.
Bytes8 ProgramBody(uint32_t declaredSize, size_t actualSize) {
  Bytes8 body;
  AppendGroupHeader(&body, "PROGRAM", 1);
  AppendItemHeader(&body, "system", "P", 1, declaredSize);
  body.insert(body.end(), actualSize, 0x33);
  return body;
}

TEST_F(G1mImportTest, RefusalsLeaveMemoryUnchanged) {
  struct Case {
    const char* what;
    Bytes8 file;
    int expected;
  };
  const Bytes8 good = DataFile(ProgramBody(16, 16), 1);
  auto spoiled = [&](size_t at, uint8_t x) {
    Bytes8 f = good;
    f[at] ^= x;
    return f;
  };
  Bytes8 noMagic = good;
  for (int i = 0; i < 8; ++i) noMagic[i] = 0;
  Bytes8 truncated = good;
  truncated.resize(good.size() - 4);
  Bytes8 longer = good;
  longer.push_back(0);
  Bytes8 overlong = DataFile(ProgramBody(64, 16), 1);
  const Case kCases[] = {
      {"no magic", noMagic, kG1mErrNotData},
      {"notebook type", spoiled(8, '1' ^ 'I'), kG1mErrNotData},
      {"item count 0", DataFile(ProgramBody(16, 16), 0), kG1mErrDamaged},
      {"wrong size field", spoiled(19, 0x04), kG1mErrDamaged},
      {"control byte A", spoiled(14, 0x01), kG1mErrControl},
      {"control byte B", spoiled(20, 0x10), kG1mErrControl},
      {"truncated", truncated, kG1mErrDamaged},
      {"longer than its size field", longer, kG1mErrDamaged},
      {"item larger than the file", overlong, kG1mErrDamaged},
      {"empty file", Bytes8{}, kG1mErrNotData},
  };
  for (const Case& c : kCases) {
    const Bytes8 before = MemorySnapshot();
    WriteHost("bad.g1m", c.file);
    EXPECT_EQ(ImportPath(PcFile("bad.g1m"), G1mExisting::kOverwrite), c.expected) << c.what;
    EXPECT_EQ(MemorySnapshot(), before) << c.what;
  }
  WriteHost("good.g1m", good);
  EXPECT_EQ(ImportPath(PcFile("good.g1m"), G1mExisting::kOverwrite), 0);
  EXPECT_EQ(ItemBytes("system", "P"), Bytes8(16, 0x33));
}

// A group header of 0xFF ends the file early; the progress follows the items.
TEST_F(G1mImportTest, FileEndsAtAHeaderOfFF) {
  Bytes8 body = ProgramBody(8, 8);
  body.insert(body.end(), 20, 0xFF);
  WriteHost("end.g1m", DataFile(body, 2));
  UiDouble ui;
  G1mImportOptions options;
  options.existing = G1mExisting::kOverwrite;
  options.progress = &ui.table;
  G1mImportReport report;
  EXPECT_EQ(G1mImportFile(PcFile("end.g1m").c_str(), options, &report), 0);
  EXPECT_EQ(report.imported, 1u);
  EXPECT_EQ(ui.opened, 1);
  EXPECT_EQ(ui.closed, 1);
  EXPECT_EQ(ui.progress.back(), std::make_pair(1u, 2u));
}

struct Asker {
  std::vector<uint32_t> answers;
  std::vector<std::string> asked;
  G1mImportUi ui;
  Asker() {
    ui.ctx = this;
    ui.askOverwrite = [](void* ctx, const char* folder, const char* item) {
      auto* a = static_cast<Asker*>(ctx);
      a->asked.push_back(std::string(folder) + "/" + item);
      const size_t i = a->asked.size() - 1;
      return i < a->answers.size() ? a->answers[i] : 0u;
    };
  }
};

TEST_F(G1mImportTest, ExistingItemsAreAskedAbout) {
  // The file holds A and B; memory has older A and B.
  Bytes8 body;
  AppendGroupHeader(&body, "PROGRAM", 2);
  for (const char* name : {"A", "B"}) {
    AppendItemHeader(&body, "system", name, 1, 8);
    body.insert(body.end(), 8, 0x77);
  }
  WriteHost("two.g1m", DataFile(body, 2));
  struct Case {
    const char* what;
    std::vector<uint32_t> answers;
    uint8_t a, b;  // fill byte of each item afterwards
    uint32_t imported, skipped;
    bool stopped;
  };
  const Case kCases[] = {
      {"yes, yes", {30009, 30009}, 0x77, 0x77, 2, 0, false},
      {"no (F6), yes", {30014, 30009}, 0x11, 0x77, 1, 1, false},
      {"any other key declines", {30004, 0}, 0x11, 0x11, 0, 2, false},
      {"EXIT stops", {30002}, 0x11, 0x11, 0, 0, true},
  };
  for (const Case& c : kCases) {
    ASSERT_EQ(PutItem("system", "A", 1, Bytes8(12, 0x11)), 0u);
    ASSERT_EQ(PutItem("system", "B", 1, Bytes8(12, 0x11)), 0u);
    Asker asker;
    asker.answers = c.answers;
    G1mImportReport report;
    EXPECT_EQ(ImportPath(PcFile("two.g1m"), G1mExisting::kAsk, &report, &asker.ui), 0) << c.what;
    EXPECT_EQ(ItemBytes("system", "A")[0], c.a) << c.what;
    EXPECT_EQ(ItemBytes("system", "B")[0], c.b) << c.what;
    EXPECT_EQ(report.imported, c.imported) << c.what;
    EXPECT_EQ(report.skipped, c.skipped) << c.what;
    EXPECT_EQ(report.stopped, c.stopped) << c.what;
    EXPECT_EQ(asker.asked.front(), "system/A") << c.what;
    McsDeleteItem("system", "A");
    McsDeleteItem("system", "B");
  }
  // Overwrite and skip need no question.
  ASSERT_EQ(PutItem("system", "A", 1, Bytes8(12, 0x11)), 0u);
  G1mImportReport report;
  EXPECT_EQ(ImportPath(PcFile("two.g1m"), G1mExisting::kSkip, &report), 0);
  EXPECT_EQ(ItemBytes("system", "A"), Bytes8(12, 0x11));
  EXPECT_EQ(ItemBytes("system", "B"), Bytes8(8, 0x77));
  EXPECT_EQ(ImportPath(PcFile("two.g1m"), G1mExisting::kOverwrite, &report), 0);
  EXPECT_EQ(ItemBytes("system", "A"), Bytes8(8, 0x77));
}

TEST_F(G1mImportTest, MemoryFullEndsTheImportWithoutAHalfItem) {
  Bytes8 body;
  AppendGroupHeader(&body, "@RUNMAT", 2);
  AppendItemHeader(&body, "@RUNMAT", "SMALL", 254, 8);
  body.insert(body.end(), 8, 0x01);
  AppendItemHeader(&body, "@RUNMAT", "BIG", 254, 4000);
  body.insert(body.end(), 4000, 0x02);
  WriteHost("big.g1m", DataFile(body, 2));
  LeaveFree(1000);
  G1mImportReport report;
  EXPECT_EQ(ImportPath(PcFile("big.g1m"), G1mExisting::kOverwrite, &report), kG1mErrMemory);
  EXPECT_EQ(report.memCode, kMemErrNoRoom);
  EXPECT_EQ(report.imported, 1u);
  EXPECT_EQ(ItemBytes("@RUNMAT", "SMALL"), Bytes8(8, 0x01));
  EXPECT_TRUE(ItemBytes("@RUNMAT", "BIG").empty());
  EXPECT_EQ(McsCheck(), 0u);
}

TEST_F(G1mImportTest, FoldersAreCreatedAndOddSizesRoundedUp) {
  Bytes8 body;
  AppendGroupHeader(&body, "@NEWAPP", 1);
  AppendItemHeader(&body, "@NEWAPP", "DATA", 254, 6);
  body.insert(body.end(), {1, 2, 3, 4, 5, 6});
  WriteHost("odd.g1m", DataFile(body, 1));
  ASSERT_EQ(ImportPath(PcFile("odd.g1m"), G1mExisting::kAsk), 0);
  EXPECT_EQ(ItemBytes("@NEWAPP", "DATA"), (Bytes8{1, 2, 3, 4, 5, 6, 0, 0}));
  EXPECT_EQ(McsCheck(), 0u);
}

TEST(G1mConvert, ConversionIsItsOwnInverseAndStaysInsideTheItem) {
  // Damaged shapes claim more numbers than the bytes hold.
  struct Case {
    uint16_t code;
    Bytes8 bytes;
  };
  Bytes8 hugeList(40, 0x20);
  hugeList[8] = 0xFF;
  hugeList[9] = 0xFF;
  Bytes8 hugeMatrix(52, 0xB0);
  const Case kCases[] = {
      {10, hugeList},         {19, hugeMatrix},   {58, Bytes8(30, 0x30)}, {39, Bytes8(50, 0x20)},
      {15, Bytes8(20, 0x20)}, {27, Bytes8(3, 1)}, {34, Bytes8(10, 2)},    {0x8010, Bytes8(8, 9)},
  };
  for (const Case& c : kCases) {
    for (G1mOrder first : {G1mOrder::kToFile, G1mOrder::kToMemory}) {
      // Exact-size copies, so that a read past the end is caught.
      std::vector<uint8_t> data(c.bytes);
      const G1mOrder back = first == G1mOrder::kToFile ? G1mOrder::kToMemory : G1mOrder::kToFile;
      G1mConvert(c.code, data.data(), static_cast<uint32_t>(data.size()), first);
      G1mConvert(c.code, data.data(), static_cast<uint32_t>(data.size()), back);
      EXPECT_EQ(data, c.bytes) << c.code;
    }
  }
}

TEST(G1mFormatCodes, FixedItemsAndOurOwn) {
  struct Case {
    const char* folder;
    const char* item;
    uint16_t code;
  };
  // clang-format off
  const Case kCases[] = {
      {"$GLOBAL", "ALPHAMEM", 58}, {"$GLOBAL", "SETUP", 0x8002}, {"MYDATA", "X", 0x8000},
      {"main", "FMEM\x03", 0x8008}, {"main", "MAT_ANS", 59}, {"main", "MAT_C", 19},
      {"main", "POLYMULT", 60}, {"main", "VWIN", 15}, {"main", "VMEM3", 17}, {"main", "0LIST0", 11},
      {"main", "3LIST12", 10}, {"@REV2", "CLIP", 0x8005}, {"@REV2", "CAPT20", 27},
      {"main", "PICT4", 27}, {"main", "COMGRAPH", 0x801F}, {"main", "COMX", 32},
      {"@STAT", "G_CND", 39}, {"@SSHEET", "@SG_CND", 51}, {"system", "ANYPROG", 0x8010},
      {"main", "12", 37}, {"@GRAPH", "GMEM1", 0x8001}, {"main", "SOMETHIN", 0x8011}};
  // clang-format on
  for (const Case& c : kCases)
    EXPECT_EQ(G1mFormatCode(c.folder, c.item), c.code) << c.folder << "/" << c.item;
}

// The backup file in storage memory.
void SomeData() {
  ASSERT_EQ(PutItem("system", "PRG", 1, Bytes8(400, 0x12)), 0u);
  ASSERT_EQ(PutItem("main", "MAT_A", 2, Bytes8(64, 0)), 0u);
  ASSERT_EQ(PutItem("@STAT", "STATap", 254, Bytes8(20, 0x34)), 0u);
  std::memset(MemVariable(5), 0x09, 12);
}

bool BackupExists() {
  const int h = FsOpen(kG1mBackupPath, kOpenRead);
  if (h >= 0) FsClose(h);
  return h >= 0;
}

TEST_F(G1mImportTest, SaveClearLoadRestoresEverything) {
  G1mImportReport report;
  EXPECT_EQ(G1mLoadBackup(nullptr, &report), kG1mErrNoBackup);
  SomeData();
  const Bytes8 before = MemorySnapshot();
  UiDouble ui;
  ASSERT_EQ(G1mSaveBackup(&ui.table), 0);
  EXPECT_TRUE(BackupExists());
  EXPECT_EQ(MemorySnapshot(), before);

  MemStartUp();
  std::memset(MemVariable(0), 0, kG1mAlphaBytes);
  ASSERT_NE(MemorySnapshot(), before);
  ASSERT_EQ(G1mLoadBackup(&ui.table, &report), 0);
  EXPECT_EQ(MemorySnapshot(), before);
  EXPECT_EQ(McsCheck(), 0u);
  // Loading over the same data again replaces without asking.
  ASSERT_EQ(G1mLoadBackup(nullptr, &report), 0);
  EXPECT_EQ(report.skipped, 0u);
  EXPECT_EQ(MemorySnapshot(), before);
}

TEST_F(G1mImportTest, NoRoomLeavesTheOldBackupAlone) {
  SomeData();
  ASSERT_EQ(G1mSaveBackup(nullptr), 0);
  Bytes8 old;
  ASSERT_EQ(ReadFile(kG1mBackupPath, &old), 0);
  // Fill the storage memory up to a few hundred bytes.
  for (int i = 0; FsFreeSpace(u"\\\\fls0\\") > 70000; ++i)
    ASSERT_EQ(WriteFile(FlashPath("F" + std::to_string(i) + ".bin"), Bytes8(65536, 1)), 0);
  const int left = FsFreeSpace(u"\\\\fls0\\");
  ASSERT_EQ(WriteFile(FlashPath("LAST.bin"), Bytes8(left - 200, 1)), 0);
  ASSERT_EQ(PutItem("main", "MAT_B", 2, Bytes8(4000, 0)), 0u);
  EXPECT_EQ(G1mSaveBackup(nullptr), kFsNoSpace);
  Bytes8 still;
  ASSERT_EQ(ReadFile(kG1mBackupPath, &still), 0);
  EXPECT_EQ(still, old);
}

// A power cut at any flash operation of a save over an existing backup
// leaves one to load after the start-up: the old one or the new one.
TEST_F(G1mImportTest, PowerCutDuringASaveLeavesTheOldOrTheNewBackup) {
  SomeData();
  ASSERT_EQ(G1mSaveBackup(nullptr), 0);
  const Bytes8 oldMemory = MemorySnapshot();
  ASSERT_EQ(PutItem("main", "MAT_C", 2, Bytes8(900, 7)), 0u);
  const Bytes8 newMemory = MemorySnapshot();
  const Bytes image = rig.emu.bytes;
  const int64_t start = rig.emu.ops;
  ASSERT_EQ(G1mSaveBackup(nullptr), 0);
  const int64_t ops = rig.emu.ops - start;
  ASSERT_GT(ops, 3);
  for (int64_t n = 0; n < ops; ++n) {
    for (bool torn : {false, true}) {
      rig.Reload(&image);
      ASSERT_EQ(SmMount(), 0);
      FlashEmuArmCut(&rig.emu, n, torn, uint64_t(n) + 1);
      G1mSaveBackup(nullptr);
      ASSERT_EQ(rig.Restart(), 0) << "cut " << n;
      MemStartUp();
      std::memset(MemVariable(0), 0, kG1mAlphaBytes);
      G1mImportReport report;
      ASSERT_EQ(G1mLoadBackup(nullptr, &report), 0) << "cut " << n << (torn ? " torn" : "");
      const Bytes8 loaded = MemorySnapshot();
      EXPECT_TRUE(loaded == oldMemory || loaded == newMemory) << "cut " << n;
    }
  }
}

TEST_F(G1mImportTest, WriteFailureDeletesThePartialFile) {
  SomeData();
  // Programming fails in one sector at a time: wherever the file's records
  // or data land, a failed backup leaves nothing named BACKUP behind.
  int failures = 0;
  for (int sector = 0; sector < kSectorCount; ++sector) {
    rig.emu.fault = FlashFault::kProgramFails;
    rig.emu.fault_sector = sector;
    const int rc = G1mSaveBackup(nullptr);
    rig.emu.fault = FlashFault::kNone;
    rig.emu.fault_sector = -1;
    if (rc != 0) {
      ++failures;
      EXPECT_FALSE(BackupExists()) << "sector " << sector;
    }
    FsDelete(kG1mBackupPath);
  }
  EXPECT_GT(failures, 0);
}

}  // namespace
