// What the face's keys, the PC keyboard and typed characters send to the
// calculator; shared by every front end so they all type alike.
#pragma once

#include <cstdint>

#include "host/services/key_tables.h"

// Sends a face key (a key code of the key map, or kNoKey with a ready
// character in aux). An unknown code sends nothing. Returns false then.
bool HostSendKey(uint16_t code, uint16_t aux);

// A PC key went down: the key table's key is sent. Returns the face key to
// show pressed (kNoKey for none) and sets *handled when the key was one of
// the table's (its typed character, if any, must then be dropped).
uint16_t HostPcKeyDown(int virtualKey, bool* handled);

// A typed Windows-1252 character: a key of the face, a calculator character,
// or a letter sent with ALPHA. Returns the face key to show pressed.
uint16_t HostTypeCharacter(int character, bool alwaysCapitals);

// Types a UTF-8 text character by character (headless front ends), waiting
// for room in the key queue when the text is longer than it.
void HostTypeText(const char* utf8, bool alwaysCapitals);
