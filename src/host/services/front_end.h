// The host side of the services: what a front end (the desktop window, the
// terminal, the headless runner) provides, and what it may read. Qt-free.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/services/host_services.h"

// One small abstract interface towards the front end. Every call may come
// from the OS thread.
class HostFrontEnd {
 public:
  virtual ~HostFrontEnd() = default;
  // The LCD image changed; redraw it soon. Must not block.
  virtual void LcdChanged() = 0;
  // Status-bar message and window title. May wait until the front end has
  // shown them, but the front end must never wait for the OS thread.
  virtual void SetStatusAndTitle(const std::string& message, const std::string& title) = 0;
  // File dialogs. Return false on cancel.
  virtual bool ChooseCalcFilesToOpen(std::vector<std::string>* paths) = 0;
  virtual bool ChooseG1eToOpen(std::string* path) = 0;
  virtual bool ChooseG1eToSave(std::string* path) = 0;
  virtual bool BrowseFolder(std::string* folder) = 0;
  // Puts the LCD picture on the clipboard (the F<>D key does this too).
  virtual void CopyScreenToClipboard() {}
};

// Queues files dropped on the window for the OS to import and posts
// kHostCodeFilesDropped. Never waits for the OS thread.
void HostDropCalcFiles(const std::vector<std::string>& paths);

// nullptr detaches the front end (drawing and dialogs then do nothing).
void HostSetFrontEnd(HostFrontEnd* frontEnd);

// ---- LCD image, host side ---------------------------------------------------
void LcdImageSnapshot(uint8_t out[kLcdBytes]);
// The image as 64 lines of 128 characters, '#' a dark dot and '.' a light
// one: the text form of the screen for scripts and the LCD dump.
std::string LcdImageText();
// Fills the image with one byte (0xFF = all light).
void LcdImageFill(uint8_t value);
// Copies the OS's Vram into the image (skipped while the display is held).
void LcdImageFromVram();
// While held, neither Vram copies nor drawing happen (fast key-log replay).
void HostSetDisplayHold(bool held);
bool HostDisplayHeld();

// Text of the shift state shown in the status bar and the title.
const char* ShiftStatusText(int shiftState);
inline constexpr const char* kWindowTitle = "vk2280 emulator";
// A note the key-log recorder shows beside the status (empty for none).
void HostSetStatusNote(const std::string& note);
// While a replay runs the status step of PutDisplay is skipped.
void HostSetReplayRunning(bool running);

// ---- Graphics cursor --------------------------------------------------------
struct GraphCursorInfo {
  bool active = false;
  int x = 0;
  int y = 0;
};
GraphCursorInfo HostGraphCursor();

// ---- OS thread --------------------------------------------------------------
// Starts the OS thread once (at the lowest priority); later calls do nothing.
void HostStartOsThread();
bool HostOsThreadStarted();
// Asks the OS thread to end at its next key wait, sleep or break check and
// waits up to timeoutMs for it. Returns true when it ended.
bool HostStopOsThread(int timeoutMs);
// Asks the OS thread to end without waiting; HostOsThreadFinished tells
// when it has (a front end keeps handling its events meanwhile, since the OS
// thread may be waiting for it).
void HostRequestOsStop();
bool HostOsThreadFinished();
// Unwinds the OS thread back to its restart point; the OS entry is then run
// again from scratch (a system error).
[[noreturn]] void HostRestartOs();
// True once the OS thread waits for a key with nothing queued (it is idle).
bool HostOsIdle();
// Blocks the calling (non-OS) thread until the OS thread is idle with an
// empty queue, or timeoutMs passes. Returns true when idle.
bool HostWaitOsIdle(int timeoutMs);

// Resets every piece of shared state (tests and a fresh front end).
void HostResetForTest();
