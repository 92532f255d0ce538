// The backup file in storage memory: save, clear, load; and a backup that
// cannot be written never leaves a partial file.
#include <cstring>

#include "g1m_test_support.h"
#include "memory/fs_api.h"
#include "memory/mcs_core.h"
#include "memory/mem_app.h"

namespace {

using G1mBackupTest = G1mTest;
using Bytes8 = std::vector<uint8_t>;

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

TEST_F(G1mBackupTest, SaveClearLoadRestoresEverything) {
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

TEST_F(G1mBackupTest, NoRoomLeavesTheOldBackupAlone) {
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

TEST_F(G1mBackupTest, WriteFailureDeletesThePartialFile) {
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
