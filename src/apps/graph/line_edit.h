// A one-line token editor in place on the screen: the Y= list's functions
// and the values of the V-Window. Characters and token keys insert (or
// overwrite, by the insert mode), the arrows move, DEL deletes, AC clears,
// X,θ,T types the variable of the line.
#pragma once

#include <cstdint>
#include <string>

enum class EditEnd : uint8_t { kAccept, kCancel, kUp, kDown, kQuit };

struct EditPlace {
  int column;        // first text column, 1-based
  int line;          // 1..7
  int width;         // cells
  uint8_t variable;  // what X,θ,T types
};

// Edits `tokens` (token bytes without the end byte). `firstCode`/`firstIsChar`
// is the key that started the edit: a character replaces the line with
// itself, LEFT puts the cursor at the end, anything else at the end too.
// The screen outside the edited cells is redrawn by `redraw` before each key.
EditEnd EditTokenLine(std::string* tokens, const EditPlace& place, uint32_t firstCode,
                      bool firstIsChar, void (*redraw)(void*), void* context);

// The shown text of a token string (calculator characters), one code per
// cell.
void TokenCells(const std::string& tokens, std::u16string* cells,
                std::u16string::size_type* cursorCell, size_t cursorByte);
