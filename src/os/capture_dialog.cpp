#include "os/capture_dialog.h"

#include <cstring>
#include <string>

#include "memory/mem_app.h"
#include "os/boot.h"
#include "os/getkey.h"
#include "os/messages.h"
#include "os/popup.h"
#include "os/text.h"
#include "os/vram.h"

namespace {

constexpr uint8_t kCaptureKind = 10;  // items of "@REV2"
constexpr uint8_t kCaptureSuspend = 128;
constexpr int kInputColumn = 17;
constexpr int kInputLine = 5;
// Two digits in columns 17..18, the cursor after them in 19: column 20
// carries the pop-up's right frame and shadow.
constexpr int kInputDigits = 2;
constexpr int kMsgCaptureMemory = 320;
constexpr int kMsgCaptureBlank = 321;
constexpr int kMsgCapturePrompt = 322;
constexpr int kArgumentError = 8;
constexpr int kMemoryError = 4;

int gDepth = 0;

void PrintMessageLine(int line, int number) {
  char buffer[kMessageBufferBytes];
  const char* text = GetMessage(number, buffer);
  Locate(1, line);
  if (text) Print(text);
}

void DrawDialog() {
  PopUp(4);
  PrintMessageLine(2, kMsgStoreIn);
  PrintMessageLine(3, kMsgCaptureMemory);
  PrintMessageLine(4, kMsgCaptureBlank);
  PrintMessageLine(kInputLine, kMsgCapturePrompt);
}

// An error box from inside the dialog: the box uses save slot 7, which the
// screen under the dialog may be using too.
void ErrorBoxKeepingSlot7(int code) {
  uint8_t aside[kVramBytes];
  std::memcpy(aside, ScreenSlotAddress(7), kVramBytes);
  ErrorBox(code);
  std::memcpy(ScreenSlotAddress(7), aside, kVramBytes);
}

// Reads digits at the input field. Returns false when the user left (EXIT,
// QUIT), else true with the typed text (possibly empty).
bool ReadNumber(std::string* text) {
  text->clear();
  for (;;) {
    Locate(kInputColumn, kInputLine);
    PrintPadded(text->c_str(), kInputColumn + kInputDigits);
    Locate(kInputColumn + static_cast<int>(text->size()), kInputLine);
    RefreshCursorShape();
    uint32_t code = 0;
    if (GetKey(&code)) {
      if (code >= '0' && code <= '9' && text->size() < kInputDigits)
        text->push_back(static_cast<char>(code));
      continue;
    }
    switch (code) {
      case kKeyExe:
        HideCursor();
        return true;
      case kKeyDel:
        if (!text->empty()) text->pop_back();
        break;
      case kKeyAc:
        text->clear();
        break;
      case kKeyExit:
      case kKeyQuit:
        HideCursor();
        return false;
      default:
        break;
    }
  }
}

}  // namespace

int StoreCapture(int number, const uint8_t screen[1024]) {
  if (number < kCaptureFirst || number > kCaptureLast) return kArgumentError;
  const std::string name = "CAPT" + std::to_string(number);
  uint8_t item[kCapturePictureBytes];
  const CapturePictureHeader header{128, 64};
  std::memcpy(item, &header, sizeof header);
  std::memcpy(item + sizeof header, screen, 1024);
  MemDelete(MemOfKind(kCaptureKind), name.c_str());
  return MemCreate(kCaptureKind, name.c_str(), kCapturePictureBytes, item) == kMemOk ? 0
                                                                                     : kMemoryError;
}

void CaptureDialog() {
  // Nothing to capture while the system is still booting.
  if (gDepth >= 2 || Os().mode == kModeBooting) return;
  ++gDepth;
  CursorState cursor;
  SaveCursor(&cursor);
  SetMenuSuspendBits(kCaptureSuspend);
  uint8_t before[kVramBytes];
  std::memcpy(before, VramAddress(), kVramBytes);

  std::string text;
  for (;;) {
    std::memcpy(VramAddress(), before, kVramBytes);
    DrawDialog();
    if (!ReadNumber(&text)) break;
    if (text.empty()) continue;
    const int number = std::stoi(text);
    if (number < kCaptureFirst || number > kCaptureLast) {
      ErrorBoxKeepingSlot7(kArgumentError);
      continue;
    }
    std::memcpy(VramAddress(), before, kVramBytes);
    if (StoreCapture(number, before) != 0) ErrorBoxKeepingSlot7(kMemoryError);
    break;
  }

  std::memcpy(VramAddress(), before, kVramBytes);
  ClearMenuSuspendBits(kCaptureSuspend);
  RestoreCursor(cursor);
  if (cursor.kind >= 0) RefreshCursorShape();
  --gDepth;
}
