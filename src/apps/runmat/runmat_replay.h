// "REPLAY": the lines run on the computation screen, kept in main memory so
// that they can be recalled and edited. The item's data is a sequence of
// zero-ended token strings, oldest first, at most 256 bytes in all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr char kRunMatFolder[] = "@RUNMAT";
inline constexpr char kReplayItem[] = "REPLAY";
inline constexpr size_t kReplayLimit = 256;

// Adds a line after the others, dropping the oldest lines while the whole
// exceeds 256 bytes. Returns 0, or error code 4 when main memory cannot hold
// the new contents (the item is then unchanged).
int ReplayAppend(const uint8_t* tokens, size_t length);
// The number of lines kept.
int ReplayCount();
// Line n, counted from 1 for the oldest; 0 is the newest. False when there
// is no such line.
bool ReplayEntry(int n, std::string* tokens);
// Forgets every line (the item is deleted).
void ReplayClear();
