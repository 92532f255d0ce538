// Export and import of a main memory full of lists against writing and
// reading the same number of bytes with stdio in the same run;
// ratio_vs_ref > 1 means the file exchange is slower.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/support/bench_timing.h"
#include "memory/fs_path.h"
#include "memory/g1m_file.h"
#include "memory/mcs_core.h"
#include "memory/mem_app.h"
#include "memory/mem_numarray.h"

namespace {

using bench::Clock;
using bench::Seconds;

// 60 lists of 60 numbers (about 45 KB), a third of them fractions so that
// the converters have work; with the alpha variables, 61 items.
void FillWithLists() {
  McsAllocateArena();
  MemStartUp();
  uint8_t fraction[kNumPair] = {0x20, 0, 0x34, 0x12, 0, 0, 0, 0, 0x78, 0x56, 0x34, 0x12};
  for (int f = 1; f <= 6; ++f) {
    for (int n = 1; n <= 10; ++n) {
      const std::string name = std::to_string(f) + "LIST" + std::to_string(n);
      MemCreateNumArray(MemOfKind(2), name.c_str(), ListShape(60, false), 0);
      for (uint32_t i = 0; i < 60; i += 3)
        MemNumArraySet(MemOfKind(2), name.c_str(), NumArrayKind::kList, i, fraction);
    }
  }
}

void BM_ExportImportFullMemory(benchmark::State& state) {
  FillWithLists();
  const std::string host = "/tmp/g1m_bench_" + std::to_string(getpid()) + ".g1m";
  const std::string plain = host + ".ref";
  std::u16string pc;
  HostPathToPc(host, &pc);
  const std::vector<G1mGroup> first = G1mWholeMemory();
  const uint32_t size = G1mFileSize(first.data(), first.size());
  std::vector<uint8_t> bytes(size, 0x42);
  double ours = 0, ref = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    // Enumerated again each time: an import moves the items it replaces.
    const std::vector<G1mGroup> groups = G1mWholeMemory();
    G1mImportOptions options;
    options.existing = G1mExisting::kOverwrite;
    G1mImportReport report;
    if (G1mWriteGroups(pc.c_str(), groups.data(), groups.size()) != 0 ||
        G1mImportFile(pc.c_str(), options, &report) != 0 || report.imported != 61) {
      state.SkipWithError("export or import failed");
      break;
    }
    auto t1 = Clock::now();
    // Removed first, as the export replaces a file (a truncated file is
    // flushed on close by some file systems).
    std::remove(plain.c_str());
    FILE* f = std::fopen(plain.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    f = std::fopen(plain.c_str(), "rb");
    benchmark::DoNotOptimize(std::fread(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
    auto t2 = Clock::now();
    ours += Seconds(t0, t1);
    ref += Seconds(t1, t2);
  }
  std::remove(host.c_str());
  std::remove(plain.c_str());
  state.counters["file_bytes"] = size;
  state.counters["ratio_vs_ref"] = ref > 0 ? ours / ref : 0;
}
BENCHMARK(BM_ExportImportFullMemory)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
