// Stand-in conversions for the clip buffer in tests that run without the
// applications: PC text goes in upper-cased, comes out lower-cased, and a
// "!" does not read as tokens.
#pragma once

#include <cctype>
#include <cstdint>
#include <string>

// "!" stands for a character the calculator does not have.
inline void UpperIn(const char* utf8, std::string* tokens, std::string* dropped) {
  for (const char* p = utf8; *p; ++p)
    (*p == '!' ? *dropped : *tokens).push_back(static_cast<char>(std::toupper(*p)));
}

inline std::string LowerOut(const uint8_t* tokens) {
  std::string text;
  for (const uint8_t* p = tokens; *p; ++p) text.push_back(static_cast<char>(std::tolower(*p)));
  return text;
}
