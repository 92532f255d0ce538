#include "memory/mem_tables.h"

#include <cstring>

#include "memory/mcs_core.h"

namespace {

struct KindRow {
  uint8_t kind;
  const char* folder;
  uint8_t type;
};
// Kinds 8, 9 and everything outside -2 ... 10 (as signed bytes) fall back to
// "main" with type byte 0.
constexpr KindRow kKinds[] = {
    {0, "main", 130},   {1, "system", 199},     {2, "main", 200},    {3, "main", 213},
    {4, "main", 133},   {5, "main", 138},       {6, "main", 140},    {7, "main", 206},
    {10, "@REV2", 205}, {255, "@APLWORK", 211}, {254, nullptr, 212},
};
constexpr KindRow kOtherKind = {0, "main", 0};

const KindRow& KindRowOf(uint8_t kind) {
  for (const KindRow& row : kKinds) {
    if (row.kind == kind) return row;
  }
  return kOtherKind;
}

struct CodeRow {
  uint32_t core;
  uint32_t pub;
};
// Core codes not listed map to 64.
constexpr CodeRow kCodeMap[] = {
    {0, 0},   {16, 19}, {17, 81}, {18, 23}, {19, 21}, {20, 51}, {21, 24},
    {22, 22}, {24, 25}, {65, 18}, {80, 48}, {81, 50}, {82, 82}, {255, 255},
};

constexpr const char* kGroupNames[] = {
    "ALPHA MEM", "CAPTURE",  "CONICS", "DYNA MEM", "EQUATION", "F-MEM",     "FINANCIAL",
    "G-MEM",     "LISTFILE", "MATRIX", "PICTURE",  "PROGRAM",  "RECURSION", "S-SHEET",
    "SETUP",     "STAT",     "SYSTEM", "TABLE",    "V-WIN",    "Y=DATA",
};
static_assert(sizeof kGroupNames / sizeof kGroupNames[0] == kMemGroupCount);

// How a group rule matches an item name.
enum class Match : uint8_t {
  kAny,       // every item of the folder
  kExact,     // the name itself
  kPrefix,    // names beginning with the text
  kNumber,    // the text followed by a decimal number low ... high
  kByte,      // the text followed by one binary byte low ... high
  kListFile,  // a list-file digit low ... high, the text, a list number 1 ... 26
};

struct GroupRule {
  const char* folder;
  Match match;
  const char* text;
  uint8_t low;
  uint8_t high;
  MemGroup group;
};

// First match wins.
constexpr GroupRule kGroupRules[] = {
    {"system", Match::kAny, "", 0, 0, MemGroup::kProgram},
    {"main", Match::kNumber, "", 1, 20, MemGroup::kYData},
    {"main", Match::kListFile, "LIST", 1, 6, MemGroup::kListFile},
    {"main", Match::kExact, "0LIST0", 0, 0, MemGroup::kListFile},
    {"main", Match::kExact, "AN", 0, 0, MemGroup::kRecursion},
    {"main", Match::kExact, "BN", 0, 0, MemGroup::kRecursion},
    {"main", Match::kExact, "CN", 0, 0, MemGroup::kRecursion},
    {"main", Match::kExact, "RECURTBL", 0, 0, MemGroup::kRecursion},
    {"main", Match::kExact, "EQU_SOLV", 0, 0, MemGroup::kEquation},
    {"main", Match::kExact, "POLYRSLT", 0, 0, MemGroup::kEquation},
    {"main", Match::kExact, "POLYMULT", 0, 0, MemGroup::kEquation},
    {"main", Match::kExact, "POLYCOEF", 0, 0, MemGroup::kEquation},
    {"main", Match::kExact, "SIMLRSLT", 0, 0, MemGroup::kEquation},
    {"main", Match::kExact, "SIMLCOEF", 0, 0, MemGroup::kEquation},
    {"main", Match::kByte, "FMEM", 1, 20, MemGroup::kFMem},
    {"main", Match::kExact, "FACTOR", 0, 0, MemGroup::kYData},
    {"main", Match::kExact, "VWIN", 0, 0, MemGroup::kYData},
    {"main", Match::kExact, "VWINR", 0, 0, MemGroup::kYData},
    {"main", Match::kExact, "GRAPHTBL", 0, 0, MemGroup::kTable},
    {"main", Match::kPrefix, "MAT_", 0, 0, MemGroup::kMatrix},
    {"main", Match::kNumber, "PICT", 1, 20, MemGroup::kPicture},
    {"main", Match::kNumber, "VMEM", 1, 6, MemGroup::kVWin},
    {"main", Match::kPrefix, "STAT", 0, 0, MemGroup::kStat},
    {"@RUNMAT", Match::kExact, "REPLAY", 0, 0, MemGroup::kSystem},
    {"@RUNMAT", Match::kExact, "RUN2D1", 0, 0, MemGroup::kSystem},
    {"@STAT", Match::kExact, "STATap", 0, 0, MemGroup::kStat},
    {"@STAT", Match::kExact, "G_CND", 0, 0, MemGroup::kStat},
    {"@STAT", Match::kExact, "C_CND", 0, 0, MemGroup::kStat},
    {"@GRAPH", Match::kNumber, "GMEM", 1, 20, MemGroup::kGMem},
    // "COND" and the dynamic-graph memories: the folder holds nothing else.
    {"@DYNA", Match::kAny, "", 0, 0, MemGroup::kDynaMem},
    {"@RECUR", Match::kExact, "RECRG", 0, 0, MemGroup::kRecursion},
    {"@CONICS", Match::kExact, "conicmem", 0, 0, MemGroup::kConics},
    {"@EQUA", Match::kExact, "EQSLVLMT", 0, 0, MemGroup::kEquation},
    {"@FINANCE", Match::kExact, "fina_mem", 0, 0, MemGroup::kFinancial},
    // The sheets and their name and condition records.
    {"@SSHEET", Match::kAny, "", 0, 0, MemGroup::kSSheet},
    {"@TABLE", Match::kExact, "RANGE", 0, 0, MemGroup::kTable},
    {"@REV2", Match::kExact, "NAT_CLIP", 0, 0, MemGroup::kSystem},
    {"@REV2", Match::kExact, "CLIP", 0, 0, MemGroup::kSystem},
    {"@REV2", Match::kNumber, "CAPT", 1, 20, MemGroup::kCapture},
};

// A decimal number without leading zeros filling the rest of the name.
bool NumberIn(const char* digits, uint32_t low, uint32_t high) {
  if (digits[0] < '1' || digits[0] > '9') return false;
  uint32_t value = 0;
  for (const char* p = digits; *p != 0; ++p) {
    if (*p < '0' || *p > '9' || value > high) return false;
    value = value * 10 + static_cast<uint32_t>(*p - '0');
  }
  return value >= low && value <= high;
}

bool Matches(const GroupRule& rule, const char* name) {
  const size_t textLen = std::strlen(rule.text);
  const bool prefixed = std::strncmp(name, rule.text, textLen) == 0;
  switch (rule.match) {
    case Match::kAny:
      return true;
    case Match::kExact:
      return std::strcmp(name, rule.text) == 0;
    case Match::kPrefix:
      return prefixed;
    case Match::kNumber:
      return prefixed && NumberIn(name + textLen, rule.low, rule.high);
    case Match::kByte: {
      const auto b = static_cast<uint8_t>(name[textLen]);
      return prefixed && b >= rule.low && b <= rule.high && name[textLen + 1] == 0;
    }
    case Match::kListFile:
      return name[0] >= static_cast<char>('0' + rule.low) &&
             name[0] <= static_cast<char>('0' + rule.high) &&
             std::strncmp(name + 1, rule.text, textLen) == 0 && NumberIn(name + 1 + textLen, 1, 26);
  }
  return false;
}

}  // namespace

const char* const kMemSetUpFolders[] = {
    "@RUNMAT", "@STAT",    "@GRAPH",  "@DYNA",  "@RECUR", "@CONICS", "@EQUA",
    "@PROG",   "@FINANCE", "@SSHEET", "@TABLE", "@LINK",  "@SYSTEM", "@MEMORY",
};
const size_t kMemSetUpFolderCount = sizeof kMemSetUpFolders / sizeof kMemSetUpFolders[0];

const char* MemKindFolder(uint8_t kind) {
  return KindRowOf(kind).folder;
}
uint8_t MemKindType(uint8_t kind) {
  return KindRowOf(kind).type;
}

uint8_t MemTypeKind(uint8_t type) {
  for (const KindRow& row : kKinds) {
    if (row.type == type) return row.kind;
  }
  return kMemKindNone;
}

uint32_t MemPublicCode(uint32_t coreCode) {
  for (const CodeRow& row : kCodeMap) {
    if (row.core == coreCode) return row.pub;
  }
  return kMemErrNotFound;
}

const char* MemGroupName(MemGroup group) {
  const auto i = static_cast<size_t>(group);
  return i < kMemGroupCount ? kGroupNames[i] : "";
}

MemGroup MemDataGroup(const char* folder, const char* item) {
  // Compare normalised names as strings of at most 8 bytes.
  uint8_t f8[kMcsNameLen];
  uint8_t i8[kMcsNameLen];
  if (!McsNormaliseName(folder, f8) || !McsNormaliseName(item, i8)) return MemGroup::kNone;
  char f[kMcsNameLen + 1] = {};
  char i[kMcsNameLen + 1] = {};
  std::memcpy(f, f8, kMcsNameLen);
  std::memcpy(i, i8, kMcsNameLen);
  for (const GroupRule& rule : kGroupRules) {
    if (std::strcmp(f, rule.folder) == 0 && Matches(rule, i)) return rule.group;
  }
  return MemGroup::kNone;
}
