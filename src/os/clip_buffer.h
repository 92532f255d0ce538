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
// toTokens leaves out what it cannot read and puts it in *dropped.
using ClipTextToTokens = void (*)(const char* utf8, std::string* tokens, std::string* dropped);
using ClipTokensToText = std::string (*)(const uint8_t* tokens);
void SetClipTextConverters(ClipTextToTokens toTokens, ClipTokensToText toText);

// Host side. Puts UTF-8 text into the buffer as tokens, without the
// characters the calculator does not have (they go to *dropped when it is
// given): returns 1, or 0 when no converter is installed.
int ClipBufferPutText(const char* utf8, std::string* dropped = nullptr);
// The clip text as UTF-8; empty when the buffer is empty or no converter is
// installed.
std::string ClipBufferText();
