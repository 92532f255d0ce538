#include "apps/common/app_screen.h"

#include "os/getkey.h"
#include "os/messages.h"
#include "os/text.h"

void DrawAppTitle(const char* name) {
  Locate(1, 1);
  PrintRevPadded(name, 21);
}

void PrintMessageAt(int column, int line, int number) {
  char text[49];
  if (!GetMessage(number, text) || !text[0]) return;
  Locate(column, line);
  Print(text);
}

uint32_t WaitForControl(const uint32_t* codes, int count) {
  for (;;) {
    uint32_t code = 0;
    if (GetKey(&code) != 0) continue;
    for (int i = 0; i < count; ++i)
      if (codes[i] == code) return code;
  }
}
