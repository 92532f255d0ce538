#include "os/popup.h"

#include <cstdio>
#include <string>

#include "os/draw.h"
#include "os/getkey.h"
#include "os/key_matrix.h"
#include "os/messages.h"
#include "os/text.h"
#include "os/vram.h"

namespace {

struct WindowKind {
  int top, bottom;
  uint8_t suspend;
  int firstLine;  // where a message box's text starts
  int clearFirst, clearLast;
};

constexpr WindowKind kKinds[kPopUpKinds] = {
    {19, 35, 0, 4, 3, 3}, {11, 35, 1, 3, 3, 4}, {11, 43, 32, 3, 3, 5},
    {3, 43, 16, 2, 2, 5}, {3, 51, 1, 2, 2, 6},  {3, 59, 2, 2, 2, 7},
};

const WindowKind* KindOf(int kind) {
  return kind >= 1 && kind <= kPopUpKinds ? &kKinds[kind - 1] : nullptr;
}

// The first message of each error code's lines; code 27 has four lines, the
// rest three.
constexpr int kErrorFirstMessage[47] = {
    0,   55,  78,  81,  75,  84,  87,  90,  93,  96,  99,  102, 105, 108, 111, 114,
    117, 120, 123, 126, 129, 132, 135, 72,  138, 141, 144, 147, 151, 69,  66,  78,
    78,  151, 697, 601, 725, 481, 459, 424, 654, 706, 703, 478, 716, 719, 666,
};
constexpr int kTallErrorCode = 27;

void DrawFrame(const WindowKind& k) {
  DrawShape(kTargetVram, MakeShape(kShapeRectangle, 9, k.top, 117, k.bottom));
  DrawLine(118, k.top + 1, 118, k.bottom, kPenDark);
  DrawLine(10, k.bottom + 1, 118, k.bottom + 1, kPenDark);
}

void PrintMessageAt(int line, int number) {
  char buffer[kMessageBufferBytes];
  const char* text = GetMessage(number, buffer);
  Locate(1, line);
  if (text) Print(text);
}

bool ClosesBox(int isChar, uint32_t code) {
  return !isChar && (code == kKeyExit || code == kKeyAc || code == kKeyLeft || code == kKeyRight ||
                     code == kKeyQuit);
}

uint32_t WaitForClosingKey() {
  for (;;) {
    uint32_t code = 0;
    int isChar = GetKey(&code);
    if (ClosesBox(isChar, code)) return code;
  }
}

// Runs a box in window kind 4's slot (or the kind's own) with the cursor
// saved around it: draw() fills the window, then the box waits.
template <typename Draw>
uint32_t RunBox(int windowKind, int frameKind, Draw draw) {
  CursorState cursor;
  SaveCursor(&cursor);
  HideCursor();
  OpenWindow(windowKind);
  PopUp(frameKind);
  draw();
  uint32_t closedBy = WaitForClosingKey();
  CloseWindow(windowKind);
  RestoreCursor(cursor);
  if (cursor.kind >= 0) RefreshCursorShape();
  return closedBy;
}

}  // namespace

bool PopUpRows(int kind, int* top, int* bottom) {
  const WindowKind* k = KindOf(kind);
  if (!k) return false;
  *top = k->top;
  *bottom = k->bottom;
  return true;
}

int PopUpFirstLine(int kind) {
  const WindowKind* k = KindOf(kind);
  return k ? k->firstLine : 0;
}

int PopUpLastLine(int kind) {
  const WindowKind* k = KindOf(kind);
  return k ? k->clearLast : 0;
}

uint8_t WindowSuspendBits(int kind) {
  const WindowKind* k = KindOf(kind);
  return k ? k->suspend : 1;
}

void PopUp(int kind) {
  const WindowKind* k = KindOf(kind);
  if (!k) return;
  ClearArea(10, k->top + 1, 116, k->bottom);
  DrawFrame(*k);
}

void OpenWindow(int kind) {
  SaveScreen(WindowSaveSlot(kind));
  SetMenuSuspendBits(WindowSuspendBits(kind));
}

void CloseWindow(int kind) {
  CursorState cursor;
  SaveCursor(&cursor);
  HideCursor();
  RestoreScreen(WindowSaveSlot(kind));
  ClearMenuSuspendBits(WindowSuspendBits(kind));
  RestoreCursor(cursor);
  if (cursor.kind >= 0) RefreshCursorShape();
}

int ErrorMessageLines(int code, int numbers[4]) {
  if (code < 1 || code > 46) return 0;
  int count = code == kTallErrorCode ? 4 : 3;
  for (int i = 0; i < count; ++i) numbers[i] = kErrorFirstMessage[code] + i;
  return count;
}

uint32_t ErrorBox(int code) {
  if (code == 0) return 0;
  return RunBox(4, code == kTallErrorCode ? 5 : 4, [code] {
    int numbers[4];
    int count = ErrorMessageLines(code, numbers);
    if (count == 0) {
      PrintMessageAt(2, kMsgUndefinition);
      PrintMessageAt(3, kMsgUndefinedError);
      char buffer[kMessageBufferBytes];
      const char* prefix = GetMessage(kMsgErrorNumber, buffer);
      std::string line = prefix ? prefix : "";
      line += std::to_string(code) + "]";
      Locate(1, 4);
      Print(line.c_str());
      count = 3;
    } else {
      for (int i = 0; i < count; ++i) PrintMessageAt(2 + i, numbers[i]);
    }
    PrintMessageAt(2 + count, kMsgPressExit);
  });
}

uint32_t MessageBox(int kind, const char* text) {
  const WindowKind* k = KindOf(kind);
  if (!k) return 0;
  return RunBox(kind, kind, [k, kind, text] {
    Locate(1, k->firstLine);
    Print(text);
    if (kind >= 2) PrintMessageAt(k->clearLast, kMsgPressExit);
  });
}

void ClearPopUpLines(int kind) {
  const WindowKind* k = KindOf(kind);
  if (!k) return;
  for (int line = k->clearFirst; line <= k->clearLast; ++line)
    ClearArea(2 * kCellWidth, (line - 1) * kCellHeight, 19 * kCellWidth - 1,
              line * kCellHeight - 1);
  DrawFrame(*k);
}
