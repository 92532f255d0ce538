// Speed of the number record against double, in the same run: every
// benchmark reports ns_per_op and ratio_vs_double (our time over the time of
// the same work on doubles, measured just before it on the same operands).
//
// `--dump_pool=FILE` writes the operand pools as decimal text and exits, so
// bench/compare_decimal.py can time Python's decimal on the very same values.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/support/bench_timing.h"
#include "math/bcd.h"
#include "math/bcd_text.h"
#include "math/bcd_work.h"

namespace {

constexpr size_t kPool = 1024;

struct Pool {
  std::vector<BcdNumber> a, b;
  std::vector<double> da, db;
};

// Random 15-digit operands; exponents within `spread` of each other for the
// additive pool (so digits really meet), anywhere in -40..40 for the others.
Pool MakePool(uint64_t seed, int spread) {
  std::mt19937_64 rng(seed);
  Pool p;
  for (size_t i = 0; i < kPool; ++i) {
    for (int side = 0; side < 2; ++side) {
      char text[48];
      uint64_t m = 100000000000000ull + rng() % 900000000000000ull;
      int e = side == 0 || spread == 0
                  ? int(rng() % 81) - 40
                  : BcdExponent(&p.a.back()) + int(rng() % (2 * spread + 1)) - spread;
      std::snprintf(text, sizeof text, "%s%llu.%014lluE%d", rng() % 2 ? "-" : "",
                    (unsigned long long)(m / 100000000000000ull),
                    (unsigned long long)(m % 100000000000000ull), e);
      BcdNumber x;
      BcdFromText(&x, text);
      (side == 0 ? p.a : p.b).push_back(x);
      (side == 0 ? p.da : p.db).push_back(std::strtod(text, nullptr));
    }
  }
  return p;
}

const Pool& AddPool() {
  static const Pool p = MakePool(1, 6);
  return p;
}
const Pool& MulPool() {
  static const Pool p = MakePool(2, 0);
  return p;
}

// Nanoseconds per operation of `body(i)` over the pool, best of several runs.
template <typename F>
double NsPerOp(F body) {
  auto pass = [&] {
    for (size_t i = 0; i < kPool; ++i) body(i);
  };
  return bench::NsPerCall(pass, 20, 20) / kPool;
}

// Runs `ours` for the benchmark's iterations and reports it against `ref`.
template <typename Ours, typename Ref>
void Measure(benchmark::State& state, Ours ours, Ref ref) {
  double refNs = NsPerOp(ref);
  double t0 = bench::ThreadNs();
  for (auto _ : state) {
    for (size_t i = 0; i < kPool; ++i) ours(i);
  }
  double ns = (bench::ThreadNs() - t0) / (double(state.iterations()) * kPool);
  state.SetItemsProcessed(int64_t(state.iterations() * kPool));
  state.counters["ns_per_op"] = ns;
  state.counters["double_ns_per_op"] = refNs;
  state.counters["ratio_vs_double"] = ns / refNs;
}

template <int Op>
void BM_Binary(benchmark::State& state) {
  const Pool& p = Op == kBcdOpAdd || Op == kBcdOpSub ? AddPool() : MulPool();
  BcdNumber r;
  double d;
  Measure(
      state,
      [&](size_t i) {
        BcdBinary(Op, &p.a[i], &p.b[i], &r);
        benchmark::DoNotOptimize(r);
      },
      [&](size_t i) {
        switch (Op) {
          case kBcdOpAdd:
            d = p.da[i] + p.db[i];
            break;
          case kBcdOpSub:
            d = p.da[i] - p.db[i];
            break;
          case kBcdOpMul:
            d = p.da[i] * p.db[i];
            break;
          default:
            d = p.da[i] / p.db[i];
            break;
        }
        benchmark::DoNotOptimize(d);
      });
}
BENCHMARK(BM_Binary<kBcdOpAdd>)->Name("BcdAdd");
BENCHMARK(BM_Binary<kBcdOpSub>)->Name("BcdSub");
BENCHMARK(BM_Binary<kBcdOpMul>)->Name("BcdMul");
BENCHMARK(BM_Binary<kBcdOpDiv>)->Name("BcdDiv");

void BM_Compare(benchmark::State& state) {
  const Pool& p = AddPool();
  int r;
  bool d;
  Measure(
      state,
      [&](size_t i) {
        r = BcdCompare(kBcdOpLt, &p.a[i], &p.b[i]);
        benchmark::DoNotOptimize(r);
      },
      [&](size_t i) {
        d = p.da[i] < p.db[i];
        benchmark::DoNotOptimize(d);
      });
}
BENCHMARK(BM_Compare)->Name("BcdCompare");

void BM_PackUnpack(benchmark::State& state) {
  const Pool& p = MulPool();
  BcdWork w;
  BcdNumber r;
  double d;
  Measure(
      state,
      [&](size_t i) {
        BcdUnpack(&p.a[i], &w);
        BcdPack(&w, &r);
        benchmark::DoNotOptimize(r);
      },
      [&](size_t i) {
        // A double's counterpart: through its bytes and back.
        uint64_t bits;
        std::memcpy(&bits, &p.da[i], 8);
        benchmark::DoNotOptimize(bits);
        std::memcpy(&d, &bits, 8);
        benchmark::DoNotOptimize(d);
      });
}
BENCHMARK(BM_PackUnpack)->Name("BcdPackUnpack");

void BM_FormatNorm1(benchmark::State& state) {
  const Pool& p = AddPool();
  BcdDisplay display;
  char out[kBcdTextSize];
  Measure(
      state,
      [&](size_t i) {
        BcdFormatResult(&p.a[i], 0, display, out);
        benchmark::DoNotOptimize(out);
      },
      [&](size_t i) {
        std::snprintf(out, sizeof out, "%.10g", p.da[i]);
        benchmark::DoNotOptimize(out);
      });
}
BENCHMARK(BM_FormatNorm1)->Name("BcdFormatNorm1");

void DumpPool(const char* path) {
  FILE* f = std::fopen(path, "w");
  if (!f) {
    std::perror(path);
    std::exit(1);
  }
  const char* names[2] = {"add", "mul"};
  const Pool* pools[2] = {&AddPool(), &MulPool()};
  for (int k = 0; k < 2; ++k) {
    for (size_t i = 0; i < kPool; ++i) {
      char a[kBcdTextSize], b[kBcdTextSize];
      BcdCanonicalText(&pools[k]->a[i], a);
      BcdCanonicalText(&pools[k]->b[i], b);
      std::fprintf(f, "%s %s %s\n", names[k], a, b);
    }
  }
  std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--dump_pool=", 12) == 0) {
      DumpPool(argv[i] + 12);
      return 0;
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
