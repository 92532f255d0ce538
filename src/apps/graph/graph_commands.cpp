#include "apps/graph/graph_commands.h"

#include <cmath>
#include <cstring>
#include <string>

#include "apps/graph/graph_app.h"
#include "apps/graph/graph_draw.h"
#include "apps/graph/graph_items.h"
#include "math/bcd_text.h"
#include "math/bcd_work.h"
#include "math/eval.h"
#include "math/interp_graph.h"
#include "math/token.h"
#include "os/setup.h"
#include "os/text.h"

namespace {

constexpr int kSyntax = kBcdErrSyntax;
constexpr int kMaxArgs = 9;
constexpr uint8_t kSketchPlane = kPlaneUse1;  // what programs draw lies on plane 1

bool IsSeparator(uint16_t c) {
  return c == 0 || c == ':' || c == 0x0D || c == 0x0C;
}

// The real arguments after the command token, separated by commas, up to
// the end of the statement. Returns how many, or minus the error code.
int ReadArguments(const uint8_t** cursor, BcdNumber* args, int most) {
  TokenAdvance(cursor);
  if (IsSeparator(TokenPeek(*cursor))) return 0;
  for (int n = 0; n < most; ++n) {
    if (int rc = EvaluateReal(cursor, &args[n])) return -rc;
    const uint16_t next = TokenPeek(*cursor);
    if (IsSeparator(next)) return n + 1;
    if (next != ',') return -kSyntax;
    TokenAdvance(cursor);
  }
  return -kSyntax;
}

// Exactly `count` arguments: 0 or the error code.
int Arguments(const uint8_t** cursor, BcdNumber* args, int count) {
  const int n = ReadArguments(cursor, args, count);
  if (n < 0) return -n;
  return n == count ? 0 : kSyntax;
}

bool View(GraphView* view) {
  ViewWindow w;
  return ReadViewWindow(&w) == 0 && PrepareGraphView(w, view) == 0;
}

GraphPlanes& Planes() {
  return CurrentGraphPlanes();
}

long double L(const BcdNumber& x) {
  return BcdToLongDouble(&x);
}

// An integer argument lo..hi, else 8.
int IntegerIn(const BcdNumber& x, int lo, int hi, int* out) {
  if (!BcdIsInteger(&x)) return kErrArgument;
  const long double v = L(x);
  if (v < lo || v > hi) return kErrArgument;
  *out = static_cast<int>(v);
  return 0;
}

// The tokens of the rest of the statement (an expression to draw).
std::string RestOfStatement(const uint8_t** cursor) {
  const uint8_t* start = *cursor;
  while (!IsSeparator(TokenPeek(*cursor))) TokenAdvance(cursor);
  return std::string(reinterpret_cast<const char*>(start), *cursor - start);
}

// ---- Drawing the functions ----------------------------------------------------------

// A clean graph screen with the axes, grid and labels the setup asks for.
void ClearToBackground() {
  ClearGraphPlanes(&Planes());
  GraphView view;
  if (View(&view)) DrawGraphBackground(&Planes(), view);
}

// After ViewWindow the next drawing starts on a clean screen with the new
// window's axes, drawn with the settings of that moment (an AxesOff in
// between counts).
bool gFreshScreenPending = false;

void BeforeDrawing() {
  if (!gFreshScreenPending) return;
  gFreshScreenPending = false;
  ClearToBackground();
}

int ClearScreenCommand(const uint8_t** cursor) {
  TokenAdvance(cursor);
  gFreshScreenPending = false;
  ClearToBackground();
  return 0;
}

int DrawGraphCommand(const uint8_t** cursor) {
  TokenAdvance(cursor);
  gFreshScreenPending = false;  // it draws the whole screen afresh
  const int rc = DrawGraphsInto(&Planes());
  return rc == 1 ? kBcdErrBreak : rc;
}

// Graph Y=, Graph r=, Graph X= and Graph(X,Y)=(: one function drawn over
// what is there.
int GraphCommand(const uint8_t** cursor) {
  BeforeDrawing();
  const uint16_t code = TokenAdvance(cursor);
  GraphFunction f;
  f.type = code == 0xF4     ? kGraphR
           : code == 0xF762 ? kGraphXc
           : code == 0xF5   ? kGraphParam
                            : kGraphY;
  if (f.type == kGraphParam) {
    // Graph(X,Y)=(Xt, Yt): two expressions, the closing bracket optional.
    std::string rest = RestOfStatement(cursor);
    int depth = 0;
    size_t comma = std::string::npos;
    for (size_t i = 0; i < rest.size();) {
      const uint8_t* at = reinterpret_cast<const uint8_t*>(rest.c_str()) + i;
      int length = 1;
      const uint16_t c = TokenPeek(at, &length);
      if (c == '(' || EvalLevel(c) == 15) ++depth;
      if (c == ')') --depth;
      if (c == ',' && depth == 0 && comma == std::string::npos) comma = i;
      i += length ? length : 1;
    }
    if (comma == std::string::npos) return kSyntax;
    f.expr[0] = rest.substr(0, comma);
    f.expr[1] = rest.substr(comma + 1);
    // The command's own bracket, when it is closed, ends one below.
    if (!f.expr[1].empty() && f.expr[1].back() == ')' && depth < 0) f.expr[1].pop_back();
  } else {
    f.expr[0] = RestOfStatement(cursor);
  }
  if (f.expr[0].empty()) return kSyntax;
  GraphView view;
  if (!View(&view)) return kErrRange;
  const int rc = DrawGraphFunction(&Planes(), view, f);
  return rc == 1 ? kBcdErrBreak : rc;
}

// ---- Points, lines and shapes in coordinates ----------------------------------------

// The last two points of Plot, which Line joins.
struct PlotMemory {
  long double x[2] = {0, 0}, y[2] = {0, 0};
  int count = 0;
} gPlots;

void DotAt(const GraphView& view, long double x, long double y, uint8_t mode) {
  const long double c = ColumnOf(view, x), r = RowOf(view, y);
  if (!std::isfinite(c) || !std::isfinite(r)) return;
  PlotGraphDot(static_cast<int>(std::lround(c)), static_cast<int>(std::lround(r)), &Planes(), mode,
               kDotNoShow);
}

int PlotCommand(const uint8_t** cursor) {
  BeforeDrawing();
  const uint16_t code = TokenPeek(*cursor);
  BcdNumber a[2];
  if (int rc = Arguments(cursor, a, 2)) return rc;
  GraphView view;
  if (!View(&view)) return kErrRange;
  const long double x = L(a[0]), y = L(a[1]);
  if (code == 0xE0) {
    gPlots.x[0] = gPlots.x[1];
    gPlots.y[0] = gPlots.y[1];
    gPlots.x[1] = x;
    gPlots.y[1] = y;
    gPlots.count = std::min(gPlots.count + 1, 2);
  }
  uint8_t mode = kSketchPlane;
  if (code == 0xF7A9) mode = kPlaneErase | kPlaneErase0 | kPlaneUse1;
  if (code == 0xF7AA) {
    const int c = static_cast<int>(std::lround(ColumnOf(view, x)));
    const int r = static_cast<int>(std::lround(RowOf(view, y)));
    if (GraphDotSet(Planes(), c, r)) mode = kPlaneErase | kPlaneErase0 | kPlaneUse1;
  }
  DotAt(view, x, y, mode);
  return 0;
}

int PixelCommand(const uint8_t** cursor) {
  BeforeDrawing();
  const uint16_t code = TokenPeek(*cursor);
  BcdNumber a[2];
  if (int rc = Arguments(cursor, a, 2)) return rc;
  int row = 0, column = 0;
  if (int rc = IntegerIn(a[0], 1, 63, &row)) return rc;
  if (int rc = IntegerIn(a[1], 1, 127, &column)) return rc;
  uint8_t mode = kSketchPlane;
  const bool erase = code == 0xF7AC || (code == 0xF7AD && GraphDotSet(Planes(), column, row));
  if (erase) mode = kPlaneErase | kPlaneErase0 | kPlaneUse1;
  PlotGraphDot(column, row, &Planes(), mode, kDotNoShow);
  return 0;
}

void Segment(const GraphView& view, long double x1, long double y1, long double x2,
             long double y2) {
  DrawGraphSegment(&Planes(), ColumnOf(view, x1), RowOf(view, y1), ColumnOf(view, x2),
                   RowOf(view, y2), kSketchPlane);
}

int LineCommand(const uint8_t** cursor) {
  BeforeDrawing();
  TokenAdvance(cursor);
  if (!IsSeparator(TokenPeek(*cursor))) return kSyntax;
  GraphView view;
  if (!View(&view)) return kErrRange;
  if (gPlots.count == 2) Segment(view, gPlots.x[0], gPlots.y[0], gPlots.x[1], gPlots.y[1]);
  return 0;
}

int FLineCommand(const uint8_t** cursor) {
  BeforeDrawing();
  BcdNumber a[4];
  if (int rc = Arguments(cursor, a, 4)) return rc;
  GraphView view;
  if (!View(&view)) return kErrRange;
  Segment(view, L(a[0]), L(a[1]), L(a[2]), L(a[3]));
  return 0;
}

int StraightCommand(const uint8_t** cursor) {
  BeforeDrawing();
  const uint16_t code = TokenPeek(*cursor);
  BcdNumber a[1];
  if (int rc = Arguments(cursor, a, 1)) return rc;
  GraphView view;
  if (!View(&view)) return kErrRange;
  const long double v = L(a[0]);
  if (code == 0xF7A3)  // Vertical
    DrawGraphSegment(&Planes(), ColumnOf(view, v), 1, ColumnOf(view, v), 63, kSketchPlane);
  else
    DrawGraphSegment(&Planes(), 1, RowOf(view, v), 127, RowOf(view, v), kSketchPlane);
  return 0;
}

// A circle in coordinates: round when the window's dots are square.
int CircleCommand(const uint8_t** cursor) {
  BeforeDrawing();
  BcdNumber a[3];
  if (int rc = Arguments(cursor, a, 3)) return rc;
  GraphView view;
  if (!View(&view)) return kErrRange;
  const long double cx = L(a[0]), cy = L(a[1]), r = std::fabs(L(a[2]));
  const long double dots = r / std::fmin(view.xdot, view.ydot);
  const int steps = static_cast<int>(std::fmin(std::fmax(24.0L, dots * 8), 2000.0L));
  for (int i = 0; i < steps; ++i) {
    const long double t0 = 2 * M_PIl * i / steps, t1 = 2 * M_PIl * (i + 1) / steps;
    Segment(view, cx + r * std::cos(t0), cy + r * std::sin(t0), cx + r * std::cos(t1),
            cy + r * std::sin(t1));
  }
  return 0;
}

// Text row, column, "text" (or an expression, shown as its value) in the
// mini font, over the graph.
int TextCommand(const uint8_t** cursor) {
  BeforeDrawing();
  TokenAdvance(cursor);
  BcdNumber where[2];
  for (int i = 0; i < 2; ++i) {
    if (int rc = EvaluateReal(cursor, &where[i])) return rc;
    if (TokenPeek(*cursor) != ',') return kSyntax;
    TokenAdvance(cursor);
  }
  int row = 0, column = 0;
  if (int rc = IntegerIn(where[0], 1, 63, &row)) return rc;
  if (int rc = IntegerIn(where[1], 1, 127, &column)) return rc;
  std::string text;
  if (TokenPeek(*cursor) == kTokQuote) {
    ++*cursor;
    while (**cursor && **cursor != kTokQuote && **cursor != 0x0D)
      text += static_cast<char>(*(*cursor)++);
    if (**cursor == kTokQuote) ++*cursor;
  } else {
    BcdNumber value;
    if (int rc = EvaluateReal(cursor, &value)) return rc;
    char formatted[kBcdTextSize];
    ReadoutText(value, 127, formatted, sizeof formatted);
    text = formatted;
  }
  if (!IsSeparator(TokenPeek(*cursor))) return kSyntax;
  // Printed on a blank page, then laid into the sketch plane.
  uint8_t keep[kVramBytes];
  std::memcpy(keep, VramAddress(), kVramBytes);
  ClearVram();
  int x = column;
  PrintMini(&x, row, text.c_str(), kMiniOr, kMiniNoLimit);
  for (int i = 0; i < kVramBytes; ++i) Planes().plane[1][i] |= VramAddress()[i];
  std::memcpy(VramAddress(), keep, kVramBytes);
  return 0;
}

// ---- The window and the switches ------------------------------------------------------

int ViewWindowCommand(const uint8_t** cursor) {
  BcdNumber a[kMaxArgs];
  const int n = ReadArguments(cursor, a, kMaxArgs);
  if (n < 0) return -n;
  static constexpr int kOrder[kMaxArgs] = {kXmin,   kXmax, kXscale, kYmin,  kYmax,
                                           kYscale, kTmin, kTmax,   kTpitch};
  // The x bounds in the order that keeps Xmin below Xmax on the way.
  ViewWindow w;
  if (int rc = ReadViewWindow(&w)) return rc;
  for (int i = 0; i < n; ++i) w.field[kOrder[i]] = a[i];
  for (int i = 0; i < n; ++i)
    if (int rc = CheckRange(a[i])) return rc;
  if (n >= 9 && BcdIsZero(&a[8])) return kErrRange;
  if (!ComputeDotWidths(&w)) return kErrRange;
  DeletePreviousWindow();
  if (int rc = WriteViewWindow(w)) return rc;
  gFreshScreenPending = true;
  return 0;
}

int FactorCommand(const uint8_t** cursor) {
  BcdNumber a[2];
  if (int rc = Arguments(cursor, a, 2)) return rc;
  if (int rc = SetFactor(kFactorX, a[0])) return rc;
  return SetFactor(kFactorY, a[1]);
}

int ZoomAutoCommand(const uint8_t** cursor) {
  TokenAdvance(cursor);
  return ZoomAutoWindow();
}

int PictureCommand(const uint8_t** cursor) {
  BeforeDrawing();
  const uint16_t code = TokenPeek(*cursor);
  BcdNumber a[1];
  if (int rc = Arguments(cursor, a, 1)) return rc;
  int number = 0;
  if (int rc = IntegerIn(a[0], 1, kPictureCount, &number)) return rc;
  return code == 0xF793 ? StorePicture(number) : RecallPicture(number);
}

// Switches of the setup: token, item, value.
struct Switch {
  uint16_t code;
  uint8_t item;
  uint8_t value;
};
constexpr Switch kSwitches[] = {
    {0xF7C2, 29, 0}, {0xF7D2, 29, 1}, {0xF77D, 28, 0}, {0xF77A, 28, 1},
    {0xF7C3, 27, 0}, {0xF7D3, 27, 1}, {0xF7C4, 30, 0}, {0xF7D4, 30, 1},
    {0xF7C5, 26, 0}, {0xF7D5, 26, 1}, {0xF770, 25, 0}, {0xF771, 25, 1},
    {0xF763, 24, 0}, {0xF764, 24, 1}, {0xF765, 24, 2}, {0xF767, 24, 3},
    // Kept for the screens that read them: a program written for them runs.
    {0xF7C0, 33, 0}, {0xF7D0, 33, 1}, {0xF7C1, 35, 0}, {0xF7D1, 35, 1},  // FuncOn, SimulOn
    {0xF7C6, 84, 0}, {0xF7D6, 84, 1}, {0xF7C7, 37, 0}, {0xF7D7, 37, 1},  // LocusOn, ΣdispOn
    {0xF7BE, 85, 0}, {0xF7BF, 85, 1},                                    // Y=DrawSpeed
};

int SwitchCommand(const uint8_t** cursor) {
  const uint16_t code = TokenAdvance(cursor);
  if (!IsSeparator(TokenPeek(*cursor))) return kSyntax;
  for (const Switch& s : kSwitches)
    if (s.code == code) SetSetupItem(s.item, s.value);
  return 0;
}

// The graph screen at the end of a run (or at a display stop).
void ShowScreen(InterpScreen screen) {
  if (screen != InterpScreen::kGraph) return;
  ShowGraphPlanes(Planes());
  PutDisplay();
}

// PxlTest( and the V-Window values Xmin ... for the evaluator.
int GraphOperand(uint16_t code, const BcdComplex* args, int, BcdNumber value[2]) {
  BcdZero(&value[1]);
  const auto fail = [value](int rc) {
    BcdError(&value[0], rc);
    return 0;
  };
  if (code == 0xF7AF) {  // PxlTest(row, column): 1 for a dark dot
    int row = 0, column = 0;
    if (int rc = IntegerIn(args[0].re, 1, 63, &row)) return fail(rc);
    if (int rc = IntegerIn(args[1].re, 1, 127, &column)) return fail(rc);
    BeforeDrawing();  // a pending fresh screen is what the program sees
    BcdFromInt(&value[0], GraphDotSet(Planes(), column, row) ? 1 : 0);
    return 1;
  }
  // 0x7F00.. the window, 0x7F10.. the right-hand one; 0xF921/2 their Xdot.
  static constexpr int kFieldOf[16] = {kXmin, kXmax, kXscale, -1,      kYmin, kYmax,
                                       kYscale, -1, kTmin,   kTmax,    kTpitch, -1,
                                       -1,      -1, -1,      -1};
  const bool dot = code == 0xF921 || code == 0xF922;
  const WindowSide side = (dot ? code == 0xF922 : (code & 0x10) != 0) ? WindowSide::kRight
                                                                       : WindowSide::kMain;
  if (!dot && (code == 0x7F0B || code == 0x7F0C)) {
    if (int rc = GetFactor(code == 0x7F0B ? kFactorX : kFactorY, &value[0])) return fail(rc);
    return 1;
  }
  const int field = dot ? kXdot : kFieldOf[code & 0x0F];
  if (field < 0) return fail(kBcdErrMa);  // the dynamic graph's values are not kept yet
  if (int rc = GetViewWindowField(field, side, &value[0])) return fail(rc);
  return 1;
}

struct HandlerRow {
  uint16_t code;
  InterpGraphHandler handler;
};
constexpr HandlerRow kHandlers[] = {
    {0xD1, ClearScreenCommand}, {0xF719, ClearScreenCommand}, {0xF720, DrawGraphCommand},
    {0xEE, GraphCommand},       {0xF4, GraphCommand},         {0xF5, GraphCommand},
    {0xF762, GraphCommand},     {0xE0, PlotCommand},          {0xF7A8, PlotCommand},
    {0xF7A9, PlotCommand},      {0xF7AA, PlotCommand},        {0xF7AB, PixelCommand},
    {0xF7AC, PixelCommand},     {0xF7AD, PixelCommand},       {0xE1, LineCommand},
    {0xF7A7, FLineCommand},     {0xF7A6, CircleCommand},      {0xF7A5, TextCommand},
    {0xF7A4, StraightCommand},  {0xF7A3, StraightCommand},    {0xF920, ZoomAutoCommand},
    {0xF793, PictureCommand},   {0xF794, PictureCommand},     {0xEB, ViewWindowCommand},
    {0xEA, FactorCommand},
};

}  // namespace

int StorePicture(int number) {
  if (number < 1 || number > kPictureCount) return kErrArgument;
  const std::string name = "PICT" + std::to_string(number);
  return WriteGraphItem(name.c_str(), &Planes(), sizeof(GraphPlanes)) == 0 ? 0 : kErrMemory;
}

int RecallPicture(int number) {
  if (number < 1 || number > kPictureCount) return kErrArgument;
  const std::string name = "PICT" + std::to_string(number);
  GraphPlanes picture;
  // An empty memory recalls nothing, as a blank picture would.
  if (ReadGraphItem(name.c_str(), &picture, sizeof picture) != 0) return 0;
  for (int i = 0; i < kVramBytes; ++i)
    Planes().plane[1][i] |= static_cast<uint8_t>(picture.plane[0][i] | picture.plane[1][i]);
  return 0;
}

void InstallGraphCommands() {
  gFreshScreenPending = false;
  for (const HandlerRow& row : kHandlers) InterpSetGraphHandler(row.code, row.handler);
  for (const Switch& s : kSwitches) InterpSetGraphHandler(s.code, SwitchCommand);
  InterpSetScreenHook(ShowScreen);
  EvalSetGraphOperandReader(GraphOperand);
}
