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

// ---- Key log ------------------------------------------------------------------
// 0 idle, 1 recording, 2 replaying. While a log records or replays, letters
// typed without a key of their own are ignored.
void HostSetKeyLogMode(int mode);
int HostKeyLogMode();
// While recording, every face key is offered to the writer before it is
// sent; false drops the key (neither logged nor sent).
using KeyLogWriter = bool (*)(int32_t row, int32_t column);
void HostSetKeyLogWriter(KeyLogWriter writer);
// During a replay a face key sends nothing and only asks for the next step
// of a step replay; this takes (and clears) that request.
bool HostTakeStepRequest();
