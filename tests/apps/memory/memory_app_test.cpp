// The memory manager driven by keys: what each screen does to main memory,
// storage memory and PC files, and the boxes it shows on the way.
#include "apps/memory/memory_app.h"

#include <algorithm>
#include <cstring>

#include "apps/memory/memory_ui.h"
#include "g1m_test_support.h"
#include "host/test_front_end.h"
#include "memory/fs_api.h"
#include "memory/mcs_core.h"
#include "memory/mem_app.h"
#include "os/getkey.h"
#include "os/keys_fixture.h"
#include "os/setup.h"

namespace {

using Bytes8 = std::vector<uint8_t>;

class MemoryAppTest : public KeysTest, public PcFolder {
 protected:
  void SetUp() override {
    KeysTest::SetUp();
    FreshMemory();
    rig.Format();
    MemoryRegisterRecords();
    HostSetFrontEnd(&frontEnd);
    // Every screen the OS waits on is kept, so tests can tell what was shown.
    OsHooks hooks = HostOsHooks();
    hooks.beforeWait = [] {
      Shown().emplace_back(VramAddress(), VramAddress() + kVramBytes);
      if (KeyQueueCount() == 0) throw NoKeysLeft{};
    };
    HostInstallOsHooks(hooks);
    Shown().clear();
  }
  void TearDown() override {
    HostSetFrontEnd(nullptr);
    G1mSetSetupRecord(nullptr);
    KeysTest::TearDown();
  }

  static std::vector<Bytes8>& Shown() {
    static std::vector<Bytes8> shown;
    return shown;
  }

  // Whether some screen showed `text` printed from column 1 of `line`
  // (dots x0..x1 compared, so that a pop-up's frame does not count).
  static bool WasShown(const std::string& text, int line, int x0 = 12, int x1 = 113) {
    const Bytes8 keep(VramAddress(), VramAddress() + kVramBytes);
    ClearVram();
    Locate(1, line);
    Print(text.c_str());
    const Bytes8 want(VramAddress(), VramAddress() + kVramBytes);
    std::memcpy(VramAddress(), keep.data(), kVramBytes);
    auto dot = [](const Bytes8& v, int x, int y) { return (v[y * 16 + x / 8] >> (7 - x % 8)) & 1; };
    for (const Bytes8& screen : Shown()) {
      bool same = true;
      for (int y = (line - 1) * 8; y < line * 8 && same; ++y)
        for (int x = x0; x <= x1 && same; ++x) same = dot(screen, x, y) == dot(want, x, y);
      if (same) return true;
    }
    return false;
  }
  static std::string Pop(const std::string& text) { return std::string(kPopUpIndent) + text; }

  // Runs a screen with the keys given; it must use them all and then leave.
  template <typename F>
  void Run(std::initializer_list<const char*> keys, F screen) {
    Press(keys);
    EXPECT_FALSE(RanOutOfKeys(screen)) << "the screen wanted more keys";
    EXPECT_EQ(KeyQueueCount(), 0) << "keys left over";
  }

  FlashRig rig;
  RecordingFrontEnd frontEnd;
};

const Bytes8 kProgram = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x22, 'H', 'I', 0x22, 0, 0};

bool StorageHas(const std::string& name) {
  const int h = FsOpen(FlashPath(name).c_str(), kOpenRead);
  if (h >= 0) FsClose(h);
  return h >= 0;
}

TEST_F(MemoryAppTest, BackupSaveThenLoadRestoresMemory) {
  ASSERT_EQ(PutItem("system", "HELLO", 1, kProgram), 0u);
  const Bytes8 before = MemorySnapshot();
  Run({"F1", "ESC", "ESC"}, MemoryBackupScreen);
  EXPECT_TRUE(StorageHas("BACKUP.g1m"));
  EXPECT_TRUE(WasShown(Pop("Backup Complete!"), 3));

  MemStartUp();
  Shown().clear();
  Run({"F2", "ESC", "ESC"}, MemoryBackupScreen);
  EXPECT_TRUE(WasShown(Pop("Restore Complete!"), 3));
  EXPECT_EQ(ItemBytes("system", "HELLO"), kProgram);
  EXPECT_EQ(MemorySnapshot(), before);
}

TEST_F(MemoryAppTest, BackupLoadWithoutBackupSaysSo) {
  Run({"F2", "ESC", "ESC"}, MemoryBackupScreen);
  EXPECT_TRUE(WasShown(Pop("No Backup Data"), 3));
}

TEST_F(MemoryAppTest, BackupThatDoesNotFitIsStorageMemoryFull) {
  for (int i = 0; FsFreeSpace(u"\\\\fls0\\") > 70000; ++i)
    ASSERT_EQ(WriteFile(FlashPath("F" + std::to_string(i) + ".bin"), Bytes8(65536, 1)), 0);
  ASSERT_EQ(WriteFile(FlashPath("LAST.bin"), Bytes8(FsFreeSpace(u"\\\\fls0\\") - 64, 1)), 0);
  Run({"F1", "ESC", "ESC"}, MemoryBackupScreen);
  EXPECT_FALSE(StorageHas("BACKUP.g1m"));
  EXPECT_TRUE(WasShown(Pop(" Storage Memory"), 2)) << "the Storage Memory Full box";
}

TEST_F(MemoryAppTest, ImportFromPcCountsItemsAndNamesADamagedFile) {
  Bytes8 body;
  AppendGroupHeader(&body, "PROGRAM", 2);
  for (const char* name : {"A", "B"}) {
    AppendItemHeader(&body, "system", name, 1, 16);
    body.insert(body.end(), kProgram.begin(), kProgram.end());
  }
  WriteHost("two.g1m", DataFile(body, 2));
  Bytes8 damaged = DataFile(body, 2);
  damaged[14] ^= 1;
  WriteHost("broken.g1m", damaged);
  frontEnd.paths = {HostFile("broken.g1m"), HostFile("two.g1m")};
  // The existing A is asked about: F1 replaces it.
  ASSERT_EQ(PutItem("system", "A", 1, Bytes8(8, 0)), 0u);
  uint32_t imported = 0;
  Run({"ESC", "F1", "ESC"}, [&] { imported = MemoryImportFromPc(); });
  EXPECT_EQ(imported, 2u);
  EXPECT_EQ(ItemBytes("system", "A"), kProgram);
  EXPECT_EQ(ItemBytes("system", "B"), kProgram);
  EXPECT_TRUE(WasShown(Pop("broken.g1m"), 3)) << "the damaged file is named";
  EXPECT_TRUE(WasShown("Data Exists In Memory", 1, 0, 127));
  EXPECT_TRUE(WasShown(Pop("Items Imported:"), 3));
  EXPECT_TRUE(WasShown(Pop("2"), 4));
}

TEST_F(MemoryAppTest, MainMemoryDeletesTheGroupUnderTheCursor) {
  ASSERT_EQ(PutItem("system", "HELLO", 1, kProgram), 0u);
  ASSERT_EQ(PutItem("main", "MAT_A", 2, Bytes8(16, 0)), 0u);
  // Rows: ALPHA MEM, MATRIX, PROGRAM, SETUP. Delete MATRIX, answer yes.
  Run({"DOWN", "F2", "F1", "ESC"}, MemoryMainScreen);
  EXPECT_TRUE(ItemBytes("main", "MAT_A").empty());
  EXPECT_EQ(ItemBytes("system", "HELLO"), kProgram);
  // Declined: nothing goes.
  Run({"DOWN", "F2", "F6", "ESC"}, MemoryMainScreen);
  EXPECT_EQ(ItemBytes("system", "HELLO"), kProgram);
}

TEST_F(MemoryAppTest, MainMemorySendsGroupsToStorageAndToAPcFile) {
  ASSERT_EQ(PutItem("system", "HELLO", 1, kProgram), 0u);
  ASSERT_EQ(PutItem("main", "MAT_A", 2, Bytes8(16, 0)), 0u);
  // PROGRAM (third row) to storage memory.
  Run({"DOWN", "DOWN", "F3", "ESC", "ESC"}, MemoryMainScreen);
  EXPECT_TRUE(StorageHas("PROGRAM.g1m"));
  // MATRIX and PROGRAM marked, to one PC file named in the save dialog.
  frontEnd.paths = {HostFile("BOTH.g1e")};
  Run({"DOWN", "F1", "DOWN", "F1", "F4", "ESC", "ESC"}, MemoryMainScreen);
  const Bytes8 file = ReadHost("BOTH.g1m");
  ASSERT_FALSE(file.empty());
  MemStartUp();
  G1mImportReport report;
  ASSERT_EQ(ImportPath(PcFile("BOTH.g1m"), G1mExisting::kAsk, &report), 0);
  EXPECT_EQ(report.imported, 2u);
  EXPECT_EQ(ItemBytes("system", "HELLO"), kProgram);
}

TEST_F(MemoryAppTest, StorageScreenCopiesDeletesAndOptimises) {
  ASSERT_EQ(PutItem("system", "HELLO", 1, kProgram), 0u);
  G1mGroup group;
  G1mEnumerateGroup(MemGroup::kProgram, &group);
  ASSERT_EQ(G1mExportGroup(FlashPath("PROG.g1m").c_str(), group), 0);
  ASSERT_EQ(WriteFile(FlashPath("JUNK.bin"), Bytes8(5000, 7)), 0);
  McsDeleteItem("system", "HELLO");
  // Root listing in the order written: PROG.g1m, JUNK.bin. Copy PROG into
  // main memory, delete JUNK (yes), optimise.
  Run({"F3", "ESC", "DOWN", "F2", "F1", "F6", "ESC"}, MemoryStorageScreen);
  EXPECT_EQ(ItemBytes("system", "HELLO"), kProgram);
  EXPECT_FALSE(StorageHas("JUNK.bin"));
  EXPECT_TRUE(StorageHas("PROG.g1m"));
  EXPECT_TRUE(WasShown(Pop("Items Imported:"), 3));
}

TEST_F(MemoryAppTest, EntryReachesEveryScreen) {
  frontEnd.answer = false;  // the import's dialog is cancelled
  Run({"F1", "ESC", "F2", "ESC", "F3", "ESC", "F4", "ESC", "ESC"}, [] { MemoryAppEntry(1, 0); });
  EXPECT_TRUE(WasShown("F4:Import From PC", 6, 0, 127));
}

TEST_F(MemoryAppTest, DroppedFilesAreImportedOverWhateverScreenShows) {
  Bytes8 body;
  AppendGroupHeader(&body, "PROGRAM", 1);
  AppendItemHeader(&body, "system", "DROP", 1, 16);
  body.insert(body.end(), kProgram.begin(), kProgram.end());
  WriteHost("drop.g1m", DataFile(body, 1));
  SetFilesDroppedHandler(MemoryImportDropped);
  HostDropCalcFiles({HostFile("drop.g1m")});
  Run({"ESC", "ESC"}, MemoryBackupScreen);
  SetFilesDroppedHandler(nullptr);
  EXPECT_EQ(ItemBytes("system", "DROP"), kProgram);
  EXPECT_TRUE(WasShown(Pop("Items Imported:"), 3));
  ASSERT_EQ(Shown().size(), 3u);
  EXPECT_EQ(Shown().front(), Shown().back()) << "the screen comes back";
  // Without a handler the code does nothing and the files wait.
  HostDropCalcFiles({HostFile("drop.g1m")});
  McsDeleteItem("system", "DROP");
  Run({"ESC"}, MemoryBackupScreen);
  EXPECT_TRUE(ItemBytes("system", "DROP").empty());
  EXPECT_EQ(HostImportDroppedFiles([](const char*, void*) { return 1; }, nullptr), 1);
}

TEST_F(MemoryAppTest, CommandLinePiecesExportListAndImport) {
  ASSERT_EQ(PutItem("system", "HELLO", 1, kProgram), 0u);
  ASSERT_EQ(PutItem("system", "X\xE6\x47", 1, kProgram), 0u);  // a name with θ
  struct Case {
    const char* group;
    int expected;
  };
  for (const Case& c :
       {Case{"PROGRAM", 0}, Case{"NOSUCH", kMemoryUnknownGroup}, Case{"MATRIX", kG1mErrNothing}})
    EXPECT_EQ(MemoryExportToPc(c.group, HostFile("out.g1m").c_str()), c.expected) << c.group;

  const std::vector<std::string> listing = MemoryListing();
  for (const char* line : {"ALPHA MEM\t$GLOBAL\tALPHAMEM\t696", "PROGRAM\tsystem\tHELLO\t16",
                           "PROGRAM\tsystem\tXθ\t16", "SETUP\t$GLOBAL\tSETUP\t100"})
    EXPECT_NE(std::find(listing.begin(), listing.end(), line), listing.end()) << line;
  EXPECT_EQ(listing.size(), 4u);

  // Imported twice: the second time overwrites without a question.
  MemStartUp();
  EXPECT_FALSE(RanOutOfKeys([&] {
    EXPECT_EQ(MemoryImportFiles({HostFile("out.g1m"), HostFile("out.g1m")}, G1mExisting::kOverwrite,
                                false),
              4u);
  }));
  EXPECT_EQ(ItemBytes("system", "HELLO"), kProgram);
}

}  // namespace
