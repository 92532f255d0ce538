#include "memory/mem_app.h"

#include <cstring>

#include "memory/mcs_core.h"
#include "memory/mem_handles.h"

namespace {

MemCurrentItem g_current = {{}, {}, kMemKindNone, 0};
uint8_t g_alpha[kMemAlphaCount][kMemAlphaRecord];

constexpr char kMainFolder[] = "main";
// Items of these kinds hold a 10-byte header and a zero-terminated string.
constexpr uint32_t kStringHeader = 10;

// An item named by target and name, with names normalised to strings.
struct Resolved {
  char folder[kMcsNameLen + 1];
  char item[kMcsNameLen + 1];
  uint8_t kind;
  uint32_t slot;  // alpha variable slot when kind is 0
  bool Alpha() const { return kind == kMemKindAlpha; }
};

void SetName(char out[kMcsNameLen + 1], const uint8_t normalised[kMcsNameLen]) {
  std::memcpy(out, normalised, kMcsNameLen);
  out[kMcsNameLen] = 0;
}

bool SetRawName(char out[kMcsNameLen + 1], const char* raw) {
  uint8_t normalised[kMcsNameLen];
  const bool ok = McsNormaliseName(raw, normalised);
  SetName(out, normalised);
  return ok;
}

// Public code of a core result, remembered as the last core error.
uint32_t Core(uint32_t code) {
  g_current.lastCoreError = code;
  return MemPublicCode(code);
}

uint32_t Resolve(MemTarget target, const char* item, Resolved* r) {
  *r = Resolved{};
  switch (target.by) {
    case MemBy::kCurrent:
      if (g_current.kind == kMemKindNone || g_current.item[0] == 0) return kMemErrNoCurrent;
      SetName(r->folder, g_current.folder);
      SetName(r->item, g_current.item);
      r->kind = g_current.kind;
      break;
    case MemBy::kFolder:
      if (!SetRawName(r->folder, target.folder)) return kMemErrNoFolderName;
      if (!SetRawName(r->item, item)) return kMemErrNoItemName;
      r->kind = kMemKindFolder;
      break;
    case MemBy::kKind: {
      const char* folder = MemKindFolder(target.kind);
      if (folder == nullptr) return kMemErrNoFolderName;
      SetRawName(r->folder, folder);
      if (!SetRawName(r->item, item)) return kMemErrNoItemName;
      r->kind = target.kind;
      break;
    }
  }
  if (r->Alpha()) {
    r->slot = r->item[1] == 0 ? MemVariableSlot(static_cast<uint8_t>(r->item[0])) : kMemNoVariable;
    if (r->slot == kMemNoVariable) return kMemErrNotFound;
  }
  return kMemOk;
}

void MakeCurrent(const Resolved& r) {
  McsNormaliseName(r.folder, g_current.folder);
  McsNormaliseName(r.item, g_current.item);
  g_current.kind = r.kind;
}

// Finds a resolved item; the alpha variables are their 24-byte records.
uint32_t Locate(const Resolved& r, uint8_t** data, uint32_t* size) {
  if (r.Alpha()) {
    *data = MemVariable(r.slot);
    *size = kMemAlphaRecord;
    return kMemOk;
  }
  McsItemInfo info;
  if (uint32_t code = McsFindItem(r.folder, r.item, &info)) return Core(code);
  *data = McsAddress(info.dataAddress);
  *size = info.size;
  return kMemOk;
}

uint32_t RoundUp4(uint32_t n) {
  return n > 0xFFFFFFFCu ? 0xFFFFFFFCu : (n + 3) & ~3u;
}

uint32_t CreateResolved(const Resolved& r, uint8_t type, uint32_t size, const void* data) {
  const uint32_t rounded = RoundUp4(size);
  // Data shorter than the rounded size is written after a cleared create.
  const bool exact = rounded == size;
  uint32_t code = McsCreateItem(r.folder, r.item, type, rounded, exact ? data : nullptr);
  if (code == kMcsOk && !exact && data != nullptr && size != 0) {
    code = McsWriteAt(r.folder, r.item, 0, size, data);
  }
  if (code == kMcsOk) MakeCurrent(r);
  return Core(code);
}

// Inserts in place inside a string item when the room behind its terminator
// holds the new bytes; false when it does not apply.
bool InsertIntoString(const Resolved& r, uint32_t count, const void* data, uint32_t offset,
                      uint32_t* result) {
  uint8_t* bytes = nullptr;
  uint32_t size = 0;
  if (Locate(r, &bytes, &size) != kMemOk || offset < kStringHeader) return false;
  const void* end = std::memchr(bytes + kStringHeader, 0, size - kStringHeader);
  if (end == nullptr) return false;
  const auto terminator = static_cast<uint32_t>(static_cast<const uint8_t*>(end) - bytes);
  if (offset > terminator || size - terminator - 1 < count) return false;
  // The string up to and including its terminator moves up by count.
  uint32_t code =
      McsWriteAt(r.folder, r.item, offset + count, terminator + 1 - offset, bytes + offset);
  if (code == kMcsOk && count != 0) code = McsWriteAt(r.folder, r.item, offset, count, data);
  if (code == kMcsOk) MakeCurrent(r);
  *result = Core(code);
  return true;
}

uint32_t ClearFolderCore(const char* folder) {
  FolderEntry entry;
  uint32_t index;
  if (uint32_t code = McsFindFolder(folder, &entry, &index)) return code;
  // Delete the first item until none is left.
  for (;;) {
    McsItemInfo info;
    const uint32_t found = McsItemAt(index, 0, &info);
    if (found == kMcsNoItem) return kMcsOk;
    if (found != kMcsOk) return found;
    char name[kMcsNameLen + 1];
    SetName(name, info.entry.name);
    if (uint32_t code = McsDeleteItem(folder, name)) return code;
  }
}

}  // namespace

const MemCurrentItem& MemCurrent() {
  return g_current;
}

uint32_t MemVariableSlot(uint8_t letter) {
  if (letter >= 'A' && letter <= 'Z') return letter - 'A';
  if (letter == kMemLetterTheta) return 26;
  if (letter == kMemLetterR) return 27;
  if (letter == kMemLetterAns) return 28;
  return kMemNoVariable;
}

uint8_t* MemVariable(uint32_t slot) {
  return slot < kMemAlphaCount ? g_alpha[slot] : nullptr;
}

uint32_t MemSetVariable(uint8_t letter, const uint8_t value[kMemAlphaRecord]) {
  const uint32_t slot = MemVariableSlot(letter);
  if (slot == kMemNoVariable) return kMemErrNotFound;
  std::memcpy(g_alpha[slot], value, kMemAlphaRecord);
  const char name[2] = {static_cast<char>(letter), 0};
  McsNormaliseName(kMainFolder, g_current.folder);
  McsNormaliseName(name, g_current.item);
  g_current.kind = kMemKindAlpha;
  return kMemOk;
}

uint32_t MemCreate(uint8_t kind, const char* item, uint32_t size, const void* data) {
  if (kind == kMemKindAlpha) return kMemErrAlphaKind;
  Resolved r;
  if (uint32_t code = Resolve(MemOfKind(kind), item, &r)) return code;
  McsItemInfo info;
  if (McsFindItem(r.folder, r.item, &info) == kMcsOk) return kMemErrExistsByKind;
  return CreateResolved(r, MemKindType(kind), size, data);
}

uint32_t MemCreateIn(const char* folder, const char* item, uint32_t size, const void* data) {
  Resolved r;
  if (uint32_t code = Resolve(MemInFolder(folder), item, &r)) return code;
  McsItemInfo info;
  if (McsFindItem(r.folder, r.item, &info) == kMcsOk) return kMemErrExistsInFolder;
  return CreateResolved(r, MemKindType(kMemKindFolder), size, data);
}

uint32_t MemSearch(MemTarget target, const char* item, uint32_t* size) {
  *size = 0;
  Resolved r;
  if (uint32_t code = Resolve(target, item, &r)) return code;
  uint8_t* data = nullptr;
  if (uint32_t code = Locate(r, &data, size)) return code;
  MakeCurrent(r);
  return kMemOk;
}

uint32_t MemReadCurrent(uint32_t offset, uint32_t count, void* buffer) {
  Resolved r;
  if (uint32_t code = Resolve(MemCurrentTarget(), nullptr, &r)) return code;
  uint8_t* data = nullptr;
  uint32_t size = 0;
  if (uint32_t code = Locate(r, &data, &size)) return code;
  if (offset == 0) {
    offset = 1;
    count = size;
  }
  if (uint64_t{offset} - 1 + count > size) return kMemErrReadPastEnd;
  if (count == 0) return kMemOk;
  if (r.Alpha()) {
    std::memcpy(buffer, data + offset - 1, count);
    return kMemOk;
  }
  // Through the core, which refuses locked items.
  return Core(McsReadAt(r.folder, r.item, offset - 1, count, buffer));
}

uint32_t MemWriteAt(MemTarget target, const char* item, uint32_t count, const void* data,
                    uint32_t offset) {
  Resolved r;
  if (uint32_t code = Resolve(target, item, &r)) return code;
  uint8_t* bytes = nullptr;
  uint32_t size = 0;
  if (uint32_t code = Locate(r, &bytes, &size)) return code;
  const uint64_t end = uint64_t{offset} + count;
  if (r.Alpha()) {
    if (end > kMemAlphaRecord) return kMemErrAlphaWrite;
    if (count != 0) std::memcpy(bytes + offset, data, count);
    MakeCurrent(r);
    return end == kMemAlphaRecord ? 1 : 0;
  }
  if (count == 0) {
    MakeCurrent(r);
    return kMemOk;
  }
  uint32_t result = end == size ? 1 : 0;
  if (end > size) {
    // Grow at the end to the next multiple of 4 that holds the write.
    if (end > kMcsArenaSize) return kMemErrGrowNoRoom;
    const uint32_t grow = RoundUp4(static_cast<uint32_t>(end)) - size;
    if (uint32_t code = McsInsertBytes(r.folder, r.item, size, grow)) return Core(code);
    result = 2;
  }
  if (uint32_t code = McsWriteAt(r.folder, r.item, offset, count, data)) return Core(code);
  Core(kMcsOk);
  MakeCurrent(r);
  return result;
}

uint32_t MemInsert(MemTarget target, const char* item, uint32_t count, const void* data,
                   uint32_t offset) {
  Resolved r;
  if (uint32_t code = Resolve(target, item, &r)) return code;
  if (r.Alpha()) return kMemErrAlphaKind;
  if (r.kind == kMemKindProgram || r.kind == 4) {
    uint32_t result;
    if (InsertIntoString(r, count, data, offset, &result)) return result;
  }
  uint8_t* bytes = nullptr;
  uint32_t size = 0;
  if (uint32_t code = Locate(r, &bytes, &size)) return code;
  if (count == 0) {
    MakeCurrent(r);
    return kMemOk;
  }
  const uint32_t rounded = RoundUp4(count);
  if (uint32_t code = McsInsertBytes(r.folder, r.item, offset, rounded)) return Core(code);
  const uint32_t newSize = size + rounded;
  uint32_t code = McsWriteAt(r.folder, r.item, offset, count, data);
  if (code == kMcsOk && rounded != count) {
    // Close the gap behind the data; the spare bytes end up at the end.
    bytes = McsAddress(0);
    McsItemInfo info;
    code = McsFindItem(r.folder, r.item, &info);
    const uint32_t tail = newSize - offset - rounded;
    if (code == kMcsOk && tail != 0) {
      code = McsWriteAt(r.folder, r.item, offset + count, tail,
                        bytes + info.dataAddress + offset + rounded);
    }
    const uint8_t zeros[4] = {};
    if (code == kMcsOk)
      code = McsWriteAt(r.folder, r.item, newSize - (rounded - count), rounded - count, zeros);
  }
  if (code == kMcsOk) MakeCurrent(r);
  return Core(code);
}

uint32_t MemDelete(MemTarget target, const char* item) {
  Resolved r;
  if (uint32_t code = Resolve(target, item, &r)) return code;
  if (r.Alpha()) return kMemErrAlphaKind;
  const uint32_t code = McsDeleteItem(r.folder, r.item);
  if (code == kMcsOk) MakeCurrent(r);
  return Core(code);
}

uint32_t MemDeleteOfKind(uint8_t kind, const char* item) {
  const char* folder = MemKindFolder(kind);
  if (folder == nullptr) return kMemErrNoFolderName;
  if (item == nullptr || item[0] == 0) return kMemErrNoItemName;
  FolderEntry entry;
  uint32_t index;
  if (uint32_t code = McsFindFolder(folder, &entry, &index)) return Core(code);
  if (entry.itemCount == 0) return kMemErrNotFound;
  // An 8-byte (or longer) name compares all 8 bytes; a shorter one compares
  // as a string, which the zero padding of the entry makes the same test.
  uint8_t wanted[kMcsNameLen] = {};
  for (uint32_t i = 0; i < kMcsNameLen && item[i] != 0; ++i)
    wanted[i] = static_cast<uint8_t>(item[i]);
  for (uint32_t pos = 0; pos < entry.itemCount; ++pos) {
    McsItemInfo info;
    if (uint32_t code = McsItemAt(index, pos, &info)) return Core(code);
    if (MemTypeKind(info.type) != kind || std::memcmp(info.entry.name, wanted, kMcsNameLen) != 0) {
      continue;
    }
    Resolved r{};
    SetRawName(r.folder, folder);
    SetName(r.item, info.entry.name);
    r.kind = kind;
    const uint32_t code = McsDeleteItem(r.folder, r.item);
    if (code == kMcsOk) MakeCurrent(r);
    return Core(code);
  }
  return Core(kMcsNoItem);
}

uint32_t MemCurrentInfo(uint8_t* kind, uint32_t* size) {
  *kind = kMemKindNone;
  *size = 0;
  Resolved r;
  if (uint32_t code = Resolve(MemCurrentTarget(), nullptr, &r)) return code;
  uint8_t* data = nullptr;
  if (uint32_t code = Locate(r, &data, size)) return code;
  *kind = r.kind;
  return kMemOk;
}

uint32_t MemCurrentName(char name[kMcsNameLen + 1]) {
  SetName(name, g_current.item);
  return g_current.item[0] == 0 ? kMemErrNoCurrentName : kMemOk;
}

uint32_t MemGetPointer(MemTarget target, const char* item, uint8_t** data, uint32_t* size) {
  *data = nullptr;
  *size = 0;
  Resolved r;
  if (uint32_t code = Resolve(target, item, &r)) return code;
  if (uint32_t code = Locate(r, data, size)) return code;
  MakeCurrent(r);
  return kMemOk;
}

void MemUsage(uint32_t* total, uint32_t* used, uint32_t* free) {
  McsUsage(total, used, free);
}

void MemSetUpFolders() {
  for (size_t i = 0; i < kMemSetUpFolderCount; ++i) McsCreateFolder(kMemSetUpFolders[i], nullptr);
  // The notebook folder has a fixed slot of its own.
  uint8_t name[kMcsNameLen];
  McsNormaliseName(kMemNoteFolder, name);
  std::memcpy(McsAddress(kMcsFolderTable + kMemNoteEntry * kMcsFolderEntrySize), name, kMcsNameLen);
}

void MemStartUp() {
  std::memset(g_current.folder, 0, kMcsNameLen);
  std::memset(g_current.item, 0, kMcsNameLen);
  g_current.kind = kMemKindNone;
  MemHandleFreeAll();
  // Only the real parts are cleared; the imaginary parts keep their bytes.
  for (auto& record : g_alpha) std::memset(record, 0, kMemAlphaRecord / 2);
  McsInit();
  MemSetUpFolders();
}

uint32_t MemClearFolder(const char* folder) {
  return Core(ClearFolderCore(folder));
}

uint32_t MemClearFolders(const char* const* folders, size_t count) {
  uint32_t result = kMemOk;
  for (size_t i = 0; i < count && result == kMemOk; ++i) {
    uint32_t code = ClearFolderCore(folders[i]);
    if (code == kMcsOk) code = McsDeleteFolder(folders[i]);
    g_current.lastCoreError = code;
    if (code != kMcsOk && code != kMcsNotUserFolder) result = kMemErrClearFolders;
  }
  MemSetUpFolders();
  return result;
}
