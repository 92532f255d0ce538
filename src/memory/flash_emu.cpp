#include "memory/flash_emu.h"

#include <algorithm>
#include <cstdio>

namespace {

uint64_t NextRandom(uint64_t* state) {
  uint64_t z = (*state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

void Breach(FlashEmu* emu, const char* what, uint32_t addr) {
  if (emu->violations++ == 0) {
    char text[96];
    std::snprintf(text, sizeof text, "%s at 0x%06X", what, unsigned(addr));
    emu->first_violation = text;
  }
}

bool InArea(uint32_t addr, uint32_t n) {
  return addr >= kFlashBase && addr <= kFlashEnd && n <= kFlashEnd - addr;
}

// Counts the operation; true when this one is the cut.
bool CutHere(FlashEmu* emu) {
  bool cut = emu->cut_at >= 0 && emu->ops == emu->cut_at;
  ++emu->ops;
  if (cut) emu->off = true;
  return cut;
}

int FaultFor(FlashEmu* emu, uint32_t addr, uint32_t n, FlashFault fails, FlashFault noop) {
  if (emu->fault_sector < 0 || (emu->fault != fails && emu->fault != noop)) return 0;
  uint32_t lo = SectorAddress(emu->fault_sector), hi = lo + kSectorSize;
  if (addr + n <= lo || addr >= hi) return 0;
  return emu->fault == fails ? -1 : 1;
}

int EmuRead(void* ctx, uint32_t addr, uint8_t* buf, uint32_t n) {
  auto* emu = static_cast<FlashEmu*>(ctx);
  if (emu->off) return -1;
  if (!InArea(addr, n)) {
    Breach(emu, "read outside the flash", addr);
    return -1;
  }
  std::copy_n(emu->bytes.data() + (addr - kFlashBase), n, buf);
  return 0;
}

int EmuProgram(void* ctx, uint32_t addr, const uint8_t* data, uint32_t n) {
  auto* emu = static_cast<FlashEmu*>(ctx);
  if (emu->off) return -1;
  if ((addr & 1) || !InArea(addr, n)) {
    Breach(emu, "program at a forbidden address", addr);
    return -1;
  }
  uint8_t* at = emu->bytes.data() + (addr - kFlashBase);
  for (uint32_t i = 0; i < n; ++i) {
    if (data[i] & ~at[i]) {
      Breach(emu, "program sets a cleared bit", addr + i);
      break;
    }
  }
  if (CutHere(emu)) {
    if (emu->torn) {
      uint64_t seed = emu->torn_seed;
      for (uint32_t i = 0; i < n; ++i) at[i] &= data[i] | uint8_t(NextRandom(&seed));
    }
    return -1;
  }
  int fault = FaultFor(emu, addr, n, FlashFault::kProgramFails, FlashFault::kProgramNoop);
  if (fault < 0) return -1;
  if (fault > 0) return 0;
  for (uint32_t i = 0; i < n; ++i) at[i] &= data[i];
  return 0;
}

int EmuErase(void* ctx, uint32_t addr) {
  auto* emu = static_cast<FlashEmu*>(ctx);
  if (emu->off) return -1;
  if (addr < kFlashBase || addr >= kFlashEnd || (addr - kFlashBase) % kSectorSize != 0) {
    Breach(emu, "erase not aligned to a sector", addr);
    return -1;
  }
  uint8_t* at = emu->bytes.data() + (addr - kFlashBase);
  if (CutHere(emu)) {
    if (emu->torn) {
      uint64_t seed = emu->torn_seed;
      uint32_t upto = uint32_t(NextRandom(&seed) % kSectorSize);
      for (uint32_t i = 0; i < upto; ++i) at[i] = 0xFF;
    }
    return -1;
  }
  int fault = FaultFor(emu, addr, kSectorSize, FlashFault::kEraseFails, FlashFault::kEraseNoop);
  if (fault < 0) return -1;
  if (fault > 0) return 0;
  std::fill_n(at, kSectorSize, uint8_t(0xFF));
  return 0;
}

const FlashMediumOps kEmuOps = {EmuRead, EmuProgram, EmuErase};

}  // namespace

void FlashEmuInit(FlashEmu* emu) {
  *emu = FlashEmu{};
  emu->bytes.assign(kFlashEnd - kFlashBase, 0xFF);
}

FlashMedium FlashEmuMedium(FlashEmu* emu) {
  return FlashMedium{&kEmuOps, emu};
}

void FlashEmuArmCut(FlashEmu* emu, int64_t after, bool torn, uint64_t seed) {
  emu->cut_at = emu->ops + after;
  emu->torn = torn;
  emu->torn_seed = seed;
}

void FlashEmuPowerOn(FlashEmu* emu) {
  emu->off = false;
  emu->cut_at = -1;
  emu->fault_sector = -1;
  emu->fault = FlashFault::kNone;
}

uint8_t* FlashEmuAt(FlashEmu* emu, uint32_t addr) {
  return emu->bytes.data() + (addr - kFlashBase);
}
