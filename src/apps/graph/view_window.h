// The view window: the rectangle of the plane that the graph screen shows,
// its tick spacing and the parameter range of parametric and polar graphs.
// The window lives in main memory ("VWIN", and "VWINR" for the right-hand
// graph of a split screen) with the window before the last zoom
// ("PREVWIN"), the window before a zoom sequence ("ORIGVWIN"), the zoom
// factors ("FACTOR") and six window memories. Results are the calculator's
// error codes: 0, 4 Memory ERROR, 8 Argument ERROR, 28 Range ERROR.
#pragma once

#include <cstddef>
#include <cstdint>

#include "math/bcd.h"

enum ViewField : int {
  kXmin = 0,
  kXmax,
  kXscale,
  kXdot,
  kYmin,
  kYmax,
  kYscale,
  kTmin,
  kTmax,
  kTpitch,
  kXdotHalf,
  kViewFieldCount
};
// The editor shows the fields before this one.
inline constexpr int kViewEditorFields = kXdotHalf;

struct ViewWindow {
  BcdNumber field[kViewFieldCount];
};
static_assert(sizeof(ViewWindow) == 132, "the VWIN item");
static_assert(offsetof(ViewWindow, field) == 0 && alignof(ViewWindow) == 1);

// Dot intervals across a full-width and a half-width graph.
inline constexpr int kGraphDotsFull = 126;
inline constexpr int kGraphDotsHalf = 62;
// Dot intervals down the graph area (rows 1..63).
inline constexpr int kGraphDotsDown = 62;

enum class WindowSide : uint8_t { kMain, kRight };

inline constexpr int kErrMemory = 4;
inline constexpr int kErrArgument = 8;
inline constexpr int kErrRange = 28;

// The current window; made from the INIT preset when it does not exist.
int ReadViewWindow(ViewWindow* out);
int WriteViewWindow(const ViewWindow& window);
int ReadRightViewWindow(ViewWindow* out);
int WriteRightViewWindow(const ViewWindow& window);
int ReadWindow(WindowSide side, ViewWindow* out);
int WriteWindow(WindowSide side, const ViewWindow& window);

int GetViewWindowField(int index, WindowSide side, BcdNumber* out);
// Stores one field with the rules that keep the window whole: the x bounds
// and the two dot widths follow each other; a failed store changes nothing;
// a successful one deletes "PREVWIN".
int SetViewWindowField(const BcdNumber& value, int index, WindowSide side);

// 0 when -1e98 < value < 1e98 (a real number), else 28.
int CheckRange(const BcdNumber& value);

// "PREVWIN" from the current window (the right one when asked and it exists).
int SavePreviousWindow(bool fromRight);
// 4 when there is no "PREVWIN".
int ReadPreviousWindow(ViewWindow* out);
void DeletePreviousWindow();
// "ORIGVWIN": -1 when it does not exist.
int ReadInitialWindow(ViewWindow* out);
int SaveInitialWindow(const ViewWindow& window);

// The zoom factors, 2 and 2 until set. Each must be > 0 and < 1e98.
enum FactorAxis : int { kFactorX = 0, kFactorY = 1 };
int GetFactor(int axis, BcdNumber* out);
int SetFactor(int axis, const BcdNumber& value);

// Window presets by number.
inline constexpr int kPresetInit = 304;
inline constexpr int kPresetTrig = 305;
inline constexpr int kPresetStd = 344;
// Fills `out` with a preset for the current angle unit; false for a number
// that selects no preset.
bool PresetWindow(int preset, ViewWindow* out);
// Writes the preset and deletes "PREVWIN"; a number without a preset
// changes nothing.
int SetWindowPreset(int preset, WindowSide side);
// The parameter range a graph uses when it needs one of its own: 0 to 2π in
// steps of π/30. Only the working copy changes.
void SetParameterDefaults(ViewWindow* window);
// The dot widths of a window from its x bounds (false when out of range).
bool ComputeDotWidths(ViewWindow* window);

// The six window memories ("VMEM1".."VMEM6").
inline constexpr int kWindowMemories = 6;
int StoreWindowMemoryNumber(int number);
int RecallWindowMemoryNumber(int number);
// The "V-Win[1~6]" pop-ups: ask for a number and store or recall. Return 0
// when done, 1 when the user left, else an error code (already shown).
int StoreWindowMemory();
int RecallWindowMemory();

// A decimal from text that is known to be valid.
BcdNumber BcdOf(const char* text);
