#include "host/harness/os_probe.h"

#include <cstring>

#include "host/capture/capture.h"
#include "host/services/front_end.h"
#include "math/bcd.h"
#include "math/bcd_text.h"
#include "memory/mem_app.h"
#include "os/app_table.h"
#include "os/boot.h"
#include "os/charset.h"
#include "os/fkey_labels.h"
#include "os/getkey.h"
#include "os/menu.h"

namespace {

struct ControlName {
  uint32_t code;
  const char* name;
};
constexpr ControlName kControlNames[] = {
    {30037, "Setup"},   {30035, "Copy"},          {30036, "Paste"},   {30027, "Alpha-Lock"},
    {30029, "Quit"},    {30030, "V-Window"},      {30033, "Ins"},     {30051, "Cut"},
    {30055, "Capture"}, {30057, "Module Change"}, {30100, "Catalog"},
};

constexpr uint32_t kAnsSlot = 28;

std::string FKeyLabelNow(int slot) {
  if (slot < 0 || slot >= kMenuEntries) return {};
  const MenuEntry* entries = MenuEntriesOf(BarMenu());
  if (!entries) return {};
  int icon = entries[slot].icon;
  if (icon == kIconEndOfBar) return {};
  // A negative icon is an application's own label (RUN-MAT's CONV, ENG→ ...).
  const char* label = icon < 0 ? UserIconLabel(~icon) : FKeyLabel(icon);
  return label ? CalcToUtf8(reinterpret_cast<const uint8_t*>(label)) : std::string();
}

OsFacts TakeOsFacts() {
  // The application is compared with the one seen last time: launching
  // again the same application is no news.
  static AppId seen{0xFFFF, 0xFFFF};
  OsFacts facts;
  // Read once: the next key's line must not repeat this one's facts.
  facts.charCode = TakeLastCharCode();
  facts.controlCode = TakeLastControlCode();
  AppId current = Os().current;
  if (current.index != seen.index || current.option != seen.option) {
    if (const AppRow* row = ApplicationRow(current.index)) facts.appName = row->name;
    seen = current;
  }
  return facts;
}

}  // namespace

std::string AnswerTextOf(const uint8_t record[24]) {
  BcdNumber parts[2];
  std::memcpy(parts, record, sizeof parts);
  bool complex = BcdIsComplex(&parts[0]);
  if (!complex) BcdFromInt(&parts[1], 0);
  char real[64] = {}, imaginary[64] = {};
  BcdCanonicalText(&parts[0], real);
  BcdCanonicalText(&parts[1], imaginary);
  return std::string(1, complex ? 'C' : 'R') + "\t" + real + "\t" + imaginary;
}

const char* ControlFunctionName(uint32_t code) {
  for (const ControlName& c : kControlNames)
    if (c.code == code) return c.name;
  return nullptr;
}

HarnessProbe OsProbe() {
  HarnessProbe p;
  p.waitQuiet = [](int ms) { return HostWaitOsIdle(ms); };
  p.answerText = [] { return AnswerTextOf(MemVariable(kAnsSlot)); };
  // At a checkpoint the OS has just swallowed the marker and is about to
  // wait again: Vram is as good as settled.
  p.screen = [](uint8_t plane[kLcdBytes]) { CaptureScreenPlane(plane, 10000); };
  p.textCursor = [] {
    const OsHooks& hooks = HostOsHooks();
    return hooks.textCursor ? hooks.textCursor() : TextCursorInfo{};
  };
  p.graphCursor = [](int* x, int* y) {
    GraphCursorInfo g = HostGraphCursor();
    *x = g.x;
    *y = g.y;
    return g.active;
  };
  p.fkeyLabel = FKeyLabelNow;
  p.takeFacts = TakeOsFacts;
  p.charText = [](uint32_t code) {
    const char* text = CharToUtf8(static_cast<uint16_t>(code));
    return std::string(text ? text : "");
  };
  p.shiftState = [] {
    const OsHooks& hooks = HostOsHooks();
    return hooks.getShiftState ? hooks.getShiftState() : 0;
  };
  p.osGone = [] { return HostOsThreadFinished(); };
  return p;
}
