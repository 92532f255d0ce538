#include "memory/flash_image.h"

#include <cstring>

namespace {

FlashMedium g_medium;
void (*g_observer)(uint32_t, uint32_t) = nullptr;

void Observe(uint32_t addr, uint32_t count) {
  if (g_observer) g_observer(addr, count);
}
int g_internal_error = 0;
void (*g_internal_error_hook)(int) = nullptr;

bool InFlash(uint32_t addr, uint32_t count) {
  return addr >= kFlashBase && addr <= kFlashEnd && count <= kFlashEnd - addr;
}

void ReportInternalError(int code) {
  g_internal_error = code;
  if (g_internal_error_hook) g_internal_error_hook(code);
}

}  // namespace

void FlashAttach(const FlashMedium& medium) {
  g_medium = medium;
  Observe(0, 0);
}
void FlashDetach() {
  g_medium = FlashMedium{};
  Observe(0, 0);
}
void FlashSetWriteObserver(void (*observer)(uint32_t, uint32_t)) {
  g_observer = observer;
}
bool FlashAttached() {
  return g_medium.ops != nullptr;
}

bool FlashRead(uint32_t addr, void* buf, uint32_t count) {
  if (!g_medium.ops || !InFlash(addr, count)) return false;
  if (count == 0) return true;
  return g_medium.ops->read(g_medium.ctx, addr, static_cast<uint8_t*>(buf), count) == 0;
}

int FlashProgram(uint32_t addr, const void* data, uint32_t count) {
  if (addr & 1) return -1;
  if (addr < kFlashBase) {
    ReportInternalError(kFlashInternalError);
    return -1;
  }
  if (!g_medium.ops || !InFlash(addr, count)) return -1;
  if (count == 0) return 0;
  const auto* bytes = static_cast<const uint8_t*>(data);
  int rc = g_medium.ops->program(g_medium.ctx, addr, bytes, count);
  Observe(addr, count);
  if (rc != 0) return -1;
  // Read back: a part that says yes and keeps the old bits must not pass
  // for one that programmed them.
  uint8_t back[4096];
  for (uint32_t at = 0; at < count; at += sizeof back) {
    uint32_t n = count - at < sizeof back ? count - at : uint32_t(sizeof back);
    if (g_medium.ops->read(g_medium.ctx, addr + at, back, n) != 0) return -1;
    if (std::memcmp(back, bytes + at, n) != 0) return -1;
  }
  return 0;
}

bool FlashEraseSector(int sector) {
  if (!g_medium.ops || sector < 0 || sector >= kSectorCount) return false;
  int rc = g_medium.ops->erase(g_medium.ctx, SectorAddress(sector));
  Observe(SectorAddress(sector), kSectorSize);
  return rc == 0;
}

bool SectorIsBlank(int sector, uint32_t offset) {
  if (sector < 0 || sector >= kSectorCount || offset > kSectorSize) return false;
  offset &= ~15u;
  uint8_t chunk[4096];
  for (uint32_t at = offset; at < kSectorSize;) {
    uint32_t n = kSectorSize - at < sizeof chunk ? kSectorSize - at : uint32_t(sizeof chunk);
    if (!FlashRead(SectorAddress(sector) + at, chunk, n)) return false;
    for (uint32_t i = 0; i < n; i += 16) {
      static const uint8_t kBlank[16] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                         0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
      if (std::memcmp(chunk + i, kBlank, 16) != 0) return false;
    }
    at += n;
  }
  return true;
}

bool FlashEraseVerified(int sector) {
  for (int attempt = 0; attempt < kEraseAttempts; ++attempt) {
    if (FlashEraseSector(sector) && SectorIsBlank(sector)) return true;
  }
  return false;
}

int FlashLastInternalError() {
  return g_internal_error;
}
void FlashClearInternalError() {
  g_internal_error = 0;
}
void FlashSetInternalErrorHook(void (*hook)(int code)) {
  g_internal_error_hook = hook;
}
