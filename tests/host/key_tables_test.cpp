#include <gtest/gtest.h>

#include <array>
#include <utility>

#include "host/services/key_tables.h"

namespace {

// A click in the LCD's label band lands on the function key below it.
TEST(KeyTables, ClicksOnTheFaceFindTheirKeys) {
  const std::array<int, 3> cases[] = {  // x, y, code (-1: no key)
      {150, 200, 59}, {46, 200, 79},  {296, 200, 29},  // label band: F3, F1, F6
      {44, 200, -1},  {150, 193, -1},                  // just outside the band
      {83, 315, 79},  {84, 315, -1},                   // right and bottom edges are inside
      {44, 293, 79},  {200, 250, -1}, {263, 340, 28},  // cursor pad: UP
      {298, 649, 31}, {299, 649, -1},
  };
  for (auto [clickX, clickY, code] : cases) {
    int x = clickX, y = clickY;
    RemapLabelBand(&x, &y);
    const KeyRect* k = HitTestKey(x, y);
    EXPECT_EQ(k ? k->code : -1, code) << clickX << "," << clickY;
  }
}

TEST(KeyTables, TypedCharacters) {
  const std::array<int, 3> cases[] = {  // character, key code, aux
      {'7', 74, '7'},         {'^', 57, '^'},         {'-', 32, '-'},
      {'!', kNoKey, '!'},     {'\\', kNoKey, '\\'},   {192, kNoKey, 0xE501},
      {214, kNoKey, 0xE517},  {216, kNoKey, 0xE518},  {222, kNoKey, 0xE51E},
      {233, kNoKey, 0xE60A},  {248, kNoKey, 0xE618},  {254, kNoKey, 0xE61E},
      {215, kNoKey, 0xA9},    {247, kNoKey, 0xB9},    {255, kNoKey, 0xE620},
      {223, kNoKey, 0xE641},  {191, kNoKey, 0xE591},  {128, kNoKey, 0xE592},
  };
  for (auto [character, code, aux] : cases) {
    const PcCharRow* row = PcCharOf(character);
    ASSERT_NE(row, nullptr) << character;
    EXPECT_EQ(std::pair(int{row->code}, int{row->aux}), std::pair(code, aux)) << character;
  }
  // Letters, controls and unlisted signs have no row.
  for (int character : {int{'q'}, int{'Q'}, int{' '}, 13, int{'`'}, 129, 160})
    EXPECT_EQ(PcCharOf(character), nullptr) << character;
  int rows = 1;
  for (const PcCharRow* r = PcCharTableRows(); r->character != -1; ++r) ++rows;
  EXPECT_EQ(rows, kPcCharRows);
}

TEST(KeyTables, PcKeysAndTheCodePage) {
  EXPECT_EQ(UnicodeToCp1252(0xE9), 233);
  EXPECT_EQ(UnicodeToCp1252(0x20AC), 128);  // euro sign
  EXPECT_EQ(UnicodeToCp1252(0x0153), 156);
  EXPECT_EQ(UnicodeToCp1252(0x03B8), -1);  // theta has no code there
  EXPECT_EQ(PcKeyOf(kVkReturn)->code, 31);
  EXPECT_EQ(PcKeyOf(kVkBack)->code, 44);
  EXPECT_EQ(PcKeyOf(kVkSpace)->code, kNoKey);
  EXPECT_EQ(PcKeyOf(kVkF7), nullptr);
  EXPECT_TRUE(PcKeyIgnored(kVkDecimal));
  EXPECT_FALSE(PcKeyIgnored(kVkDelete));
}

}  // namespace
