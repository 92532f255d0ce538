// Message lookup over the tables that msggen writes from
// data/messages/messages.txt.
#include "os/messages.h"

#include <cstring>

// Generated: one table per language, in language order.
extern const MessageTable kMessageTables[kLanguageCount];

namespace {

int currentLanguage = kLanguageEnglish;

// The lookup routines a table header can name. All our tables hold their
// messages directly, by number.
using MessageLookup = const char* (*)(const MessageTable& table, int number);

const char* LookupDirect(const MessageTable& table, int number) {
  return table.messages[number - table.header.lowest];
}

constexpr MessageLookup kLookups[] = {LookupDirect};
constexpr uint32_t kLookupCount = sizeof(kLookups) / sizeof(kLookups[0]);

}  // namespace

int SetLanguage(int language) {
  if (language < 0 || language >= kLanguageCount) return 0;
  currentLanguage = language;
  return 1;
}

int GetLanguage() {
  return currentLanguage;
}

void ClearLanguage() {
  currentLanguage = kNoLanguage;
}

const MessageTable* GetMessageTable(int language) {
  if (language < 0 || language >= kLanguageCount) return nullptr;
  return &kMessageTables[language];
}

const char* CopyMessage(const char* text, char* buffer) {
  size_t length = std::strlen(text);
  if (length >= static_cast<size_t>(kMessageBufferBytes)) {
    text = kMessageError;
    length = sizeof(kMessageError) - 1;
  }
  std::memcpy(buffer, text, length + 1);
  return buffer;
}

const char* GetMessage(int number, char* buffer) {
  buffer[0] = '\0';
  const MessageTable* table = GetMessageTable(currentLanguage);
  if (!table) return nullptr;
  const MessageTableHeader& header = table->header;
  if (number < header.lowest || number > header.highest || header.lookup >= kLookupCount)
    return nullptr;
  return CopyMessage(kLookups[header.lookup](*table, number), buffer);
}
