// The list and matrix commands of programs and RUN-MAT lines (Fill(, SortA(,
// SortD(, Swap, *Row, *Row+, Row+) and the functions that join and split
// lists and matrices (Augment(, List→Mat(, Mat→List().
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "eval_test_util.h"

namespace {

class InterpArraysTest : public EvalFixture {};

// The setup line stores the data, the command prints `shown` (its result or
// its error), and then `check` prints `after`: the changed data, or for a
// failing command the data as it was before.
struct CommandCase {
  const char* setup;
  const char* command;
  const char* shown;
  const char* check;
  const char* after;
};

void RunCommandCases(const std::vector<CommandCase>& cases) {
  for (const CommandCase& c : cases) {
    EXPECT_EQ(EvalTextLine(c.setup, false).error, 0) << "setup: " << c.setup;
    EXPECT_EQ(EvalTextLine(c.command, false).text, c.shown) << "command: " << c.command;
    EXPECT_EQ(EvalTextLine(c.check, false).text, c.after) << "after: " << c.command;
  }
}

constexpr const char* kTwoLists = "{3,1,2,1}->List 1:{30,10,20,11}->List 2";
constexpr const char* kMatrix = "[[1,2][3,4][5,6]]->Mat A";

TEST_F(InterpArraysTest, Sort) {
  RunCommandCases({
      {kTwoLists, "SortA(List 1)", "Done", "List 1", "{1,1,2,3}"},
      {kTwoLists, "SortD(List 1)", "Done", "List 1", "{3,2,1,1}"},
      // The second list follows the first; equal keys keep their order.
      {kTwoLists, "SortA(List 1,List 2)", "Done", "List 2", "{10,11,20,30}"},
      {kTwoLists, "SortD(List 1,List 2)", "Done", "List 2", "{30,20,10,11}"},
      {kTwoLists, "SortA(List 1,List 2", "Done", "List 1", "{1,1,2,3}"},  // ) may be left out
      {"{-2,5,0.5}->List1", "SortA(List1)", "Done", "List1", "{-2,0.5,5}"},
      {kTwoLists, "For 1->I To 2:SortD(List 1):Next:List 1[1]", "3", "List 1", "{3,2,1,1}"},
      {"{5}->List 3", "SortD(List 3)", "Done", "List 3", "{5}"},
      // Errors leave every list as it was.
      {"{3,1,2}->List 1:{9,8}->List 2", "SortA(List 1,List 2)", "Error 9: Dimension ERROR",
       "List 1", "{3,1,2}"},
      {"{i,1}->List 1:{9,8}->List 2", "SortA(List 2,List 1)", "Done", "List 1", "{1,1i}"},
      {"{i,1}->List 1", "SortA(List 1)", "Error 3: Ma ERROR", "List 1", "{1i,1}"},
      {kTwoLists, "SortA(List 1,List 2)3", "Error 2: Syntax ERROR", "List 1", "{3,1,2,1}"},
      {kTwoLists, "SortA({3,1})", "Error 2: Syntax ERROR", "List 1", "{3,1,2,1}"},
      {kTwoLists, "SortA(Mat A)", "Error 2: Syntax ERROR", "List 1", "{3,1,2,1}"},
      {"ClrList 9", "SortA(List 9)", "Error 4: Memory ERROR", "1", "1"},
  });
}

TEST_F(InterpArraysTest, Fill) {
  RunCommandCases({
      {kTwoLists, "Fill(7,List 1)", "Done", "List 1", "{7,7,7,7}"},
      {kMatrix, "Fill(-1.5,Mat A)", "Done", "Mat A", "[[-1.5,-1.5][-1.5,-1.5][-1.5,-1.5]]"},
      {kMatrix, "Fill(2+3,Mat A", "Done", "Mat A", "[[5,5][5,5][5,5]]"},
      {kTwoLists, "Fill(1+i,List 2)", "Done", "List 2", "{1+1i,1+1i,1+1i,1+1i}"},
      {kTwoLists, "Fill({1,2},List 1)", "Error 3: Ma ERROR", "List 1", "{3,1,2,1}"},
      {kTwoLists, "Fill(1÷0,List 1)", "Error 3: Ma ERROR", "List 1", "{3,1,2,1}"},
      {kTwoLists, "Fill(7,A)", "Error 2: Syntax ERROR", "List 1", "{3,1,2,1}"},
      {kTwoLists, "Fill(7)", "Error 2: Syntax ERROR", "List 1", "{3,1,2,1}"},
      {kTwoLists, "Fill(7,List 1)2", "Error 2: Syntax ERROR", "List 1", "{3,1,2,1}"},
      {"ClrMat B", "Fill(7,Mat B)", "Error 4: Memory ERROR", "1", "1"},
  });
}

TEST_F(InterpArraysTest, RowOperations) {
  RunCommandCases({
      {kMatrix, "Swap A,1,3", "Done", "Mat A", "[[5,6][3,4][1,2]]"},
      {kMatrix, "Swap Mat A,2,2", "Done", "Mat A", "[[1,2][3,4][5,6]]"},
      {kMatrix, "*Row 10,A,2", "Done", "Mat A", "[[1,2][30,40][5,6]]"},
      {kMatrix, "*Row -1,Mat A,3", "Done", "Mat A", "[[1,2][3,4][-5,-6]]"},
      {kMatrix, "*Row+ 2,A,1,3", "Done", "Mat A", "[[1,2][3,4][7,10]]"},
      {kMatrix, "Row+ A,3,1", "Done", "Mat A", "[[6,8][3,4][5,6]]"},
      {kMatrix, "2->R:Row+ A,R,R+1", "Done", "Mat A", "[[1,2][3,4][8,10]]"},
      {kMatrix, "*Row i,A,1", "Done", "Mat A", "[[1i,2i][3,4][5,6]]"},
      // A row outside the matrix, a missing argument or a wrong name: nothing changes.
      {kMatrix, "Swap A,1,4", "Error 8: Argument ERROR", "Mat A", "[[1,2][3,4][5,6]]"},
      {kMatrix, "Swap A,0,1", "Error 8: Argument ERROR", "Mat A", "[[1,2][3,4][5,6]]"},
      {kMatrix, "*Row 2,A,1.5", "Error 8: Argument ERROR", "Mat A", "[[1,2][3,4][5,6]]"},
      {kMatrix, "*Row+ 2,A,1,9", "Error 8: Argument ERROR", "Mat A", "[[1,2][3,4][5,6]]"},
      {kMatrix, "Row+ A,1", "Error 2: Syntax ERROR", "Mat A", "[[1,2][3,4][5,6]]"},
      {kMatrix, "Swap A,1,2,3", "Error 2: Syntax ERROR", "Mat A", "[[1,2][3,4][5,6]]"},
      {kMatrix, "Swap List 1,1,2", "Error 2: Syntax ERROR", "Mat A", "[[1,2][3,4][5,6]]"},
      {kMatrix, "*Row {2},A,1", "Error 3: Ma ERROR", "Mat A", "[[1,2][3,4][5,6]]"},
      {"[[1E99,1][1,1]]->Mat A", "*Row 10,A,1", "Error 3: Ma ERROR", "Mat A[1,2]", "1"},
      {"ClrMat C", "Swap C,1,1", "Error 4: Memory ERROR", "1", "1"},
  });
}

TEST_F(InterpArraysTest, JoinAndSplit) {
  RunSteps({
      {"Augment({1,2},{3})", "{1,2,3}"},
      {"Augment([[1][2]],[[3,4][5,6]])", "[[1,3,4][2,5,6]]"},
      {"Augment([[1]],[[3,4][5,6]])", "Error 9: Dimension ERROR"},
      {"Augment({1},[[1]])", "Error 3: Ma ERROR"},
      {"Augment({1},2)", "Error 3: Ma ERROR"},
      {"Augment({1})", "Error 2: Syntax ERROR"},
      {"Seq(X,X,1,999,1)->List 1:Augment(List 1,{1})", "Error 9: Dimension ERROR"},
      {"Dim Augment(List 1,{1})", "Error 9: Dimension ERROR"},  // 1000 elements
      {"Seq(X,X,1,499,1)->List 2:Seq(X,X,1,500,1)->List 3:Dim Augment(List 2,List 3)", "999"},
      {"List→Mat({1,2},{3,4},{5,6})", "[[1,3,5][2,4,6]]"},
      {"List->Mat({7,8})", "[[7][8]]"},
      {"List->Mat({1,2},{3})", "Error 9: Dimension ERROR"},
      {"List->Mat({1,2},5)", "Error 3: Ma ERROR"},
      {"List->Mat([[1]])", "Error 3: Ma ERROR"},
      {"Dim List->Mat(List 2)", "Error 9: Dimension ERROR"},  // more than 255 rows
      {"Seq(X,X,1,255,1)->List 4:Dim List->Mat(List 4,List 4)", "{255,2}"},
      {"Mat→List([[1,2][3,4]],2)", "{2,4}"},
      {"[[1,2][3,4][5,6]]->Mat A:Mat->List(Mat A,1)", "{1,3,5}"},
      {"Mat->List(Mat A,3)", "Error 8: Argument ERROR"},
      {"Mat->List(Mat A,0)", "Error 8: Argument ERROR"},
      {"Mat->List({1,2},1)", "Error 3: Ma ERROR"},
      // The pieces go back together.
      {"Augment(Mat->List(Mat A,2),Mat->List(Mat A,1))", "{2,4,6,1,3,5}"},
      {"List->Mat(Mat->List(Mat A,2),Mat->List(Mat A,1))", "[[2,1][4,3][6,5]]"},
  });
}

}  // namespace
