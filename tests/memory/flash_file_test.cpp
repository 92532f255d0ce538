// Paths and patterns; the image file on the host: where it lives, how it is
// created and found again; the files of the PC reached through "Z:\" paths.
#include "memory/flash_file.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "fs_test_support.h"
#include "memory/fs_error.h"
#include "memory/fs_path.h"
#include "memory/fs_store.h"

namespace {

// A private TMPDIR for each test, removed with everything in it.
class HostDir : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("TMPDIR");
    saved_tmpdir = old ? std::optional<std::string>(old) : std::nullopt;
    setenv("TMPDIR", dir.c_str(), 1);
    unsetenv(kFlashEnvVar);
  }
  void TearDown() override {
    FlashImageClose();
    saved_tmpdir ? setenv("TMPDIR", saved_tmpdir->c_str(), 1) : unsetenv("TMPDIR");
  }
  std::u16string Pc(const std::string& name) { return folder.PcFile(name); }
  PcFolder folder;
  std::string dir = folder.Dir();
  std::optional<std::string> saved_tmpdir;
};

TEST_F(HostDir, ImagePathRules) {
  std::string path;
  bool priv;
  ASSERT_EQ(FlashResolveImagePath("/x/explicit.fls", &path, &priv), 0);
  EXPECT_EQ(path, "/x/explicit.fls");
  EXPECT_FALSE(priv);
  setenv(kFlashEnvVar, "/x/env.fls", 1);
  ASSERT_EQ(FlashResolveImagePath(nullptr, &path, &priv), 0);
  EXPECT_EQ(path, "/x/env.fls");
  ASSERT_EQ(FlashResolveImagePath("/x/wins.fls", &path, &priv), 0);
  EXPECT_EQ(path, "/x/wins.fls");
  unsetenv(kFlashEnvVar);

  std::string folder = dir + "/vk2280-" + std::to_string(getuid());
  ASSERT_EQ(FlashResolveImagePath("", &path, &priv), 0);
  EXPECT_TRUE(priv);
  EXPECT_EQ(path, folder + "/qm417.fls");
  struct stat st;
  ASSERT_EQ(lstat(folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  // Too open a folder is closed again.
  chmod(folder.c_str(), 0755);
  ASSERT_EQ(FlashResolveImagePath("", &path, &priv), 0);
  ASSERT_EQ(lstat(folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  // A link planted in place of the folder is refused.
  rmdir(folder.c_str());
  std::string elsewhere = dir + "/elsewhere";
  mkdir(elsewhere.c_str(), 0700);
  ASSERT_EQ(symlink(elsewhere.c_str(), folder.c_str()), 0);
  EXPECT_EQ(FlashResolveImagePath("", &path, &priv), kFsAccessDenied);
}

TEST_F(HostDir, NewImageIsCreatedFormattedAndKeepsFilesAcrossRuns) {
  std::string used;
  ASSERT_EQ(StorageOpenImage(nullptr, &used), 0);
  struct stat st;
  ASSERT_EQ(stat(used.c_str(), &st), 0);
  EXPECT_EQ(st.st_size, off_t(kFlashImageSize));
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(Fs().record_count, 25);
  EXPECT_EQ(FsFreeSpace(U("\\\\fls0\\").c_str()), 0x180000);
  Bytes data = Pattern(100000, 5);
  ASSERT_EQ(WriteFile(FlashPath("KEEP.g1m"), data), 0);
  FlashImageClose();

  ASSERT_EQ(StorageOpenImage(nullptr, nullptr), 0);
  ASSERT_EQ(StorageStartup(nullptr, nullptr), 0);
  Bytes got;
  ASSERT_EQ(ReadFile(FlashPath("KEEP.g1m"), &got), 0);
  EXPECT_EQ(got, data);
}

// A second calculator on the same image would lose files: it is refused
// while the first holds the image, and served once it has let go.
TEST_F(HostDir, ImageHeldByAnotherCalculatorIsRefused) {
  std::string used;
  ASSERT_EQ(StorageOpenImage(nullptr, &used), 0);
  FlashImageClose();
  int other = open(used.c_str(), O_RDWR);
  ASSERT_GE(other, 0);
  ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(StorageOpenImage(nullptr, nullptr), kFsImageInUse);
  close(other);
  EXPECT_EQ(StorageOpenImage(nullptr, nullptr), 0);
}

// A new image that the disk cannot hold is refused at once and leaves
// nothing behind (a file size limit stands in for a full disk).
TEST_F(HostDir, NewImageWithoutRoomLeavesNoFile) {
  const std::string path = dir + "/small.fls";
  struct rlimit old;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  struct rlimit small = old;
  small.rlim_cur = 64 * 1024;
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const int rc = StorageOpenImage(path.c_str(), nullptr);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(rc, kFsNoSpace);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(HostDir, LinkInPlaceOfTheImageIsRefused) {
  std::string folder = dir + "/vk2280-" + std::to_string(getuid());
  mkdir(folder.c_str(), 0700);
  std::string target = dir + "/victim";
  std::ofstream(target) << "precious";
  ASSERT_EQ(symlink(target.c_str(), (folder + "/qm417.fls").c_str()), 0);
  EXPECT_EQ(StorageOpenImage(nullptr, nullptr), kFsAccessDenied);
  std::ifstream in(target);
  std::string text;
  in >> text;
  EXPECT_EQ(text, "precious");
}

TEST_F(HostDir, ShortOrDamagedImageIsFormattedAtStartUp) {
  std::string path = dir + "/short.fls";
  std::ofstream(path) << "not an image";
  ASSERT_EQ(StorageOpenImage(path.c_str(), nullptr), 0);
  StorageStartupReport report;
  ASSERT_EQ(StorageStartup(nullptr, &report), 0);
  EXPECT_TRUE(report.formatted);
  EXPECT_EQ(Fs().record_count, 25);
}

TEST_F(HostDir, ScratchImageLeavesNothingBehind) {
  ASSERT_EQ(StorageOpenScratchImage(), 0);
  EXPECT_EQ(Fs().record_count, 25);
  Bytes data = Pattern(3000, 1);
  ASSERT_EQ(WriteFile(FlashPath("T.g1m"), data), 0);
  Bytes got;
  ASSERT_EQ(ReadFile(FlashPath("T.g1m"), &got), 0);
  EXPECT_EQ(got, data);
  EXPECT_TRUE(std::filesystem::is_empty(dir));
}

TEST_F(HostDir, PcFilesThroughTheSameInterface) {
  std::u16string file = Pc("a.g1m");
  ASSERT_EQ(FsCreate(file.c_str(), kEntryFile, 0), 0);
  EXPECT_EQ(FsCreate(file.c_str(), kEntryFile, 0), kFsExists);
  int h = FsOpen(file.c_str(), kOpenReadWrite);
  ASSERT_GE(h, 0);
  EXPECT_EQ(HandleDevice(h), kDevPc);
  const char text[] = "hello, calculator";
  EXPECT_EQ(FsWrite(h, text, 17), 17);
  EXPECT_EQ(FsSize(h), 17);
  char buf[32] = {};
  EXPECT_EQ(FsRead(h, buf, 5, 7), 5);
  EXPECT_EQ(std::string(buf, 5), "calcu");
  EXPECT_EQ(FsRead(h, buf, 3, -1), 3);  // on from where it stands
  EXPECT_EQ(std::string(buf, 3), "lat");
  EXPECT_EQ(FsSeek(h, -1), kFsBadPosition);
  EXPECT_EQ(FsClose(h), 0);
  EXPECT_EQ(FsClose(h), kFsBadArgument);
  int r = FsOpen(file.c_str(), kOpenRead);
  EXPECT_LT(FsWrite(r, text, 1), 0);  // read-only
  FsClose(r);
  EXPECT_EQ(FsRename(file.c_str(), u"b.g1m"), kFsBadDevice);
  EXPECT_EQ(FsFreeSpace(Pc("").c_str()), 0x10000000);
  EXPECT_EQ(FsHasSpace(file.c_str(), 1), 0);
  EXPECT_EQ(FsDelete(file.c_str()), 0);
  EXPECT_EQ(FsOpen(file.c_str(), kOpenRead), kFsNotFound);
  EXPECT_EQ(FsDelete(file.c_str()), kFsNotFound);
  EXPECT_EQ(FsCreate(Pc("sub").c_str(), kEntryFolder, 0), 0);
  EXPECT_EQ(FsCreate(Pc("sub").c_str(), kEntryFolder, 0), kFsExists);
  EXPECT_EQ(FsCreate(Pc("no/such/sub").c_str(), kEntryFolder, 0), kFsPathNotFound);
  EXPECT_EQ(FsCreate(Pc("no/such/file").c_str(), kEntryFile, 0), kFsPathNotFound);  // as a folder
  EXPECT_EQ(FsOpen(U("D:\\x").c_str(), kOpenRead), kFsPathNotFound);
  EXPECT_EQ(FsSize(MakeHandle(kDevCard, 3)), kFsBadDevice);
}

TEST(PcErrors, HostErrorNumbersMapToStorageCodes) {
  struct Case {
    int host, file, folder;
  } cases[] = {{ENOENT, kFsNotFound, kFsPathNotFound},     {EBADF, kFsBadArgument, kFsImageFailed},
               {EACCES, kFsAccessDenied, kFsAccessDenied}, {EEXIST, kFsExists, kFsExists},
               {EINVAL, kFsBadPosition, kFsBadArgument},   {EMFILE, kFsTooManyOpen, kFsTooManyOpen},
               {ENOSPC, kFsNoSpace, kFsImageFailed},       {EIO, kFsImageFailed, kFsImageFailed}};
  for (const Case& c : cases) {
    EXPECT_EQ(PcErrorCode(c.host), c.file) << c.host;
    EXPECT_EQ(PcFolderErrorCode(c.host), c.folder) << c.host;
  }
}

TEST(FsPath, ParsesDevicesFoldersAndNames) {
  struct Case {
    const char* path;
    int rc, device;
    const char* folder;
    const char* name;
  } cases[] = {
      {"\\\\fls0\\A.g1m", 0, kDevFlash, "", "A.g1m"},
      {"\\\\FLS0\\DIR\\ABCDEFGH.g1m", 0, kDevFlash, "DIR", "ABCDEFGH.g1m"},
      {"\\\\fls0\\", 0, kDevFlash, "", ""},
      {"\\\\fls0", 0, kDevFlash, "", ""},
      {"\\\\fls0\\ABCDEFGHI\\A", kFsPathNotFound, kDevFlash, "", ""},   // folder of 9
      {"\\\\fls0\\ABCDEFGHIJKLM", kFsPathNotFound, kDevFlash, "", ""},  // name of 13
      {"\\\\fls0\\A\\B\\C", kFsPathNotFound, kDevFlash, "", ""},
      {"\\\\fls0\\\\A", kFsPathNotFound, kDevFlash, "", ""},
      {"\\\\crd0\\A.g1m", kFsBadDevice, kDevCard, "", ""},
      {"\\\\usb0\\A.g1m", kFsBadDevice, 0, "", ""},
      {"Z:\\tmp\\x.g1m", 0, kDevPc, "", ""},
      {"C:\\x.g1m", kFsPathNotFound, kDevPc, "", ""},  // only Z: maps to the host
      {"A.g1m", kFsPathNotFound, 0, "", ""},
      {"ab", kFsBadArgument, 0, "", ""},
  };
  for (const Case& c : cases) {
    FsPath p;
    std::u16string path = U(c.path);
    EXPECT_EQ(FsParsePath(path.c_str(), &p), c.rc) << c.path;
    EXPECT_EQ(p.device, c.device) << c.path;
    if (c.rc == 0 && c.device == kDevFlash) {
      EXPECT_EQ(std::u16string(p.folder), U(c.folder)) << c.path;
      EXPECT_EQ(std::u16string(p.name), U(c.name)) << c.path;
    }
  }
}

TEST(FsPath, KindsComeFromTheExtension) {
  struct Case {
    const char* name;
    bool root;
    int kind;
  } cases[] = {{"X.g1a", true, 2},         {"X.G1A", true, 2},  {"X.g1a", false, 1},
               {"X.g1e", false, 3},        {"X.g1l", true, 4},  {"X.g1l", false, 1},
               {"X.g1n", true, 5},         {"X.g1m", false, 6}, {"NOTEWORK.tmp", true, 7},
               {"NOTEWORK.tmp", false, 1}, {".", true, 8},      {"..", false, 9},
               {"X.g2m", true, 1},         {"X.g1mm", true, 1}, {"g1m", true, 1}};
  for (const Case& c : cases) {
    std::u16string n = U(c.name);
    EXPECT_EQ(FileKindOf(n.data(), int(n.size()), c.root), c.kind) << c.name;
  }
}

TEST(FsPath, PatternRules) {
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  } cases[] = {
      {"*.*", "A.g1m", true},       {"*.g1m", "PROG.G1M", true},
      {"*", "A.g1m", false},        {"*", "NOEXT", true},
      {"?.g1m", "AB.g1m", false},   {"??.g1m", "AB.g1m", true},
      {"A*", "ABC", true},          {"*C", "ABC", true},
      {"A*.g1m", "AXY.g1e", false}, {"abc  ", "ABC", true},
      {"*.*", "NOEXT", true},       {"A*B.*", "AXXB.x", true},
      {"A*B.*", "AXXC.x", false},   {"", "", true},
      {"xyz.g1m", "XYZ.G1M", true},
  };
  for (const Case& c : cases) {
    std::u16string p = U(c.pattern), n = U(c.name);
    EXPECT_EQ(FsPatternMatch(p.data(), int(p.size()), n.data(), int(n.size())), c.match)
        << c.pattern << " vs " << c.name;
  }
}

TEST(FsPath, PcPathsMapToTheHostAndBack) {
  std::string host;
  ASSERT_EQ(PcPathToHost(U("Z:\\home\\me\\A.g1m").c_str(), &host), 0);
  EXPECT_EQ(host, "/home/me/A.g1m");
  std::u16string pc;
  ASSERT_EQ(HostPathToPc("/home/me/A.g1m", &pc), 0);
  EXPECT_EQ(pc, U("Z:\\home\\me\\A.g1m"));
  // Non-ASCII survives the trip through UTF-16.
  ASSERT_EQ(HostPathToPc("/tmp/\xC3\xA9t\xC3\xA9/\xF0\x9F\x98\x80", &pc), 0);
  ASSERT_EQ(PcPathToHost(pc.c_str(), &host), 0);
  EXPECT_EQ(host, "/tmp/\xC3\xA9t\xC3\xA9/\xF0\x9F\x98\x80");
  EXPECT_EQ(HostPathToPc("relative/a", &pc), kFsBadArgument);
  EXPECT_EQ(HostPathToPc("/a\\b", &pc), kFsBadArgument);
  EXPECT_EQ(HostPathToPc("/bad\xC3", &pc), kFsBadArgument);
  EXPECT_EQ(PcPathToHost(U("D:\\x").c_str(), &host), kFsPathNotFound);
  EXPECT_EQ(PcPathToHost(U("Z:\\a/b").c_str(), &host), kFsPathNotFound);
}

}  // namespace
