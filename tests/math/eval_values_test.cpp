// Lists and matrices: literals, items in main memory, element-wise
// arithmetic, the matrix operations and the temporary-block rules.
#include <cstring>

#include "math/eval_internal.h"
#include "memory/mem_handles.h"
#include "tests/math/eval_test_util.h"

namespace {

using EvalArrays = EvalFixture;
using namespace eval_internal;

int UsedHandles() {
  int n = 0;
  for (int h = 0; h < kMemHandleCount; ++h) n += MemHandleBlock(h) != nullptr;
  return n;
}

TEST_F(EvalArrays, ListArithmetic) {
  RunSteps({
      {"{1,2,3}", "{1,2,3}"},
      {"{1,2,3}+1", "{2,3,4}"},
      {"10-{1,2,3}", "{9,8,7}"},
      {"{1,2,3}×{4,5,6}", "{4,10,18}"},
      {"{1,2}+{1,2,3}", "Error 9: Dimension ERROR"},
      {"{1,2}÷{1,0}", "Error 3: Ma ERROR"},
      {"2{1,2}", "{2,4}"},
      {"{1,2}²", "{1,4}"},
      {"{1,i}+1", "{2,1+1i}"},
      {"-{1,2}", "{-1,-2}"},
      {"{1,2,3}=2", "{0,1,0}"},
      {"{1,2", "{1,2}"},  // a missing brace is supplied at the end
      {"{}", "Error 2: Syntax ERROR"},
      {"{1,,2}", "Error 2: Syntax ERROR"},
      {"{{1}}", "Error 3: Ma ERROR"},
  });
}

TEST_F(EvalArrays, ListItemsAndAns) {
  RunSteps({
      {"{1,2,3}→List 1", "{1,2,3}"},
      {"List 1×2", "{2,4,6}"},
      {"List Ans", "{2,4,6}"},
      {"Ans+1", "{3,5,7}"},
      {"List 1[2]", "2"},
      {"List 1[4]", "Error 9: Dimension ERROR"},
      {"9→List 1[3]", "9"},
      {"List 1", "{1,2,9}"},
      {"Sum List 1", "12"},
      {"Prod List 1", "18"},
      {"Cuml List 1", "{1,3,12}"},
      {"Dim List 1", "3"},
      {"Percent {1,3}", "{25,75}"},
      {"List 2", "Error 4: Memory ERROR"},
      {"List1+List 1", "{2,4,18}"},
      {"5→List 1", "Error 3: Ma ERROR"},
  });
}

TEST_F(EvalArrays, ListFunctionsWithArguments) {
  RunSteps({
      {"Max({3,9,2})", "9"},
      {"Min({3,9,2})", "2"},
      {"Max({1,5},{4,2})", "{4,5}"},
      {"Min(3,7)", "3"},
      {"Max({1,i})", "Error 3: Ma ERROR"},
      {"Mean({1,2,3,4})", "2.5"},
      {"Mean({1,2},{3,1})", "1.25"},
      {"Median({5,1,3})", "3"},
      {"Median({4,1,3,2})", "2.5"},
      {"Median({1,2},{1,3})", "2"},
      {"Median({1,2},{0.5,1})", "Error 3: Ma ERROR"},
      {"Mean({1,2},{1})", "Error 9: Dimension ERROR"},
      {"2Max({1,2})", "4"},
      {"Seq(X²,X,1,4,1)", "{1,4,9,16}"},
      {"Seq(2K,K,1,2,0.5)", "{2,3,4}"},
      {"Seq(X,X,5,1,1)", "Error 9: Dimension ERROR"},
      {"Seq(X,X,1,2,0)", "Error 8: Argument ERROR"},
      {"Σ(K,K,1,100)", "5050"},
      {"Σ(K²,K,1,3,1)", "14"},
      {"Σ(Seq(K,K,1,N,1),N,1,2)", "Error 3: Ma ERROR"},  // a term must be a number
      {"Σ(Σ(J,J,1,K),K,1,3)", "10"},
      {"K", "0"},  // the variable keeps its value
      {"Seq(X,X,1,2,1", "{1,2}"},
      {"Seq(X,1,2,1)", "Error 2: Syntax ERROR"},
      {"Σ((K,K,1,2)", "Error 2: Syntax ERROR"},
  });
}

TEST_F(EvalArrays, Matrices) {
  RunSteps({
      {"[[1,2][3,4]]", "[[1,2][3,4]]"},
      {"[[1,2][3,4]]→Mat A", "[[1,2][3,4]]"},
      {"Mat A×[[5,6][7,8]]", "[[19,22][43,50]]"},
      {"Mat A+Mat A", "[[2,4][6,8]]"},
      {"2Mat A", "[[2,4][6,8]]"},
      {"Mat A÷2", "[[0.5,1][1.5,2]]"},
      {"Mat A+1", "Error 3: Ma ERROR"},
      {"Mat A×[[1,2,3]]", "Error 9: Dimension ERROR"},
      {"Mat A[2,1]", "3"},
      {"Det Mat A", "-2"},
      {"Trn Mat A", "[[1,3][2,4]]"},
      {"Mat A⁻¹", "[[-2,1][1.5,-0.5]]"},
      {"Mat A^-1", "[[-2,1][1.5,-0.5]]"},
      {"Mat A^0", "[[1,0][0,1]]"},
      {"Mat A^0.5", "Error 3: Ma ERROR"},
      {"[[1,2][2,4]]^-2", "Error 3: Ma ERROR"},
      {"Mat A²", "[[7,10][15,22]]"},
      {"Mat Ans", "[[7,10][15,22]]"},
      {"Identity 2", "[[1,0][0,1]]"},
      {"Dim Mat A", "{2,2}"},
      {"Det [[1,2][2,4]]", "0"},
      {"[[1,2][2,4]]⁻¹", "Error 3: Ma ERROR"},
      {"[[1,2][3]]", "Error 9: Dimension ERROR"},
      {"[[1,2]", "[[1,2]]"},
      {"Mat B", "Error 4: Memory ERROR"},
      {"7→Mat A[1,2]", "7"},
      {"Mat A", "[[1,7][3,4]]"},
  });
}

TEST_F(EvalArrays, TemporaryBlocksAreFreedAfterEachLine) {
  int before = UsedHandles();
  for (int i = 0; i < 300; ++i) Run("({1,2,3}+{4,5,6})×{1,1,1}");
  EXPECT_EQ(UsedHandles(), before);
}

TEST_F(EvalArrays, HandlesTheAllocatorDoesNotKnowAreAMemoryError) {
  // A list reference whose handle names no block, and one that names a block
  // that is not ours.
  BcdNumber ref{};
  ref.bytes[0] = 0x20;
  uint16_t rows = 2, cols = 1;
  std::memcpy(ref.bytes + 1, &rows, 2);
  std::memcpy(ref.bytes + 3, &cols, 2);
  for (uint32_t handle : {0x00000000u, 0x01000005u, 0x03000000u}) {
    std::memcpy(ref.bytes + 5, &handle, 4);
    Array a;
    EXPECT_EQ(OpenArray(&ref, &a), kBcdErrMemory) << std::hex << handle;
  }
  int foreign = MemHandleAlloc(64);
  uint32_t handle = 0x01000000u | uint32_t(foreign);
  std::memcpy(ref.bytes + 5, &handle, 4);
  Array a;
  EXPECT_EQ(OpenArray(&ref, &a), kBcdErrMemory);
  ReleaseValue(&ref);  // not ours: left alone
  EXPECT_NE(MemHandleBlock(foreign), nullptr);
  MemHandleFree(foreign);
}

TEST_F(EvalArrays, ReleasingAStoredItemLeavesIt) {
  Run("{4,5}→List 3");
  BcdNumber v[2];
  static const uint8_t kTokens[] = {0x7F, 0x51, '3', 0};
  const uint8_t* p = kTokens;
  EvalStacks stacks;
  ASSERT_EQ(Evaluate(&p, v, &stacks, 0), 1);
  ReleaseValue(&v[0]);
  EXPECT_EQ(Run("List 3"), "{4,5}");
}

TEST_F(EvalArrays, AUnaryOperationReusesItsTemporaryBlock) {
  std::vector<BcdComplex> elems(3);
  for (int i = 0; i < 3; ++i) BcdFromInt(&elems[size_t(i)].re, i + 1);
  BcdNumber v[2];
  ASSERT_EQ(MakeArray(ArrayKind::kList, 3, 1, elems, v), 1);
  int before = UsedHandles();
  uint8_t handle[4];
  std::memcpy(handle, v[0].bytes + 5, 4);
  ASSERT_EQ(ApplyPrefix(0x87, v, CurrentMode()), 1);
  EXPECT_EQ(std::memcmp(handle, v[0].bytes + 5, 4), 0);
  EXPECT_EQ(UsedHandles(), before);
  // A complex result needs twice the room: a new block, the old one freed.
  BcdNumber i[2], zero, one;
  BcdZero(&zero);
  BcdConst(&one, kBcdOne);
  BcdComplexMake(&zero, &one, i);
  ASSERT_EQ(ApplyBinary(0xA9, v, i, v, CurrentMode()), 1);
  EXPECT_EQ(UsedHandles(), before);
  Array a;
  ASSERT_EQ(OpenArray(v, &a), 0);
  EXPECT_TRUE(a.complex);
  ReleaseAllTemporaries();
  EXPECT_EQ(UsedHandles(), before - 1);
}

TEST_F(EvalArrays, CoreArithmeticReachesListsThroughTheHook) {
  std::vector<BcdComplex> elems(2);
  BcdFromInt(&elems[0].re, 3);
  BcdFromInt(&elems[1].re, 4);
  BcdNumber list[2], two, sum[2];
  ASSERT_EQ(MakeArray(ArrayKind::kList, 2, 1, elems, list), 1);
  BcdFromInt(&two, 2);
  ASSERT_EQ(BcdBinary(kBcdOpMul, list, &two, sum), 1);
  Array a;
  ASSERT_EQ(OpenArray(sum, &a), 0);
  BcdNumber e[2], six;
  a.Get(0, e);
  BcdFromInt(&six, 6);
  EXPECT_EQ(BcdCompare(kBcdOpEq, &e[0], &six), 1);
  ReleaseAllTemporaries();
}

}  // namespace
