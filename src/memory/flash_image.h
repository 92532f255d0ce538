// The flash image layer: the 25 sectors of storage memory as the file system
// sees them. Everything above goes through these few functions, and they go
// through a FlashMedium, so the same code runs on the host file and on the
// strict in-memory flash used by the tests.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t kFlashBase = 0x270000;      // first writable flash address
constexpr uint32_t kFlashEnd = 0x400000;       // one past the last flash address
constexpr uint32_t kFlashImageSize = 4194304;  // the image file, flash address = offset
constexpr uint32_t kSectorSize = 0x10000;
constexpr int kSectorCount = 25;
constexpr int kEraseAttempts = 3;
constexpr int kFlashInternalError = 851;  // programming below the storage area
static_assert(kFlashBase + kSectorCount * kSectorSize == kFlashEnd);
static_assert(kFlashEnd == kFlashImageSize);

constexpr uint32_t SectorAddress(int sector) {
  return kFlashBase + uint32_t(sector) * kSectorSize;
}

// What lies under the image layer. Each call returns 0 on success and a
// negative value when the medium failed. `program` is handed bytes that may
// only clear bits (the layer above guarantees it); `erase` sets a whole
// sector to 0xFF.
struct FlashMediumOps {
  int (*read)(void* ctx, uint32_t addr, uint8_t* buf, uint32_t n);
  int (*program)(void* ctx, uint32_t addr, const uint8_t* data, uint32_t n);
  int (*erase)(void* ctx, uint32_t addr);
};
struct FlashMedium {
  const FlashMediumOps* ops = nullptr;
  void* ctx = nullptr;
};

// The medium the image layer works on (nullptr ops: none; every call fails).
void FlashAttach(const FlashMedium& medium);
void FlashDetach();
bool FlashAttached();

// Reads count bytes; false when the range leaves the flash or the medium failed.
bool FlashRead(uint32_t addr, void* buf, uint32_t count);
// 0 on success; -1 for an odd address, for an address below the storage area
// (which also reports internal error 851), a failed medium, or bytes that do
// not read back as written.
int FlashProgram(uint32_t addr, const void* data, uint32_t count);
// Erases one sector; true when all 65,536 bytes were written.
bool FlashEraseSector(int sector);
// Erases and reads back, up to three attempts; true on the first good one.
bool FlashEraseVerified(int sector);
// True when every 16-byte block of the sector from `offset` on is all 0xFF
// (false too when it cannot be read).
bool SectorIsBlank(int sector, uint32_t offset = 0);

// Called after every program or erase (whether it worked or not) and every
// change of medium (count 0), so that copies of flash contents held above
// can be dropped.
void FlashSetWriteObserver(void (*observer)(uint32_t addr, uint32_t count));

// The last internal error the layer reported (0: none) and a hook the OS
// can set to show it.
int FlashLastInternalError();
void FlashClearInternalError();
void FlashSetInternalErrorHook(void (*hook)(int code));
