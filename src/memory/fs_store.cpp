#include "memory/fs_store.h"

#include <algorithm>
#include <cstring>

#include "memory/fs_error.h"
#include "memory/opt_ui.h"

namespace {

FsState g_fs;

uint32_t AlignUp(uint32_t v, uint32_t a) {
  return (v + a - 1) / a * a;
}

bool IsEntryType(uint16_t t) {
  return t == kTypeFile || t == kTypeFolder;
}

// The directory as last read, kept up to date by the record shadow's
// commits and dropped when anything else writes to a directory sector.
// Lookups build an index on it once they repeat without a change between.
DirSnapshot g_dir;
bool g_dir_valid = false;
uint64_t g_dir_version = 0;

struct DirIndex {
  uint64_t version = ~0ull;
  int uses = 0;
  std::unordered_map<std::u16string, int> entries;                  // folder + name -> last record
  std::unordered_map<uint32_t, std::vector<FsFragment>> fragments;  // by owner
};
DirIndex g_index;

void DirInvalidate() {
  g_dir_valid = false;
  ++g_dir_version;
}

bool InDirectorySector(uint32_t addr, uint32_t count) {
  auto overlaps = [&](uint32_t base) {
    return base && addr < base + kSectorSize && addr + count > base;
  };
  return count == 0 || overlaps(kFlashBase) || overlaps(RecDir2Base());
}

void OnFlashWrite(uint32_t addr, uint32_t count) {
  if (!RecCommitting() && InDirectorySector(addr, count)) DirInvalidate();
}

void OnRecordWritten(int n, const uint8_t* bytes) {
  if (!g_dir_valid) return;
  ++g_dir_version;
  if (bytes && n < g_dir.count) {
    std::memcpy(g_dir.raw.data() + size_t(n) * kRecordSize, bytes, kRecordSize);
  } else if (bytes && n == g_dir.count) {
    g_dir.raw.insert(g_dir.raw.end(), bytes, bytes + kRecordSize);
    g_dir.count++;
  } else {
    DirInvalidate();
  }
}

int CurrentDir(const DirSnapshot** out) {
  if (!g_dir_valid) {
    int rc = ReadDirectory(&g_dir);
    if (rc != 0) return rc;
    g_dir_valid = true;
    ++g_dir_version;
  }
  *out = &g_dir;
  return 0;
}

std::u16string EntryKey(uint32_t parent, const char16_t* name, int len) {
  std::u16string key;
  key.reserve(size_t(len) + 2);
  key.push_back(char16_t(parent >> 16));
  key.push_back(char16_t(parent & 0xFFFF));
  for (int i = 0; i < len; ++i)
    key.push_back(name[i] >= u'a' && name[i] <= u'z' ? char16_t(name[i] - 32) : name[i]);
  return key;
}

int NameOf(const uint8_t* r, char16_t* out);

// The index, when lookups repeat on an unchanged directory (nullptr: scan).
const DirIndex* CurrentIndex(const DirSnapshot& dir) {
  if (g_index.version == g_dir_version) return &g_index;
  if (g_index.uses++ < 2) return nullptr;
  g_index.uses = 0;
  g_index.entries.clear();
  g_index.fragments.clear();
  char16_t nm[kFileNameMax + 1];
  for (int n = kSectorRecords; n < dir.count; ++n) {
    const uint8_t* r = dir.At(n);
    uint32_t h = Get32(r, 0);
    if ((h & kFlagPending) || !(h & kFlagLive)) continue;
    uint16_t t = HeaderType(h);
    if (t == kTypeFile || t == kTypeFolder) {
      int nl = NameOf(r, nm);
      g_index.entries[EntryKey(Get32(r, rec::kLink), nm, nl)] = n;
    } else if (t == kTypeFragment) {
      FsFragment f;
      DecodeFragment(n, r, &f);
      g_index.fragments[f.owner].push_back(f);
    }
  }
  g_index.version = g_dir_version;
  return &g_index;
}

int NameOf(const uint8_t* r, char16_t* out) {
  int chars = HeaderType(Get32(r, 0)) == kTypeFolder ? rec::kFolderNameChars : rec::kFileNameChars;
  int len = 0;
  while (len < chars) {
    uint16_t c = Get16(r, rec::kName + 2 * len);
    if (c == 0xFFFF) break;
    out[len++] = char16_t(c);
  }
  out[len] = 0;
  return len;
}

bool HasSpace(const char16_t* s, int len) {
  for (int i = 0; i < len; ++i)
    if (s[i] == u' ') return true;
  return false;
}

void BuildEntry(uint8_t r[kRecordSize], uint16_t type, uint32_t flags, uint16_t number,
                uint32_t parent, const char16_t* name, int len) {
  std::memset(r, 0xFF, kRecordSize);
  Put32(r, rec::kHeader, MakeHeader(flags, type, number));
  Put32(r, rec::kLink, parent);
  int chars = type == kTypeFolder ? rec::kFolderNameChars : rec::kFileNameChars;
  for (int i = 0; i < chars && i < len; ++i) {
    uint16_t c = uint16_t(name[i]);
    Put16(r, rec::kName + 2 * i, c == 0xFFFF ? uint16_t(Shadow().substitute) : c);
  }
}

int ReadTrailer1(uint8_t t[kRecordSize]) {
  return FlashRead(kFlashBase + kTrailerOffset, t, kRecordSize) ? 0 : kFsImageFailed;
}

// Clears one status bit, then the rest of what an obsolete record loses; once
// the first program has landed the record is dead whatever happens next.
int ObsoleteRecord(int n) {
  int rc = RecClearHeaderBits(n, kFlagLive);
  if (rc == 0) rc = RecClearHeaderBits(n, kFlagMask | 0xFFFF);
  return rc;
}

int ReadAllSectors(SectorInfo s[kSectorCount]) {
  for (int k = 0; k < kSectorCount; ++k) {
    int rc = ReadSectorRecord(k, &s[k]);
    if (rc != 0) return rc;
  }
  return 0;
}

bool SlotValid(int slot) {
  return slot >= 0 && slot < kOpenSlots && g_fs.files[slot].mode != kSlotFree;
}

bool EntryOpenInSlot(int record) {
  for (const FsOpenFile& f : g_fs.files)
    if (f.mode != kSlotFree && f.record == record) return true;
  return false;
}

// The last live committed entry of `type` (0: either) named `name` in `parent`.
int FindEntry(uint32_t parent, const char16_t* name, int len, uint16_t type, uint8_t out[32]) {
  const DirSnapshot* dir;
  int rc = CurrentDir(&dir);
  if (rc != 0) return rc;
  int found = kFsNotFound;
  if (const DirIndex* index = CurrentIndex(*dir)) {
    auto it = index->entries.find(EntryKey(parent, name, len));
    if (it != index->entries.end()) found = it->second;
  } else {
    char16_t nm[kFileNameMax + 1];
    for (int n = kSectorRecords; n < dir->count; ++n) {
      const uint8_t* r = dir->At(n);
      uint32_t h = Get32(r, 0);
      if ((h & kFlagPending) || !(h & kFlagLive) || !IsEntryType(HeaderType(h))) continue;
      if (Get32(r, rec::kLink) != parent) continue;
      int nl = NameOf(r, nm);
      if (FsNameEqual(nm, nl, name, len)) found = n;
    }
  }
  if (found < 0) return found;
  const uint8_t* r = dir->At(found);
  if (type != 0 && HeaderType(Get32(r, 0)) != type) return kFsNotFound;
  if (out) std::memcpy(out, r, kRecordSize);
  return found;
}

// The parent identifier a path names: the root, or its folder (-3 if missing).
int64_t ParentOf(const FsPath& p) {
  if (p.folder_len == 0) return kRootId;
  uint8_t r[kRecordSize];
  int n = FindEntry(kRootId, p.folder, p.folder_len, kTypeFolder, r);
  if (n == kFsNotFound) return kFsPathNotFound;
  if (n < 0) return n;
  return HeaderId(Get32(r, 0));
}

int CollectFromFlash(uint32_t id, FsPiece* out, int max) {
  const DirSnapshot* dir;
  int rc = CurrentDir(&dir);
  if (rc != 0) return rc;
  std::vector<FsFragment> frags;
  if (const DirIndex* index = CurrentIndex(*dir)) {
    auto it = index->fragments.find(id);
    if (it != index->fragments.end()) frags = it->second;
  } else {
    for (int k = kSectorRecords; k < dir->count; ++k) {
      const uint8_t* r = dir->At(k);
      uint32_t h = Get32(r, 0);
      if (HeaderType(h) != kTypeFragment || (h & kFlagPending) || !(h & kFlagLive)) continue;
      if (Get32(r, rec::kLink) != id) continue;
      frags.emplace_back();
      DecodeFragment(k, r, &frags.back());
    }
  }
  std::sort(frags.begin(), frags.end(), FragmentOrder);
  return ResolvePieces(frags.data(), int(frags.size()), out, max, nullptr);
}

// The data sector new fragments go to: the one of the last fragment record,
// filled up to the end of the last bytes any fragment has there, rounded up
// to 16. -1 when there is none.
int CurrentDataSector(uint32_t* fill) {
  const DirSnapshot* dir;
  if (CurrentDir(&dir) != 0) return -1;
  int sector = -1;
  uint32_t end = 0;
  for (int n = dir->count - 1; n >= kSectorRecords; --n) {
    const uint8_t* r = dir->At(n);
    uint32_t h = Get32(r, 0);
    if (HeaderType(h) != kTypeFragment || (h & kFlagPending)) continue;
    FsFragment f;
    DecodeFragment(n, r, &f);
    if (sector < 0) {
      sector = f.Sector();
      if (sector < 1 || sector >= kSectorCount) return -1;
      SectorInfo s;
      if (ReadSectorRecord(sector, &s) != 0 || (s.block >> 16) != 0) return -1;
    }
    if (f.Sector() == sector) end = std::max(end, f.Offset() + f.PieceLength());
    if (f.sector == sector) end = std::max(end, uint32_t(f.offset) + f.Length());
  }
  *fill = AlignUp(end, 16);
  return sector < 0 || *fill >= kSectorSize ? -1 : sector;
}

int CountFreeSectors() {
  int n = 0;
  for (int k = 1; k < kSectorCount; ++k) {
    SectorInfo s;
    if (ReadSectorRecord(k, &s) != 0) return 0;
    if (SectorIsFree(s) && s.erase_count != 0 && SectorAddress(k) != RecDir2Base()) ++n;
  }
  return n;
}

// A free sector that can take `block_word`, erased when it was not blank.
int PickSector(uint32_t block_word) {
  SectorInfo s[kSectorCount];
  int rc = ReadAllSectors(s);
  if (rc != 0) return rc;
  int best = -1;
  for (int k = 1; k < kSectorCount; ++k) {
    if (!SectorIsFree(s[k]) || s[k].erase_count == 0) continue;
    if ((s[k].block & block_word) != block_word) continue;
    if (SectorAddress(k) == RecDir2Base()) continue;
    if (best < 0 || s[k].erase_count < s[best].erase_count) best = k;
  }
  if (best < 0) return kFsNoSpace;
  if (!SectorIsBlank(best) && !FlashEraseVerified(best)) return kFsImageFailed;
  return best;
}

int SetSectorWord(int sector, int off, uint32_t value) {
  int rc = RecSelect(sector);
  if (rc == 0) {
    RecWrite32(off, value);
    rc = RecOld32(off) == value ? 0 : RecCommit();
    if (rc == 0 && Get32(Shadow().new_copy, off) != value) rc = kFsImageFailed;
  }
  RecRelease();
  return rc;
}

int AddDirSector() {
  if (RecDir2Base() != 0) return kFsDirectoryFull;
  int k = PickSector(kBlockDir2);
  if (k < 0) return k;
  uint8_t t[kRecordSize];
  std::memset(t, 0xFF, kRecordSize);
  Put32(t, 0, kTrailerHeader2);
  if (FlashProgram(SectorAddress(k) + kTrailerOffset, t, kRecordSize) != 0) return kFsImageFailed;
  int rc = SetSectorWord(k, rec::kSectorBlock, kBlockDir2);
  if (rc != 0) return rc;
  rc = ReadTrailer1(t);
  if (rc != 0) return rc;
  Put32(t, rec::kLink, SectorAddress(k));
  if (FlashProgram(kFlashBase + kTrailerOffset, t, kRecordSize) != 0) return kFsImageFailed;
  RecSetDir2Base(SectorAddress(k));
  return 0;
}

// Makes sure records up to `last` can be written.
int EnsureRecords(int needed) {
  if (g_fs.record_count + needed > kMaxRecords) return kFsDirectoryFull;
  if (g_fs.record_count + needed > kRecordsPerDirSector && RecDir2Base() == 0)
    return AddDirSector();
  return 0;
}

int AllocateId(uint32_t* id) {
  if (g_fs.next_id <= 0xFFFF) {
    *id = g_fs.next_id++;
    return 0;
  }
  std::vector<bool> used(0x10000, false);
  uint8_t r[kRecordSize];
  for (int n = kSectorRecords; n < g_fs.record_count; ++n) {
    if (RecRead(n, r) != 0) return kFsImageFailed;
    uint16_t t = HeaderType(Get32(r, 0));
    if (IsEntryType(t)) used[HeaderNumber(Get32(r, 0))] = true;
    if (t == kTypeFragment) used[Get32(r, rec::kLink) & 0xFFFF] = true;
  }
  for (uint32_t i = 1; i <= 0xFFFF; ++i)
    if (!used[i]) {
      *id = i;
      return 0;
    }
  return kFsDirectoryFull;
}

// Appends a record at the end of the directory. A failed append may still
// have left bits behind; that record is skipped from then on.
int AppendRecord(const uint8_t body[kRecordSize]) {
  int n = g_fs.record_count;
  g_fs.writing_record = uint16_t(n);
  int rc = RecAppend(n, body);
  uint8_t now[kRecordSize];
  if (rc == 0 || (RecRead(n, now) == 0 && !RecIsBlank(now))) g_fs.record_count++;
  return rc;
}

struct PlannedFragment {
  int new_index;  // >= 0: the n-th newly chosen sector; -1: the current one
  uint32_t offset, length;
};

// Lays out `size` bytes of a file of `kind` without touching the flash.
int PlanFragments(int kind, uint32_t size, int cur, uint32_t fill, PlannedFragment* out, int* nfrag,
                  int* nnew) {
  *nfrag = *nnew = 0;
  if (size == 0) return 0;
  if (kind == kKindNotebookWork) {
    for (int i = 0; i < 2; ++i) out[(*nfrag)++] = {(*nnew)++, 0, kSectorSize};
    return 0;
  }
  if (kind == 4 || kind == 5) {
    if (size >= kSectorSize) return kFsDirectoryFull;
    if (cur >= 0 && fill + size <= kSectorSize)
      out[(*nfrag)++] = {-1, fill, size};
    else
      out[(*nfrag)++] = {(*nnew)++, 0, size};
    return 0;
  }
  int where = cur >= 0 ? -1 : -2;
  uint32_t pos = cur >= 0 ? fill : kSectorSize;
  if (kind == kKindAddIn) pos = AlignUp(pos, kAddInAlign);
  for (uint32_t rem = size; rem > 0;) {
    if (where == -2 || pos >= kSectorSize) {
      where = (*nnew)++;
      pos = 0;
    }
    uint32_t take = std::min(rem, kSectorSize - pos);
    if (*nfrag == kMaxFragments) return kFsDirectoryFull;
    out[(*nfrag)++] = {where, pos, take};
    rem -= take;
    pos = AlignUp(pos + take, 16);
  }
  return 0;
}

// Programs data over what is there, by clearing bits only: a second write to
// the same bytes gives what flash gives, their AND. Odd ends are padded with
// the neighbouring byte as it stands.
int ProgramAnd(uint32_t addr, const uint8_t* data, uint32_t n) {
  static uint8_t buf[16384];
  while (n > 0) {
    uint32_t start = addr & ~1u;
    uint32_t lead = addr - start;
    uint32_t take = std::min<uint32_t>(n, sizeof buf - 2);
    uint32_t span = AlignUp(lead + take, 2);
    if (!FlashRead(start, buf, span)) return kFsImageFailed;
    for (uint32_t i = 0; i < take; ++i) buf[lead + i] &= data[i];
    if (FlashProgram(start, buf, span) != 0) return kFsImageFailed;
    addr += take;
    data += take;
    n -= take;
  }
  return 0;
}

// Maps a file position to its flash address and the bytes left in that
// fragment (0 at the end of the reserved size).
uint32_t MapPosition(const FsOpenFile& f, uint32_t pos, uint32_t* addr) {
  for (int i = 0; i < f.fragments; ++i) {
    if (pos < f.frag_length[i]) {
      *addr = f.frag_address[i] + pos;
      return f.frag_length[i] - pos;
    }
    pos -= f.frag_length[i];
  }
  *addr = 0;
  return 0;
}

void FillInfo(const uint8_t* r, bool in_root, FsFindInfo* info, char16_t* name) {
  int len = NameOf(r, name);
  uint32_t h = Get32(r, 0);
  info->type = HeaderType(h) == kTypeFolder ? 5 : 1;
  info->kind = uint16_t(info->type == 5 ? 0 : FileKindOf(name, len, in_root));
  info->size = 0;
  if (info->type == 1) {
    FsPiece p[kMaxPieces];
    int n = CollectFromFlash(HeaderId(h), p, kMaxPieces);
    for (int i = 0; i < n; ++i) info->size += p[i].length;
  }
}

// The fragment records of a new file, then their count in each.
int ReserveFragments(uint32_t id, int kind, int entry, int cur, const PlannedFragment* plan,
                     int nfrag) {
  int sectors[kMaxFragments];
  uint8_t r[kRecordSize];
  for (int i = 0; i < nfrag; ++i) {
    int sec = cur;
    if (plan[i].new_index >= 0) {
      if (i == 0 || plan[i].new_index != plan[i - 1].new_index) {
        sec = ChooseSector(kBlockData);
        if (sec < 0) return sec;
      } else {
        sec = sectors[i - 1];
      }
    }
    sectors[i] = sec;
    std::memset(r, 0xFF, kRecordSize);
    Put32(r, rec::kHeader,
          MakeHeader(kFlagsSettled | kFlagOpen, kTypeFragment, uint16_t(g_fs.record_count + 1)));
    Put32(r, rec::kLink, id);
    Put16(r, rec::kFragKind, uint16_t(kind));
    Put16(r, rec::kFragNumber, uint16_t(i));
    Put16(r, rec::kFragSector, uint16_t(sec));
    Put16(r, rec::kFragOffset, uint16_t(plan[i].offset));
    Put16(r, rec::kFragLenMinus1, uint16_t(plan[i].length - 1));
    int rc = AppendRecord(r);
    if (rc != 0) return rc;
    if (g_fs.record_count != entry + 2 + i) return kFsDamaged;  // a torn record in between
  }
  for (int i = 0; i < nfrag; ++i) {
    int rc = RecSelect(entry + 1 + i);
    if (rc == 0) {
      RecWrite16(rec::kFragCount, uint16_t(nfrag));
      rc = RecCommit();
    }
    RecRelease();
    if (rc != 0) return rc;
  }
  return 0;
}

}  // namespace

FsState& Fs() {
  return g_fs;
}

bool FragmentOrder(const FsFragment& a, const FsFragment& b) {
  if (a.owner != b.owner) return a.owner < b.owner;
  if (a.number != b.number) return a.number < b.number;
  return a.record < b.record;
}

int ResolvePieces(const FsFragment* f, int n, FsPiece* out, int max, std::vector<int>* used) {
  int primaries = 0;
  for (int i = 0; i < n; ++i) primaries += !f[i].continuation;
  if (primaries > kMaxFragments) return kFsDamaged;
  int np = 0, expect = 0;
  for (int i = 0; i < n; ++i) {
    if (f[i].continuation) continue;
    if (f[i].number != expect++ || f[i].count != primaries) return kFsDamaged;
    const FsFragment* cur = &f[i];
    for (;;) {
      uint32_t len = cur->PieceLength();
      if (np == max || len > cur->Length()) return kFsDamaged;
      if (cur->Sector() < 1 || cur->Sector() >= kSectorCount || cur->Offset() + len > kSectorSize)
        return kFsDamaged;
      out[np++] = {cur->Sector(), cur->Offset(), len};
      if (used) used->push_back(cur->record);
      if (len == cur->Length()) break;
      // Only the first part was moved: the rest has a record of its own.
      const FsFragment* next = nullptr;
      for (int j = 0; j < n && !next; ++j)
        if (f[j].continuation && f[j].number == cur->number && f[j].sector == cur->sector &&
            f[j].offset == cur->offset + len && f[j].Length() == cur->Length() - len)
          next = &f[j];
      if (!next) return kFsDamaged;
      cur = next;
    }
  }
  return np;
}

void DecodeFragment(int record, const uint8_t r[kRecordSize], FsFragment* f) {
  f->record = record;
  f->header = Get32(r, rec::kHeader);
  f->owner = Get32(r, rec::kLink);
  f->kind = Get16(r, rec::kFragKind);
  f->count = Get16(r, rec::kFragCount);
  f->number = Get16(r, rec::kFragNumber);
  f->sector = Get16(r, rec::kFragSector);
  f->offset = Get16(r, rec::kFragOffset);
  f->len_minus1 = Get16(r, rec::kFragLenMinus1);
  f->rel_sector = Get16(r, rec::kFragRelSector);
  f->rel_offset = Get16(r, rec::kFragRelOffset);
  f->rel_len_minus1 = Get16(r, rec::kFragRelLenMinus1);
  f->continuation = Get16(r, rec::kFragPart) == 0;
}

bool SectorIsFree(const SectorInfo& s) {
  return (s.block >> 16) == 0xFFFF && (s.reserve >> 16) == 0xFFFF;
}

int ChooseSector(uint32_t block_word) {
  int k = PickSector(block_word);
  if (k < 0) return k;
  int rc = SetSectorWord(k, rec::kSectorBlock, block_word);
  return rc != 0 ? rc : k;
}

int LoadDirectoryLayout() {
  RecSetDir2Base(0);
  uint8_t t[kRecordSize];
  int rc = ReadTrailer1(t);
  if (rc != 0) return rc;
  if (Get32(t, rec::kHeader) != kTrailerHeader1) return kFsDamaged;
  uint32_t link = Get32(t, rec::kLink);
  if (link == kNoLink) return 0;
  for (int k = 1; k < kSectorCount; ++k) {
    uint32_t base = SectorAddress(k);
    if (!OnTheWay(link, kNoLink, base)) continue;
    SectorInfo s;
    if (ReadSectorRecord(k, &s) != 0 || s.block != kBlockDir2) continue;
    uint8_t t2[kRecordSize];
    if (!FlashRead(base + kTrailerOffset, t2, kRecordSize)) return kFsImageFailed;
    if (Get32(t2, rec::kHeader) != kTrailerHeader2) continue;
    if (link != base) {  // the link was being programmed when the power went
      Put32(t, rec::kLink, base);
      if (FlashProgram(kFlashBase + kTrailerOffset, t, kRecordSize) != 0) return kFsImageFailed;
    }
    RecSetDir2Base(base);
    return 0;
  }
  return kFsNoSectorRecord;  // linked, but no sector is the second directory sector
}

int ReadDirectory(DirSnapshot* out) {
  out->raw.clear();
  out->count = 0;
  int limit = RecDir2Base() ? kMaxRecords : kRecordsPerDirSector;
  out->raw.reserve(size_t(limit) * kRecordSize);
  uint8_t r[kRecordSize];
  for (int n = 0; n < limit; ++n) {
    int rc = RecRead(n, r);
    if (rc != 0) return rc;
    if (RecIsBlank(r)) break;
    out->raw.insert(out->raw.end(), r, r + kRecordSize);
    out->count = n + 1;
  }
  return 0;
}

void FindLive(const DirSnapshot& dir, LiveSet* out) {
  out->record.assign(size_t(std::max(dir.count, kSectorRecords)), false);
  out->entries.clear();
  out->pieces.clear();
  out->piece_records.clear();
  for (int n = 0; n < std::min(dir.count, kSectorRecords); ++n)
    out->record[n] = HeaderType(Get32(dir.At(n), 0)) == kTypeSector;

  struct Candidate {
    uint32_t id;
    int record;
  };
  std::vector<Candidate> cands;
  std::vector<FsFragment> frags;
  for (int n = kSectorRecords; n < dir.count; ++n) {
    const uint8_t* r = dir.At(n);
    uint32_t h = Get32(r, 0);
    if ((h & kFlagPending) || !(h & kFlagLive)) continue;
    uint16_t t = HeaderType(h);
    if (IsEntryType(t) && !(h & kFlagOpen) && Get16(r, rec::kName) != 0xFFFF) {
      cands.push_back({HeaderId(h), n});
    } else if (t == kTypeFragment) {
      frags.emplace_back();
      DecodeFragment(n, r, &frags.back());
    }
  }
  // Two entries with one identifier: a rename was cut between its two
  // steps; the later record carries the new name.
  std::stable_sort(cands.begin(), cands.end(),
                   [](const Candidate& a, const Candidate& b) { return a.id < b.id; });
  std::vector<Candidate> unique;
  for (size_t i = 0; i < cands.size(); ++i)
    if (i + 1 == cands.size() || cands[i + 1].id != cands[i].id) unique.push_back(cands[i]);
  std::sort(frags.begin(), frags.end(), FragmentOrder);

  auto folder_live = [&](uint32_t id) {
    if (HeaderType(id) != kTypeFolder) return false;
    for (const Candidate& c : unique)
      if (c.id == id) return Get32(dir.At(c.record), rec::kLink) == kRootId;
    return false;
  };
  std::vector<int> live_entries;
  for (const Candidate& c : unique) {
    const uint8_t* r = dir.At(c.record);
    uint32_t parent = Get32(r, rec::kLink);
    if (HeaderType(c.id) == kTypeFolder) {
      if (parent != kRootId) continue;
    } else {
      if (parent != kRootId && !folder_live(parent)) continue;
      FsFragment probe;
      probe.owner = c.id;
      auto lo = std::lower_bound(
          frags.begin(), frags.end(), probe,
          [](const FsFragment& a, const FsFragment& b) { return a.owner < b.owner; });
      auto hi = lo;
      while (hi != frags.end() && hi->owner == c.id) ++hi;
      FsPiece pieces[kMaxPieces];
      std::vector<int> used;
      int np = ResolvePieces(frags.data() + (lo - frags.begin()), int(hi - lo), pieces, kMaxPieces,
                             &used);
      if (np < 0) continue;
      for (int rec_no : used) out->record[rec_no] = true;
      out->pieces[c.id].assign(pieces, pieces + np);
      out->piece_records[c.id] = std::move(used);
    }
    out->record[c.record] = true;
    live_entries.push_back(c.record);
  }
  std::sort(live_entries.begin(), live_entries.end());
  out->entries = live_entries;
}

void SmResetTables() {
  for (FsOpenFile& f : g_fs.files) f = FsOpenFile{};
  for (FsSearch& s : g_fs.searches) s = FsSearch{};
}

int SmMount() {
  g_fs.mounted = false;
  // The image may have been replaced under us.
  DirInvalidate();
  FlashSetWriteObserver(OnFlashWrite);
  RecSetWriteHook(OnRecordWritten);
  SmResetTables();
  RecRelease();
  int rc = LoadDirectoryLayout();
  if (rc != 0) return rc;
  for (int k = 0; k < kSectorCount; ++k) {
    SectorInfo s;
    rc = ReadSectorRecord(k, &s);
    if (rc != 0) return rc;
    if (s.address != SectorAddress(k)) return kFsDamaged;
  }
  DirSnapshot dir;
  rc = ReadDirectory(&dir);
  if (rc != 0) return rc;
  if (dir.count < kSectorRecords) return kFsDamaged;
  uint32_t max_id = 0;
  for (int n = kSectorRecords; n < dir.count; ++n) {
    const uint8_t* r = dir.At(n);
    uint16_t t = HeaderType(Get32(r, 0));
    if (IsEntryType(t)) max_id = std::max<uint32_t>(max_id, HeaderNumber(Get32(r, 0)));
    if (t == kTypeFragment) max_id = std::max<uint32_t>(max_id, Get32(r, rec::kLink) & 0xFFFF);
  }
  g_fs.record_count = uint16_t(dir.count);
  g_fs.writing_record = uint16_t(dir.count);
  g_fs.next_id = max_id + 1;
  g_fs.mounted = true;
  return 0;
}

int SmFormat(bool full, const StorageUi* ui) {
  SmResetTables();
  RecRelease();
  g_fs.mounted = false;
  // Spoil the old directory first, so that a format cut short can never be
  // taken for a directory rewrite to finish.
  uint8_t t[kRecordSize];
  if (ReadTrailer1(t) == 0 && Get32(t, 0) != 0xFFFFFFFF) {
    Put32(t, 0, 0);
    FlashProgram(kFlashBase + kTrailerOffset, t, kRecordSize);
  }
  bool failed[kSectorCount] = {};
  if (full) UiProgressOpen(ui);
  for (int i = 0; i < kSectorCount; ++i) {
    int k = (i + 1) % kSectorCount;  // sector 0 last
    if (full || !SectorIsBlank(k)) failed[k] = !FlashEraseVerified(k);
    if (full) UiProgressUpdate(ui, uint32_t(i + 1), kSectorCount);
  }
  if (full) UiProgressClose(ui);
  if (failed[0]) return kFsImageFailed;
  RecSetDir2Base(0);
  int spare = 1;
  while (spare < kSectorCount - 1 && failed[spare]) ++spare;
  for (int n = 0; n < kSectorCount; ++n) {
    uint8_t r[kRecordSize];
    std::memset(r, 0xFF, kRecordSize);
    Put32(r, rec::kHeader, MakeHeader(kFlagsSector, kTypeSector, uint16_t(n + 1)));
    Put32(r, rec::kLink, SectorAddress(n));
    Put32(r, rec::kSectorBlock, n == 0 ? kBlockDir1 : kBlockFree);
    Put32(r, rec::kSectorReserve, n == spare ? kReserveSpare : kReserveNone);
    Put32(r, rec::kSectorEraseCount, failed[n] ? 0 : 1);
    int rc = RecAppend(n, r);
    if (rc != 0) return rc;
  }
  std::memset(t, 0xFF, kRecordSize);
  Put32(t, rec::kHeader, kTrailerHeader1);
  Put32(t, rec::kTrailerGeneration, 0xFFFFFFFE);  // generation 1
  if (FlashProgram(kFlashBase + kTrailerOffset, t, kRecordSize) != 0) return kFsImageFailed;
  return SmMount();
}

int SmCheck(bool repair) {
  int rc = SmMount();
  if (rc != 0) return rc;
  int problems = 0;
  uint8_t t[kRecordSize];
  rc = ReadTrailer1(t);
  if (rc != 0) return rc;
  // An unfinished optimisation has copies in flight: nothing is judged or
  // repaired until it has been finished.
  if (Get16(t, rec::kTrailerOptMarker) != kOptMarkerIdle) return 1;
  SectorInfo s[kSectorCount];
  rc = ReadAllSectors(s);
  if (rc != 0) return rc;
  DirSnapshot dir;
  rc = ReadDirectory(&dir);
  if (rc != 0) return rc;
  LiveSet live;
  FindLive(dir, &live);

  std::vector<int> doomed;
  for (int n = kSectorRecords; n < dir.count; ++n) {
    uint32_t h = Get32(dir.At(n), 0);
    if ((h & kFlagPending) || !(h & kFlagLive) || !IsEntryType(HeaderType(h))) continue;
    if (!live.record[n]) doomed.push_back(n);
  }
  // Live files must lie in data sectors and never share a byte.
  std::vector<bool> used(size_t(kSectorCount) * (kSectorSize / 16), false);
  for (int e : live.entries) {
    uint32_t h = Get32(dir.At(e), 0);
    if (HeaderType(h) != kTypeFile) continue;
    const std::vector<FsPiece>& f = live.pieces[HeaderId(h)];
    int nf = int(f.size());
    bool bad = false;
    for (int i = 0; i < nf && !bad; ++i) {
      const SectorInfo& sec = s[f[i].sector];
      if ((sec.block >> 16) != 0 || sec.reserve == kReserveSpare) bad = true;
      uint32_t first = f[i].offset / 16, last = (f[i].offset + f[i].length - 1) / 16;
      for (uint32_t u = first; u <= last && !bad; ++u) {
        size_t at = size_t(f[i].sector) * (kSectorSize / 16) + u;
        if (used[at]) bad = true;
        used[at] = true;
      }
    }
    if (bad) doomed.push_back(e);
  }
  problems += int(doomed.size());
  if (repair && !doomed.empty()) {
    for (int n : doomed) {
      rc = ObsoleteRecord(n);
      if (rc != 0) return rc;
    }
    rc = SmMount();
    if (rc != 0) return rc;
  }
  return problems;
}

int SmCreate(const FsPath& p, int entry_kind, uint32_t size) {
  if (!g_fs.mounted) return kFsDamaged;
  if (entry_kind != 1 && entry_kind != 5) return kFsBadArgument;
  if (p.name_len == 0 || HasSpace(p.name, p.name_len)) return kFsPathNotFound;
  bool folder = entry_kind == 5;
  if (folder && (p.folder_len != 0 || p.name_len > kFolderNameMax)) return kFsPathNotFound;
  int64_t parent = ParentOf(p);
  if (parent < 0) return int(parent);
  int found = FindEntry(uint32_t(parent), p.name, p.name_len, 0, nullptr);
  if (found >= 0) return kFsExists;
  if (found != kFsNotFound) return found;
  int kind = folder ? 0 : FileKindOf(p.name, p.name_len, parent == kRootId);
  if (kind == kKindNotebookWork && size != kNotebookWorkSize) return kFsWrongType;

  PlannedFragment plan[kMaxFragments];
  int nfrag = 0, nnew = 0;
  uint32_t fill = 0;
  int cur = -1;
  if (!folder) {
    cur = CurrentDataSector(&fill);
    int rc = PlanFragments(kind, size, cur, fill, plan, &nfrag, &nnew);
    if (rc != 0) return rc;
  }
  int needed = 1 + nfrag;
  if (g_fs.record_count + needed > kMaxRecords) return kFsDirectoryFull;
  bool needs_dir2 = g_fs.record_count + needed > kRecordsPerDirSector && RecDir2Base() == 0;
  if (nnew + (needs_dir2 ? 1 : 0) > CountFreeSectors()) return kFsNoSpace;
  int rc = EnsureRecords(needed);
  if (rc != 0) return rc;
  uint32_t number;
  rc = AllocateId(&number);
  if (rc != 0) return rc;

  uint8_t r[kRecordSize];
  uint16_t type = folder ? kTypeFolder : kTypeFile;
  uint32_t flags = kFlagsSettled | (folder || size == 0 ? 0 : kFlagOpen);
  BuildEntry(r, type, flags, uint16_t(number), uint32_t(parent), p.name, p.name_len);
  int entry = g_fs.record_count;
  rc = AppendRecord(r);
  if (rc != 0) return rc;
  uint32_t id = HeaderId(Get32(r, 0));
  rc = ReserveFragments(id, kind, entry, cur, plan, nfrag);
  // A file whose space could not be reserved goes again at once (the check
  // at the next start would remove it otherwise).
  if (rc != 0) ObsoleteRecord(entry);
  g_fs.writing_record = g_fs.record_count;
  return rc;
}

int SmOpen(const FsPath& p, int mode) {
  if (!g_fs.mounted) return kFsDamaged;
  if (p.name_len == 0) return kFsPathNotFound;
  int64_t parent = ParentOf(p);
  if (parent < 0) return int(parent);
  uint8_t r[kRecordSize];
  int n = FindEntry(uint32_t(parent), p.name, p.name_len, 0, r);
  if (n < 0) return n;
  if (HeaderType(Get32(r, 0)) != kTypeFile) return kFsWrongType;
  int slot = 0;
  while (slot < kOpenSlots && g_fs.files[slot].mode != kSlotFree) ++slot;
  if (slot == kOpenSlots) return kFsTooManyOpen;
  FsPiece f[kMaxPieces];
  int nf = CollectFromFlash(HeaderId(Get32(r, 0)), f, kMaxPieces);
  if (nf < 0) return nf;
  FsOpenFile& of = g_fs.files[slot];
  of = FsOpenFile{};
  of.record = uint16_t(n);
  of.header = Get32(r, 0);
  of.parent = uint32_t(parent);
  NameOf(r, of.name);
  of.mode = uint8_t(mode == kSlotFree ? 0 : mode);
  of.fragments = nf;
  for (int i = 0; i < nf; ++i) {
    of.frag_address[i] = SectorAddress(f[i].sector) + f[i].offset;
    of.frag_length[i] = f[i].length;
    of.size += f[i].length;
  }
  return slot;
}

int SmClose(int slot) {
  if (!SlotValid(slot)) return kFsBadArgument;
  FsOpenFile& of = g_fs.files[slot];
  int entry = of.record;
  uint32_t id = HeaderId(of.header);
  int fragments = of.fragments;
  of = FsOpenFile{};
  uint8_t r[kRecordSize];
  int rc = RecRead(entry, r);
  if (rc != 0) return rc;
  if (!(Get32(r, 0) & kFlagOpen)) return 0;
  // Fragments first, from the last to the first, then the entry: a file
  // whose entry is closed is complete.
  auto fragment_of_file = [&](int n, uint8_t* out) {
    return RecRead(n, out) == 0 && HeaderType(Get32(out, 0)) == kTypeFragment &&
           Get32(out, rec::kLink) == id;
  };
  if (entry + 1 < g_fs.record_count && fragment_of_file(entry + 1, r)) {
    int count = Get16(r, rec::kFragCount);
    if (count < 1 || count > kMaxFragments) return kFsDamaged;
    for (int i = count - 1; i >= 0; --i) {
      if (!fragment_of_file(entry + 1 + i, r) || Get16(r, rec::kFragNumber) != i) return kFsDamaged;
      if (Get32(r, 0) & kFlagOpen) {
        rc = RecClearHeaderBits(entry + 1 + i, kFlagOpen);
        if (rc != 0) return rc;
      }
    }
  } else if (fragments != 0) {
    return kFsDamaged;
  }
  return RecClearHeaderBits(entry, kFlagOpen);
}

int SmRead(int slot, void* buf, int count, int position) {
  if (!SlotValid(slot) || count < 0) return kFsBadArgument;
  FsOpenFile& of = g_fs.files[slot];
  uint32_t pos = position < 0 ? of.position : uint32_t(position);
  if (pos > of.size) return kFsBadPosition;
  auto* out = static_cast<uint8_t*>(buf);
  int done = 0;
  while (done < count) {
    uint32_t addr;
    uint32_t left = MapPosition(of, pos, &addr);
    if (left == 0) break;
    uint32_t n = std::min<uint32_t>(left, uint32_t(count - done));
    if (!FlashRead(addr, out + done, n)) return kFsImageFailed;
    done += int(n);
    pos += n;
  }
  of.position = pos;
  return done;
}

int SmWrite(int slot, const void* data, int count) {
  if (count < 1) return 0;
  if (!SlotValid(slot)) return kFsBadArgument;
  FsOpenFile& of = g_fs.files[slot];
  if (HeaderType(of.header) != kTypeFile) return kFsWrongType;
  auto* in = static_cast<const uint8_t*>(data);
  int done = 0;
  while (done < count) {
    uint32_t addr;
    uint32_t left = MapPosition(of, of.position, &addr);
    if (left == 0) break;
    uint32_t n = std::min<uint32_t>(left, uint32_t(count - done));
    if (ProgramAnd(addr, in + done, n) != 0) return kFsImageFailed;
    done += int(n);
    of.position += n;
  }
  return done == 0 ? kFsBadArgument : done;
}

int SmSeek(int slot, int position) {
  if (!SlotValid(slot)) return kFsBadArgument;
  if (position < 0 || uint32_t(position) > g_fs.files[slot].size) return kFsBadPosition;
  g_fs.files[slot].position = uint32_t(position);
  return position;
}

int SmSize(int slot) {
  if (!SlotValid(slot)) return kFsBadArgument;
  return int(g_fs.files[slot].size);
}

int SmDelete(const FsPath& p) {
  if (!g_fs.mounted) return kFsDamaged;
  if (p.name_len == 0) return kFsPathNotFound;
  int64_t parent = ParentOf(p);
  if (parent < 0) return int(parent);
  uint8_t r[kRecordSize];
  int n = FindEntry(uint32_t(parent), p.name, p.name_len, 0, r);
  if (n < 0) return n;
  if (EntryOpenInSlot(n)) return kFsTooManyOpen;
  if (HeaderType(Get32(r, 0)) == kTypeFolder) {
    uint32_t id = HeaderId(Get32(r, 0));
    uint8_t c[kRecordSize];
    for (int k = kSectorRecords; k < g_fs.record_count; ++k) {
      if (RecRead(k, c) != 0) return kFsImageFailed;
      uint32_t h = Get32(c, 0);
      if (IsEntryType(HeaderType(h)) && (h & kFlagLive) && !(h & kFlagPending) &&
          Get32(c, rec::kLink) == id)
        return kFsAccessDenied;
    }
  }
  return ObsoleteRecord(n);
}

int SmRename(const FsPath& p, const FsPath& np) {
  if (!g_fs.mounted) return kFsDamaged;
  if (p.name_len == 0 || np.name_len == 0) return kFsPathNotFound;
  int64_t parent = ParentOf(p);
  if (parent < 0) return parent == kFsPathNotFound ? kFsNotFound : int(parent);
  uint8_t r[kRecordSize];
  int n = FindEntry(uint32_t(parent), p.name, p.name_len, 0, r);
  if (n < 0) return n;
  uint32_t h = Get32(r, 0);
  if (EntryOpenInSlot(n) || (h & kFlagOpen)) return kFsTooManyOpen;
  if (!FsNameEqual(p.folder, p.folder_len, np.folder, np.folder_len)) return kFsPathNotFound;
  if (HasSpace(np.name, np.name_len)) return kFsPathNotFound;
  int other = FindEntry(uint32_t(parent), np.name, np.name_len, 0, nullptr);
  if (other >= 0 && other != n) return kFsExists;
  if (!IsEntryType(HeaderType(h))) return kFsWrongType;
  if (HeaderType(h) == kTypeFolder && np.name_len > kFolderNameMax) return kFsPathNotFound;
  int rc = EnsureRecords(1);
  if (rc != 0) return rc;
  // The new entry lands before the old one dies, so a power cut leaves the
  // file under one name or the other, never under none.
  uint8_t nr[kRecordSize];
  BuildEntry(nr, HeaderType(h), kFlagsSettled, HeaderNumber(h), uint32_t(parent), np.name,
             np.name_len);
  rc = AppendRecord(nr);
  g_fs.writing_record = g_fs.record_count;
  return rc != 0 ? rc : ObsoleteRecord(n);
}

int SmFindNext(int slot, char16_t* name, FsFindInfo* info) {
  if (slot < 0 || slot >= kSearchSlots || g_fs.searches[slot].record == kSearchFree)
    return kFsBadArgument;
  FsSearch& s = g_fs.searches[slot];
  const DirSnapshot* dir;
  int rc = CurrentDir(&dir);
  if (rc != 0) return rc;
  char16_t nm[kFileNameMax + 1];
  for (int n = s.record + 1; n < dir->count; ++n) {
    uint8_t r[kRecordSize];
    std::memcpy(r, dir->At(n), kRecordSize);
    uint32_t h = Get32(r, 0);
    if ((h & kFlagPending) || !(h & kFlagLive) || (h & kFlagOpen)) continue;
    if (!IsEntryType(HeaderType(h)) || Get32(r, rec::kLink) != s.folder) continue;
    int len = NameOf(r, nm);
    if (len == 0 || !FsPatternMatch(s.pattern, s.pattern_len, nm, len)) continue;
    s.record = uint16_t(n);
    FsFindInfo fi;
    FillInfo(r, s.folder == kRootId, &fi, name ? name : nm);
    if (info) *info = fi;
    return 0;
  }
  s.record = uint16_t(g_fs.record_count > 0 ? g_fs.record_count - 1 : 0);
  return kFsNotFound;
}

int SmFindFirst(const FsPath& p, int* slot, char16_t* name, FsFindInfo* info) {
  if (!g_fs.mounted) return kFsDamaged;
  int64_t folder = ParentOf(p);
  if (folder < 0) return int(folder);
  int k = 0;
  while (k < kSearchSlots && g_fs.searches[k].record != kSearchFree) ++k;
  if (k == kSearchSlots) return kFsNoSearchSlot;
  FsSearch& s = g_fs.searches[k];
  s = FsSearch{};
  s.folder = uint32_t(folder);
  if (p.name_len == 0) {
    s.pattern[0] = u'*';
    s.pattern_len = 1;
  } else {
    std::copy_n(p.name, p.name_len, s.pattern);
    s.pattern_len = p.name_len;
  }
  s.record = kSectorRecords - 1;
  int rc = SmFindNext(k, name, info);
  if (rc != 0) {
    s.record = kSearchFree;
    return rc;
  }
  *slot = k;
  return 0;
}

int SmFindClose(int slot) {
  if (slot < 0 || slot >= kSearchSlots) return kFsBadArgument;
  g_fs.searches[slot].record = kSearchFree;
  return 0;
}

bool SmAnyOpen() {
  for (const FsOpenFile& f : g_fs.files)
    if (f.mode != kSlotFree) return true;
  return false;
}

int64_t SmFreeSpace(int kind) {
  if (!g_fs.mounted) return kFsDamaged;
  if (g_fs.record_count <= kSectorRecords) return kEmptyStoreFree;
  int64_t nfree = CountFreeSectors();
  uint32_t fill = 0;
  int cur = CurrentDataSector(&fill);
  int64_t rest = cur < 0 ? 0 : std::max<int64_t>(0, int64_t(kSectorSize - 1) - fill);
  int64_t free_bytes;
  if (kind == 4 || kind == 5) {
    free_bytes = nfree * kSectorSize;
  } else if (kind == kKindNotebookWork) {
    free_bytes = nfree >= 2 ? kNotebookWorkSize : 0;
  } else if (kind == kKindAddIn) {
    rest =
        cur < 0 ? 0 : std::max<int64_t>(0, int64_t(kSectorSize - 1) - AlignUp(fill, kAddInAlign));
    free_bytes = nfree * kSectorSize + rest;
  } else {
    free_bytes = nfree * kSectorSize + rest;
  }
  if (g_fs.record_count % kRecordsPerDirSector == 0 && free_bytes <= kSectorSize) return 0;
  return free_bytes;
}
