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

// Writes the bytes to a file; false when it cannot be written.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
