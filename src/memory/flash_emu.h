// A strict in-memory flash under the image layer. It enforces what real
// flash allows (programs only clear bits, even addresses inside the storage
// area, whole aligned sectors erased) and counts every breach instead of
// hiding it, and it can cut the power or fail on purpose. The tests and
// benchmarks run the file system on it; a front end can use it for an image
// that lives only in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "memory/flash_image.h"

enum class FlashFault : uint8_t {
  kNone,
  kProgramFails,  // program reports failure, nothing lands
  kEraseFails,    // erase reports failure, nothing changes
  kProgramNoop,   // program reports success, nothing lands
  kEraseNoop,     // erase reports success, nothing changes
};

struct FlashEmu {
  std::vector<uint8_t> bytes;  // the storage area, kFlashBase .. kFlashEnd

  // Breaches of the flash rules; a correct file system never makes one.
  int violations = 0;
  std::string first_violation;

  // Power cut: when `cut_at` >= 0, the program or erase with that index (0 =
  // the next one) is cut: it does not happen, or happens torn (only some of
  // its bits land), and from then on every access fails as if the machine
  // were off.
  int64_t cut_at = -1;
  bool torn = false;
  uint64_t torn_seed = 1;
  bool off = false;
  int64_t ops = 0;  // program and erase operations done so far

  // Fault injection on one sector (-1: none).
  int fault_sector = -1;
  FlashFault fault = FlashFault::kNone;
};

// A blank flash (all 0xFF), no rules breached, no cut armed.
void FlashEmuInit(FlashEmu* emu);
FlashMedium FlashEmuMedium(FlashEmu* emu);
// Arms a cut `after` operations from now.
void FlashEmuArmCut(FlashEmu* emu, int64_t after, bool torn, uint64_t seed);
// Power back on: cut and faults disarmed, contents as they were left.
void FlashEmuPowerOn(FlashEmu* emu);
uint8_t* FlashEmuAt(FlashEmu* emu, uint32_t addr);
