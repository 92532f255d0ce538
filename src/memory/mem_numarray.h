// List and matrix items: a 16-byte header (bytes 8-9 the element count of a
// list, or rows and columns in bytes 8-9 and 10-11 of a matrix; bytes 12-15
// a field of the owning application) followed by 12-byte numbers, and for a
// complex item a second block of the same length with the imaginary parts.
// An item is complex when its first number carries the complex flag.
#pragma once

#include <cstdint>

#include "memory/mem_app.h"

inline constexpr uint32_t kNumArrayHeader = 16;
inline constexpr uint32_t kNumRecord = 12;
inline constexpr uint32_t kNumPair = 2 * kNumRecord;
// Byte 0 bit 7 of a number record: the complex flag.
inline constexpr uint8_t kNumComplexFlag = 0x80;

enum class NumArrayKind : uint8_t { kList, kMatrix };

struct NumArrayShape {
  NumArrayKind kind;
  uint16_t rows;  // the element count of a list
  uint16_t cols;  // 1 for a list
  bool complex;
  uint32_t Elements() const { return uint32_t{rows} * cols; }
  uint32_t Bytes() const { return kNumArrayHeader + Elements() * kNumRecord * (complex ? 2 : 1); }
};

inline NumArrayShape ListShape(uint16_t count, bool complex) {
  return {NumArrayKind::kList, count, 1, complex};
}
inline NumArrayShape MatrixShape(uint16_t rows, uint16_t cols, bool complex) {
  return {NumArrayKind::kMatrix, rows, cols, complex};
}

// Reads the shape of an item's bytes; false when the item is too short for it.
bool NumArrayRead(NumArrayKind kind, const uint8_t* item, uint32_t size, NumArrayShape* shape);
// Writes the header of a shape; the application's header bytes are cleared.
void NumArrayWriteHeader(uint8_t* item, const NumArrayShape& shape, uint32_t appField);
uint32_t NumArrayAppField(const uint8_t* item);
// Byte offsets of element i's real and imaginary part (elements of a matrix
// row by row). The imaginary offset is only meaningful for complex items.
inline uint32_t NumArrayRealOffset(uint32_t i) {
  return kNumArrayHeader + i * kNumRecord;
}
inline uint32_t NumArrayImagOffset(const NumArrayShape& shape, uint32_t i) {
  return NumArrayRealOffset(shape.Elements() + i);
}
// Element i as a real and imaginary pair (imaginary zero for a real item).
void NumArrayGet(const uint8_t* item, const NumArrayShape& shape, uint32_t i,
                 uint8_t value[kNumPair]);

// ---- In main memory ----------------------------------------------------------

// Creates a cleared list or matrix item (by kind or folder). A complex item
// gets the complex flag on its first number.
uint32_t MemCreateNumArray(MemTarget target, const char* item, const NumArrayShape& shape,
                           uint32_t appField);
uint32_t MemNumArrayShape(MemTarget target, const char* item, NumArrayKind kind,
                          NumArrayShape* shape);
uint32_t MemNumArrayGet(MemTarget target, const char* item, NumArrayKind kind, uint32_t i,
                        uint8_t value[kNumPair]);
// Stores element i; a complex value turns a real item complex first (the
// item grows by the imaginary block).
uint32_t MemNumArraySet(MemTarget target, const char* item, NumArrayKind kind, uint32_t i,
                        const uint8_t value[kNumPair]);
