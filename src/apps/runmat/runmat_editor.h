// The line editor of the computation screen: a token string in a buffer of
// the OS heap that grows in steps of 256 bytes, a cursor that always stands
// on a token boundary, and the layout of the line's text on 21-cell rows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline constexpr uint32_t kEditorStep = 256;

struct LineEditor {
  uint8_t* data = nullptr;  // the tokens, zero-ended (two end bytes)
  uint32_t size = 0;        // bytes of tokens
  uint32_t capacity = 0;
  uint32_t cursor = 0;  // byte offset of the token the cursor is on
};

// Returns 0, or error code 4 when the buffer cannot grow (the line is kept).
int EditorInsert(LineEditor* e, uint16_t token, bool overwrite);
int EditorInsertTokens(LineEditor* e, const std::string& tokens);
int EditorSet(LineEditor* e, const std::string& tokens);  // cursor at the end
// Deletes the token at the cursor, or the one before it (backspace).
void EditorDelete(LineEditor* e, bool before);
// Removes the tokens between two offsets.
void EditorErase(LineEditor* e, uint32_t from, uint32_t to);
void EditorClear(LineEditor* e);
void EditorFree(LineEditor* e);

// Cursor moves by whole tokens; false when it could not move.
bool EditorLeft(LineEditor* e);
bool EditorRight(LineEditor* e);
void EditorHome(LineEditor* e);
void EditorEnd(LineEditor* e);

std::string EditorTokens(const LineEditor& e);
// The offset of the token start at or before `offset`.
uint32_t EditorTokenStart(const LineEditor& e, uint32_t offset);

// One screen row of the line's text.
struct EditorRow {
  uint16_t cells[21];
  uint8_t selected[21];  // 1 where the cell belongs to the marked part
};
struct EditorLayout {
  std::vector<EditorRow> rows;
  int cursorRow = 0;  // where the cursor is drawn (0-based)
  int cursorColumn = 0;
};
// The line as rows of 21 cells: every token by its name, a new row after
// the display stop and the new-line token. Tokens between selFrom and selTo
// (byte offsets) are marked.
EditorLayout EditorLayoutOf(const LineEditor& e, uint32_t selFrom = 0, uint32_t selTo = 0);
