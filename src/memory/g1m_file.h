// Calculator files: main-memory data leaves the calculator as ".g1m" files
// (and notebook documents as ".g1e" files) of one layout: a 32-byte header
// stored with every bit inverted, then groups of items, all integers
// big-endian. The same code writes one data group to a file, writes the
// whole memory to the backup file and imports files that the PC offers.
//
// Files go through the storage file interface, so a path reaches the
// storage memory ("\\fls0\NAME.g1m") or a PC file ("Z:\home\me\NAME.g1m").
//
// Data format codes. Every item has a code, worked out from its folder, name
// and type, that tells how its bytes change between the host's order in
// main memory and the big-endian order of the file. Codes from 0x8000 on
// mean bytes only. The codes of the fixed records are given; the ones below
// are the codes we chose for the records this system defines itself:
//
//   code    items                                   layout in the item
//   10      lists of a list file, "1LIST1".."6LIST26"
//                                                   list: 16-byte header, numbers
//   19      matrices "MAT_A".."MAT_Z", "MAT_"...    matrix: 16-byte header, numbers
//   27      captures "CAPT1".."CAPT20" (folder "@REV2") and pictures
//           "PICT1".."PICT20"                       width, height (16 bits each),
//                                                   then 1024 bytes of dots
//   37      graph functions "1".."20" of "main"     owned by the graph
//                                                   application: bytes only until
//                                                   it defines its record
//   0x8001  other items of an application folder    bytes only
//   0x8010  programs (every item of "system")       10-byte header and a token
//                                                   string: bytes only
//   0x8011  other items of "main"                   bytes only
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "memory/mem_tables.h"

struct StorageUi;

// ---- Layout -----------------------------------------------------------------

inline constexpr uint32_t kG1mHeaderSize = 32;
inline constexpr uint8_t kG1mTypeData = '1';      // ".g1m": main-memory items
inline constexpr uint8_t kG1mTypeNotebook = 'I';  // ".g1e": a notebook document
inline constexpr char kG1mMagic[] = "USBPower";
inline constexpr uint32_t kG1mMagicLen = 8;
inline constexpr uint32_t kG1mGroupNameLen = 18;
inline constexpr uint32_t kG1mGroupHeaderSize = 20;
inline constexpr uint32_t kG1mItemHeaderSize = 24;
inline constexpr uint32_t kG1mNameLen = 8;
// The control bytes are the low byte of the total size plus and minus these.
inline constexpr uint8_t kG1mControlAAdd = 0x41;
inline constexpr uint8_t kG1mControlBSub = 0x48;
// The version word a notebook's own record must carry.
inline constexpr uint16_t kG1mNotebookVersion = 256;

// The header as it reads once its bytes are complemented back.
struct G1mHeader {
  uint8_t magic[8];
  uint8_t type;
  uint8_t fixed1[5];  // 00 10 00 10 00
  uint8_t controlA;
  uint8_t fixed2;  // 01
  uint8_t size[4];
  uint8_t controlB;
  uint8_t padding[9];  // FF each
  uint8_t count[2];    // FFFF for a notebook
};
static_assert(sizeof(G1mHeader) == kG1mHeaderSize);
static_assert(offsetof(G1mHeader, type) == 8 && offsetof(G1mHeader, controlA) == 14);
static_assert(offsetof(G1mHeader, size) == 16 && offsetof(G1mHeader, controlB) == 20);
static_assert(offsetof(G1mHeader, count) == 30);

struct G1mGroupHeader {
  uint8_t name[kG1mGroupNameLen];  // zero padded
  uint8_t count[2];
};
static_assert(sizeof(G1mGroupHeader) == kG1mGroupHeaderSize);

struct G1mItemHeader {
  uint8_t folder[kG1mNameLen];  // zero padded
  uint8_t item[kG1mNameLen];
  uint8_t kind;
  uint8_t size[4];
  uint8_t zero[3];
};
static_assert(sizeof(G1mItemHeader) == kG1mItemHeaderSize);
static_assert(offsetof(G1mItemHeader, kind) == 16 && offsetof(G1mItemHeader, size) == 17);

// The two records that are not main-memory items.
inline constexpr char kG1mGlobalFolder[] = "$GLOBAL";
inline constexpr char kG1mAlphaItem[] = "ALPHAMEM";
inline constexpr char kG1mSetupItem[] = "SETUP";
inline constexpr uint32_t kG1mAlphaBytes = 696;  // 29 records of 24 bytes
inline constexpr uint32_t kG1mSetupBytes = 100;

// ---- Results ----------------------------------------------------------------
// Storage errors pass through unchanged; the file's own faults are these.
enum : int {
  kG1mOk = 0,
  kG1mErrNotData = -34,    // no "USBPower" magic, or not the expected file type
  kG1mErrVersion = -36,    // a notebook of another version
  kG1mErrControl = -42,    // a control byte is wrong
  kG1mErrDamaged = -43,    // size field, item count or an item does not add up
  kG1mErrMemory = -100,    // main memory refused an item (the report has its code)
  kG1mErrNothing = -101,   // nothing to write: the groups hold no item
  kG1mErrNoBackup = -102,  // loading: there is no backup file
};

// ---- Header -----------------------------------------------------------------

// The 32 complemented header bytes of a file of `type`. A notebook's count
// field is 0xFFFF whatever `itemCount` says.
void G1mBuildHeader(uint8_t type, uint32_t totalSize, uint16_t itemCount,
                    uint8_t out[kG1mHeaderSize]);
// The checks of a header read from a file (already complemented back):
// -34 for a wrong magic or type, -43 for a size other than `fileSize` or (for
// data files) an item count of 0, -42 for a wrong control byte.
int G1mValidateHeader(const G1mHeader& header, uint8_t type, uint32_t fileSize);
// Reads the header of an open file: 0 when the file has no "USBPower" header
// or a valid one, -43 when its size field differs from `expectedSize`, -42
// for a wrong control byte. The file position is back at 0 afterwards.
int G1mCheckHeader(int handle, uint32_t expectedSize);
// A notebook file: 0, -43 (not a notebook, or the size field is wrong) or -36
// (its record's version word at bytes 10-11 is not 256).
int G1mCheckNotebook(int handle);

// ---- Data format codes and byte order ------------------------------------

// The code of an item (folder "$GLOBAL" for the two records that are not items).
uint16_t G1mFormatCode(const char* folder, const char* item);

enum class G1mOrder : uint8_t { kToFile, kToMemory };
// Converts an item's bytes between memory and file order by its code. Every
// count an item holds is bounded by `size`, so damaged bytes never lead the
// conversion outside them.
void G1mConvert(uint16_t code, uint8_t* data, uint32_t size, G1mOrder order);

// ---- Groups -----------------------------------------------------------------

// One item to write (the export descriptor).
struct G1mItemDesc {
  char fileName[13];  // "NAME.g1m", used when the target names a folder only
  char folder[9];
  char item[9];
  uint8_t kind;
  const uint8_t* data;  // in memory order; valid until main memory changes
  uint32_t size;
  uint16_t format;
};

// One group to write: the name of its group header and its items.
struct G1mGroup {
  char name[kG1mGroupNameLen + 1] = {};
  std::vector<G1mItemDesc> items;
};

// What a group name selects: a data group of the table (a list file alone
// with "LIST n" or "LISTFILE n"), or a folder of main memory ("@RUNMAT").
struct G1mSelection {
  MemGroup group = MemGroup::kNone;
  int listFile = 0;     // 1..6 for one list file, 0 for all
  char folder[9] = {};  // the folder when group is kNone
};
// False for a name that selects nothing.
bool G1mParseGroupName(const char* name, G1mSelection* out);

// The items of a selection in main memory, in folder and directory order.
// "ALPHA MEM" is the alpha-variable record; "SETUP" the set-up record, when
// one is registered. Returns the number of items.
size_t G1mEnumerate(const G1mSelection& selection, G1mGroup* out);
// A data group of the table by its enumerator.
size_t G1mEnumerateGroup(MemGroup group, G1mGroup* out);
// The file name a group is saved under in storage memory: its name without
// the characters a file name cannot hold, cut to 8 ("Y=DATA" -> "YDATA").
void G1mGroupFileTitle(const char* groupName, char out[9]);

// Where the set-up record lives (the OS registers it; nullptr: none). The
// SETUP group exports its first 100 bytes and the import replaces them.
void G1mSetSetupRecord(uint8_t* record);
uint8_t* G1mSetupRecord();

// ---- Writing ----------------------------------------------------------------

// Bytes a file holding these groups takes, header included.
uint32_t G1mFileSize(const G1mGroup* groups, size_t count);
// Writes one file holding the groups, in order (an existing file of that name
// is replaced). A target ending in '\' names a folder: the first item's file
// name is appended. A file that cannot fit is refused before anything is
// touched; any later failure deletes what was written. Refuses groups that
// hold no item (kG1mErrNothing).
int G1mWriteGroups(const char16_t* target, const G1mGroup* groups, size_t count);
int G1mExportGroup(const char16_t* target, const G1mGroup& group);
// Appends one group at the file position; 0 or the storage error.
int G1mAppendGroup(int handle, const G1mGroup& group);
// Positions after `items` items (-1: all of them) and returns that offset;
// -1 on any error, or when the file holds fewer items.
int G1mSkipTo(int handle, int items);

// ---- Import -----------------------------------------------------------------

// What to do with an item that exists already.
enum class G1mExisting : uint8_t { kAsk, kOverwrite, kSkip };

// The answers the overwrite question gives back (the keys that answered it).
inline constexpr uint32_t kG1mAnswerOverwrite = 30009;  // F1: replace the item
inline constexpr uint32_t kG1mAnswerStop = 30002;       // EXIT: stop importing

struct G1mImportUi {
  void* ctx = nullptr;
  // Shows "Data Exists In Memory" for the item and returns the key that
  // answered: kG1mAnswerOverwrite replaces the item, kG1mAnswerStop ends the
  // import, anything else skips the item.
  uint32_t (*askOverwrite)(void* ctx, const char* folder, const char* item) = nullptr;
};

struct G1mImportOptions {
  G1mExisting existing = G1mExisting::kAsk;
  const G1mImportUi* ui = nullptr;  // kAsk without a question skips the item
  const StorageUi* progress = nullptr;
};

struct G1mImportReport {
  uint32_t imported = 0;  // items created or replaced, records replaced
  uint32_t skipped = 0;   // existing items kept
  bool stopped = false;   // the user stopped the import
  uint32_t memCode = 0;   // the public main-memory code behind kG1mErrMemory
};

// Reads every item of an open ".g1m" file into main memory. 0, a header code
// (-34, -42, -43), -43 for an item that does not fit the file, a storage
// error, or kG1mErrMemory. Items read before a failure stay; the item being
// read when it failed never stays half written.
int G1mImport(int handle, const G1mImportOptions& options, G1mImportReport* report);
// Opens, imports and closes.
int G1mImportFile(const char16_t* path, const G1mImportOptions& options, G1mImportReport* report);

// ---- Backup -----------------------------------------------------------------

// "\\fls0\BACKUP.g1m": the whole main memory, in the root of storage memory.
extern const char16_t kG1mBackupPath[];
// Every non-empty data group in table order, then the items of each folder
// that no data group claims (one group per folder, named after it).
std::vector<G1mGroup> G1mWholeMemory();
// Saves the backup. Space is checked first, so a backup that does not fit
// leaves the old one alone; any later failure deletes the partial file. The
// new backup replaces the old one only once it is complete: after a power
// cut at any point the old or the new one loads.
int G1mSaveBackup(const StorageUi* progress);
// Loads the backup over main memory (existing items are replaced);
// kG1mErrNoBackup when there is none.
int G1mLoadBackup(const StorageUi* progress, G1mImportReport* report);
