#include "memory/opt_run.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "memory/fs_error.h"
#include "memory/fs_path.h"
#include "memory/fs_store.h"

namespace {

constexpr uint32_t kCopyChunk = 2048;
constexpr int kRecordsPerBatch = int(kCopyChunk / kRecordSize);
constexpr int kStepLimit = 1000000;

struct OptContext {
  DirSnapshot dir;
  LiveSet live;
  std::vector<int> live_fragments;  // records, in record order
  std::vector<uint8_t> stream;      // the compacted directory, 32 bytes a record
  uint32_t generation = 0;          // of the directory being replaced
};

OptState g_opt;
OptContext g_ctx;

uint32_t AlignUp(uint32_t v, uint32_t a) {
  return (v + a - 1) / a * a;
}

uint32_t GenerationOf(const uint8_t* trailer) {
  return 0xFFFFFFFFu - Get32(trailer, rec::kTrailerGeneration);
}

int ReadTrailerAt(uint32_t sector_base, uint8_t t[kRecordSize]) {
  return FlashRead(sector_base + kTrailerOffset, t, kRecordSize) ? 0 : kFsImageFailed;
}

int RefreshRecord(int n) {
  if (n >= g_ctx.dir.count) return 0;
  return RecRead(n, g_ctx.dir.raw.data() + size_t(n) * kRecordSize);
}

SectorInfo Sector(int k) {
  SectorInfo s{};
  const uint8_t* r = g_ctx.dir.At(k);
  s.header = Get32(r, rec::kHeader);
  s.address = Get32(r, rec::kLink);
  s.block = Get32(r, rec::kSectorBlock);
  s.reserve = Get32(r, rec::kSectorReserve);
  s.erase_count = Get32(r, rec::kSectorEraseCount);
  s.state = Get16(r, rec::kSectorState);
  return s;
}

// Programs one field of record n (only clearing bits) and checks it landed.
int ProgramField(int n, int off, int size, uint32_t value) {
  int rc = RecSelect(n);
  if (rc == 0) {
    uint32_t old = size == 2 ? RecOld16(off) : RecOld32(off);
    if (old != value) {
      if (size == 2)
        RecWrite16(off, uint16_t(value));
      else
        RecWrite32(off, value);
      uint32_t now = size == 2 ? Get16(Shadow().new_copy, off) : Get32(Shadow().new_copy, off);
      rc = now != value ? kFsCommitSetsBit : RecCommit();
    }
  }
  RecRelease();
  if (rc == 0) rc = RefreshRecord(n);
  return rc;
}

int SetState(int k, uint16_t state) {
  return ProgramField(k, rec::kSectorState, 2, state);
}

int FindSectorBy(uint32_t reserve) {
  for (int k = 1; k < kSectorCount; ++k)
    if (Sector(k).reserve == reserve) return k;
  return -1;
}

int FindState(uint16_t state) {
  for (int k = 0; k < kSectorCount; ++k)
    if (Sector(k).state == state) return k;
  return -1;
}

bool IsLinkedDir2(int k) {
  return RecDir2Base() == SectorAddress(k);
}

FsFragment FragmentAt(int n) {
  FsFragment f;
  DecodeFragment(n, g_ctx.dir.At(n), &f);
  return f;
}

// Bytes of the spare already taken by copies: the end of the last one.
uint32_t SpareFill(int spare) {
  uint32_t fill = 0;
  for (int n = kSectorRecords; n < g_ctx.dir.count; ++n) {
    if (HeaderType(Get32(g_ctx.dir.At(n), 0)) != kTypeFragment) continue;
    FsFragment f = FragmentAt(n);
    if (f.Relocated() && f.rel_sector == spare)
      fill = std::max(fill, AlignUp(f.rel_offset + f.PieceLength(), 16));
  }
  return fill;
}

bool HoldsLiveData(int k) {
  for (int n : g_ctx.live_fragments)
    if (FragmentAt(n).Sector() == k) return true;
  return false;
}

// Chooses a sector that holds nothing: free, or erased earlier in this run.
int ChooseEmpty(const std::vector<int>& exclude) {
  int best = -1;
  for (int k = 1; k < kSectorCount; ++k) {
    SectorInfo s = Sector(k);
    if (s.erase_count == 0 || s.reserve != kReserveNone || IsLinkedDir2(k)) continue;
    if (!SectorIsFree(s) && s.state != kStateErased) continue;
    if (std::find(exclude.begin(), exclude.end(), k) != exclude.end()) continue;
    if (HoldsLiveData(k)) continue;
    if (best < 0 || s.erase_count < Sector(best).erase_count) best = k;
  }
  return best < 0 ? kFsNoSpace : best;
}

int EraseIfDirty(int k) {
  if (SectorIsBlank(k)) return 0;
  return FlashEraseVerified(k) ? 0 : kFsImageFailed;
}

int Retire(int k) {
  int rc = ProgramField(k, rec::kSectorBlock, 4, kBlockData);
  if (rc == 0) rc = ProgramField(k, rec::kSectorReserve, 4, kReserveRetired);
  return rc;
}

int LoadContext() {
  int rc = LoadDirectoryLayout();
  if (rc != 0) return rc;
  rc = ReadDirectory(&g_ctx.dir);
  if (rc != 0) return rc;
  if (g_ctx.dir.count < kSectorRecords) return kFsDamaged;
  for (int k = 0; k < kSectorCount; ++k) {
    SectorInfo s = Sector(k);
    if (HeaderType(s.header) != kTypeSector || s.address != SectorAddress(k)) return kFsDamaged;
  }
  FindLive(g_ctx.dir, &g_ctx.live);
  g_ctx.live_fragments.clear();
  std::memset(g_opt.live_records, 0, sizeof g_opt.live_records);
  for (int n = 0; n < g_ctx.dir.count; ++n) {
    if (!g_ctx.live.record[n]) continue;
    g_opt.live_records[n / 32] |= 1u << (n % 32);
    if (HeaderType(Get32(g_ctx.dir.At(n), 0)) == kTypeFragment) g_ctx.live_fragments.push_back(n);
  }
  uint8_t t[kRecordSize];
  rc = ReadTrailerAt(kFlashBase, t);
  if (rc != 0) return rc;
  g_ctx.generation = GenerationOf(t);
  for (int k = 0; k < kSectorCount; ++k) {
    SectorInfo s = Sector(k);
    g_opt.block[k] = s.block;
    g_opt.reserve[k] = s.reserve;
    g_opt.state[k] = s.state;
  }
  int live_count = 0;
  for (bool b : g_ctx.live.record) live_count += b;
  g_opt.work_total = g_ctx.dir.count < kSectorRecords
                         ? kRecordsPerDirSector
                         : uint32_t(g_ctx.live_fragments.size()) + uint32_t(live_count) / 2 + 1;
  return 0;
}

// A state field a power cut tore on its way from one value to the next is
// finished, so that the run continues from a known point.
int SettleStates() {
  static const uint16_t kLevels[] = {kStateIdle, kStateEmptying, kStateErasing, kStateErased};
  for (int k = 0; k < kSectorCount; ++k) {
    uint16_t v = Sector(k).state;
    bool known = false;
    for (uint16_t l : kLevels) known |= v == l;
    if (known) continue;
    int rc = kFsDamaged;
    for (int i = 0; i + 1 < 4; ++i)
      if (OnTheWay(v, kLevels[i], kLevels[i + 1])) {
        rc = SetState(k, kLevels[i + 1]);
        break;
      }
    if (rc != 0) return rc;
  }
  return 0;
}

// The directory as it will be after the run: the sector records with their
// new roles, then every live entry and fragment in record order, fragments
// at the place they were copied to; a fragment that was split is written as
// one fragment per piece.
void BuildStream(int d1, int d2) {
  // Per file: its pieces, neighbours in one sector joined again; written
  // where its first fragment record was.
  struct Pieces {
    std::vector<FsPiece> pieces;
  };
  std::vector<Pieces> by_primary(size_t(g_ctx.dir.count));
  std::vector<bool> data_sector(kSectorCount, false);
  std::unordered_map<uint32_t, std::vector<FsFragment>> by_owner;
  for (int n : g_ctx.live_fragments) {
    FsFragment f = FragmentAt(n);
    by_owner[f.owner].push_back(f);
  }
  for (int e : g_ctx.live.entries) {
    uint32_t id = HeaderId(Get32(g_ctx.dir.At(e), 0));
    if (HeaderType(id) != kTypeFile) continue;
    std::vector<FsFragment>& frags = by_owner[id];
    if (frags.empty()) continue;
    std::sort(frags.begin(), frags.end(), FragmentOrder);
    FsPiece pieces[kMaxPieces];
    int np = ResolvePieces(frags.data(), int(frags.size()), pieces, kMaxPieces, nullptr);
    int first = g_ctx.dir.count;
    for (const FsFragment& f : frags)
      if (!f.continuation) first = std::min(first, f.record);
    Pieces& out = by_primary[size_t(first)];
    for (int k = 0; k < np; ++k) {
      data_sector[pieces[k].sector] = true;
      FsPiece* last = out.pieces.empty() ? nullptr : &out.pieces.back();
      if (last && last->sector == pieces[k].sector &&
          last->offset + last->length == pieces[k].offset)
        last->length += pieces[k].length;
      else
        out.pieces.push_back(pieces[k]);
    }
  }
  std::vector<uint8_t>& out = g_ctx.stream;
  out.clear();
  int index = 0;
  auto emit = [&](const uint8_t* r) {
    out.insert(out.end(), r, r + kRecordSize);
    ++index;
  };
  for (int n = 0; n < g_ctx.dir.count; ++n) {
    if (!g_ctx.live.record[n]) continue;
    uint8_t r[kRecordSize];
    std::memcpy(r, g_ctx.dir.At(n), kRecordSize);
    uint32_t h = Get32(r, 0);
    uint16_t type = HeaderType(h);
    if (type == kTypeSector) {
      SectorInfo s = Sector(n);
      uint32_t block = kBlockFree, reserve = kReserveNone;
      bool erased = s.state == kStateErased || n == 0 || n == d1 || n == d2;
      if (n == 0)
        block = kBlockDir1;
      else if (n == d1)
        reserve = kReserveSpare;
      else if (n == d2)
        block = kBlockDir2;
      else if (data_sector[n])
        block = kBlockData;
      uint32_t count = s.erase_count;
      if (erased && count != 0 && count < 0xFFFFFFFE) ++count;
      std::memset(r, 0xFF, kRecordSize);
      Put32(r, rec::kHeader, MakeHeader(kFlagsSector, kTypeSector, uint16_t(n + 1)));
      Put32(r, rec::kLink, SectorAddress(n));
      Put32(r, rec::kSectorBlock, block);
      Put32(r, rec::kSectorReserve, reserve);
      Put32(r, rec::kSectorEraseCount, count);
      emit(r);
    } else if (type == kTypeFragment) {
      const Pieces& file = by_primary[size_t(n)];
      int total = int(file.pieces.size());
      for (int j = 0; j < total; ++j) {
        const FsPiece& piece = file.pieces[size_t(j)];
        Put32(r, rec::kHeader, MakeHeader(kFlagsSettled, type, uint16_t(index + 1)));
        Put16(r, rec::kFragCount, uint16_t(total));
        Put16(r, rec::kFragNumber, uint16_t(j));
        Put16(r, rec::kFragSector, uint16_t(piece.sector));
        Put16(r, rec::kFragOffset, uint16_t(piece.offset));
        Put16(r, rec::kFragLenMinus1, uint16_t(piece.length - 1));
        for (int off :
             {rec::kFragRelSector, rec::kFragRelOffset, rec::kFragRelLenMinus1, rec::kFragPart})
          Put16(r, off, 0xFFFF);
        emit(r);
      }
    } else {
      Put32(r, rec::kHeader, (h & ~kFlagMask) | kFlagsSettled);
      emit(r);
    }
  }
}

int CopyBytes(uint32_t from, uint32_t to, uint32_t n) {
  uint8_t buf[kCopyChunk];
  while (n > 0) {
    uint32_t take = std::min(n, kCopyChunk);
    if (!FlashRead(from, buf, take)) return kFsImageFailed;
    if (FlashProgram(to, buf, take) != 0) return kFsImageFailed;
    from += take;
    to += take;
    n -= take;
  }
  return 0;
}

// ---- the steps ----

int Step1Marker() {
  uint8_t t[kRecordSize];
  int rc = ReadTrailerAt(kFlashBase, t);
  if (rc != 0) return rc;
  if (Get16(t, rec::kTrailerOptMarker) != kOptMarkerRunning) {
    Put16(t, rec::kTrailerOptMarker, Get16(t, rec::kTrailerOptMarker) & kOptMarkerRunning);
    if (FlashProgram(kFlashBase + kTrailerOffset, t, kRecordSize) != 0) return kFsImageFailed;
  }
  return 2;
}

int Step2ChooseSector() {
  int k = FindState(kStateEmptying);
  if (k >= 1) {
    g_opt.emptying = uint16_t(k);
    return 3;
  }
  for (int n : g_ctx.live_fragments) {
    FsFragment f = FragmentAt(n);
    if (f.Relocated()) continue;
    SectorInfo s = Sector(f.sector);
    if (s.state != kStateIdle || s.reserve != kReserveNone) return kFsDamaged;
    int rc = SetState(f.sector, kStateEmptying);
    if (rc != 0) return rc;
    g_opt.emptying = f.sector;
    return 3;
  }
  // Sectors that hold nothing live any more are released as well.
  for (k = 1; k < kSectorCount; ++k) {
    SectorInfo s = Sector(k);
    if (s.state != kStateIdle || (s.reserve >> 16) != 0xFFFF || s.block == kBlockFree) continue;
    if (IsLinkedDir2(k) || HoldsLiveData(k)) continue;
    int rc = SetState(k, kStateEmptying);
    if (rc != 0) return rc;
    g_opt.emptying = uint16_t(k);
    return 3;
  }
  g_opt.emptying = 0xFFFF;
  return 9;
}

int Step3Spare() {
  int spare = FindSectorBy(kReserveSpare);
  if (spare < 0) {
    int emptying = FindState(kStateEmptying);
    spare = ChooseEmpty({emptying});
    if (spare < 0) return spare;
    int rc = EraseIfDirty(spare);
    if (rc == 0) rc = ProgramField(spare, rec::kSectorReserve, 4, kReserveSpare);
    if (rc != 0) return rc;
  } else if (SpareFill(spare) == 0) {
    // Nothing was copied into it yet: whatever it holds is left over.
    int rc = EraseIfDirty(spare);
    if (rc != 0) return rc;
  }
  g_opt.spare = uint16_t(spare);
  return 4;
}

int Step4NextFragment() {
  int emptying = FindState(kStateEmptying);
  if (emptying < 0) return 2;
  g_opt.emptying = uint16_t(emptying);
  for (int n : g_ctx.live_fragments) {
    FsFragment f = FragmentAt(n);
    if (!f.Relocated() && f.sector == emptying) {
      g_opt.fragment = n;
      g_opt.current_record = uint16_t(n);
      return 5;
    }
  }
  return 7;
}

int Step5Place() {
  int spare = FindSectorBy(kReserveSpare);
  if (spare < 0) return 3;
  g_opt.spare = uint16_t(spare);
  FsFragment f = FragmentAt(g_opt.fragment);
  uint32_t pos = SpareFill(spare);
  if (f.kind == kKindAddIn) pos = AlignUp(pos, kAddInAlign);
  g_opt.write_offset = pos;
  if (pos + f.Length() <= kSectorSize) return 6;
  // Split only what may be split, into a spare with room left, while the
  // directory can take the record for the rest.
  bool whole = f.kind == 4 || f.kind == 5 || f.kind == kKindNotebookWork;
  int limit = RecDir2Base() ? kMaxRecords : kRecordsPerDirSector;
  if (!whole && pos + 16 <= kSectorSize && g_ctx.dir.count < limit) return 15;
  return 8;
}

// Programs where fragment record n went: it is moved once this lands.
int Relocate(int n, int spare, uint32_t offset, uint32_t length) {
  int rc = RecSelect(n);
  if (rc == 0) {
    RecWrite16(rec::kFragRelSector, uint16_t(spare));
    RecWrite16(rec::kFragRelOffset, uint16_t(offset));
    RecWrite16(rec::kFragRelLenMinus1, uint16_t(length - 1));
    const uint8_t* nc = Shadow().new_copy;
    if (Get16(nc, rec::kFragRelSector) != spare || Get16(nc, rec::kFragRelOffset) != offset ||
        Get16(nc, rec::kFragRelLenMinus1) != length - 1)
      rc = kFsCommitSetsBit;
    else
      rc = RecCommit();
  }
  RecRelease();
  if (rc == 0) rc = RecClearHeaderBits(n, kFlagNotRelocated);
  if (rc == 0) rc = RefreshRecord(n);
  return rc;
}

void MarkUnits(uint32_t offset, uint32_t length) {
  for (uint32_t u = offset / 16; u < AlignUp(offset + length, 16) / 16; ++u)
    g_opt.live_units[u / 32] |= 1u << (u % 32);
}

int Step6Copy() {
  FsFragment f = FragmentAt(g_opt.fragment);
  int spare = g_opt.spare;
  uint32_t to = SectorAddress(spare) + g_opt.write_offset;
  int rc = CopyBytes(f.Address(), to, f.Length());
  if (rc == 0) rc = Relocate(f.record, spare, g_opt.write_offset, f.Length());
  if (rc != 0) return rc;
  MarkUnits(g_opt.write_offset, f.Length());
  g_opt.work_done++;
  return 4;
}

// The fragment does not fit: the rest goes into a record of its own (found
// again when a power cut came after it was written), then the part that
// fits is copied and the fragment moved.
int Step15SplitFragment() {
  FsFragment f = FragmentAt(g_opt.fragment);
  int spare = g_opt.spare;
  uint32_t pos = g_opt.write_offset;
  uint32_t part = kSectorSize - pos;
  int rest = -1;
  for (int n = kSectorRecords; n < g_ctx.dir.count && rest < 0; ++n) {
    const uint8_t* r = g_ctx.dir.At(n);
    uint32_t h = Get32(r, 0);
    if (HeaderType(h) != kTypeFragment || (h & kFlagPending) || !(h & kFlagLive)) continue;
    FsFragment c = FragmentAt(n);
    if (c.continuation && c.owner == f.owner && c.number == f.number && c.sector == f.sector &&
        c.offset == f.offset + part && c.Length() == f.Length() - part && !c.Relocated())
      rest = n;
  }
  if (rest < 0) {
    rest = g_ctx.dir.count;
    uint8_t r[kRecordSize];
    std::memcpy(r, g_ctx.dir.At(f.record), kRecordSize);
    Put32(r, rec::kHeader, MakeHeader(kFlagsSettled, kTypeFragment, uint16_t(rest + 1)));
    Put16(r, rec::kFragCount, 0xFFFF);
    Put16(r, rec::kFragOffset, uint16_t(f.offset + part));
    Put16(r, rec::kFragLenMinus1, uint16_t(f.Length() - part - 1));
    for (int off : {rec::kFragRelSector, rec::kFragRelOffset, rec::kFragRelLenMinus1})
      Put16(r, off, 0xFFFF);
    Put16(r, rec::kFragPart, 0);
    int rc = RecAppend(rest, r);
    if (rc != 0) return rc;
    g_ctx.dir.raw.resize(g_ctx.dir.raw.size() + kRecordSize);
    g_ctx.dir.count++;
    g_ctx.live.record.push_back(false);
    rc = RefreshRecord(rest);
    if (rc != 0) return rc;
  }
  int rc = CopyBytes(f.Address(), SectorAddress(spare) + pos, part);
  if (rc == 0) rc = Relocate(f.record, spare, pos, part);
  if (rc != 0) return rc;
  MarkUnits(pos, part);
  if (!g_ctx.live.record[rest]) {
    g_ctx.live.record[rest] = true;
    auto at = std::lower_bound(g_ctx.live_fragments.begin(), g_ctx.live_fragments.end(), rest);
    g_ctx.live_fragments.insert(at, rest);
    g_opt.work_total++;
  }
  return 4;
}

int Step7Release() {
  int k = FindState(kStateEmptying);
  if (k < 0) k = FindState(kStateErasing);
  if (k < 1) return 2;
  int rc = SetState(k, kStateErasing);
  if (rc != 0) return rc;
  if (!FlashEraseVerified(k)) return kFsImageFailed;
  rc = SetState(k, kStateErased);
  if (rc != 0) return rc;
  g_opt.emptying = 0xFFFF;
  return 2;
}

int Step8Retire() {
  int spare = FindSectorBy(kReserveSpare);
  if (spare >= 0) {
    int rc = Retire(spare);
    if (rc != 0) return rc;
  }
  g_opt.spare = 0xFFFF;
  std::memset(g_opt.live_units, 0, sizeof g_opt.live_units);
  return 3;
}

int Step9DirectoryPhase() {
  int spare = FindSectorBy(kReserveSpare);
  if (spare >= 0 && SpareFill(spare) > 0) {
    int rc = Retire(spare);
    if (rc != 0) return rc;
  }
  int rc = SetState(0, kStateEmptying);
  return rc != 0 ? rc : 10;
}

int Step10PrepareCopy() {
  BuildStream(-1, -1);
  int records = int(g_ctx.stream.size() / kRecordSize);
  if (records > kMaxRecords) return kFsDirectoryFull;
  bool two = records > kRecordsPerDirSector;
  int d1 = FindSectorBy(kReserveSpare);
  if (d1 >= 0 && SpareFill(d1) > 0) {
    int rc = Retire(d1);
    if (rc != 0) return rc;
    d1 = -1;
  }
  int d2 = FindSectorBy(kReserveDirCopy2);
  if (d1 < 0) {
    d1 = ChooseEmpty({d2});
    if (d1 < 0) return d1;
    int rc = EraseIfDirty(d1);
    if (rc == 0) rc = ProgramField(d1, rec::kSectorReserve, 4, kReserveSpare);
    if (rc != 0) return rc;
  }
  if (two && d2 < 0) {
    d2 = ChooseEmpty({d1});
    if (d2 < 0) return d2;
    int rc = ProgramField(d2, rec::kSectorReserve, 4, kReserveDirCopy2);
    if (rc != 0) return rc;
  }
  // A copy begun before a power cut is started again from a clean sector.
  int rc = EraseIfDirty(d1);
  if (rc == 0 && two) rc = EraseIfDirty(d2);
  if (rc != 0) return rc;
  g_opt.dir_copy[0] = uint16_t(d1);
  g_opt.dir_copy[1] = uint16_t(two ? d2 : 0xFFFF);
  BuildStream(d1, two ? d2 : -1);
  g_opt.current_record = 0;
  g_opt.dir_counts[0] = g_opt.dir_counts[1] = 0;
  return 11;
}

// Copies the next batch of compacted records into the copy.
int Step11CopyRecords() {
  int total = int(g_ctx.stream.size() / kRecordSize);
  int at = g_opt.current_record;
  if (at >= total) return 13;
  int half = at < kRecordsPerDirSector ? 0 : 1;
  int first = half * kRecordsPerDirSector;
  int limit = std::min(total, first + kRecordsPerDirSector);
  int n = std::min(kRecordsPerBatch, limit - at);
  uint32_t to = SectorAddress(g_opt.dir_copy[half]) + uint32_t(at - first) * kRecordSize;
  if (FlashProgram(to, g_ctx.stream.data() + size_t(at) * kRecordSize, uint32_t(n) * kRecordSize) !=
      0)
    return kFsImageFailed;
  g_opt.current_record = uint16_t(at + n);
  g_opt.dir_counts[half] = uint16_t(at + n - first);
  g_opt.work_done += uint32_t(n) / 2;
  if (at + n >= total) return 13;
  return at + n == kRecordsPerDirSector ? 12 : 11;
}

// The first new directory sector is full: go on in the second.
int Step12SecondSector() {
  return g_opt.dir_copy[1] == 0xFFFF ? kFsDamaged : 11;
}

// Seals the copy: trailers, then the flag that says it is complete.
int Step13Seal() {
  uint8_t t[kRecordSize];
  if (g_opt.dir_copy[1] != 0xFFFF) {
    std::memset(t, 0xFF, kRecordSize);
    Put32(t, rec::kHeader, kTrailerHeader2);
    if (FlashProgram(SectorAddress(g_opt.dir_copy[1]) + kTrailerOffset, t, kRecordSize) != 0)
      return kFsImageFailed;
  }
  uint32_t base = SectorAddress(g_opt.dir_copy[0]);
  std::memset(t, 0xFF, kRecordSize);
  Put32(t, rec::kHeader, kTrailerHeader1);
  Put32(t, rec::kLink, g_opt.dir_copy[1] == 0xFFFF ? kNoLink : SectorAddress(g_opt.dir_copy[1]));
  Put32(t, rec::kTrailerGeneration, 0xFFFFFFFFu - (g_ctx.generation + 1));
  if (FlashProgram(base + kTrailerOffset, t, kRecordSize) != 0) return kFsImageFailed;
  Put16(t, rec::kTrailerSealed, 0);
  if (FlashProgram(base + kTrailerOffset, t, kRecordSize) != 0) return kFsImageFailed;
  return 16;
}

// Spoils the old directory, then erases its sector.
int Step16EraseDirectory() {
  uint8_t t[kRecordSize];
  if (ReadTrailerAt(kFlashBase, t) != 0) return kFsImageFailed;
  // Only a whole directory is spoilt first: a header already broken by a
  // rewrite cut short must keep the generation that rewrite wrote beside it.
  if (Get32(t, rec::kHeader) == kTrailerHeader1) {
    Put32(t, rec::kHeader, 0);
    if (FlashProgram(kFlashBase + kTrailerOffset, t, kRecordSize) != 0) return kFsImageFailed;
  }
  return FlashEraseVerified(0) ? 14 : kFsImageFailed;
}

// Copies the sealed copy into sector 0; its trailer goes last, header last
// of all, so a valid header means the whole directory is there.
int Step14Rewrite() {
  uint32_t from = SectorAddress(g_opt.dir_copy[0]);
  uint8_t buf[kCopyChunk];
  for (uint32_t off = 0; off < kTrailerOffset; off += kCopyChunk) {
    uint32_t n = std::min(kCopyChunk, kTrailerOffset - off);
    if (!FlashRead(from + off, buf, n)) return kFsImageFailed;
    bool blank = true;
    for (uint32_t i = 0; i < n && blank; ++i) blank = buf[i] == 0xFF;
    if (blank) break;
    if (FlashProgram(kFlashBase + off, buf, n) != 0) return kFsImageFailed;
  }
  uint8_t t[kRecordSize];
  if (ReadTrailerAt(from, t) != 0) return kFsImageFailed;
  uint32_t header = Get32(t, rec::kHeader);
  Put32(t, rec::kHeader, 0xFFFFFFFF);
  if (FlashProgram(kFlashBase + kTrailerOffset, t, kRecordSize) != 0) return kFsImageFailed;
  Put32(t, rec::kHeader, header);
  if (FlashProgram(kFlashBase + kTrailerOffset, t, kRecordSize) != 0) return kFsImageFailed;
  g_opt.work_done = g_opt.work_total;
  return 17;
}

// The copy becomes the new spare; the run is over.
int Step17EraseCopy() {
  if (!FlashEraseVerified(g_opt.dir_copy[0])) return kFsImageFailed;
  g_opt.done = 1;
  return 0;
}

}  // namespace

OptState& Opt() {
  return g_opt;
}

int OptStep(int step) {
  switch (step) {
    case 1:
      return Step1Marker();
    case 2:
      return Step2ChooseSector();
    case 3:
      return Step3Spare();
    case 4:
      return Step4NextFragment();
    case 5:
      return Step5Place();
    case 6:
      return Step6Copy();
    case 7:
      return Step7Release();
    case 8:
      return Step8Retire();
    case 9:
      return Step9DirectoryPhase();
    case 10:
      return Step10PrepareCopy();
    case 11:
      return Step11CopyRecords();
    case 12:
      return Step12SecondSector();
    case 13:
      return Step13Seal();
    case 14:
      return Step14Rewrite();
    case 15:
      return Step15SplitFragment();
    case 16:
      return Step16EraseDirectory();
    case 17:
      return Step17EraseCopy();
    default:
      return kFsBadArgument;
  }
}

namespace {

// Sector 0 is not a whole directory: a rewrite was cut after the old one was
// spoilt. The newest sealed copy holds the directory, if it is newer than
// what is left of sector 0: while sector 0 is only spoilt (its header bits
// cleared, its generation still there) the copy must be newer than it; once
// sector 0 was erased and its new header is being written, the copy may
// carry the same generation that already landed there.
int FindSealedCopy(const uint8_t sector0_trailer[kRecordSize]) {
  uint32_t header = Get32(sector0_trailer, rec::kHeader);
  bool rewriting = (header & kTrailerHeader1) == kTrailerHeader1;
  uint32_t gen0 = GenerationOf(sector0_trailer);
  int best = -1;
  uint32_t best_gen = 0;
  for (int k = 1; k < kSectorCount; ++k) {
    uint8_t t[kRecordSize], r0[kRecordSize];
    if (ReadTrailerAt(SectorAddress(k), t) != 0) return kFsImageFailed;
    if (Get32(t, rec::kHeader) != kTrailerHeader1 || Get16(t, rec::kTrailerSealed) != 0) continue;
    if (!FlashRead(SectorAddress(k), r0, kRecordSize)) return kFsImageFailed;
    if (HeaderType(Get32(r0, 0)) != kTypeSector || Get32(r0, rec::kLink) != kFlashBase) continue;
    uint32_t gen = GenerationOf(t);
    if (rewriting ? gen < gen0 : gen <= gen0) continue;
    if (best < 0 || gen > best_gen) best = k, best_gen = gen;
  }
  return best < 0 ? kFsDamaged : best;
}

}  // namespace

int OptPlan(const StorageUi* ui) {
  g_opt = OptState{};
  g_opt.block[0] = 0xFFFFFFFF;
  for (int k = 0; k < kSectorCount; ++k) {
    g_opt.block[k] = g_opt.reserve[k] = 0xFFFFFFFF;
    g_opt.state[k] = 0xFFFF;
  }
  g_ctx = OptContext{};
  RecRelease();
  uint8_t t[kRecordSize];
  int rc = ReadTrailerAt(kFlashBase, t);
  if (rc != 0) return rc;
  if (Get32(t, rec::kHeader) != kTrailerHeader1) {
    int copy = FindSealedCopy(t);
    if (copy < 0) return copy;
    if (UiAskResume(ui) == kAnswerInitialize) return kFsDamaged;
    g_opt.dir_copy[0] = uint16_t(copy);
    return 16;
  }
  rc = LoadContext();
  if (rc != 0) return rc;
  uint16_t marker = Get16(t, rec::kTrailerOptMarker);
  bool half_done = false;
  for (int k = 0; k < kSectorCount; ++k) {
    SectorInfo s = Sector(k);
    half_done |=
        s.state != kStateIdle || s.reserve == kReserveRetired || s.reserve == kReserveDirCopy2;
  }
  if (marker == kOptMarkerIdle && !half_done) return 0;
  if (UiAskResume(ui) == kAnswerInitialize) return kFsDamaged;
  if (marker != kOptMarkerRunning) return 1;
  rc = SettleStates();
  if (rc != 0) return rc;
  for (int k = 0; k < kSectorCount; ++k) {
    SectorInfo s = Sector(k);
    g_opt.block[k] = s.block;
    g_opt.reserve[k] = s.reserve;
    g_opt.state[k] = s.state;
  }
  if (Sector(0).state == kStateEmptying) return 10;
  int k = FindState(kStateErasing);
  if (k >= 1) {
    g_opt.emptying = uint16_t(k);
    return 7;
  }
  k = FindState(kStateEmptying);
  if (k >= 1) {
    g_opt.emptying = uint16_t(k);
    return 3;
  }
  return 2;
}

int OptRun(int step, const StorageUi* ui) {
  if (step == 1 || (g_ctx.dir.count == 0 && step < 16 && step != 14)) {
    int rc = LoadContext();
    if (rc != 0) return rc;
  }
  UiProgressOpen(ui);
  UiProgressUpdate(ui, g_opt.work_done, g_opt.work_total);
  int rc = step;
  for (int guard = 0; rc > 0; ++guard) {
    if (guard == kStepLimit) {
      rc = kFsDamaged;
      break;
    }
    rc = OptStep(rc);
    UiProgressUpdate(ui, std::min(g_opt.work_done, g_opt.work_total), g_opt.work_total);
  }
  UiProgressClose(ui);
  SmResetTables();
  g_ctx = OptContext{};
  if (rc == 0) rc = SmMount();
  return rc;
}

int FsOptimize(const char16_t* device_path) {
  FsPath p;
  int rc = FsParsePath(device_path, &p);
  if (rc != 0) return rc;
  if (p.device != kDevFlash) return kFsBadDevice;
  if (!Fs().mounted) return kFsDamaged;
  FsPath work;
  FsParsePath(u"\\\\fls0\\NOTEWORK.tmp", &work);
  rc = SmDelete(work);
  if (rc != 0 && rc != kFsNotFound) return rc;
  int plan = OptPlan(StorageUiGet());
  if (plan < 0) return plan;
  return OptRun(plan == 0 ? 1 : plan, StorageUiGet());
}

int StorageStartup(const StorageUi* ui, StorageStartupReport* report) {
  StorageStartupReport local;
  if (!report) report = &local;
  *report = StorageStartupReport{};
  int plan = OptPlan(ui);
  int rc = plan;
  if (plan > 0) {
    report->resumed = true;
    rc = OptRun(plan, ui);
    // Markers that contradict each other are damage like any other.
    if (rc == kFsCommitSetsBit || rc == kFsBadArgument) rc = kFsDamaged;
  }
  if (rc == kFsNoSectorRecord) rc = kFsDamaged;
  if (rc < 0 && rc != kFsDamaged) {
    // The run could not finish (a failing sector, no room): the store stays
    // usable as it is and the next start asks again.
    SmCheck(false);
    return rc;
  }
  if (rc >= 0) rc = SmCheck(true);
  if (rc == kFsNoSectorRecord) rc = kFsDamaged;
  if (rc >= 0) {
    report->repaired = rc;
    return 0;
  }
  if (rc != kFsDamaged) return rc;
  report->formatted = true;
  return SmFormat(true, ui);
}
