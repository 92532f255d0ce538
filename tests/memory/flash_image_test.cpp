// The image layer and the strict flash under it.
#include <gtest/gtest.h>

#include <cstring>

#include "fs_test_support.h"
#include "memory/fs_error.h"
#include "memory/fs_record.h"

namespace {

TEST(FlashImage, ProgramRefusesOddAndLowAddresses) {
  FlashRig rig;
  FlashClearInternalError();
  uint8_t two[2] = {0x12, 0x34};
  EXPECT_EQ(FlashProgram(kFlashBase + 1, two, 2), -1);
  EXPECT_EQ(FlashLastInternalError(), 0);
  EXPECT_EQ(FlashProgram(kFlashBase - 2, two, 2), -1);
  EXPECT_EQ(FlashLastInternalError(), kFlashInternalError);
  EXPECT_EQ(FlashProgram(kFlashEnd - 1, two, 2), -1);
  EXPECT_EQ(FlashProgram(kFlashBase, two, 2), 0);
  uint8_t back[2];
  ASSERT_TRUE(FlashRead(kFlashBase, back, 2));
  EXPECT_EQ(back[0], 0x12);
  EXPECT_FALSE(FlashRead(kFlashBase - 1, back, 2));
  EXPECT_FALSE(FlashRead(kFlashEnd - 1, back, 2));
  EXPECT_EQ(rig.emu.violations, 0);
}

TEST(FlashImage, StrictFlashCountsEveryBreach) {
  FlashRig rig;
  FlashMedium m = FlashEmuMedium(&rig.emu);
  uint8_t zero = 0x00, ff = 0xFF;
  EXPECT_EQ(m.ops->program(m.ctx, kFlashBase, &zero, 1), 0);
  EXPECT_EQ(rig.emu.violations, 0);
  m.ops->program(m.ctx, kFlashBase, &ff, 1);  // would set bits
  EXPECT_EQ(rig.emu.violations, 1);
  m.ops->program(m.ctx, kFlashBase + 3, &zero, 1);  // odd
  m.ops->program(m.ctx, kFlashBase - 2, &zero, 1);  // below the storage area
  m.ops->erase(m.ctx, kFlashBase + 0x800);          // not a sector start
  EXPECT_EQ(rig.emu.violations, 4);
  EXPECT_NE(rig.emu.first_violation.find("sets a cleared bit"), std::string::npos);
}

TEST(FlashImage, EraseIsVerifiedWithThreeAttempts) {
  FlashRig rig;
  uint8_t zero[16] = {};
  ASSERT_EQ(FlashProgram(SectorAddress(3) + 0x100, zero, 16), 0);
  EXPECT_FALSE(SectorIsBlank(3));
  EXPECT_TRUE(SectorIsBlank(3, 0x110));
  rig.emu.fault_sector = 3;
  rig.emu.fault = FlashFault::kEraseNoop;  // says yes, does nothing
  int64_t before = rig.emu.ops;
  EXPECT_FALSE(FlashEraseVerified(3));
  EXPECT_EQ(rig.emu.ops - before, kEraseAttempts);
  rig.emu.fault = FlashFault::kNone;
  EXPECT_TRUE(FlashEraseVerified(3));
  EXPECT_TRUE(SectorIsBlank(3));
  EXPECT_FALSE(FlashEraseSector(25));
}

TEST(FlashImage, PowerCutStopsEverythingAfterIt) {
  FlashRig rig;
  uint8_t zero[4] = {};
  FlashEmuArmCut(&rig.emu, 1, false, 0);
  EXPECT_EQ(FlashProgram(kFlashBase, zero, 4), 0);
  EXPECT_EQ(FlashProgram(kFlashBase + 4, zero, 4), -1);  // the cut: nothing lands
  uint8_t back[8];
  EXPECT_FALSE(FlashRead(kFlashBase, back, 8));  // the machine is off
  FlashEmuPowerOn(&rig.emu);
  ASSERT_TRUE(FlashRead(kFlashBase, back, 8));
  EXPECT_EQ(back[3], 0);
  EXPECT_EQ(back[4], 0xFF);
  // A torn program lands only some of its bits, never more than asked.
  uint8_t data[64];
  std::memset(data, 0x0F, sizeof data);
  FlashEmuArmCut(&rig.emu, 0, true, 99);
  EXPECT_EQ(FlashProgram(kFlashBase + 64, data, 64), -1);
  FlashEmuPowerOn(&rig.emu);
  uint8_t torn[64];
  ASSERT_TRUE(FlashRead(kFlashBase + 64, torn, 64));
  bool some = false, all = true;
  for (uint8_t b : torn) {
    EXPECT_EQ(b & 0x0F, 0x0F);
    some |= b != 0xFF;
    all &= b == 0x0F;
  }
  EXPECT_TRUE(some);
  EXPECT_FALSE(all);
}

// The record shadow takes only bit clearing, names fields by offset and
// size, and checks the whole record again at commit.
TEST(RecordShadow, OnlyClearsBitsAndChecksAtCommit) {
  FlashRig rig;
  rig.Format();
  ASSERT_EQ(RecSelect(3), 0);
  EXPECT_EQ(RecOld32(rec::kSectorBlock), kBlockFree);
  RecWrite32(rec::kSectorBlock, 0x12345678);
  EXPECT_EQ(Get32(Shadow().new_copy, rec::kSectorBlock), 0x12345678u);
  RecWrite16(rec::kSectorBlock, 0x0000);      // wrong size for that field
  RecWrite16(rec::kSectorState + 1, 0x0000);  // not a field start
  EXPECT_EQ(Get32(Shadow().new_copy, rec::kSectorBlock), 0x12345678u);
  RecWrite32(rec::kSectorEraseCount, 0xFFFFFFFF);  // from 1 back to all ones: ignored
  EXPECT_EQ(Get32(Shadow().new_copy, rec::kSectorEraseCount), 1u);
  ASSERT_EQ(RecCommit(), 0);
  RecRelease();
  EXPECT_EQ(Shadow().number, -1);
  EXPECT_EQ(Shadow().new_copy[0], 0xFF);

  ASSERT_EQ(RecSelect(3), 0);
  uint8_t before[32];
  ASSERT_EQ(RecRead(3, before), 0);
  Shadow().new_copy[20] = 0xFF;  // sneaks a set bit past the field rule
  Shadow().new_copy[9] = 0x00;
  Shadow().new_copy[8] = 0xFF;
  EXPECT_EQ(RecCommit(), kFsCommitSetsBit);
  uint8_t after[32];
  ASSERT_EQ(RecRead(3, after), 0);
  EXPECT_EQ(std::memcmp(before, after, 32), 0);
  RecRelease();
  EXPECT_EQ(rig.emu.violations, 0);
}

TEST(RecordShadow, NamesUseTheSubstituteForAllOnesCharacters) {
  FlashRig rig;
  rig.Format();
  std::u16string name = U("AB");
  name += char16_t(0xFFFF);
  ASSERT_EQ(FsCreate((FlashPath("") + name).c_str(), 1, 0), 0);
  std::vector<std::u16string> names = ListFolder("", "*");
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0], U("AB_"));
}

}  // namespace
