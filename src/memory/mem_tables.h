// Fixed knowledge of the application layer: item kinds and their type bytes,
// the public result codes, the folders the applications use and the
// memory manager's data groups.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- Item kinds ------------------------------------------------------------

inline constexpr uint8_t kMemKindAlpha = 0;     // the alpha variables
inline constexpr uint8_t kMemKindProgram = 1;   // every item of "system"
inline constexpr uint8_t kMemKindNone = 128;    // type byte of no kind / no current item
inline constexpr uint8_t kMemKindFolder = 254;  // folder given by name
inline constexpr uint8_t kMemKindWork = 255;    // "@APLWORK"

// Folder that a kind selects (kind 254 has none: nullptr).
const char* MemKindFolder(uint8_t kind);
// Type byte written when an item of this kind is created.
uint8_t MemKindType(uint8_t kind);
// Kind of a type byte; kMemKindNone for type bytes of no kind.
uint8_t MemTypeKind(uint8_t type);

// ---- Public result codes ---------------------------------------------------

enum : uint32_t {
  kMemOk = 0,
  kMemErrAlphaKind = 16,  // kind 0 where an item is needed
  kMemErrNoFolderName = 17,
  kMemErrNoItemName = 18,
  kMemErrBadSize = 19,
  kMemErrAlphaWrite = 21,  // a write past the 24 bytes of an alpha variable
  kMemErrClearFolders = 23,
  kMemErrReadPastEnd = 26,
  kMemErrExistsByKind = 36,
  kMemErrExistsInFolder = 37,
  kMemErrNoRoom = 48,
  kMemErrNotFound = 64,  // and every core failure without a code of its own
  kMemErrNoCurrentName = 80,
  kMemErrGrowNoRoom = 81,
  kMemErrNoCurrent = 85,
  kMemErrInternal = 255,
};

// Public code of a core code.
uint32_t MemPublicCode(uint32_t coreCode);

// ---- Folders ---------------------------------------------------------------

// The application folders that the start-up set-up creates, in order.
extern const char* const kMemSetUpFolders[];
extern const size_t kMemSetUpFolderCount;
inline constexpr char kMemNoteFolder[] = "@NOTE";
inline constexpr uint32_t kMemNoteEntry = 45;  // folder-table entry of "@NOTE"

// ---- Memory-manager data groups ------------------------------------------

// In the order of the file exchange's group table.
enum class MemGroup : uint8_t {
  kAlphaMem,
  kCapture,
  kConics,
  kDynaMem,
  kEquation,
  kFMem,
  kFinancial,
  kGMem,
  kListFile,
  kMatrix,
  kPicture,
  kProgram,
  kRecursion,
  kSSheet,
  kSetup,
  kStat,
  kSystem,
  kTable,
  kVWin,
  kYData,
  kNone,
};
inline constexpr size_t kMemGroupCount = static_cast<size_t>(MemGroup::kNone);

// The group's display name ("PROGRAM", "Y=DATA", ...); "" for kNone.
const char* MemGroupName(MemGroup group);
// The group of an item by folder and item name; kNone when it has none.
MemGroup MemDataGroup(const char* folder, const char* item);
