// Pictures of the calculator's screen as files: the 1086-byte monochrome
// bitmap of captures and checkpoints, and a PNG for the headless front end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline constexpr int kScreenBmpSize = 1086;

// `plane`: rows of (width + 7) / 8 bytes, bit 7 leftmost, 1 = dark.
std::vector<uint8_t> EncodeScreenBmp(const uint8_t* plane, int width, int height);
std::vector<uint8_t> EncodeScreenPng(const uint8_t* plane, int width, int height);

// The picture of a key-log checkpoint that did not match: 4 bits a dot,
// 128 x 64, from two screen bitmaps (their 62-byte headers skipped). Index 0
// dark in both, 11 light in both, 5 dark only in the recorded one, 8 dark
// only in the replayed one. Missing bytes of a short file count as light.
inline constexpr int kDifferenceBmpSize = 118 + 64 * 64;
std::vector<uint8_t> EncodeDifferenceBmp(const std::vector<uint8_t>& recorded,
                                         const std::vector<uint8_t>& replayed);
enum : uint8_t {
  kDiffDarkBoth = 0,
  kDiffRecordedOnly = 5,
  kDiffReplayedOnly = 8,
  kDiffLightBoth = 11
};

// The next automatic capture name in a folder: "Disp%05d.bmp" numbered one
// above the largest number among the folder's "Disp*.bmp" files (1 when
// there is none), so a gap is never refilled. An empty folder is the
// current directory.
std::string NextCaptureName(const std::string& folder);

// Writes the bytes to a file; false when it cannot be written.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
