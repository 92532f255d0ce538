// Paths, devices, kinds from names, search patterns and the PC path mapping.
#include "memory/fs_path.h"

#include <gtest/gtest.h>

#include "fs_test_support.h"
#include "memory/fs_error.h"

namespace {

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
