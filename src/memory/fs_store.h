// The storage memory file system on the record directory: files and folders
// of the root, fragments, open files, searches, free space, format, mount and
// the check that repairs what a power cut left behind.
//
// A file is created with its final size, written once while its entry is
// open (bit 31), and closed; only closed files count as complete, and the
// check removes files that were never closed.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "memory/fs_path.h"
#include "memory/fs_record.h"

struct StorageUi;

constexpr int kOpenSlots = 13;
constexpr int kSearchSlots = 4;
constexpr uint8_t kSlotFree = 255;
constexpr uint16_t kSearchFree = 4094;
constexpr int kMaxFragments = 64;  // fragment records of a file
constexpr int kMaxPieces = 128;    // stretches of flash a file's bytes lie in
constexpr uint32_t kEmptyStoreFree = 0x180000;
constexpr uint32_t kNotebookWorkSize = 0x20000;
constexpr uint32_t kAddInAlign = 8192;

struct FsOpenFile {
  uint16_t record = 0;
  uint32_t header = 0;
  uint32_t parent = 0;
  char16_t name[kFileNameMax + 1] = {};
  uint32_t position = 0;
  uint8_t mode = kSlotFree;
  // Where the file lies, read when it was opened.
  uint32_t size = 0;
  int fragments = 0;  // pieces
  uint32_t frag_address[kMaxPieces] = {};
  uint32_t frag_length[kMaxPieces] = {};
};

struct FsSearch {
  uint32_t folder = 0;
  char16_t pattern[kFileNameMax + 1] = {};
  int pattern_len = 0;
  uint16_t record = kSearchFree;
};

struct FsFindInfo {
  uint16_t type = 0;  // 1 file, 5 folder
  uint16_t kind = 0;  // file kind from the name
  uint32_t size = 0;
};

struct FsState {
  FsOpenFile files[kOpenSlots];
  FsSearch searches[kSearchSlots];
  uint16_t record_count = 0;  // records in use, also the next record to write
  uint16_t writing_record = 0;
  uint32_t next_id = 1;
  bool mounted = false;
};
FsState& Fs();

// One fragment record, decoded. Optimisation moves a fragment by copying it
// and programming where the copy went; when only its first part fitted, the
// rest gets a record of its own (a continuation) that is moved in turn.
struct FsFragment {
  int record = 0;
  uint32_t header = 0, owner = 0;
  uint16_t kind = 0, count = 0, number = 0, sector = 0, offset = 0, len_minus1 = 0;
  uint16_t rel_sector = 0xFFFF, rel_offset = 0xFFFF, rel_len_minus1 = 0xFFFF;
  bool continuation = false;
  bool Relocated() const { return (header & kFlagNotRelocated) == 0; }
  // Where this record's bytes are now, and how many of them are there.
  int Sector() const { return Relocated() ? rel_sector : sector; }
  uint32_t Offset() const { return Relocated() ? rel_offset : offset; }
  uint32_t PieceLength() const { return Relocated() ? uint32_t(rel_len_minus1) + 1 : Length(); }
  uint32_t Length() const { return uint32_t(len_minus1) + 1; }
  uint32_t Address() const { return SectorAddress(Sector()) + Offset(); }
};

struct FsPiece {
  int sector = 0;
  uint32_t offset = 0, length = 0;
};
// The pieces of one file from its fragment records (all of one owner, in
// fragment order): the count, or -6 when they do not form a whole file.
// `used` gets the records that take part.
int ResolvePieces(const FsFragment* frags, int n, FsPiece* out, int max, std::vector<int>* used);
bool FragmentOrder(const FsFragment& a, const FsFragment& b);
void DecodeFragment(int record, const uint8_t r[kRecordSize], FsFragment* out);

// The whole directory read once: raw records 0 .. count-1.
struct DirSnapshot {
  std::vector<uint8_t> raw;  // count * 32 bytes
  int count = 0;
  const uint8_t* At(int n) const { return raw.data() + size_t(n) * kRecordSize; }
};
// Reads the first directory trailer and finds the second directory sector
// (completing a link a power cut tore); 0, -6 or -31.
int LoadDirectoryLayout();
int ReadDirectory(DirSnapshot* out);

// Records that hold complete, consistent files and folders, found from the
// records alone (so it stays the same while optimisation moves data).
struct LiveSet {
  std::vector<bool> record;                                   // per record number
  std::vector<int> entries;                                   // live entry records in record order
  std::unordered_map<uint32_t, std::vector<FsPiece>> pieces;  // per live file identifier
  // Per live file: its records that take part, in piece order.
  std::unordered_map<uint32_t, std::vector<int>> piece_records;
};
void FindLive(const DirSnapshot& dir, LiveSet* out);

// Mount: rebuild the counters from the directory, free all slots.
int SmMount();
void SmResetTables();
// Format: erase (all sectors when full, else only those not blank) and write
// a fresh directory. 0 or a negative code.
int SmFormat(bool full, const StorageUi* ui);

// The check at view creation and boot. Counts what is wrong (unclosed files,
// entries that share an identifier, files whose fragments are broken or
// overlap or lie outside data sectors, entries without a folder, an
// unfinished optimisation) and, with `repair`, makes those entries obsolete.
// Returns the number of problems found, or a negative code.
int SmCheck(bool repair);

// Flash file operations behind the path interface (handles are slot numbers).
int SmCreate(const FsPath& path, int entry_kind, uint32_t size);
int SmOpen(const FsPath& path, int mode);
int SmClose(int slot);
int SmRead(int slot, void* buf, int count, int position);
int SmWrite(int slot, const void* data, int count);
int SmSeek(int slot, int position);
int SmSize(int slot);
int SmDelete(const FsPath& path);
int SmRename(const FsPath& path, const FsPath& new_path);
int SmFindFirst(const FsPath& pattern, int* slot, char16_t* name, FsFindInfo* info);
int SmFindNext(int slot, char16_t* name, FsFindInfo* info);
int SmFindClose(int slot);
// Free bytes for a file of `kind` (1 for the device figure).
int64_t SmFreeSpace(int kind);
bool SmAnyOpen();

// Sector choice shared with optimisation.
bool SectorIsFree(const SectorInfo& s);
// Chooses a free sector by wear levelling, erases it when it is not blank,
// and programs its block word; the sector number or a negative code.
int ChooseSector(uint32_t block_word);
