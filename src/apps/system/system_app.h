// SYSTEM: the message language and the setup reset.
#pragma once

#include <cstdint>

void SystemAppEntry(int isAppli, uint16_t option);

// The language list: UP/DOWN choose, EXE takes the language, EXIT leaves.
void SystemLanguageScreen();
// "Reset OK?": F1 resets the setup record, F6 leaves it as it is.
// Returns 1 when the setup was reset.
int SystemResetSetup();
