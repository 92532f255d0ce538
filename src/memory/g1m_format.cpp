// The file header and the name fields.
#include <cstring>

#include "memory/fs_api.h"
#include "memory/g1m_internal.h"
#include "memory/mcs_core.h"

namespace {

constexpr uint8_t kFixed1[5] = {0x00, 0x10, 0x00, 0x10, 0x00};
constexpr uint8_t kFixed2 = 0x01;
// Offset of the version word inside a notebook's own record.
constexpr uint32_t kNotebookVersionAt = kG1mHeaderSize + 10;

uint8_t ControlA(uint32_t size) {
  return static_cast<uint8_t>((size & 0xFF) + kG1mControlAAdd);
}
uint8_t ControlB(uint32_t size) {
  return static_cast<uint8_t>((size & 0xFF) - kG1mControlBSub);
}

void Complement(uint8_t* bytes, uint32_t n) {
  for (uint32_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(~bytes[i]);
}

bool HasMagic(const G1mHeader& header) {
  return std::memcmp(header.magic, kG1mMagic, kG1mMagicLen) == 0;
}

bool ControlsMatch(const G1mHeader& header) {
  const uint32_t size = G1mGet32(header.size);
  return header.controlA == ControlA(size) && header.controlB == ControlB(size);
}

}  // namespace

// Reads the header at offset 0 and complements it back; false when the file
// is shorter than a header.
bool G1mReadHeader(int handle, G1mHeader* header, int* rc) {
  *rc = 0;
  if (FsSeek(handle, 0) < 0) {
    *rc = kFsBadPosition;
    return false;
  }
  if (!G1mReadExact(handle, header, kG1mHeaderSize, rc)) return false;
  Complement(reinterpret_cast<uint8_t*>(header), kG1mHeaderSize);
  return true;
}

void G1mNameFromField(const uint8_t* field, uint32_t len, char* out) {
  uint32_t n = 0;
  while (n < len && field[n] != 0) {
    if (McsIsLeadByte(field[n])) {
      if (n + 1 >= len || field[n + 1] == 0) break;
      out[n] = static_cast<char>(field[n]);
      out[n + 1] = static_cast<char>(field[n + 1]);
      n += 2;
      continue;
    }
    out[n] = static_cast<char>(field[n]);
    ++n;
  }
  out[n] = 0;
}

void G1mNameToField(const char* name, uint8_t* field, uint32_t len) {
  std::memset(field, 0, len);
  uint32_t n = 0;
  while (n < len && name[n] != 0) {
    const auto b = static_cast<uint8_t>(name[n]);
    if (McsIsLeadByte(b)) {
      if (n + 1 >= len || name[n + 1] == 0) break;
      field[n] = b;
      field[n + 1] = static_cast<uint8_t>(name[n + 1]);
      n += 2;
      continue;
    }
    field[n++] = b;
  }
}

bool G1mReadExact(int handle, void* buf, uint32_t count, int* rc) {
  *rc = 0;
  if (count == 0) return true;
  const int n = FsRead(handle, buf, static_cast<int>(count), -1);
  if (n < 0) {
    *rc = n;
    return false;
  }
  return static_cast<uint32_t>(n) == count;
}

void G1mBuildHeader(uint8_t type, uint32_t totalSize, uint16_t itemCount,
                    uint8_t out[kG1mHeaderSize]) {
  G1mHeader h;
  std::memset(&h, 0xFF, sizeof h);
  std::memcpy(h.magic, kG1mMagic, kG1mMagicLen);
  h.type = type;
  std::memcpy(h.fixed1, kFixed1, sizeof kFixed1);
  h.fixed2 = kFixed2;
  G1mPut32(h.size, totalSize);
  // Both control bytes come from the size's low byte (byte 19).
  h.controlA = ControlA(h.size[3]);
  h.controlB = ControlB(h.size[3]);
  G1mPut16(h.count, type == kG1mTypeNotebook ? 0xFFFF : itemCount);
  std::memcpy(out, &h, kG1mHeaderSize);
  Complement(out, kG1mHeaderSize);
}

int G1mValidateHeader(const G1mHeader& header, uint8_t type, uint32_t fileSize) {
  if (!HasMagic(header) || header.type != type) return kG1mErrNotData;
  if (G1mGet32(header.size) != fileSize) return kG1mErrDamaged;
  if (type == kG1mTypeData && G1mGet16(header.count) == 0) return kG1mErrDamaged;
  if (!ControlsMatch(header)) return kG1mErrControl;
  return kG1mOk;
}

int G1mCheckHeader(int handle, uint32_t expectedSize) {
  G1mHeader header;
  int rc = 0;
  const bool read = G1mReadHeader(handle, &header, &rc);
  FsSeek(handle, 0);
  if (!read || !HasMagic(header)) return kG1mOk;
  if (G1mGet32(header.size) != expectedSize) return kG1mErrDamaged;
  if (!ControlsMatch(header)) return kG1mErrControl;
  return kG1mOk;
}

int G1mCheckNotebook(int handle) {
  const int size = FsSize(handle);
  if (size < 0) return size;
  G1mHeader header;
  int rc = 0;
  const bool read = G1mReadHeader(handle, &header, &rc);
  if (!read || !HasMagic(header) || header.type != kG1mTypeNotebook ||
      G1mGet32(header.size) != static_cast<uint32_t>(size)) {
    FsSeek(handle, 0);
    return rc < 0 ? rc : kG1mErrDamaged;
  }
  uint8_t version[2];
  const bool got = FsSeek(handle, kNotebookVersionAt) >= 0 && G1mReadExact(handle, version, 2, &rc);
  FsSeek(handle, 0);
  if (!got) return rc < 0 ? rc : kG1mErrDamaged;
  return G1mGet16(version) == kG1mNotebookVersion ? kG1mOk : kG1mErrVersion;
}
