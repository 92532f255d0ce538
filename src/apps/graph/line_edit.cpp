#include "apps/graph/line_edit.h"

#include "math/token.h"
#include "os/getkey.h"
#include "os/menu.h"
#include "os/setup.h"
#include "os/text.h"
#include "os/vram.h"

namespace {

// Byte offsets where each token of the string starts, and the end.
std::u16string::size_type TokenStart(const std::string& tokens, size_t index, size_t* next) {
  const uint8_t* base = reinterpret_cast<const uint8_t*>(tokens.c_str());
  int length = 0;
  TokenPeek(base + index, &length);
  *next = index + (length ? length : 1);
  return index;
}

size_t PreviousToken(const std::string& tokens, size_t cursor) {
  size_t at = 0, next = 0, last = 0;
  while (at < cursor) {
    TokenStart(tokens, at, &next);
    last = at;
    at = next;
  }
  return last;
}

size_t NextToken(const std::string& tokens, size_t cursor) {
  if (cursor >= tokens.size()) return tokens.size();
  size_t next = 0;
  TokenStart(tokens, cursor, &next);
  return next > tokens.size() ? tokens.size() : next;
}

void InsertCode(std::string* tokens, size_t* cursor, uint32_t code, bool overwrite) {
  std::string bytes;
  if (code > 0xFF) bytes += static_cast<char>(code >> 8);
  bytes += static_cast<char>(code & 0xFF);
  if (overwrite && *cursor < tokens->size())
    tokens->erase(*cursor, NextToken(*tokens, *cursor) - *cursor);
  tokens->insert(*cursor, bytes);
  *cursor += bytes.size();
}

void Show(const std::string& tokens, size_t cursor, const EditPlace& place, int* scroll) {
  std::u16string cells;
  std::u16string::size_type cursorCell = 0;
  TokenCells(tokens, &cells, &cursorCell, cursor);
  const int at = static_cast<int>(cursorCell);
  if (at < *scroll) *scroll = at;
  if (at >= *scroll + place.width) *scroll = at - place.width + 1;
  for (int i = 0; i < place.width; ++i) {
    const size_t index = static_cast<size_t>(*scroll + i);
    char text[3] = {' ', 0, 0};
    if (index < cells.size()) EncodeCharCode(cells[index], text);
    Locate(place.column + i, place.line);
    PrintChar(text);
  }
  Locate(place.column + at - *scroll, place.line);
  RefreshCursorShape();
}

}  // namespace

void TokenCells(const std::string& tokens, std::u16string* cells,
                std::u16string::size_type* cursorCell, size_t cursorByte) {
  cells->clear();
  *cursorCell = 0;
  size_t at = 0;
  while (at < tokens.size()) {
    if (at == cursorByte) *cursorCell = cells->size();
    size_t next = 0;
    TokenStart(tokens, at, &next);
    const uint8_t* base = reinterpret_cast<const uint8_t*>(tokens.c_str());
    char name[kTokenNameBuffer];
    if (TokenName(TokenPeek(base + at), name)) {
      const char* s = name;
      while (uint16_t code = ReadCharCode(&s)) cells->push_back(code);
    }
    at = next;
  }
  if (cursorByte >= tokens.size()) *cursorCell = cells->size();
}

EditEnd EditTokenLine(std::string* tokens, const EditPlace& place, uint32_t firstCode,
                      bool firstIsChar, void (*redraw)(void*), void* context) {
  std::string line = *tokens;
  size_t cursor = line.size();
  int scroll = 0;
  bool pending = true;
  uint32_t code = firstCode;
  bool isChar = firstIsChar;
  // A typed key starts a new line; the arrows and EXE edit the old one.
  if (isChar || code == kKeyXThetaT) {
    line.clear();
    cursor = 0;
  } else {
    pending = false;
  }
  for (;;) {
    if (pending) {
      const bool overwrite = GetSetupItem(kSetupInsertMode) == kInsertOverwrite;
      if (isChar) {
        if (code != 0 && code != 0x0D) InsertCode(&line, &cursor, code, overwrite);
      } else {
        switch (code) {
          case kKeyXThetaT:
            InsertCode(&line, &cursor, place.variable, overwrite);
            break;
          case kKeyLeft:
            cursor = PreviousToken(line, cursor);
            break;
          case kKeyRight:
            cursor = NextToken(line, cursor);
            break;
          case kKeyDel:
            if (overwrite && cursor < line.size()) {
              line.erase(cursor, NextToken(line, cursor) - cursor);
            } else if (cursor > 0) {
              const size_t from = PreviousToken(line, cursor);
              line.erase(from, cursor - from);
              cursor = from;
            }
            break;
          case kKeyAc:
            line.clear();
            cursor = 0;
            break;
          case kKeyExe:
          case kKeyUp:
          case kKeyDown:
            HideCursor();
            *tokens = line;
            return code == kKeyExe  ? EditEnd::kAccept
                   : code == kKeyUp ? EditEnd::kUp
                                    : EditEnd::kDown;
          case kKeyExit:
            HideCursor();
            return EditEnd::kCancel;
          case kKeyQuit:
            HideCursor();
            return EditEnd::kQuit;
          default:
            break;
        }
      }
    }
    if (redraw) redraw(context);
    Show(line, cursor, place, &scroll);
    DrawMenuBar();
    PutDisplay();
    code = 0;
    isChar = GetKey(&code) != 0;
    pending = true;
  }
}
