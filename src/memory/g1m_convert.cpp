// Data format codes and the byte-order converters. Main memory keeps counts
// and binary number fields in the host's order; files keep them big-endian.
// Every conversion is bounded by the item's size, so a damaged item read
// from a file converts only the bytes it has.
#include <bit>
#include <cstring>
#include <utility>

#include "memory/g1m_internal.h"
#include "memory/mcs_core.h"
#include "memory/mem_app.h"
#include "memory/mem_numarray.h"

namespace {

constexpr bool kSwapNeeded = std::endian::native == std::endian::little;

void Swap16(uint8_t* p) {
  if (kSwapNeeded) std::swap(p[0], p[1]);
}
void Swap32(uint8_t* p) {
  if (kSwapNeeded) {
    std::swap(p[0], p[3]);
    std::swap(p[1], p[2]);
  }
}
uint16_t Host16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

// Only fractions (0x20) and references (0x30) carry binary fields; every
// other number is BCD and reads the same in both orders.
constexpr uint8_t kNumTagMask = 0x70;
constexpr uint8_t kNumTagFraction = 0x20;
constexpr uint8_t kNumTagReference = 0x30;

void ConvertNumber(uint8_t* n) {
  const uint8_t tag = n[0] & kNumTagMask;
  if (tag == kNumTagFraction) {
    Swap16(n + 2);
    Swap32(n + 8);
  } else if (tag == kNumTagReference) {
    Swap16(n + 2);
    Swap16(n + 4);
    Swap32(n + 8);
  }
}

// `count` numbers from `offset`, as many as the size holds.
void ConvertNumbers(uint8_t* data, uint32_t size, uint64_t offset, uint32_t count) {
  for (uint32_t i = 0; i < count && offset + kNumRecord <= size; ++i, offset += kNumRecord)
    ConvertNumber(data + offset);
}

void Swap16s(uint8_t* data, uint32_t size, uint32_t offset, uint32_t count) {
  for (uint32_t i = 0; i < count && offset + 2 <= size; ++i, offset += 2) Swap16(data + offset);
}

void Swap32s(uint8_t* data, uint32_t size, uint32_t offset, uint32_t count) {
  for (uint32_t i = 0; i < count && offset + 4 <= size; ++i, offset += 4) Swap32(data + offset);
}

// Lists and matrices: the shape is read in host order, which is before the
// swap on the way to the file and after it on the way back.
void ConvertNumArray(uint8_t* data, uint32_t size, bool matrix, G1mOrder order) {
  if (size < kNumArrayHeader) return;
  const uint32_t shapeFields = matrix ? 2 : 1;
  if (order == G1mOrder::kToMemory) Swap16s(data, size, 8, shapeFields);
  const uint32_t elements =
      matrix ? uint32_t{Host16(data + 8)} * Host16(data + 10) : uint32_t{Host16(data + 8)};
  if (order == G1mOrder::kToFile) Swap16s(data, size, 8, shapeFields);
  Swap32(data + 12);
  ConvertNumbers(data, size, kNumArrayHeader, elements);
  const bool complex =
      size >= kNumArrayHeader + kNumRecord && (data[kNumArrayHeader] & kNumComplexFlag) != 0;
  if (complex)
    ConvertNumbers(data, size, kNumArrayHeader + uint64_t{elements} * kNumRecord, elements);
}

// Value pairs: the real part converted, the imaginary part copied.
void ConvertPairs(uint8_t* data, uint32_t size, uint32_t pairs) {
  for (uint32_t i = 0; i < pairs && (i + 1) * kNumPair <= size; ++i)
    ConvertNumber(data + i * kNumPair);
}

// ---- Classification -------------------------------------------------------------

// Folders whose items have codes of their own; the items of any other
// folder are bytes only.
struct FolderRow {
  const char* name;
  uint8_t group;
};
constexpr FolderRow kFolderGroups[] = {
    {"$GLOBAL", 1},   {"system", 2},   {"main", 3},    {"@REV2", 4},
    {"@APLWORK", 6},  {"@RUNMAT", 7},  {"@STAT", 8},   {"@GRAPH", 9},
    {"@DYNA", 10},    {"@TABLE", 11},  {"@RECUR", 12}, {"@EQUA", 13},
    {"@FINANCE", 14}, {"@SSHEET", 15}, {"@NOTE", 16},  {"@CONICS", 17},
};
constexpr uint8_t kFolderGlobal = 1;
constexpr uint8_t kFolderSystem = 2;
constexpr uint8_t kFolderMain = 3;

enum class Match : uint8_t { kExact, kPrefix, kNumber };
struct NameRow {
  Match match;
  const char* text;
  uint16_t code;
};
// First match wins, so exact names come before the prefixes they share.
constexpr NameRow kNameCodes[] = {
    {Match::kExact, "MAT_ANS", 59},      {Match::kPrefix, "MAT_", 19},
    {Match::kExact, "POLYCOFE", 20},     {Match::kExact, "POLYCOEF", 20},
    {Match::kExact, "POLYRSLT", 21},     {Match::kExact, "POLYMULT", 60},
    {Match::kExact, "SIMLCOEF", 22},     {Match::kExact, "SIMLRSLT", 23},
    {Match::kExact, "GRAPHTBL", 24},     {Match::kExact, "VWIN", 15},
    {Match::kExact, "VWINR", 16},        {Match::kNumber, "VMEM", 17},
    {Match::kExact, "FACTOR", 18},       {Match::kExact, "0LIST0", 11},
    {Match::kExact, "CLIP", 0x8005},     {Match::kExact, "SCREEN", 0x801C},
    {Match::kExact, "PREVWIN", 29},      {Match::kExact, "ORIGVWIN", 30},
    {Match::kExact, "COMGRAPH", 0x801F}, {Match::kPrefix, "COM", 32},
    {Match::kExact, "GRPMODE", 0x8021},  {Match::kExact, "G_CND", 39},
    {Match::kExact, "D_MEM", 43},        {Match::kExact, "@SNAME", 0x8032},
    {Match::kExact, "@SG_CND", 51},      {Match::kPrefix, "FMEM", 0x8008},
    {Match::kNumber, "CAPT", 27},        {Match::kNumber, "PICT", 27},
};

constexpr uint16_t kCodeOtherFolder = 0x8000;
constexpr uint16_t kCodeAppBytes = 0x8001;
constexpr uint16_t kCodeGlobalOther = 0x8002;
constexpr uint16_t kCodeProgram = 0x8010;
constexpr uint16_t kCodeMainBytes = 0x8011;
constexpr uint16_t kCodeAlpha = 58;
constexpr uint16_t kCodeListFile = 10;
constexpr uint16_t kCodeGraphFunction = 37;

bool AllDigits(const char* s) {
  if (*s == 0) return false;
  for (; *s; ++s)
    if (*s < '0' || *s > '9') return false;
  return true;
}

bool NameMatches(const NameRow& row, const char* name) {
  const size_t n = std::strlen(row.text);
  switch (row.match) {
    case Match::kExact:
      return std::strcmp(name, row.text) == 0;
    case Match::kPrefix:
      return std::strncmp(name, row.text, n) == 0;
    case Match::kNumber:
      return std::strncmp(name, row.text, n) == 0 && AllDigits(name + n);
  }
  return false;
}

uint8_t FolderGroup(const char* folder) {
  for (const FolderRow& row : kFolderGroups)
    if (std::strcmp(folder, row.name) == 0) return row.group;
  return 0;
}

}  // namespace

uint16_t G1mFormatCode(const char* folder, const char* item) {
  // Names as main memory holds them: at most 8 bytes.
  uint8_t f8[kMcsNameLen + 1] = {};
  uint8_t i8[kMcsNameLen + 1] = {};
  if (!McsNormaliseName(folder, f8) || !McsNormaliseName(item, i8)) return kCodeOtherFolder;
  const char* f = reinterpret_cast<const char*>(f8);
  const char* i = reinterpret_cast<const char*>(i8);
  const uint8_t group = FolderGroup(f);
  if (group == 0) return kCodeOtherFolder;
  if (group == kFolderGlobal)
    return std::strcmp(i, kG1mAlphaItem) == 0 ? kCodeAlpha : kCodeGlobalOther;
  if (group == kFolderSystem) return kCodeProgram;
  for (const NameRow& row : kNameCodes)
    if (NameMatches(row, i)) return row.code;
  if (group != kFolderMain) return kCodeAppBytes;
  switch (MemDataGroup(f, i)) {
    case MemGroup::kListFile:
      return kCodeListFile;
    case MemGroup::kYData:
      return kCodeGraphFunction;
    default:
      return kCodeMainBytes;
  }
}

void G1mConvert(uint16_t code, uint8_t* data, uint32_t size, G1mOrder order) {
  switch (code) {
    case 1:
      ConvertPairs(data, size, 1);
      break;
    case 58:
      ConvertPairs(data, size, kMemAlphaCount);
      break;
    case 3:
    case 4:
    case 32:
    case 55:
      Swap16s(data, size, 0, 1);
      break;
    case 27:
      Swap16s(data, size, 0, 2);
      break;
    case 34:
      Swap32s(data, size, 0, 4);
      break;
    case 15:
    case 16:
    case 17:
    case 29:
    case 30:
      ConvertNumbers(data, size, 0, 11);
      break;
    case 18:
    case 48:
      ConvertNumbers(data, size, 0, 2);
      break;
    case 35:
    case 47:
      ConvertNumbers(data, size, 0, 14);
      break;
    case 46:
      ConvertNumbers(data, size, 0, 3);
      break;
    case 39:
      ConvertNumbers(data, size, 0, 2);
      Swap16s(data, size, 2 * kNumRecord, 4 * 7);
      break;
    case 40:
      Swap16s(data, size, 0, 6);
      break;
    case 10:
    case 11:
    case 12:
    case 13:
      ConvertNumArray(data, size, false, order);
      break;
    case 19:
    case 20:
    case 21:
    case 22:
    case 23:
    case 24:
    case 25:
    case 59:
    case 60:
      ConvertNumArray(data, size, true, order);
      break;
    default:
      break;  // bytes only
  }
}
