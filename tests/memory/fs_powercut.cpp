#include "fs_powercut.h"

#include "memory/fs_error.h"
#include "memory/fs_store.h"

namespace {

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
  walk(kFlashDevice, true);
  for (const std::u16string& f : folders) walk(f, false);
  return files;
}

// What is on the flash now against what the scenario allows.
std::string Judge(const FlashRig& rig, const CutScenario& sc) {
  FileModel must;
  std::set<std::u16string> allowed;
  for (const auto& [path, bytes] : sc.before) {
    allowed.insert(path);
    if (!sc.removed.count(path) && !sc.renamed.count(path)) must[path] = bytes;
  }
  std::string v = VerifyStore(rig, must);
  if (!v.empty()) return v;
  Bytes got;
  // 0 when the file is there whole, 1 when absent, else what is wrong.
  auto state = [&got](const std::u16string& path, const Bytes& whole) -> std::string {
    int rc = ReadFile(path, &got);
    if (rc == kFsNotFound) return "1";
    if (rc != 0) return "unreadable (" + std::to_string(rc) + ")";
    return got == whole ? "0" : "damaged";
  };
  for (const std::u16string& path : sc.removed) {
    std::string s = state(path, sc.before.at(path));
    if (s.size() > 1) return "deleted file " + s;
  }
  for (const auto& [from, to] : sc.renamed) {
    allowed.insert(to);
    std::string a = state(from, sc.before.at(from)), b = state(to, sc.before.at(from));
    if (a.size() > 1 || b.size() > 1) return "renamed file " + a + " / " + b;
    if (a == b) return "renamed file under " + std::string(a == "0" ? "both" : "no") + " name";
  }
  for (const auto& [path, bytes] : sc.added) {
    allowed.insert(path);
    std::string s = state(path, bytes);
    if (s.size() > 1) return "new file " + s;
  }
  for (const std::u16string& path : AllFiles())
    if (!allowed.count(path)) return "unexpected file " + std::string(path.begin(), path.end());
  return "";
}

// A scenario starting from a store built on a freshly formatted flash.
CutScenario Start(FlashRig* rig, const std::string& name, const StoreRecipe& recipe) {
  CutScenario sc;
  sc.name = name;
  rig->Format();
  sc.before = BuildStore(recipe);
  sc.image = rig->emu.bytes;
  return sc;
}

}  // namespace

int64_t CountOps(FlashRig* rig, const CutScenario& sc) {
  rig->Reload(&sc.image);
  SmMount();
  int64_t start = rig->emu.ops;
  sc.op();
  return rig->emu.ops - start;
}

CutOutcome RunCut(FlashRig* rig, const CutScenario& sc, int64_t n, bool torn, uint64_t seed,
                  int64_t recovery_cut, bool second_optimisation) {
  CutOutcome out;
  rig->Reload(&sc.image);
  rig->emu.violations = 0;
  rig->emu.first_violation.clear();
  if (SmMount() != 0) {
    out.failure = "starting image does not mount";
    return out;
  }
  FlashEmuArmCut(&rig->emu, n, torn, seed);
  sc.op();
  out.cut = rig->emu.off;
  if (recovery_cut >= 0) {
    rig->Reload();
    FlashEmuArmCut(&rig->emu, recovery_cut, torn, seed ^ 0x5555);
    StorageStartup(nullptr, nullptr);
  }
  StorageStartupReport report;
  int64_t start = rig->emu.ops;
  int rc = rig->Restart(&report);
  out.recovery_ops = rig->emu.ops - start;
  std::string where = " (cut " + std::to_string(n) + (torn ? " torn" : "") +
                      (recovery_cut >= 0 ? ", then " + std::to_string(recovery_cut) : "") + ")";
  if (rc != 0 || report.formatted) {
    out.failure =
        "start-up gave " + std::to_string(rc) + (report.formatted ? ", formatted" : "") + where;
    return out;
  }
  out.failure = Judge(*rig, sc);
  if (out.failure.empty() && second_optimisation) {
    rc = FsOptimize(kFlashDevice.c_str());
    out.failure = rc != 0 ? "gave " + std::to_string(rc) : Judge(*rig, sc);
    if (!out.failure.empty()) out.failure += " after the second optimisation";
  }
  if (!out.failure.empty()) out.failure += where;
  return out;
}

std::vector<int64_t> CutPoints(int64_t total, int count, uint64_t seed, int edges) {
  std::vector<int64_t> points;
  for (int64_t i = 0; i < total; ++i)
    if (count < 0 || i < edges || i >= total - edges) points.push_back(i);
  uint64_t x = seed | 1;
  for (int i = 0; i < count && total > 0; ++i) {
    x = x * 6364136223846793005ull + 1442695040888963407ull;
    points.push_back(int64_t((x >> 33) % uint64_t(total)));
  }
  return points;
}

std::string CutAt(FlashRig* rig, const CutScenario& sc, const std::vector<int64_t>& points,
                  bool both_ways) {
  for (size_t i = 0; i < points.size(); ++i) {
    for (int torn = 0; torn < 2; ++torn) {
      if (!both_ways && torn != int(i % 2)) continue;
      CutOutcome out = RunCut(rig, sc, points[i], torn == 1, 1000 + 2 * i + torn);
      if (!out.failure.empty()) return sc.name + ": " + out.failure;
      if (!out.cut) return sc.name + ": cut " + std::to_string(points[i]) + " missed";
    }
  }
  return "";
}

std::string CutTwice(FlashRig* rig, const CutScenario& sc, const std::vector<int64_t>& points,
                     int per_point) {
  for (int64_t n : points) {
    bool torn = n % 2 == 1;
    int64_t recovery = RunCut(rig, sc, n, torn, uint64_t(n), -1, false).recovery_ops;
    int64_t tries = per_point < 0 ? recovery : std::min<int64_t>(per_point, recovery);
    for (int64_t k = 0; k < tries; ++k) {
      int64_t m = per_point < 0 ? k : (k * 7919 + n) % recovery;
      CutOutcome out = RunCut(rig, sc, n, torn, uint64_t(n), m, false);
      if (!out.failure.empty()) return sc.name + ": " + out.failure;
    }
  }
  return "";
}

CutScenario CreateAndWriteScenario(FlashRig* rig, uint32_t seed, uint32_t size) {
  CutScenario sc = Start(rig, "create and write " + std::to_string(size),
                         {.seed = seed, .small_files = 12, .large_files = 2, .large_size = 30000});
  std::u16string path = FlashPath("NEW.g1m");
  Bytes data = Pattern(size, seed + 99);
  sc.added[path] = data;
  sc.op = [path, data]() { WriteFile(path, data, 3000); };
  return sc;
}

CutScenario DeleteAndRenameScenario(FlashRig* rig, uint32_t seed) {
  CutScenario sc = Start(rig, "delete and rename",
                         {.seed = seed, .small_files = 10, .large_files = 2, .large_size = 20000});
  std::u16string victim = sc.before.begin()->first;
  std::u16string old_name = std::next(sc.before.begin())->first;
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
  CutScenario sc = Start(rig, "optimise store " + std::to_string(recipe.seed), recipe);
  sc.op = []() { FsOptimize(kFlashDevice.c_str()); };
  return sc;
}

StoreRecipe NearFullRecipe(int which) {
  // seed, small files, large files, large size, delete every, folders, add-in every
  const StoreRecipe kRecipes[] = {
      {11, 1100, 20, 50000, 3, 2, 0},   // many deletions: the compacted directory fits one sector
      {12, 1150, 16, 50000, 25, 1, 0},  // few: the compacted directory still needs two sectors
      {13, 1060, 18, 45000, 4, 3, 97},  // add-ins on 8 KB boundaries among the rest
  };
  StoreRecipe recipe = kRecipes[std::min(which, 2)];
  recipe.seed += uint32_t(std::max(which - 2, 0));
  return recipe;
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
  auto any = [&]() { return std::next(model.begin(), next() % model.size())->first; };
  int names = 0;
  for (int round = 0; round < rounds; ++round) {
    CutScenario sc;
    sc.before = model;
    uint64_t pick = next() % 100;
    if (pick < 50 || model.size() < 3) {
      std::u16string path = FlashPath("S" + std::to_string(names++) + ".g1m");
      Bytes data = Pattern(uint32_t(next() % (next() % 8 == 0 ? 90000 : 3000)), uint32_t(next()));
      sc.added[path] = data;
      int chunk = 1 + int(next() % 4096);
      sc.op = [path, data, chunk]() { WriteFile(path, data, chunk); };
    } else if (pick < 75) {
      std::u16string victim = any();
      sc.removed.insert(victim);
      sc.op = [victim]() { FsDelete(victim.c_str()); };
    } else if (pick < 92) {
      std::u16string from = any(), to = FlashPath("R" + std::to_string(names++));
      sc.renamed[from] = to;
      sc.op = [from, to]() { FsRename(from.c_str(), to.c_str()); };
    } else {
      sc.op = []() { FsOptimize(kFlashDevice.c_str()); };
    }
    bool cut_armed = next() % 3 != 0;
    int64_t cut_at = int64_t(next() % 400);
    if (cut_armed) FlashEmuArmCut(&rig.emu, cut_at, next() % 2 == 0, next());
    sc.op();
    bool cut = rig.emu.off;
    FlashEmuPowerOn(&rig.emu);
    std::string failure;
    if (cut || next() % 10 == 0) {
      StorageStartupReport report;
      int rc = rig.Restart(&report);
      if (rc != 0 || report.formatted) failure = "start-up gave " + std::to_string(rc);
    }
    if (failure.empty()) failure = Judge(rig, sc);
    if (!failure.empty())
      return "round " + std::to_string(round) + " (seed " + std::to_string(seed) + "): " + failure;
    // Carry the outcome into the model.
    Bytes got;
    for (const auto& [path, bytes] : sc.added)
      if (ReadFile(path, &got) == 0) model[path] = bytes;
    for (const auto& path : sc.removed)
      if (ReadFile(path, &got) != 0) model.erase(path);
    for (const auto& [from, to] : sc.renamed) {
      if (ReadFile(to, &got) == 0) {
        model[to] = model[from];
        model.erase(from);
      }
    }
    // Keep the store from filling up for good.
    if (FsFreeSpace(kFlashDevice.c_str()) < 200000 && model.size() > 4) {
      for (int i = 0; i < 3; ++i) {
        auto it = std::next(model.begin(), next() % model.size());
        if (FsDelete(it->first.c_str()) == 0) model.erase(it);
      }
      if (FsOptimize(kFlashDevice.c_str()) != 0) return "optimisation to make room failed";
    }
  }
  return "";
}
