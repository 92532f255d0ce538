// The operator-precedence machine: operand position, prefix functions and
// brackets, postfix operators, implicit multiplication, reduction.
#include <cstring>
#include <iterator>

#include "host/services/host_services.h"
#include "math/eval.h"
#include "math/eval_internal.h"
#include "math/token.h"
#include "os/getkey.h"
#include "os/setup.h"

using namespace eval_internal;

namespace {

constexpr uint8_t kBlankMarker = 0x20;
constexpr uint8_t kArgMarker = 0x80;
constexpr uint8_t kIntegralMarker = 0x8D;
constexpr int kMaxArgumentDepth = 4;

// Keys pressed while a program runs are kept for its Getkey.
int (*g_breakTest)() = ProgramBreakCheck;

bool IsRelation(uint16_t c) {
  return (c >= 0x10 && c <= 0x12) || (c >= 0x3C && c <= 0x3E);
}

bool IsPrefix(uint16_t c) {
  if (c >= 0x81 && c <= 0xB7) {
    int low = c & 0x0F;
    return low >= 1 && low <= 7 && low != 4;  // 0x84, 0x94, 0xA4, 0xB4 are literal prefixes
  }
  return c == 0xDE || (c >= 0x7F21 && c <= 0x7F25) || c == 0x7F41 || c == 0x7F46 || c == 0x7F48 ||
         (c >= 0x7F4C && c <= 0x7F4F) || c == 0x7FB3;
}

bool IsOpener(uint16_t c) {
  return c == kTokOpenParen || (c >= 0xFB && c <= 0xFE);
}

bool IsMarker(uint16_t c) {
  return c == kBlankMarker || c == kArgMarker || c == kIntegralMarker;
}

bool IsPostfix(uint16_t c) {
  return (c >= 0x01 && c <= 0x0B) || c == 0x8B || c == 0x8C || c == 0x9B || c == 0x9C ||
         c == 0xAB || c == 0xAC || c == 0xBC;
}

// The infix operators (levels 0-10).
bool IsBinary(uint16_t c) {
  switch (c) {
    case 0xA8:
    case 0xB8:
    case 0xBB:
    case 0xF8:
    case 0xFA:
    case 0x88:
    case 0x98:
    case 0x7F54:
    case 0xA9:
    case 0xB9:
    case 0x89:
    case 0x99:
    case 0xBA:
    case 0x7FB0:
    case 0x8A:
    case 0x9A:
    case 0xAA:
    case 0x7FB1:
      return true;
    default:
      return IsRelation(c);
  }
}

// Tokens with their own bracketed arguments that take a number before them
// as a factor: 2Max(…), 2{1,2}.
bool OpensFunction(uint16_t c) {
  return c == 0x7B || c == 0x5B || c == 0x80 || c == 0xA0 || c == 0x7F20 ||
         (c >= 0x7F26 && c <= 0x7F2F) || (c >= 0x7F49 && c <= 0x7F4B) || c == 0x7F85 ||
         c == 0x7F86 || (c >= 0x7FE9 && c <= 0x7FEF);
}

// Tokens before which a value multiplies tighter than a function: 2X, 2π.
bool IsValueLike(uint16_t c) {
  if (c >= 'A' && c <= 'Z') return true;
  if ((c >= 0x14 && c <= 0x19) || c == 0xCD || c == 0xCE || c == 0x24 || c == 0xD0) return true;
  if (c >= 0xC0 && c <= 0xCA) return true;
  switch (c) {
    case 0x8E:
    case 0x8F:
    case 0x9E:
    case 0x9F:
    case 0xAD:
    case 0xAE:
    case 0xAF:
    case 0xBD:
    case 0xBE:
    case 0xBF:
    case 0xCF:
    case 0xDF:
    case 0xF912:
    case 0xF913:
    case 0xF915:
    case 0xF916:
    case 0xF917:
    case 0xF918:
    case 0xF91B:
    case 0xF921:
    case 0xF922:
      return true;
    default:
      break;
  }
  return (c >> 8) == 0x7F && !OpensFunction(c) && EvalHandlerKind(c) >= 2;
}

// ---- Stacks ---------------------------------------------------------------------

bool PushOp(EvalStacks* s, uint16_t op) {
  // A two-byte operator is kept second byte first, so its lead is on top.
  int need = op > 0xFF ? 2 : 1;
  if (s->opCount + need > kEvalOpBytes) return false;
  if (op > 0xFF) s->ops[s->opCount++] = uint8_t(op & 0xFF);
  s->ops[s->opCount++] = uint8_t(op >> 8 ? op >> 8 : op);
  return true;
}

uint16_t TopOp(const EvalStacks* s, int depth = 0) {
  int i = s->opCount - 1;
  for (; depth > 0 && i >= 0; --depth) i -= TokenIsLead(s->ops[i]) ? 2 : 1;
  if (i < 0) return 0;
  uint8_t top = s->ops[i];
  if (TokenIsLead(top) && i >= 1) return uint16_t(top << 8 | s->ops[i - 1]);
  return top;
}

void PopOp(EvalStacks* s) {
  if (s->opCount == 0) return;
  s->opCount -= TokenIsLead(s->ops[s->opCount - 1]) && s->opCount >= 2 ? 2 : 1;
}

bool PushValue(EvalStacks* s, const BcdNumber v[2]) {
  bool complex = BcdIsComplex(&v[0]);
  int need = complex ? 2 : 1;
  if (s->valueCount + need > kEvalValueSlots) return false;
  s->values[s->valueCount++] = v[0];
  if (complex) {
    BcdNumber im = v[1];
    im.bytes[0] |= 0x80;  // marks the slot as an imaginary part
    s->values[s->valueCount++] = im;
  }
  return true;
}

void PopValue(EvalStacks* s, BcdNumber v[2]) {
  BcdZero(&v[1]);
  if (s->valueCount == 0) {
    BcdError(&v[0], kBcdErrSyntax);
    return;
  }
  BcdNumber top = s->values[--s->valueCount];
  // A real part is never on top alone, so a scalar slot with bit 7 set is
  // the marked imaginary part of the value below it.
  bool imag = BcdIsComplex(&top) && s->valueCount > 0;
  if (imag) {
    top.bytes[0] &= 0x7F;
    v[1] = top;
    v[0] = s->values[--s->valueCount];
  } else {
    v[0] = top;
  }
}

// ---- The machine ----------------------------------------------------------------

class Machine {
 public:
  Machine(const uint8_t** cursor, BcdNumber* result, EvalStacks* stacks, uint32_t flags)
      : run_{cursor, stacks, flags, CurrentMode()}, value_(result) {}

  int Go() {
    if (BreakRequested()) return Fail(value_, kBcdErrBreak);
    if (!PushBottom()) return 0;
    for (;;) {
      if (!Operand()) return 0;
      if (!AfterOperand()) return 0;
      uint16_t next = Peek();
      if (Ends(next)) break;
      uint16_t op = next;
      bool real = IsBinary(next);
      if (!real) {
        if (IsValueLike(next)) {
          op = kTokImplicitValue;
        } else if (IsPrefix(next) || IsOpener(next) || OpensFunction(next)) {
          op = kTokImplicitFunction;
        } else {
          return Fail(value_, kBcdErrSyntax);
        }
      }
      if (op == kTokFractionSep && TopOp(S()) == kTokFractionSep &&
          TopOp(S(), 1) == kTokFractionSep) {
        return Fail(value_, kBcdErrSyntax);
      }
      if (!Reduce(EvalLevel(op), op == kTokFractionSep)) return 0;
      if (!PushValue(S(), value_) || !PushOp(S(), op)) return Fail(value_, kBcdErrStack);
      if (real) TokenAdvance(run_.cursor);
    }
    return Finish();
  }

 private:
  EvalStacks* S() const { return run_.stacks; }
  uint16_t Peek() const { return TokenPeek(*run_.cursor); }

  bool Ends(uint16_t code) const {
    if (EvalEndsExpression(code)) return true;
    if ((run_.flags & kEvalConditionSide) && IsRelation(code)) return true;
    // A closing bracket whose opener is not ours ends the expression (an
    // argument list or a list or matrix element).
    return code == kTokCloseParen || code == 0x5D || code == 0x7D;
  }

  bool PushBottom() {
    uint32_t f = run_.flags;
    if (f & kEvalIntegral) {
      for (int i = 0; i < S()->opCount; ++i) {
        if (S()->ops[i] == kIntegralMarker) return Fail(value_, kBcdErrSyntax);
      }
      if (!PushOp(S(), kIntegralMarker)) return Fail(value_, kBcdErrStack);
      ++markers_;
    } else if (f & kEvalBlankMarker) {
      if (!PushOp(S(), kBlankMarker)) return Fail(value_, kBcdErrStack);
      ++markers_;
    }
    if (f & kEvalArgument) {
      int markers = 0;
      for (int i = 0; i < S()->opCount; ++i) markers += S()->ops[i] == kArgMarker;
      if (markers > kMaxArgumentDepth || !PushOp(S(), kArgMarker)) {
        return Fail(value_, kBcdErrStack);
      }
      ++markers_;
    }
    return true;
  }

  // Steps 3-5: signs and prefixes in operand position, then the operand.
  bool Operand() {
    for (;;) {
      uint16_t code = Peek();
      if (code == kTokPlus) {
        TokenAdvance(run_.cursor);
        continue;
      }
      if (code == kTokMinus) code = kTokNegate;
      if (IsPrefix(code) || IsOpener(code)) {
        if (!PushOp(S(), code)) return Fail(value_, kBcdErrStack);
        TokenAdvance(run_.cursor);
        continue;
      }
      if ((run_.flags & kEvalNoMatrix) && (code == 0x5B || code == 0x7F40)) {
        return Fail(value_, kBcdErrSyntax);
      }
      HandlerEntry h = HandlerOf(code);
      if (h.kind == 0) return Fail(value_, kBcdErrSystem);
      if (!h.handler) return Fail(value_, kBcdErrSyntax);
      const uint8_t* start = *run_.cursor;
      BcdZero(&value_[1]);
      if (!h.handler(run_, code, value_)) {
        if (*run_.cursor < start) *run_.cursor = start;
        return false;
      }
      return true;
    }
  }

  // Step 6: postfix operators and closing brackets.
  bool AfterOperand() {
    for (;;) {
      uint16_t code = Peek();
      if (IsPostfix(code)) {
        TokenAdvance(run_.cursor);
        if (!ApplyPostfix(code, value_, run_.mode)) return false;
        if (code == kTokDegreeMark && !Sexagesimal()) return false;
        continue;
      }
      if (code == kTokCloseParen && OpenerAbove()) {
        if (!Reduce(15, false)) return false;
        uint16_t opener = TopOp(S());
        PopOp(S());
        TokenAdvance(run_.cursor);
        if (opener != kTokOpenParen && !ApplyPrefix(opener, value_, run_.mode)) return false;
        continue;
      }
      return true;
    }
  }

  // Degrees ° minutes ° seconds °: a literal right after the mark is the
  // next sexagesimal part, worth 1/60 of the one before.
  bool Sexagesimal() {
    BcdNumber sixty, scale;
    BcdFromInt(&sixty, 60);
    BcdConst(&scale, kBcdOne);
    for (int part = 1; part <= 2; ++part) {
      uint16_t next = Peek();
      if (!((next >= '0' && next <= '9') || next == 0x2E)) return true;
      BcdNumber x[2];
      if (!HandlerOf(next).handler(run_, next, x)) {
        std::memcpy(value_, x, sizeof x);
        return false;
      }
      if (Peek() == kTokDegreeMark) TokenAdvance(run_.cursor);
      BcdDiv(&scale, &sixty, &scale);
      if (!BcdMul(&x[0], &scale, &x[0]) || !ApplyBinary(0x89, value_, x, value_, run_.mode)) {
        if (BcdErrorCode(&x[0])) value_[0] = x[0];
        return false;
      }
    }
    return true;
  }

  // True when an opening bracket stands above the nearest marker.
  bool OpenerAbove() const {
    for (int depth = 0;; ++depth) {
      uint16_t op = TopOp(S(), depth);
      if (op == 0 || IsMarker(op)) return false;
      if (IsOpener(op)) return true;
    }
  }

  // Step 9: applies the operators on top that bind at least as tight as
  // `level`. Stops at markers and openers.
  bool Reduce(int level, bool newIsSeparator) {
    for (;;) {
      uint16_t top = TopOp(S());
      if (S()->opCount == 0 || IsMarker(top) || IsOpener(top)) return true;
      if (top == kTokFractionSep && newIsSeparator) return true;
      if (EvalLevel(top) > level) return true;
      if (!ApplyTop()) return false;
    }
  }

  bool ApplyTop() {
    uint16_t op = TopOp(S());
    PopOp(S());
    if (IsPrefix(op) || op == kTokNegate) return ApplyPrefix(op, value_, run_.mode);
    if (op == kTokFractionSep) {
      BcdNumber parts[3][2];
      int n = 1;
      for (; n < 2 && TopOp(S()) == kTokFractionSep; ++n) PopOp(S());
      std::memcpy(parts[2], value_, sizeof parts[2]);
      for (int i = 1; i <= n; ++i) PopValue(S(), parts[2 - i]);
      return ApplyFraction(n == 2 ? &parts[0][0] : nullptr, &parts[1][0], &parts[2][0], value_);
    }
    BcdNumber left[2];
    PopValue(S(), left);
    return ApplyBinary(op, left, value_, value_, run_.mode);
  }

  // Step 10: everything down to the bottom marker; unclosed brackets close.
  int Finish() {
    for (;;) {
      uint16_t top = TopOp(S());
      if (S()->opCount == 0) break;
      if (IsMarker(top)) {
        for (; markers_ > 0 && IsMarker(TopOp(S())); --markers_) PopOp(S());
        break;
      }
      if (IsOpener(top)) {
        PopOp(S());
        if (top != kTokOpenParen && !ApplyPrefix(top, value_, run_.mode)) return 0;
        continue;
      }
      if (!ApplyTop()) return 0;
    }
    return BcdErrorCode(value_) ? 0 : 1;
  }

  Run run_;
  BcdNumber* value_;
  int markers_ = 0;  // bottom markers this evaluation pushed
};

}  // namespace

int Evaluate(const uint8_t** cursor, BcdNumber result[2], EvalStacks* stacks, uint32_t flags) {
  return Machine(cursor, result, stacks, flags).Go();
}

bool eval_internal::OpensBracket(uint16_t code) {
  return IsOpener(code) || OpensFunction(code) || code == 0x8D;
}

int eval_internal::EvalArgument(Run& run, BcdNumber value[2]) {
  return Evaluate(run.cursor, value, run.stacks, kEvalArgument | (run.flags & kEvalNoMatrix));
}

bool EvalEndsExpression(uint16_t c) {
  switch (c) {
    case 0x00:
    case 0x3A:
    case 0x0D:
    case 0x0C:
    case 0x3B:
    case 0x2C:
    case 0x0E:
    case 0x13:
    case 0xCB:
    case 0xCC:
    case 0xF6:
    case 0xF706:
      return true;
    default:
      return (c >= 0xF901 && c <= 0xF907) || (c >= 0x7F42 && c <= 0x7F45);
  }
}

void EvalSetBreakTest(int (*test)()) {
  g_breakTest = test;
}

bool eval_internal::BreakRequested() {
  return g_breakTest && g_breakTest();
}

FnMode eval_internal::CurrentMode() {
  FnMode m;
  m.angleUnit = GetSetupItem(kSetupAngle);
  m.complexMode = GetSetupItem(kSetupComplexMode);
  m.baseMode = GetSetupItem(kSetupBaseMode);
  return m;
}

int EvalLevel(uint16_t c) {
  switch (c) {
    case 0xA8:
    case 0xB8:
      return 0;
    case 0xBB:
      return 1;
    case 0xF8:
      return 2;
    case 0xFA:
      return 4;
    case 0x88:
    case 0x98:
    case 0x7F54:
      return 5;
    case 0xA9:
    case 0xB9:
      return 6;
    case 0x89:
    case 0x99:
      return 7;
    case 0xBA:
    case 0x7FB0:
      return 9;
    case 0x8A:
    case 0x9A:
    case 0xAA:
    case 0x7FB1:
      return 10;
    case 0x28:
    case 0xFB:
    case 0xFC:
    case 0xFD:
    case 0xFE:
      return 15;
    case 0x80:
    case 0xA0:
    case 0x8D:
      return 254;
    default:
      break;
  }
  if (IsRelation(c)) return 8;
  if (IsPrefix(c) || c < 0x80 || (c >> 8) == 0x7F) return 3;
  return 255;
}

namespace {

int ReferenceHook(int op, const BcdNumber* a, const BcdNumber* b, BcdNumber* r) {
  static constexpr uint16_t kTokens[] = {0x89, 0x99, 0xA9, 0xB9, 0xA8, 0x3D,
                                         0x11, 0x3C, 0x3E, 0x10, 0x12};
  uint16_t token;
  if (op >= 0 && op < int(std::size(kTokens))) {
    token = kTokens[op];
  } else if (op == kBcdOpAddC || op == kBcdOpSubC) {
    token = op == kBcdOpAddC ? 0x89 : 0x99;
  } else {
    return Fail(r, kBcdErrMa);
  }
  return ApplyBinary(token, a, b, r, CurrentMode());
}

}  // namespace

void EvalInit() {
  FnInstallHooks();
  BcdHooks hooks = BcdGetHooks();
  hooks.reference = ReferenceHook;
  BcdSetHooks(hooks);
}
