// Pieces the GRAPH screens share: their function-key menus, the screens
// themselves and the way QUIT travels back to the top.
#pragma once

#include <cstdint>

#include "apps/graph/view_window.h"
#include "os/menu.h"

// The application's own menus.
enum GraphMenu : int {
  kMenuYList = 0,
  kMenuYType = 1,
  kMenuVWin = 2,
  kMenuGraphScreen = 3,
  kMenuZoom = 4,
  kMenuZoomMore = 5,
  kMenuFactor = 6,
  kMenuSetup = 7,
};
// Control codes of the SHIFT bar's graph tools.
inline constexpr uint32_t kKeyTrace = 31901;
inline constexpr uint32_t kKeyZoom = 31902;

// Registers every menu of the application and the system families the
// editors use (OPTN, VARS, the SHIFT and ALPHA bars).
void RegisterGraphMenus();
// Whether a menu is still on the menu stack (EXIT pops it).
bool MenuOnStack(int menu);

// Set when the user asked to leave the application (QUIT); every screen
// returns at once while it is set.
bool& GraphQuit();

// The V-Window editor (returns when the user leaves it).
void ViewWindowScreen(WindowSide side);
// The zoom factor editor.
void FactorScreen();
// The graph setup list: LEFT and RIGHT change the selected item.
void GraphSetupScreen();
// Draws the text of a message (number) at a column and line; in reverse
// video when asked.
void PrintMessageText(int number, int column, int line, bool reverse);
