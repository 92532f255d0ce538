// Storage memory on the image file against a plain sequential write of the
// same bytes to a file, measured in the same run: formatting, creating and
// writing a 100 KB file, and optimising a fragmented store.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "bench/support/bench_timing.h"
#include "memory/flash_file.h"
#include "memory/fs_api.h"
#include "memory/fs_store.h"
#include "memory/opt_run.h"

namespace {

using bench::Clock;
using bench::SecondsOf;

struct Scratch {
  std::string dir, image, plain;
  Scratch() {
    char tmpl[] = "/tmp/vk-fs-bench-XXXXXX";
    dir = mkdtemp(tmpl);
    image = dir + "/qm417.fls";
    plain = dir + "/plain.bin";
    bool created;
    FlashImageOpen(image, false, &created);
  }
  ~Scratch() {
    FlashImageClose();
    unlink(image.c_str());
    unlink(plain.c_str());
    rmdir(dir.c_str());
  }
};

// The reference: the same number of bytes written in one go to a file.
double PlainWriteSeconds(const std::string& path, const std::vector<uint8_t>& bytes) {
  auto start = Clock::now();
  int fd = open(path.c_str(), O_WRONLY | O_CREAT, 0600);  // overwrite in place, like the image
  size_t at = 0;
  while (at < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + at, bytes.size() - at);
    if (n <= 0) break;
    at += size_t(n);
  }
  close(fd);
  return bench::SecondsSince(start);
}

std::vector<uint8_t> Bytes(size_t n, uint8_t seed) {
  std::vector<uint8_t> b(n);
  for (size_t i = 0; i < n; ++i) b[i] = uint8_t(i * 131 + seed);
  return b;
}

void WriteFile(const char16_t* path, const std::vector<uint8_t>& data) {
  FsCreate(path, kEntryFile, uint32_t(data.size()));
  int h = FsOpen(path, kOpenWrite);
  FsWrite(h, data.data(), int(data.size()));
  FsClose(h);
}

void Report(benchmark::State& state, double ours, double ref) {
  state.counters["ratio_vs_ref"] = ref > 0 ? ours / ref : 0;
  state.counters["ref_us"] = ref * 1e6 / double(state.iterations());
}

void BM_Format(benchmark::State& state) {
  Scratch s;
  std::vector<uint8_t> same(kSectorCount * kSectorSize, 0xFF);
  double ours = 0, ref = 0;
  for (auto _ : state) {
    ours += SecondsOf([] { SmFormat(true, nullptr); });
    ref += PlainWriteSeconds(s.plain, same);
  }
  Report(state, ours, ref);
}
BENCHMARK(BM_Format)->Unit(benchmark::kMillisecond);

void BM_CreateAndWrite100K(benchmark::State& state) {
  Scratch s;
  std::vector<uint8_t> data = Bytes(100 * 1024, 7);
  double ours = 0, ref = 0;
  int n = 0;
  for (auto _ : state) {
    if (n % 12 == 0) {  // keep room on the store
      state.PauseTiming();
      SmFormat(false, nullptr);
      state.ResumeTiming();
    }
    std::u16string path = u"\\\\fls0\\F" + std::u16string(1, char16_t(u'A' + n++ % 12));
    ours += SecondsOf([&] { WriteFile(path.c_str(), data); });
    ref += PlainWriteSeconds(s.plain, data);
  }
  Report(state, ours, ref);
}
BENCHMARK(BM_CreateAndWrite100K)->Unit(benchmark::kMicrosecond);

void BM_OptimizeFragmented(benchmark::State& state) {
  Scratch s;
  double ours = 0, ref = 0;
  for (auto _ : state) {
    state.PauseTiming();
    SmFormat(false, nullptr);
    size_t live = 0;
    for (int i = 0; i < 120; ++i) {
      std::u16string path = u"\\\\fls0\\F" + std::u16string(1, char16_t(0x100 + i));
      std::vector<uint8_t> data = Bytes(300 + size_t(i) * 97 % 20000, uint8_t(i));
      WriteFile(path.c_str(), data);
      if (i % 3 == 0)
        FsDelete(path.c_str());
      else
        live += data.size();
    }
    std::vector<uint8_t> same(live, 0x3C);
    state.ResumeTiming();
    ours += SecondsOf([] { FsOptimize(u"\\\\fls0\\"); });
    ref += PlainWriteSeconds(s.plain, same);
  }
  Report(state, ours, ref);
}
BENCHMARK(BM_OptimizeFragmented)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
