// libFuzzer target: whatever the directory sector of an image holds, the
// start-up check formats it or mounts a consistent store, and reading every
// file stays inside the image. Opt-in, built with clang only.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "memory/flash_emu.h"
#include "memory/fs_api.h"
#include "memory/fs_store.h"
#include "memory/opt_run.h"

namespace {

std::vector<uint8_t> BaseImage() {
  FlashEmu emu;
  FlashEmuInit(&emu);
  FlashAttach(FlashEmuMedium(&emu));
  SmFormat(false, nullptr);
  const char16_t* names[] = {u"\\\\fls0\\A.g1m", u"\\\\fls0\\B.g1a", u"\\\\fls0\\C.txt"};
  std::vector<uint8_t> data(70000, 0x5A);
  for (int i = 0; i < 3; ++i) {
    FsCreate(names[i], 1, uint32_t(10000 * (i + 1)));
    int h = FsOpen(names[i], 1);
    FsWrite(h, data.data(), 10000 * (i + 1));
    FsClose(h);
  }
  FsDelete(names[1]);
  FlashDetach();
  return emu.bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
  static const std::vector<uint8_t> base = BaseImage();
  static FlashEmu emu;
  emu.bytes = base;
  emu.violations = 0;
  FlashEmuPowerOn(&emu);
  // The input replaces the start of the directory; a longer one also
  // patches the trailer.
  std::memcpy(emu.bytes.data(), input, size < 8192 ? size : 8192);
  if (size > 8192)
    std::memcpy(emu.bytes.data() + kTrailerOffset, input + 8192,
                size - 8192 < 32 ? size - 8192 : 32);
  FlashAttach(FlashEmuMedium(&emu));
  Fs() = FsState{};
  if (StorageStartup(nullptr, nullptr) == 0) {
    if (SmCheck(false) != 0) __builtin_trap();
    int h;
    char16_t name[kFileNameMax + 1];
    FsFindInfo info;
    std::vector<uint8_t> buf;
    if (FsFindFirst(u"\\\\fls0\\*.*", &h, name, &info) == 0) {
      do {
        std::u16string path = std::u16string(u"\\\\fls0\\") + name;
        int f = FsOpen(path.c_str(), 1);
        if (f >= 0) {
          buf.resize(size_t(FsSize(f)) + 1);
          FsRead(f, buf.data(), int(buf.size()), 0);
          FsClose(f);
        }
      } while (FsFindNext(h, name, &info) == 0);
      FsFindClose(h);
    }
  }
  if (emu.violations) __builtin_trap();
  FlashDetach();
  return 0;
}
