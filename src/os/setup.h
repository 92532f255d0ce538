// The setup record: the calculator's mode settings, one byte per item,
// addressed by item number, with their defaults and the SETUP list screen.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int kSetupBytes = 128;
// Items 0..99 have defaults and travel in calculator files.
inline constexpr int kSetupDefaultedItems = 100;

// Item numbers the system itself reads.
inline constexpr int kSetupAngle = 19;        // 0 Deg, 1 Rad, 2 Gra
inline constexpr int kSetupShiftState = 20;   // the key read's modifier state
inline constexpr int kSetupInsertMode = 21;   // 1 overwrite, 2 insert
inline constexpr int kSetupBaseMode = 23;     // 0 Comp, 1 Bin, 7 Oct, 9 Dec, 15 Hex
inline constexpr int kSetupComplexMode = 42;  // 0 Real, 1 a+bi, 2 polar
inline constexpr int kSetupDisplay = 43;      // format in bits 4..6, digits in 0..3
inline constexpr int kSetupInputMode = 83;    // 0 Math, 1 Linear
inline constexpr int kSetupFracResult = 87;   // kFracResultMixed: ab/c, else d/c

inline constexpr uint8_t kInsertOverwrite = 1;
inline constexpr uint8_t kInsertInsert = 2;
inline constexpr uint8_t kFracResultMixed = 1;

// Item numbers outside 0..127 read as 0, are not stored, and have no address.
uint8_t GetSetupItem(int item);
void SetSetupItem(int item, uint8_t value);
uint8_t* SetupItemAddress(int item);

// Default of items 0..99; 0 for every other number.
uint8_t SetupDefault(int item);
// Back to the default; items outside 0..99 are left alone.
void ResetSetupItem(int item);
void ResetSetup();

// The label an item has in the SETUP list, in calculator character codes;
// nullptr for an item that is not listed.
const char* SetupLabel(int item);
// The text shown for an item's value; empty when the value has none.
inline constexpr size_t kSetupValueTextBytes = 16;
void SetupValueText(int item, uint8_t value, char out[kSetupValueTextBytes]);

// Draws text lines 1..7 of a SETUP screen: items[first..last] from line 1 on
// as "label:value" with scroll marks in column 21, the line of
// items[selected] in reverse video, and blank lines after the last item.
void ShowSetupList(const uint8_t* items, int lastIndex, int firstShown, int selected);
