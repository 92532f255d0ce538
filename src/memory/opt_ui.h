// What storage memory shows on the calculator's screen, reached through a
// small table of functions that the OS fills in (and tests replace): the
// progress window of long operations and the start-up question after an
// interrupted optimisation.
#pragma once

#include <cstdint>

enum OptResumeAnswer : int {
  kAnswerNone = 0,  // any other key: asked again
  kAnswerContinue = 1,
  kAnswerInitialize = 6,
};

struct StorageUi {
  void* ctx = nullptr;
  // Text of message `number` in the current language.
  const char* (*message)(void* ctx, int number) = nullptr;
  // Opens the progress window with three lines of text.
  void (*progress_open)(void* ctx, const char* const lines[3]) = nullptr;
  // Progress `done` of `total`; OptDrawProgressBar draws the bar.
  void (*progress_update)(void* ctx, uint32_t done, uint32_t total) = nullptr;
  void (*progress_close)(void* ctx) = nullptr;
  // Shows the four lines of the question and waits for a key: returns
  // kAnswerContinue for F1, kAnswerInitialize for F6, anything else for
  // another key.
  int (*ask_resume)(void* ctx, const char* const lines[4]) = nullptr;
};

constexpr int kMsgProgressFirst = 507;  // messages 507-509: the progress window
constexpr int kProgressRowTop = 32;
constexpr int kProgressRowBottom = 40;
constexpr int kProgressLeft = 18;
constexpr int kProgressWidth = 88;

// The four lines of the start-up question.
extern const char* const kOptStoppedLines[4];

// Draws the bar for `done` of `total` into a 1024-byte plane (64 rows of 16
// bytes, bit 7 = leftmost dot, 1 = dark): rows 32-40, x = 18 to
// 18 + 88 * done / total.
void OptDrawProgressBar(uint8_t plane[1024], uint32_t done, uint32_t total);
// The bar's right end for done of total.
int OptProgressEnd(uint32_t done, uint32_t total);

// The table the OS installed (nullptr: none; progress is not shown and an
// interrupted optimisation is continued).
void StorageSetUi(const StorageUi* ui);
const StorageUi* StorageUiGet();

// Helpers that tolerate a missing table or missing entries.
void UiProgressOpen(const StorageUi* ui);
void UiProgressUpdate(const StorageUi* ui, uint32_t done, uint32_t total);
void UiProgressClose(const StorageUi* ui);
// Asks until F1 or F6; without a question function the answer is continue.
int UiAskResume(const StorageUi* ui);
