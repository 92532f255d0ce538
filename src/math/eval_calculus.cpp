// Calculus over an expression in X: d/dx( d²/dx²( ∫( Solve( FMin( FMax(.
//
// Each reads its expression's tokens once, then evaluates them as often as
// its method needs with X set to the point; X keeps its value afterwards.
// The methods run on long double (about 19 digits) and their results are
// rounded to 15 digits; their error bounds are far below the 10 digits the
// screen shows.
#include <cmath>
#include <cstring>

#include "math/eval_internal.h"
#include "math/token.h"
#include "memory/mem_app.h"

namespace eval_internal {

namespace {

constexpr uint16_t kSecondDerivative = 0x7F27;
constexpr uint16_t kFMax = 0x7F2B;
constexpr int kErrCannotSolve = 27;
constexpr int kMaxEvaluations = 20000;

// The expression of one call and the state around its evaluations.
class FunctionOfX {
 public:
  // Reads "expression, arguments..." after the function token.
  int Open(Run& run, int least, int most, BcdComplex* args, BcdNumber value[2],
           uint32_t flags = kEvalArgument) {
    run_ = &run;
    flags_ = flags;
    TokenAdvance(run.cursor);
    expression_ = *run.cursor;
    if (!SkipExpression(run)) return Fail(value, kBcdErrSyntax);
    int n = ReadArgumentList(run, least, most, args, value);
    if (n == 0) return 0;
    for (int i = 0; i < n; ++i) {
      if (BcdKind(&args[i].re) != kBcdKindScalar || BcdIsComplex(&args[i].re)) {
        return Fail(value, kBcdErrMa);
      }
    }
    after_ = *run.cursor;
    std::memcpy(saved_, MemVariable(Slot()), kMemAlphaRecord);
    open_ = true;
    return n;
  }

  ~FunctionOfX() {
    if (!open_) return;
    MemSetVariable('X', saved_);
    *run_->cursor = after_;
  }

  // f(x); false with the error in value.
  bool At(long double x, long double* y, BcdNumber value[2]) {
    if (++evaluations_ > kMaxEvaluations || BreakRequested()) {
      Fail(value, evaluations_ > kMaxEvaluations ? kErrCannotSolve : kBcdErrBreak);
      return false;
    }
    uint8_t record[kMemAlphaRecord] = {};
    BcdNumber bx;
    if (!BcdFromLongDouble(x, &bx)) {
      Fail(value, kBcdErrMa);
      return false;
    }
    std::memcpy(record, &bx, sizeof bx);
    MemSetVariable('X', record);
    *run_->cursor = expression_;
    BcdNumber v[2];
    if (!Evaluate(run_->cursor, v, run_->stacks, flags_)) {
      CopyValue(value, v);
      return false;
    }
    if (BcdKind(&v[0]) != kBcdKindScalar || BcdIsComplex(&v[0])) {
      Fail(value, kBcdErrMa);
      return false;
    }
    *y = BcdToLongDouble(&v[0]);
    return true;
  }

 private:
  static uint32_t Slot() { return MemVariableSlot('X'); }

  Run* run_ = nullptr;
  const uint8_t* expression_ = nullptr;
  const uint8_t* after_ = nullptr;
  uint8_t saved_[kMemAlphaRecord] = {};
  bool open_ = false;
  int evaluations_ = 0;
  uint32_t flags_ = kEvalArgument;
};

long double Arg(const BcdComplex& a) {
  return BcdToLongDouble(&a.re);
}

int Result(long double v, BcdNumber value[2]) {
  BcdZero(&value[1]);
  if (std::fabs(v) < 1e-99L) v = 0;
  return BcdFromLongDouble(v, &value[0]);
}

// Central differences, refined by Richardson extrapolation.
bool Differentiate(FunctionOfX& f, long double a, bool second, long double* d, BcdNumber value[2]) {
  long double h = 1e-3L * std::max(1.0L, std::fabs(a));
  long double est[2];
  long double fa = 0;
  if (second && !f.At(a, &fa, value)) return false;
  for (int i = 0; i < 2; ++i, h /= 2) {
    long double up, down;
    if (!f.At(a + h, &up, value) || !f.At(a - h, &down, value)) return false;
    est[i] = second ? (up - 2 * fa + down) / (h * h) : (up - down) / (2 * h);
  }
  *d = (4 * est[1] - est[0]) / 3;
  return true;
}

// Adaptive Gauss-Kronrod 7-15 on [a, b].
constexpr long double kNodes[8] = {
    0.991455371120812639206854697526329L, 0.949107912342758524526189684047851L,
    0.864864423359769072789712788640926L, 0.741531185599394439863864773280788L,
    0.586087235467691130294144845693013L, 0.405845151377397166906606412076961L,
    0.207784955007898467600689403773245L, 0.0L};
constexpr long double kKronrod[8] = {
    0.022935322010529224963732008058970L, 0.063092092629978553290700663189204L,
    0.104790010322250183839876322541518L, 0.140653259715525918745189590510238L,
    0.169004726639267902826583426598550L, 0.190350578064785409913256402421014L,
    0.204432940075298892414161999234649L, 0.209482141084727828012999174891714L};
constexpr long double kGauss[4] = {
    0.129484966168869693270611432679082L, 0.279705391489276667901467771423780L,
    0.381830050505118944950369775488975L, 0.417959183673469387755102040816327L};

bool Kronrod(FunctionOfX& f, long double a, long double b, long double* sum, long double* error,
             BcdNumber value[2]) {
  long double c = (a + b) / 2, h = (b - a) / 2, k = 0, g = 0;
  for (int i = 0; i < 8; ++i) {
    long double y1, y2 = 0;
    if (!f.At(c - h * kNodes[i], &y1, value)) return false;
    if (i < 7 && !f.At(c + h * kNodes[i], &y2, value)) return false;
    long double pair = y1 + y2;
    k += kKronrod[i] * pair;
    if (i % 2 == 1) g += kGauss[i / 2] * pair;  // the Gauss points, the centre last
  }
  *sum = k * h;
  *error = std::fabs((k - g) * h);
  return true;
}

bool Integrate(FunctionOfX& f, long double a, long double b, long double tolerance, int depth,
               long double* sum, BcdNumber value[2]) {
  long double error;
  if (!Kronrod(f, a, b, sum, &error, value)) return false;
  if (error <= tolerance || depth >= 30) return true;
  long double c = (a + b) / 2, left, right;
  if (!Integrate(f, a, c, tolerance / 2, depth + 1, &left, value) ||
      !Integrate(f, c, b, tolerance / 2, depth + 1, &right, value)) {
    return false;
  }
  *sum = left + right;
  return true;
}

}  // namespace

// d/dx(f, a) and d²/dx²(f, a) at X = a.
int Derivative(Run& run, uint16_t code, BcdNumber value[2]) {
  FunctionOfX f;
  BcdComplex args[2];
  if (!f.Open(run, 1, 2, args, value)) return 0;
  long double d;
  if (!Differentiate(f, Arg(args[0]), code == kSecondDerivative, &d, value)) return 0;
  return Result(d, value);
}

// ∫(f, a, b[, tolerance]).
int Integral(Run& run, uint16_t, BcdNumber value[2]) {
  FunctionOfX f;
  BcdComplex args[3];
  // An integral inside the integrand is a Syntax error.
  int n = f.Open(run, 2, 3, args, value, kEvalArgument | kEvalIntegral);
  if (n == 0) return 0;
  long double tolerance = n == 3 ? std::fabs(Arg(args[2])) : 1e-12L;
  long double sum;
  if (!Integrate(f, Arg(args[0]), Arg(args[1]), std::max(tolerance, 1e-16L), 0, &sum, value)) {
    return 0;
  }
  return Result(sum, value);
}

// Solve(f, guess[, lower, upper]): a root of f near the guess, by Newton's
// method with differences (the bounds are read and not used yet).
int Solve(Run& run, uint16_t, BcdNumber value[2]) {
  FunctionOfX f;
  BcdComplex args[3];
  if (!f.Open(run, 1, 3, args, value)) return 0;
  long double x = Arg(args[0]);
  for (int iteration = 0; iteration < 200; ++iteration) {
    long double y, slope;
    if (!f.At(x, &y, value)) return 0;
    if (y == 0) return Result(x, value);
    if (!Differentiate(f, x, false, &slope, value)) return 0;
    if (slope == 0 || !std::isfinite(slope)) break;
    long double next = x - y / slope;
    // The values carry 15 digits, so steps stop shrinking near 1E-14.
    if (std::fabs(next - x) <= 1e-12L * std::max(1.0L, std::fabs(x))) return Result(next, value);
    x = next;
  }
  return Fail(value, kErrCannotSolve);
}

// FMin(f, a, b) and FMax(f, a, b): {x, f(x)} at the least (greatest) value
// of f on [a, b], by golden-section search.
int Extreme(Run& run, uint16_t code, BcdNumber value[2]) {
  FunctionOfX f;
  BcdComplex args[3];
  if (!f.Open(run, 2, 3, args, value)) return 0;
  long double a = Arg(args[0]), b = Arg(args[1]);
  long double sign = code == kFMax ? -1 : 1;
  const long double ratio = (std::sqrt(5.0L) - 1) / 2;
  long double c = b - ratio * (b - a), d = a + ratio * (b - a), fc, fd;
  if (!f.At(c, &fc, value) || !f.At(d, &fd, value)) return 0;
  for (int i = 0; i < 200 && std::fabs(b - a) > 1e-12L * std::max(1.0L, std::fabs(a)); ++i) {
    if (sign * fc < sign * fd) {
      b = d, d = c, fd = fc;
      c = b - ratio * (b - a);
      if (!f.At(c, &fc, value)) return 0;
    } else {
      a = c, c = d, fc = fd;
      d = a + ratio * (b - a);
      if (!f.At(d, &fd, value)) return 0;
    }
  }
  // Near the extreme f is flat, so the search finds x only to about half the
  // digits of f; Newton's method on f' = 0 brings back the rest.
  long double low = Arg(args[0]), high = Arg(args[1]);
  long double x = (a + b) / 2, y;
  for (int i = 0; i < 4; ++i) {
    long double d1, d2;
    if (!Differentiate(f, x, false, &d1, value) || !Differentiate(f, x, true, &d2, value)) {
      return 0;
    }
    if (d2 == 0 || !std::isfinite(d1 / d2)) break;
    long double next = x - d1 / d2;
    if (next < std::min(low, high) || next > std::max(low, high)) break;
    x = next;
  }
  if (!f.At(x, &y, value)) return 0;
  std::vector<BcdComplex> out(2);
  if (!Result(x, &out[0].re) || !Result(y, &out[1].re)) return Fail(value, kBcdErrMa);
  return MakeArray(ArrayKind::kList, 2, 1, out, value);
}

}  // namespace eval_internal
