// The built-in applications in main-menu order: folder, label key, entry
// function and icon. The entries are filled in by the applications library
// (src/apps), which sits above the OS core.
#pragma once

#include <cstdint>

// entry(isAppli, option): isAppli is 1 when started from the main menu and
// 0 when started inside a notebook document. Returning ends the application.
using AppEntry = void (*)(int isAppli, uint16_t option);

inline constexpr int kAppCount = 15;
inline constexpr int kAppIconWidth = 30;
inline constexpr int kAppIconHeight = 17;
inline constexpr int kAppIconRowBytes = 4;

enum AppIndex : int {
  kAppRunMat = 0, kAppStat, kAppNote, kAppSheet, kAppGraph, kAppDyna, kAppTable, kAppRecur,
  kAppConics, kAppEqua, kAppProg, kAppFinance, kAppLink, kAppMemory, kAppSystem,
};

struct AppRow {
  const char* folder;  // the application's main-memory folder
  char labelKey;       // '1'..'9', 'A'..
  uint32_t flags;
  const char* name;    // shown by screens that name the application
  AppEntry entry;
  const uint8_t* icon;  // 17 rows of 4 bytes, bit 7 of byte 0 leftmost
};

const AppRow* ApplicationRow(int index);  // nullptr outside 0..14
void SetApplicationEntry(int index, AppEntry entry);

// The 112-byte title picture of the main menu (7 rows of 16 bytes).
const uint8_t* MainMenuTitle();
