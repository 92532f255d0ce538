// Shared set-up of the key, menu and pop-up tests: the display fixture plus
// empty menus, a fresh key state and English messages. Keys are posted
// before the code under test reads them; a read with nothing queued ends the
// test instead of waiting forever.
#pragma once

#include <cstdint>
#include <initializer_list>
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
  // A face key by the name the host's key map gives it.
  static void Press(const char* name) {
    const KeyMapRow* k = KeyMapByName(name);
    ASSERT_NE(k, nullptr) << name;
    PostKey(k->row, k->column, 0, 0);
  }
  static void Press(std::initializer_list<const char*> names) {
    for (const char* n : names) Press(n);
  }
  static void PostControl(uint32_t code) { PostCode(static_cast<uint16_t>(code), 0); }
  static void PostChar(uint32_t code) { PostCode(static_cast<uint16_t>(code), 1); }

  struct Read {
    int isChar = -1;
    uint32_t code = 0;
    bool ranOut = false;
  };
  // One GetKey; ranOut when it wanted a key that was not posted.
  static Read ReadKey() {
    Read r;
    try {
      r.isChar = GetKey(&r.code);
    } catch (const NoKeysLeft&) {
      r.ranOut = true;
    }
    return r;
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

  static std::vector<int> Stack() {
    std::vector<int> s;
    for (int i = 0; i < MenuStackSize(); ++i) s.push_back(MenuStackAt(i));
    return s;
  }
  static std::vector<int> History() {
    std::vector<int> h;
    for (int i = 0; i < MenuHistorySize(); ++i) h.push_back(MenuHistoryAt(i));
    return h;
  }
};
