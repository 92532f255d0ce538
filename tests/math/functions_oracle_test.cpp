// The elementary functions against the mpmath oracle of
// tests/tools/gen_function_vectors.py: some 20,000 arguments per function
// drawn across its domain (both sides draw them from one seeded stream), each
// result compared with the 40-digit value rounded to 15 digits. Every result
// must be within one unit of the 15th digit and 99 % must be exact.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "math/bcd.h"
#include "math/bcd_text.h"
#include "math/bcd_work.h"
#include "math/functions.h"

namespace {

std::string CanonicalOf(const BcdNumber& x) {
  char text[kBcdTextSize];
  BcdCanonicalText(&x, text);
  return text;
}

struct Band {
  int lo, hi, sign, unit;
};

struct Reader {
  const std::vector<uint8_t>& data;
  size_t pos = 0;
  bool ok = true;
  uint64_t Get(int bytes) {
    if (pos + size_t(bytes) > data.size()) {
      ok = false;
      return 0;
    }
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint64_t(data[pos + i]) << (8 * i);
    pos += size_t(bytes);
    return v;
  }
};

struct Rng {
  uint64_t state;
  uint64_t Next() {
    state += 0x9E3779B97F4A7C15ull;
    uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
};

// One argument by the draw rule the generator documents.
BcdNumber Draw(Rng* rng, const std::vector<Band>& bands, int* unit) {
  const Band& b = bands[rng->Next() % bands.size()];
  int e = b.lo + int(rng->Next() % uint64_t(b.hi - b.lo + 1));
  uint64_t r = rng->Next();
  int digits = (r >> 32) % 4 == 0 ? 1 + int(r % 15) : 15;
  uint64_t m = 100000000000000ull + rng->Next() % 900000000000000ull;
  uint64_t cut = 1;
  for (int i = digits; i < 15; ++i) cut *= 10;
  m -= m % cut;
  bool neg = b.sign == 1 || (b.sign == 2 && (rng->Next() & 1));
  char text[48];
  std::snprintf(text, sizeof text, "%s%llu.%014lluE%d", neg ? "-" : "",
                (unsigned long long)(m / 100000000000000ull),
                (unsigned long long)(m % 100000000000000ull), e);
  BcdNumber x[2] = {};
  BcdFromText(x, text);
  *unit = b.unit;
  return x[0];
}

// Distance of two 15-digit values in units of the 15th digit of the larger.
double UnitsApart(const BcdNumber& a, const BcdNumber& b) {
  BcdWork x, y;
  if (BcdUnpack(&a, &x) || BcdUnpack(&b, &y)) return 1e9;
  if (x.mant == 0 && y.mant == 0) return 0;
  int top = x.mant == 0 ? y.exp : (y.mant == 0 ? x.exp : std::max(x.exp, y.exp));
  auto scaled = [top](const BcdWork& w) {
    long double v = (long double)(uint64_t(w.mant / 100000000)) * powl(10.0L, w.exp - top);
    return w.neg ? -v : v;
  };
  return double(fabsl(scaled(x) - scaled(y)));
}

struct Stats {
  std::string name;
  int cases = 0, exact = 0, withinOne = 0;
  double worst = 0;
  std::string worstCase;
};

const char* Name(int id) {
  static const std::map<int, const char*> kNames = {
      {15, "sin"},           {16, "cos"},          {17, "tan"},
      {18, "asin"},          {19, "acos"},         {20, "atan"},
      {21, "sinh"},          {22, "cosh"},         {23, "tanh"},
      {24, "asinh"},         {25, "acosh"},        {26, "atanh"},
      {12, "exp"},           {13, "ln"},           {14, "log"},
      {33, "10^x"},          {11, "sqrt"},         {60, "cbrt"},
      {100, "x^y"},          {101, "complex div"}, {102, "abs and arg"},
      {103, "complex sqrt"}, {104, "complex ln"},  {105, "complex exp"},
      {106, "complex pow"},
  };
  auto it = kNames.find(id);
  return it == kNames.end() ? "?" : it->second;
}

// Runs the function of a section; writes one or two parts.
void Compute(int id, const BcdNumber* args, int unit, BcdNumber parts[2]) {
  FnMode mode;
  mode.angleUnit = uint8_t(unit);
  BcdNumber r[2] = {}, z[2] = {}, w[2] = {};
  if (id >= 101) BcdComplexMake(&args[0], &args[1], z);
  switch (id) {
    case 100:
      FnPower(&args[0], &args[1], r, mode);
      break;
    case 101:
      BcdComplexMake(&args[2], &args[3], w);
      FnComplexDiv(z, w, r);
      break;
    case 102:
      FnToPolar(z, &parts[0], &parts[1], unit);
      return;
    case 103:
      FnComplexSqrt(z, r);
      break;
    case 104:
      FnComplexLn(z, r);
      break;
    case 105:
      FnComplexExp(z, r);
      break;
    case 106:
      BcdComplexMake(&args[2], &args[3], w);
      FnComplexPow(z, w, r);
      break;
    default:
      FnUnary(id, &args[0], r, mode);
      break;
  }
  if (BcdErrorCode(r)) {
    parts[0] = r[0];
    BcdZero(&parts[1]);
    return;
  }
  BcdComplexSplit(r, &parts[0], &parts[1]);
}

std::vector<Stats> RunVectors() {
  std::ifstream in(VK_FUNCTION_VECTORS, std::ios::binary);
  std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), {});
  std::vector<Stats> all;
  if (data.size() < 8 || std::memcmp(data.data(), "FNV1", 4) != 0) {
    ADD_FAILURE() << "vectors missing: " << VK_FUNCTION_VECTORS;
    return all;
  }
  Reader rd{data, 4};
  uint32_t sections = uint32_t(rd.Get(4));
  for (uint32_t s = 0; s < sections && rd.ok; ++s) {
    int id = int(rd.Get(1)), nargs = int(rd.Get(1)), nparts = int(rd.Get(1));
    // A damaged vector file must fail the test, not overrun the fixed arrays below.
    if (nargs > 4 || nparts < 1 || nparts > 2) {
      ADD_FAILURE() << "vector section " << s << ": " << nargs << " arguments, " << nparts << " results";
      return all;
    }
    bool explicitArgs = rd.Get(1) != 0;
    Rng rng{rd.Get(8)};
    uint32_t count = uint32_t(rd.Get(4));
    std::vector<std::vector<Band>> bands(static_cast<size_t>(nargs));
    for (auto& list : bands) {
      int n = int(rd.Get(1));
      for (int i = 0; i < n; ++i) {
        Band b;
        b.lo = int(int8_t(rd.Get(1)));
        b.hi = int(int8_t(rd.Get(1)));
        b.sign = int(rd.Get(1));
        b.unit = int(rd.Get(1));
        list.push_back(b);
      }
      if (!explicitArgs && list.empty()) rd.ok = false;
    }
    Stats st;
    st.name = std::string(Name(id)) + (explicitArgs ? " hard" : "");
    for (uint32_t c = 0; c < count && rd.ok; ++c) {
      BcdNumber args[4] = {};
      int unit = explicitArgs ? int(rd.Get(1)) : -1;
      for (int a = 0; a < nargs; ++a) {
        if (explicitArgs) {
          for (int i = 0; i < 9; ++i) args[a].bytes[i] = uint8_t(rd.Get(1));
          continue;
        }
        int u;
        args[a] = Draw(&rng, bands[size_t(a)], &u);
        if (a == 0) unit = u;
      }
      std::vector<BcdNumber> want(size_t(nparts), BcdNumber{});
      for (BcdNumber& w : want) {
        for (int i = 0; i < 9; ++i) w.bytes[i] = uint8_t(rd.Get(1));
      }
      BcdNumber got[2] = {};
      Compute(id, args, unit, got);
      ++st.cases;
      double apart = 0;
      for (int p = 0; p < nparts; ++p) {
        int we = BcdErrorCode(&want[p]), ge = BcdErrorCode(&got[p]);
        if (we || ge) {
          if (we != ge) apart = std::max(apart, 1e9);
          break;
        }
        apart = std::max(apart, UnitsApart(want[p], got[p]));
      }
      if (apart == 0) ++st.exact;
      if (apart <= 1) ++st.withinOne;
      if (apart > st.worst) {
        st.worst = apart;
        st.worstCase = "args";
        for (int a = 0; a < nargs; ++a) st.worstCase += " " + CanonicalOf(args[a]);
        st.worstCase += " unit " + std::to_string(unit) + " want";
        for (int p = 0; p < nparts; ++p) st.worstCase += " " + CanonicalOf(want[p]);
        st.worstCase += " got";
        for (int p = 0; p < nparts; ++p) st.worstCase += " " + CanonicalOf(got[p]);
      }
    }
    all.push_back(st);
  }
  EXPECT_TRUE(rd.ok) << "vector file cut short";
  return all;
}

TEST(FunctionOracle, EveryResultWithinOneUnitAndNearlyAllExact) {
  std::printf("%-14s %7s %7s %8s %9s\n", "function", "cases", "exact", "exact %", "max units");
  for (const Stats& st : RunVectors()) {
    std::printf("%-14s %7d %7d %8.3f %9.3g\n", st.name.c_str(), st.cases, st.exact,
                100.0 * st.exact / std::max(st.cases, 1), st.worst);
    if (st.worst > 0) std::printf("  worst: %s\n", st.worstCase.c_str());
    EXPECT_EQ(st.withinOne, st.cases) << st.name << " worst: " << st.worstCase;
    EXPECT_GE(st.exact, st.cases * 0.99) << st.name;
  }
}

}  // namespace
