// The LCD image the front end shows, and the display services the OS calls.
// The image holds the complement of Vram (0 = dark), the form a monochrome
// bitmap takes. One mutex serialises the OS thread's copies with the UI
// thread's cursor blink and paint.
#include <cstring>
#include <mutex>
#include <string>

#include "host/services/front_end.h"
#include "host/services/host_internal.h"

namespace {

struct LcdState {
  std::mutex mutex;
  uint8_t image[kLcdBytes];
  bool held = false;
  bool replayRunning = false;
  std::string note;
  std::string lastMessage;
  std::string lastTitle;
  bool statusSent = false;
  GraphCursorInfo graphCursor;
  LcdState() { std::memset(image, 0xFF, sizeof image); }
};

LcdState& L() {
  static LcdState s;
  return s;
}

struct ShiftText {
  int state;
  const char* text;
};
constexpr ShiftText kShiftTexts[] = {
    {1, "<SHIFT>"},   {2, "<CLIP>"},         {4, "<ALPHA>"},
    {8, "<small-ALPHA>"}, {132, "<ALPHA-LOCK>"}, {136, "<small-ALPHA-LOCK>"},
};

void CopyVramLocked(LcdState& s) {
  const OsHooks& hooks = HostOsHooks();
  if (!hooks.vram) return;
  const uint8_t* vram = hooks.vram();
  for (int i = 0; i < kLcdBytes; ++i) s.image[i] = static_cast<uint8_t>(~vram[i]);
}

void Draw() {
  if (HostDisplayHeld()) return;
  if (HostFrontEnd* fe = HostCurrentFrontEnd()) fe->LcdChanged();
}

void UpdateStatus() {
  LcdState& s = L();
  std::string message, title;
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.replayRunning) return;
    const OsHooks& hooks = HostOsHooks();
    const char* status = ShiftStatusText(hooks.getShiftState ? hooks.getShiftState() : 0);
    message = s.note.empty() ? std::string(status) : std::string(status) + "\t" + s.note;
    title = std::string(kWindowTitle) + status;
    // The front end is only asked when something changed: the round trip to
    // the UI thread would otherwise dominate a program that redraws often.
    if (s.statusSent && message == s.lastMessage && title == s.lastTitle) return;
    s.lastMessage = message;
    s.lastTitle = title;
    s.statusSent = true;
  }
  if (HostFrontEnd* fe = HostCurrentFrontEnd()) fe->SetStatusAndTitle(message, title);
}

}  // namespace

const char* ShiftStatusText(int shiftState) {
  for (const ShiftText& t : kShiftTexts)
    if (t.state == shiftState) return t.text;
  return "";
}

void LcdImageSnapshot(uint8_t out[kLcdBytes]) {
  LcdState& s = L();
  std::lock_guard<std::mutex> lock(s.mutex);
  std::memcpy(out, s.image, kLcdBytes);
}

std::string LcdImageText() {
  uint8_t image[kLcdBytes];
  LcdImageSnapshot(image);
  std::string text;
  text.reserve((kLcdWidth + 1) * kLcdHeight);
  for (int y = 0; y < kLcdHeight; ++y) {
    for (int x = 0; x < kLcdWidth; ++x)
      text += (image[y * kLcdRowBytes + x / 8] & (0x80 >> (x % 8))) ? '.' : '#';  // set = light
    text += '\n';
  }
  return text;
}

void LcdImageFill(uint8_t value) {
  LcdState& s = L();
  std::lock_guard<std::mutex> lock(s.mutex);
  std::memset(s.image, value, kLcdBytes);
}

void LcdImageFromVram() {
  LcdState& s = L();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (!s.held) CopyVramLocked(s);
}

void HostSetDisplayHold(bool held) {
  LcdState& s = L();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.held = held;
}

bool HostDisplayHeld() {
  LcdState& s = L();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.held;
}

void HostSetStatusNote(const std::string& note) {
  LcdState& s = L();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.note = note;
}

void HostSetReplayRunning(bool running) {
  LcdState& s = L();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.replayRunning = running;
}

uint8_t HostLcdReadByte(int byteColumn, int row) {
  if (byteColumn < 0 || byteColumn >= kLcdRowBytes || row < 0 || row >= kLcdHeight) return 0;
  LcdState& s = L();
  std::lock_guard<std::mutex> lock(s.mutex);
  return static_cast<uint8_t>(~s.image[row * kLcdRowBytes + byteColumn]);
}

void HostLcdWriteByte(int byteColumn, int row, uint8_t dots) {
  if (byteColumn < 0 || byteColumn >= kLcdRowBytes || row < 0 || row >= kLcdHeight) return;
  LcdState& s = L();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.image[row * kLcdRowBytes + byteColumn] = static_cast<uint8_t>(~dots);
}

void PutDisplay() {
  LcdImageFromVram();
  Draw();
  UpdateStatus();
}

void HostBlitLcd() { Draw(); }

void ClearLcd() {
  LcdState& s = L();
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.held) CopyVramLocked(s);
    std::memset(s.image, 0xFF, kLcdBytes);
  }
  Draw();
}

void SetBusyIndicator() {
  LcdState& s = L();
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    for (int row = 0; row < 4; ++row) s.image[row * kLcdRowBytes + 15] &= 0xF0;
  }
  Draw();
}

void HostSetGraphCursor(int32_t x, int32_t y) {
  x = x < 0 ? 0 : (x > kLcdWidth - 1 ? kLcdWidth - 1 : x);
  y = y < 0 ? 0 : (y > kLcdHeight - 1 ? kLcdHeight - 1 : y);
  {
    LcdState& s = L();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.graphCursor = GraphCursorInfo{true, static_cast<int>(x), static_cast<int>(y)};
  }
  const OsHooks& hooks = HostOsHooks();
  if (hooks.setGraphCursorPosition) hooks.setGraphCursorPosition(x, y);
}

GraphCursorInfo HostGraphCursor() {
  LcdState& s = L();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.graphCursor;
}

void HostClearGraphCursor() {
  LcdState& s = L();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.graphCursor.active = false;
}

void LcdResetForTest() {
  LcdState& s = L();
  std::lock_guard<std::mutex> lock(s.mutex);
  std::memset(s.image, 0xFF, kLcdBytes);
  s.held = false;
  s.replayRunning = false;
  s.note.clear();
  s.lastMessage.clear();
  s.lastTitle.clear();
  s.statusSent = false;
  s.graphCursor = GraphCursorInfo{};
}
