// Speed of the elementary functions against the C library's double functions
// on the same arguments, in the same run. Each benchmark reports our
// nanoseconds per call, the double function's, and ratio_vs_double.
#include <benchmark/benchmark.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "bench/support/bench_timing.h"
#include "math/bcd.h"
#include "math/functions.h"

namespace {

constexpr size_t kArgs = 256;

struct Args {
  std::vector<BcdNumber> bcd;
  std::vector<double> dbl;
};

// 15-digit arguments with exponents lo..hi, positive unless `anySign`.
Args MakeArgs(uint64_t seed, int lo, int hi, bool anySign) {
  std::mt19937_64 rng(seed);
  Args a;
  for (size_t i = 0; i < kArgs; ++i) {
    uint64_t m = 100000000000000ull + rng() % 900000000000000ull;
    int e = lo + int(rng() % uint64_t(hi - lo + 1));
    char text[48];
    std::snprintf(text, sizeof text, "%s%llu.%014lluE%d", anySign && rng() % 2 ? "-" : "",
                  (unsigned long long)(m / 100000000000000ull),
                  (unsigned long long)(m % 100000000000000ull), e);
    BcdNumber x;
    BcdFromText(&x, text);
    a.bcd.push_back(x);
    a.dbl.push_back(std::strtod(text, nullptr));
  }
  return a;
}

// One benchmark: ours over the arguments for the benchmark's iterations, the
// double reference over the same arguments as many times, timed alternately
// so that both see the same machine.
template <typename Ours, typename Ref>
void Compare(benchmark::State& state, Ours ours, Ref ref) {
  double oursNs = 0, refNs = 0;
  for (auto _ : state) {
    double t0 = bench::ThreadNs();
    for (size_t i = 0; i < kArgs; ++i) ours(i);
    double t1 = bench::ThreadNs();
    for (size_t i = 0; i < kArgs; ++i) ref(i);
    double t2 = bench::ThreadNs();
    oursNs += t1 - t0;
    refNs += t2 - t1;
  }
  double calls = double(state.iterations()) * kArgs;
  state.SetItemsProcessed(int64_t(calls));
  state.counters["ns_per_call"] = oursNs / calls;
  state.counters["double_ns_per_call"] = refNs / calls;
  state.counters["ratio_vs_double"] = oursNs / refNs;
}

using DoubleFn = double (*)(double);

void BM_Unary(benchmark::State& state, DoubleFn ref, int code, int unit, int lo, int hi,
              bool anySign) {
  const Args a = MakeArgs(uint64_t(code), lo, hi, anySign);
  FnMode mode;
  mode.angleUnit = uint8_t(unit);
  const double toRadians = unit == kFnDegrees ? M_PI / 180 : 1;
  BcdNumber r[2];
  double d;
  Compare(
      state,
      [&](size_t i) {
        FnUnary(code, &a.bcd[i], r, mode);
        benchmark::DoNotOptimize(r);
      },
      [&](size_t i) {
        d = ref(a.dbl[i] * toRadians);
        benchmark::DoNotOptimize(d);
      });
}

#define VK_DOUBLE_FN(f) +[](double x) { return f; }

BENCHMARK_CAPTURE(BM_Unary, sin_radians, VK_DOUBLE_FN(std::sin(x)), kFnSin, kFnRadians, -3, 1,
                  true);
BENCHMARK_CAPTURE(BM_Unary, sin_degrees, VK_DOUBLE_FN(std::sin(x)), kFnSin, kFnDegrees, -3, 2,
                  true);
BENCHMARK_CAPTURE(BM_Unary, cos_radians, VK_DOUBLE_FN(std::cos(x)), kFnCos, kFnRadians, -3, 1,
                  true);
BENCHMARK_CAPTURE(BM_Unary, tan_radians, VK_DOUBLE_FN(std::tan(x)), kFnTan, kFnRadians, -3, 1,
                  true);
BENCHMARK_CAPTURE(BM_Unary, asin, VK_DOUBLE_FN(std::asin(x)), kFnAsin, kFnRadians, -3, -1, true);
BENCHMARK_CAPTURE(BM_Unary, acos, VK_DOUBLE_FN(std::acos(x)), kFnAcos, kFnRadians, -3, -1, true);
BENCHMARK_CAPTURE(BM_Unary, atan, VK_DOUBLE_FN(std::atan(x)), kFnAtan, kFnRadians, -3, 3, true);
BENCHMARK_CAPTURE(BM_Unary, sinh, VK_DOUBLE_FN(std::sinh(x)), kFnSinh, kFnRadians, -3, 1, true);
BENCHMARK_CAPTURE(BM_Unary, cosh, VK_DOUBLE_FN(std::cosh(x)), kFnCosh, kFnRadians, -3, 1, true);
BENCHMARK_CAPTURE(BM_Unary, tanh, VK_DOUBLE_FN(std::tanh(x)), kFnTanh, kFnRadians, -3, 1, true);
BENCHMARK_CAPTURE(BM_Unary, asinh, VK_DOUBLE_FN(std::asinh(x)), kFnAsinh, kFnRadians, -3, 3, true);
BENCHMARK_CAPTURE(BM_Unary, acosh, VK_DOUBLE_FN(std::acosh(x)), kFnAcosh, kFnRadians, 0, 3, false);
BENCHMARK_CAPTURE(BM_Unary, atanh, VK_DOUBLE_FN(std::atanh(x)), kFnAtanh, kFnRadians, -3, -1, true);
BENCHMARK_CAPTURE(BM_Unary, exp, VK_DOUBLE_FN(std::exp(x)), kFnExp, kFnRadians, -3, 1, true);
BENCHMARK_CAPTURE(BM_Unary, ln, VK_DOUBLE_FN(std::log(x)), kFnLn, kFnRadians, -30, 30, false);
BENCHMARK_CAPTURE(BM_Unary, log, VK_DOUBLE_FN(std::log10(x)), kFnLog, kFnRadians, -30, 30, false);
BENCHMARK_CAPTURE(BM_Unary, ten_pow, VK_DOUBLE_FN(std::pow(10.0, x)), kFnTenPow, kFnRadians, -3, 1,
                  true);
BENCHMARK_CAPTURE(BM_Unary, sqrt, VK_DOUBLE_FN(std::sqrt(x)), kFnSqrt, kFnRadians, -30, 30, false);
BENCHMARK_CAPTURE(BM_Unary, cbrt, VK_DOUBLE_FN(std::cbrt(x)), kFnCubeRoot, kFnRadians, -30, 30,
                  true);

void BM_Power(benchmark::State& state) {
  const Args x = MakeArgs(100, -3, 3, false), y = MakeArgs(101, -3, 1, true);
  BcdNumber r[2];
  double d;
  FnMode mode;
  Compare(
      state,
      [&](size_t i) {
        FnPower(&x.bcd[i], &y.bcd[i], r, mode);
        benchmark::DoNotOptimize(r);
      },
      [&](size_t i) {
        d = std::pow(x.dbl[i], y.dbl[i]);
        benchmark::DoNotOptimize(d);
      });
}
BENCHMARK(BM_Power)->Name("power");

// sin(pi / 7) in radians the way a calculation runs it: the division, then
// the function.
void BM_SinPiOverSeven(benchmark::State& state) {
  BcdNumber pi, seven, q, r[2];
  BcdConst(&pi, kBcdPi);
  BcdFromInt(&seven, 7);
  FnMode mode;
  mode.angleUnit = kFnRadians;
  double d, dpi = 3.1415926535898;
  Compare(
      state,
      [&](size_t) {
        BcdDiv(&pi, &seven, &q);
        FnUnary(kFnSin, &q, r, mode);
        benchmark::DoNotOptimize(r);
      },
      [&](size_t) {
        benchmark::DoNotOptimize(dpi);
        d = std::sin(dpi / 7);
        benchmark::DoNotOptimize(d);
      });
}
BENCHMARK(BM_SinPiOverSeven)->Name("sin_pi_over_7");

void BM_ComplexPower(benchmark::State& state) {
  const Args a = MakeArgs(200, -2, 1, true), b = MakeArgs(201, -2, 0, true);
  BcdNumber z[2], w[2], r[2];
  Compare(
      state,
      [&](size_t i) {
        BcdComplexMake(&a.bcd[i], &b.bcd[i], z);
        BcdComplexMake(&b.bcd[i], &a.bcd[i], w);
        FnComplexPow(z, w, r);
        benchmark::DoNotOptimize(r);
      },
      [&](size_t i) {
        std::complex<double> c = std::pow(std::complex<double>(a.dbl[i], b.dbl[i]),
                                          std::complex<double>(b.dbl[i], a.dbl[i]));
        benchmark::DoNotOptimize(c);
      });
}
BENCHMARK(BM_ComplexPower)->Name("complex_power");

}  // namespace

BENCHMARK_MAIN();
