// The complemented file header: its bytes, the checks of a reader that
// stays at the start of the file, and the notebook file's extra rules. (The
// import's refusals check each field of a data file's header.)
#include <cstring>

#include "g1m_test_support.h"
#include "memory/fs_api.h"

namespace {

using G1mHeaderTest = G1mTest;

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

TEST_F(G1mHeaderTest, CheckHeaderOfFiles) {
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

TEST_F(G1mHeaderTest, NotebookChecks) {
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
