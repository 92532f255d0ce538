// The services the host offers to calculator code, and the few readers the
// host needs from the calculator. This header is the only door between the
// OS side (src/os, src/math, src/memory, src/apps) and the host side: it
// includes nothing from any front end.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- LCD image ------------------------------------------------------------
// 64 rows of 16 bytes, bit 7 the leftmost dot. The stored bits are the
// complement of the calculator's view: 0 = dark, 1 = light.
inline constexpr int kLcdWidth = 128;
inline constexpr int kLcdHeight = 64;
inline constexpr int kLcdRowBytes = 16;
inline constexpr int kLcdBytes = kLcdRowBytes * kLcdHeight;

void HostSleep(uint32_t milliseconds);
uint8_t HostLcdReadByte(int byteColumn, int row);
void HostLcdWriteByte(int byteColumn, int row, uint8_t dots);
void PutDisplay();
void HostBlitLcd();
void ClearLcd();
void SetBusyIndicator();
void HostSetGraphCursor(int32_t x, int32_t y);
void HostClearGraphCursor();

// ---- OS heap: at most 128 live blocks, each smaller than 65,536 bytes -----
inline constexpr int kOsHeapSlots = 128;
inline constexpr uint32_t kOsHeapBlockLimit = 65536;

void* OsMalloc(uint32_t size);
void* OsCalloc(uint32_t count, uint32_t size);
void* OsRealloc(void* block, uint32_t newSize);
void OsFree(void* block);
void OsHeapReset();
int OsHeapLiveBlocks();

// ---- Key queue ------------------------------------------------------------
inline constexpr int kKeyQueueCapacity = 20;

struct KeyEntry {
  int32_t row = 0;
  int32_t column = 0;
  uint16_t aux = 0;
};

// mode 0 = normal, 1 = exclusive (refused unless the queue is empty).
// Returns 0 refused, 1 stored, 2/3 the marker handshake answer.
int PostKey(int32_t row, int32_t column, uint16_t aux, int mode);
// flag 1: a typed character (-1, -1, code); otherwise a host command code (-2, -2, code).
void PostCode(uint16_t code, int flag);
// Blocks until a key passes the OS key filter.
KeyEntry WaitKey();
// Without waiting and without the key filter: the oldest key (markers are
// swallowed as WaitKey does); 0 when none.
int TakeOldestKey(KeyEntry* key);
// Waits as an idle OS (front ends may send the next key) until a key is
// queued or the time is up; 1 when a key is waiting.
int WaitKeyFor(uint32_t milliseconds);
int IsCodeQueued(uint16_t code);
int TakeLastKey(int32_t* row, int32_t* column);
int KeyQueueCount();
void FlushKeys();
void KeyQueueHold();
void KeyQueueRelease();
int KeyQueueHeld();
void ArmBreak();
void DisarmBreak();
int BreakPressed();
uint32_t OsThreadRunning();
void SetOsThreadRunning(uint32_t running);
// The calculator key code of a key position (row, column), from the host's
// key map; 0 where there is no key.
uint16_t HostKeyCodeAt(int32_t row, int32_t column);

// Thrown into the OS thread to unwind it: to end it, or to boot again.
struct HostOsStopRequest {};
struct HostOsRestartRequest {};

// ---- File dialogs reached by the OS's file exchange ------------------------
// Called once per chosen path; returns the number of items imported or a
// negative value to stop.
using ImportOneFile = int (*)(const char* path, void* context);
int HostOpenCalcFiles(ImportOneFile importOne, void* context);
int HostChooseG1eToOpen(char* buffer, size_t capacity);
int HostChooseG1eToSave(char* buffer, size_t capacity);
int HostBrowseFolder(char* buffer, size_t capacity);
// Calculator files dropped on the window: the front end queues them and
// posts this control code; the OS, on reading it, takes them here (one call
// per file, as HostOpenCalcFiles does) and imports them.
inline constexpr uint16_t kHostCodeFilesDropped = 30070;
int HostImportDroppedFiles(ImportOneFile importOne, void* context);

// ---- What the host reads from, and hands to, the OS ------------------------
struct TextCursorInfo {
  int column = 0;
  int line = 0;
  int type = 0;
  bool visible = false;
};

// Filled in by the OS side before the OS thread starts. Every member may be
// left empty; the host then uses a neutral answer.
struct OsHooks {
  void (*entry)() = nullptr;               // never returns while the OS runs
  const uint8_t* (*vram)() = nullptr;      // 1024 bytes, 1 = dark
  int (*getShiftState)() = nullptr;        // setup item 20
  void (*setShiftState)(int) = nullptr;
  TextCursorInfo (*textCursor)() = nullptr;
  // The key filter inside WaitKey: false swallows the key.
  bool (*keyFilter)(KeyEntry& key) = nullptr;
  // Runs at the top of WaitKey (the execution contexts keep their resume point there).
  void (*beforeWait)() = nullptr;
  void (*setGraphCursorPosition)(int x, int y) = nullptr;
};

void HostInstallOsHooks(const OsHooks& hooks);
const OsHooks& HostOsHooks();
