// The CATALOG: every command in one list, sorted by name, from which a
// command is typed. Also the list behind the character selection.
#pragma once

#include <cstddef>
#include <cstdint>

// One command of the list: its code first, its sort letter in the third word
// (' ' for commands that start with a sign). The list ends with kCatalogEnd.
struct CatalogEntry {
  uint32_t code;
  uint32_t reserved;
  uint32_t sortLetter;
};
static_assert(sizeof(CatalogEntry) == 12);
inline constexpr uint32_t kCatalogEnd = 65535;

// The command list, ended by an entry with code kCatalogEnd.
const CatalogEntry* CatalogCommands();
size_t CatalogCommandCount();

// The name a command is shown by. The token names live with the evaluator,
// above this layer, which installs its lookup here at start-up; until it
// does, a command shows its code in hexadecimal. The lookup writes a
// calculator string of at most `capacity` - 1 bytes.
using CommandNameLookup = void (*)(uint16_t code, char* buffer, size_t capacity);
void SetCommandNameLookup(CommandNameLookup lookup);
void CommandName(uint16_t code, char* buffer, size_t capacity);

// Where a letter key jumps to: the first entry whose sort letter is that
// letter (small letters count as capitals), else the first with a later
// letter; a space finds only an entry sorted under a space. -1 when nothing.
int CatalogJump(uint32_t letter);

// Shows the list and returns the chosen command's code, or 0 when the user
// left it (EXIT, AC, QUIT).
uint32_t Catalog();
