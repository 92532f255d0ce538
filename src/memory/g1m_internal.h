// Helpers shared by the calculator-file sources.
#pragma once

#include <cstdint>
#include <vector>

#include "memory/g1m_file.h"

inline uint16_t G1mGet16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] << 8 | p[1]);
}
inline uint32_t G1mGet32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}
inline void G1mPut16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v >> 8);
  p[1] = static_cast<uint8_t>(v);
}
inline void G1mPut32(uint8_t* p, uint32_t v) {
  G1mPut16(p, static_cast<uint16_t>(v >> 16));
  G1mPut16(p + 2, static_cast<uint16_t>(v));
}

// Copies a name field into a zero-terminated string, never ending on the
// first byte of a two-byte character.
void G1mNameFromField(const uint8_t* field, uint32_t len, char* out);
// Writes a name into a zero-padded field without splitting a two-byte
// character.
void G1mNameToField(const char* name, uint8_t* field, uint32_t len);

// Reads exactly `count` bytes; false on a short read or an error (*rc gets
// the storage error, or 0 for a short read).
bool G1mReadExact(int handle, void* buf, uint32_t count, int* rc);

// Appends a group's bytes as they stand in a file (data in file order).
void G1mSerializeGroup(const G1mGroup& group, std::vector<uint8_t>* out);
// Reads the header at offset 0, complemented back; false when the file is
// shorter than a header (*rc: the storage error, or 0).
bool G1mReadHeader(int handle, G1mHeader* header, int* rc);
