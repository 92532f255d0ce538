#include "memory/mem_tables.h"

#include <gtest/gtest.h>

namespace {

TEST(MemTables, DataGroups) {
  struct Row {
    const char* folder;
    const char* item;
    const char* group;
  };
  const Row rows[] = {{"system", "ANYPROG", "PROGRAM"},
                      {"main", "1", "Y=DATA"},
                      {"main", "20", "Y=DATA"},
                      {"main", "21", ""},
                      {"main", "0", ""},
                      {"main", "07", ""},
                      {"main", "1LIST1", "LISTFILE"},
                      {"main", "6LIST26", "LISTFILE"},
                      {"main", "7LIST1", ""},
                      {"main", "1LIST27", ""},
                      {"main", "0LIST0", "LISTFILE"},
                      {"main", "AN", "RECURSION"},
                      {"main", "RECURTBL", "RECURSION"},
                      {"main", "POLYCOEF", "EQUATION"},
                      {"main", "FMEM\x01", "F-MEM"},
                      {"main", "FMEM\x14", "F-MEM"},
                      {"main", "FMEM\x15", ""},
                      {"main", "FMEM1", ""},
                      {"main", "FMEM", ""},
                      {"main", "VWINR", "Y=DATA"},
                      {"main", "GRAPHTBL", "TABLE"},
                      {"main", "MAT_A", "MATRIX"},
                      {"main", "MAT_ANS", "MATRIX"},
                      {"main", "PICT20", "PICTURE"},
                      {"main", "PICT", ""},
                      {"main", "VMEM6", "V-WIN"},
                      {"main", "VMEM7", ""},
                      {"main", "STATV", "STAT"},
                      {"main", "ALPHAMEM", ""},
                      {"@RUNMAT", "REPLAY", "SYSTEM"},
                      {"@RUNMAT", "OTHER", ""},
                      {"@STAT", "C_CND", "STAT"},
                      {"@GRAPH", "GMEM13", "G-MEM"},
                      {"@DYNA", "COND", "DYNA MEM"},
                      {"@RECUR", "RECRG", "RECURSION"},
                      {"@CONICS", "conicmem", "CONICS"},
                      {"@EQUA", "EQSLVLMT", "EQUATION"},
                      {"@FINANCE", "fina_mem", "FINANCIAL"},
                      {"@SSHEET", "SHEET1", "S-SHEET"},
                      {"@SSHEET", "@SNAME", "S-SHEET"},
                      {"@TABLE", "RANGE", "TABLE"},
                      {"@REV2", "NAT_CLIP", "SYSTEM"},
                      {"@REV2", "CAPT1", "CAPTURE"},
                      {"@REV2", "CAPT21", ""},
                      {"@LOCAL1", "X", ""},
                      {"main", "", ""}};
  for (const Row& row : rows) {
    EXPECT_STREQ(MemGroupName(MemDataGroup(row.folder, row.item)), row.group)
        << row.folder << '/' << row.item;
  }
  EXPECT_STREQ(MemGroupName(MemGroup::kAlphaMem), "ALPHA MEM");
  EXPECT_STREQ(MemGroupName(MemGroup::kSetup), "SETUP");
  EXPECT_STREQ(MemGroupName(MemGroup::kNone), "");
}

TEST(MemTables, PublicCodes) {
  struct Row {
    uint32_t core, pub;
  };
  const Row rows[] = {{0, 0},   {16, 19}, {17, 81}, {18, 23}, {19, 21}, {20, 51}, {21, 24},
                      {22, 22}, {24, 25}, {65, 18}, {80, 48}, {81, 50}, {82, 82}, {255, 255},
                      {23, 64}, {52, 64}, {7, 64},  {95, 64}, {240, 64}};  // unlisted: 64
  for (const Row& row : rows) EXPECT_EQ(MemPublicCode(row.core), row.pub) << row.core;
}

}  // namespace
