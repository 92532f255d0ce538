#include "apps/graph/graph_app.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "apps/common/app_screen.h"
#include "apps/common/placeholder_app.h"
#include "apps/graph/graph_commands.h"
#include "apps/graph/graph_draw.h"
#include "apps/graph/graph_funcs.h"
#include "apps/graph/graph_items.h"
#include "apps/graph/graph_ui.h"
#include "apps/graph/line_edit.h"
#include "host/services/host_services.h"
#include "math/bcd_text.h"
#include "math/bcd_work.h"
#include "math/eval.h"
#include "os/app_table.h"
#include "os/boot.h"
#include "os/draw.h"
#include "os/getkey.h"
#include "os/messages.h"
#include "os/popup.h"
#include "os/setup.h"
#include "os/text.h"
#include "os/vram.h"

namespace {

constexpr int kMsgYes = 2, kMsgNo = 3;
constexpr int kMsgDeleteFunction = 563;
constexpr int kSetupGraphFunc = 33;  // its label titles the Y= list
constexpr int kSetupDerivative = 26;
constexpr int kSetupCoord = 27;
constexpr int kListLines = 6;  // lines 2..7
constexpr long double kMaxTraceSteps = 20000;

bool Visible(long double row) {
  return row >= 0.5L && row < 63.5L;
}

// ---- The Y= list ------------------------------------------------------------------

struct Row {
  int number;
  int part;
};

std::vector<Row> ListRows() {
  std::vector<Row> rows;
  for (int n = 1; n <= kGraphFunctionCount; ++n) {
    const GraphFunction f = LoadGraphFunction(n);
    const int parts = f.type == kGraphParam ? 2 : 1;
    for (int p = 0; p < parts; ++p) rows.push_back({n, p});
  }
  return rows;
}

// The type a row's function has, or would get when it is first written.
uint8_t RowType(const GraphFunction& f) {
  if (!f.Empty()) return f.type;
  const uint8_t type = GetSetupItem(kSetupFuncType);
  return type < kGraphTypeCount ? type : static_cast<uint8_t>(kGraphY);
}

std::string Utf16ToCalc(const std::u16string& cells, size_t from, size_t count) {
  std::string out;
  for (size_t i = from; i < cells.size() && i < from + count; ++i) {
    char code[3];
    EncodeCharCode(cells[i], code);
    out += code;
  }
  return out;
}

struct ListState {
  std::vector<Row> rows;
  int cursor = 0;
  int top = 0;
  int editing = -1;  // the row being edited: its text is the editor's
};

int NameColumns(const GraphFunction& f, const Row& row) {
  return static_cast<int>(GraphFunctionName(RowType(f), row.number, row.part).size()) + 1;
}

void DrawList(void* context) {
  ListState& s = *static_cast<ListState*>(context);
  ClearVram();
  char value[kSetupValueTextBytes];
  SetupValueText(kSetupFuncType, GetSetupItem(kSetupFuncType), value);
  std::string title = SetupLabel(kSetupGraphFunc) ? SetupLabel(kSetupGraphFunc) : "";
  title.resize(12, ' ');
  Locate(1, 1);
  Print((title + ":" + value).c_str());
  for (int i = 0; i < kListLines && s.top + i < static_cast<int>(s.rows.size()); ++i) {
    const Row& row = s.rows[s.top + i];
    const GraphFunction f = LoadGraphFunction(row.number);
    const std::string name = GraphFunctionName(RowType(f), row.number, row.part);
    Locate(1, 2 + i);
    if (s.top + i == s.cursor)
      PrintRev(name.c_str());
    else
      Print(name.c_str());
    if (f.selected && !f.Empty())
      PrintRev("=");
    else
      Print("=");
    if (s.top + i == s.editing) continue;
    std::u16string cells;
    std::u16string::size_type at = 0;
    TokenCells(f.expr[row.part], &cells, &at, 0);
    Print(Utf16ToCalc(cells, 0, kTextColumns - name.size() - 1).c_str());
  }
  DrawMenuBar();
}

bool AskDelete() {
  OpenWindow(3);
  PopUp(3);
  PrintMessageAt(1, 3, kMsgDeleteFunction);
  PrintMessageAt(1, 4, kMsgYes);
  PrintMessageAt(1, 5, kMsgNo);
  static const uint32_t kAnswers[] = {kKeyF1, kKeyF6, kKeyExit, kKeyQuit};
  const uint32_t answer = WaitForControl(kAnswers, 4);
  CloseWindow(3);
  return answer == kKeyF1;
}

void ChooseType(ListState& s) {
  PushMenu(kMenuYType);
  const int depth = MenuStackSize();
  while (MenuStackSize() >= depth && !GraphQuit()) {
    DrawList(&s);
    PutDisplay();
    uint32_t code = 0;
    if (GetKey(&code)) continue;
    if (code == kKeyQuit) GraphQuit() = true;
    if (code < kKeyF1 || code > kKeyF1 + 3) continue;
    const uint8_t type = static_cast<uint8_t>(code - kKeyF1);
    SetSetupItem(kSetupFuncType, type);
    const Row row = s.rows[s.cursor];
    GraphFunction f = LoadGraphFunction(row.number);
    if (!f.Empty() && f.type != type) {
      f.type = type;
      if (type != kGraphParam) f.expr[1].clear();
      SaveGraphFunction(row.number, f);
    }
    break;
  }
  if (MenuStackSize() >= depth) PopMenu(kPopTop);
}

void EditRow(ListState& s, uint32_t code, bool isChar) {
  const Row row = s.rows[s.cursor];
  GraphFunction f = LoadGraphFunction(row.number);
  const bool wasEmpty = f.Empty();
  f.type = RowType(f);
  std::string tokens = f.expr[row.part];
  const int column = NameColumns(f, row) + 1;
  const EditPlace place{column, 2 + s.cursor - s.top, kTextColumns - column + 1,
                        GraphVariable(f.type)};
  s.editing = s.cursor;
  const EditEnd end = EditTokenLine(&tokens, place, code, isChar, DrawList, &s);
  s.editing = -1;
  if (end == EditEnd::kQuit) GraphQuit() = true;
  if (end == EditEnd::kCancel || end == EditEnd::kQuit) return;
  f.expr[row.part] = tokens;
  if (wasEmpty && !f.Empty()) f.selected = true;
  if (int rc = SaveGraphFunction(row.number, f)) ErrorBox(rc);
  s.rows = ListRows();
  const int last = static_cast<int>(s.rows.size()) - 1;
  if (end == EditEnd::kUp) s.cursor = s.cursor > 0 ? s.cursor - 1 : last;
  if (end == EditEnd::kDown || end == EditEnd::kAccept)
    s.cursor = s.cursor < last ? s.cursor + 1 : 0;
}

// ---- The graph screen -----------------------------------------------------------

GraphPlanes& Planes() {
  return CurrentGraphPlanes();
}

// Draws every selected function; false (with the error shown) when the
// window shows no area or a function is not well formed.
bool Redraw() {
  const int rc = DrawAllGraphs(&Planes());
  if (rc == kErrRange || rc == kErrMemory || rc == kBcdErrSyntax) {
    ErrorBox(rc);
    return false;
  }
  return true;
}

void ShowGraph(bool bar) {
  ShowGraphPlanes(Planes());
  if (bar) DrawMenuBar();
}

bool CurrentView(GraphView* view) {
  ViewWindow w;
  return ReadViewWindow(&w) == 0 && PrepareGraphView(w, view) == 0;
}

// A plus-shaped pointer, inverted over the graph so it shows on dark dots.
void DrawPointer(int x, int y) {
  for (int d = -2; d <= 2; ++d) {
    if (d == 0) continue;
    if (OnScreen(x + d, y)) SetPixel(x + d, y, !GetPixel(x + d, y));
    if (OnScreen(x, y + d)) SetPixel(x, y + d, !GetPixel(x, y + d));
  }
  if (OnScreen(x, y)) SetPixel(x, y, !GetPixel(x, y));
}

void PrintReadout(int column, int line, const char* label, const BcdNumber& value) {
  char text[kBcdTextSize];
  ReadoutText(value, 64 - 4 * static_cast<int>(std::strlen(label)) - 4, text, sizeof text);
  PrintMiniAtCell(column, line, (std::string(label) + text).c_str(), 0);
}

// The graph fills the screen: the function-key bar shows only when asked
// for (zoom) and while SHIFT is down (its bar of graph tools).
void BarBeforeKey(bool always) {
  SetMenuBarDisplay(always || GetShiftState() == kShiftShift ? 1 : 0);
}

// Whether a key leaves a level of the graph screen that pushed `depth`.
bool LevelLeft(int depth) {
  return MenuStackSize() < depth || GraphQuit();
}

// ---- Trace ------------------------------------------------------------------------

struct TracePoint {
  bool ok = false;
  BcdNumber t, x, y;
  long double column = 0, row = 0;
};

TracePoint PointOf(const GraphView& view, const GraphFunction& f, long double position) {
  TracePoint p;
  SavedVariable keep(GraphVariable(f.type));
  if (f.type == kGraphY) {
    ColumnValue(view, static_cast<int>(position), &p.x);
    p.ok = EvaluateGraphAt(f.expr[0].c_str(), 'X', p.x, &p.y) == 0;
  } else if (f.type == kGraphXc) {
    return p;
  } else {
    BcdNumber index, offset;
    BcdFromLongDouble(position, &index);
    BcdMul(&index, &view.window.field[kTpitch], &offset);
    BcdAdd(&view.window.field[kTmin], &offset, &p.t);
    BcdNumber a, b;
    p.ok = EvaluateGraphAt(f.expr[0].c_str(), GraphVariable(f.type), p.t, &a) == 0;
    if (f.type == kGraphParam) {
      p.ok = p.ok && EvaluateGraphAt(f.expr[1].c_str(), 'T', p.t, &b) == 0;
      p.x = a;
      p.y = b;
    } else if (p.ok) {
      const int unit = GetSetupItem(kSetupAngle);
      const long double toRadians = unit == 0 ? M_PIl / 180 : unit == 2 ? M_PIl / 200 : 1;
      const long double r = BcdToLongDouble(&a), angle = BcdToLongDouble(&p.t) * toRadians;
      p.ok = BcdFromLongDouble(r * std::cos(angle), &p.x) &&
             BcdFromLongDouble(r * std::sin(angle), &p.y);
    }
  }
  if (p.ok) {
    p.column = ColumnOf(view, BcdToLongDouble(&p.x));
    p.row = RowOf(view, BcdToLongDouble(&p.y));
  }
  return p;
}

bool Derivative(const GraphFunction& f, const BcdNumber& x, BcdNumber* out) {
  SavedVariable keep('X');
  const long double at = BcdToLongDouble(&x);
  const long double h = 1e-5L * std::fmax(1.0L, std::fabs(at));
  BcdNumber a, b, fa, fb;
  if (!BcdFromLongDouble(at - h, &a) || !BcdFromLongDouble(at + h, &b)) return false;
  if (EvaluateGraphAt(f.expr[0].c_str(), 'X', a, &fa) ||
      EvaluateGraphAt(f.expr[0].c_str(), 'X', b, &fb))
    return false;
  const long double d = (BcdToLongDouble(&fb) - BcdToLongDouble(&fa)) / (2 * h);
  return BcdFromLongDouble(std::fabs(d) < 1e-12L ? 0 : d, out) == 1;
}

void Trace() {
  GraphView view;
  if (!CurrentView(&view)) return;
  std::vector<int> functions;
  for (int n = 1; n <= kGraphFunctionCount; ++n) {
    const GraphFunction f = LoadGraphFunction(n);
    if (f.selected && !f.Empty() && f.type != kGraphXc) functions.push_back(n);
  }
  if (functions.empty()) return;
  PushMenu(kMenuGraphScreen);
  const int depth = MenuStackSize();
  size_t which = 0;
  long double position = 64;
  long double steps = 0;
  bool reset = true;
  while (!LevelLeft(depth)) {
    const GraphFunction f = LoadGraphFunction(functions[which]);
    if (reset) {
      const long double pitch = BcdToLongDouble(&view.window.field[kTpitch]);
      const long double span =
          BcdToLongDouble(&view.window.field[kTmax]) - BcdToLongDouble(&view.window.field[kTmin]);
      steps = f.type == kGraphY ? 127 : std::fmin(std::floor(span / pitch + 1e-9L), kMaxTraceSteps);
      position = f.type == kGraphY ? 64 : 0;
      reset = false;
    }
    const TracePoint p = PointOf(view, f, position);
    ShowGraph(false);
    // The function at the top left, the coordinates at the bottom.
    std::u16string cells;
    std::u16string::size_type at = 0;
    std::string text = GraphFunctionName(f.type, functions[which], 0) + "=";
    TokenCells(f.expr[0], &cells, &at, 0);
    text += Utf16ToCalc(cells, 0, 24);
    PrintMiniAtCell(1, 1, text.c_str(), 0);
    if (p.ok && Visible(p.row)) {
      const int x = static_cast<int>(std::lround(p.column));
      const int y = static_cast<int>(std::lround(p.row));
      DrawPointer(x, y);
      HostSetGraphCursor(x, y);
    } else {
      HostClearGraphCursor();
    }
    if (GetSetupItem(kSetupCoord) == 0) {
      ClearArea(0, 57, 127, 63);
      if (f.type != kGraphY) {
        ClearArea(0, 49, 63, 56);
        PrintReadout(1, 7, f.type == kGraphR ? "\xCE=" : "T=", p.t);
      }
      if (f.type == kGraphY || p.ok) PrintReadout(1, 8, "X=", p.x);
      if (p.ok) PrintReadout(17, 8, "Y=", p.y);
    }
    BcdNumber slope;
    if (f.type == kGraphY && p.ok && GetSetupItem(kSetupDerivative) == 0 &&
        Derivative(f, p.x, &slope)) {
      ClearArea(0, 49, 63, 56);
      DrawDerivativeReadout(DerivativeLabel::kDyDx, 0, slope);
    }
    PutDisplay();
    BarBeforeKey(false);
    uint32_t code = 0;
    if (GetKey(&code)) continue;
    const long double first = f.type == kGraphY ? 1 : 0;
    switch (code) {
      case kKeyLeft:
        if (position > first) --position;
        break;
      case kKeyRight:
        if (position < steps) ++position;
        break;
      case kKeyUp:
      case kKeyDown:
        which = (which + (code == kKeyUp ? functions.size() - 1 : 1)) % functions.size();
        reset = LoadGraphFunction(functions[which]).type != f.type;
        break;
      case kKeyQuit:
        GraphQuit() = true;
        break;
      default:
        break;
    }
  }
  HostClearGraphCursor();
  if (MenuStackSize() >= depth) PopMenu(kPopTop);
}

// ---- Zoom -------------------------------------------------------------------------

// The pointer moved with the arrows until EXE (true) or EXIT (false); with
// `corner` a box from it to the pointer is shown.
bool PickPoint(int* x, int* y, const int* corner) {
  PushMenu(kMenuGraphScreen);
  const int depth = MenuStackSize();
  bool picked = false;
  while (!LevelLeft(depth) && !picked) {
    ShowGraph(false);
    if (corner) {
      ShapeRecord box =
          MakeShape(kShapeRectangle, corner[0], corner[1], *x, *y, kPenDark, kCombineXor);
      DrawShape(kTargetVram, box);
    }
    DrawPointer(*x, *y);
    HostSetGraphCursor(*x, *y);
    PutDisplay();
    BarBeforeKey(false);
    uint32_t code = 0;
    if (GetKey(&code)) continue;
    if (code == kKeyLeft && *x > 1) --*x;
    if (code == kKeyRight && *x < 127) ++*x;
    if (code == kKeyUp && *y > 1) --*y;
    if (code == kKeyDown && *y < 63) ++*y;
    if (code == kKeyQuit) GraphQuit() = true;
    if (code == kKeyExe) picked = true;
  }
  HostClearGraphCursor();
  if (MenuStackSize() >= depth) PopMenu(kPopTop);
  return picked;
}

long double XOfColumn(const GraphView& v, long double column) {
  return v.xmin + (column - 1) * v.xdot;
}
long double YOfRow(const GraphView& v, long double row) {
  return v.ymax - (row - 1) * v.ydot;
}

// Makes `bounds` (xmin, xmax, ymin, ymax) the window, keeping the zoom
// history: the window before a sequence of zooms and the one before this.
int ApplyWindow(const long double bounds[4]) {
  ViewWindow w;
  if (int rc = ReadViewWindow(&w)) return rc;
  const int fields[4] = {kXmin, kXmax, kYmin, kYmax};
  for (int i = 0; i < 4; ++i)
    if (!BcdFromLongDouble(bounds[i], &w.field[fields[i]]) || CheckRange(w.field[fields[i]]))
      return kErrRange;
  GraphView check;
  if (!ComputeDotWidths(&w) || PrepareGraphView(w, &check)) return kErrRange;
  return ApplyZoomWindow(w);
}

int ZoomAbout(bool in) {
  GraphView v;
  if (!CurrentView(&v)) return kErrRange;
  int x = 64, y = 32;
  if (!PickPoint(&x, &y, nullptr)) return -1;
  BcdNumber fx, fy;
  if (int rc = GetFactor(kFactorX, &fx)) return rc;
  GetFactor(kFactorY, &fy);
  const long double kx = BcdToLongDouble(&fx), ky = BcdToLongDouble(&fy);
  const long double cx = XOfColumn(v, x), cy = YOfRow(v, y);
  const long double hx = (v.xmax - v.xmin) / 2 * (in ? 1 / kx : kx);
  const long double hy = (v.ymax - v.ymin) / 2 * (in ? 1 / ky : ky);
  const long double bounds[4] = {cx - hx, cx + hx, cy - hy, cy + hy};
  return ApplyWindow(bounds);
}

int ZoomBox() {
  GraphView v;
  if (!CurrentView(&v)) return kErrRange;
  int x = 64, y = 32;
  if (!PickPoint(&x, &y, nullptr)) return -1;
  const int corner[2] = {x, y};
  if (!PickPoint(&x, &y, corner)) return -1;
  if (x == corner[0] || y == corner[1]) return -1;
  const long double bounds[4] = {
      XOfColumn(v, std::min(x, corner[0])), XOfColumn(v, std::max(x, corner[0])),
      YOfRow(v, std::max(y, corner[1])), YOfRow(v, std::min(y, corner[1]))};
  return ApplyWindow(bounds);
}

int ZoomSquare() {
  GraphView v;
  if (!CurrentView(&v)) return kErrRange;
  const long double cy = (v.ymin + v.ymax) / 2, half = v.xdot * kGraphDotsDown / 2;
  const long double bounds[4] = {v.xmin, v.xmax, cy - half, cy + half};
  return ApplyWindow(bounds);
}

int ZoomBack(bool original) {
  ViewWindow w;
  if ((original ? ReadInitialWindow(&w) : ReadPreviousWindow(&w)) != 0) return -1;
  if (int rc = SavePreviousWindow(false)) return rc;
  return WriteViewWindow(w);
}

// Runs one zoom key; true when the window changed.
bool ZoomKey(int menu, int slot) {
  int rc = -1;
  if (menu == kMenuZoom) {
    switch (slot) {
      case 0:
        rc = ZoomBox();
        break;
      case 1:
        FactorScreen();
        return false;
      case 2:
      case 3:
        rc = ZoomAbout(slot == 2);
        break;
      case 4:
        rc = ZoomAutoWindow();
        break;
      default:
        return false;
    }
  } else if (menu == kMenuZoomMore) {
    if (slot == 0 || slot == 2) rc = ZoomBack(slot == 0);
    if (slot == 1) rc = ZoomSquare();
  }
  if (rc > 0) ErrorBox(rc);
  return rc == 0;
}

void Zoom() {
  PushMenu(kMenuZoom);
  const int depth = MenuStackSize();
  while (!LevelLeft(depth)) {
    ShowGraph(true);
    PutDisplay();
    BarBeforeKey(true);
    uint32_t code = 0;
    if (GetKey(&code)) continue;
    if (code == kKeyQuit) GraphQuit() = true;
    if (code < kKeyF1 || code > kKeyF6) continue;
    if (ZoomKey(CurrentMenu(), static_cast<int>(code - kKeyF1))) {
      Redraw();
      break;
    }
  }
  while (MenuStackSize() >= depth) PopMenu(kPopTop);
}

void GraphScreen(uint32_t first) {
  if (!Redraw()) return;
  PushMenu(kMenuGraphScreen);
  const int depth = MenuStackSize();
  uint32_t code = first;
  while (!LevelLeft(depth)) {
    if (code == kKeyF1 || code == kKeyTrace) Trace();
    if (code == kKeyF1 + 1 || code == kKeyZoom) Zoom();
    if (code == kKeyF1 + 2 || code == kKeyVWin) {
      ViewWindowScreen(WindowSide::kMain);
      if (!GraphQuit() && !Redraw()) break;
    }
    if (code == kKeySetup) {
      GraphSetupScreen();
      if (!GraphQuit()) Redraw();
    }
    if (code == kKeyF6 || code == kKeyExit || LevelLeft(depth)) break;
    ShowGraph(false);
    PutDisplay();
    BarBeforeKey(false);
    code = 0;
    GetKey(&code);
    if (code == kKeyQuit) GraphQuit() = true;
  }
  while (MenuStackSize() >= depth) PopMenu(kPopTop);
  SetMenuBarDisplay(1);
}

void YListScreen() {
  ListState s;
  s.rows = ListRows();
  while (!GraphQuit()) {
    const int count = static_cast<int>(s.rows.size());
    if (s.cursor < s.top) s.top = s.cursor;
    if (s.cursor >= s.top + kListLines) s.top = s.cursor - kListLines + 1;
    DrawList(&s);
    PutDisplay();
    uint32_t code = 0;
    const bool isChar = GetKey(&code) != 0;
    if (isChar || code == kKeyXThetaT || code == kKeyLeft || code == kKeyRight || code == kKeyExe) {
      if (code != 0) EditRow(s, code, isChar);
      continue;
    }
    const Row row = s.rows[s.cursor];
    GraphFunction f = LoadGraphFunction(row.number);
    switch (code) {
      case kKeyUp:
        s.cursor = (s.cursor + count - 1) % count;
        break;
      case kKeyDown:
        s.cursor = (s.cursor + 1) % count;
        break;
      case kKeyF1:
        if (!f.Empty()) {
          f.selected = !f.selected;
          SaveGraphFunction(row.number, f);
        }
        break;
      case kKeyF1 + 1:
        if (!f.Empty() && AskDelete()) {
          SaveGraphFunction(row.number, GraphFunction{});
          s.rows = ListRows();
          s.cursor = std::min(s.cursor, static_cast<int>(s.rows.size()) - 1);
        }
        break;
      case kKeyF1 + 2:
        ChooseType(s);
        s.rows = ListRows();
        break;
      case kKeyF6:
      case kKeyTrace:
      case kKeyZoom:
        GraphScreen(code == kKeyF6 ? 0 : code);
        break;
      case kKeyVWin:
        ViewWindowScreen(WindowSide::kMain);
        break;
      case kKeySetup:
        GraphSetupScreen();
        break;
      case kKeyExit:
      case kKeyQuit:
        return;
      default:
        break;
    }
  }
}

}  // namespace

int ZoomAutoWindow() {
  GraphView v;
  if (!CurrentView(&v)) return kErrRange;
  long double lo = INFINITY, hi = -INFINITY;
  for (int n = 1; n <= kGraphFunctionCount; ++n) {
    const GraphFunction f = LoadGraphFunction(n);
    if (!f.selected || f.Empty() || f.type != kGraphY) continue;
    SavedVariable keep('X');
    for (int column = 1; column <= 127; ++column) {
      BcdNumber x, y;
      ColumnValue(v, column, &x);
      if (EvaluateGraphAt(f.expr[0].c_str(), 'X', x, &y) != 0) continue;
      const long double value = BcdToLongDouble(&y);
      lo = std::fmin(lo, value);
      hi = std::fmax(hi, value);
    }
  }
  if (!(lo <= hi)) return 0;
  if (lo == hi) {
    lo -= 1;
    hi += 1;
  }
  const long double bounds[4] = {v.xmin, v.xmax, lo, hi};
  return ApplyWindow(bounds);
}

int ApplyZoomWindow(const ViewWindow& window) {
  ViewWindow current;
  if (int rc = ReadViewWindow(&current)) return rc;
  // A zoom right after a change of the window starts a new sequence.
  if (!GraphItemExists("PREVWIN"))
    if (int rc = SaveInitialWindow(current)) return rc;
  if (int rc = SavePreviousWindow(false)) return rc;
  return WriteViewWindow(window);
}

void GraphAppEntry(int isAppli, uint16_t option) {
  if (Os().current.index == kAppTable) {
    PlaceholderAppEntry(isAppli, option);
    return;
  }
  EvalInit();
  GraphQuit() = false;
  RegisterGraphMenus();
  EnterMenuGroup(kMenuYList);
  YListScreen();
  LeaveMenuGroup();
  HostClearGraphCursor();
}

void InstallGraphApplication() {
  SetApplicationEntry(kAppGraph, GraphAppEntry);
  InstallGraphCommands();
}
