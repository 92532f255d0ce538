// The clip buffer: the text that CLIP's copy puts aside and that paste
// inserts, kept as a token string. It belongs to the OS; the host reads it
// to copy it to the PC's clipboard and fills it from pasted PC text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The clip text as a calculator string (tokens; the ending zero is not part
// of the returned string). Safe to call from any thread.
std::string ClipBufferGet();
void ClipBufferSet(const uint8_t* tokens, size_t length);
void ClipBufferClear();

// PC text and tokens are converted above the OS; the applications install
// the converters when the calculator is assembled.
using ClipTextToTokens = bool (*)(const char* utf8, std::string* tokens);
using ClipTokensToText = std::string (*)(const uint8_t* tokens);
void SetClipTextConverters(ClipTextToTokens toTokens, ClipTokensToText toText);

// Host side. Puts UTF-8 text into the buffer as tokens: returns 1, or 0 when
// no converter is installed or the text does not read as tokens (the buffer
// is then empty, so a paste inserts nothing).
int ClipBufferPutText(const char* utf8);
// The clip text as UTF-8; empty when the buffer is empty or no converter is
// installed.
std::string ClipBufferText();
