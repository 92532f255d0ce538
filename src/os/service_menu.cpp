#include "os/service_menu.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "math/bcd_text.h"
#include "memory/mcs_core.h"
#include "memory/mem_app.h"
#include "os/fkey_labels.h"
#include "os/font.h"
#include "os/getkey.h"
#include "os/menu.h"
#include "os/messages.h"
#include "os/popup.h"
#include "os/text.h"
#include "os/vram.h"

namespace {

constexpr int kMsgTitle = 340;
constexpr int kMsgVariables = 341;
constexpr int kMsgFonts = 342;
constexpr int kMsgAddin = 343;
constexpr int kServiceMenu = 97;  // borrowed application slots, given back on leaving
constexpr int kToolMenu = 96;
constexpr int kListLines = 6;  // lines 2..7 under the title
constexpr const char* kNewLine = "\xF9\xCA\xF9\xCD";

std::string Message(int number) {
  char buffer[kMessageBufferBytes];
  const char* text = GetMessage(number, buffer);
  return text ? text : "";
}

// Borrows an application menu slot and enters it as a group for as long as
// a screen is open.
class MenuScope {
 public:
  MenuScope(int number, const MenuEntry* entries) : number_(number), saved_(MenuEntriesOf(number)) {
    RegisterMenu(number, entries);
    EnterMenuGroup(number);
  }
  ~MenuScope() {
    LeaveMenuGroup();
    RegisterMenu(number_, saved_);
  }
  MenuScope(const MenuScope&) = delete;
  MenuScope& operator=(const MenuScope&) = delete;

 private:
  int number_;
  const MenuEntry* saved_;
};

// A bar of F-keys that return their own codes, labelled by label text.
struct ToolBar {
  MenuEntry entries[kMenuEntries];
  explicit ToolBar(std::initializer_list<const char*> labels) {
    int slot = 0;
    for (MenuEntry& e : entries) e = MenuEntry{0, kEntryChar, 0};
    for (const char* label : labels) {
      entries[slot] = MenuEntry{static_cast<int16_t>(FKeyIconOfLabel(label)), kEntryControl,
                                kKeyF1 + static_cast<uint32_t>(slot)};
      ++slot;
    }
  }
};

void Title(int number) {
  ClearVram();
  Locate(1, 1);
  PrintRevPadded(Message(number).c_str(), kTextColumns);
}

// A scrolling list under a title: rows come from rowText, the selected one in
// reverse video. Returns the key that ended it (EXE, F1..F6, EXIT, QUIT) with
// the selection; the arrows move and wrap around.
struct ListResult {
  uint32_t key;
  int selected;
};
template <typename RowText>
ListResult RunList(int title, int count, int selected, RowText rowText) {
  int first = 0;
  for (;;) {
    if (selected < first) first = selected;
    if (selected >= first + kListLines) first = selected - kListLines + 1;
    Title(title);
    for (int i = 0; i < kListLines && first + i < count; ++i) {
      std::string text = rowText(first + i);
      Locate(1, 2 + i);
      if (first + i == selected)
        PrintRevPadded(text.c_str(), kTextColumns);
      else
        PrintPadded(text.c_str(), kTextColumns);
    }
    uint32_t code = 0;
    if (GetKey(&code)) continue;
    if (code == kKeyUp && count > 0)
      selected = selected == 0 ? count - 1 : selected - 1;
    else if (code == kKeyDown && count > 0)
      selected = selected == count - 1 ? 0 : selected + 1;
    else if (code == kKeyExe || (code >= kKeyF1 && code <= kKeyF6) || code == kKeyExit ||
             code == kKeyQuit)
      return {code, selected};
  }
}

// ---- Variable manager ------------------------------------------------------------

constexpr uint8_t kVariableLetters[] = {
    'A',         'B',          'C', 'D', 'E', 'F', 'G', 'H', 'I',
    'J',         'K',          'L', 'M', 'N', 'O', 'P', 'Q', 'R',
    'S',         'T',          'U', 'V', 'W', 'X', 'Y', 'Z', kMemLetterTheta,
    kMemLetterR, kMemLetterAns};

std::string VariableName(uint8_t letter) {
  if (letter == kMemLetterAns) return "Ans";
  if (letter == kMemLetterTheta) return "\xE6\x47";
  return std::string(1, static_cast<char>(letter));
}

std::string PartText(const uint8_t* record) {
  BcdNumber value;
  std::memcpy(&value, record, sizeof value);
  char text[kBcdTextSize] = {};
  BcdNormText(&value, kBcdNorm1, text);
  return text;
}

}  // namespace

void VariableManager() {
  static const ToolBar bar({"VIEW"});
  MenuScope scope(kToolMenu, bar.entries);
  const int count = static_cast<int>(std::size(kVariableLetters));
  int selected = 0;
  for (;;) {
    ListResult r = RunList(kMsgVariables, count, selected, [](int i) {
      const uint8_t letter = kVariableLetters[i];
      return VariableName(letter) + "=" + PartText(MemVariable(MemVariableSlot(letter)));
    });
    selected = r.selected;
    if (r.key == kKeyExit || r.key == kKeyQuit) return;
    const uint8_t* record = MemVariable(MemVariableSlot(kVariableLetters[selected]));
    std::string text = VariableName(kVariableLetters[selected]) + "=" + kNewLine +
                       PartText(record) + kNewLine + "i:" + PartText(record + 12);
    MessageBox(5, text.c_str());
  }
}

namespace {

// ---- Font and language check -----------------------------------------------------

constexpr uint16_t kGlyphPages[] = {0x00, 0x7F, 0xE5, 0xE6};
constexpr int kGlyphRows = 5;  // lines 2..6, 21 codes each
constexpr int kRowsPerPage = (256 + kTextColumns - 1) / kTextColumns;

void DrawGlyphPage(int page, int firstRow) {
  Title(kMsgFonts);
  for (int r = 0; r < kGlyphRows; ++r)
    for (int c = 0; c < kTextColumns; ++c) {
      const int second = (firstRow + r) * kTextColumns + c;
      if (second > 255) break;
      const uint16_t base = kGlyphPages[page];
      const uint16_t code = static_cast<uint16_t>(base == 0 ? second : base * 256 + second);
      if (!NormalGlyph(code) || (base == 0 && IsLeadByte(static_cast<uint8_t>(second)))) continue;
      char s[3];
      EncodeCharCode(code, s);
      PrintXY(c * kCellWidth, (1 + r) * kCellHeight, s, 0);
    }
  char info[24];
  std::snprintf(info, sizeof info, "%02X:%02X-", kGlyphPages[page], firstRow * kTextColumns);
  Locate(1, 7);
  std::string line = info + Message(0);
  PrintPadded(line.c_str(), kTextColumns);
}

}  // namespace

void FontLanguageCheck() {
  static const ToolBar bar({"PAGE", "LANG"});
  MenuScope scope(kToolMenu, bar.entries);
  int page = 0, firstRow = 0;
  for (;;) {
    DrawGlyphPage(page, firstRow);
    uint32_t code = 0;
    if (GetKey(&code)) continue;
    switch (code) {
      case kKeyUp:
        if (firstRow > 0) --firstRow;
        break;
      case kKeyDown:
        if (firstRow + kGlyphRows < kRowsPerPage) ++firstRow;
        break;
      case kKeyF1:
        page = (page + 1) % static_cast<int>(std::size(kGlyphPages));
        firstRow = 0;
        break;
      case kKeyF1 + 1:
        SetLanguage(GetLanguage() < 0 ? 0 : (GetLanguage() + 1) % kLanguageCount);
        break;
      case kKeyExit:
      case kKeyQuit:
        return;
      default:
        break;
    }
  }
}

namespace {

// ---- Add-in data tool --------------------------------------------------------------

std::string NameText(const uint8_t* name) {
  return std::string(reinterpret_cast<const char*>(name),
                     strnlen(reinterpret_cast<const char*>(name), kMcsNameLen));
}

struct FolderRow {
  uint32_t index;
  std::string name;
  uint32_t items;
};

std::vector<FolderRow> Folders() {
  std::vector<FolderRow> rows;
  for (uint32_t i = 1; i <= kMcsFolderCount; ++i) {
    FolderEntry e;
    if (McsFolderEntry(i, &e) != 0 || e.name[0] == 0) continue;
    rows.push_back({i, NameText(e.name), e.itemCount});
  }
  return rows;
}

void ShowItems(const FolderRow& folder) {
  static const ToolBar bar({"UP"});
  MenuScope scope(kToolMenu, bar.entries);
  std::vector<std::string> rows;
  for (uint32_t p = 0;; ++p) {
    McsItemInfo info;
    if (McsItemAt(folder.index, p, &info) != 0) break;
    char size[16];
    std::snprintf(size, sizeof size, "%6u", static_cast<unsigned>(info.size));
    std::string name = NameText(info.entry.name);
    name.resize(kMcsNameLen + 1, ' ');
    rows.push_back(name + size);
  }
  if (rows.empty()) rows.push_back("-");
  int selected = 0;
  for (;;) {
    ListResult r = RunList(kMsgAddin, static_cast<int>(rows.size()), selected,
                           [&rows](int i) { return rows[static_cast<size_t>(i)]; });
    selected = r.selected;
    if (r.key == kKeyExit || r.key == kKeyQuit || r.key == kKeyF1) return;
  }
}

}  // namespace

void AddinDataTool() {
  static const ToolBar bar({"OPEN"});
  MenuScope scope(kToolMenu, bar.entries);
  int selected = 0;
  for (;;) {
    std::vector<FolderRow> folders = Folders();
    if (folders.empty()) folders.push_back({0, "-", 0});
    if (selected >= static_cast<int>(folders.size())) selected = 0;
    ListResult r = RunList(kMsgAddin, static_cast<int>(folders.size()), selected, [&](int i) {
      const FolderRow& f = folders[static_cast<size_t>(i)];
      std::string name = f.name;
      name.resize(kMcsNameLen + 1, ' ');
      char count[16];
      std::snprintf(count, sizeof count, "%6u", static_cast<unsigned>(f.items));
      return name + count;
    });
    selected = r.selected;
    if (r.key == kKeyExit || r.key == kKeyQuit) return;
    if (folders[static_cast<size_t>(selected)].index != 0)
      ShowItems(folders[static_cast<size_t>(selected)]);
  }
}

void ServiceMenu() {
  static bool open = false;
  if (open) return;
  open = true;
  static const MenuEntry kNoEntries[kMenuEntries] = {{0, kEntryNoEntries, 0}};
  CursorState cursor;
  SaveCursor(&cursor);
  HideCursor();
  uint8_t screen[kVramBytes];
  std::memcpy(screen, VramAddress(), kVramBytes);
  {
    MenuScope scope(kServiceMenu, kNoEntries);
    for (bool done = false; !done;) {
      ClearVram();
      for (int line = 0; line < 4; ++line) {
        Locate(1, line + 1);
        PrintPadded(Message(kMsgTitle + line).c_str(), kTextColumns);
      }
      uint32_t code = 0;
      const int isChar = GetKey(&code);
      if (isChar && code == '1')
        VariableManager();
      else if (isChar && code == '2')
        FontLanguageCheck();
      else if (isChar && code == '4')
        AddinDataTool();
      else if (!isChar && (code == kKeyExit || code == kKeyQuit))
        done = true;
    }
  }
  std::memcpy(VramAddress(), screen, kVramBytes);
  RestoreCursor(cursor);
  open = false;
}
