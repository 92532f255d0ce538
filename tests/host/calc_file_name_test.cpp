#include <gtest/gtest.h>

#include "host/services/calc_file_name.h"

namespace {

TEST(CalcFileName, TitleRule) {
  struct Case {
    const char* path;
    CalcDialogKind kind;
    bool accepted;
  } cases[] = {
      {"/data/AZaz09{}", CalcDialogKind::kOpen, true},
      {"/data/ab'~CD12.g1m", CalcDialogKind::kOpen, true},    // eight characters
      {"/data/ABCDEFGHI.g1m", CalcDialogKind::kOpen, false},  // nine
      {"/data/AB-CD.g1m", CalcDialogKind::kOpen, false},      // hyphen
      {"/data/caf\xC3\xA9.g1m", CalcDialogKind::kOpen, false},  // non-ASCII letter
      {"/data/.g1m", CalcDialogKind::kOpen, true},             // empty title passes
      {"C:\\calc\\PROG.G1E", CalcDialogKind::kSave, true},     // extension case ignored
      {"/data/PROG.txt", CalcDialogKind::kSave, false},
      {"/data/PROG", CalcDialogKind::kSave, true},
      {"/data/PROG.txt", CalcDialogKind::kOpen, true},  // only the save dialog checks it
      {"/da.ta/PROG", CalcDialogKind::kOpen, true},     // a dot in a folder is not an extension
  };
  for (const Case& c : cases)
    EXPECT_EQ(CalcFileNameAccepted(c.path, c.kind), c.accepted) << c.path;
}

TEST(CalcFileName, SaveNameIsUpperCaseWithoutExtension) {
  struct Case {
    const char* chosen;
    const char* rebuilt;
  } cases[] = {
      {"/home/user/calc/prog1.g1e", "/home/user/calc/PROG1"},
      {"C:\\Work\\MyDoc", "C:\\Work\\MYDOC"},
      {"notes{x}.g1e", "NOTES{X}"},
  };
  for (const Case& c : cases) EXPECT_EQ(CalcSaveNameFromPath(c.chosen), c.rebuilt) << c.chosen;
}

}  // namespace
