#include "apps/common/placeholder_app.h"

#include "apps/common/app_screen.h"
#include "os/app_table.h"
#include "os/boot.h"
#include "os/key_matrix.h"
#include "os/vram.h"

namespace {
constexpr int kMsgPressExit = 1;
constexpr int kMsgNotAvailable1 = 346;
constexpr int kMsgNotAvailable2 = 347;
}  // namespace

void PlaceholderAppEntry(int, uint16_t) {
  const AppRow* row = ApplicationRow(Os().current.index);
  ClearVram();
  DrawAppTitle(row ? row->name : "");
  PrintMessageAt(1, 3, kMsgNotAvailable1);
  PrintMessageAt(1, 4, kMsgNotAvailable2);
  PrintMessageAt(1, 6, kMsgPressExit);
  static const uint32_t kLeave[] = {kKeyExit, kKeyQuit};
  WaitForControl(kLeave, 2);
}
