// Pieces the memory manager's screens share: their texts, scrolling lists,
// the yes/no question, the overwrite question and the boxes that explain
// a refusal.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "memory/g1m_file.h"

struct StorageUi;

// The memory manager's own texts (English; the message tables have no
// numbers for them yet).
enum MemoryText : int {
  kTextChoiceMain,
  kTextChoiceStorage,
  kTextChoiceBackup,
  kTextChoiceImport,
  kTextMainTitle,
  kTextStorageTitle,
  kTextFree,
  kTextDeleteAsk,
  kTextDone,
  kTextImported,
  kTextNoData,
  kTextEmpty,
  kMemoryTextCount
};
const char* MemoryTextOf(MemoryText text);

// One row of a list screen: the text on the left, the figure on the right.
struct MemoryRow {
  std::string name;
  std::string figure;
  bool marked = false;
};
inline constexpr int kListFirstLine = 2;
inline constexpr int kListLines = 5;  // lines 2..6; line 7 is the screen's own
// Draws the title, the visible rows with the cursor row reversed, and the
// function-key bar.
void DrawMemoryList(const char* title, const std::vector<MemoryRow>& rows, int cursor, int top);
// Moves the cursor by a key (UP/DOWN wrap around); keeps `top` such that the
// cursor is visible. Returns false for any other key.
bool MoveListCursor(uint32_t code, int count, int* cursor, int* top);

// Registers application menu `number` (0..7): F1..F6 give their control
// codes; each key shows the icon whose label is given ("" or an unknown
// label: a blank key).
void RegisterKeyMenu(int number, const char* const labels[6]);

// "Delete?" with Yes:[F1] / No:[F6]; true for F1.
bool AskDelete();
// The import's question for an existing item; returns the key that answered.
uint32_t AskOverwriteItem(void* ctx, const char* folder, const char* item);
const G1mImportUi* MemoryImportUi();
// The progress window of imports, backups and the optimisation; the screen
// under it comes back when it closes.
const StorageUi* MemoryProgressUi();

// Explains a storage or file result (nothing for 0). A damaged file is
// named in its box.
void ShowFileError(int rc, const char* fileName, uint32_t memCode);
// A two-line message box: text and an optional number below it.
void ShowMessage(const char* text, const std::string& second = "");
// The message box of a message number (pop kind text).
void ShowMessageNumber(int number);
