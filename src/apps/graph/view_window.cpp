#include "apps/graph/view_window.h"

#include <cstring>
#include <string>

#include "apps/graph/graph_items.h"
#include "os/setup.h"

namespace {

constexpr char kVwin[] = "VWIN";
constexpr char kVwinRight[] = "VWINR";
constexpr char kPrevWin[] = "PREVWIN";
constexpr char kOrigWin[] = "ORIGVWIN";
constexpr char kFactor[] = "FACTOR";

const char* WindowItem(WindowSide side) {
  return side == WindowSide::kRight ? kVwinRight : kVwin;
}

// Preset windows: x bounds and scale, y bounds and scale as decimal texts.
// A row with `byAngle` takes its x values from the row of the angle unit.
struct PresetRow {
  int number;
  const char* x[3];
  const char* y[3];
};
constexpr PresetRow kPresets[] = {
    {kPresetInit, {"-6.3", "6.3", "1"}, {"-3.1", "3.1", "1"}},
    {kPresetStd, {"-10", "10", "1"}, {"-10", "10", "1"}},
    {310, {"-6.3", "6.3", "2"}, {"-10", "10", "5"}},
    {311, {"-4.2", "4.2", "1"}, {"-1", "5", "1"}},
};
// TRIG by angle unit (Deg, Rad, Gra).
constexpr PresetRow kTrig[3] = {
    {kPresetTrig, {"-540", "540", "90"}, {"-1.6", "1.6", "0.5"}},
    {kPresetTrig,
     {"-9.4247779607694", "9.4247779607694", "1.5707963267949"},
     {"-1.6", "1.6", "0.5"}},
    {kPresetTrig, {"-600", "600", "100"}, {"-1.6", "1.6", "0.5"}},
};
// Tmin, Tmax, Tpitch by angle unit.
constexpr const char* kParameterByAngle[3][3] = {
    {"0", "360", "3.6"},
    {"0", "6.28318530717960", "0.0628318530717960"},
    {"0", "400", "4"},
};

int AngleUnit() {
  const int unit = GetSetupItem(kSetupAngle);
  return unit >= 0 && unit <= 2 ? unit : 1;
}

// A real decimal (fractions as their decimal value); false for anything else.
bool RealDecimal(const BcdNumber& in, BcdNumber* out) {
  if (BcdKind(&in) != kBcdKindScalar || BcdIsComplex(&in)) return false;
  return BcdFractionToDecimal(&in, out) == 1 && BcdErrorCode(out) == 0;
}

int Store(WindowSide side, const ViewWindow& window) {
  DeletePreviousWindow();
  return WriteWindow(side, window);
}

std::string MemoryItem(int number) {
  return "VMEM" + std::to_string(number);
}

}  // namespace

BcdNumber BcdOf(const char* text) {
  BcdNumber n;
  BcdFromText(&n, text);
  return n;
}

bool ComputeDotWidths(ViewWindow* w) {
  BcdNumber width, n126, n62;
  BcdFromInt(&n126, kGraphDotsFull);
  BcdFromInt(&n62, kGraphDotsHalf);
  if (!BcdSub(&w->field[kXmax], &w->field[kXmin], &width)) return false;
  BcdNumber dot, half;
  if (!BcdDiv(&width, &n126, &dot) || !BcdDiv(&width, &n62, &half)) return false;
  if (CheckRange(dot) || CheckRange(half)) return false;
  w->field[kXdot] = dot;
  w->field[kXdotHalf] = half;
  return true;
}

bool PresetWindow(int preset, ViewWindow* out) {
  const PresetRow* row = nullptr;
  if (preset == kPresetTrig) row = &kTrig[AngleUnit()];
  for (const PresetRow& r : kPresets)
    if (r.number == preset) row = &r;
  if (!row) return false;
  const int xs[3] = {kXmin, kXmax, kXscale};
  const int ys[3] = {kYmin, kYmax, kYscale};
  const int ts[3] = {kTmin, kTmax, kTpitch};
  for (int i = 0; i < 3; ++i) {
    out->field[xs[i]] = BcdOf(row->x[i]);
    out->field[ys[i]] = BcdOf(row->y[i]);
    out->field[ts[i]] = BcdOf(kParameterByAngle[AngleUnit()][i]);
  }
  ComputeDotWidths(out);
  return true;
}

void SetParameterDefaults(ViewWindow* window) {
  window->field[kTmin] = BcdOf("0");
  window->field[kTmax] = BcdOf("6.28318530717960");
  window->field[kTpitch] = BcdOf("0.10471975511966");
}

int ReadWindow(WindowSide side, ViewWindow* out) {
  if (ReadGraphItem(WindowItem(side), out, sizeof *out) == 0) return 0;
  // A window that was never set is the initial one.
  ViewWindow fresh;
  PresetWindow(kPresetInit, &fresh);
  if (WriteGraphItem(WindowItem(side), &fresh, sizeof fresh) != 0) return kErrMemory;
  *out = fresh;
  return 0;
}

int WriteWindow(WindowSide side, const ViewWindow& window) {
  return WriteGraphItem(WindowItem(side), &window, sizeof window) == 0 ? 0 : kErrMemory;
}

int ReadViewWindow(ViewWindow* out) {
  return ReadWindow(WindowSide::kMain, out);
}
int WriteViewWindow(const ViewWindow& window) {
  return WriteWindow(WindowSide::kMain, window);
}
int ReadRightViewWindow(ViewWindow* out) {
  return ReadWindow(WindowSide::kRight, out);
}
int WriteRightViewWindow(const ViewWindow& window) {
  return WriteWindow(WindowSide::kRight, window);
}

int GetViewWindowField(int index, WindowSide side, BcdNumber* out) {
  if (index < 0 || index >= kViewFieldCount) return kErrArgument;
  ViewWindow w;
  if (int rc = ReadWindow(side, &w)) return rc;
  *out = w.field[index];
  return 0;
}

int CheckRange(const BcdNumber& value) {
  BcdNumber v;
  if (!RealDecimal(value, &v)) return kErrRange;
  if (BcdIsZero(&v)) return 0;
  return BcdExponent(&v) < 98 ? 0 : kErrRange;
}

int SetViewWindowField(const BcdNumber& in, int index, WindowSide side) {
  if (index < 0 || index >= kViewFieldCount) return kErrArgument;
  BcdNumber value;
  if (CheckRange(in) || !RealDecimal(in, &value)) return kErrRange;
  BcdNumber zero;
  BcdZero(&zero);
  if ((index == kXdot || index == kXdotHalf) && BcdCompare(kBcdOpGt, &value, &zero) != 1)
    return kErrRange;
  if (index == kTpitch && BcdIsZero(&value)) return kErrRange;
  ViewWindow w;
  if (int rc = ReadWindow(side, &w)) return rc;

  if (index == kXmin || index == kXmax) {
    w.field[index] = value;
    if (!ComputeDotWidths(&w)) return kErrRange;
  } else if (index == kXdot || index == kXdotHalf) {
    BcdNumber count, width, xmax;
    BcdFromInt(&count, index == kXdot ? kGraphDotsFull : kGraphDotsHalf);
    if (!BcdMul(&value, &count, &width) || CheckRange(width)) return kErrRange;
    if (!BcdAdd(&w.field[kXmin], &width, &xmax) || CheckRange(xmax)) return kErrRange;
    BcdNumber other, otherCount;
    BcdFromInt(&otherCount, index == kXdot ? kGraphDotsHalf : kGraphDotsFull);
    if (!BcdDiv(&width, &otherCount, &other) || CheckRange(other)) return kErrRange;
    w.field[kXmax] = xmax;
    w.field[index == kXdot ? kXdotHalf : kXdot] = other;
    w.field[index] = value;
  } else {
    // The scales, y bounds and parameter fields stand alone.
    w.field[index] = value;
  }
  return Store(side, w);
}

int SavePreviousWindow(bool fromRight) {
  ViewWindow w;
  const WindowSide side =
      fromRight && GraphItemExists(kVwinRight) ? WindowSide::kRight : WindowSide::kMain;
  if (int rc = ReadWindow(side, &w)) return rc;
  return WriteGraphItem(kPrevWin, &w, sizeof w) == 0 ? 0 : kErrMemory;
}

int ReadPreviousWindow(ViewWindow* out) {
  return ReadGraphItem(kPrevWin, out, sizeof *out) == 0 ? 0 : kErrMemory;
}

void DeletePreviousWindow() {
  DeleteGraphItem(kPrevWin);
}

int ReadInitialWindow(ViewWindow* out) {
  if (!GraphItemExists(kOrigWin)) return -1;
  return ReadGraphItem(kOrigWin, out, sizeof *out) == 0 ? 0 : kErrMemory;
}

int SaveInitialWindow(const ViewWindow& window) {
  return WriteGraphItem(kOrigWin, &window, sizeof window) == 0 ? 0 : kErrMemory;
}

int GetFactor(int axis, BcdNumber* out) {
  if (axis != kFactorX && axis != kFactorY) return kErrArgument;
  BcdNumber factors[2];
  if (ReadGraphItem(kFactor, factors, sizeof factors) != 0) {
    BcdConst(&factors[0], kBcdTwo);
    factors[1] = factors[0];
    if (WriteGraphItem(kFactor, factors, sizeof factors) != 0) return kErrMemory;
  }
  *out = factors[axis];
  return 0;
}

int SetFactor(int axis, const BcdNumber& in) {
  if (axis != kFactorX && axis != kFactorY) return kErrArgument;
  BcdNumber value, zero;
  BcdZero(&zero);
  if (CheckRange(in) || !RealDecimal(in, &value) || BcdCompare(kBcdOpGt, &value, &zero) != 1)
    return kErrRange;
  BcdNumber factors[2];
  if (int rc = GetFactor(kFactorX, &factors[0])) return rc;
  GetFactor(kFactorY, &factors[1]);
  factors[axis] = value;
  return WriteGraphItem(kFactor, factors, sizeof factors) == 0 ? 0 : kErrMemory;
}

int SetWindowPreset(int preset, WindowSide side) {
  ViewWindow w;
  if (!PresetWindow(preset, &w)) return 0;
  return Store(side, w);
}

int StoreWindowMemoryNumber(int number) {
  if (number < 1 || number > kWindowMemories) return kErrArgument;
  ViewWindow w;
  if (int rc = ReadViewWindow(&w)) return rc;
  return WriteGraphItem(MemoryItem(number).c_str(), &w, sizeof w) == 0 ? 0 : kErrMemory;
}

int RecallWindowMemoryNumber(int number) {
  if (number < 1 || number > kWindowMemories) return kErrArgument;
  ViewWindow w;
  // A memory never stored holds the initial window.
  if (ReadGraphItem(MemoryItem(number).c_str(), &w, sizeof w) != 0) PresetWindow(kPresetInit, &w);
  return Store(WindowSide::kMain, w);
}
