// Integrity check of the whole arena. It reads only bookkeeping (header,
// folder table, item directories, handle table) and bounds every offset it
// takes from the arena before reading there, so a damaged arena is reported,
// never followed outside the 65,536 bytes.
#include "memory/mcs_internal.h"

using namespace mcs_internal;

namespace {

// Checks the folder of one index; on success *contentLength is the length
// its directory and data add up to.
uint32_t CheckFolder(uint32_t index, uint64_t* contentLength) {
  const uint32_t addr = BlockAddrOfIndex(index);
  const uint32_t end = BlockEndOfIndex(index);
  const uint32_t count = Ld16(FolderAt(McsEntryOfIndex(index)) + kFeCount);
  *contentLength = 0;
  if (addr % 4 != 0) return kMcsCheckFolderAlign;
  if (end % 4 != 0) return kMcsCheckEndAlign;
  if (count == 0) return addr == end ? uint32_t{kMcsOk} : uint32_t{kMcsCheckEmptyBlock};
  if (addr > end || end > kMcsArenaSize) return kMcsCheckOrder;
  if (uint64_t{count} * kMcsItemEntrySize > end - addr) return kMcsCheckDirectory;

  const Block block{index, addr, end, count};
  uint64_t sum = 0;
  uint64_t previousEnd = block.Offset(0);
  uint32_t previousOffset = block.Offset(0);
  for (uint32_t pos = 0; pos < count; ++pos) {
    const uint32_t offset = block.Offset(pos);
    const uint32_t size = block.Size(pos);
    if (offset != previousEnd) return kMcsCheckOffsetChain;
    if (size == 0) return kMcsCheckZeroSize;
    if (size % 4 != 0) return kMcsCheckSizeAlign;
    if (offset < previousOffset) return kMcsCheckOffsetOrder;
    if (offset % 4 != 0) return kMcsCheckOffsetAlign;
    previousOffset = offset;
    previousEnd = uint64_t{offset} + size;
    sum += uint64_t{size} + kMcsItemEntrySize;
  }
  if (end - addr != sum) return kMcsCheckBlockLength;
  if (block.Offset(0) / kMcsItemEntrySize != count) return kMcsCheckDirectory;
  if (addr + previousEnd != end) return kMcsCheckBlockEnd;
  *contentLength = sum;
  return kMcsOk;
}

uint32_t CheckHeap(uint32_t heapBottom, uint32_t handleBottom) {
  // Bounds first: the walks below read the handle table between these.
  if (handleBottom > kMcsArenaSize || (kMcsArenaSize - handleBottom) % kMcsHandleEntrySize != 0 ||
      heapBottom > handleBottom) {
    return kMcsCheckHeapSum;
  }
  uint64_t sizes = 0;
  for (uint32_t e = kMcsTopHandle; e + kMcsHandleEntrySize > handleBottom;
       e -= kMcsHandleEntrySize) {
    if (Ld32(e) == 0) continue;  // free entry
    const uint32_t size = Ld32(e + 4);
    if (size == 0) return kMcsCheckHandleZero;
    if (size % 4 != 0) return kMcsCheckHandleAlign;
    sizes += size;
  }
  if (sizes != handleBottom - heapBottom) return kMcsCheckHeapSum;
  uint64_t expected = handleBottom;
  for (uint32_t e = kMcsTopHandle; e + kMcsHandleEntrySize > handleBottom;
       e -= kMcsHandleEntrySize) {
    const uint32_t addr = Ld32(e);
    if (addr == 0) continue;
    expected -= Ld32(e + 4);
    if (addr != expected) return kMcsCheckHeapChain;
  }
  return kMcsOk;
}

}  // namespace

uint32_t McsCheck() {
  uint64_t blockLengths = 0;
  uint64_t lastEnd = 0;  // end of the non-empty block with the lowest index
  for (uint32_t index = 1; index <= kMcsFolderCount; ++index) {
    uint64_t length;
    if (uint32_t code = CheckFolder(index, &length)) return code;
    blockLengths += length;
    if (lastEnd == 0 && length != 0) lastEnd = BlockAddrOfIndex(index) + length;
  }
  const uint32_t dataTop = DataTop();
  if (dataTop != (lastEnd != 0 ? lastEnd : kMcsDataStart)) return kMcsCheckDataTop;
  for (uint32_t entry = 0; entry + 1 < kMcsFolderCount; ++entry) {
    const uint32_t here = Ld32(FolderAt(entry) + kFeAddr);
    const uint32_t next = Ld32(FolderAt(entry + 1) + kFeAddr);
    if (next < here) return kMcsCheckOrder;
    if ((next - here) % 4 != 0) return kMcsCheckSpacing;
  }
  const uint32_t heapBottom = HeapBottom();
  const uint32_t handleBottom = HandleBottom();
  if (uint32_t code = CheckHeap(heapBottom, handleBottom)) return code;
  if (dataTop > heapBottom) return kMcsCheckTotal;
  const uint64_t handles = (kMcsArenaSize - handleBottom) / kMcsHandleEntrySize;
  const uint64_t used = kMcsArenaSize - (heapBottom - dataTop);
  if (blockLengths + handles * kMcsHandleEntrySize + kMcsDataStart + (handleBottom - heapBottom) !=
      used) {
    return kMcsCheckTotal;
  }
  return kMcsOk;
}
