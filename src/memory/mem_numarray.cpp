#include "memory/mem_numarray.h"

#include <cstring>

#include "memory/mcs_core.h"

namespace {

constexpr uint32_t kDim1 = 8;
constexpr uint32_t kDim2 = 10;
constexpr uint32_t kAppField = 12;

uint16_t Ld16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

}  // namespace

bool NumArrayRead(NumArrayKind kind, const uint8_t* item, uint32_t size, NumArrayShape* shape) {
  *shape = {kind, 0, 1, false};
  if (size < kNumArrayHeader) return false;
  shape->rows = Ld16(item + kDim1);
  if (kind == NumArrayKind::kMatrix) shape->cols = Ld16(item + kDim2);
  const uint32_t realBytes = kNumArrayHeader + shape->Elements() * kNumRecord;
  if (size < realBytes) return false;
  shape->complex = shape->Elements() != 0 && (item[kNumArrayHeader] & kNumComplexFlag) != 0;
  return size >= shape->Bytes();
}

void NumArrayWriteHeader(uint8_t* item, const NumArrayShape& shape, uint32_t appField) {
  std::memset(item, 0, kNumArrayHeader);
  std::memcpy(item + kDim1, &shape.rows, 2);
  if (shape.kind == NumArrayKind::kMatrix) std::memcpy(item + kDim2, &shape.cols, 2);
  std::memcpy(item + kAppField, &appField, 4);
}

uint32_t NumArrayAppField(const uint8_t* item) {
  uint32_t v;
  std::memcpy(&v, item + kAppField, 4);
  return v;
}

void NumArrayGet(const uint8_t* item, const NumArrayShape& shape, uint32_t i,
                 uint8_t value[kNumPair]) {
  std::memcpy(value, item + NumArrayRealOffset(i), kNumRecord);
  if (shape.complex) {
    std::memcpy(value + kNumRecord, item + NumArrayImagOffset(shape, i), kNumRecord);
  } else {
    std::memset(value + kNumRecord, 0, kNumRecord);
  }
}

uint32_t MemCreateNumArray(MemTarget target, const char* item, const NumArrayShape& shape,
                           uint32_t appField) {
  uint8_t head[kNumArrayHeader + 1];
  NumArrayWriteHeader(head, shape, appField);
  head[kNumArrayHeader] = kNumComplexFlag;
  const uint32_t headLen =
      shape.complex && shape.Elements() != 0 ? kNumArrayHeader + 1 : kNumArrayHeader;
  uint32_t code;
  switch (target.by) {
    case MemBy::kKind:
      code = MemCreate(target.kind, item, shape.Bytes(), nullptr);
      break;
    case MemBy::kFolder:
      code = MemCreateIn(target.folder, item, shape.Bytes(), nullptr);
      break;
    default:
      return kMemErrNoCurrent;
  }
  if (code != kMemOk) return code;
  const uint32_t written = MemWriteAt(MemCurrentTarget(), nullptr, headLen, head, 0);
  return written <= 2 ? kMemOk : written;
}

uint32_t MemNumArrayShape(MemTarget target, const char* item, NumArrayKind kind,
                          NumArrayShape* shape) {
  uint8_t* data = nullptr;
  uint32_t size = 0;
  *shape = {kind, 0, 1, false};
  if (uint32_t code = MemGetPointer(target, item, &data, &size)) return code;
  return NumArrayRead(kind, data, size, shape) ? kMemOk : kMemErrNotFound;
}

uint32_t MemNumArrayGet(MemTarget target, const char* item, NumArrayKind kind, uint32_t i,
                        uint8_t value[kNumPair]) {
  NumArrayShape shape;
  if (uint32_t code = MemNumArrayShape(target, item, kind, &shape)) return code;
  if (i >= shape.Elements()) return kMemErrNotFound;
  uint8_t* data = nullptr;
  uint32_t size = 0;
  MemGetPointer(MemCurrentTarget(), nullptr, &data, &size);
  NumArrayGet(data, shape, i, value);
  return kMemOk;
}

uint32_t MemNumArraySet(MemTarget target, const char* item, NumArrayKind kind, uint32_t i,
                        const uint8_t value[kNumPair]) {
  NumArrayShape shape;
  if (uint32_t code = MemNumArrayShape(target, item, kind, &shape)) return code;
  if (i >= shape.Elements()) return kMemErrNotFound;
  const MemTarget self = MemCurrentTarget();
  if (!shape.complex && (value[0] & kNumComplexFlag) != 0) {
    // Append the imaginary block, then flag the first number.
    uint8_t* data = nullptr;
    uint32_t size = 0;
    const uint32_t grow = shape.Elements() * kNumRecord;
    const MemCurrentItem& cur = MemCurrent();
    char folder[kMcsNameLen + 1] = {};
    char name[kMcsNameLen + 1] = {};
    std::memcpy(folder, cur.folder, kMcsNameLen);
    std::memcpy(name, cur.item, kMcsNameLen);
    if (uint32_t code = McsInsertBytes(folder, name, shape.Bytes(), grow)) {
      return MemPublicCode(code);
    }
    shape.complex = true;
    MemGetPointer(self, nullptr, &data, &size);
    const uint8_t first = data[kNumArrayHeader] | kNumComplexFlag;
    MemWriteAt(self, nullptr, 1, &first, kNumArrayHeader);
  }
  uint8_t real[kNumRecord];
  std::memcpy(real, value, kNumRecord);
  if (shape.complex) real[0] |= kNumComplexFlag;
  uint32_t written = MemWriteAt(self, nullptr, kNumRecord, real, NumArrayRealOffset(i));
  if (written <= 2 && shape.complex) {
    written =
        MemWriteAt(self, nullptr, kNumRecord, value + kNumRecord, NumArrayImagOffset(shape, i));
  }
  return written <= 2 ? kMemOk : written;
}
