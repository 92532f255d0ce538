// The file system on a strict flash: what a user relies on when keeping
// files, and the directory rules underneath.
#include "memory/fs_store.h"

#include <gtest/gtest.h>

#include "fs_test_support.h"
#include "memory/fs_error.h"

namespace {

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override { rig.Format(); }
  void TearDown() override { EXPECT_EQ(rig.emu.violations, 0) << rig.emu.first_violation; }
  FlashRig rig;
};

TEST_F(StoreTest, FreshStoreHasSectorRecordsOnlyAndFullSpace) {
  EXPECT_EQ(Fs().record_count, 25);
  EXPECT_EQ(FsFreeSpace(kFlashDevice.c_str()), 0x180000);
  EXPECT_EQ(SmCheck(false), 0);
  SectorInfo s;
  ASSERT_EQ(ReadSectorRecord(0, &s), 0);
  EXPECT_EQ(s.header, 0x42000001u);
  EXPECT_EQ(s.block, kBlockDir1);
  ASSERT_EQ(ReadSectorRecord(1, &s), 0);
  EXPECT_EQ(s.reserve, kReserveSpare);
  ASSERT_EQ(ReadSectorRecord(24, &s), 0);
  EXPECT_EQ(s.header, 0x42000019u);
  EXPECT_EQ(s.erase_count, 1u);
}

TEST_F(StoreTest, FilesRoundTripAcrossSizesAndWriteChunks) {
  struct Case {
    const char* name;
    uint32_t size;
    int chunk;
  } cases[] = {{"A.g1m", 1, 1},        {"B.g1m", 17, 3},        {"C.g1e", 4096, 4096},
               {"D.g1m", 65536, 1000}, {"E.txt", 150001, 7777}, {"F.g1m", 0, 1},
               {"G.g1a", 9000, 9000},  {"H.g1m", 65535, 65535}};
  FileModel model;
  for (const Case& c : cases) {
    Bytes data = Pattern(c.size, c.size);
    ASSERT_EQ(WriteFile(FlashPath(c.name), data, c.chunk), 0) << c.name;
    model[FlashPath(c.name)] = data;
  }
  EXPECT_EQ(VerifyStore(rig, model), "");
  ASSERT_EQ(rig.Restart(), 0);
  EXPECT_EQ(VerifyStore(rig, model), "");
}

// Where fragments go: after the last one rounded to 16, add-ins on 8 KB
// boundaries, kinds 4 and 5 inside one sector, the notebook work file in
// two whole sectors.
TEST_F(StoreTest, FragmentPlacementRules) {
  auto frags = [](const std::string& name) {
    FsPath p;
    FsParsePath(FlashPath(name).c_str(), &p);
    int slot = SmOpen(p, 0);
    std::vector<std::pair<uint32_t, uint32_t>> out;  // address, length
    if (slot < 0) return out;
    const FsOpenFile& f = Fs().files[slot];
    for (int i = 0; i < f.fragments; ++i) out.emplace_back(f.frag_address[i], f.frag_length[i]);
    SmClose(slot);
    return out;
  };
  ASSERT_EQ(WriteFile(FlashPath("A.g1m"), Pattern(100, 1)), 0);
  ASSERT_EQ(WriteFile(FlashPath("B.g1m"), Pattern(10, 2)), 0);
  auto a = frags("A.g1m"), b = frags("B.g1m");
  ASSERT_EQ(a.size(), 1u);
  ASSERT_EQ(b.size(), 1u);
  EXPECT_EQ(a[0].first % kSectorSize, 0u);
  EXPECT_EQ(b[0].first, a[0].first + 112);  // 100 rounded up to 16

  ASSERT_EQ(WriteFile(FlashPath("C.g1a"), Pattern(20000, 3)), 0);
  auto c = frags("C.g1a");
  EXPECT_EQ((c[0].first - kFlashBase) % 8192, 0u);
  EXPECT_EQ(c[0].first - b[0].first, 8192u - 112);

  // 60,000 bytes of a .g1l do not fit behind C: a new sector, one fragment.
  ASSERT_EQ(WriteFile(FlashPath("D.g1l"), Pattern(60000, 4)), 0);
  auto d = frags("D.g1l");
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].first % kSectorSize, kFlashBase % kSectorSize);
  EXPECT_EQ(FsCreate(FlashPath("E.g1n").c_str(), kEntryFile, 65536), kFsDirectoryFull);

  // A plain file continues in the current sector and spills into a new one.
  ASSERT_EQ(WriteFile(FlashPath("F.g1m"), Pattern(10000, 5)), 0);
  auto f = frags("F.g1m");
  ASSERT_EQ(f.size(), 2u);
  EXPECT_EQ(f[0].first, d[0].first + 60000);
  EXPECT_EQ(f[0].second + f[1].second, 10000u);

  EXPECT_EQ(FsCreate(FlashPath("NOTEWORK.tmp").c_str(), kEntryFile, 1000), kFsWrongType);
  ASSERT_EQ(WriteFile(FlashPath("NOTEWORK.tmp"), Pattern(0x20000, 6)), 0);
  auto w = frags("NOTEWORK.tmp");
  ASSERT_EQ(w.size(), 2u);
  for (auto& [addr, len] : w) {
    EXPECT_EQ((addr - kFlashBase) % kSectorSize, 0u);
    EXPECT_EQ(len, kSectorSize);
  }
}

TEST_F(StoreTest, FreeSpaceShrinksByWhatFilesTakeAndKindsDiffer) {
  ASSERT_EQ(WriteFile(FlashPath("A.g1m"), Pattern(1000, 1)), 0);
  // 23 free sectors besides the spare and the current data sector's rest.
  int free_now = FsFreeSpace(kFlashDevice.c_str());
  EXPECT_EQ(free_now, 22 * 65536 + (65535 - 1008));
  EXPECT_EQ(SmFreeSpace(4), 22 * 65536);
  EXPECT_EQ(SmFreeSpace(kKindNotebookWork), 0x20000);
  EXPECT_EQ(SmFreeSpace(kKindAddIn), 22 * 65536 + (65535 - 8192));
  EXPECT_EQ(FsHasSpace(FlashPath("X.g1m").c_str(), uint32_t(free_now)), 0);
  EXPECT_EQ(FsHasSpace(FlashPath("X.g1m").c_str(), uint32_t(free_now) + 1), kFsNoSpace);
  // Filling up: the create that does not fit fails and leaves nothing behind.
  for (int i = 0; i < 22; ++i)
    ASSERT_EQ(WriteFile(FlashPath("B" + std::to_string(i)), Pattern(65536, i)), 0);
  EXPECT_EQ(FsCreate(FlashPath("BIG").c_str(), kEntryFile, 70000), kFsNoSpace);
  EXPECT_EQ(SmCheck(false), 0);
}

TEST_F(StoreTest, OpenFileAndSearchSlotsRunOut) {
  ASSERT_EQ(WriteFile(FlashPath("A.g1m"), Pattern(10, 1)), 0);
  std::vector<int> handles;
  for (int i = 0; i < kOpenSlots; ++i) {
    int h = FsOpen(FlashPath("A.g1m").c_str(), kOpenRead);
    ASSERT_GE(h, 0);
    EXPECT_EQ(HandleDevice(h), kDevFlash);
    handles.push_back(h);
  }
  EXPECT_EQ(FsOpen(FlashPath("A.g1m").c_str(), kOpenRead), kFsTooManyOpen);
  EXPECT_EQ(FsDelete(FlashPath("A.g1m").c_str()), kFsTooManyOpen);
  for (int h : handles) EXPECT_EQ(FsClose(h), 0);
  EXPECT_EQ(FsClose(handles[0]), kFsBadArgument);

  int sh[kSearchSlots];
  char16_t name[13];
  FsFindInfo info;
  for (int i = 0; i < kSearchSlots; ++i)
    ASSERT_EQ(FsFindFirst(FlashPath("*.*").c_str(), &sh[i], name, &info), 0);
  int extra;
  EXPECT_EQ(FsFindFirst(FlashPath("*.*").c_str(), &extra, name, &info), kFsNoSearchSlot);
  EXPECT_EQ(FsFindClose(sh[2]), 0);
  EXPECT_EQ(FsFindFirst(FlashPath("*.*").c_str(), &extra, name, &info), 0);
  EXPECT_EQ(info.size, 10u);
  EXPECT_EQ(info.kind, 6);
}

TEST_F(StoreTest, HandleOperationsRejectBadHandlesAndPositions) {
  ASSERT_EQ(WriteFile(FlashPath("A.g1m"), Pattern(100, 1)), 0);
  int h = FsOpen(FlashPath("A.g1m").c_str(), kOpenRead);
  ASSERT_GE(h, 0);
  uint8_t buf[200];
  EXPECT_EQ(FsSeek(h, -1), kFsBadPosition);
  EXPECT_EQ(FsSeek(h, 101), kFsBadPosition);
  EXPECT_EQ(FsSeek(h, 90), 90);
  EXPECT_EQ(FsRead(h, buf, 50, -1), 10);  // only what is left
  EXPECT_EQ(FsRead(h, buf, 50, -1), 0);
  EXPECT_EQ(FsWrite(h, buf, 0), 0);
  EXPECT_EQ(FsWrite(h, buf, 1), kFsBadArgument);  // nothing left to write
  EXPECT_EQ(FsSize(h), 100);
  int other_device = (h & 0xFFFFFF) | (2 << 24);
  EXPECT_EQ(FsSize(other_device), kFsBadDevice);
  EXPECT_EQ(FsRead(MakeHandle(kDevFlash, 7), buf, 1, 0), kFsBadArgument);
  EXPECT_EQ(FsClose(h), 0);
}

TEST_F(StoreTest, CreateRefusals) {
  struct Case {
    const char* path;
    int kind;
    uint32_t size;
    int expect;
  } cases[] = {
      {"\\\\fls0\\HAS SPACE", 1, 10, kFsPathNotFound},
      {"\\\\fls0\\NOFOLDER\\A.g1m", 1, 10, kFsPathNotFound},
      {"\\\\fls0\\ABCDEFGHIJKLM", 1, 10, kFsPathNotFound},
      {"\\\\fls0\\TOOLONGDIR", 5, 0, kFsPathNotFound},
      {"\\\\crd0\\A.g1m", 1, 10, kFsBadDevice},
      {"\\\\fls0\\A.g1m", 3, 10, kFsBadArgument},
      {"\\\\fls0\\BIG.g1m", 1, 0x190000, kFsNoSpace},
      {"\\\\fls0\\L.g1l", 1, 65536, kFsDirectoryFull},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FsCreate(U(c.path).c_str(), c.kind, c.size), c.expect) << c.path;
  ASSERT_EQ(FsCreate(U("\\\\fls0\\A.g1m").c_str(), 1, 10), 0);
  EXPECT_EQ(FsCreate(U("\\\\fls0\\a.G1M").c_str(), 1, 10), kFsExists);
  EXPECT_EQ(Fs().record_count, 27);
}

TEST_F(StoreTest, FoldersHoldFilesAndKindsFollowTheFolder) {
  ASSERT_EQ(FsCreate(FlashPath("SUB").c_str(), kEntryFolder, 0), 0);
  EXPECT_EQ(FsCreate(FlashPath("SUB").c_str(), kEntryFolder, 0), kFsExists);
  ASSERT_EQ(WriteFile(FlashPath("SUB\\P.g1a"), Pattern(50, 1)), 0);
  ASSERT_EQ(WriteFile(FlashPath("Q.g1m"), Pattern(50, 2)), 0);
  EXPECT_EQ(ListFolder("SUB"), std::vector<std::u16string>{U("P.g1a")});
  EXPECT_EQ(ListFolder(""), (std::vector<std::u16string>{U("SUB"), U("Q.g1m")}));
  EXPECT_EQ(FsDelete(FlashPath("SUB").c_str()), kFsAccessDenied);  // not empty
  ASSERT_EQ(FsDelete(FlashPath("SUB\\P.g1a").c_str()), 0);
  EXPECT_EQ(FsDelete(FlashPath("SUB").c_str()), 0);
  EXPECT_EQ(FsDelete(FlashPath("SUB").c_str()), kFsNotFound);
}

TEST_F(StoreTest, RenameKeepsContentsAndChecksItsArguments) {
  Bytes data = Pattern(3000, 9);
  ASSERT_EQ(WriteFile(FlashPath("OLD.g1m"), data), 0);
  ASSERT_EQ(WriteFile(FlashPath("TAKEN.g1m"), Pattern(5, 1)), 0);
  ASSERT_EQ(FsCreate(FlashPath("DIR").c_str(), kEntryFolder, 0), 0);
  EXPECT_EQ(FsRename(FlashPath("NONE.g1m").c_str(), U("X").c_str()), kFsNotFound);
  EXPECT_EQ(FsRename(FlashPath("OLD.g1m").c_str(), U("TAKEN.g1m").c_str()), kFsExists);
  EXPECT_EQ(FsRename(FlashPath("OLD.g1m").c_str(), FlashPath("DIR\\NEW.g1m").c_str()),
            kFsPathNotFound);
  int h = FsOpen(FlashPath("OLD.g1m").c_str(), kOpenRead);
  EXPECT_EQ(FsRename(FlashPath("OLD.g1m").c_str(), U("NEW.g1m").c_str()), kFsTooManyOpen);
  FsClose(h);
  EXPECT_EQ(FsRename(U("Z:\\tmp\\a").c_str(), U("b").c_str()), kFsBadDevice);
  ASSERT_EQ(FsRename(FlashPath("OLD.g1m").c_str(), U("NEW.g1m").c_str()), 0);
  Bytes got;
  EXPECT_EQ(ReadFile(FlashPath("OLD.g1m"), &got), kFsNotFound);
  ASSERT_EQ(ReadFile(FlashPath("NEW.g1m"), &got), 0);
  EXPECT_EQ(got, data);
  ASSERT_EQ(FsRename(FlashPath("DIR").c_str(), U("DIR2").c_str()), 0);
  EXPECT_EQ(SmCheck(false), 0);
}

TEST_F(StoreTest, ReservedButUnclosedFilesAreRemovedByTheCheck) {
  ASSERT_EQ(WriteFile(FlashPath("KEEP.g1m"), Pattern(700, 1)), 0);
  ASSERT_EQ(FsCreate(FlashPath("HALF.g1m").c_str(), kEntryFile, 5000), 0);
  int h = FsOpen(FlashPath("HALF.g1m").c_str(), kOpenWrite);
  Bytes part = Pattern(100, 2);
  ASSERT_EQ(FsWrite(h, part.data(), 100), 100);
  // The machine goes off without closing.
  EXPECT_EQ(SmCheck(false), 1);
  StorageStartupReport report;
  ASSERT_EQ(rig.Restart(&report), 0);
  EXPECT_EQ(report.repaired, 1);
  Bytes got;
  EXPECT_EQ(ReadFile(FlashPath("HALF.g1m"), &got), kFsNotFound);
  EXPECT_EQ(VerifyStore(rig, {{FlashPath("KEEP.g1m"), Pattern(700, 1)}}), "");
}

TEST_F(StoreTest, WritingTwiceGivesWhatFlashGives) {
  ASSERT_EQ(FsCreate(FlashPath("A").c_str(), kEntryFile, 4), 0);
  int h = FsOpen(FlashPath("A").c_str(), kOpenWrite);
  uint8_t first[4] = {0xF0, 0x0F, 0xFF, 0x33}, second[4] = {0x3C, 0xFF, 0x00, 0xFF};
  ASSERT_EQ(FsWrite(h, first, 4), 4);
  ASSERT_EQ(FsSeek(h, 1), 1);  // odd position: padded with the byte before
  ASSERT_EQ(FsWrite(h, second + 1, 3), 3);
  Bytes got(4);
  ASSERT_EQ(FsRead(h, got.data(), 4, 0), 4);
  EXPECT_EQ(got, (Bytes{0xF0, 0x0F, 0x00, 0x33}));
  FsClose(h);
}

// 2,047 records fill the first directory sector; the next entry brings the
// second, and 4,094 records are the end.
TEST_F(StoreTest, DirectoryGrowsToTwoSectorsAndNoFurther) {
  int n = 0;
  while (Fs().record_count < kRecordsPerDirSector)
    ASSERT_EQ(FsCreate(FlashPath("E" + std::to_string(n++)).c_str(), kEntryFile, 0), 0);
  EXPECT_EQ(RecDir2Base(), 0u);
  ASSERT_EQ(FsCreate(FlashPath("E" + std::to_string(n++)).c_str(), kEntryFile, 16), 0);
  uint32_t dir2 = RecDir2Base();
  ASSERT_NE(dir2, 0u);
  while (Fs().record_count < kMaxRecords)
    ASSERT_EQ(FsCreate(FlashPath("E" + std::to_string(n++)).c_str(), kEntryFile, 0), 0);
  EXPECT_EQ(FsCreate(FlashPath("LAST").c_str(), kEntryFile, 0), kFsDirectoryFull);
  ASSERT_EQ(rig.Restart(), 0);
  EXPECT_EQ(RecDir2Base(), dir2);
  EXPECT_EQ(Fs().record_count, kMaxRecords);
  EXPECT_EQ(RecordAddress(kRecordsPerDirSector - 1), kFlashBase + 2046 * 32);
  EXPECT_EQ(RecordAddress(kMaxRecords - 1), dir2 + 2046 * 32);
  EXPECT_EQ(RecordAddress(kMaxRecords), kFsBadArgument);
  EXPECT_EQ(RecordAddress(-1), kFsBadArgument);
  EXPECT_EQ(ListFolder("", "E4000").size(), 1u);
}

}  // namespace
