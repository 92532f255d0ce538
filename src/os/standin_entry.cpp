// A temporary OS entry until the calculator's boot lands: it shows every key
// it receives, so the road from a click to the LCD can be used and tested.
// The screen says so itself.
#include <cstdio>

#include "host/services/host_services.h"
#include "os/os_entry.h"
#include "os/setup.h"
#include "os/text.h"
#include "os/vram.h"

void OsEntry() {
  ResetSetup();
  ClearVram();
  ResetTextCursor();
  Locate(1, 1);
  PrintRev("Key test: no OS yet ");
  PutDisplay();
  int line = 2;
  for (;;) {
    KeyEntry key = WaitKey();
    if (line > 8) {
      ClearVram();
      Locate(1, 1);
      PrintRev("Key test: no OS yet ");
      line = 2;
    }
    char text[32];
    std::snprintf(text, sizeof text, "row%2d col%3d %04X", key.row, key.column, key.aux);
    Locate(1, line++);
    Print(text);
    PutDisplay();
  }
}
