// The top of the calculator OS: boot, the two execution contexts,
// application launching and the key filter that opens the main menu.
#pragma once

#include <cstdint>

#include "host/services/host_services.h"

struct AppId {
  uint16_t index;
  uint16_t option;
};

inline constexpr uint8_t kModeApplication = 0;
inline constexpr uint8_t kModeBooting = 2;
inline constexpr uint8_t kModeSystem = 3;

struct OsState {
  uint8_t mode = kModeSystem;  // the OS entry starts it at booting
  uint8_t savedMode = 0;
  uint8_t contextFlag = 0;  // 0 main context, 1 child context
  uint8_t menuActive = 0;
  AppId request{0, 0};
  AppId current{0, 0xFFFF};
  AppId childRequest{0xFFFF, 0xFFFF};
  AppId childCurrent{0xFFFF, 0xFFFF};
  uint8_t childState = 0;
  void (*mainHook)() = nullptr;
  void (*childHook)() = nullptr;
  uint16_t menuTopRow = 0;
  uint16_t menuSelection = 0;  // the icon the main menu shows selected
  char appFolder[9] = {};
  char signature[8] = {};
};

OsState& Os();

// Boot flags.
inline constexpr int kBootMemoryInitialised = 1;
inline constexpr int kBootStartValues = 2;
inline constexpr int kBootStorageFormatted = 4;
int Boot();
void BootMessage(int kind);

// 1 refused, 3 already the current application; otherwise it does not
// return: the new application starts.
int LaunchApplication(int index, uint16_t option);
// The main-memory folder of the running application.
const char* CurrentApplicationFolder();
void SetMainHook(void (*hook)());
void SetChildHook(void (*hook)());

// The key filter inside WaitKey; false swallows the key.
bool OsKeyFilter(KeyEntry& key);

// Cleared by the host when its view is created, so every program start is a
// cold start of the OS.
void ClearBootSignature();
