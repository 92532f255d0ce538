// The calculator's character codes and Unicode: for the terminal front end,
// the clipboard and tests. The mapping is read from the same data file as
// the normal font (data/fonts/normal.txt), so a glyph and the Unicode text
// it stands for are written down once, side by side.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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
// out as U+FFFD; a lead byte right before the end ends the string.
std::string CalcToUtf8(const uint8_t* text);

// UTF-8 text as a calculator string (two bytes per two-byte code, no end
// byte). Characters without a code, and malformed bytes, are left out and
// counted in *unmapped when it is given.
std::string Utf8ToCalc(std::string_view utf8, int* unmapped = nullptr);
