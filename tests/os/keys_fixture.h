// Shared set-up of the key, menu and pop-up tests: the display fixture plus
// empty menus, a fresh key state and English messages. Keys are posted
// before the code under test reads them; a read with nothing queued ends the
// test instead of waiting forever.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "host/services/key_tables.h"
#include "os/getkey.h"
#include "os/menu.h"
#include "os/messages.h"
#include "os/popup.h"
#include "tests/os/display_fixture.h"

struct NoKeysLeft {};

class KeysTest : public DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    OsHooks hooks = HostOsHooks();
    hooks.beforeWait = [] {
      if (KeyQueueCount() == 0) throw NoKeysLeft{};
    };
    HostInstallOsHooks(hooks);
    ResetMenus();
    ResetKeyState();
    SetLanguage(kLanguageEnglish);
  }

 public:
  // Face keys by the names the host's key map gives them.
  static void Press(std::initializer_list<const char*> names) {
    for (const char* n : names) {
      const KeyMapRow* k = KeyMapByName(n);
      ASSERT_NE(k, nullptr) << n;
      PostKey(k->row, k->column, 0, 0);
    }
  }
  static void Press(const char* name) { Press({name}); }
  static void PostControl(uint32_t code) { PostCode(static_cast<uint16_t>(code), 0); }
  static void PostChar(uint32_t code) { PostCode(static_cast<uint16_t>(code), 1); }
  // Posts characters (codes below 30000) and control codes (30000 up).
  static void Post(std::initializer_list<uint32_t> codes) {
    for (uint32_t c : codes) c < 30000 ? PostChar(c) : PostControl(c);
  }

  struct Read {
    int isChar = -1;
    uint32_t code = 0;
    bool ranOut = false;
  };
  // One GetKey; ranOut when it wanted a key that was not posted.
  static Read ReadKey() {
    Read r;
    r.ranOut = RanOutOfKeys([&] { r.isChar = GetKey(&r.code); });
    return r;
  }
  // One GetKey as {isChar, code}, for comparing with Got(...); -1 when it
  // ran out of keys.
  using Got = std::pair<int, uint32_t>;
  static Got Key() {
    const Read r = ReadKey();
    return {r.ranOut ? -1 : r.isChar, r.code};
  }
  // Runs f (which reads keys) and reports whether it ran out of keys.
  template <typename F>
  static bool RanOutOfKeys(F f) {
    try {
      f();
    } catch (const NoKeysLeft&) {
      return true;
    }
    return false;
  }

  // What the display shows, in Vram's sense (1 = dark): after a dialog has
  // closed, the LCD image still holds the last picture it pushed.
  static std::vector<uint8_t> ShownScreen() {
    std::vector<uint8_t> lcd = LcdCopy();
    for (uint8_t& b : lcd) b = static_cast<uint8_t>(~b);
    return lcd;
  }
  // The menu stack and history, bottom first.
  static std::vector<int> Stack() { return List(MenuStackSize, MenuStackAt); }
  static std::vector<int> History() { return List(MenuHistorySize, MenuHistoryAt); }
  static std::vector<int> List(int (*size)(), int (*at)(int)) {
    std::vector<int> list;
    for (int i = 0; i < size(); ++i) list.push_back(at(i));
    return list;
  }
};
