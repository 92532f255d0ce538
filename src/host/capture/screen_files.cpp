#include "host/capture/screen_files.h"

#include <dirent.h>
#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

void Put32BigEndian(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back((v >> shift) & 0xFF);
}

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

void PngChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body) {
  Put32BigEndian(out, static_cast<uint32_t>(body.size()));
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), body.begin(), body.end());
  Put32BigEndian(out, Crc32(out.data() + start, out.size() - start));
}

}  // namespace

std::vector<uint8_t> EncodeScreenBmp(const uint8_t* plane, int width, int height) {
  int rowBytes = (width + 7) / 8;
  int stride = (rowBytes + 3) & ~3;
  uint32_t imageSize = static_cast<uint32_t>(stride * height);
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, 62 + imageSize);
  Put32(out, 0);
  Put32(out, 62);
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(width));
  Put32(out, static_cast<uint32_t>(height));  // positive: rows bottom-up
  Put16(out, 1);
  Put16(out, 1);
  Put32(out, 0);
  Put32(out, imageSize);
  Put32(out, 3780);
  Put32(out, 3780);
  Put32(out, 2);
  Put32(out, 2);
  Put32(out, 0x00FFFFFF);  // colour 0: white
  Put32(out, 0x00000000);  // colour 1: black, a dark dot
  for (int y = height - 1; y >= 0; --y) {
    out.insert(out.end(), plane + y * rowBytes, plane + (y + 1) * rowBytes);
    out.insert(out.end(), stride - rowBytes, 0);
  }
  return out;
}

std::vector<uint8_t> EncodeScreenPng(const uint8_t* plane, int width, int height) {
  int rowBytes = (width + 7) / 8;
  // Raw scanlines: filter byte 0, then the row with 0 = black (PNG's
  // grey scale), so dark dots are inverted.
  std::vector<uint8_t> raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    for (int i = 0; i < rowBytes; ++i) raw.push_back(static_cast<uint8_t>(~plane[y * rowBytes + i]));
  }
  // zlib stream of stored deflate blocks: small pictures need no compression.
  std::vector<uint8_t> z = {0x78, 0x01};
  for (size_t pos = 0; pos < raw.size() || raw.empty();) {
    size_t n = std::min<size_t>(65535, raw.size() - pos);
    bool last = pos + n == raw.size();
    z.push_back(last ? 1 : 0);
    Put16(z, static_cast<uint32_t>(n));
    Put16(z, static_cast<uint32_t>(~n & 0xFFFF));
    z.insert(z.end(), raw.begin() + pos, raw.begin() + pos + n);
    pos += n;
    if (last) break;
  }
  uint32_t a = 1, b = 0;
  for (uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  Put32BigEndian(z, b << 16 | a);

  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  Put32BigEndian(header, static_cast<uint32_t>(width));
  Put32BigEndian(header, static_cast<uint32_t>(height));
  header.insert(header.end(), {1, 0, 0, 0, 0});  // 1 bit grey, no interlace
  PngChunk(out, "IHDR", header);
  PngChunk(out, "IDAT", z);
  PngChunk(out, "IEND", {});
  return out;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

std::vector<uint8_t> EncodeDifferenceBmp(const std::vector<uint8_t>& recorded,
                                         const std::vector<uint8_t>& replayed) {
  constexpr int kWidth = 128, kHeight = 64, kSourceHeader = 62, kPixelBytes = 1024;
  constexpr uint32_t kImageSize = kWidth / 2 * kHeight;
  std::vector<uint8_t> out = {'B', 'M'};
  Put32(out, 118 + kImageSize);
  Put32(out, 0);
  Put32(out, 118);
  Put32(out, 40);
  Put32(out, kWidth);
  Put32(out, kHeight);
  Put16(out, 1);
  Put16(out, 4);
  Put32(out, 0);
  Put32(out, kImageSize);
  Put32(out, 3780);
  Put32(out, 3780);
  Put32(out, 16);
  Put32(out, 16);
  // Only four entries mean something: black where both agree on dark, white
  // where both agree on light, red for a dot that went missing, blue for a
  // dot that appeared. The rest are greys.
  for (uint32_t i = 0; i < 16; ++i) {
    uint32_t grey = 0x80 + i * 4;
    uint32_t colour = grey | grey << 8 | grey << 16;
    if (i == kDiffDarkBoth) colour = 0x000000;
    if (i == kDiffLightBoth) colour = 0xFFFFFF;
    if (i == kDiffRecordedOnly) colour = 0xFF0000;
    if (i == kDiffReplayedOnly) colour = 0x0000FF;
    Put32(out, colour);  // stored blue, green, red, 0
  }
  auto byteAt = [](const std::vector<uint8_t>& file, int i) -> uint8_t {
    size_t at = kSourceHeader + static_cast<size_t>(i);
    return at < file.size() ? file[at] : 0;
  };
  for (int i = 0; i < kPixelBytes; ++i) {
    uint8_t a = byteAt(recorded, i), b = byteAt(replayed, i);
    for (int bit = 7; bit >= 0; bit -= 2) {
      uint8_t pair = 0;
      for (int k = 0; k < 2; ++k) {
        bool inRecorded = a >> (bit - k) & 1, inReplayed = b >> (bit - k) & 1;
        uint8_t index = inRecorded ? (inReplayed ? kDiffDarkBoth : kDiffRecordedOnly)
                                   : (inReplayed ? kDiffReplayedOnly : kDiffLightBoth);
        pair = static_cast<uint8_t>(pair << 4 | index);
      }
      out.push_back(pair);
    }
  }
  return out;
}

std::string NextCaptureName(const std::string& folder) {
  std::string prefix = folder;
  if (!prefix.empty() && prefix.back() != '/') prefix += '/';
  long largest = 0;
  if (DIR* dir = opendir(prefix.empty() ? "." : prefix.c_str())) {
    while (dirent* entry = readdir(dir)) {
      const char* name = entry->d_name;
      size_t length = std::strlen(name);
      if (length < 8 || std::strncmp(name, "Disp", 4) != 0) continue;
      if (strcasecmp(name + length - 4, ".bmp") != 0) continue;
      largest = std::max(largest, std::strtol(name + 4, nullptr, 10));
    }
    closedir(dir);
  }
  char name[32];
  std::snprintf(name, sizeof name, "Disp%05ld.bmp", largest + 1);
  return prefix + name;
}
