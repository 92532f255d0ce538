// The expression evaluator: turns the token string at a cursor into one
// value (a real or complex number, or a list or matrix reference), with an
// operator-precedence machine on two small fixed stacks.
//
// Callers (the computation line, the program interpreter, graphs, tables)
// hand in the stacks; nested evaluations (function arguments, list and
// matrix elements) share them, so the limits hold for the whole expression:
// 26 bytes of pending operators and 10 pending values (a complex value
// takes two).
#pragma once

#include <cstdint>

#include "math/bcd.h"

constexpr int kEvalOpBytes = 26;
constexpr int kEvalValueSlots = 10;

struct EvalStacks {
  uint8_t opCount = 0;
  uint8_t ops[kEvalOpBytes] = {};
  uint8_t valueCount = 0;
  BcdNumber values[kEvalValueSlots] = {};
  void* outer = nullptr;  // for callers that nest evaluations of their own
};

// Evaluation flags.
enum : uint32_t {
  // Bits 0, 1 and 3: a blank is pushed as bottom marker.
  kEvalBlankMarker = 0x0B,
  // Inside an integral: a second integral is a Syntax error.
  kEvalIntegral = 1u << 2,
  // Bits 4-6: no matrix operands ([ and Mat are a Syntax error).
  kEvalNoMatrix = 0x70,
  // The caller evaluates one side of a condition: a relation ends it.
  kEvalConditionSide = 1u << 8,
  // An argument of a function with a bracketed argument list (at most four
  // nested).
  kEvalArgument = 1u << 13,
};

// Evaluates the expression at *cursor into result (24 bytes: a complex
// value takes both records). Returns 1 with the value and the cursor on the
// token that ended the expression, or 0 with an error value in result and
// the cursor at the failing token. The stacks are left as they stood at the
// failure; the caller discards them.
int Evaluate(const uint8_t** cursor, BcdNumber result[2], EvalStacks* stacks, uint32_t flags);

// True for the tokens that end an expression (without the relations).
bool EvalEndsExpression(uint16_t code);

// Points the number core's hooks at the evaluator (lists and matrices) and
// the elementary functions (complex operations, the real-root rule). Call
// once before evaluating; calling again does no harm.
void EvalInit();

// The break test (AC pressed): the host's by default. Tests swap it.
void EvalSetBreakTest(int (*test)());

// Operands owned by the graph above the evaluator: PxlTest( (its two
// arguments already read) and the V-Window values Xmin ... (no arguments).
// Returns 1 with the value, or 0 with an error value. Without a reader they
// are Ma ERROR.
using EvalGraphOperandReader = int (*)(uint16_t code, const BcdComplex* args, int count,
                                       BcdNumber value[2]);
void EvalSetGraphOperandReader(EvalGraphOperandReader reader);

// ---- Token classes (shared with the interpreter) ------------------------------

// Precedence level of a token: a smaller level binds tighter; 15 for the
// opening brackets, 254 for the argument markers, 255 for non-operators.
int EvalLevel(uint16_t code);

// Operand handler kind: 0 may not stand in an expression, 1 handled by the
// precedence machine (and unused codes), 2-10 operand tokens. Codes of
// pages other than the one-byte and 0x7F pages give 1.
int EvalHandlerKind(uint16_t code);
