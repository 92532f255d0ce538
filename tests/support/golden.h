// Golden screens: a 128 x 64 plane (1 = dark, bit 7 = leftmost dot) kept as
// text art, 64 lines of '#' (dark) and '.' (light), so a diff shows the
// picture. VK_UPDATE_GOLDEN=1 rewrites the file instead of comparing; render
// it with tools/golden2png.sh and look at it before checking it in.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace golden {

inline std::string PlaneToText(const uint8_t* plane, int width = 128, int height = 64) {
  std::string out;
  int rowBytes = (width + 7) / 8;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      out += (plane[y * rowBytes + x / 8] & (0x80 >> (x % 8))) ? '#' : '.';
    out += '\n';
  }
  return out;
}

// `relative` is below the repository root, e.g. "tests/os/golden/shapes.txt".
inline ::testing::AssertionResult MatchesGolden(const uint8_t* plane, const std::string& relative,
                                                int width = 128, int height = 64) {
  std::string path = std::string(VK_SOURCE_DIR) + "/" + relative;
  std::string actual = PlaneToText(plane, width, height);
  const char* update = std::getenv("VK_UPDATE_GOLDEN");
  if (update && *update == '1') {
    std::ofstream(path, std::ios::binary) << actual;
    return ::testing::AssertionSuccess() << "rewrote " << path;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return ::testing::AssertionFailure() << "missing golden " << path;
  std::stringstream expected;
  expected << in.rdbuf();
  if (expected.str() == actual) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "screen differs from " << path << "\nactual:\n" << actual;
}

}  // namespace golden
