#include "apps/runmat/runmat_editor.h"

#include <cstring>

#include "host/services/host_services.h"
#include "math/bcd.h"
#include "math/token.h"
#include "os/text.h"

namespace {

// Room for `extra` more bytes and two end bytes.
bool Reserve(LineEditor* e, uint32_t extra) {
  uint32_t need = e->size + extra + 2;
  if (need <= e->capacity) return true;
  uint32_t capacity = (need + kEditorStep - 1) / kEditorStep * kEditorStep;
  auto* grown = static_cast<uint8_t*>(OsRealloc(e->data, capacity));
  if (!grown) return false;
  if (!e->data) std::memset(grown, 0, capacity);
  e->data = grown;
  e->capacity = capacity;
  return true;
}

void Terminate(LineEditor* e) {
  e->data[e->size] = 0;
  e->data[e->size + 1] = 0;
}

int TokenLength(const LineEditor& e, uint32_t at) {
  if (at >= e.size) return 0;
  int length;
  TokenPeek(e.data + at, &length);
  if (at + uint32_t(length) > e.size) length = int(e.size - at);
  return length;
}

}  // namespace

int EditorInsertTokens(LineEditor* e, const std::string& tokens) {
  if (!Reserve(e, uint32_t(tokens.size()))) return kBcdErrMemory;
  std::memmove(e->data + e->cursor + tokens.size(), e->data + e->cursor, e->size - e->cursor);
  std::memcpy(e->data + e->cursor, tokens.data(), tokens.size());
  e->size += uint32_t(tokens.size());
  e->cursor += uint32_t(tokens.size());
  Terminate(e);
  return 0;
}

int EditorInsert(LineEditor* e, uint16_t token, bool overwrite) {
  std::string bytes;
  if (token > 0xFF) bytes.push_back(char(token >> 8));
  bytes.push_back(char(token & 0xFF));
  if (overwrite && e->cursor < e->size) {
    // The token under the cursor gives way to the new one.
    int old = TokenLength(*e, e->cursor);
    if (!Reserve(e, uint32_t(bytes.size()))) return kBcdErrMemory;
    EditorErase(e, e->cursor, e->cursor + uint32_t(old));
  }
  return EditorInsertTokens(e, bytes);
}

int EditorSet(LineEditor* e, const std::string& tokens) {
  if (!Reserve(e, uint32_t(tokens.size()) > e->size ? uint32_t(tokens.size()) - e->size : 0)) {
    return kBcdErrMemory;
  }
  std::memcpy(e->data, tokens.data(), tokens.size());
  e->size = uint32_t(tokens.size());
  e->cursor = e->size;
  Terminate(e);
  return 0;
}

void EditorErase(LineEditor* e, uint32_t from, uint32_t to) {
  if (to > e->size) to = e->size;
  if (from >= to) return;
  std::memmove(e->data + from, e->data + to, e->size - to);
  e->size -= to - from;
  if (e->cursor > to) {
    e->cursor -= to - from;
  } else if (e->cursor > from) {
    e->cursor = from;
  }
  Terminate(e);
}

void EditorDelete(LineEditor* e, bool before) {
  if (before) {
    if (!EditorLeft(e)) return;
  }
  int length = TokenLength(*e, e->cursor);
  if (length > 0) EditorErase(e, e->cursor, e->cursor + uint32_t(length));
}

void EditorClear(LineEditor* e) {
  e->size = 0;
  e->cursor = 0;
  if (e->data) Terminate(e);
}

void EditorFree(LineEditor* e) {
  OsFree(e->data);
  *e = LineEditor{};
}

uint32_t EditorTokenStart(const LineEditor& e, uint32_t offset) {
  uint32_t at = 0;
  while (at < e.size) {
    uint32_t next = at + uint32_t(TokenLength(e, at));
    if (next > offset) break;
    at = next;
  }
  return at > offset ? offset : at;
}

bool EditorLeft(LineEditor* e) {
  if (e->cursor == 0) return false;
  e->cursor = EditorTokenStart(*e, e->cursor - 1);
  return true;
}

bool EditorRight(LineEditor* e) {
  int length = TokenLength(*e, e->cursor);
  if (length == 0) return false;
  e->cursor += uint32_t(length);
  return true;
}

void EditorHome(LineEditor* e) {
  e->cursor = 0;
}

void EditorEnd(LineEditor* e) {
  e->cursor = e->size;
}

std::string EditorTokens(const LineEditor& e) {
  return e.data ? std::string(reinterpret_cast<const char*>(e.data), e.size) : std::string();
}

EditorLayout EditorLayoutOf(const LineEditor& e, uint32_t selFrom, uint32_t selTo) {
  EditorLayout out;
  int column = 0;
  auto newRow = [&] {
    EditorRow row;
    for (uint16_t& c : row.cells) c = ' ';
    std::memset(row.selected, 0, sizeof row.selected);
    out.rows.push_back(row);
    column = 0;
  };
  newRow();
  auto put = [&](uint16_t code, bool selected) {
    if (column == kTextColumns) newRow();
    out.rows.back().cells[column] = code;
    out.rows.back().selected[column] = selected;
    ++column;
  };
  bool breakBefore = false;
  for (uint32_t at = 0; at <= e.size;) {
    if (breakBefore) {
      newRow();
      breakBefore = false;
    }
    if (at == e.cursor) {
      // The cursor wraps to the next row when its row is full.
      if (column == kTextColumns) newRow();
      out.cursorRow = int(out.rows.size()) - 1;
      out.cursorColumn = column;
    }
    if (at == e.size) break;
    int length = TokenLength(e, at);
    uint16_t code = TokenPeek(e.data + at);
    bool selected = at >= selFrom && at < selTo;
    if (code == 0x0D) {
      breakBefore = true;
    } else {
      char name[kTokenNameBuffer];
      if (!TokenName(code, name)) std::strcpy(name, "@");
      const char* p = name;
      for (uint16_t c = ReadCharCode(&p); c; c = ReadCharCode(&p)) put(c, selected);
      if (code == 0x0C) breakBefore = true;
    }
    at += uint32_t(length);
  }
  return out;
}
