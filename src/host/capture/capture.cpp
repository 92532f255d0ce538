#include "host/capture/capture.h"

#include "host/capture/screen_files.h"
#include "host/services/front_end.h"
#include "host/services/key_input.h"
#include "os/clip_buffer.h"

namespace {

constexpr int kShiftClip = 2;
// The copy key leaves the queue within a poll or two; the clip buffer is
// filled when the OS waits for its next key. Past these a copy gives up.
constexpr int kCopyPollMs = 10;
constexpr int kCopyGiveUpMs = 5000;

int ShiftState() {
  const OsHooks& hooks = HostOsHooks();
  return hooks.getShiftState ? hooks.getShiftState() : 0;
}

}  // namespace

void CaptureScreenPlane(uint8_t plane[kLcdBytes], int quietWaitMs) {
  const OsHooks& hooks = HostOsHooks();
  // Vram is the OS's own: read it only while the OS waits for a key.
  if (hooks.vram && HostWaitOsIdle(quietWaitMs)) {
    const uint8_t* vram = hooks.vram();
    for (int i = 0; i < kLcdBytes; ++i) plane[i] = vram[i];
    return;
  }
  LcdImageSnapshot(plane);
  for (int i = 0; i < kLcdBytes; ++i) plane[i] = static_cast<uint8_t>(~plane[i]);
}

bool CaptureScreenToFile(const std::string& path) {
  uint8_t plane[kLcdBytes];
  CaptureScreenPlane(plane);
  return WriteFileBytes(path, EncodeScreenBmp(plane, kLcdWidth, kLcdHeight));
}

std::string CaptureScreenToFolder(const std::string& folder) {
  std::string path = NextCaptureName(folder);
  return CaptureScreenToFile(path) ? path : std::string();
}

bool CanCopyClipText() {
  return HostKeyLogMode() != 2 && ShiftState() == kShiftClip;
}

bool CanPasteText() {
  return HostKeyLogMode() != 2;
}

std::string CopyClipText(const std::function<void(int)>& pause) {
  if (!CanCopyClipText()) return {};
  PostCode(kCalcKeyCopy, 0);
  int waited = 0;
  while (IsCodeQueued(kCalcKeyCopy) && waited < kCopyGiveUpMs) {
    pause(kCopyPollMs);
    waited += kCopyPollMs;
  }
  // The buffer is full once the OS has finished with the key and waits
  // again; the UI side keeps handling its events meanwhile.
  while (!HostOsIdle() && waited < kCopyGiveUpMs) {
    pause(kCopyPollMs);
    waited += kCopyPollMs;
  }
  return ClipBufferText();
}

bool PasteText(const std::string& utf8, std::string* dropped) {
  if (!CanPasteText()) return false;
  ClipBufferPutText(utf8.c_str(), dropped);
  PostCode(kCalcKeyPaste, 0);
  return true;
}
