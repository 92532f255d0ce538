#include "host/services/key_input.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "host/services/front_end.h"
#include "host/services/host_internal.h"

namespace {

int ShiftState() {
  const OsHooks& hooks = HostOsHooks();
  return hooks.getShiftState ? hooks.getShiftState() : 0;
}

void SetShiftState(int state) {
  const OsHooks& hooks = HostOsHooks();
  if (hooks.setShiftState) hooks.setShiftState(state);
}

constexpr uint16_t kFractionToDecimalKey = 65;
constexpr int kAlpha = 4, kSmallAlpha = 8, kAlphaLock = 132, kSmallAlphaLock = 136;

std::atomic<int> gKeyLogMode{0};
std::atomic<KeyLogWriter> gKeyLogWriter{nullptr};
std::atomic<bool> gStepRequest{false};

}  // namespace

bool HostSendKey(uint16_t code, uint16_t aux) {
  HostSetStatusNote("");
  if (gKeyLogMode == 2) {
    gStepRequest = true;
    return false;
  }
  const KeyMapRow* row = KeyMapOf(code);
  if (!row) return false;
  // F<>D also puts the display picture on the clipboard.
  if (code == kFractionToDecimalKey)
    if (HostFrontEnd* fe = HostCurrentFrontEnd()) fe->CopyScreenToClipboard();
  if (gKeyLogMode == 1)
    if (KeyLogWriter writer = gKeyLogWriter; writer && !writer(row->row, row->column)) return false;
  PostKey(row->row, row->column, aux, 0);
  return true;
}

void HostSetKeyLogMode(int mode) {
  gKeyLogMode = mode;
}
int HostKeyLogMode() {
  return gKeyLogMode;
}
void HostSetKeyLogWriter(KeyLogWriter writer) {
  gKeyLogWriter = writer;
}
bool HostTakeStepRequest() {
  return gStepRequest.exchange(false);
}

uint16_t HostPcKeyDown(int virtualKey, bool* handled) {
  *handled = false;
  if (PcKeyIgnored(virtualKey)) return kNoKey;  // arrives as its character
  const PcKeyRow* row = virtualKey ? PcKeyOf(virtualKey) : nullptr;
  if (!row) return kNoKey;
  *handled = true;
  HostSendKey(row->code, row->aux);
  return row->code;
}

uint16_t HostTypeCharacter(int ch, bool alwaysCapitals) {
  if (const PcCharRow* row = PcCharOf(ch)) {
    HostSendKey(row->code, row->aux);
    return row->code;
  }
  if (gKeyLogMode != 0) return kNoKey;
  if (ch >= 'A' && ch <= 'Z') {
    int saved = ShiftState();
    if (saved != kAlphaLock) SetShiftState(kAlpha);
    bool small = saved == kSmallAlpha || saved == kSmallAlphaLock;
    HostSendKey(kNoKey, static_cast<uint16_t>(small ? ch + 32 : ch));
    SetShiftState(saved);
  } else if (ch >= 'a' && ch <= 'z') {
    SetShiftState(kAlpha);
    HostSendKey(kNoKey, static_cast<uint16_t>(alwaysCapitals ? ch - 32 : ch));
  }
  return kNoKey;
}

void HostTypeText(const char* utf8, bool alwaysCapitals) {
  const auto* p = reinterpret_cast<const unsigned char*>(utf8);
  while (*p) {
    uint32_t cp = *p++;
    int extra = cp >= 0xF0 ? 3 : cp >= 0xE0 ? 2 : cp >= 0xC0 ? 1 : 0;
    if (extra) cp &= 0x3F >> extra;
    for (; extra > 0 && (*p & 0xC0) == 0x80; --extra) cp = cp << 6 | (*p++ & 0x3F);
    int ch = UnicodeToCp1252(cp);
    if (ch <= 0) continue;
    // A text is longer than the queue: wait for room rather than drop keys,
    // but not for ever when the calculator has stopped reading.
    for (int waited = 0; KeyQueueCount() >= kKeyQueueCapacity && waited < 5000; ++waited)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    HostTypeCharacter(ch, alwaysCapitals);
  }
}
