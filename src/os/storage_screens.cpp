#include "os/storage_screens.h"

#include <cstring>

#include "memory/opt_ui.h"
#include "os/getkey.h"
#include "os/key_matrix.h"
#include "os/messages.h"
#include "os/popup.h"
#include "os/text.h"
#include "os/vram.h"

namespace {

char gMessage[49];
uint8_t gUnderProgress[kVramBytes];  // the screen the progress window covers

const char* Message(void*, int number) {
  return GetMessage(number, gMessage) ? gMessage : "";
}

void ProgressOpen(void*, const char* const lines[3]) {
  std::memcpy(gUnderProgress, VramAddress(), kVramBytes);
  PopUp(5);
  for (int i = 0; i < 3; ++i) {
    Locate(1, 2 + i);
    Print(lines[i]);
  }
  PutDisplay();
}

void ProgressUpdate(void*, uint32_t done, uint32_t total) {
  OptDrawProgressBar(VramAddress(), done, total);
  PutDisplay();
}

void ProgressClose(void*) {
  std::memcpy(VramAddress(), gUnderProgress, kVramBytes);
  PutDisplay();
}

int AskResume(void*, const char* const lines[4]) {
  ClearVram();
  for (int i = 0; i < 4; ++i) {
    Locate(1, 2 + i * 2);
    Print(lines[i]);
  }
  uint32_t code = 0;
  int isChar = GetKey(&code);
  if (!isChar && code == kKeyF1) return kAnswerContinue;
  if (!isChar && code == kKeyF6) return kAnswerInitialize;
  return kAnswerNone;
}

const StorageUi kUi = {nullptr, Message, ProgressOpen, ProgressUpdate, ProgressClose, AskResume};

}  // namespace

const StorageUi* OsStorageUi() { return &kUi; }
