// The key read of every application. GetKey waits for a key, turns its
// matrix position into a character or control code by the shift state, runs
// the modifier machine, and handles on the way what the system owns: the
// function-key menus, CATALOG, screen capture, the insert toggle and the
// service menu.
#pragma once

#include <cstdint>

#include "os/key_matrix.h"

// Result 1: *code is a character code; 0: a control code, or 0 when the key
// was used up by the system (a menu opened, SHIFT with a sideways arrow).
int GetKey(uint32_t* code);

// Setup item 20.
uint8_t GetShiftState();
void SetShiftState(uint8_t state);
// Setup item 21: 1 becomes 2, anything else 1.
void ToggleInsert();

// ---- KeyInhibit: parts of GetKey's work an application switches off --------------
inline constexpr uint16_t kInhibitOptn = 1;
inline constexpr uint16_t kInhibitVars = 2;
inline constexpr uint16_t kInhibitPrgm = 4;
inline constexpr uint16_t kInhibitClip = 16;
inline constexpr uint16_t kInhibitShiftBar = 32;
inline constexpr uint16_t kInhibitAlphaBar = 64;
inline constexpr uint16_t kInhibitCatalog = 128;  // this value or more

uint16_t GetKeyInhibit();
void SetKeyInhibit(uint16_t flags);
void OrKeyInhibit(uint16_t flags);
void ClearKeyInhibitBits(uint16_t flags);
void ZeroKeyInhibit();

// ---- MenuSuspend: nonzero while a pop-up or the capture dialog is open ------------
uint8_t MenuSuspend();
void SetMenuSuspendBits(uint8_t bits);
void ClearMenuSuspendBits(uint8_t bits);

// The break check's second arming form: arms like ArmBreak but keeps a break
// request that is already pending when the check was armed before.
void ArmBreakKeepRequest();

// ---- Keys of running programs ------------------------------------------------------
// A running program reads keys without waiting (Getkey): the key code of the
// newest key pressed since its last read (EXE 31, AC/ON 34), else 0. Each
// press is read once: there is no key-up to report a key still held.
int ProgramGetKey();
// The break check while a program runs: the newest waiting key is kept for
// ProgramGetKey instead of being dropped, then AC is checked as usual. A held
// queue (replay) is left alone.
int ProgramBreakCheck();
// Forgets a key no program read (a new run starts with none).
void ProgramKeyForget();

// ---- What GetKey leaves behind ---------------------------------------------------
// For the key log, read from the host's thread: the last character code and
// the last control code (the other one 0), each cleared by reading it.
uint32_t TakeLastCharCode();
uint32_t TakeLastControlCode();
// The F-key being handled (0..5, 0 when none) and the icon of its entry.
int CurrentFKeySlot();
int CurrentFKeyIcon();

// What runs when the host says files were dropped on the window (the
// applications library installs the memory manager's import; none: the
// files wait for the next drop).
void SetFilesDroppedHandler(void (*handler)());

// Every key state back to its start (program or application start): no
// inhibit, no suspend, last-key words and F-key slot 0.
void ResetKeyState();
