#include "apps/runmat/runmat_replay.h"

#include <vector>

#include "math/bcd.h"
#include "math/token.h"
#include "memory/mem_app.h"

namespace {

// The item's lines without its trailing padding.
std::vector<std::string> ReadLines() {
  std::vector<std::string> lines;
  uint8_t* data;
  uint32_t size;
  if (MemGetPointer(MemInFolder(kRunMatFolder), kReplayItem, &data, &size) != kMemOk) return lines;
  while (size > 0 && data[size - 1] == 0) --size;
  uint32_t at = 0;
  while (at < size) {
    // Lines are read token by token: If and Xmin have a zero second byte.
    uint32_t end = at;
    while (end < size) {
      int length;
      TokenPeek(data + end, &length);
      if (length == 0) break;
      end += uint32_t(length);
    }
    if (end > size) end = size;
    lines.emplace_back(reinterpret_cast<const char*>(data + at), end - at);
    at = end + 1;
  }
  return lines;
}

uint32_t Rounded(size_t n) {
  return uint32_t((n + 3) & ~size_t{3});
}

}  // namespace

int ReplayAppend(const uint8_t* tokens, size_t length) {
  std::vector<std::string> lines = ReadLines();
  lines.emplace_back(reinterpret_cast<const char*>(tokens), length);
  size_t total = 0;
  for (const std::string& l : lines) total += l.size() + 1;
  while (total > kReplayLimit && !lines.empty()) {
    total -= lines.front().size() + 1;
    lines.erase(lines.begin());
  }
  std::string contents;
  for (const std::string& l : lines) {
    contents += l;
    contents.push_back(0);
  }
  uint32_t old = 0;
  bool exists = MemSearch(MemInFolder(kRunMatFolder), kReplayItem, &old) == kMemOk;
  uint32_t total_, used, free;
  MemUsage(&total_, &used, &free);
  if (Rounded(contents.size()) > free + (exists ? old : 0)) return kBcdErrMemory;
  if (exists) MemDelete(MemInFolder(kRunMatFolder), kReplayItem);
  if (contents.empty()) return 0;
  contents.resize(Rounded(contents.size()), 0);
  if (MemCreateIn(kRunMatFolder, kReplayItem, uint32_t(contents.size()), contents.data()) !=
      kMemOk) {
    return kBcdErrMemory;
  }
  return 0;
}

int ReplayCount() {
  return int(ReadLines().size());
}

bool ReplayEntry(int n, std::string* tokens) {
  std::vector<std::string> lines = ReadLines();
  if (lines.empty() || n < 0 || n > int(lines.size())) return false;
  *tokens = n == 0 ? lines.back() : lines[size_t(n - 1)];
  return true;
}

void ReplayClear() {
  MemDelete(MemInFolder(kRunMatFolder), kReplayItem);
}
