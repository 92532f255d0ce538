// Function-key menus: six entries per menu, numbered slots that applications
// fill, the menu stack with group marks, the history of base menus, and the
// bar of six icons along the bottom of the screen.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- Entries -------------------------------------------------------------------
inline constexpr uint16_t kEntrySubmenu = 0;     // value: the menu to push
inline constexpr uint16_t kEntryChar = 1;        // value: a character code to type
inline constexpr uint16_t kEntryControl = 2;     // value: a control code
inline constexpr uint16_t kEntryReplace = 3;     // value: the menu that replaces the top
inline constexpr uint16_t kEntryNoEntries = 10;  // in entry 0: the menu has no entries

// An icon number; a negative value n stands for icon ~n. kIconEndOfBar in a
// slot leaves that slot and the ones after it empty.
inline constexpr int16_t kIconEndOfBar = 16384;

struct MenuEntry {
  int16_t icon;
  uint16_t kind;
  uint32_t value;
};
static_assert(sizeof(MenuEntry) == 8);

inline constexpr int kMenuEntries = 6;

// ---- Menu numbers and families ----------------------------------------------------
inline constexpr int kMenuCount = 240;
inline constexpr int kMenuAppLast = 99;  // 0..99: the applications' own menus
inline constexpr int kMenuOptn = 100;    // 100..140
inline constexpr int kMenuOptnLast = 140;
inline constexpr int kMenuVars = 141;  // 141..191
inline constexpr int kMenuVarsLast = 191;
inline constexpr int kMenuShiftBar = 192;  // 192..212
inline constexpr int kMenuShiftLast = 212;
inline constexpr int kMenuPrgm = 213;  // 213..233
inline constexpr int kMenuPrgmLast = 233;
inline constexpr int kMenuClip = 234;  // 234..236
inline constexpr int kMenuClipSecond = 235;
inline constexpr int kMenuClipLast = 236;
inline constexpr int kMenuAlphaBar = 237;  // 237..239
inline constexpr int kMenuAlphaLast = 239;
inline constexpr int kMenuCatalog = 98;

inline constexpr int kMenuStackDepth = 32;
inline constexpr int kMenuHistoryDepth = 20;
inline constexpr int kMenuMark = -2;

// Fills (entries = six entries that the caller keeps alive) or clears
// (nullptr) a menu's slot. Numbers outside 0..239 are ignored.
void RegisterMenu(int number, const MenuEntry* entries);
// The six entries of a menu, or nullptr when its slot is empty.
const MenuEntry* MenuEntriesOf(int number);
// Whether the menu is registered and has entries.
bool MenuHasEntries(int number);

// ---- The stack ------------------------------------------------------------------
// Result 1 when pushed, 0 when the stack was full (the overflow box is shown
// and the stack stays as it was).
int PushMenu(int number);

inline constexpr int kPopLook = 0;
inline constexpr int kPopTop = 1;
inline constexpr int kPopExit = 3;
inline constexpr int kPopToGroup = 4;
// See the modes above; every mode returns -1 on an empty stack. kPopExit
// returns -2 (and removes nothing) when the top is its group's base menu.
int PopMenu(int mode);
// Pushes a group mark; 0 when the stack is full.
int MarkMenus();
// Marks, records the menu in the history and pushes it; 0 (with the overflow
// box, nothing changed) when the history or the stack is full.
int EnterMenuGroup(int number);
// Removes the newest mark and everything above it; the history steps back
// by one (never below one entry).
void LeaveMenuGroup();
// Removes everything above the newest mark; without a mark only the first
// entry stays.
void CutBackToGroup();
// The top of the stack, or -1 when it is empty.
int CurrentMenu();
// The menu whose icons the bar shows: the top of the stack, or the newest
// menu of the history when the stack is empty (-1 when both are empty).
int BarMenu();

int MenuStackSize();
int MenuStackAt(int position);  // 0 = bottom
int MenuHistorySize();
int MenuHistoryAt(int position);  // 0 = oldest

// ---- The bar --------------------------------------------------------------------
// Draws the six icons of the current menu (nothing when it has no entries or
// the bar display flag is 0).
void DrawMenuBar();
// Draws the bar of a given menu; returns 1 when it was drawn.
int DrawMenuBarOf(int number);
void SetMenuBarDisplay(int flag);
int MenuBarDisplay();

// ---- The system families ------------------------------------------------------------
// The order of the registration words.
enum MenuFamily : int {
  kFamilyPrgm,
  kFamilyVars,
  kFamilyOptn,
  kFamilyAlpha,
  kFamilyShift,
  kFamilyClip,
  kMenuFamilyCount
};
// The variant registered for a family, 0 for none.
uint16_t MenuFamilyWord(MenuFamily family);
void SaveMenuFamilies(uint16_t words[kMenuFamilyCount]);
// Registers every family's menus for the variants given (0 clears the
// family's slots). Unknown variants register nothing and leave the word 0.
void RegisterMenuFamilies(const uint16_t words[kMenuFamilyCount]);
// Registers one family's variant.
void RegisterMenuFamily(MenuFamily family, uint16_t variant);

// Empty slots, stack and history, no family registered, the bar shown:
// the state an application starts in.
void ResetMenus();
