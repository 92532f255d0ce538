// Token strings: everything typed into a calculation, a program or a graph
// function is kept as tokens of one or two bytes, ended by a 0 byte. The
// bytes 0x7F, 0xE5, 0xE6, 0xE7, 0xF7 and 0xF9 lead a two-byte token; a token
// is named by its 16-bit code (lead * 256 + second byte for two bytes).
//
// The name table gives every token its display name in the calculator's
// character set and an attribute word: bits 0-5 the name's width, bit 6 on
// the two line-ending tokens, bit 7 when a blank follows the shown name.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t kTokenWidthMask = 0x3F;
constexpr uint32_t kTokenLineEnd = 0x40;
constexpr uint32_t kTokenBlankAfter = 0x80;

// Codes the evaluator, the line runner and the text conversion name.
enum : uint16_t {
  kTokDisplayStop = 0x0C,
  kTokNewLine = 0x0D,
  kTokStore = 0x0E,
  kTokExponent = 0x0F,
  kTokJump = 0x13,
  kTokHexDigitA = 0x1A,  // 0x1A-0x1F: the hexadecimal digits A-F
  kTokQuote = 0x22,
  kTokComment = 0x27,
  kTokOpenParen = 0x28,
  kTokCloseParen = 0x29,
  kTokComma = 0x2C,
  kTokPoint = 0x2E,
  kTokColon = 0x3A,
  kTokHexPrefix = 0x84,
  kTokNegate = 0x87,
  kTokPlus = 0x89,
  kTokDegreeMark = 0x8C,
  kTokMinus = 0x99,
  kTokTimes = 0xA9,
  kTokDivide = 0xB9,
  kTokFractionSep = 0xBB,
  kTokAns = 0xC0,
  kTokImplicitValue = 0xF8,     // multiplication before a value (2X)
  kTokImplicitFunction = 0xFA,  // multiplication before a function or bracket (2sin X)
  kTokMat = 0x7F40,
  kTokList = 0x7F51,
  kTokList1 = 0x7F6A,  // 0x7F6A-0x7F6F: List1-List6
};

// Longest name with its appended blank and end byte.
constexpr size_t kTokenNameBuffer = 24;

constexpr bool TokenIsLead(uint8_t b) {
  return b == 0x7F || b == 0xE5 || b == 0xE6 || b == 0xE7 || b == 0xF7 || b == 0xF9;
}

// The token at the cursor without moving. *length gets 0 at the end byte, 1
// or 2. The leads 0x7F and 0xF7 have tokens whose second byte is 0 (Xmin,
// If), so a string that ends in one of those leads needs a second end byte;
// any other lead right before the end byte reads as a one-byte token.
uint16_t TokenPeek(const uint8_t* cursor, int* length = nullptr);

// Reads the token at the cursor and moves past it; at the end byte the
// cursor stays and the result is 0.
uint16_t TokenAdvance(const uint8_t** cursor);

// The name of a code as a zero-ended calculator string, with a blank
// appended when attribute bit 7 is set. Codes of the one-byte page and the
// pages 0x7F, 0xF7, 0xF9, 0xE5 and 0xE6 have names (the at sign where no
// token is defined); for any other code the buffer is left unchanged and
// the result is false.
bool TokenName(uint16_t code, char buffer[kTokenNameBuffer]);

// The bare name (no appended blank) and the attribute word; nullptr and 0
// for a code of no page.
const char* TokenRawName(uint16_t code, uint32_t* attributes = nullptr);

// True when the table defines a token for the code (not a placeholder).
bool TokenDefined(uint16_t code);

// Calls fn for every defined token, page by page in the lookup's order
// (one-byte tokens, then the pages 0xF9, 0x7F, 0xF7, 0xE5, 0xE6).
void TokenForEach(void (*fn)(uint16_t code, const char* name, uint32_t attributes, void* user),
                  void* user);

// Length in bytes of a token string (to its end byte), reading whole tokens.
size_t TokenStringLength(const uint8_t* tokens);
