// The evaluator through the path `vk2280-cli eval` takes: PC text to
// tokens, the line runner, the result text.
#include <string>
#include <vector>

#include "math/token.h"
#include "tests/math/eval_test_util.h"

namespace {

using EvalLines = EvalFixture;

TEST_F(EvalLines, PrecedenceAndImplicitMultiplication) {
  RunSteps({
      {"2+3×4", "14"},  {"2+3*4", "14"}, {"(2+3)×4", "20"},
      {"2(3+4)", "14"}, {"(2+3", "5"},  // a missing closing bracket is supplied
      {"3++2", "5"},                    // + in operand position is skipped
      {"3×-2", "-6"},                   // - in operand position negates
      {"3-−2", "5"},    {"3->X", "3"},   {"2X", "6"},
      {"6÷2X", "1"},                      // 2X binds tighter than ÷
      {"6/2X+1", "2"},  {"12÷2÷3", "2"},  // equal levels reduce left to right
      {"10-2-3", "5"},  {"(2)(3)", "6"}, {"2π", "6.283185307"},
      {"X²", "9"},      {"-X²", "-9"},  // the postfix square applies to the operand first
      {"3=3", "1"},     {"2<1", "0"},    {"1+1=2", "1"},  // relations bind looser than arithmetic
  });
}

TEST_F(EvalLines, SyntaxErrors) {
  RunSteps({
      {"3+", "Error 2: Syntax ERROR"},
      {"Det ", "Error 2: Syntax ERROR"},
      {"Det", "Error 2: Syntax ERROR"},
      {"2)", "Error 2: Syntax ERROR"},
      {"×3", "Error 2: Syntax ERROR"},
      {"1.2.3", "Error 2: Syntax ERROR"},
      {"2 3", "23"},                      // blanks between digits are dropped
      {"(1)2", "Error 2: Syntax ERROR"},  // a digit cannot follow a value
      {"1ᴇ", "Error 2: Syntax ERROR"},
      {"1E", "0"},  // E after a number without digits is the variable
      {"→A", "Error 2: Syntax ERROR"},
      {"1→", "Error 2: Syntax ERROR"},
      {"1→2", "Error 2: Syntax ERROR"},
      {"1 And", "Error 2: Syntax ERROR"},
      {"And 1", "Error 23: System ERROR"},  // may not stand as an operand
      {"☃", "Error 2: Syntax ERROR"},
  });
}

TEST_F(EvalLines, OperandsOfLaterFeaturesGiveErrors) {
  RunSteps({
      {"Xmin", "Error 3: Ma ERROR"},            // V-Window
      {"2x̄", "Error 3: Ma ERROR"},              // statistics
      {"CellSum(A1:A2)", "Error 3: Ma ERROR"},  // sheet cells
      {"P(0.5)", "Error 3: Ma ERROR"},
      {"P(i)", "Error 25: Complex Number In List"},
      {"Getkey", "0"},
  });
}

TEST_F(EvalLines, StackLimits) {
  auto nested = [](int n) {
    std::string s;
    for (int i = 1; i <= n; ++i) s += std::to_string(i) + "+(";
    return s + "1";
  };
  // Each level leaves one value and two operator bytes pending.
  EXPECT_EQ(Run(nested(10)), "56");
  EXPECT_EQ(Run(nested(11)), "Error 7: Stack ERROR");
  EXPECT_EQ(Run(std::string(26, '(') + "1"), "1");
  EXPECT_EQ(Run(std::string(27, '(') + "1"), "Error 7: Stack ERROR");
  // A complex pending value takes two slots.
  EXPECT_EQ(Run("i+(" + nested(8)), "37+1i");
  EXPECT_EQ(Run("i+(" + nested(9)), "Error 7: Stack ERROR");
}

TEST_F(EvalLines, NumberLiterals) {
  RunSteps({
      {"1.5E3", "1500"},
      {"1E-5", "1E-05"},
      {"2.5E−3", "2.5E-03"},
      {"ᴇ3", "1000"},  // the exponent alone: 1E3
      {"1E99×10", "Error 3: Ma ERROR"},
      {"1E100", "Error 2: Syntax ERROR"},  // two exponent digits at most
      {"1E-99÷10", "0"},
      {"0.000", "0"},
      {"123456789012345678", "1.23456789E+17"},
      {".5", "0.5"},
  });
  // Digits after the fifteenth are dropped, not rounded.
  EXPECT_EQ(Run("1.0000000000000099", true), "+1.00000000000000E+000");
  EXPECT_EQ(Run("0.1234567890123456789", true), "+1.23456789012345E-001");
}

TEST_F(EvalLines, VariablesAnsAndStatements) {
  RunSteps({
      {"3→A", "3"},
      {"A+1", "4"},
      {"Ans×2", "8"},
      {"5→B:B×A", "15"},
      {"Ans", "15"},
      {"2→θ", "2"},
      {"θr", "0"},
      {"1⇒7", "7"},
      {"0⇒7", "Done"},  // the jump skips the statement
      {"A=3⇒A+10→A", "13"},
      {"A", "13"},
      {"Z", "0"},
  });
}

TEST_F(EvalLines, Fractions) {
  RunSteps({
      {"1⌟2+1⌟3", "5⌟6"},
      {"1⌟2⌟3", "5⌟3"},  // a mixed fraction shows improper by default
      {"1⌟2⌟3⌟4", "Error 2: Syntax ERROR"},
      {"1⌟0", "Error 3: Ma ERROR"},
      {"1.5⌟2", "Error 2: Syntax ERROR"},
      {"2×1⌟4", "1⌟2"},  // the separator binds tighter than ×
  });
}

TEST_F(EvalLines, ComplexValues) {
  RunSteps({
      {"i", "1i"},
      {"1+2i", "1+2i"},
      {"(1+2i)(3-i)", "5+5i"},
      {"2i×i", "-2"},
      {"(1+i)-(1+i)", "0"},
      {"3+4i→Z", "3+4i"},
      {"Z-3", "4i"},
      {"-i", "-1i"},
  });
  EXPECT_EQ(Run("1+2i", true), "+1.00000000000000E+000 +2.00000000000000E+000");
}

TEST_F(EvalLines, DisplaySettings) {
  RunSteps({
      {"1÷3", "0.3333333333"},
      {"Fix 2", "Done"},
      {"2÷3", "0.67"},
      {"Sci 2", "Done"},
      {"123.456", "1.2E+02"},
      {"Norm 2", "Done"},
      {"0.001", "0.001"},
      {"Norm 1", "Done"},
      {"0.001", "1E-03"},
      {"Fix 10", "Error 8: Argument ERROR"},
      {"Fix", "Error 8: Argument ERROR"},
      {"Norm 3", "Error 8: Argument ERROR"},
      {"Deg", "Done"},
      {"Rad", "Done"},
      {"Gra", "Done"},
      {"a+bi", "Done"},
      {"Real", "Done"},
      {"Deg 2", "Error 2: Syntax ERROR"},
      {"Eng", "Done"},
      {"12345", "12.345E+03"},
      {"Eng", "Done"},
      {"12345", "12345"},
      {"r<theta", "Done"},
      {"2i", "2∠100"},  // grads, as set above
      {"2i>a+bi", "2i"},
      {"a+bi", "Done"},
      {"1+i>r<theta", "1.414213562∠50"},
  });
  EXPECT_EQ(GetSetupItem(kSetupAngle), 2);
}

TEST_F(EvalLines, BaseN) {
  RunSteps({
      {"Hex", "Error 2: Syntax ERROR"},  // Hex, Bin, Oct need a Base-N mode first
      {"Dec", "Done"},
      {"7÷2", "3"},
      {"h1F+1", "32"},
      {"b101", "5"},
      {"o17", "15"},
      {"2.5", "Error 2: Syntax ERROR"},
      {"Hex", "Done"},
      {"1F+1", "00000020"},
      {"d10", "0000000A"},
      {"0-1", "FFFFFFFF"},
      {"Bin", "Done"},
      {"1111+1", "0000000000010000"},
      {"2", "Error 2: Syntax ERROR"},
      {"Oct", "Done"},
      {"8", "Error 2: Syntax ERROR"},
      {"7+1", "00000000010"},
      {"π", "Error 2: Syntax ERROR"},
      {"Dec", "Done"},
      {"255►Hex", "000000FF"},
      {"-1>Bin", "1111111111111111"},
      {"65536>Bin", "Error 3: Ma ERROR"},
      {"Ans", "-1"},
  });
  ResetSetup();
  EXPECT_EQ(Run("255>Hex"), "Error 2: Syntax ERROR");  // only in a Base-N mode
}

TEST_F(EvalLines, Factorial) {
  RunSteps({
      {"0!", "1"},
      {"10!", "3628800"},
      {"69!", "1.711224524E+98"},
      {"70!", "Error 3: Ma ERROR"},
      {"2.5!", "Error 3: Ma ERROR"},
      {"-1!", "-1"},  // negation binds looser than the postfix
  });
}

TEST_F(EvalLines, PowersAndFunctions) {
  RunSteps({
      {"2^3^2", "64"},  // equal levels: (2^3)^2
      {"-2^2", "-4"},   // negation binds looser than ^
      {"(-2)^2", "4"},
      {"2^-1", "0.5"},
      {"Deg", "Done"},
      {"sin 30", "0.5"},
      {"15→X", "15"},
      {"sin 2X", "0.5"},  // sin (2X)
      {"30→X", "30"},
      {"2sin X", "1"},  // 2·(sin X)
      {"sin X+1", "1.5"},
      {"sin(X+60)", "1"},
      {"asin 1.5", "Error 3: Ma ERROR"},
      {"√(-4)", "Error 17: Non-Real ERROR"},
      {"ln(-1)", "Error 17: Non-Real ERROR"},
      {"(-8)^(1/3)", "-2"},
      {"(-8)^(2/3)", "4"},
      {"(-4)^(1/2)", "Error 17: Non-Real ERROR"},
      {"3ˣ√8", "2"},
      {"Abs (-3⌟4)", "3⌟4"},
      {"e^0+log 100", "3"},
      {"1÷0", "Error 3: Ma ERROR"},
      {"√{1,4,9}", "{1,2,3}"},
      {"sin [[1]]", "Error 3: Ma ERROR"},
      {"Abs [[-1,2]]", "[[1,2]]"},
      {"logab(2,8)", "3"},
      {"RndFix(1÷3,2)", "0.33"},
      {"Pol(1,1)", "{1.414213562,45}"},
      {"Rec(2,90)", "{0,2}"},
      {"Rad", "Done"},
      {"180ᵒ", "3.141592654"},
      {"a+bi", "Done"},
      {"√(-4)", "2i"},
      {"(1+i)÷(1-i)", "1i"},
      {"i²", "-1"},
      {"Deg", "Done"},
      {"2∠90", "2i"},
      {"12°30°", "12.5"},  // degrees and minutes
      {"1°30°36°+1", "2.51"},
      {"-1°30°", "-1.5"},
  });
}

TEST_F(EvalLines, CalculusOverAnExpressionInX) {
  RunSteps({
      {"5→X", "5"},
      {"d/dx(X²,3)", "6"},
      {"d²/dx²(X^3,2)", "12"},
      {"d/dx(sin X,0)", "1"},
      {"∫(X²,0,3)", "9"},
      {"∫(sin X,0,π)", "2"},
      {"∫(1÷X,1,e^1)", "1"},
      {"∫(∫(X,0,1),0,1)", "Error 2: Syntax ERROR"},  // no integral in an integral
      {"Solve(X²-2,1)", "1.414213562"},
      {"Solve(X²+1,1)", "Error 27: Can't Solve!"},
      {"Solve(X-1", "Error 2: Syntax ERROR"},
      {"FMin(X²-2X,0,3)", "{1,-1}"},
      {"FMax(4-(X-2)²,0,3)", "{2,4}"},
      {"d/dx(√X,-1)", "Error 17: Non-Real ERROR"},
      {"X", "5"},  // X keeps its value
  });
}

TEST_F(EvalLines, NotInTheBaseNModes) {
  RunSteps({
      {"Dec", "Done"},
      {"Not 0", "-1"},
      {"sin 0", "Error 8: Argument ERROR"},
      {"-5", "-5"},
      {"Hex", "Done"},
      {"Not 0", "FFFFFFFF"},
      {"Bin", "Done"},
      {"Not 0", "1111111111111111"},
      {"1 and 11", "0000000000000001"},
      {"1 or 10", "0000000000000011"},
  });
}

TEST_F(EvalLines, BreakStopsTheEvaluation) {
  EvalSetBreakTest([] { return 1; });
  EXPECT_EQ(Run("1+1"), "Error 1: Break");
  EvalSetBreakTest(nullptr);
  EXPECT_EQ(Run("1+1"), "2");
  static int calls;  // long matrix work checks for a break as it goes
  calls = 0;
  EvalSetBreakTest([] { return ++calls > 3 ? 1 : 0; });
  EXPECT_EQ(Run("(Identity 30)⁻¹"), "Error 1: Break");
  EvalSetBreakTest(nullptr);
}

TEST_F(EvalLines, RandomNumbersRepeatAfterAReset) {
  std::string first = Run("Ran#"), second = Run("Ran#");
  EXPECT_NE(first, second);
  EXPECT_EQ(first.rfind("0.", 0), 0u) << first;
  ResetSetup();
  EXPECT_EQ(Run("Ran#"), first);
  EXPECT_EQ(Run("Ran#3"), Run("Ran#3"));
  EXPECT_EQ(Run("Ran#0"), "Error 8: Argument ERROR");
}

TEST_F(EvalLines, UnknownTextNamesItsColumn) {
  EvalPrinted p = EvalTextLine("1+2☃3", false);
  EXPECT_EQ(p.text, "Error 2: Syntax ERROR");
  EXPECT_EQ(p.textColumn, 4);
}

// Evaluates a zero-ended token string with fresh stacks (or the ones given).
struct Direct {
  int ok;
  const uint8_t* stop;
  BcdNumber value[2];
};
Direct EvalTokens(const uint8_t* tokens, uint32_t flags, EvalStacks* stacks = nullptr) {
  EvalStacks fresh;
  Direct d;
  d.stop = tokens;
  EvalSetBreakTest(nullptr);
  d.ok = Evaluate(&d.stop, d.value, stacks ? stacks : &fresh, flags);
  return d;
}

TEST(EvalDirect, FlagsDecideWhereTheEvaluationStops) {
  const struct {
    std::vector<uint8_t> tokens;
    uint32_t flags;
    uint8_t pending;  // an operator byte already on the stack, or 0
    int stop;         // the token the cursor ends on, or minus the error code
  } rows[] = {
      {{'1', 0x89, '2', 0x3A, '5'}, 0, 0, 0x3A},
      {{'1', 0x89, '2', 0x3C, '5'}, kEvalConditionSide, 0, 0x3C},  // at a relation
      {{0x7F, 0x40, 'A'}, kEvalNoMatrix, 0, -kBcdErrSyntax},
      {{'1'}, kEvalIntegral, 0x8D, -kBcdErrSyntax},  // an integral inside an integral
  };
  for (const auto& r : rows) {
    std::vector<uint8_t> tokens = r.tokens;
    tokens.push_back(0);
    EvalStacks stacks;
    if (r.pending) stacks.ops[stacks.opCount++] = r.pending;
    Direct d = EvalTokens(tokens.data(), r.flags, &stacks);
    if (r.stop < 0) {
      EXPECT_EQ(d.ok, 0);
      EXPECT_EQ(BcdErrorCode(&d.value[0]), -r.stop);
      continue;
    }
    ASSERT_EQ(d.ok, 1) << r.stop;
    EXPECT_EQ(*d.stop, r.stop);
    EXPECT_EQ(stacks.opCount, 0);
    EXPECT_EQ(stacks.valueCount, 0);
  }
}

TEST(EvalDirect, ArgumentsNestFourDeep) {
  static const uint8_t kTokens[] = {'1', 0};
  EvalStacks stacks;
  for (int depth = 0; depth < 5; ++depth) {
    Direct d = EvalTokens(kTokens, kEvalArgument, &stacks);
    ASSERT_EQ(d.ok, 1) << depth;
    stacks.ops[stacks.opCount++] = 0x80;  // as a caller's pending argument list
  }
  Direct d = EvalTokens(kTokens, kEvalArgument, &stacks);
  EXPECT_EQ(BcdErrorCode(&d.value[0]), kBcdErrStack);
}

TEST(EvalTables, LevelsAndKinds) {
  struct Row {
    uint16_t code;
    int level;
    int kind;
  };
  const Row rows[] = {
      {0xA8, 0, 1},   {0xBB, 1, 1},    {0xF8, 2, 1},   {0x81, 3, 1},   {0x87, 3, 1},
      {0xFA, 4, 1},   {0x7F54, 5, 1},  {0xA9, 6, 1},   {0x99, 7, 1},   {0x3D, 8, 1},
      {0x7FB0, 9, 0}, {0x7FB1, 10, 0}, {0x28, 15, 1},  {0x80, 254, 4}, {0xD1, 255, 1},
      {0x41, 3, 4},   {0x30, 3, 3},    {0xCD, 255, 6}, {0xC1, 255, 3}, {0x7F50, 3, 6},
      {0x7F21, 3, 0}, {0x7F26, 3, 10}, {0x7F95, 3, 9}, {0x7F00, 3, 2}, {0xF908, 255, 1},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(EvalLevel(r.code), r.level) << std::hex << r.code;
    EXPECT_EQ(EvalHandlerKind(r.code), r.kind) << std::hex << r.code;
  }
}

}  // namespace
