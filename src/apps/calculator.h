// The whole calculator as a front end starts it: what the desktop view does
// when it is created, and what the headless runner does before it boots.
#pragma once

#include <string>

// Places the main-memory arena, opens (or creates) the flash image, clears
// the boot signature so the OS starts cold, empties the OS heap, and
// installs the OS's hooks and the applications. `flashPath` empty: the
// default image (VK2280_FLASH, else the user's private folder).
bool CalculatorPrepare(const std::string& flashPath, std::string* usedFlashPath,
                       std::string* error);
// The same with a fresh image that lives only as long as this run.
bool CalculatorPrepareScratch(std::string* error);
// Closes the flash image and frees the arena (after the OS thread ended).
void CalculatorRelease();
