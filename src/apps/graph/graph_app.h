// GRAPH: the Y= list of 20 graph functions, their drawing through the view
// window, trace, zoom and the V-Window. GRAPH and TABLE share this entry;
// TABLE is not written yet and shows the placeholder screen.
#pragma once

#include <cstdint>

#include "apps/graph/graph_screen.h"
#include "apps/graph/view_window.h"

void GraphAppEntry(int isAppli, uint16_t option);

// The entry in the application table and the program graph commands.
void InstallGraphApplication();

// ZoomAuto: Ymin and Ymax become the lowest and highest value of the
// selected Y= functions across the screen. 0, 28, or 4.
int ZoomAutoWindow();
// Makes `window` current as a zoom does: "ORIGVWIN" keeps the window before
// a sequence of zooms, "PREVWIN" the one before this zoom.
int ApplyZoomWindow(const ViewWindow& window);
