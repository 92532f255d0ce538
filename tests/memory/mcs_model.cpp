#include "mcs_model.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "mcs_test_support.h"
#include "memory/mcs_core.h"

namespace {

using Name = std::array<uint8_t, 8>;

// Written apart from the arena's own normaliser on purpose.
bool Norm(const std::string& raw, Name* out) {
  out->fill(0);
  for (size_t i = 0; i < 8 && i < raw.size();) {
    const auto c = static_cast<uint8_t>(raw[i]);
    const bool lead = c == 0x7F || c == 0xE5 || c == 0xE6 || c == 0xE7 || c == 0xF7 || c == 0xF9;
    if (lead && i == 7) break;
    (*out)[i] = c;
    if (lead && i + 1 < raw.size()) (*out)[i + 1] = static_cast<uint8_t>(raw[i + 1]);
    i += lead ? 2 : 1;
  }
  return !raw.empty();
}

struct MItem {
  std::vector<uint8_t> data;
  uint8_t type = 0, attr = 0, folderIndex = 0;
};

struct MHandle {
  bool used = false;
  std::vector<uint8_t> content;
};

struct Model {
  std::array<Name, 148> names{};  // by folder index; all zero = free slot
  std::array<std::map<Name, MItem>, 148> items;
  uint32_t currentEntry = 0;
  std::vector<MHandle> handles;  // handles[j] is the entry at 65528 - 8 j
  // What the last Resolve found.
  uint32_t fx = 0;
  Name key{};
  MItem* item = nullptr;

  uint32_t Free() const {
    uint64_t used = kMcsDataStart + kMcsHandleEntrySize * handles.size();
    for (const auto& folder : items)
      for (const auto& [name, it] : folder) used += it.data.size() + kMcsItemEntrySize;
    for (const MHandle& h : handles) used += h.content.size();
    return static_cast<uint32_t>(kMcsArenaSize - used);
  }

  uint32_t FindFolder(const Name& name) const {
    for (uint32_t i = 1; i <= kMcsFolderCount; ++i)
      if (names[i] == name) return i;
    return 0;
  }

  // Folder and item of a pair of raw names: 240, 64, 48 or 0.
  uint32_t Resolve(const std::string& f, const std::string& i) {
    Name fn;
    if (!(Norm(f, &fn) & Norm(i, &key))) return kMcsEmptyName;  // both normalised
    if ((fx = FindFolder(fn)) == 0) return kMcsNoFolder;
    auto it = items[fx].find(key);
    if (it == items[fx].end()) return kMcsNoItem;
    item = &it->second;
    return kMcsOk;
  }

  uint32_t WriteRefusal() const {
    if (item->attr & 1) return kMcsWriteProtected;
    return item->attr & 6 ? kMcsLocked : kMcsOk;
  }

  // Resolve, then the refusal of a change to the item.
  uint32_t Writable(const std::string& f, const std::string& i) {
    if (uint32_t code = Resolve(f, i)) return code;
    return WriteRefusal();
  }

  uint32_t Create(const std::string& f, const std::string& i, uint8_t type, uint32_t size,
                  const std::vector<uint8_t>* data) {
    if (size == 0 || size % 4 != 0) return kMcsBadSize;
    const std::vector<uint8_t> bytes = data ? *data : std::vector<uint8_t>(size, 0);
    const uint32_t found = Resolve(f, i);
    if (found == kMcsOk) {
      if (uint32_t code = WriteRefusal()) return code;
      if (item->type & 0x40) return kMcsNoOverwrite;
      if (size > item->data.size() && size - item->data.size() > Free()) return kMcsInsertNoRoom;
      item->data = bytes;
      item->type = type;
      return kMcsOk;
    }
    if (Free() < uint64_t{size} + kMcsItemEntrySize) return kMcsNoRoom;
    if (found != kMcsNoItem) return found;
    items[fx][key] = MItem{bytes, type, 0, static_cast<uint8_t>(fx)};
    return kMcsOk;
  }

  uint32_t Delete(const std::string& f, const std::string& i) {
    if (uint32_t code = Writable(f, i)) return code;
    items[fx].erase(key);
    return kMcsOk;
  }

  uint32_t Insert(const std::string& f, const std::string& i, uint32_t offset, uint32_t count,
                  const std::vector<uint8_t>* data) {
    if (count % 4 != 0) return kMcsBadSize;
    if (count == 0) return kMcsOk;
    if (uint32_t code = Writable(f, i)) return code;
    if (count > Free()) return kMcsInsertNoRoom;
    if (offset > item->data.size()) return kMcsInsertOffset;
    const std::vector<uint8_t> bytes = data ? *data : std::vector<uint8_t>(count, 0);
    item->data.insert(item->data.begin() + offset, bytes.begin(), bytes.end());
    return kMcsOk;
  }

  uint32_t Remove(const std::string& f, const std::string& i, uint32_t offset, uint32_t count) {
    if (count % 4 != 0) return kMcsRemoveCount;
    if (count == 0) return kMcsOk;
    if (uint32_t code = Writable(f, i)) return code;
    const uint64_t size = item->data.size();
    if (offset == 0 && count == size) return Delete(f, i);
    if (offset > size) return kMcsRemoveOffset;
    if (uint64_t{offset} + count > size) return kMcsRemovePastEnd;
    item->data.erase(item->data.begin() + offset, item->data.begin() + offset + count);
    return kMcsOk;
  }

  uint32_t Write(const std::string& f, const std::string& i, uint32_t offset,
                 const std::vector<uint8_t>& data) {
    if (uint32_t code = Writable(f, i)) return code;
    const uint64_t size = item->data.size();
    if (data.size() > size) return kMcsWriteCount;
    if (offset >= size) return kMcsWriteOffset;
    if (offset + data.size() > size) return kMcsWritePastEnd;
    std::copy(data.begin(), data.end(), item->data.begin() + offset);
    return kMcsOk;
  }

  uint32_t Read(const std::string& f, const std::string& i, uint32_t offset, uint32_t count,
                std::vector<uint8_t>* out) {
    if (uint32_t code = Resolve(f, i)) return code;
    if (item->attr & 2) return kMcsLocked;
    const uint64_t size = item->data.size();
    if (count > size) return kMcsReadCount;
    if (offset >= size) return kMcsReadOffset;
    if (uint64_t{offset} + count > size) return kMcsReadPastEnd;
    out->assign(item->data.begin() + offset, item->data.begin() + offset + count);
    return kMcsOk;
  }

  uint32_t Copy(const std::string& sf, const std::string& si, const std::string& tf,
                const std::string& ti, bool moving) {
    Name a, b, c, d;
    if (!(Norm(sf, &a) & Norm(si, &b) & Norm(tf, &c) & Norm(ti, &d))) return kMcsEmptyName;
    if (uint32_t code = Resolve(sf, si)) return code;
    if (item->attr & 6) return kMcsLocked;
    if (moving) {
      if (item->attr & 1) return kMcsWriteProtected;
      if (Free() < item->data.size() + kMcsItemEntrySize) return kMcsMoveNoRoom;
      if (a == c && b == d) return kMcsOk;
    }
    const uint32_t sourceFolder = fx;
    const std::vector<uint8_t> bytes = item->data;
    if (uint32_t code = Create(tf, ti, item->type, static_cast<uint32_t>(bytes.size()), &bytes))
      return code;
    if (moving) items[sourceFolder].erase(b);
    return kMcsOk;
  }

  uint32_t Rename(const std::string& f, const std::string& from, const std::string& to) {
    Name fn, on, nn;
    if (!(Norm(f, &fn) & Norm(from, &on) & Norm(to, &nn))) return kMcsEmptyName;
    if (uint32_t code = Writable(f, from)) return code;
    if (items[fx].count(nn)) return kMcsNameExists;
    Name work, ren;
    Norm("@APLWORK", &work);
    Norm("val_ren", &ren);
    if (!(fn == work && on == ren))
      if (uint32_t code = Copy(f, from, "@APLWORK", "val_ren", true)) return code;
    return Copy("@APLWORK", "val_ren", f, to, true);
  }

  uint32_t CreateFolder(const std::string& f) {
    Name fn;
    if (!Norm(f, &fn)) return kMcsEmptyName;
    if (FindFolder(fn)) return kMcsFolderExists;
    for (uint32_t i = 1; i < kMcsFolderCount; ++i) {
      if (names[i][0] == 0) {
        names[i] = fn;
        return kMcsOk;
      }
    }
    return kMcsFolderTableFull;
  }

  // The folder of a folder operation, in fx.
  uint32_t FolderOf(const std::string& f) {
    Name fn;
    if (!Norm(f, &fn)) return kMcsEmptyName;
    return (fx = FindFolder(fn)) == 0 ? kMcsNoFolder : kMcsOk;
  }

  uint32_t DeleteFolder(const std::string& f) {
    if (uint32_t code = FolderOf(f)) return code;
    if (fx < 3 || fx > 102) return kMcsNotUserFolder;
    if (!items[fx].empty()) return kMcsFolderNotEmpty;
    if (currentEntry == kMcsFolderCount - fx) return kMcsFolderCurrent;
    names[fx].fill(0);
    return kMcsOk;
  }

  uint32_t Select(const std::string& f) {
    if (uint32_t code = FolderOf(f)) return code;
    if (fx == 1 || fx > 102) return kMcsNotUserFolder;
    currentEntry = kMcsFolderCount - fx;
    return kMcsOk;
  }

  uint32_t HeapAlloc(uint32_t n) {
    if (n == 0 || n % 4 != 0 || uint64_t{n} + 8 > Free()) return 0;
    size_t j = 0;
    while (j < handles.size() && handles[j].used) ++j;
    if (j == handles.size()) handles.emplace_back();
    handles[j] = MHandle{true, std::vector<uint8_t>(n, 0)};
    return static_cast<uint32_t>(kMcsTopHandle - 8 * j);
  }

  uint32_t HandleBottom() const {
    return static_cast<uint32_t>(kMcsArenaSize - 8 * handles.size());
  }

  // Block address of slot j: directly below the blocks of the used entries above.
  uint32_t BlockOf(size_t j) const {
    uint32_t address = HandleBottom();
    for (size_t i = 0; i <= j; ++i)
      if (handles[i].used) address -= static_cast<uint32_t>(handles[i].content.size());
    return address;
  }
};

// A name as the failure message shows it: other bytes in decimal.
std::string Shown(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s)
    out += c >= 0x20 && c < 0x7F ? std::string(1, c) : "\\" + std::to_string(c);
  return out + '"';
}

const char* const kFolderPool[] = {"main",        "system", "@APLWORK", "@RUNMAT", "@STAT",
                                   "@LOCAL1",     "@NOTE",  "USER1",    "USER2",   "USER3",
                                   "USERFOLDERX", "NOSUCH", ""};
const char* const kItemPool[] = {
    "A",       "B",         "C",         "LIST1",     "MAT_A",
    "REPLAY",  "val_ren",   "ABCDEFGHX", "ABCDEFGHY", "ABCDEFG\xE5\x41",
    "ABCDEFG", "\x7F\x50X", "\xC0",      "Z9",        "",
};
// Types with bit 6 (199, 200, 212, 0x45) may not be replaced by a create;
// the others may.
const uint8_t kTypes[] = {1, 133, 138, 140, 130, 1, 133, 138, 140, 130, 199, 200, 212, 0x45};
const uint8_t kAttrs[] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 4};

// clang-format off
enum Op { kCreate, kDelete, kInsert, kRemove, kWrite, kRead, kCopy, kMove, kRename, kFolderCreate,
          kFolderDelete, kSelect, kHeapAlloc, kHeapFree, kHeapReset, kSetAttr };
// clang-format on
struct Weighted {
  uint32_t weight;
  const char* name;
};
// By operation, in the order of Op.
constexpr Weighted kOps[] = {
    {22, "create"},    {9, "delete"},        {8, "insert"},        {8, "remove"},
    {7, "write"},      {5, "read"},          {5, "copy"},          {5, "move"},
    {5, "rename"},     {3, "folder-create"}, {3, "folder-delete"}, {2, "select"},
    {3, "heap-alloc"}, {2, "heap-free"},     {1, "heap-reset"},    {4, "set-attr"}};

class Runner {
 public:
  explicit Runner(uint64_t seed) : rng_(seed), seed_(seed) {}

  ModelRun Run(uint64_t operations) {
    FreshMemory();
    for (uint32_t i = 1; i <= kMcsFolderCount; ++i) {
      FolderEntry entry;
      McsFolderEntry(i, &entry);
      std::memcpy(model_.names[i].data(), entry.name, 8);
    }
    model_.currentEntry = McsReadHeader().currentFolder;
    // Steps that find nothing to do (no heap block to free, no item to mark)
    // do not count as operations.
    for (step_ = 1; executed_ < operations && run_.failure.empty(); ++step_) Step();
    return run_;
  }

 private:
  uint32_t Rand(uint32_t n) { return static_cast<uint32_t>(rng_() % n); }
  bool Chance(uint32_t percent) { return Rand(100) < percent; }
  // The first folders and items of the pools exist most of the time; the
  // rest (long, empty, missing names) mostly exercise refusals.
  std::string Folder() { return kFolderPool[Rand(Chance(70) ? 6 : std::size(kFolderPool))]; }
  std::string Item() { return kItemPool[Rand(std::size(kItemPool) - (Chance(90) ? 1 : 0))]; }

  uint32_t Size() {
    const uint32_t r = Rand(100);
    if (r < 55) return 4 * (1 + Rand(16));
    if (r < 88) return 4 * (1 + Rand(250));
    if (r < 96) return 4 * (1 + Rand(model_.Free() / 4 + 8));
    return Rand(50);  // often not a multiple of 4, sometimes 0
  }
  uint32_t Count() { return Chance(85) ? 4 * Rand(40) : Rand(40); }
  uint32_t OffsetIn(uint32_t size) { return Chance(90) ? Rand(size + 1) : size + Rand(40); }
  uint32_t SizeOf(const std::string& f, const std::string& i) {
    return model_.Resolve(f, i) == kMcsOk ? static_cast<uint32_t>(model_.item->data.size()) : 16;
  }
  std::vector<uint8_t> Bytes(uint32_t n) {
    std::vector<uint8_t> bytes(n);
    for (auto& b : bytes) b = static_cast<uint8_t>(rng_());
    return bytes;
  }
  void Fail(const std::string& what) {
    if (run_.failure.empty()) {
      run_.failure = "seed " + std::to_string(seed_) + ", operation " + std::to_string(step_) +
                     " (" + desc_ + "): " + what;
    }
  }

  void Step();
  void PickTracked();
  void Verify(const std::vector<uint8_t>& before, bool refused);
  void VerifyItems();

  std::mt19937_64 rng_;
  uint64_t seed_;
  uint64_t step_ = 0;
  uint64_t executed_ = 0;
  std::string desc_;
  Model model_;
  ModelRun run_;
  // The item whose first data byte the tracked address points at.
  bool tracking_ = false;
  uint32_t trackedFolder_ = 0;
  Name trackedItem_{};
  std::vector<std::pair<std::string, std::string>> touched_;
};

void Runner::PickTracked() {
  std::vector<std::pair<uint32_t, uint32_t>> all;  // folder index, position
  for (uint32_t fx = 1; fx <= kMcsFolderCount; ++fx)
    for (uint32_t pos = 0; pos < model_.items[fx].size(); ++pos) all.emplace_back(fx, pos);
  if ((tracking_ = !all.empty())) {
    const auto [fx, pos] = all[Rand(static_cast<uint32_t>(all.size()))];
    // The arena holds each folder's items in the model's order.
    McsItemInfo info;
    McsItemAt(fx, pos, &info);
    McsSetTrackedAddress(info.dataAddress);
    trackedFolder_ = fx;
    trackedItem_ = std::next(model_.items[fx].begin(), pos)->first;
  }
}

void Runner::Step() {
  uint32_t total = 0;
  for (const Weighted& w : kOps) total += w.weight;
  uint32_t pick = Rand(total);
  int op = 0;
  while (pick >= kOps[op].weight) pick -= kOps[op++].weight;

  if (Chance(25)) PickTracked();
  const std::vector<uint8_t> before = ArenaBytes();
  // Most operations name an item; the others ignore these.
  const std::string f = Folder(), i = Item();
  const char* fc = f.c_str();
  const char* ic = i.c_str();
  const uint32_t size = SizeOf(f, i);
  desc_ = std::string(kOps[op].name) + ' ' + Shown(f) + ' ' + Shown(i);
  touched_ = {{f, i}};
  uint32_t arena = 0, model = 0, offset = 0, count = 0;
  bool readMismatch = false;

  switch (op) {
    case kCreate: {
      const uint8_t type = kTypes[Rand(std::size(kTypes))];
      count = Size();
      const bool withData = Chance(70) && count < 70000;
      const std::vector<uint8_t> data = Bytes(withData ? count : 0);
      desc_ += " type " + std::to_string(type);
      model = model_.Create(f, i, type, count, withData ? &data : nullptr);
      arena = McsCreateItem(fc, ic, type, count, withData ? data.data() : nullptr);
      break;
    }
    case kDelete:
      model = model_.Delete(f, i);
      arena = McsDeleteItem(fc, ic);
      break;
    case kInsert: {
      offset = OffsetIn(size);
      count = Chance(8) ? 4 * (1 + Rand(model_.Free() / 4 + 8)) : Count();
      const bool withData = Chance(50);
      const std::vector<uint8_t> data = Bytes(withData ? count : 0);
      model = model_.Insert(f, i, offset, count, withData ? &data : nullptr);
      arena = withData ? McsInsertData(fc, ic, offset, count, data.data())
                       : McsInsertBytes(fc, ic, offset, count);
      break;
    }
    case kRemove:
      offset = Chance(15) ? 0 : OffsetIn(size);
      count = Chance(20) && offset <= size ? size - offset : Count();  // often to the end
      model = model_.Remove(f, i, offset, count);
      arena = McsRemoveBytes(fc, ic, offset, count);
      break;
    case kWrite: {
      offset = OffsetIn(size);
      const std::vector<uint8_t> data = Bytes(Chance(80) ? Rand(size + 1) : Rand(size + 20));
      count = static_cast<uint32_t>(data.size());
      model = model_.Write(f, i, offset, data);
      arena = McsWriteAt(fc, ic, offset, count, data.data());
      break;
    }
    case kRead: {
      offset = OffsetIn(size);
      count = Chance(80) ? Rand(size + 1) : Rand(size + 20);
      // One byte more than asked: the read must not run past the count.
      std::vector<uint8_t> expected, got(count + 1, 0xEE);
      model = model_.Read(f, i, offset, count, &expected);
      arena = McsReadAt(fc, ic, offset, count, got.data());
      expected.push_back(0xEE);
      readMismatch = arena == kMcsOk && model == kMcsOk && got != expected;
      touched_.clear();  // a read must not move the tracked item at all
      break;
    }
    case kCopy:
    case kMove: {
      const std::string tf = Folder(), ti = Item();
      desc_ += " -> " + Shown(tf) + ' ' + Shown(ti);
      touched_.emplace_back(tf, ti);
      model = model_.Copy(f, i, tf, ti, op == kMove);
      arena = op == kMove ? McsMoveItem(fc, ic, tf.c_str(), ti.c_str())
                          : McsCopyItem(fc, ic, tf.c_str(), ti.c_str());
      break;
    }
    case kRename: {
      const std::string to = Item();
      desc_ += " -> " + Shown(to);
      touched_.insert(touched_.end(), {{f, to}, {"@APLWORK", "val_ren"}});
      model = model_.Rename(f, i, to);
      arena = McsRenameItem(fc, ic, to.c_str());
      break;
    }
    case kFolderCreate:
    case kFolderDelete:
    case kSelect: {
      // Also names that items never go to, so that deleting a folder
      // succeeds often enough.
      const std::string g = Chance(40) ? (Chance(50) ? "SPARE1" : "SPARE2") : f;
      desc_ = std::string(kOps[op].name) + ' ' + Shown(g);
      if (op == kFolderCreate) {
        model = model_.CreateFolder(g);
        arena = McsCreateFolder(g.c_str(), nullptr);
      } else if (op == kFolderDelete) {
        model = model_.DeleteFolder(g);
        arena = McsDeleteFolder(g.c_str());
      } else {
        model = model_.Select(g);
        arena = McsSelectFolder(g.c_str());
      }
      break;
    }
    case kHeapAlloc: {
      count = Chance(10) ? Size() : 4 * (1 + Rand(64));
      desc_ = "heap-alloc";
      model = model_.HeapAlloc(count);
      arena = McsHeapAlloc(count);
      if (arena != 0 && arena == model) {
        // A new block starts cleared; fill it so that later moves of it are checked too.
        uint32_t blockSize;
        uint8_t* block = McsAddress(McsHeapBlock(arena, &blockSize));
        if (std::count(block, block + count, 0) != count) Fail("a new heap block is not cleared");
        const std::vector<uint8_t> fill = Bytes(count);
        std::memcpy(block, fill.data(), count);
        model_.handles[(kMcsTopHandle - arena) / 8].content = fill;
      }
      break;
    }
    case kHeapFree: {
      std::vector<uint32_t> used;
      for (size_t j = 0; j < model_.handles.size(); ++j)
        if (model_.handles[j].used) used.push_back(static_cast<uint32_t>(j));
      if (used.empty()) return;
      offset = used[Rand(static_cast<uint32_t>(used.size()))];
      desc_ = "heap-free entry";
      model_.handles[offset] = MHandle{};
      arena = McsHeapFree(kMcsTopHandle - 8 * offset);
      break;
    }
    case kHeapReset:
      desc_ = "heap-reset";
      model_.handles.clear();
      McsHeapReset();
      break;
    case kSetAttr: {
      if (model_.Resolve(f, i) != kMcsOk) return;
      MItem* item = model_.item;
      McsItemInfo info;
      McsFindItem(fc, ic, &info);
      item->attr = kAttrs[Rand(std::size(kAttrs))];
      McsAddress(info.entryAddress)[offsetof(ItemEntry, attributes)] = item->attr;
      // Lift the no-overwrite bit again now and then, so that replacing stays common.
      item->type &= static_cast<uint8_t>(Chance(50) ? ~kMcsTypeNoOverwrite : 0xFF);
      McsAddress(info.entryAddress)[offsetof(ItemEntry, type)] = item->type;
      return;
    }
  }
  desc_ += " at " + std::to_string(offset) + " count " + std::to_string(count);
  // A heap allocation answers with a handle, or 0 when refused.
  const bool heap = op == kHeapAlloc;
  const bool refused = heap ? arena == 0 : arena != kMcsOk;
  const std::string result =
      heap && arena == model ? (refused ? "none" : "0") : std::to_string(arena);
  run_.outcomes[std::string(kOps[op].name) + ":" + result]++;
  ++executed_;
  if (readMismatch) Fail("read returned other bytes than the model holds");
  if (arena != model)
    Fail("arena result " + std::to_string(arena) + ", model " + std::to_string(model));
  Verify(before, refused);
}

void Runner::Verify(const std::vector<uint8_t>& before, bool refused) {
  if (!run_.failure.empty()) return;
  const uint8_t* now = McsArenaBase();
  if (refused && std::memcmp(before.data(), now, kMcsArenaSize) != 0)
    return Fail("a refused operation changed the arena");
  if (!McsGuardsIntact()) return Fail("guard bytes changed");
  if (uint32_t code = McsCheck()) return Fail("integrity check " + std::to_string(code));
  const McsHeader header = McsReadHeader();
  if (!refused && std::memcmp(before.data() + kMcsDataStart, now + kMcsDataStart,
                              kMcsArenaSize - kMcsDataStart) != 0) {
    for (uint8_t b : header.changeMarker)
      if (b != 0xFF) return Fail("data changed without the change marker");
  }
  if (McsFreeSpace() != model_.Free()) {
    return Fail("free space " + std::to_string(McsFreeSpace()) + ", model " +
                std::to_string(model_.Free()));
  }
  if (header.currentFolder != model_.currentEntry) return Fail("current folder differs");
  VerifyItems();
  if (header.handleBottom != model_.HandleBottom()) return Fail("handle bottom differs");
  for (size_t j = 0; j < model_.handles.size() && run_.failure.empty(); ++j) {
    uint32_t size;
    const uint32_t block = McsHeapBlock(static_cast<uint32_t>(kMcsTopHandle - 8 * j), &size);
    const MHandle& h = model_.handles[j];
    if (!h.used ? block != 0
                : block != model_.BlockOf(j) || size != h.content.size() ||
                      std::memcmp(McsAddress(block), h.content.data(), size) != 0) {
      Fail("heap block " + std::to_string(j) + " differs from the model");
    }
  }
}

void Runner::VerifyItems() {
  for (uint32_t fx = 1; fx <= kMcsFolderCount && run_.failure.empty(); ++fx) {
    FolderEntry entry;
    McsFolderEntry(fx, &entry);
    const auto& items = model_.items[fx];
    if (std::memcmp(entry.name, model_.names[fx].data(), 8) != 0 ||
        entry.itemCount != items.size()) {
      return Fail("folder " + std::to_string(fx) + " differs in name or item count");
    }
    uint32_t pos = 0;
    for (const auto& [name, item] : items) {
      McsItemInfo info;
      McsItemAt(fx, pos++, &info);
      if (std::memcmp(info.entry.name, name.data(), 8) != 0 || info.size != item.data.size() ||
          info.type != item.type || info.entry.attributes != item.attr ||
          info.entry.folderIndex != item.folderIndex ||
          std::memcmp(McsAddress(info.dataAddress), item.data.data(), info.size) != 0) {
        return Fail("item " + std::to_string(pos - 1) + " of folder " + std::to_string(fx) +
                    " differs from the model");
      }
      if (!tracking_ || fx != trackedFolder_ || name != trackedItem_) continue;
      // An operation on the item itself may move bytes inside it; stop
      // following it then.
      bool touched = false;
      for (const auto& [f, i] : touched_) {
        Name fn, in;
        Norm(f, &fn);
        Norm(i, &in);
        touched |= in == name && model_.FindFolder(fn) == fx;
      }
      if (touched) {
        tracking_ = false;
      } else if (McsTrackedAddress() != info.dataAddress) {
        return Fail("the tracked address lost its item");
      }
    }
  }
}

}  // namespace

ModelRun RunModel(uint64_t seed, uint64_t operations) {
  return Runner(seed).Run(operations);
}

uint64_t ModelOperationsFromEnv(const char* variable, uint64_t fallback) {
  const char* text = std::getenv(variable);
  if (text == nullptr || *text == 0) return fallback;
  return std::strtoull(text, nullptr, 10);
}
