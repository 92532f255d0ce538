// The function-key labels and their 21 x 8 icons. The label texts are data
// (data/fkeys/labels.txt, embedded at build time); each icon is drawn from
// its label in the mini font the first time it is asked for, so every label
// has an icon and no icon is drawn by hand.
#pragma once

#include <cstdint>

inline constexpr int kFKeyLabelCount = 1017;  // system icons 0..1016
inline constexpr int kUserIconCount = 64;     // the applications' own icons
inline constexpr int kIconWidth = 21;
inline constexpr int kIconHeight = 8;
inline constexpr int kIconRowBytes = 3;
inline constexpr int kIconBytes = kIconRowBytes * kIconHeight;
// Dots a label's text may take inside the icon's box. The mini glyphs carry
// their spacing column on the left; a text of the full width loses the first
// one and touches the box's left edge.
inline constexpr int kIconTextWidth = 20;

// The label of a system icon as a calculator string; "" for a number
// without a label (icon 0 is the empty key).
const char* FKeyLabel(int icon);
// A user icon's label, "" when it has none.
const char* UserIconLabel(int number);
// The icon whose label reads `utf8` in the given style (a tab for a key that
// opens a further menu); 0 when no label does.
int FKeyIconOfLabel(const char* utf8, bool tab = false);
// Whether the icon is drawn as a folder tab (its key opens a further menu).
bool FKeyLabelIsTab(int icon);
// The width in mini-font dots of a calculator string, and whether every
// character of it has a mini glyph of its own.
int MiniTextWidth(const char* text, bool* allDrawn);

// The icon pictures, kIconBytes each in BitmapRecord layout; a blank
// picture for numbers without a label.
const uint8_t* FKeyIconBits(int icon);
const uint8_t* UserIconBits(int number);
