// The statement class of every token: one 256-entry byte table per page
// (one-byte tokens, 0x7F, 0xF7, 0xF9), built at compile time from ranges.
#include <array>

#include "math/interp.h"

namespace {

struct ClassRange {
  uint16_t first, last;
  uint8_t cls;
};

// Later ranges win over earlier ones.
constexpr ClassRange kRanges[] = {
    // Everything of the one-byte and 0x7F pages starts an expression unless
    // it is listed below; the evaluator rejects what it cannot read.
    {0x01, 0xFF, kClassExpression},
    {0x7F00, 0x7FFF, kClassExpression},
    {0x0C, 0x0C, kClassDisplayStop},
    {0x0D, 0x0D, kClassEmptyLine},
    {0x0E, 0x0E, kClassArrow},
    {0x13, 0x13, kClassArrow},
    {0x22, 0x22, kClassString},
    {0x27, 0x27, kClassComment},
    {0x3A, 0x3A, kClassColon},
    {0x3F, 0x3F, kClassInput},
    {0xD1, 0xD1, kClassGraph},  // Cls
    {0xD3, 0xD3, kClassRnd},
    {0xD4, 0xD7, kClassSetting},  // Dec Hex Bin Oct
    {0xD9, 0xDD, kClassSetting},  // Norm Deg Rad Gra Eng
    {0xE0, 0xE1, kClassGraph},    // Plot Line
    {0xE2, 0xE2, kClassLabel},
    {0xE3, 0xE4, kClassSetting},  // Fix Sci
    {0xE8, 0xE9, kClassCount},
    {0xEA, 0xEB, kClassSetting},  // Factor ViewWindow
    {0xEC, 0xEC, kClassLabel},
    {0xED, 0xED, kClassProg},
    {0xEE, 0xF5, kClassGraph},  // the Graph commands
    {0x7F51, 0x7F51, kClassList},
    {0x7F6A, 0x7F6F, kClassList},
    {0x7F42, 0x7F45, kClassMatrixCommand},  // *Row *Row+ Row+ Swap
    {0x7F47, 0x7F47, kClassMatrixCommand},  // Fill(
    {0xF700, 0xF700, kClassIf},
    {0xF702, 0xF703, kClassIf},
    {0xF704, 0xF704, kClassFor},
    {0xF707, 0xF707, kClassFor},
    {0xF708, 0xF709, kClassWhile},
    {0xF70A, 0xF70B, kClassDo},
    {0xF70C, 0xF70C, kClassReturn},
    {0xF70D, 0xF70D, kClassBreak},
    {0xF70E, 0xF70E, kClassStop},
    {0xF710, 0xF710, kClassLocate},
    {0xF711, 0xF711, kClassSend},
    {0xF712, 0xF712, kClassReceive},
    {0xF713, 0xF714, kClassComport},
    {0xF715, 0xF715, kClassSend},
    {0xF716, 0xF716, kClassReceive},
    {0xF718, 0xF718, kClassClear},
    {0xF719, 0xF719, kClassGraph},    // ClrGraph
    {0xF71A, 0xF71A, kClassClear},    // ClrList
    {0xF71C, 0xF71F, kClassSetting},  // S-L- line styles
    {0xF720, 0xF72A, kClassGraph},    // the Draw commands
    {0xF72B, 0xF72D, kClassSetting},  // graph line styles
    {0xF72E, 0xF72F, kClassGraph},    // DispF-Tbl DispR-Tbl
    {0xF732, 0xF736, kClassSetting},
    {0xF73F, 0xF753, kClassSetting},  // statistics and their graph settings
    {0xF755, 0xF75E, kClassSetting},
    {0xF760, 0xF761, kClassSetting},
    {0xF762, 0xF762, kClassGraph},  // Graph X=
    {0xF763, 0xF767, kClassSetting},
    {0xF76A, 0xF76D, kClassSetting},
    {0xF770, 0xF771, kClassSetting},
    {0xF776, 0xF77D, kClassSetting},
    {0xF780, 0xF780, kClassSetting},
    {0xF788, 0xF788, kClassSetting},
    {0xF78C, 0xF78F, kClassGraph},  // the Sketch commands
    {0xF790, 0xF792, kClassSetting},
    {0xF793, 0xF794, kClassGraph},  // StoPict RclPict
    {0xF795, 0xF798, kClassSetting},
    {0xF79F, 0xF79F, kClassRecallCapture},
    {0xF7A0, 0xF7AD, kClassGraph},          // Tangent ... PxlChg
    {0xF7AF, 0xF7AF, kClassExpression},     // PxlTest(
    {0xF7B0, 0xF7B1, kClassMatrixCommand},  // SortA( SortD(
    {0xF7B2, 0xF7DC, kClassSetting},
    {0xF908, 0xF90C, kClassSetting},  // Real a+bi r∠θ EngOn EngOff
    {0xF910, 0xF91D, kClassSetting},
    {0xF91E, 0xF91E, kClassClear},  // ClrMat
    {0xF920, 0xF920, kClassGraph},  // ZoomAuto
    {0xF921, 0xF922, kClassExpression},
};

struct Tables {
  std::array<uint8_t, 256> page[4] = {};  // one-byte, 0x7F, 0xF7, 0xF9
};

constexpr int PageIndex(uint16_t code) {
  if (code < 0x100) return 0;
  switch (code >> 8) {
    case 0x7F:
      return 1;
    case 0xF7:
      return 2;
    case 0xF9:
      return 3;
    default:
      return -1;
  }
}

constexpr Tables Build() {
  Tables t;
  for (const ClassRange& r : kRanges)
    for (uint32_t c = r.first; c <= r.last; ++c) {
      int page = PageIndex(uint16_t(c));
      if (page >= 0) t.page[page][c & 0xFF] = r.cls;
    }
  t.page[0][0] = kClassEnd;
  // Lead bytes never stand alone.
  for (uint8_t lead : {0x7F, 0xE5, 0xE6, 0xE7, 0xF7, 0xF9}) t.page[0][lead] = kClassInvalid;
  return t;
}

constexpr Tables kTables = Build();
static_assert(kTables.page[2][0x00] == kClassIf && kTables.page[0][0xED] == kClassProg);

// Setting-class codes that are statistics commands (run by the statistics
// side when it arrives) rather than graph settings.
constexpr bool IsStatistics(uint16_t c) {
  return (c >= 0xF740 && c <= 0xF749) || c == 0xF734 || c == 0xF736 ||
         (c >= 0xF7B2 && c <= 0xF7BD) || (c >= 0xF910 && c <= 0xF91D);
}

}  // namespace

int InterpStatementClass(uint16_t code) {
  int page = PageIndex(code);
  return page < 0 ? int(kClassInvalid) : int(kTables.page[page][code & 0xFF]);
}

bool InterpIsGraphSetting(uint16_t code) {
  if (InterpStatementClass(code) != kClassSetting || IsStatistics(code)) return false;
  // The number and mode settings the interpreter runs itself.
  if ((code >= 0xD4 && code <= 0xDD) || code == 0xE3 || code == 0xE4) return false;
  if (code >= 0xF908 && code <= 0xF90C) return false;
  if (code == 0xF7CD || code == 0xF7CE) return false;  // ab/c, d/c
  return true;
}
