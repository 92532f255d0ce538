#include "memory/fs_record.h"

#include <cstring>

#include "memory/fs_error.h"

namespace {

uint32_t g_dir2_base = 0;
RecordShadow g_shadow;
void (*g_write_hook)(int, const uint8_t*) = nullptr;
bool g_committing = false;

struct FieldShape {
  uint8_t off, size;
};
// Fields a write may name, per record type; names are written character by
// character through RecWriteName.
const FieldShape kCommonFields[] = {{0, 4}, {4, 4}};
const FieldShape kTrailerFields[] = {{8, 4}, {12, 2}, {14, 2}, {16, 4}};
const FieldShape kFragmentFields[] = {{8, 2},  {10, 2}, {12, 2}, {14, 2}, {16, 2},
                                     {18, 2}, {20, 2}, {22, 2}, {24, 2}};
const FieldShape kSectorFields[] = {{8, 4}, {12, 4}, {16, 4}, {20, 2}};

template <size_t N>
bool InTable(const FieldShape (&t)[N], int off, int size) {
  for (const FieldShape& f : t)
    if (f.off == off && f.size == size) return true;
  return false;
}

bool FieldAllowed(int off, int size) {
  if (InTable(kCommonFields, off, size)) return true;
  switch (HeaderType(Get32(g_shadow.new_copy, 0))) {
    case kTypeTrailer:
      return InTable(kTrailerFields, off, size);
    case kTypeFragment:
      return InTable(kFragmentFields, off, size);
    case kTypeSector:
      return InTable(kSectorFields, off, size);
    default:
      return false;
  }
}

}  // namespace

void RecSetDir2Base(uint32_t base) {
  g_dir2_base = base;
}
uint32_t RecDir2Base() {
  return g_dir2_base;
}

int64_t RecordAddress(int n) {
  if (n < 0 || n >= kMaxRecords) return kFsBadArgument;
  if (n < kRecordsPerDirSector) return kFlashBase + uint32_t(n) * kRecordSize;
  if (g_dir2_base == 0) return kFsBadArgument;
  return g_dir2_base + uint32_t(n - kRecordsPerDirSector) * kRecordSize;
}

int RecRead(int n, uint8_t out[kRecordSize]) {
  int64_t addr = RecordAddress(n);
  if (addr < 0) return int(addr);
  return FlashRead(uint32_t(addr), out, kRecordSize) ? 0 : kFsImageFailed;
}

bool RecIsBlank(const uint8_t r[kRecordSize]) {
  for (uint32_t i = 0; i < kRecordSize; ++i)
    if (r[i] != 0xFF) return false;
  return true;
}

RecordShadow& Shadow() {
  return g_shadow;
}

int RecSelect(int n) {
  RecRelease();
  int rc = RecRead(n, g_shadow.old_copy);
  if (rc != 0) return rc;
  std::memcpy(g_shadow.new_copy, g_shadow.old_copy, kRecordSize);
  g_shadow.number = n;
  return 0;
}

uint16_t RecOld16(int off) {
  return Get16(g_shadow.old_copy, off);
}
uint32_t RecOld32(int off) {
  return Get32(g_shadow.old_copy, off);
}

void RecWrite16(int off, uint16_t v) {
  if (!FieldAllowed(off, 2)) return;
  if ((Get16(g_shadow.old_copy, off) & v) != v) return;
  Put16(g_shadow.new_copy, off, v);
}

void RecWrite32(int off, uint32_t v) {
  if (!FieldAllowed(off, 4)) return;
  if ((Get32(g_shadow.old_copy, off) & v) != v) return;
  Put32(g_shadow.new_copy, off, v);
}

void RecWriteName(const char16_t* name, int len) {
  int chars = HeaderType(Get32(g_shadow.new_copy, 0)) == kTypeFolder ? rec::kFolderNameChars
                                                                     : rec::kFileNameChars;
  for (int i = 0; i < chars; ++i) {
    uint16_t c = i < len ? uint16_t(name[i]) : 0xFFFF;
    if (i < len && c == 0xFFFF) c = uint16_t(g_shadow.substitute);
    int off = rec::kName + 2 * i;
    if ((Get16(g_shadow.old_copy, off) & c) == c) Put16(g_shadow.new_copy, off, c);
  }
}

int RecCommit() {
  if (g_shadow.number < 0) return kFsBadArgument;
  for (uint32_t i = 0; i < kRecordSize; ++i)
    if ((g_shadow.old_copy[i] & g_shadow.new_copy[i]) != g_shadow.new_copy[i])
      return kFsCommitSetsBit;
  int64_t addr = RecordAddress(g_shadow.number);
  if (addr < 0) return int(addr);
  g_committing = true;
  bool ok = FlashProgram(uint32_t(addr), g_shadow.new_copy, kRecordSize) == 0;
  g_committing = false;
  if (g_write_hook) g_write_hook(g_shadow.number, ok ? g_shadow.new_copy : nullptr);
  if (!ok) return kFsImageFailed;
  std::memcpy(g_shadow.old_copy, g_shadow.new_copy, kRecordSize);
  return 0;
}

void RecSetWriteHook(void (*hook)(int n, const uint8_t* bytes)) {
  g_write_hook = hook;
}
bool RecCommitting() {
  return g_committing;
}

void RecRelease() {
  std::memset(g_shadow.old_copy, 0xFF, kRecordSize);
  std::memset(g_shadow.new_copy, 0xFF, kRecordSize);
  g_shadow.number = -1;
}

int RecClearHeaderBits(int n, uint32_t bits) {
  int rc = RecSelect(n);
  if (rc == 0) {
    RecWrite32(rec::kHeader, RecOld32(rec::kHeader) & ~bits);
    rc = RecCommit();
  }
  RecRelease();
  return rc;
}

int RecAppend(int n, const uint8_t body[kRecordSize]) {
  int rc = RecSelect(n);
  if (rc == 0 && !RecIsBlank(g_shadow.old_copy)) rc = kFsDamaged;
  if (rc == 0) {
    std::memcpy(g_shadow.new_copy, body, kRecordSize);
    Put32(g_shadow.new_copy, 0, Get32(body, 0) | kFlagPending);
    rc = RecCommit();
  }
  if (rc == 0) {
    Put32(g_shadow.new_copy, 0, Get32(body, 0) & ~kFlagPending);
    rc = RecCommit();
  }
  RecRelease();
  return rc;
}

int ReadSectorRecord(int sector, SectorInfo* out) {
  uint8_t r[kRecordSize];
  int rc = RecRead(sector, r);
  if (rc != 0) return rc;
  out->header = Get32(r, rec::kHeader);
  if (HeaderType(out->header) != kTypeSector) return kFsDamaged;
  out->address = Get32(r, rec::kLink);
  out->block = Get32(r, rec::kSectorBlock);
  out->reserve = Get32(r, rec::kSectorReserve);
  out->erase_count = Get32(r, rec::kSectorEraseCount);
  out->state = Get16(r, rec::kSectorState);
  return 0;
}
