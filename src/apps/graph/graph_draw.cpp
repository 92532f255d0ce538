#include "apps/graph/graph_draw.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/services/host_services.h"
#include "math/bcd_work.h"
#include "math/eval.h"
#include "memory/mem_app.h"
#include "os/setup.h"
#include "os/text.h"

namespace {

constexpr int kSetupDrawType = 25;
constexpr int kSetupGrid = 28;
constexpr int kSetupAxes = 29;
constexpr int kSetupLabel = 30;
constexpr uint8_t kOn = 0;
constexpr int kFirstColumn = 1, kLastColumn = 127;
constexpr int kFirstRow = 1, kLastRow = 63;
// The most steps a parametric or polar graph takes, so that a tiny pitch
// cannot hold the calculator for ever.
constexpr long double kMaxParameterSteps = 20000;
constexpr long double kPi = 3.14159265358979323846L;

int (*gBreakTest)() = BreakPressed;

long double L(const BcdNumber& x) {
  return BcdToLongDouble(&x);
}

void SetRealVariable(uint8_t letter, const BcdNumber& value) {
  uint8_t* record = MemVariable(MemVariableSlot(letter));
  std::memcpy(record, &value, sizeof value);
  std::memset(record + sizeof value, 0, sizeof value);
}

bool Visible(long double row) {
  return row >= kFirstRow - 0.5L && row < kLastRow + 0.5L;
}

// Prints mini text into plane 0 (OR), where the curves are.
void MiniIntoPlane(GraphPlanes* planes, int x, int y, const char* text) {
  uint8_t keep[kVramBytes];
  std::memcpy(keep, VramAddress(), kVramBytes);
  ClearVram();
  PrintMini(&x, y, text, kMiniOr, kMiniNoLimit);
  const uint8_t* vram = VramAddress();
  for (int i = 0; i < kVramBytes; ++i) planes->plane[0][i] |= vram[i];
  std::memcpy(VramAddress(), keep, kVramBytes);
}

int Round(long double v) {
  return static_cast<int>(std::floor(v + 0.5L));
}

// The multiples of a scale inside [lo, hi], when they lie at least two dots
// apart; false otherwise (a scale of zero, or marks too dense to read).
bool ScaleMarks(long double lo, long double hi, long double scale, long double dot,
                long double* first, long double* count) {
  scale = std::fabs(scale);
  if (scale == 0 || scale / dot < 2) return false;
  *first = std::ceil(lo / scale - 1e-9L);
  *count = std::floor(hi / scale + 1e-9L) - *first + 1;
  return *count > 0 && *count < 200;
}

void Plot(GraphPlanes* planes, int x, int y, uint8_t planeMode = 0) {
  PlotGraphDot(x, y, planes, planeMode, kDotNoShow);
}

// The value of a function at a point as a dot row; false for a gap.
bool RowAt(const GraphView& view, const char* tokens, uint8_t variable, const BcdNumber& at,
           long double* row) {
  BcdNumber y;
  if (EvaluateGraphAt(tokens, variable, at, &y) != 0) return false;
  *row = RowOf(view, L(y));
  return std::isfinite(*row);
}

// Between two columns whose values lie beyond opposite edges of the screen:
// a steep continuous stretch is drawn, a pole is not. The value half-way
// tells them apart: past a pole it is no longer between the two.
bool CrossesPole(const GraphView& view, const char* tokens, uint8_t variable, int column,
                 long double before, long double after) {
  const bool opposite =
      (before < kFirstRow && after > kLastRow) || (before > kLastRow && after < kFirstRow);
  if (!opposite) return false;
  BcdNumber a, b, sum, half, mid;
  ColumnValue(view, column - 1, &a);
  ColumnValue(view, column, &b);
  BcdConst(&half, kBcdHalf);
  if (!BcdAdd(&a, &b, &sum) || !BcdMul(&sum, &half, &mid)) return true;
  long double row;
  if (!RowAt(view, tokens, variable, mid, &row)) return true;
  return !(row >= std::fmin(before, after) && row <= std::fmax(before, after));
}

int DrawY(GraphPlanes* planes, const GraphView& view, const GraphFunction& f, bool connect) {
  const char* tokens = f.expr[0].c_str();
  bool havePrevious = false;
  long double previous = 0;
  for (int column = kFirstColumn; column <= kLastColumn; ++column) {
    if (gBreakTest()) return 1;
    BcdNumber x, y;
    ColumnValue(view, column, &x);
    const int rc = EvaluateGraphAt(tokens, 'X', x, &y);
    if (rc == kBcdErrBreak) return 1;
    long double row = rc == 0 ? RowOf(view, L(y)) : 0;
    if (rc != 0 || !std::isfinite(row)) {
      havePrevious = false;
      continue;
    }
    if (connect && havePrevious) {
      if (!CrossesPole(view, tokens, 'X', column, previous, row))
        DrawGraphSegment(planes, column - 1, previous, column, row, 0);
    } else if (Visible(row)) {
      Plot(planes, column, Round(row));
    }
    havePrevious = true;
    previous = row;
  }
  return 0;
}

// r= and parametric graphs: the parameter from Tmin to Tmax by Tpitch.
int DrawParametric(GraphPlanes* planes, const GraphView& view, const GraphFunction& f,
                   bool connect) {
  const ViewWindow& w = view.window;
  const long double pitch = L(w.field[kTpitch]);
  if (pitch == 0) return 0;
  const long double steps = std::floor((L(w.field[kTmax]) - L(w.field[kTmin])) / pitch + 1e-9L);
  if (!(steps >= 0)) return 0;
  const long double count = std::fmin(steps, kMaxParameterSteps);
  const uint8_t variable = GraphVariable(f.type);
  const long double toRadians = GetSetupItem(kSetupAngle) == 0   ? kPi / 180
                                : GetSetupItem(kSetupAngle) == 2 ? kPi / 200
                                                                 : 1;
  bool havePrevious = false;
  long double px = 0, py = 0;
  for (long double i = 0; i <= count; ++i) {
    if (gBreakTest()) return 1;
    BcdNumber index, offset, t;
    BcdFromLongDouble(i, &index);
    BcdMul(&index, &w.field[kTpitch], &offset);
    BcdAdd(&w.field[kTmin], &offset, &t);
    BcdNumber a, b;
    int rc = EvaluateGraphAt(f.expr[0].c_str(), variable, t, &a);
    if (rc == 0 && f.type == kGraphParam) rc = EvaluateGraphAt(f.expr[1].c_str(), variable, t, &b);
    if (rc == kBcdErrBreak) return 1;
    long double x = 0, y = 0;
    if (rc == 0 && f.type == kGraphR) {
      const long double r = L(a), angle = L(t) * toRadians;
      x = r * std::cos(angle);
      y = r * std::sin(angle);
    } else if (rc == 0) {
      x = L(a);
      y = L(b);
    }
    const long double cx = ColumnOf(view, x), cy = RowOf(view, y);
    if (rc != 0 || !std::isfinite(cx) || !std::isfinite(cy)) {
      havePrevious = false;
      continue;
    }
    if (connect && havePrevious) {
      DrawGraphSegment(planes, px, py, cx, cy, 0);
    } else if (Visible(cy)) {
      Plot(planes, Round(cx), Round(cy));
    }
    havePrevious = true;
    px = cx;
    py = cy;
  }
  return 0;
}

int DrawXc(GraphPlanes* planes, const GraphView& view, const GraphFunction& f) {
  BcdNumber c;
  if (EvaluateRealLine(f.expr[0].c_str(), &c) != 0) return 0;
  const long double column = ColumnOf(view, L(c));
  DrawGraphSegment(planes, column, kFirstRow, column, kLastRow, 0);
  return 0;
}

}  // namespace

void SetGraphBreakTest(int (*test)()) {
  gBreakTest = test ? test : BreakPressed;
}

SavedVariable::SavedVariable(uint8_t letter) : letter_(letter) {
  std::memcpy(saved_, MemVariable(MemVariableSlot(letter)), sizeof saved_);
}

SavedVariable::~SavedVariable() {
  std::memcpy(MemVariable(MemVariableSlot(letter_)), saved_, sizeof saved_);
}

int PrepareGraphView(const ViewWindow& window, GraphView* view) {
  view->window = window;
  view->xmin = L(window.field[kXmin]);
  view->xmax = L(window.field[kXmax]);
  view->ymin = L(window.field[kYmin]);
  view->ymax = L(window.field[kYmax]);
  view->xdot = L(window.field[kXdot]);
  view->ydot = (view->ymax - view->ymin) / kGraphDotsDown;
  if (!(view->xmin < view->xmax) || !(view->ymin < view->ymax) || !(view->xdot > 0) ||
      !(view->ydot > 0))
    return kErrRange;
  return 0;
}

void ColumnValue(const GraphView& view, int column, BcdNumber* x) {
  BcdNumber steps, offset;
  BcdFromInt(&steps, column - kFirstColumn);
  BcdMul(&view.window.field[kXdot], &steps, &offset);
  BcdAdd(&view.window.field[kXmin], &offset, x);
}

long double ColumnOf(const GraphView& view, long double x) {
  return kFirstColumn + (x - view.xmin) / view.xdot;
}

long double RowOf(const GraphView& view, long double y) {
  return kFirstRow + (view.ymax - y) / view.ydot;
}

int EvaluateReal(const uint8_t** cursor, BcdNumber* out) {
  EvalStacks stacks;
  BcdNumber value[2];
  if (!Evaluate(cursor, value, &stacks, 0)) {
    const int code = BcdErrorCode(&value[0]);
    return code ? code : kBcdErrSyntax;
  }
  if (BcdKind(&value[0]) != kBcdKindScalar || BcdIsComplex(&value[0])) return kBcdErrMa;
  return BcdFractionToDecimal(&value[0], out) == 1 ? 0 : kBcdErrMa;
}

int EvaluateRealLine(const char* tokens, BcdNumber* out) {
  const uint8_t* cursor = reinterpret_cast<const uint8_t*>(tokens);
  const int rc = EvaluateReal(&cursor, out);
  return rc ? rc : *cursor != 0 ? kBcdErrSyntax : 0;
}

int EvaluateGraphAt(const char* tokens, uint8_t variable, const BcdNumber& at, BcdNumber* out) {
  SetRealVariable(variable, at);
  return EvaluateRealLine(tokens, out);
}

bool ConnectMode() {
  return GetSetupItem(kSetupDrawType) == 0;
}

void DrawGraphSegment(GraphPlanes* planes, long double x1, long double y1, long double x2,
                      long double y2, uint8_t planeMode) {
  // Clip to the graph area (Liang-Barsky), then step dot by dot. Doubles
  // hold dot positions well enough and are much quicker than long doubles.
  const double lo[2] = {kFirstColumn - 0.5, kFirstRow - 0.5};
  const double hi[2] = {kLastColumn + 0.49, kLastRow + 0.49};
  const double p0[2] = {static_cast<double>(x1), static_cast<double>(y1)};
  const double d[2] = {static_cast<double>(x2 - x1), static_cast<double>(y2 - y1)};
  double t0 = 0, t1 = 1;
  for (int axis = 0; axis < 2; ++axis) {
    if (d[axis] == 0) {
      if (p0[axis] < lo[axis] || p0[axis] > hi[axis]) return;
      continue;
    }
    double a = (lo[axis] - p0[axis]) / d[axis], b = (hi[axis] - p0[axis]) / d[axis];
    if (a > b) std::swap(a, b);
    t0 = std::max(t0, a);
    t1 = std::min(t1, b);
    if (t0 > t1) return;
  }
  int ax = static_cast<int>(std::lround(p0[0] + t0 * d[0]));
  int ay = static_cast<int>(std::lround(p0[1] + t0 * d[1]));
  const int bx = static_cast<int>(std::lround(p0[0] + t1 * d[0]));
  const int by = static_cast<int>(std::lround(p0[1] + t1 * d[1]));
  const int dx = std::abs(bx - ax), dy = -std::abs(by - ay);
  const int sx = ax < bx ? 1 : -1, sy = ay < by ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    Plot(planes, ax, ay, planeMode);
    if (ax == bx && ay == by) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      ax += sx;
    }
    if (e2 <= dx) {
      err += dx;
      ay += sy;
    }
  }
}

void DrawGraphBackground(GraphPlanes* planes, const GraphView& view) {
  const ViewWindow& w = view.window;
  const long double xscale = L(w.field[kXscale]), yscale = L(w.field[kYscale]);
  long double xfirst = 0, xcount = 0, yfirst = 0, ycount = 0;
  const bool xmarks = ScaleMarks(view.xmin, view.xmax, xscale, view.xdot, &xfirst, &xcount);
  const bool ymarks = ScaleMarks(view.ymin, view.ymax, yscale, view.ydot, &yfirst, &ycount);
  if (GetSetupItem(kSetupGrid) == kOn && xmarks && ymarks) {
    for (long double i = 0; i < xcount; ++i)
      for (long double j = 0; j < ycount; ++j)
        Plot(planes, Round(ColumnOf(view, (xfirst + i) * std::fabs(xscale))),
             Round(RowOf(view, (yfirst + j) * std::fabs(yscale))));
  }
  if (GetSetupItem(kSetupAxes) != kOn) return;
  const int axisRow = Round(RowOf(view, 0));
  const int axisColumn = Round(ColumnOf(view, 0));
  const bool rowShown = view.ymin <= 0 && view.ymax >= 0;
  const bool columnShown = view.xmin <= 0 && view.xmax >= 0;
  if (rowShown) {
    for (int x = kFirstColumn; x <= kLastColumn; ++x) Plot(planes, x, axisRow);
    for (long double i = 0; xmarks && i < xcount; ++i) {
      const int x = Round(ColumnOf(view, (xfirst + i) * std::fabs(xscale)));
      Plot(planes, x, axisRow - 1);
      Plot(planes, x, axisRow + 1);
    }
  }
  if (columnShown) {
    for (int y = kFirstRow; y <= kLastRow; ++y) Plot(planes, axisColumn, y);
    for (long double j = 0; ymarks && j < ycount; ++j) {
      const int y = Round(RowOf(view, (yfirst + j) * std::fabs(yscale)));
      Plot(planes, axisColumn - 1, y);
      Plot(planes, axisColumn + 1, y);
    }
  }
  if (GetSetupItem(kSetupLabel) != kOn) return;
  if (rowShown) MiniIntoPlane(planes, 123, axisRow > 8 ? axisRow - 7 : axisRow + 2, "x");
  if (columnShown)
    MiniIntoPlane(planes, axisColumn < 120 ? axisColumn + 3 : axisColumn - 6, 1, "y");
  if (rowShown && columnShown && axisColumn > 6 && axisRow < 56)
    MiniIntoPlane(planes, axisColumn - 6, axisRow + 2, "O");
}

int DrawGraphFunction(GraphPlanes* planes, const GraphView& view, const GraphFunction& f) {
  if (f.expr[0].empty() || (f.type == kGraphParam && f.expr[1].empty())) return 0;
  SavedVariable keep(GraphVariable(f.type));
  // A function that is not well formed fails as a whole: a gap at every
  // point would look like an empty graph with nothing said.
  BcdNumber zero, value;
  BcdFromInt(&zero, 0);
  for (int e = 0; e < (f.type == kGraphParam ? 2 : 1); ++e)
    if (EvaluateGraphAt(f.expr[e].c_str(), GraphVariable(f.type), zero, &value) == kBcdErrSyntax)
      return kBcdErrSyntax;
  switch (f.type) {
    case kGraphY:
      return DrawY(planes, view, f, ConnectMode());
    case kGraphR:
    case kGraphParam: {
      GraphView own = view;
      return DrawParametric(planes, own, f, ConnectMode());
    }
    case kGraphXc:
      return DrawXc(planes, view, f);
    default:
      return 0;
  }
}

int DrawAllGraphs(GraphPlanes* planes) {
  const int rc = DrawGraphsInto(planes);
  if (rc == 0 || rc == 1) {
    ShowGraphPlanes(*planes);
    PutDisplay();
  }
  return rc;
}

int DrawGraphsInto(GraphPlanes* planes) {
  ViewWindow window;
  if (int rc = ReadViewWindow(&window)) return rc;
  GraphView view;
  if (int rc = PrepareGraphView(window, &view)) return rc;
  ClearGraphPlanes(planes);
  DrawGraphBackground(planes, view);
  ArmBreak();
  int rc = 0;
  for (int n = 1; n <= kGraphFunctionCount && rc == 0; ++n) {
    const GraphFunction f = LoadGraphFunction(n);
    if (f.selected) rc = DrawGraphFunction(planes, view, f);
  }
  DisarmBreak();
  return rc;
}
