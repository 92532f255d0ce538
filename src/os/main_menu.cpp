#include "os/main_menu.h"

#include <cstring>

#include "os/app_table.h"
#include "os/boot.h"
#include "os/getkey.h"
#include "os/key_matrix.h"
#include "os/menu.h"
#include "os/text.h"
#include "os/vram.h"

namespace {

constexpr int kLastIcon = kAppCount - 1;
constexpr int kSlotRows[3] = {7, 26, 45};
constexpr uint16_t kArrowUp = 0xE692;
constexpr uint16_t kArrowDown = 0xE693;

// Keypad keys that carry a letter count as that letter outside ALPHA.
struct KeypadLetter {
  uint32_t code;
  char letter;
};
constexpr KeypadLetter kKeypadLetters[] = {
    {kKeyXThetaT, 'A'}, {149, 'B'}, {133, 'C'}, {129, 'D'}, {130, 'E'}, {131, 'F'},
    {187, 'G'},         {kKeyFractionDecimal, 'H'}, {'(', 'I'}, {')', 'J'}, {',', 'K'}, {14, 'L'},
    {169, 'S'},         {185, 'T'}, {137, 'X'}, {153, 'Y'}, {'0', 'Z'},
};

void OrBits(int x, int y, const uint8_t* bits, int widthBytes, int drawWidth) {
  for (int c = 0; c < drawWidth; ++c)
    if (bits[c / 8] & (0x80 >> (c % 8))) SetPixel(x + c, y, true);
  (void)widthBytes;
}

void InvertBox(int x, int y, int width, int height) {
  for (int r = 0; r < height; ++r)
    for (int c = 0; c < width; ++c) SetPixel(x + c, y + r, !GetPixel(x + c, y + r));
}

void PrintCode(int column, int line, uint16_t code) {
  char text[3];
  int n = EncodeCharCode(code, text);
  text[n] = 0;
  Locate(column, line);
  Print(text);
}

// Keeps the selection inside the three rows shown.
void FollowSelection(int selection) {
  uint16_t& top = Os().menuTopRow;
  if (selection / 4 < top) top = static_cast<uint16_t>(selection / 4);
  if (selection / 4 > top + 2) top = static_cast<uint16_t>(selection / 4 - 2);
}

// The icon a key chooses, or -1.
int IconOfKey(int isChar, uint32_t code) {
  if (isChar && code >= '1' && code <= '9') return static_cast<int>(code - '1');
  if (isChar && code >= 'A' && code <= 'Z') return static_cast<int>(code - 'A') + 9;
  if (isChar && code >= 'a' && code <= 'z') return static_cast<int>(code - 'a') + 9;
  if (GetShiftState() & kShiftAlpha) return -1;
  for (const KeypadLetter& k : kKeypadLetters)
    if (k.code == code) return k.letter - 'A' + 9;
  return -1;
}

}  // namespace

void DrawMainMenu(int selection) {
  ClearVram();
  std::memcpy(VramAddress(), MainMenuTitle(), 7 * 16);
  FollowSelection(selection);
  int top = Os().menuTopRow;
  for (int s = 0; s < 12; ++s) {
    int index = top * 4 + s;
    const AppRow* row = ApplicationRow(index);
    if (!row) continue;
    int x = (s % 4) * 30, y = kSlotRows[s / 4];
    for (int r = 0; r < kAppIconHeight; ++r)
      OrBits(x, y + 1 + r, row->icon + r * kAppIconRowBytes, kAppIconRowBytes, kAppIconWidth);
    static const uint8_t kBar[4] = {0x7F, 0xFF, 0xFF, 0xFC};
    OrBits(x, y + 18, kBar, 4, kAppIconWidth);
    if (index == selection) InvertBox(x, y, kAppIconWidth, 19);
  }
  if (top > 0) PrintCode(21, 2, kArrowUp);
  if (top * 4 + 12 <= kLastIcon) PrintCode(21, 8, kArrowDown);
}

void MainMenu() {
  OsState& os = Os();
  int selection = os.current.index <= kLastIcon ? os.current.index : 0;
  os.mode = kModeSystem;
  os.menuActive = 1;
  ResetTextCursor();
  for (;;) {
    os.menuSelection = static_cast<uint16_t>(selection);
    DrawMainMenu(selection);
    uint32_t code = 0;
    int isChar = GetKey(&code);
    int icon = IconOfKey(isChar, code);
    int launch = -1;
    if (icon >= 0) {
      SetShiftState(kShiftNone);
      if (icon <= kLastIcon) launch = icon;
    } else if (!isChar && code == kKeyMenu) {
      if (os.menuActive == 1) {
        DisarmBreak();
        break;
      }
    } else if ((!isChar && code == kKeyExe) || (isChar && code == 13)) {
      launch = selection;
    } else if (!isChar && code == kKeyShift) {
      SetShiftState(GetShiftState() & 1);
    } else if (!isChar && (code == kKeyUp || code == kKeyLeft)) {
      if (code == kKeyUp && selection >= 4) selection -= 4;
      if (code == kKeyLeft && selection > 0) selection -= 1;
    } else if (!isChar && code == kKeyRight) {
      if (selection < kLastIcon) selection += 1;
    } else if (!isChar && code == kKeyDown) {
      if (selection + 4 <= kLastIcon)
        selection += 4;
      else if (kLastIcon / 4 > selection / 4)
        selection = kLastIcon;
    }
    if (launch < 0) continue;
    selection = launch;
    os.menuActive = 0;
    os.mode = os.savedMode;
    if (LaunchApplication(launch, 0) == 3) break;  // the interrupted one resumes
    os.mode = kModeSystem;
    os.menuActive = 1;
  }
  os.menuActive = 0;
  os.mode = os.savedMode;
  FlushKeys();
}

void ShowMainMenuNested() {
  CursorState cursor;
  SaveCursor(&cursor);
  int barDisplay = MenuBarDisplay();
  SetMenuBarDisplay(0);
  uint8_t shift = GetShiftState();
  SetShiftState(kShiftNone);
  uint16_t inhibit = GetKeyInhibit();
  SetKeyInhibit(231);
  uint8_t suspend = MenuSuspend();
  if (!(suspend & 0x68)) ClearMenuSuspendBits(0xFF);
  uint8_t screen[kVramBytes];
  std::memcpy(screen, VramAddress(), kVramBytes);
  HideCursor();
  MainMenu();
  std::memcpy(VramAddress(), screen, kVramBytes);
  PutDisplay();
  ClearMenuSuspendBits(0xFF);
  SetMenuSuspendBits(suspend);
  SetShiftState(shift);
  SetKeyInhibit(inhibit);
  RestoreCursor(cursor);
  SetMenuBarDisplay(barDisplay);
}
