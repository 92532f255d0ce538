// Application layer over the arena: items addressed by kind (which chooses
// folder and type byte), by folder name or as the remembered current item;
// the 29 alpha variables; results in the public code set (mem_tables.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "memory/mcs_layout.h"
#include "memory/mem_tables.h"

// How an operation names its item's folder.
enum class MemBy : uint8_t { kKind, kFolder, kCurrent };

struct MemTarget {
  MemBy by;
  uint8_t kind;        // for kKind
  const char* folder;  // for kFolder
};
inline MemTarget MemOfKind(uint8_t kind) {
  return {MemBy::kKind, kind, nullptr};
}
inline MemTarget MemInFolder(const char* folder) {
  return {MemBy::kFolder, kMemKindFolder, folder};
}
// The current item; the item name passed alongside is ignored.
inline MemTarget MemCurrentTarget() {
  return {MemBy::kCurrent, 0, nullptr};
}

// The item last found, created or written.
struct MemCurrentItem {
  uint8_t folder[kMcsNameLen];
  uint8_t item[kMcsNameLen];
  uint8_t kind;  // kMemKindFolder when named by folder, 0 for an alpha variable
  uint32_t lastCoreError;
};
const MemCurrentItem& MemCurrent();

// ---- Alpha variables ---------------------------------------------------------

inline constexpr uint32_t kMemAlphaCount = 29;   // A-Z, theta, r, Ans
inline constexpr uint32_t kMemAlphaRecord = 24;  // real and imaginary part
inline constexpr uint32_t kMemNoVariable = 29;
inline constexpr uint8_t kMemLetterTheta = 0xCE;
inline constexpr uint8_t kMemLetterR = 0xCD;
inline constexpr uint8_t kMemLetterAns = 0xC0;

// Slot 0 ... 28 of a variable letter, kMemNoVariable for any other byte.
uint32_t MemVariableSlot(uint8_t letter);
// The 24-byte record of a slot.
uint8_t* MemVariable(uint32_t slot);
uint32_t MemSetVariable(uint8_t letter, const uint8_t value[kMemAlphaRecord]);

// ---- Items -------------------------------------------------------------------

// Creates by kind; size is rounded up to a multiple of 4. data may be null.
uint32_t MemCreate(uint8_t kind, const char* item, uint32_t size, const void* data);
uint32_t MemCreateIn(const char* folder, const char* item, uint32_t size, const void* data);
uint32_t MemSearch(MemTarget target, const char* item, uint32_t* size);
// Offset counts from 1; offset 0 reads the whole item.
uint32_t MemReadCurrent(uint32_t offset, uint32_t count, void* buffer);
// Result 0: the write ended inside the item, 1: exactly at its end, 2: the
// item grew to hold it; else a public error code.
uint32_t MemWriteAt(MemTarget target, const char* item, uint32_t count, const void* data,
                    uint32_t offset);
uint32_t MemInsert(MemTarget target, const char* item, uint32_t count, const void* data,
                   uint32_t offset);
uint32_t MemDelete(MemTarget target, const char* item);
uint32_t MemDeleteOfKind(uint8_t kind, const char* item);
uint32_t MemCurrentInfo(uint8_t* kind, uint32_t* size);
// Writes the current item's name, zero terminated (9 bytes).
uint32_t MemCurrentName(char name[kMcsNameLen + 1]);
// Direct access, valid until the next operation that moves data.
uint32_t MemGetPointer(MemTarget target, const char* item, uint8_t** data, uint32_t* size);
void MemUsage(uint32_t* total, uint32_t* used, uint32_t* free);

// ---- Start-up and clearing -------------------------------------------------

// Creates the application folders (again); existing folders stay.
void MemSetUpFolders();
// Wipes main memory: current item, host handles, alpha variables, arena.
void MemStartUp();
uint32_t MemClearFolder(const char* folder);
uint32_t MemClearFolders(const char* const* folders, size_t count);
