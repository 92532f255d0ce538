// The record directory of storage memory: 32-byte big-endian records in one
// or two directory sectors, and the record shadow through which every record
// change goes, so flash only ever sees bits cleared.
//
// Status flags in bits 28-31 of a record header, each only ever cleared:
//   bit 31  open: a file entry or fragment still being written (closing clears it)
//   bit 30  live: cleared when the record becomes obsolete
//   bit 29  pending: cleared once the whole record has landed; a record whose
//           append was cut keeps it and is ignored
//   bit 28  fragments: not relocated; cleared once optimisation has copied
//           the fragment and programmed where it went
// A record is appended in two programs (body, then the pending bit), and every
// later status change clears one bit with one program, so a power cut can
// never leave a status half-changed.
#pragma once

#include <cstdint>

#include "memory/flash_image.h"

constexpr uint32_t kRecordSize = 32;
constexpr int kRecordsPerDirSector = 2047;
constexpr int kMaxRecords = 4094;
constexpr int kSectorRecords = 25;  // records 0-24 describe sectors 0-24
constexpr uint32_t kTrailerOffset = 0xFFE0;
static_assert(kRecordsPerDirSector * kRecordSize == kTrailerOffset);
static_assert(kTrailerOffset + kRecordSize == kSectorSize);
static_assert(2 * kRecordsPerDirSector == kMaxRecords);

enum RecordType : uint16_t {
  kTypeTrailer = 0x100,
  kTypeFolder = 0x110,
  kTypeFile = 0x120,
  kTypeFragment = 0x130,
  kTypeSector = 0x200,
};

constexpr uint32_t kFlagOpen = 1u << 31;
constexpr uint32_t kFlagLive = 1u << 30;
constexpr uint32_t kFlagPending = 1u << 29;
constexpr uint32_t kFlagNotRelocated = 1u << 28;
constexpr uint32_t kFlagMask = 0xF0000000u;
// A settled live record: fragments and entries keep "not relocated" set,
// sector records are written with 0x4 in the flags.
constexpr uint32_t kFlagsSettled = kFlagLive | kFlagNotRelocated;
constexpr uint32_t kFlagsSector = kFlagLive;
constexpr uint32_t kRootId = 0xFFFFFFFF;
constexpr uint32_t kNoLink = 0xFFFFFFFF;

constexpr uint32_t kTrailerHeader1 = 0x01000001;  // first directory sector
constexpr uint32_t kTrailerHeader2 = 0x01000002;

constexpr uint16_t HeaderType(uint32_t header) {
  return uint16_t((header >> 16) & 0x0FFF);
}
constexpr uint16_t HeaderNumber(uint32_t header) {
  return uint16_t(header & 0xFFFF);
}
constexpr uint32_t HeaderId(uint32_t header) {
  return header & 0x0FFFFFFF;
}
constexpr uint32_t MakeHeader(uint32_t flags, uint16_t type, uint16_t number) {
  return flags | (uint32_t(type) << 16) | number;
}

// Byte offsets of the fields, all big-endian.
namespace rec {
constexpr int kHeader = 0;
constexpr int kLink = 4;  // trailer next link, entry parent, fragment owner, sector address
// trailer
constexpr int kTrailerLink2 = 8;
constexpr int kTrailerOptMarker = 12;   // 16 bits
constexpr int kTrailerSealed = 14;      // 16 bits: a directory copy that is complete
constexpr int kTrailerGeneration = 16;  // 32 bits, stored as 0xFFFFFFFF - generation
// entries
constexpr int kName = 8;
constexpr int kFolderNameChars = 8;
constexpr int kFileNameChars = 12;
// fragment, 16-bit fields
constexpr int kFragKind = 8;
constexpr int kFragCount = 10;
constexpr int kFragNumber = 12;
constexpr int kFragSector = 14;
constexpr int kFragOffset = 16;
constexpr int kFragLenMinus1 = 18;
constexpr int kFragRelSector = 20;
constexpr int kFragRelOffset = 22;
constexpr int kFragRelLenMinus1 = 24;
constexpr int kFragPart = 26;  // 0xFFFF: a fragment; 0: the rest of a fragment split when moved
// sector record
constexpr int kSectorBlock = 8;
constexpr int kSectorReserve = 12;
constexpr int kSectorEraseCount = 16;
constexpr int kSectorState = 20;  // 16 bits
}  // namespace rec
static_assert(rec::kName + 2 * rec::kFileNameChars == kRecordSize);
static_assert(rec::kFragRelLenMinus1 + 2 == rec::kFragPart);
static_assert(rec::kSectorState + 2 <= 22);

// Sector record words.
constexpr uint32_t kBlockFree = 0xFFFFFFFF;
constexpr uint32_t kBlockData = 0x00000000;
constexpr uint32_t kBlockDir1 = 0x00FF0001;
constexpr uint32_t kBlockDir2 = 0x00FF0002;
constexpr uint32_t kReserveNone = 0xFFFFFFFF;
constexpr uint32_t kReserveSpare = 0x0FFFFFFF;     // receives optimisation copies
constexpr uint32_t kReserveRetired = 0x00FFFFFF;   // a spare that filled up in this run
constexpr uint32_t kReserveDirCopy2 = 0x000FFFFF;  // second half of a directory copy
constexpr uint16_t kStateIdle = 0xFFFF;
constexpr uint16_t kStateEmptying = 0x0FFF;
constexpr uint16_t kStateErasing = 0x00FF;
constexpr uint16_t kStateErased = 0x000F;
constexpr uint16_t kOptMarkerIdle = 0xFFFF;
constexpr uint16_t kOptMarkerRunning = 0x0FFF;

// Big-endian access to a raw record.
inline uint16_t Get16(const uint8_t* r, int off) {
  return uint16_t(r[off] << 8 | r[off + 1]);
}
inline uint32_t Get32(const uint8_t* r, int off) {
  return uint32_t(r[off]) << 24 | uint32_t(r[off + 1]) << 16 | uint32_t(r[off + 2]) << 8 |
         r[off + 3];
}
inline void Put16(uint8_t* r, int off, uint16_t v) {
  r[off] = uint8_t(v >> 8);
  r[off + 1] = uint8_t(v);
}
inline void Put32(uint8_t* r, int off, uint32_t v) {
  for (int i = 0; i < 4; ++i) r[off + i] = uint8_t(v >> (24 - 8 * i));
}
// True when `now` lies on the way from `from` to `to` by clearing bits: a
// program of `to` over `from` that a power cut tore may have left it.
constexpr bool OnTheWay(uint32_t now, uint32_t from, uint32_t to) {
  return (now & from) == now && (now & to) == to;
}

// Where directory sector 2 starts (0: there is none). Set by mounting.
void RecSetDir2Base(uint32_t base);
uint32_t RecDir2Base();
// Flash address of record n, or -2 when n is out of range or lies in a
// second directory sector that does not exist.
int64_t RecordAddress(int n);
// Reads record n raw; 0, -2 (bad number) or -31 (image failure).
int RecRead(int n, uint8_t out[kRecordSize]);
bool RecIsBlank(const uint8_t r[kRecordSize]);

// The record shadow: one record at a time.
struct RecordShadow {
  uint8_t old_copy[kRecordSize];
  uint8_t new_copy[kRecordSize];
  int number = -1;
  char16_t substitute = u'_';  // written for a name character of 0xFFFF
};
RecordShadow& Shadow();
// Selects record n (reads it into both copies); 0 or a negative code.
int RecSelect(int n);
uint16_t RecOld16(int off);
uint32_t RecOld32(int off);
// Field writes into the new copy: ignored unless `off` starts a field of
// that size in the record's layout, and unless they only clear bits.
void RecWrite16(int off, uint16_t v);
void RecWrite32(int off, uint32_t v);
// Writes a name into the name field (0xFFFF past its end).
void RecWriteName(const char16_t* name, int len);
// Checks the new copy again (-35 if it sets any bit) and programs the 32
// bytes; -31 when the image failed.
int RecCommit();
void RecRelease();
// Told about every record the shadow programmed (nullptr bytes: the program
// failed and the record is unknown); while it runs, RecCommitting() is true.
void RecSetWriteHook(void (*hook)(int n, const uint8_t* bytes));
bool RecCommitting();

// Convenience on the shadow: select n, clear `bits` in the header, commit.
int RecClearHeaderBits(int n, uint32_t bits);
// Appends a whole record at n: body with the pending bit set, then the
// pending bit cleared. The record must be blank.
int RecAppend(int n, const uint8_t body[kRecordSize]);

// Sector records.
struct SectorInfo {
  uint32_t header, address, block, reserve, erase_count;
  uint16_t state;
};
int ReadSectorRecord(int sector, SectorInfo* out);  // -6 when not a sector record
