// The arena against a plain std::map of byte vectors doing the same work in
// the same run; ratio_vs_ref > 1 means the arena is slower.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/support/bench_timing.h"
#include "memory/mcs_core.h"
#include "memory/mem_app.h"

namespace {

using bench::Clock;
using bench::Seconds;
using Ref = std::map<std::string, std::vector<uint8_t>>;

std::vector<std::string> ItemNames(int n) {
  std::vector<std::string> names;
  // Spread over the alphabet so that inserts land all over the directory.
  // append rather than "I" + ...: GCC 12 warns falsely on the latter.
  for (int i = 0; i < n; ++i)
    names.push_back(std::string("I").append(std::to_string((i * 7919) % 100000)));
  return names;
}

void BM_CreateFindDelete200(benchmark::State& state) {
  McsAllocateArena();
  MemStartUp();
  const std::vector<std::string> names = ItemNames(200);
  const uint8_t data[16] = {1, 2, 3, 4};
  double arena[3] = {};
  double ref[3] = {};
  Ref map;
  for (auto _ : state) {
    auto t0 = Clock::now();
    for (const auto& n : names) McsCreateItem("main", n.c_str(), 1, sizeof data, data);
    auto t1 = Clock::now();
    McsItemInfo info;
    for (const auto& n : names) benchmark::DoNotOptimize(McsFindItem("main", n.c_str(), &info));
    auto t2 = Clock::now();
    for (const auto& n : names) McsDeleteItem("main", n.c_str());
    auto t3 = Clock::now();
    for (const auto& n : names) map.emplace(n, std::vector<uint8_t>(data, data + sizeof data));
    auto t4 = Clock::now();
    for (const auto& n : names) benchmark::DoNotOptimize(map.find(n));
    auto t5 = Clock::now();
    for (const auto& n : names) map.erase(n);
    auto t6 = Clock::now();
    arena[0] += Seconds(t0, t1);
    arena[1] += Seconds(t1, t2);
    arena[2] += Seconds(t2, t3);
    ref[0] += Seconds(t3, t4);
    ref[1] += Seconds(t4, t5);
    ref[2] += Seconds(t5, t6);
  }
  state.counters["create_ratio"] = arena[0] / ref[0];
  state.counters["find_ratio"] = arena[1] / ref[1];
  state.counters["delete_ratio"] = arena[2] / ref[2];
  state.counters["ratio_vs_ref"] = (arena[0] + arena[1] + arena[2]) / (ref[0] + ref[1] + ref[2]);
}
BENCHMARK(BM_CreateFindDelete200);

// The reference "check" walks every folder and item and verifies the same
// invariants a map can break: sizes, alignment and the total.
uint32_t CheckRef(const std::map<std::string, Ref>& folders) {
  uint64_t total = kMcsDataStart;
  for (const auto& [folder, items] : folders) {
    const std::string* previous = nullptr;
    for (const auto& [name, bytes] : items) {
      if (bytes.empty() || bytes.size() % 4 != 0) return 198;
      if (previous != nullptr && !(*previous < name)) return 200;
      previous = &name;
      total += bytes.size() + kMcsItemEntrySize;
    }
  }
  return total <= kMcsArenaSize ? 0 : 205;
}

void BM_CheckFullArena(benchmark::State& state) {
  McsAllocateArena();
  MemStartUp();
  std::map<std::string, Ref> folders;
  const char* folderNames[] = {"main", "system", "@RUNMAT", "@STAT", "@GRAPH"};
  int items = 0;
  for (int i = 0;; ++i) {
    const char* folder = folderNames[i % 5];
    const std::string name = std::string("N").append(std::to_string(i));
    const uint32_t size = 4 + 4 * (i % 8);
    if (McsCreateItem(folder, name.c_str(), 1, size, nullptr) != kMcsOk) break;
    folders[folder][name] = std::vector<uint8_t>(size, 0);
    ++items;
  }
  double arena = 0;
  double ref = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    benchmark::DoNotOptimize(McsCheck());
    auto t1 = Clock::now();
    benchmark::DoNotOptimize(CheckRef(folders));
    auto t2 = Clock::now();
    arena += Seconds(t0, t1);
    ref += Seconds(t1, t2);
  }
  state.counters["items"] = items;
  state.counters["free_bytes"] = McsFreeSpace();
  state.counters["ratio_vs_ref"] = arena / ref;
}
BENCHMARK(BM_CheckFullArena);

}  // namespace

BENCHMARK_MAIN();
