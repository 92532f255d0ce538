// The message tables: every fixed text the calculator shows, looked up by
// number in the table of the current language. The texts live in
// data/messages/messages.txt (with a note on which screen shows each number);
// the build turns that file into the five tables below.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int kLanguageEnglish = 0;
inline constexpr int kLanguageSpanish = 1;
inline constexpr int kLanguageGerman = 2;
inline constexpr int kLanguageFrench = 3;
inline constexpr int kLanguagePortuguese = 4;
inline constexpr int kLanguageCount = 5;
inline constexpr int kNoLanguage = -1;

inline constexpr int kMessageCount = 730;  // numbers 0..729
// GetMessage's buffer: 48 bytes of text and the end byte.
inline constexpr int kMessageBufferBytes = 49;
// What GetMessage gives instead of a message that does not fit the buffer.
inline constexpr char kMessageError[] = "*** message error ***";

// Most messages are one line of a pop-up: they start with two pen moves of
// one cell each, so that printed from column 1 they start at column 3, inside
// the frame, and leave room for 17 cells of text.
inline constexpr char kPopUpIndent[] = "\xF9\xC9\xF9\xC9";
inline constexpr int kPopUpCells = 17;

struct MessageTableHeader {
  char name[8];     // message 0 cut to 8 bytes, never inside a two-byte code
  uint16_t zero;    // always 0
  uint16_t format;  // always 256
  int16_t lowest;   // lowest message number: 0
  int16_t highest;  // highest message number: 729
  // The routine that finds a message, as an index into the OS's list of
  // lookup routines: a host pointer would not fit the 4-byte field.
  uint32_t lookup;
};
static_assert(sizeof(MessageTableHeader) == 20);
static_assert(offsetof(MessageTableHeader, zero) == 8 &&
              offsetof(MessageTableHeader, format) == 10);
static_assert(offsetof(MessageTableHeader, lowest) == 12 &&
              offsetof(MessageTableHeader, highest) == 14);
static_assert(offsetof(MessageTableHeader, lookup) == 16);

struct MessageTable {
  MessageTableHeader header;
  // Calculator strings; a number without a text points at an empty one.
  const char* messages[kMessageCount];
};

// 0..4 makes that language current and returns 1; any other number is
// refused (0) and the language stays as it was. The language at start is 0.
int SetLanguage(int language);
// The current language, or kNoLanguage.
int GetLanguage();
// No language at all: GetMessage then gives nothing until SetLanguage.
void ClearLanguage();

// Copies message `number` of the current language into `buffer`
// (kMessageBufferBytes) and returns the buffer. Returns nullptr, with an
// empty buffer, for a number outside 0..729 or when no language is set.
const char* GetMessage(int number, char* buffer);
// The copy GetMessage makes: the text, or kMessageError when the text is
// longer than 48 bytes.
const char* CopyMessage(const char* text, char* buffer);

// The table of a language 0..4 (its message 0 is the language's own name,
// for a language list); nullptr for any other number.
const MessageTable* GetMessageTable(int language);
