// The calculator's character codes and Unicode: for the terminal front end,
// the clipboard and tests. The mapping is read from the same data file as
// the normal font (data/fonts/normal.txt), so a glyph and the Unicode text
// it stands for are written down once, side by side.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The six bytes that start a two-byte character code.
bool IsCharLead(uint8_t byte);

// Reads the character code at *cursor (lead * 256 + second byte after a
// lead byte) and moves the cursor past it. At the end byte 0 it returns 0
// and leaves the cursor there; a lead byte right before the end reads as a
// single byte.
uint16_t NextCharCode(const uint8_t** cursor);

// Unicode text (UTF-8) of a character code: one character, or a short
// sequence for codes such as x-bar or the superscript -1. nullptr when the
// code stands for nothing in Unicode (no such code, the one-glyph pages).
const char* CharToUtf8(uint16_t code);

// The code of the longest known Unicode text at the start of `utf8`;
// *used gets its length in bytes. Returns 0 (and *used 0) when none matches.
// Where several codes draw the same character (the token 0x89 and the
// character '+'), the plain character's code is the one returned.
uint16_t Utf8ToChar(std::string_view utf8, size_t* used);

// A zero-ended calculator string as UTF-8. Codes without Unicode text come
// out as U+FFFD.
std::string CalcToUtf8(const uint8_t* text);

// UTF-8 text as a calculator string (two bytes per two-byte code, no end
// byte). Characters without a code, and malformed bytes, are left out and
// counted in *unmapped when it is given.
std::string Utf8ToCalc(std::string_view utf8, int* unmapped = nullptr);
