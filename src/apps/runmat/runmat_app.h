// RUN-MAT, the computation screen: a line of tokens typed and run with EXE,
// its result right-aligned below it, earlier lines scrolling up, the lines
// kept in "REPLAY" for recall, and the SETUP screen of the settings a
// calculation reads.
#pragma once

#include <cstdint>
#include <string>

void RunMatAppEntry(int isAppli, uint16_t option);

// Codes RUN-MAT reads besides the named keys: the engineering shift of the
// shown result (31051 exponent up, 31052 down) and its display type 5
// (31050), typed by the keys of its function-key bar.
inline constexpr uint32_t kKeyEngGraph = 31050;
inline constexpr uint32_t kKeyEngUp = 31051;
inline constexpr uint32_t kKeyEngDown = 31052;

// The item that CLIP's COPY and CUT fill besides the OS's clip buffer, in
// "@RUNMAT".
inline constexpr char kClipItem[] = "CLIP";

// The tokens of the line being edited (for tests and the host's copy).
std::string RunMatLine();
