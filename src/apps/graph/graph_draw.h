// Drawing graphs through the view window: the mapping of values to dots,
// the axes, grid and labels of the setup, and the curves of the graph
// functions, column by column (Y=) or step by step of the parameter (r=,
// parametric). A point that cannot be computed (a pole, a domain error)
// leaves a gap.
#pragma once

#include <cstdint>
#include <string>

#include "apps/graph/graph_funcs.h"
#include "apps/graph/graph_screen.h"
#include "apps/graph/view_window.h"
#include "math/bcd.h"

// The working copy of a window with what the mapping needs.
struct GraphView {
  ViewWindow window;
  long double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  long double xdot = 0, ydot = 0;  // value of one dot interval
};

// 0, or 28 when the window shows no area (min not below max, a dot width
// of zero).
int PrepareGraphView(const ViewWindow& window, GraphView* view);

// The x value of dot column 1..127, exact in decimal: Xmin + (c - 1) Xdot.
void ColumnValue(const GraphView& view, int column, BcdNumber* x);
// Dot positions (fractional) of a value; row 1 is Ymax, row 63 Ymin.
long double ColumnOf(const GraphView& view, long double x);
long double RowOf(const GraphView& view, long double y);

// Evaluates the expression at *cursor (which ends on the token after it)
// to a real value: 0, or the error code (3 for a complex or list value).
int EvaluateReal(const uint8_t** cursor, BcdNumber* out);
// The same for a whole token string: anything after the expression is 2.
int EvaluateRealLine(const char* tokens, BcdNumber* out);

// Evaluates a token string with `variable` (X, θ or T) set to `at`. Returns
// 0 with a real value in *out, or the error code (3 for a complex or list
// value).
int EvaluateGraphAt(const char* tokens, uint8_t variable, const BcdNumber& at, BcdNumber* out);

// Keeps the value of a variable and puts it back when it goes.
class SavedVariable {
 public:
  explicit SavedVariable(uint8_t letter);
  ~SavedVariable();
  SavedVariable(const SavedVariable&) = delete;
  SavedVariable& operator=(const SavedVariable&) = delete;

 private:
  uint8_t letter_;
  uint8_t saved_[24];
};

// Axes with their scale ticks, the grid and the axis labels, by the setup
// items (into plane 0).
void DrawGraphBackground(GraphPlanes* planes, const GraphView& view);

// Which drawing the setup asks for: item 25, 0 Connect, 1 Plot.
bool ConnectMode();

// The AC test between the points of a drawing: the host's break check by
// default (which also drops keys typed ahead). Tests swap it.
void SetGraphBreakTest(int (*test)());

// Draws one function. Returns 0, 1 when AC stopped the drawing, or 2 (Syntax
// ERROR) when its expression is not well formed.
int DrawGraphFunction(GraphPlanes* planes, const GraphView& view, const GraphFunction& f);

// A line of dots between two graph positions (clipped to the graph area).
void DrawGraphSegment(GraphPlanes* planes, long double x1, long double y1, long double x2,
                      long double y2, uint8_t planeMode);

// Every selected function of the Y= list over the background, into the
// planes only. 0, 28 for a window without area, 1 when AC stopped it, or 2
// for a function that is not well formed.
int DrawGraphsInto(GraphPlanes* planes);

// The whole graph screen: the planes cleared, the background, and every
// selected function of the Y= list. 0, 28 for a window without area, or 1
// when AC stopped it. The planes are shown in Vram and on the display.
int DrawAllGraphs(GraphPlanes* planes);
