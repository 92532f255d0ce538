#include "fs_powercut.h"

#include <cstdio>
#include <cstdlib>

#include "memory/fs_error.h"
#include "memory/fs_store.h"

namespace {

const std::u16string kDevice = U("\\\\fls0\\");

void Reload(FlashRig* rig, const std::vector<uint8_t>& image) {
  rig->emu.bytes = image;
  FlashEmuPowerOn(&rig->emu);
  rig->emu.violations = 0;
  rig->emu.first_violation.clear();
  rig->emu.ops = 0;
  Fs() = FsState{};
}

// Every file on the flash, in the root and in its folders.
std::set<std::u16string> AllFiles() {
  std::set<std::u16string> files;
  std::vector<std::u16string> folders;
  auto walk = [&](const std::u16string& prefix, bool root) {
    int h;
    char16_t name[kFileNameMax + 1];
    FsFindInfo info;
    if (FsFindFirst((prefix + u"*.*").c_str(), &h, name, &info) != 0) return;
    do {
      if (info.type == 1) files.insert(prefix + name);
      if (info.type == 5 && root) folders.push_back(prefix + name + u"\\");
    } while (FsFindNext(h, name, &info) == 0);
    FsFindClose(h);
  };
  walk(FlashPath(""), true);
  for (const std::u16string& f : folders) walk(f, false);
  return files;
}

// What is on the flash now against what the scenario allows.
std::string Judge(const FlashRig& rig, const CutScenario& sc) {
  FileModel must;
  std::set<std::u16string> allowed;
  for (const auto& [path, bytes] : sc.before) {
    allowed.insert(path);
    if (sc.removed.count(path) || sc.renamed.count(path)) continue;
    must[path] = bytes;
  }
  std::string v = VerifyStore(rig, must);
  if (!v.empty()) return v;
  Bytes got;
  for (const std::u16string& path : sc.removed) {
    int rc = ReadFile(path, &got);
    if (rc == 0 && got != sc.before.at(path)) return "deleted file damaged";
    if (rc != 0 && rc != kFsNotFound) return "deleted file unreadable";
  }
  for (const auto& [from, to] : sc.renamed) {
    allowed.insert(to);
    int a = ReadFile(from, &got);
    if (a == 0 && got != sc.before.at(from)) return "renamed file damaged (old name)";
    int b = ReadFile(to, &got);
    if (b == 0 && got != sc.before.at(from)) return "renamed file damaged (new name)";
    if ((a == 0) == (b == 0))
      return "renamed file under " + std::string(a == 0 ? "both" : "no") + " name";
  }
  for (const auto& [path, bytes] : sc.added) {
    allowed.insert(path);
    int rc = ReadFile(path, &got);
    if (rc == 0 && got != bytes) return "new file incomplete";
    if (rc != 0 && rc != kFsNotFound) return "new file unreadable: " + std::to_string(rc);
  }
  for (const std::u16string& path : AllFiles())
    if (!allowed.count(path)) return "unexpected file " + std::string(path.begin(), path.end());
  return "";
}

}  // namespace

void CaptureImage(FlashRig* rig, CutScenario* sc) {
  sc->image = rig->emu.bytes;
  Fs() = FsState{};
}

int64_t CountOps(FlashRig* rig, const CutScenario& sc) {
  Reload(rig, sc.image);
  SmMount();
  sc.op();
  return rig->emu.ops;
}

int64_t CountRecoveryOps(FlashRig* rig, const CutScenario& sc, int64_t n, bool torn,
                         uint64_t seed) {
  Reload(rig, sc.image);
  SmMount();
  FlashEmuArmCut(&rig->emu, n, torn, seed);
  sc.op();
  FlashEmuPowerOn(&rig->emu);
  Fs() = FsState{};
  int64_t start = rig->emu.ops;
  StorageStartup(nullptr, nullptr);
  return rig->emu.ops - start;
}

CutOutcome RunCut(FlashRig* rig, const CutScenario& sc, int64_t n, bool torn, uint64_t seed,
                  int64_t recovery_cut, bool second_optimisation) {
  CutOutcome out;
  Reload(rig, sc.image);
  if (SmMount() != 0) {
    out.failure = "starting image does not mount";
    return out;
  }
  FlashEmuArmCut(&rig->emu, n, torn, seed);
  sc.op();
  out.cut = rig->emu.off;
  FlashEmuPowerOn(&rig->emu);
  if (recovery_cut >= 0) {
    Fs() = FsState{};
    FlashEmuArmCut(&rig->emu, recovery_cut, torn, seed ^ 0x5555);
    StorageStartup(nullptr, nullptr);
    FlashEmuPowerOn(&rig->emu);
  }
  Fs() = FsState{};
  StorageStartupReport report;
  int rc = StorageStartup(nullptr, &report);
  std::string where = " (cut " + std::to_string(n) + (torn ? " torn" : "") +
                      (recovery_cut >= 0 ? ", then " + std::to_string(recovery_cut) : "") + ")";
  if (rc != 0 || report.formatted) {
    out.failure =
        "start-up gave " + std::to_string(rc) + (report.formatted ? ", formatted" : "") + where;
    return out;
  }
  out.failure = Judge(*rig, sc);
  if (out.failure.empty() && second_optimisation) {
    rc = FsOptimize(kDevice.c_str());
    if (rc != 0)
      out.failure = "second optimisation gave " + std::to_string(rc);
    else
      out.failure = Judge(*rig, sc);
    if (!out.failure.empty()) out.failure += " after the second optimisation";
  }
  if (!out.failure.empty()) out.failure += where;
  return out;
}

CutScenario CreateAndWriteScenario(FlashRig* rig, uint32_t seed, uint32_t size) {
  CutScenario sc;
  sc.name = "create and write " + std::to_string(size);
  rig->Format();
  sc.before = BuildStore({.seed = seed, .small_files = 12, .large_files = 2, .large_size = 30000});
  CaptureImage(rig, &sc);
  std::u16string path = FlashPath("NEW.g1m");
  Bytes data = Pattern(size, seed + 99);
  sc.added[path] = data;
  sc.op = [path, data]() { WriteFile(path, data, 3000); };
  return sc;
}

CutScenario DeleteAndRenameScenario(FlashRig* rig, uint32_t seed) {
  CutScenario sc;
  sc.name = "delete and rename";
  rig->Format();
  sc.before = BuildStore({.seed = seed, .small_files = 10, .large_files = 2, .large_size = 20000});
  CaptureImage(rig, &sc);
  auto it = sc.before.begin();
  std::u16string victim = it->first, old_name = std::next(it)->first;
  std::u16string new_name = old_name.substr(0, old_name.rfind(u'\\') + 1) + u"RENAMED";
  sc.removed.insert(victim);
  sc.renamed[old_name] = new_name;
  sc.op = [victim, old_name, new_name]() {
    FsDelete(victim.c_str());
    FsRename(old_name.c_str(), new_name.c_str());
  };
  return sc;
}

CutScenario OptimizeScenario(FlashRig* rig, const StoreRecipe& recipe) {
  CutScenario sc;
  sc.name = "optimise store " + std::to_string(recipe.seed);
  rig->Format();
  sc.before = BuildStore(recipe);
  CaptureImage(rig, &sc);
  sc.op = []() { FsOptimize(kDevice.c_str()); };
  return sc;
}

StoreRecipe NearFullRecipe(int which) {
  switch (which) {
    case 0:  // many deletions: the compacted directory fits one sector
      return {.seed = 11,
              .small_files = 1100,
              .large_files = 20,
              .large_size = 50000,
              .delete_every = 3,
              .folders = 2,
              .addin_every = 0};
    case 1:  // few deletions: the compacted directory still needs two sectors
      return {.seed = 12,
              .small_files = 1150,
              .large_files = 16,
              .large_size = 50000,
              .delete_every = 25,
              .folders = 1,
              .addin_every = 0};
    default:  // add-ins on 8 KB boundaries among the rest
      return {.seed = 13 + uint32_t(which),
              .small_files = 1060,
              .large_files = 18,
              .large_size = 45000,
              .delete_every = 4,
              .folders = 3,
              .addin_every = 97};
  }
}

std::string Soak(uint64_t seed, int rounds) {
  FlashRig rig;
  rig.Format();
  FileModel model;
  uint64_t x = seed * 0x9E3779B97F4A7C15ull + 1;
  auto next = [&x]() {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    return x;
  };
  int names = 0;
  for (int round = 0; round < rounds; ++round) {
    CutScenario sc;
    sc.before = model;
    sc.image = rig.emu.bytes;
    uint64_t pick = next() % 100;
    if (pick < 50 || model.size() < 3) {
      std::u16string path = FlashPath("S" + std::to_string(names++) + ".g1m");
      Bytes data = Pattern(uint32_t(next() % (next() % 8 == 0 ? 90000 : 3000)), uint32_t(next()));
      sc.added[path] = data;
      int chunk = 1 + int(next() % 4096);
      sc.op = [path, data, chunk]() { WriteFile(path, data, chunk); };
    } else if (pick < 75) {
      auto it = model.begin();
      std::advance(it, next() % model.size());
      std::u16string victim = it->first;
      sc.removed.insert(victim);
      sc.op = [victim]() { FsDelete(victim.c_str()); };
    } else if (pick < 92) {
      auto it = model.begin();
      std::advance(it, next() % model.size());
      std::u16string from = it->first, to = FlashPath("R" + std::to_string(names++));
      sc.renamed[from] = to;
      sc.op = [from, to]() { FsRename(from.c_str(), to.c_str()); };
    } else {
      sc.op = []() { FsOptimize(kDevice.c_str()); };
    }
    bool cut_armed = next() % 3 != 0;
    int64_t cut_at = int64_t(next() % 400);
    if (cut_armed) FlashEmuArmCut(&rig.emu, cut_at, next() % 2 == 0, next());
    int64_t ops_before = rig.emu.ops;
    sc.op();
    bool cut = rig.emu.off;
    if (std::getenv("VK_SOAK_TRACE"))
      std::fprintf(stderr,
                   "round %d: pick %d added %zu removed %zu renamed %zu ops %lld cut %d at %lld\n",
                   round, int(pick), sc.added.size(), sc.removed.size(), sc.renamed.size(),
                   (long long)(rig.emu.ops - ops_before), int(cut), (long long)cut_at);
    FlashEmuPowerOn(&rig.emu);
    std::string failure;
    if (cut || next() % 10 == 0) {
      Fs() = FsState{};
      StorageStartupReport report;
      int rc = StorageStartup(nullptr, &report);
      if (rc != 0 || report.formatted) failure = "start-up gave " + std::to_string(rc);
    }
    if (failure.empty()) failure = Judge(rig, sc);
    if (!failure.empty() && std::getenv("VK_SOAK_TRACE")) {
      uint8_t t[32];
      FlashRead(kFlashBase + kTrailerOffset, t, 32);
      std::fprintf(stderr, "marker %04X count %d\n", Get16(t, rec::kTrailerOptMarker),
                   Fs().record_count);
      DirSnapshot dir;
      ReadDirectory(&dir);
      LiveSet live;
      FindLive(dir, &live);
      for (int k = 0; k < kSectorCount; ++k) {
        SectorInfo si;
        ReadSectorRecord(k, &si);
        std::fprintf(stderr, " sector %d block %08X reserve %08X state %04X\n", k, si.block,
                     si.reserve, si.state);
      }
      for (auto& [id, pieces] : live.pieces)
        for (const FsPiece& p : pieces)
          std::fprintf(stderr, "  file %08X piece sector %d offset %u len %u\n", id, p.sector,
                       p.offset, p.length);
    }
    if (!failure.empty())
      return "round " + std::to_string(round) + " (seed " + std::to_string(seed) + "): " + failure;
    // Carry the outcome into the model.
    Bytes got;
    for (const auto& [path, bytes] : sc.added)
      if (ReadFile(path, &got) == 0) model[path] = bytes;
    for (const auto& path : sc.removed)
      if (ReadFile(path, &got) != 0) model.erase(path);
    for (const auto& [from, to] : sc.renamed)
      if (ReadFile(to, &got) == 0) {
        model[to] = model[from];
        model.erase(from);
      }
    // Keep the store from filling up for good.
    if (FsFreeSpace(kDevice.c_str()) < 200000 && model.size() > 4) {
      for (int i = 0; i < 3; ++i) {
        auto it = model.begin();
        std::advance(it, next() % model.size());
        if (FsDelete(it->first.c_str()) == 0) model.erase(it);
      }
      if (FsOptimize(kDevice.c_str()) != 0) return "optimisation to make room failed";
    }
  }
  return "";
}
