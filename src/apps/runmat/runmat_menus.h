// RUN-MAT's function-key menus and its SETUP screen.
#pragma once

#include <cstdint>

#include "apps/runmat/runmat_editor.h"

// The system families (OPTN, VARS, PRGM, the SHIFT and ALPHA bars, CLIP) and
// RUN-MAT's own menus: the bar of conversions and engineering shifts, the
// SETUP screen's bars.
void RunMatRegisterMenus();
// RUN-MAT's bar as the base of the menu stack.
void RunMatShowBaseBar();

// The SETUP screen: the items a calculation reads, changed with the function
// keys. SHIFT and then a function key types the item's command (Deg, Fix,
// a+bi ...) into the line instead and goes back to it.
void RunMatSetupScreen(LineEditor* line);

// Types a token into the line as a key would (runmat_app.cpp).
void RunMatTypeToken(uint16_t token);

// The application's own icon whose label reads `utf8`, as a menu entry's
// icon number (negative); 0 when no label reads so.
int16_t RunMatIcon(const char* utf8);
