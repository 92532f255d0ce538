// The screen of an application that is not available yet: its name and a
// plain sentence, until EXIT (or MENU) leaves it.
#pragma once

#include <cstdint>

void PlaceholderAppEntry(int isAppli, uint16_t option);
