#include "apps/memory/memory_ui.h"

#include <cstring>

#include "apps/common/app_screen.h"
#include "memory/fs_error.h"
#include "memory/mem_tables.h"
#include "memory/opt_ui.h"
#include "os/fkey_labels.h"
#include "os/getkey.h"
#include "os/key_matrix.h"
#include "os/menu.h"
#include "os/messages.h"
#include "os/popup.h"
#include "os/storage_screens.h"
#include "os/text.h"
#include "os/vram.h"

namespace {

// The texts are messages 352 onwards, in the order of MemoryText.
constexpr int kMsgFirstMemoryText = 352;

constexpr int kMsgYes = 2, kMsgNo = 3;
constexpr int kMsgExistsLine = 330, kMsgOverwrite = 331;
constexpr int kMsgDataError = 479;  // " Data ERROR", the error box's line
constexpr int kQuestionWindow = 3;
constexpr int kMessageWindow = 3;
// Error box codes.
constexpr int kErrMemoryFull = 13;
constexpr int kErrMemory = 4;
constexpr int kErrStorageFull = 42;
constexpr int kErrVersion = 36;
constexpr int kErrBadName = 44;
constexpr int kErrNotFound = 21;

const G1mImportUi kImportUi = {nullptr, AskOverwriteItem};

// The OS's progress window, with the screen under it put back when it closes.
uint8_t gUnderProgress[kVramBytes];

void ProgressOpen(void* ctx, const char* const lines[3]) {
  std::memcpy(gUnderProgress, VramAddress(), kVramBytes);
  const StorageUi* os = OsStorageUi();
  if (os->progress_open) os->progress_open(ctx, lines);
}
void ProgressUpdate(void* ctx, uint32_t done, uint32_t total) {
  const StorageUi* os = OsStorageUi();
  if (os->progress_update) os->progress_update(ctx, done, total);
}
void ProgressClose(void* ctx) {
  const StorageUi* os = OsStorageUi();
  if (os->progress_close) os->progress_close(ctx);
  std::memcpy(VramAddress(), gUnderProgress, kVramBytes);
}
const char* Message(void* ctx, int number) {
  const StorageUi* os = OsStorageUi();
  return os->message ? os->message(ctx, number) : "";
}
int AskResume(void* ctx, const char* const lines[4]) {
  const StorageUi* os = OsStorageUi();
  return os->ask_resume ? os->ask_resume(ctx, lines) : kAnswerContinue;
}
const StorageUi kProgressUi = {nullptr,        Message,       ProgressOpen,
                               ProgressUpdate, ProgressClose, AskResume};

// The popup indent: two pen moves, so that text printed from column 1
// starts inside the frame.
std::string Indented(const std::string& text) {
  return std::string(kPopUpIndent) + text;
}

// Cut to the cells a pop-up line has (one-byte characters only: file names).
std::string Cut(const std::string& text, size_t cells) {
  return text.size() <= cells ? text : text.substr(0, cells);
}

uint32_t AskYesNo(int firstMessage, const std::string& firstText) {
  OpenWindow(kQuestionWindow);
  PopUp(kQuestionWindow);
  if (firstMessage) {
    PrintMessageAt(1, 3, firstMessage);
  } else {
    Locate(1, 3);
    Print(Indented(firstText).c_str());
  }
  PrintMessageAt(1, 4, kMsgYes);
  PrintMessageAt(1, 5, kMsgNo);
  static const uint32_t kAnswers[] = {kKeyF1, kKeyF6, kKeyExit, kKeyQuit};
  const uint32_t answer = WaitForControl(kAnswers, 4);
  CloseWindow(kQuestionWindow);
  return answer;
}

}  // namespace

const char* MemoryTextOf(MemoryText text) {
  // One buffer per text, so two texts can be in use at once.
  static char buffers[kMemoryTextCount][kMessageBufferBytes];
  if (text < 0 || text >= kMemoryTextCount) return "";
  return GetMessage(kMsgFirstMemoryText + text, buffers[text]) ? buffers[text] : "";
}

void DrawMemoryList(const char* title, const std::vector<MemoryRow>& rows, int cursor, int top) {
  ClearVram();
  DrawAppTitle(title);
  for (int i = 0; i < kListLines; ++i) {
    const int row = top + i;
    if (row >= static_cast<int>(rows.size())) break;
    const MemoryRow& r = rows[row];
    std::string line = (r.marked ? "*" : " ") + r.name;
    const size_t width = kTextColumns;
    if (line.size() + r.figure.size() < width)
      line.append(width - line.size() - r.figure.size(), ' ');
    line += r.figure;
    Locate(1, kListFirstLine + i);
    if (row == cursor)
      PrintRevPadded(line.c_str(), kTextColumns);
    else
      Print(line.c_str());
  }
  if (rows.empty()) {
    Locate(2, kListFirstLine);
    Print(MemoryTextOf(kTextEmpty));
  }
  DrawMenuBar();
}

bool MoveListCursor(uint32_t code, int count, int* cursor, int* top) {
  if (count <= 0) return code == kKeyUp || code == kKeyDown;
  if (code == kKeyUp)
    *cursor = (*cursor + count - 1) % count;
  else if (code == kKeyDown)
    *cursor = (*cursor + 1) % count;
  else
    return false;
  if (*cursor < *top) *top = *cursor;
  if (*cursor >= *top + kListLines) *top = *cursor - kListLines + 1;
  return true;
}

void RegisterKeyMenu(int number, const char* const labels[kMenuEntries]) {
  static MenuEntry menus[8][kMenuEntries];
  if (number < 0 || number >= 8) return;
  for (int i = 0; i < kMenuEntries; ++i) {
    const int icon = labels[i][0] ? FKeyIconOfLabel(labels[i]) : 0;
    menus[number][i] = MenuEntry{static_cast<int16_t>(icon), kEntryControl, kKeyF1 + i};
  }
  RegisterMenu(number, menus[number]);
}

bool AskDelete() {
  return AskYesNo(0, MemoryTextOf(kTextDeleteAsk)) == kKeyF1;
}

uint32_t AskOverwriteItem(void*, const char* folder, const char* item) {
  uint8_t screen[kVramBytes];
  std::memcpy(screen, VramAddress(), kVramBytes);
  ClearVram();
  PrintMessageAt(1, 1, kMsgExistsLine);
  Locate(2, 3);
  Print((std::string(folder) + " " + item).c_str());
  PrintMessageAt(1, 5, kMsgOverwrite);
  PrintMessageAt(1, 6, kMsgYes);
  PrintMessageAt(1, 7, kMsgNo);
  static const uint32_t kAnswers[] = {kKeyF1, kKeyF6, kKeyExit, kKeyQuit};
  uint32_t answer = WaitForControl(kAnswers, 4);
  if (answer == kKeyQuit) answer = kKeyExit;
  std::memcpy(VramAddress(), screen, kVramBytes);
  return answer;
}

const StorageUi* MemoryProgressUi() {
  return &kProgressUi;
}

const G1mImportUi* MemoryImportUi() {
  return &kImportUi;
}

void ShowFileError(int rc, const char* fileName, uint32_t memCode) {
  // Results with an error box of their own.
  struct BoxRow {
    int rc;
    int box;
  };
  static constexpr BoxRow kBoxes[] = {
      {kFsNoSpace, kErrStorageFull},
      {kG1mErrVersion, kErrVersion},
      {kFsPathNotFound, kErrBadName},
      {kFsNotFound, kErrNotFound},
  };
  if (rc == kG1mOk) return;
  if (rc == kG1mErrMemory) {
    ErrorBox(memCode == kMemErrNoRoom ? kErrMemoryFull : kErrMemory);
    return;
  }
  if (rc == kG1mErrNothing || rc == kG1mErrNoBackup) {
    ShowMessage(MemoryTextOf(kTextNoData));
    return;
  }
  for (const BoxRow& row : kBoxes) {
    if (row.rc == rc) {
      ErrorBox(row.box);
      return;
    }
  }
  // Anything else means the file cannot be read as a calculator file: name it.
  char line[kMessageBufferBytes];
  const char* dataError = GetMessage(kMsgDataError, line);
  std::string text = Indented(Cut(fileName ? fileName : "", kPopUpCells));
  text += "\xF9\xCA\xF9\xCD";
  text += dataError ? dataError : "";
  MessageBox(kMessageWindow, text.c_str());
}

void ShowMessage(const char* text, const std::string& second) {
  std::string all = Indented(text);
  if (!second.empty()) all += "\xF9\xCA\xF9\xCD" + Indented(second);
  MessageBox(kMessageWindow, all.c_str());
}

void ShowMessageNumber(int number) {
  char text[kMessageBufferBytes];
  MessageBox(kMessageWindow, GetMessage(number, text) ? text : "");
}
