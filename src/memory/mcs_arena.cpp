// Arena placement, names, the block-move primitive and the lookups that
// every core operation shares.
#include <cstdlib>

#include "memory/mcs_internal.h"

namespace mcs_internal {

uint8_t* g_arena = nullptr;

namespace {
uint8_t* g_block = nullptr;
bool g_ownsBlock = false;
}  // namespace

void MarkChange() {
  std::memset(g_arena + kHdrMarker, 0xFF, kMcsChangeMarkerLen);
}

bool LoadBlock(uint32_t index, Block* block) {
  block->index = index;
  block->addr = BlockAddrOfIndex(index);
  block->end = BlockEndOfIndex(index);
  block->count = Ld16(FolderAt(McsEntryOfIndex(index)) + kFeCount);
  return block->addr <= block->end && block->end <= DataTop() && DataTop() <= kMcsArenaSize &&
         uint64_t{block->count} * kMcsItemEntrySize <= block->end - block->addr;
}

uint32_t FindFolderIndex(const uint8_t name[kMcsNameLen]) {
  for (uint32_t index = 1; index <= kMcsFolderCount; ++index) {
    if (std::memcmp(g_arena + FolderAt(McsEntryOfIndex(index)), name, kMcsNameLen) == 0) {
      return index;
    }
  }
  return 0;
}

bool SearchItem(const Block& block, const uint8_t name[kMcsNameLen], uint32_t* pos) {
  int32_t low = 0;
  int32_t high = static_cast<int32_t>(block.count) - 1;
  while (low <= high) {
    const int32_t probe = (low + high) / 2;
    const int cmp = std::memcmp(name, g_arena + block.EntryAt(probe), kMcsNameLen);
    if (cmp == 0) {
      *pos = static_cast<uint32_t>(probe);
      return true;
    }
    if (cmp < 0) {
      high = probe - 1;
    } else {
      low = probe + 1;
    }
  }
  *pos = static_cast<uint32_t>(low);
  return false;
}

uint32_t RefAt(const Block& block, uint32_t pos, ItemRef* ref) {
  const uint32_t entry = block.EntryAt(pos);
  ref->block = block;
  ref->pos = pos;
  ref->offset = Ld32(entry + kIeOffset);
  ref->size = Ld32(entry + kIeSize);
  ref->type = g_arena[entry + kIeType];
  ref->attr = g_arena[entry + kIeAttr];
  // Refuse to act on an entry whose data would lie outside its block.
  const uint64_t dirLen = uint64_t{block.count} * kMcsItemEntrySize;
  if (ref->offset < dirLen || uint64_t{ref->offset} + ref->size > block.end - block.addr) {
    return kMcsInternal;
  }
  return kMcsOk;
}

uint32_t ResolveBlock(const char* folder, const char* item, Block* block,
                      uint8_t itemName[kMcsNameLen]) {
  uint8_t folderName[kMcsNameLen];
  if (!McsNormaliseName(folder, folderName) || !McsNormaliseName(item, itemName)) {
    return kMcsEmptyName;
  }
  const uint32_t index = FindFolderIndex(folderName);
  if (index == 0) return kMcsNoFolder;
  return LoadBlock(index, block) ? kMcsOk : kMcsInternal;
}

uint32_t ResolveItem(const char* folder, const char* item, ItemRef* ref) {
  Block block;
  uint8_t itemName[kMcsNameLen];
  if (uint32_t code = ResolveBlock(folder, item, &block, itemName)) return code;
  uint32_t pos;
  if (!SearchItem(block, itemName, &pos)) return kMcsNoItem;
  return RefAt(block, pos, ref);
}

}  // namespace mcs_internal

using namespace mcs_internal;

void McsPlaceArena(uint8_t* block) {
  if (g_ownsBlock && g_block != block) std::free(g_block);
  g_ownsBlock = false;
  g_block = block;
  std::memset(g_block, kMcsGuardByte, kMcsBlockSize);
  g_arena = g_block + kMcsGuardSize;
}

uint8_t* McsAllocateArena() {
  auto* block = static_cast<uint8_t*>(std::malloc(kMcsBlockSize));
  if (block == nullptr) return nullptr;
  McsPlaceArena(block);
  g_ownsBlock = true;
  return g_arena;
}

void McsFreeArena() {
  if (g_ownsBlock) std::free(g_block);
  g_ownsBlock = false;
  g_block = nullptr;
  g_arena = nullptr;
}

uint8_t* McsArenaBase() {
  return g_arena;
}
uint8_t* McsBlockBase() {
  return g_block;
}

bool McsGuardsIntact() {
  if (g_block == nullptr) return false;
  const uint8_t* above = g_block + kMcsGuardSize + kMcsArenaSize;
  for (uint32_t i = 0; i < kMcsGuardSize; ++i) {
    if (g_block[i] != kMcsGuardByte || above[i] != kMcsGuardByte) return false;
  }
  return true;
}

bool McsIsLeadByte(uint8_t byte) {
  return byte == 0x7F || byte == 0xE5 || byte == 0xE6 || byte == 0xE7 || byte == 0xF7 ||
         byte == 0xF9;
}

bool McsNormaliseName(const char* raw, uint8_t out[kMcsNameLen]) {
  std::memset(out, 0, kMcsNameLen);
  if (raw == nullptr || raw[0] == 0) return false;
  const auto* in = reinterpret_cast<const uint8_t*>(raw);
  uint32_t i = 0;
  while (i < kMcsNameLen && in[i] != 0) {
    if (McsIsLeadByte(in[i])) {
      // A two-byte character that would not fit whole is dropped whole.
      if (i + 1 >= kMcsNameLen) break;
      out[i] = in[i];
      if (in[i + 1] == 0) break;
      out[i + 1] = in[i + 1];
      i += 2;
    } else {
      out[i] = in[i];
      ++i;
    }
  }
  return true;
}

McsHeader McsReadHeader() {
  McsHeader header;
  std::memcpy(&header, g_arena, sizeof header);
  return header;
}

uint32_t McsTrackedAddress() {
  return Ld32(kHdrTracked);
}
void McsSetTrackedAddress(uint32_t address) {
  St32(kHdrTracked, address);
}

void McsBlockMove(uint32_t destination, uint32_t source, uint32_t n) {
  // The tracked range reaches one byte past the copied bytes on the side the
  // copy starts from, as the device's primitive does.
  const int64_t tracked = Ld32(kHdrTracked);
  const int64_t src = source;
  const int64_t len = n;
  bool inside;
  if (destination > source) {
    const int64_t last = src + len - 1;
    inside = tracked >= last - len && tracked <= last;
  } else {
    inside = tracked >= src && tracked <= src + len;
  }
  if (inside) St32(kHdrTracked, static_cast<uint32_t>(tracked + destination - src));
  if (n != 0 && destination != source) std::memmove(g_arena + destination, g_arena + source, n);
}
