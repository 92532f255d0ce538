// PC text (UTF-8) to token strings and back: what paste, the command line
// and program text files use.
//
// Text is read by longest match over the token names (as Unicode) and the
// spellings a person types on a PC keyboard: + - * / for the operators,
// -> => <= >= <> != for the arrows and relations, ^, sqrt, pi, theta, i for
// the imaginary unit, asin for sin^-1 (and the other inverses), a+bi and
// r<theta for the complex modes. "E" between a number and its exponent
// digits is the exponent token; elsewhere it is the variable E. A blank
// after a name that is shown with a blank is absorbed; other blanks outside
// strings are dropped. Text between double quotes, and after ' to the end of
// the line, is kept as characters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct TextTokenOptions {
  // Capital letters A-F are the hexadecimal digit tokens (the Hex mode's
  // keys). After the h prefix they are so in any case.
  bool hexLetters = false;
};

// Converts text to a token string (out gets the tokens; its c_str() is the
// zero-ended string). Returns 0, or the 1-based column (in characters) of
// the first text that is no token.
int TextToTokens(std::string_view text, std::string* out, const TextTokenOptions& options = {});

// Converts text as TextToTokens does, leaving out each character at which no
// token starts; *dropped gets those characters (UTF-8), empty when none was.
void TextToTokensDropping(std::string_view text, std::string* out, std::string* dropped);

// The text of a token string, with the same spellings; reading it back gives
// the same tokens for every token whose name no other token shares.
std::string TokensToText(const uint8_t* tokens);

// The text of one token (what TokensToText writes for it).
std::string TokenText(uint16_t code);

// True when the text of the token reads back as the same token.
bool TokenRoundTrips(uint16_t code);
