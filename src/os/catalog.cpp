#include "os/catalog.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "os/draw.h"
#include "os/fkey_labels.h"
#include "os/getkey.h"
#include "os/menu.h"
#include "os/text.h"
#include "os/vram.h"

namespace {

// The commands in the order of their names; the names themselves come from
// the token name table through the installed lookup.
constexpr CatalogEntry kCommands[] = {
    {0x7F29, 0, ' '}, {0x13, 0, ' '},   {0x11, 0, ' '},      {0x12, 0, ' '},   {0x10, 0, ' '},
    {0x0C, 0, ' '},   {0x3F, 0, ' '},   {0x97, 0, 'A'},      {0x7FB0, 0, 'A'}, {0xC0, 0, 'A'},
    {0x7F22, 0, 'A'}, {0x7F49, 0, 'A'}, {0xF70D, 0, 'B'},    {0xF7A6, 0, 'C'}, {0xF719, 0, 'C'},
    {0xF71A, 0, 'C'}, {0xF91E, 0, 'C'}, {0xF718, 0, 'C'},    {0xD1, 0, 'C'},   {0x7F23, 0, 'C'},
    {0x82, 0, 'C'},   {0x92, 0, 'C'},   {0xA2, 0, 'C'},      {0xB2, 0, 'C'},   {0x7F4F, 0, 'C'},
    {0x7F26, 0, 'D'}, {0xDA, 0, 'D'},   {0x7F21, 0, 'D'},    {0x7F46, 0, 'D'}, {0xF70A, 0, 'D'},
    {0xF720, 0, 'D'}, {0xE8, 0, 'D'},   {0xF702, 0, 'E'},    {0xDD, 0, 'E'},   {0xEA, 0, 'F'},
    {0x7F47, 0, 'F'}, {0xE3, 0, 'F'},   {0x7F2B, 0, 'F'},    {0x7F2A, 0, 'F'}, {0xF704, 0, 'F'},
    {0xB6, 0, 'F'},   {0x7F8F, 0, 'G'}, {0xEC, 0, 'G'},      {0xDC, 0, 'G'},   {0x7F48, 0, 'I'},
    {0xF700, 0, 'I'}, {0xF703, 0, 'I'}, {0x7F25, 0, 'I'},    {0xA6, 0, 'I'},   {0xDE, 0, 'I'},
    {0xE9, 0, 'I'},   {0xE2, 0, 'L'},   {0xE1, 0, 'L'},      {0x7F51, 0, 'L'}, {0x7F4A, 0, 'L'},
    {0x85, 0, 'L'},   {0xF710, 0, 'L'}, {0x95, 0, 'L'},      {0x7F85, 0, 'L'}, {0xF70B, 0, 'L'},
    {0x7F40, 0, 'M'}, {0x7F4B, 0, 'M'}, {0x7F20, 0, 'M'},    {0x7F2E, 0, 'M'}, {0x7F2F, 0, 'M'},
    {0x7F2D, 0, 'M'}, {0x8E, 0, 'M'},   {0xB7, 0, 'N'},      {0xF707, 0, 'N'}, {0xD9, 0, 'N'},
    {0xA7, 0, 'N'},   {0x7FB1, 0, 'O'}, {0x7F4E, 0, 'P'},    {0xE0, 0, 'P'},   {0x80, 0, 'P'},
    {0x7F4D, 0, 'P'}, {0xED, 0, 'P'},   {0xF7AD, 0, 'P'},    {0xF7AC, 0, 'P'}, {0xF7AB, 0, 'P'},
    {0xF7AF, 0, 'P'}, {0xDB, 0, 'R'},   {0xC1, 0, 'R'},      {0xF79F, 0, 'R'}, {0xF794, 0, 'R'},
    {0xA0, 0, 'R'},   {0x7F24, 0, 'R'}, {0xF70C, 0, 'R'},    {0xD3, 0, 'R'},   {0x7F86, 0, 'R'},
    {0xE4, 0, 'S'},   {0x7F2C, 0, 'S'}, {0x81, 0, 'S'},      {0x91, 0, 'S'},   {0xA1, 0, 'S'},
    {0xB1, 0, 'S'},   {0x7F28, 0, 'S'}, {0xF7B0, 0, 'S'},    {0xF7B1, 0, 'S'}, {0xF706, 0, 'S'},
    {0xF70E, 0, 'S'}, {0xF793, 0, 'S'}, {0x7F4C, 0, 'S'},    {0x83, 0, 'T'},   {0x93, 0, 'T'},
    {0xA3, 0, 'T'},   {0xB3, 0, 'T'},   {0xF7A5, 0, 'T'},    {0xF701, 0, 'T'}, {0xF705, 0, 'T'},
    {0x7F41, 0, 'T'}, {0xEB, 0, 'V'},   {0xF708, 0, 'W'},    {0xF709, 0, 'W'}, {0x8A, 0, 'X'},
    {0x9A, 0, 'X'},   {0xF920, 0, 'Z'}, {kCatalogEnd, 0, 0},
};

constexpr int kShownLines = 6;
constexpr int kNameColumns = 20;
constexpr uint16_t kCatalogInhibit = 231;  // no OPTN, VARS, PRGM, bars or nested CATALOG

void HexName(uint16_t code, char* buffer, size_t capacity) {
  std::snprintf(buffer, capacity, code > 0xFF ? "0x%04X" : "0x%02X", code);
}

CommandNameLookup gLookup = HexName;

// The catalog's own bar: INPUT types the selected command like EXE does.
const MenuEntry* CatalogMenu() {
  static MenuEntry entries[kMenuEntries];
  static bool made = false;
  if (!made) {
    for (MenuEntry& e : entries) e = MenuEntry{0, kEntryChar, 0};
    entries[0] = MenuEntry{static_cast<int16_t>(FKeyIconOfLabel("INPT")), kEntryControl, kKeyExe};
    made = true;
  }
  return entries;
}

void DrawList(int first, int selected, int count) {
  ClearArea(0, 0, 127, kShownLines * 8 + 7);
  for (int line = 0; line < kShownLines && first + line < count; ++line) {
    char name[32];
    CommandName(static_cast<uint16_t>(kCommands[first + line].code), name, sizeof name);
    Locate(1, line + 1);
    if (first + line == selected)
      PrintRevPadded(name, kNameColumns);
    else
      PrintPadded(name, kNameColumns);
  }
  if (first > 0) {
    Locate(21, 1);
    Print("\xE6\x92");
  }
  if (first + kShownLines < count) {
    Locate(21, kShownLines);
    Print("\xE6\x93");
  }
}

}  // namespace

const CatalogEntry* CatalogCommands() {
  return kCommands;
}

size_t CatalogCommandCount() {
  return std::size(kCommands) - 1;
}

void SetCommandNameLookup(CommandNameLookup lookup) {
  gLookup = lookup ? lookup : HexName;
}

void CommandName(uint16_t code, char* buffer, size_t capacity) {
  if (capacity == 0) return;
  buffer[0] = 0;
  gLookup(code, buffer, capacity);
  buffer[capacity - 1] = 0;
}

int CatalogJump(uint32_t letter) {
  if (letter >= 'a' && letter <= 'z') letter -= 32;
  const int count = static_cast<int>(CatalogCommandCount());
  if (letter == ' ') {
    for (int i = 0; i < count; ++i)
      if (kCommands[i].sortLetter == ' ') return i;
    return -1;
  }
  if (letter < 'A' || letter > 'Z') return -1;
  int later = -1;
  for (int i = 0; i < count; ++i) {
    const uint32_t s = kCommands[i].sortLetter;
    if (s == letter) return i;
    if (later < 0 && s > letter && s != ' ') later = i;
  }
  return later;
}

uint32_t Catalog() {
  SaveScreen(1);
  const uint16_t inhibit = GetKeyInhibit();
  const uint8_t shift = GetShiftState();
  const MenuEntry* appMenu = MenuEntriesOf(kMenuCatalog);
  CursorState cursor;
  SaveCursor(&cursor);
  HideCursor();
  SetKeyInhibit(kCatalogInhibit);
  RegisterMenu(kMenuCatalog, CatalogMenu());
  EnterMenuGroup(kMenuCatalog);

  const int count = static_cast<int>(CatalogCommandCount());
  int selected = 0, first = 0;
  uint32_t chosen = 0;
  for (bool done = false; !done;) {
    if (selected < first) first = selected;
    if (selected >= first + kShownLines) first = selected - kShownLines + 1;
    DrawList(first, selected, count);
    if (GetShiftState() == kShiftNone) SetShiftState(kShiftAlphaLock);
    uint32_t code = 0;
    if (GetKey(&code)) {
      int to = CatalogJump(code);
      if (to >= 0) selected = to;
      continue;
    }
    switch (code) {
      case kKeyUp:
        selected = selected == 0 ? count - 1 : selected - 1;
        break;
      case kKeyDown:
        selected = selected == count - 1 ? 0 : selected + 1;
        break;
      case kKeyExe:
        chosen = kCommands[selected].code;
        done = true;
        break;
      case kKeyExit:
      case kKeyAc:
      case kKeyQuit:
        done = true;
        break;
      default:
        break;
    }
  }

  LeaveMenuGroup();
  RegisterMenu(kMenuCatalog, appMenu);
  RestoreScreen(1);
  SetShiftState(shift);
  SetKeyInhibit(inhibit);
  RestoreCursor(cursor);
  return chosen;
}
