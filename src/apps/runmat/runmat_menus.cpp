#include "apps/runmat/runmat_menus.h"

#include <cstring>
#include <iterator>
#include <string>

#include "apps/runmat/runmat_app.h"
#include "math/bcd_text.h"
#include "math/interp_screen.h"
#include "os/charset.h"
#include "os/fkey_labels.h"
#include "os/getkey.h"
#include "os/key_matrix.h"
#include "os/menu.h"
#include "os/setup.h"
#include "os/text.h"

namespace {

// ---- RUN-MAT's bar -------------------------------------------------------------------
constexpr int kMenuBase = 0;
constexpr int kMenuConvert = 1;
constexpr int kMenuConvert2 = 2;
constexpr int kMenuSetting = 10;  // 10 + item index: the choices that set
constexpr int kMenuTyping = 20;   // 20 + item index: the commands that type
constexpr int kMenuDigits = 30;   // Fix and Sci digits 0-4, then 5-9
constexpr int kMenuDigits2 = 31;

constexpr uint32_t kChoiceCode = 31100;  // + choice index: set the selected item
constexpr uint32_t kDigitCode = 31200;   // + digit

struct EntrySpec {
  const char* label;
  uint16_t kind;
  uint32_t value;
};

// The conversion tokens: ►Dec ►Hex ►Bin ►Oct ►DMS, ►a+bi ►r∠θ.
constexpr EntrySpec kBaseSpec[kMenuEntries] = {{"CONV", kEntrySubmenu, kMenuConvert},
                                               {nullptr, 0, 0},
                                               {nullptr, 0, 0},
                                               {nullptr, 0, 0},
                                               {"ENG←", kEntryControl, kKeyEngDown},
                                               {"ENG→", kEntryControl, kKeyEngUp}};
constexpr EntrySpec kConvertSpec[kMenuEntries] = {
    {"►Dec", kEntryChar, 0xF901}, {"►Hex", kEntryChar, 0xF902},
    {"►Bin", kEntryChar, 0xF903}, {"►Oct", kEntryChar, 0xF904},
    {"►DMS", kEntryChar, 0xF905}, {"►", kEntryReplace, kMenuConvert2}};
constexpr EntrySpec kConvert2Spec[kMenuEntries] = {{"►a+bi", kEntryChar, 0xF906},
                                                   {"►r∠θ", kEntryChar, 0xF907},
                                                   {nullptr, 0, 0},
                                                   {nullptr, 0, 0},
                                                   {nullptr, 0, 0},
                                                   {"►", kEntryReplace, kMenuConvert}};

// ---- The SETUP items -----------------------------------------------------------------
enum : uint8_t { kFix = 100, kSci, kNorm, kEng };  // the Display item's choices

struct Choice {
  const char* label;
  uint8_t value;   // the item's value, or kFix ... kEng for Display
  uint16_t token;  // the command that sets it in a program, 0 for none
};
struct Item {
  uint8_t item;
  Choice choices[kMenuEntries];
};

const Item kItems[] = {
    {kSetupInputMode, {{"Math", 0, 0}, {"Line", 1, 0}}},
    {kSetupBaseMode,
     {{"Comp", 0, 0}, {"Dec", 9, 0xD4}, {"Hex", 15, 0xD5}, {"Bin", 1, 0xD6}, {"Oct", 7, 0xD7}}},
    {kSetupFracResult, {{"d/c", 0, 0xF7CE}, {"ab/c", kFracResultMixed, 0xF7CD}}},
    {kSetupAngle, {{"Deg", 0, 0xDA}, {"Rad", 1, 0xDB}, {"Gra", 2, 0xDC}}},
    {kSetupComplexMode, {{"Real", 0, 0xF908}, {"a+bi", 1, 0xF909}, {"r∠θ", 2, 0xF90A}}},
    {kSetupDisplay,
     {{"Fix", kFix, 0xE3}, {"Sci", kSci, 0xE4}, {"Norm", kNorm, 0xD9}, {"Eng", kEng, 0xDD}}},
};
constexpr int kItemCount = int(std::size(kItems));

MenuEntry gBase[kMenuEntries], gConvert[kMenuEntries], gConvert2[kMenuEntries];
MenuEntry gSetting[kItemCount][kMenuEntries], gTyping[kItemCount][kMenuEntries];
MenuEntry gDigits[kMenuEntries], gDigits2[kMenuEntries];

MenuEntry Entry(const char* label, uint16_t kind, uint32_t value) {
  if (!label) return MenuEntry{0, kEntryChar, 0};
  // The "►" of a further page is the system's own icon.
  int16_t icon = std::strcmp(label, "►") == 0 ? int16_t(FKeyIconOfLabel(label)) : RunMatIcon(label);
  return MenuEntry{icon, kind, value};
}

void Fill(MenuEntry* out, const EntrySpec* entries) {
  for (int i = 0; i < kMenuEntries; ++i) out[i] = Entry(entries[i].label, entries[i].kind, entries[i].value);
}

void ShowBar(int menu) {
  while (MenuStackSize() > 0) PopMenu(kPopTop);
  PushMenu(menu);
}

// ---- Changing an item ------------------------------------------------------------------
void ApplyChoice(const Item& item, const Choice& c) {
  uint8_t display = GetSetupItem(kSetupDisplay);
  if (item.item != kSetupDisplay) {
    SetSetupItem(item.item, c.value);
  } else if (c.value == kNorm) {
    // Norm 1 and Norm 2 take turns, the engineering bit stays.
    SetSetupItem(kSetupDisplay,
                 uint8_t((display & kBcdEngBit) | ((display & 0x70) == 0 ? 0x10 : 0)));
  } else if (c.value == kEng) {
    SetSetupItem(kSetupDisplay, uint8_t(display ^ kBcdEngBit));
  }
}

}  // namespace

int16_t RunMatIcon(const char* utf8) {
  std::string calc = Utf8ToCalc(utf8);
  for (int n = 0; n < kUserIconCount; ++n)
    if (calc == UserIconLabel(n)) return int16_t(~n);
  return 0;
}

void RunMatRegisterMenus() {
  for (int f = 0; f < kMenuFamilyCount; ++f) RegisterMenuFamily(static_cast<MenuFamily>(f), 1);
  Fill(gBase, kBaseSpec);
  Fill(gConvert, kConvertSpec);
  Fill(gConvert2, kConvert2Spec);
  RegisterMenu(kMenuBase, gBase);
  RegisterMenu(kMenuConvert, gConvert);
  RegisterMenu(kMenuConvert2, gConvert2);
  for (int i = 0; i < kItemCount; ++i) {
    for (int c = 0; c < kMenuEntries; ++c) {
      const Choice& ch = kItems[i].choices[c];
      gSetting[i][c] = Entry(ch.label, kEntryControl, kChoiceCode + uint32_t(c));
      gTyping[i][c] = ch.token ? Entry(ch.label, kEntryChar, ch.token) : Entry(nullptr, 0, 0);
    }
    RegisterMenu(kMenuSetting + i, gSetting[i]);
    RegisterMenu(kMenuTyping + i, gTyping[i]);
  }
  for (int d = 0; d < 5; ++d) {
    const char label[2] = {char('0' + d), 0};
    const char label2[2] = {char('5' + d), 0};
    gDigits[d] = Entry(label, kEntryControl, kDigitCode + uint32_t(d));
    gDigits2[d] = Entry(label2, kEntryControl, kDigitCode + 5 + uint32_t(d));
  }
  gDigits[5] = Entry("►", kEntryReplace, kMenuDigits2);
  gDigits2[5] = Entry("►", kEntryReplace, kMenuDigits);
  RegisterMenu(kMenuDigits, gDigits);
  RegisterMenu(kMenuDigits2, gDigits2);
}

void RunMatShowBaseBar() {
  ShowBar(kMenuBase);
}

void RunMatSetupScreen(LineEditor*) {
  uint8_t items[kItemCount];
  for (int i = 0; i < kItemCount; ++i) items[i] = kItems[i].item;
  uint16_t inhibit = GetKeyInhibit();
  // The SHIFT key picks the typing bar here; the other menus stay shut.
  OrKeyInhibit(kInhibitShiftBar | kInhibitOptn | kInhibitVars | kInhibitPrgm);
  int selected = 0, first = 0;
  bool typing = false;
  int digitsFor = 0;  // kFix or kSci while the digit bar is up
  for (;;) {
    HideCursor();
    ShowSetupList(items, kItemCount - 1, first, selected);
    if (digitsFor == 0 || CurrentMenu() < kMenuDigits) {
      ShowBar(digitsFor ? kMenuDigits : (typing ? kMenuTyping : kMenuSetting) + selected);
    }
    uint32_t code = 0;
    int isChar = GetKey(&code);
    if (isChar) {
      if (digitsFor && code >= '0' && code <= '9') {
        code = kDigitCode + (code - '0');
      } else {
        if (typing && code) {
          RunMatTypeToken(uint16_t(code));
          break;
        }
        continue;
      }
    }
    if (code == kKeyShift) {
      typing = GetShiftState() == kShiftShift;
      continue;
    }
    typing = false;
    if (code == kKeyExit || code == kKeyQuit || code == kKeyAc) {
      if (digitsFor) {
        digitsFor = 0;
        continue;
      }
      break;
    }
    if (code == kKeyUp || code == kKeyDown) {
      digitsFor = 0;
      selected = (selected + (code == kKeyUp ? kItemCount - 1 : 1)) % kItemCount;
      if (selected < first) first = selected;
      if (selected >= first + kScreenLines) first = selected - kScreenLines + 1;
      continue;
    }
    const Item& item = kItems[selected];
    if (code >= kChoiceCode && code < kChoiceCode + kMenuEntries) {
      const Choice& c = item.choices[code - kChoiceCode];
      if (!c.label) continue;
      if (item.item == kSetupDisplay && (c.value == kFix || c.value == kSci)) {
        digitsFor = c.value;
        continue;
      }
      ApplyChoice(item, c);
    }
    if (digitsFor && code >= kDigitCode && code <= kDigitCode + 9) {
      uint8_t eng = GetSetupItem(kSetupDisplay) & kBcdEngBit;
      SetSetupItem(kSetupDisplay,
                   uint8_t(eng | (digitsFor == kFix ? 0x20 : 0x30) | (code - kDigitCode)));
      digitsFor = 0;
    }
  }
  SetKeyInhibit(inhibit);
  RunMatShowBaseBar();
}
