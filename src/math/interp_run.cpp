// The run loop and the statements of the program interpreter.
#include <chrono>
#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "host/services/host_services.h"
#include "math/bcd_internal.h"
#include "math/bcd_text.h"
#include "math/eval.h"
#include "math/eval_internal.h"
#include "math/interp.h"
#include "math/interp_graph.h"
#include "math/token.h"
#include "memory/mem_app.h"
#include "memory/mem_numarray.h"
#include "os/setup.h"

using namespace eval_internal;

namespace {

// ---- Block records ---------------------------------------------------------------

enum : uint8_t { kBlockNone = 0, kBlockIf = 1, kBlockFor = 2, kBlockDo = 3, kBlockWhile = 4 };
// A For block re-opened by Goto: its end and step are read from the For
// statement (whose offset `end` holds) when Next first needs them.
constexpr uint8_t kBlockBoundsPending = 0x80;

// The innermost open block of a program level. Opening a block saves the
// record in a 40-byte cell of the OS heap; closing it restores the saved one.
struct BlockRecord {
  uint8_t depth;       // open blocks, this one included
  uint8_t kind;        // kBlock*, with kBlockBoundsPending
  uint16_t var;        // For: the variable's token; If: the else-seen flag
  uint32_t loop;       // offset of the loop position in the program
  BlockRecord* saved;  // the cell with the record this one hides
  BcdNumber end;       // For: the end value
  BcdNumber step;      // For: the step
};
static_assert(sizeof(BlockRecord) == 40, "a block cell is 40 bytes");
static_assert(offsetof(BlockRecord, loop) == 4 && offsetof(BlockRecord, saved) == 8);
static_assert(offsetof(BlockRecord, end) == 16 && offsetof(BlockRecord, step) == 28);

constexpr int kMaxLevels = 10;

// One running program level.
struct Frame {
  const uint8_t* start = nullptr;  // its tokens
  uint8_t* copy = nullptr;         // the OS heap copy of a called program
  char name[kProgramNameBytes + 1] = {};
  const uint8_t* back = nullptr;      // where the caller goes on (after the Prog statement)
  const uint8_t* callSite = nullptr;  // the caller's Prog token
  BlockRecord block{};                // depth 0: no block open
};

// The token at the cursor; one-byte tokens, by far the most, without a call.
inline uint16_t Peek(const uint8_t* p) {
  return TokenIsLead(*p) ? TokenPeek(p) : *p;
}

bool IsSeparator(uint16_t c) {
  return c == 0 || c == kTokColon || c == kTokNewLine || c == kTokDisplayStop;
}

bool IsLetter(uint16_t c) {
  return (c >= 'A' && c <= 'Z') || c == kMemLetterR || c == kMemLetterTheta;
}

bool IsLabel(uint16_t c) {
  return (c >= '0' && c <= '9') || IsLetter(c);
}

// A real scalar (no list, matrix, error or complex value).
bool IsRealScalar(const BcdNumber* v) {
  return BcdKind(v) == kBcdKindScalar && !BcdIsComplex(v) && !BcdErrorCode(v);
}

// An integer below 10^14 in size, read without the general arithmetic: the
// counter, end and step of most loops.
bool SmallInteger(const BcdNumber* x, int64_t* v) {
  using namespace bcd_internal;
  uint8_t b0 = x->bytes[0];
  uint64_t digits = LoadBE64(x->bytes + 1) & 0x0FFFFFFFFFFFFFFFull;
  if ((digits >> 56) == 0) {  // d1 == 0 reads as zero
    *v = 0;
    return (b0 & 0xF0) != 0xF0;
  }
  // A decimal with a non-negative exponent below 14: sign nibble 1 or 6,
  // exponent digits 0 and e.
  unsigned sign = b0 >> 4, high = b0 & 15, e = unsigned(LoadBE64(x->bytes + 1) >> 60);
  if ((sign != 1 && sign != 6) || high != 0 || e > 13 || !NibblesAreDigits(digits)) return false;
  unsigned shift = 4 * (14 - e);
  if (digits & ((uint64_t{1} << shift) - 1)) return false;  // digits after the point
  int64_t n = int64_t(BcdToBinary15(digits >> shift));
  *v = sign == 6 ? -n : n;
  return true;
}

// An integer below 10^15 in size as a record, exactly: its digits packed and
// moved up to the mantissa's first place, the exponent their count less one.
void FromSmallInteger(int64_t n, BcdNumber* out) {
  using namespace bcd_internal;
  if (n == 0) {
    BcdZero(out);
    return;
  }
  uint64_t m = uint64_t(n < 0 ? -n : n);
  int digits = DecimalDigits(m);
  uint64_t packed = m < kPow10[8] ? BinaryToBcd8(m) : BinaryToBcd15(m);
  packed <<= 4 * (15 - digits);
  unsigned e = unsigned(digits - 1);
  out->bytes[0] = uint8_t(((n < 0 ? 5 : 0) + 1) << 4 | e / 10);
  StoreBE64(out->bytes + 1, uint64_t(e % 10) << 60 | packed);
  out->bytes[9] = out->bytes[10] = out->bytes[11] = 0;
}

// Straight into a letter's 24-byte record (a real value with a zero
// imaginary part): stores are the hottest path of a program, and the table
// needs no lookup by name.
void WriteVariable(uint16_t letter, const BcdNumber v[2]) {
  uint8_t* slot = MemVariable(MemVariableSlot(uint8_t(letter)));
  bool complex = BcdIsComplex(&v[0]);
  std::memcpy(slot, v, complex ? kMemAlphaRecord : sizeof(BcdNumber));
  if (!complex) std::memset(slot + sizeof(BcdNumber), 0, sizeof(BcdNumber));
}

// Moves over a string to its closing quote (or the end of its line); the
// cursor starts after the opening quote and ends after the closing one.
void SkipString(const uint8_t** p) {
  for (;;) {
    uint16_t c = Peek(*p);
    if (c == 0 || c == kTokNewLine) return;
    TokenAdvance(p);
    if (c == kTokQuote) return;
  }
}

// The next token of a program walk, with strings and comments stepped over
// whole (they come back as the quote or the comment token).
uint16_t WalkToken(const uint8_t** p) {
  uint16_t c = TokenAdvance(p);
  if (c == kTokQuote) {
    SkipString(p);
  } else if (c == kTokComment) {
    while (Peek(*p) != 0 && Peek(*p) != kTokNewLine) TokenAdvance(p);
  }
  return c;
}

class Runner {
 public:
  Runner(const InterpIo& io, InterpResult* result) : io_(io), r_(result) {}
  ~Runner() { Release(); }

  int Run(const uint8_t* tokens, int mode) {
    *r_ = InterpResult{};
    display_ = kShowDone;
    base_ = mode == kInterpModeLine ? 0 : 1;
    frames_[0].start = tokens;
    levels_ = 1;
    p_ = tokens;
    int status = Loop();
    ReleaseAllTemporaries();
    if (!status) {
      Finish();
      return 0;
    }
    r_->display = display_;
    r_->form = form_;
    std::memcpy(r_->value, value_, sizeof value_);
    r_->stop = p_;
    // A graph or table left on screen is shown once; afterwards it counts
    // as "Done".
    if (display_ >= kShowMatrix) {
      if (display_ == kShowGraph && InterpGetScreenHook())
        InterpGetScreenHook()(InterpScreen::kGraph);
    }
    Release();
    return 1;
  }

 private:
  // ---- The loop ------------------------------------------------------------------
  int Loop() {
    for (;;) {
      chain_ = false;
      if (!Statement()) return 0;
      ReleaseAllTemporaries();
      // AC between statements; the last one of a run is no exception.
      if (BreakRequested()) return Fail(kBcdErrBreak);
      RefreshLiveScreen();
      if (ended_) return 1;
      if (!chain_ && !Separator()) return 0;
      if (ended_) return 1;
    }
  }

  // What a running program has drawn or written reaches the display as it
  // goes, so that a Getkey game moves on screen: the screen it used last, at
  // most every 40 ms. Programs that show nothing pay nothing.
  void RefreshLiveScreen() {
    if (display_ == kShowGraph) live_ = InterpScreen::kGraph;
    if (display_ == kShowText) live_ = InterpScreen::kText;
    if (!live_ || (++liveTicks_ & 7) != 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - liveShown_ < std::chrono::milliseconds(40)) return;
    liveShown_ = now;
    if (*live_ == InterpScreen::kGraph) {
      if (InterpGetScreenHook()) InterpGetScreenHook()(InterpScreen::kGraph);
    } else {
      Show();
    }
  }

  // What the separator at the cursor asks; the end of a called program
  // returns to its caller, whose own separator follows.
  int Separator() {
    for (;;) {
      uint16_t c = Peek(p_);
      if (c == 0) {
        if (!EndOfProgram()) return 0;
        if (ended_) return 1;
        continue;
      }
      if (c == kTokDisplayStop) return DisplayStop();
      if (c != kTokColon && c != kTokNewLine) return Fail(kBcdErrSyntax);
      TokenAdvance(&p_);
      return 1;
    }
  }

  // After Then, Else or a jump: a statement follows directly, or a
  // separator that the loop handles.
  void GoOnHere() { chain_ = !IsSeparator(Peek(p_)); }

  int Fail(int code) {
    r_->error = code;
    BcdZero(&r_->value[1]);
    BcdError(&r_->value[0], code);
    return 0;
  }

  // Where the failure shows: in the line, or at the outermost Prog
  // statement with the called program's name and offset.
  void Finish() {
    r_->stop = p_;
    r_->display = display_;
    if (levels_ > 1) {
      const Frame& f = frames_[levels_ - 1];
      std::memcpy(r_->program, f.name, sizeof r_->program);
      r_->programOffset = uint32_t(p_ - f.start);
      r_->stop = frames_[1].callSite;
    }
    Release();
  }

  void Release() {
    while (levels_ > 0) {
      Frame& f = frames_[levels_ - 1];
      while (f.block.depth > 0) CloseBlock(f);
      OsFree(f.copy);
      f = Frame{};
      --levels_;
    }
  }

  Frame& Top() { return frames_[levels_ - 1]; }
  uint32_t Offset(const uint8_t* p) { return uint32_t(p - Top().start); }
  const uint8_t* At(uint32_t offset) { return Top().start + offset; }

  // ---- Blocks --------------------------------------------------------------------
  int OpenBlock(uint8_t kind) {
    Frame& f = Top();
    auto* cell = static_cast<BlockRecord*>(OsMalloc(sizeof(BlockRecord)));
    if (!cell) return Fail(kBcdErrMemory);
    *cell = f.block;
    BlockRecord b{};
    b.depth = uint8_t(f.block.depth + 1);
    b.kind = kind;
    b.saved = cell;
    f.block = b;
    return 1;
  }

  void CloseBlock(Frame& f) {
    BlockRecord* cell = f.block.saved;
    if (bounds_.cell == cell) bounds_.cell = nullptr;  // the cell may come back for another block
    if (!cell) {
      f.block = BlockRecord{};
      return;
    }
    f.block = *cell;
    OsFree(cell);
  }

  // The integer end and step of the innermost For, read once per block.
  bool IntegerBounds(const BlockRecord& b) {
    if (bounds_.cell != b.saved) {
      bounds_.cell = b.saved;
      bounds_.integer = SmallInteger(&b.end, &bounds_.end) && SmallInteger(&b.step, &bounds_.step);
    }
    return bounds_.integer;
  }

  uint8_t TopKind() { return uint8_t(Top().block.kind & ~kBlockBoundsPending); }

  // ---- One statement ---------------------------------------------------------------
  int Statement() {
    uint16_t c = Peek(p_);
    switch (InterpStatementClass(c)) {
      case kClassEnd:
      case kClassEmptyLine:
        return 1;
      case kClassSetting:
        if (display_ == kShowValue || display_ >= kShowFunctionTable) display_ = kShowDone;
        return Setting(c);
      case kClassExpression:
      case kClassList:
        return Expression();
      case kClassGraph:
        return Graph(c);
      case kClassInput:
        display_ = kShowText;
        return Input(nullptr);
      case kClassIf:
        return c == 0xF700 ? If() : c == 0xF702 ? Else() : IfEnd();
      case kClassFor:
        return c == 0xF704 ? For() : Next();
      case kClassDo:
        return c == 0xF70A ? Do() : LpWhile();
      case kClassWhile:
        return c == 0xF708 ? While() : WhileEnd();
      case kClassBreak:
        return Break();
      case kClassProg:
        return Prog();
      case kClassReturn:
        TokenAdvance(&p_);
        return Return();
      case kClassLabel:
        return Label(c);
      case kClassCount:
        return CountAndSkip(c);
      case kClassStop:
        TokenAdvance(&p_);
        if (!IsSeparator(Peek(p_))) return Fail(kBcdErrSyntax);
        ended_ = true;
        return 1;
      case kClassString:
        return String();
      case kClassComment:
        WalkToken(&p_);
        return 1;
      case kClassLocate:
        display_ = kShowText;
        return Locate();
      case kClassClear:
        return Clear(c);
      case kClassRnd:
        return Rnd();
      case kClassRecallCapture: {
        TokenAdvance(&p_);
        int64_t n;
        if (!IntegerArgument(20, &n)) return 0;
        return Fail(kNotYet);
      }
      case kClassMatrixCommand: {
        display_ = kShowDone;
        EvalStacks stacks;
        eval_internal::Run run{&p_, &stacks, 0, CurrentMode()};
        if (int code = ArrayCommand(run, c)) return Fail(code);
        return 1;
      }
      case kClassSend:
      case kClassReceive:
      case kClassComport:
        // These commands arrive with the link features.
        return Fail(kNotYet);
      default:
        return Fail(kBcdErrSyntax);
    }
  }

  // ---- Expressions ------------------------------------------------------------------
  int Evaluate(BcdNumber v[2], uint32_t flags = 0) {
    EvalStacks stacks;
    if (!::Evaluate(&p_, v, &stacks, flags)) return Fail(BcdErrorCode(&v[0]));
    return 1;
  }

  int Expression() {
    BcdNumber v[2];
    if (!QuickBinary(v) && !Evaluate(v)) return 0;
    uint16_t end = Peek(p_);
    int form = kFormAsIs;
    if (end == kTokStore) {
      TokenAdvance(&p_);
      if (!Store(v)) return 0;
      end = Peek(p_);
    } else if (end == 0xCB || end == 0xCC) {
      if (!ApplyPostfix(end, v, CurrentMode())) return Fail(BcdErrorCode(&v[0]));
      TokenAdvance(&p_);
      end = Peek(p_);
    } else if (end >= 0xF901 && end <= 0xF907) {
      form = kFormDec + (end - 0xF901);
      if (form <= kFormOct) {
        // ►Dec ►Hex ►Bin ►Oct: the value as an integer of that base.
        FnMode mode = CurrentMode();
        if (mode.baseMode == kBcdBaseNone) return Fail(kBcdErrSyntax);
        static constexpr uint8_t kBases[] = {kBcdBaseDec, kBcdBaseHex, kBcdBaseBin, kBcdBaseOct};
        mode.baseMode = kBases[form - kFormDec];
        if (!ToBaseN(v, mode)) return Fail(BcdErrorCode(&v[0]));
      }
      TokenAdvance(&p_);
      end = Peek(p_);
    } else if (end == kTokJump) {
      return Jump(v);
    }
    if (!IsSeparator(end)) return Fail(kBcdErrSyntax);
    form_ = form;
    return SetAns(v);
  }

  // The commonest statement of a loop, "A+1" or "N÷D" (two plain operands
  // and one of + - × ÷), worked out without the evaluator's machine. Anything
  // else, and any failure, goes the general way, so that results, errors and
  // the error position are the evaluator's own.
  bool QuickBinary(BcdNumber v[2]) {
    if (GetSetupItem(kSetupBaseMode) != kBcdBaseNone) return false;
    const uint8_t* p = p_;
    QuickValue a, b;
    if (!QuickOperand(&p, &a)) return false;
    int op;
    switch (*p) {
      case kTokPlus:
        op = kBcdOpAdd;
        break;
      case kTokMinus:
        op = kBcdOpSub;
        break;
      case kTokTimes:
        op = kBcdOpMul;
        break;
      case kTokDivide:
        op = kBcdOpDiv;
        break;
      default:
        return false;
    }
    ++p;
    if (!QuickOperand(&p, &b)) return false;
    uint16_t end = Peek(p);
    if (!IsSeparator(end) && end != kTokStore) return false;
    BcdZero(&v[1]);
    // Integers below 10^15 add, subtract and multiply exactly in binary,
    // into the very record the decimal arithmetic would give.
    __int128 r = 0;
    if (a.integer && b.integer && op != kBcdOpDiv) {
      r = op == kBcdOpAdd   ? __int128(a.n) + b.n
          : op == kBcdOpSub ? __int128(a.n) - b.n
                            : __int128(a.n) * b.n;
      constexpr __int128 kLimit = 1000000000000000;
      if (r > -kLimit && r < kLimit) {
        FromSmallInteger(int64_t(r), &v[0]);
        p_ = p;
        return true;
      }
    }
    if (a.integer) FromSmallInteger(a.n, &a.x);
    if (b.integer) FromSmallInteger(b.n, &b.x);
    if (!BcdBinary(op, &a.x, &b.x, &v[0])) return false;
    p_ = p;
    return true;
  }

  struct QuickValue {
    bool integer = false;  // n holds the value, else x
    int64_t n = 0;
    BcdNumber x;
  };

  // A variable holding a plain real decimal, or an integer literal of up to
  // 14 digits.
  static bool QuickOperand(const uint8_t** p, QuickValue* v) {
    uint8_t c = **p;
    if (IsLetter(c)) {
      const auto* r = reinterpret_cast<const BcdNumber*>(MemVariable(MemVariableSlot(c)));
      unsigned sign = r->bytes[0] >> 4, tens = r->bytes[0] & 15;
      if ((sign != 0 && sign != 1 && sign != 5 && sign != 6) || tens > 9) return false;
      v->integer = SmallInteger(r, &v->n);
      v->x = *r;
      ++*p;
      return true;
    }
    int64_t n = 0;
    int digits = 0;
    for (; **p >= '0' && **p <= '9'; ++*p, ++digits) {
      if (digits == 14) return false;
      n = n * 10 + (**p - '0');
    }
    if (digits == 0 || **p == kTokPoint || **p == kTokExponent) return false;
    v->integer = true;
    v->n = n;
    return true;
  }

  // ⇒: a zero condition skips the statement after it.
  int Jump(const BcdNumber v[2]) {
    TokenAdvance(&p_);
    if (!IsRealScalar(&v[0])) return Fail(kBcdErrMa);
    if (IsSeparator(Peek(p_))) return Fail(kBcdErrSyntax);
    if (BcdIsZero(&v[0])) {
      SkipStatement();
    } else {
      GoOnHere();
    }
    return 1;
  }

  // Moves to the separator that ends the statement at the cursor.
  void SkipStatement() {
    while (!IsSeparator(Peek(p_))) WalkToken(&p_);
  }

  // The value becomes Ans; a list or matrix moves into its answer item.
  int SetAns(const BcdNumber v[2]) {
    int kind = BcdKind(&v[0]);
    if (kind == kBcdKindList || kind == kBcdKindMatrix) {
      uint8_t record[kMemAlphaRecord] = {};
      bool list = kind == kBcdKindList;
      if (!StoreArray(v, list ? kListAnsItem : kMatAnsItem)) return 0;
      record[0] = list ? 0x20 : 0x30;  // Ans names the answer item
      MemSetVariable(kTokAns, record);
      display_ = list ? kShowList : kShowMatrix;
      static const uint8_t kAns[] = {uint8_t(kTokAns), 0};
      const uint8_t* p = kAns;
      EvalStacks stacks;
      if (!::Evaluate(&p, value_, &stacks, 0)) return Fail(BcdErrorCode(&value_[0]));
      return 1;
    }
    BcdNumber shown[2];
    CopyValue(shown, v);
    // The Frac Result setting ab/c gives a fraction result in its mixed form.
    if (GetSetupItem(kSetupFracResult) == kFracResultMixed) BcdFractionForm(&v[0], true, &shown[0]);
    WriteVariable(kTokAns, shown);
    CopyValue(value_, shown);
    display_ = kShowValue;
    return 1;
  }

  // Writes a list or matrix value as an item of "main", replacing it.
  int StoreArray(const BcdNumber v[2], const char* name) {
    if (int code = StoreArrayItem(&v[0], name)) return Fail(code);
    return 1;
  }

  // → variable, List n, Mat X, or one element of a list or matrix.
  int Store(BcdNumber v[2]) {
    uint16_t c = Peek(p_);
    if (IsLetter(c)) {
      TokenAdvance(&p_);
      if (BcdKind(&v[0]) != kBcdKindScalar) return Fail(kBcdErrMa);
      WriteVariable(c, v);
      return 1;
    }
    if (c != kTokMat && c != kTokList && (c < kTokList1 || c > kTokList1 + 5)) {
      return Fail(kBcdErrSyntax);
    }
    EvalStacks stacks;
    eval_internal::Run run{&p_, &stacks, 0, CurrentMode()};
    ArrayName target;
    if (int error = ReadArrayName(run, c, &target)) return Fail(error);
    bool list = target.kind == ArrayKind::kList;
    if (Peek(p_) == '[') {
      TokenAdvance(&p_);
      return StoreElement(run, v, target);
    }
    if (BcdKind(&v[0]) != (list ? kBcdKindList : kBcdKindMatrix)) return Fail(kBcdErrMa);
    return StoreArray(v, target.name.c_str());
  }

  int StoreElement(eval_internal::Run& run, const BcdNumber v[2], const ArrayName& target) {
    if (BcdKind(&v[0]) != kBcdKindScalar) return Fail(kBcdErrMa);
    NumArrayKind kind =
        target.kind == ArrayKind::kList ? NumArrayKind::kList : NumArrayKind::kMatrix;
    NumArrayShape shape;
    const char* name = target.name.c_str();
    if (MemNumArrayShape(MemInFolder(kMainFolder), name, kind, &shape) != kMemOk) {
      return Fail(kBcdErrMemory);
    }
    uint32_t i;
    BcdNumber index[2];
    if (!ReadElementIndex(run, shape.rows, shape.cols, kind == NumArrayKind::kMatrix, &i, index)) {
      return Fail(BcdErrorCode(&index[0]));
    }
    uint8_t record[kNumPair] = {};
    std::memcpy(record, v, BcdIsComplex(&v[0]) ? kNumPair : kNumRecord);
    if (MemNumArraySet(MemInFolder(kMainFolder), name, kind, i, record) != kMemOk) {
      return Fail(kBcdErrMemory);
    }
    return 1;
  }

  // ---- Setting commands ----------------------------------------------------------
  // The whole statement is checked before the setup changes.
  int Setting(uint16_t c) {
    if (InterpIsGraphSetting(c)) {
      if (c == 0xEB || c == 0xF796 || c == 0xF798)
        display_ = kShowDone;  // ViewWindow RclGMEM RclV-Win
      return GraphHandler(c);
    }
    uint8_t display = GetSetupItem(kSetupDisplay);
    uint8_t eng = display & kBcdEngBit;
    int item;
    uint8_t value;
    const uint8_t* p = p_;
    TokenAdvance(&p);
    switch (c) {
      case 0xDA:
      case 0xDB:
      case 0xDC:
        item = kSetupAngle;
        value = uint8_t(c - 0xDA);
        break;
      case 0xF908:
      case 0xF909:
      case 0xF90A:
        item = kSetupComplexMode;
        value = uint8_t(c - 0xF908);
        break;
      case 0xD4:
      case 0xD5:
      case 0xD6:
      case 0xD7: {
        static constexpr uint8_t kModes[] = {kBcdBaseDec, kBcdBaseHex, kBcdBaseBin, kBcdBaseOct};
        if (c != 0xD4 && GetSetupItem(kSetupBaseMode) == kBcdBaseNone) return Fail(kBcdErrSyntax);
        item = kSetupBaseMode;
        value = kModes[c - 0xD4];
        break;
      }
      case 0xE3:
      case 0xE4: {  // Fix n, Sci n: one digit
        int n = Peek(p) - '0';
        if (n < 0 || n > 9 || !IsSeparator(Peek(p + 1))) {
          p_ = p;
          return Fail(kBcdErrArgument);
        }
        TokenAdvance(&p);
        item = kSetupDisplay;
        value = uint8_t(eng | (c == 0xE3 ? 0x20 : 0x30) | n);
        break;
      }
      case 0xD9: {  // Norm 1, Norm 2, or Norm alone switching between them
        item = kSetupDisplay;
        uint16_t n = Peek(p);
        if (IsSeparator(n)) {
          value = uint8_t(eng | ((display & 0x70) == 0 ? 0x10 : 0x00));
          break;
        }
        if ((n != '1' && n != '2') || !IsSeparator(Peek(p + 1))) {
          p_ = p;
          return Fail(kBcdErrArgument);
        }
        TokenAdvance(&p);
        value = uint8_t(eng | (n == '1' ? 0x00 : 0x10));
        break;
      }
      case 0xDD:  // Eng toggles
        item = kSetupDisplay;
        value = uint8_t(display ^ kBcdEngBit);
        break;
      case 0xF90B:
      case 0xF90C:
        item = kSetupDisplay;
        value = uint8_t(c == 0xF90B ? display | kBcdEngBit : display & ~kBcdEngBit);
        break;
      case 0xF7CD:
      case 0xF7CE:  // ab/c, d/c
        item = kSetupFracResult;
        value = c == 0xF7CD ? kFracResultMixed : 0;
        break;
      default:
        // Statistics and the other settings arrive with their features.
        return Fail(kNotYet);
    }
    if (!IsSeparator(Peek(p))) {
      p_ = p;
      return Fail(kBcdErrSyntax);
    }
    SetSetupItem(item, value);
    p_ = p;
    return 1;
  }

  // ---- Graph commands --------------------------------------------------------------
  int Graph(uint16_t c) {
    switch (c) {
      case 0xD1:    // Cls
      case 0xF719:  // ClrGraph
        display_ = kShowDone;
        break;
      case 0xF72E:
        display_ = kShowFunctionTable;
        break;
      case 0xF72F:
        display_ = kShowRecursionTable;
        break;
      default:
        display_ = kShowGraph;
        break;
    }
    return GraphHandler(c);
  }

  int GraphHandler(uint16_t c) {
    InterpGraphHandler handler = InterpGraphHandlerOf(c);
    if (!handler) return Fail(kInterpGraphNotYet);
    int error = handler(&p_);
    return error ? Fail(error) : 1;
  }

  // ---- If --------------------------------------------------------------------------
  int If() {
    if (!OpenBlock(kBlockIf)) return 0;
    TokenAdvance(&p_);
    BcdNumber v[2];
    if (!Evaluate(v)) return 0;
    uint16_t c = Peek(p_);
    if (c != kTokColon && c != kTokNewLine && c != kTokDisplayStop) return Fail(kBcdErrSyntax);
    TokenAdvance(&p_);
    if (Peek(p_) != 0xF701) return Fail(kBcdErrSyntax);
    TokenAdvance(&p_);
    if (!IsRealScalar(&v[0])) return Fail(kBcdErrMa);
    if (!BcdIsZero(&v[0])) {
      GoOnHere();
      return 1;
    }
    // Skip to the Else or IfEnd at this If's depth.
    int depth = 0;
    for (;;) {
      const uint8_t* at = p_;
      uint16_t t = WalkToken(&p_);
      if (t == 0) {
        p_ = at;
        return Fail(kBcdErrSyntax);
      }
      if (t == 0xF700) {
        ++depth;
      } else if (t == 0xF703) {
        if (depth-- == 0) {
          CloseBlock(Top());
          return 1;
        }
      } else if (t == 0xF702 && depth == 0) {
        Top().block.var = 1;
        GoOnHere();
        return 1;
      }
    }
  }

  // Else reached from the Then part: skip to the matching IfEnd.
  int Else() {
    if (TopKind() != kBlockIf || Top().block.var) return Fail(kBcdErrSyntax);
    Top().block.var = 1;
    TokenAdvance(&p_);
    int depth = 0;
    for (;;) {
      const uint8_t* at = p_;
      uint16_t t = WalkToken(&p_);
      if (t == 0) {
        p_ = at;
        return Fail(kBcdErrSyntax);
      }
      if (t == 0xF700) ++depth;
      if (t == 0xF703 && depth-- == 0) break;
    }
    CloseBlock(Top());
    return 1;
  }

  int IfEnd() {
    if (TopKind() != kBlockIf) return Fail(kBcdErrSyntax);
    TokenAdvance(&p_);
    CloseBlock(Top());
    return 1;
  }

  // ---- Loops ----------------------------------------------------------------------
  // Skips from the cursor to the token after the `close` that matches the
  // loop whose body the cursor is in (`open` counted for nesting).
  int SkipLoop(uint16_t open, uint16_t close) {
    int depth = 0;
    for (;;) {
      const uint8_t* at = p_;
      uint16_t t = WalkToken(&p_);
      if (t == 0) {
        p_ = at;
        return Fail(kBcdErrSyntax);
      }
      if (t == open) ++depth;
      if (t == close && depth-- == 0) return 1;
    }
  }

  // The loop position: the statement after the block statement's separator.
  uint32_t LoopPosition() {
    const uint8_t* p = p_;
    if (Peek(p) != 0) TokenAdvance(&p);
    return Offset(p);
  }

  void JumpTo(uint32_t loop) {
    p_ = At(loop);
    GoOnHere();
  }

  // Reads "To end [Step step]" and the separator after them.
  int ForBounds(BlockRecord* b) {
    if (Peek(p_) != 0xF705) return Fail(kBcdErrSyntax);
    TokenAdvance(&p_);
    BcdNumber v[2];
    if (!Evaluate(v)) return 0;
    if (!IsRealScalar(&v[0])) return Fail(kBcdErrMa);
    b->end = v[0];
    if (Peek(p_) == 0xF706) {
      TokenAdvance(&p_);
      if (!Evaluate(v)) return 0;
      if (!IsRealScalar(&v[0])) return Fail(kBcdErrMa);
      b->step = v[0];
    } else {
      BcdFromInt(&b->step, 1);
    }
    if (!IsSeparator(Peek(p_))) return Fail(kBcdErrSyntax);
    return 1;
  }

  // q = (end - value) / step: negative when the loop is over. An error
  // value in the test is the run's result.
  int LoopOver(const BlockRecord& b, const BcdNumber* value, bool* over) {
    BcdNumber d, q;
    if (!BcdSub(&b.end, value, &d)) return Fail(BcdErrorCode(&d));
    // A step of 1 divides exactly: q is the difference itself.
    static const BcdNumber kOne = [] {
      BcdNumber one;
      BcdFromInt(&one, 1);
      return one;
    }();
    if (std::memcmp(&b.step, &kOne, sizeof kOne) == 0) {
      q = d;
    } else if (!BcdDiv(&d, &b.step, &q)) {
      return Fail(BcdErrorCode(&q));
    }
    *over = BcdIsNegative(&q);
    return 1;
  }

  void StoreReal(uint16_t var, const BcdNumber* v) {
    BcdNumber pair[2] = {*v, {}};
    WriteVariable(var, pair);
  }

  int For() {
    if (!OpenBlock(kBlockFor)) return 0;
    TokenAdvance(&p_);
    BcdNumber start[2];
    if (!Evaluate(start)) return 0;
    if (Peek(p_) != kTokStore) return Fail(kBcdErrSyntax);
    TokenAdvance(&p_);
    uint16_t var = Peek(p_);
    if (!IsLetter(var)) return Fail(kBcdErrSyntax);
    TokenAdvance(&p_);
    if (!IsRealScalar(&start[0])) return Fail(kBcdErrMa);
    StoreReal(var, &start[0]);
    BlockRecord& b = Top().block;
    b.var = var;
    if (!ForBounds(&b)) return 0;
    BcdNumber moved;
    if (!BcdAdd(&start[0], &b.step, &moved)) return Fail(BcdErrorCode(&moved));
    if (BcdCompare(kBcdOpEq, &moved, &start[0]) == 1) return Fail(kBcdErrArgument);
    b.loop = LoopPosition();
    bool over;
    if (!LoopOver(b, &start[0], &over)) return 0;
    if (!over) return 1;
    TokenAdvance(&p_);  // the separator: the body starts after it
    if (!SkipLoop(0xF704, 0xF707)) return 0;
    CloseBlock(Top());
    return 1;
  }

  int Next() {
    if (TopKind() != kBlockFor) return Fail(kBcdErrSyntax);
    const uint8_t* next = p_;
    BlockRecord& b = Top().block;
    if (b.kind & kBlockBoundsPending) {
      // Entered by Goto: read the bounds of the For statement now.
      uint32_t forAt;
      std::memcpy(&forAt, &b.end, sizeof forAt);
      p_ = At(forAt);
      TokenAdvance(&p_);
      while (Peek(p_) != kTokStore && !IsSeparator(Peek(p_))) WalkToken(&p_);
      if (Peek(p_) != kTokStore) return Fail(kBcdErrSyntax);
      TokenAdvance(&p_);
      TokenAdvance(&p_);
      if (!ForBounds(&b)) return 0;
      b.kind = kBlockFor;
      p_ = next;
    }
    uint32_t slot = MemVariableSlot(uint8_t(b.var));
    if (slot == kMemNoVariable) return Fail(kBcdErrSyntax);
    const auto* current = reinterpret_cast<const BcdNumber*>(MemVariable(slot));
    BcdNumber value;
    bool over;
    int64_t v;
    if (IntegerBounds(b) && SmallInteger(current, &v)) {
      // Exact in binary: q = (end - value) / step is negative exactly when
      // the value has passed the end in the step's direction.
      int64_t n = v + bounds_.step;
      over = bounds_.step > 0 ? n > bounds_.end : n < bounds_.end;
      if (!over) {
        // Straight into the variable's record: the counter is the hottest
        // store of a program.
        uint8_t* record = MemVariable(slot);
        FromSmallInteger(n, reinterpret_cast<BcdNumber*>(record));
        std::memset(record + sizeof(BcdNumber), 0, sizeof(BcdNumber));
        JumpTo(b.loop);
        return 1;
      }
    } else {
      if (!IsRealScalar(current)) return Fail(kBcdErrMa);
      if (!BcdAdd(current, &b.step, &value)) return Fail(BcdErrorCode(&value));
      if (!LoopOver(b, &value, &over)) return 0;
    }
    if (over) {
      TokenAdvance(&p_);
      CloseBlock(Top());
      return 1;
    }
    StoreReal(b.var, &value);
    JumpTo(b.loop);
    return 1;
  }

  int Do() {
    if (!OpenBlock(kBlockDo)) return 0;
    TokenAdvance(&p_);
    Top().block.loop = LoopPosition();
    return 1;
  }

  int LpWhile() {
    if (TopKind() != kBlockDo) return Fail(kBcdErrSyntax);
    TokenAdvance(&p_);
    bool holds;
    if (!Condition(&holds)) return 0;
    if (holds) {
      JumpTo(Top().block.loop);
    } else {
      CloseBlock(Top());
    }
    return 1;
  }

  // A condition for LpWhile, While and WhileEnd: a real value, ended by a
  // separator.
  int Condition(bool* holds) {
    BcdNumber v[2];
    if (!Evaluate(v)) return 0;
    if (!IsSeparator(Peek(p_))) return Fail(kBcdErrSyntax);
    if (!IsRealScalar(&v[0])) return Fail(kBcdErrMa);
    *holds = !BcdIsZero(&v[0]);
    return 1;
  }

  int While() {
    if (!OpenBlock(kBlockWhile)) return 0;
    TokenAdvance(&p_);
    Top().block.loop = Offset(p_);
    return WhileTest();
  }

  // The While condition at the cursor: go on into the body, or skip it.
  int WhileTest() {
    bool holds;
    if (!Condition(&holds)) return 0;
    if (holds) return 1;
    if (Peek(p_) != 0) TokenAdvance(&p_);
    if (!SkipLoop(0xF708, 0xF709)) return 0;
    CloseBlock(Top());
    return 1;
  }

  // WhileEnd tests the While's condition again.
  int WhileEnd() {
    if (TopKind() != kBlockWhile) return Fail(kBcdErrSyntax);
    const uint8_t* end = p_;
    p_ = At(Top().block.loop);
    bool holds;
    if (!Condition(&holds)) return 0;
    if (holds) return 1;
    p_ = end;
    TokenAdvance(&p_);
    CloseBlock(Top());
    return 1;
  }

  int Break() {
    TokenAdvance(&p_);
    if (!IsSeparator(Peek(p_))) return Fail(kBcdErrSyntax);
    Frame& f = Top();
    while (TopKind() == kBlockIf) CloseBlock(f);
    uint8_t kind = TopKind();
    if (kind == kBlockNone) return Fail(kBcdErrSyntax);
    if (kind == kBlockFor && !SkipLoop(0xF704, 0xF707)) return 0;
    if (kind == kBlockWhile && !SkipLoop(0xF708, 0xF709)) return 0;
    if (kind == kBlockDo) {
      if (!SkipLoop(0xF70A, 0xF70B)) return 0;
      SkipStatement();  // the LpWhile condition
    }
    CloseBlock(f);
    return 1;
  }

  // ---- Labels ---------------------------------------------------------------------
  int Label(uint16_t c) {
    TokenAdvance(&p_);
    uint16_t label = Peek(p_);
    if (!IsLabel(label)) return Fail(kBcdErrArgument);
    TokenAdvance(&p_);
    if (!IsSeparator(Peek(p_))) return Fail(kBcdErrSyntax);
    return c == 0xE2 ? 1 : Goto(label);
  }

  // Finds "Lbl label" from the program's start, opening and closing the
  // blocks on the way, and adopts the block depth the label stands in.
  int Goto(uint16_t label) {
    std::vector<BlockRecord> open;
    const uint8_t* p = Top().start;
    for (;;) {
      const uint8_t* at = p;
      uint16_t t = WalkToken(&p);
      if (t == 0) return Fail(kBcdErrGo);
      BlockRecord b{};
      switch (t) {
        case 0xE2:
          if (Peek(p) == label) {
            TokenAdvance(&p);
            return Adopt(open, p);
          }
          break;
        case 0xF700:
          b.kind = kBlockIf;
          open.push_back(b);
          break;
        case 0xF702:
          if (!open.empty()) open.back().var = 1;
          break;
        case 0xF704: {
          b.kind = kBlockFor | kBlockBoundsPending;
          uint32_t forAt = Offset(at);
          std::memcpy(&b.end, &forAt, sizeof forAt);
          const uint8_t* q = p;
          while (Peek(q) != kTokStore && !IsSeparator(Peek(q))) WalkToken(&q);
          if (Peek(q) == kTokStore) {
            TokenAdvance(&q);
            b.var = Peek(q);
          }
          while (!IsSeparator(Peek(q))) WalkToken(&q);
          if (Peek(q) != 0) TokenAdvance(&q);
          b.loop = Offset(q);
          open.push_back(b);
          break;
        }
        case 0xF708:
          b.kind = kBlockWhile;
          b.loop = Offset(p);
          open.push_back(b);
          break;
        case 0xF70A: {
          b.kind = kBlockDo;
          const uint8_t* q = p;
          if (Peek(q) != 0) TokenAdvance(&q);
          b.loop = Offset(q);
          open.push_back(b);
          break;
        }
        case 0xF703:
        case 0xF707:
        case 0xF709:
        case 0xF70B:
          if (!open.empty()) open.pop_back();
          break;
        default:
          break;
      }
    }
  }

  int Adopt(const std::vector<BlockRecord>& open, const uint8_t* at) {
    Frame& f = Top();
    // The blocks open now, outermost first; those that are the label's own
    // outer blocks stay, the others are closed.
    std::vector<const BlockRecord*> now(f.block.depth);
    const BlockRecord* b = &f.block;
    for (size_t i = now.size(); i-- > 0; b = b->saved) now[i] = b;
    size_t keep = 0;
    while (keep < now.size() && keep < open.size() &&
           (now[keep]->kind & ~kBlockBoundsPending) == (open[keep].kind & ~kBlockBoundsPending) &&
           now[keep]->loop == open[keep].loop) {
      ++keep;
    }
    while (f.block.depth > keep) CloseBlock(f);
    for (size_t i = keep; i < open.size(); ++i) {
      if (!OpenBlock(open[i].kind)) return 0;
      BlockRecord& top = f.block;
      top.var = open[i].var;
      top.loop = open[i].loop;
      top.end = open[i].end;
      top.step = open[i].step;
    }
    p_ = at;
    return 1;
  }

  // ---- Dsz, Isz --------------------------------------------------------------------
  int CountAndSkip(uint16_t c) {
    TokenAdvance(&p_);
    uint16_t var = Peek(p_);
    if (!IsLetter(var)) return Fail(kBcdErrSyntax);
    const auto* current =
        reinterpret_cast<const BcdNumber*>(MemVariable(MemVariableSlot(uint8_t(var))));
    if (!IsRealScalar(current)) return Fail(kBcdErrMa);
    BcdNumber one, value;
    BcdFromInt(&one, 1);
    int ok = c == 0xE8 ? BcdSub(current, &one, &value) : BcdAdd(current, &one, &value);
    if (!ok) return Fail(BcdErrorCode(&value));
    TokenAdvance(&p_);
    if (!IsSeparator(Peek(p_))) return Fail(kBcdErrSyntax);
    StoreReal(var, &value);
    if (!BcdIsZero(&value)) return 1;
    uint16_t sep = Peek(p_);
    if (sep == kTokColon || sep == kTokNewLine) {
      TokenAdvance(&p_);
      SkipStatement();
    }
    return 1;
  }

  // ---- Prog and Return -----------------------------------------------------------
  // A string in quotes at the cursor (after the quote), up to max bytes of
  // text; the cursor ends after the closing quote.
  std::string ReadString() {
    std::string text;
    for (;;) {
      const uint8_t* at = p_;
      uint16_t c = TokenAdvance(&p_);
      if (c == 0 || c == kTokNewLine) {
        p_ = at;
        return text;
      }
      if (c == kTokQuote) return text;
      if (c > 0xFF) text += char(c >> 8);
      text += char(c & 0xFF);
    }
  }

  int Prog() {
    const uint8_t* site = p_;
    TokenAdvance(&p_);
    if (Peek(p_) != kTokQuote) return Fail(kBcdErrSyntax);
    TokenAdvance(&p_);
    std::string name = ReadString();
    if (!IsSeparator(Peek(p_))) return Fail(kBcdErrSyntax);
    std::string tokens;
    if (name.empty() || name.size() > kProgramNameBytes ||
        !InterpReadProgram(name.c_str(), &tokens)) {
      p_ = site;
      return Fail(kBcdErrGo);
    }
    if (levels_ >= kMaxLevels + base_) {
      p_ = site;
      return Fail(kBcdErrNesting);
    }
    auto* copy = static_cast<uint8_t*>(OsMalloc(uint32_t(tokens.size() + 2)));
    if (!copy) {
      p_ = site;
      return Fail(kBcdErrMemory);
    }
    std::memcpy(copy, tokens.data(), tokens.size());
    copy[tokens.size()] = 0;
    copy[tokens.size() + 1] = 0;
    Frame& f = frames_[levels_++];
    f = Frame{};
    f.start = copy;
    f.copy = copy;
    std::memcpy(f.name, name.data(), name.size());
    f.back = p_;
    f.callSite = site;
    p_ = copy;
    if (Peek(p_) == 0) display_ = kShowDone;
    GoOnHere();
    return 1;
  }

  // Back to the caller, or the end of the run at the top level.
  int Return() {
    if (levels_ <= 1 + base_) {
      ended_ = true;
      return 1;
    }
    Frame& f = Top();
    while (f.block.depth > 0) CloseBlock(f);
    p_ = f.back;
    OsFree(f.copy);
    f = Frame{};
    --levels_;
    return 1;
  }

  int EndOfProgram() {
    Frame& f = Top();
    while (TopKind() == kBlockIf) CloseBlock(f);
    if (f.block.depth > 0) return Fail(kBcdErrSyntax);
    return Return();
  }

  // ---- Display stop --------------------------------------------------------------
  int DisplayStop() {
    TokenAdvance(&p_);
    char text[kBcdTextSize + 8];
    // The graph stays up while the run waits; the text screen comes back after EXE.
    const bool graph = display_ == kShowGraph && InterpGetScreenHook();
    if (display_ == kShowValue) {
      InterpFormatValue(value_, form_, text, sizeof text);
      Print(text, true);
    } else if (display_ != kShowText) {
      // A matrix or a list is shown first, as at the end of a run.
      if ((display_ == kShowMatrix || display_ == kShowList) && io_.screen) {
        InterpResult shown;
        shown.display = display_;
        CopyValue(shown.value, value_);
        InterpShowResult(io_.screen, shown);
      }
      if (graph) InterpGetScreenHook()(InterpScreen::kGraph);
      ScreenDoneText(text);
      graph ? (void)(io_.screen && ScreenPrint(io_.screen, text, false)) : Print(text, false);
      if (display_ >= kShowMatrix) display_ = kShowDone;
    }
    // At the very end of the run nothing waits: the result stays on screen.
    if (Peek(p_) == 0 && levels_ <= 1 + base_ && Top().block.depth == 0) {
      r_->shown = true;
      ended_ = true;
      return 1;
    }
    ScreenDispText(text);
    graph ? (void)(io_.screen && ScreenPrint(io_.screen, text, false)) : Print(text, false);
    int error = io_.waitExe ? io_.waitExe(io_.user) : 0;
    if (io_.screen) {
      ScreenBlankLine(io_.screen, io_.screen->line);
      --io_.screen->line;
      Show();
    }
    if (InterpGetScreenHook()) InterpGetScreenHook()(InterpScreen::kText);
    return error ? Fail(error) : 1;
  }

  void Print(const char* text, bool right) {
    if (!io_.screen) return;
    ScreenPrint(io_.screen, text, right);
    Show();
  }

  void Show() {
    if (io_.show) io_.show(io_.user);
  }

  // ---- Strings and input -----------------------------------------------------------
  int String() {
    TokenAdvance(&p_);
    std::string text = ReadString();
    uint16_t c = Peek(p_);
    if (c == '?') {
      display_ = kShowText;
      return Input(&text);
    }
    if (c == kTokStore) {
      TokenAdvance(&p_);
      return StoreString(text);
    }
    if (!IsSeparator(c)) return Fail(kBcdErrSyntax);
    display_ = kShowText;
    Print(text.c_str(), false);
    return 1;
  }

  // A string → a letter keeps the text in the string item of that letter
  // ("STR_A" in "main"), where Locate and the string functions find it.
  int StoreString(const std::string& text) {
    uint16_t c = Peek(p_);
    if (!IsLetter(c)) return Fail(kBcdErrSyntax);
    TokenAdvance(&p_);
    std::string name = "STR_";
    name += c == kMemLetterR ? 'r' : c == kMemLetterTheta ? '@' : char(c);
    MemDelete(MemInFolder(kMainFolder), name.c_str());
    if (MemCreateIn(kMainFolder, name.c_str(), uint32_t(text.size() + 1), text.c_str()) != kMemOk) {
      return Fail(kBcdErrMemory);
    }
    return 1;
  }

  // "?" (or a string's "?"): prompt, read an expression, store it.
  int Input(const std::string* prompt) {
    TokenAdvance(&p_);  // ?
    if (Peek(p_) != kTokStore) return Fail(kBcdErrSyntax);
    TokenAdvance(&p_);
    const uint8_t* target = p_;
    Print(prompt ? prompt->c_str() : "?", false);
    std::string answer;
    int error = io_.readInput ? io_.readInput(io_.user, &answer) : kBcdErrBreak;
    if (error) return Fail(error);
    answer.push_back(0);
    answer.push_back(0);
    const auto* q = reinterpret_cast<const uint8_t*>(answer.data());
    BcdNumber v[2];
    EvalStacks stacks;
    if (!::Evaluate(&q, v, &stacks, 0)) return Fail(BcdErrorCode(&v[0]));
    if (Peek(q) != 0) return Fail(kBcdErrSyntax);
    p_ = target;
    if (!Store(v)) return 0;
    if (!IsSeparator(Peek(p_))) return Fail(kBcdErrSyntax);
    return 1;
  }

  // ---- Locate and the clear commands ---------------------------------------------
  // An integer argument 1..max; a break stays code 1, every other failure is
  // code 8.
  int IntegerArgument(int max, int64_t* n) {
    BcdNumber v[2];
    EvalStacks stacks;
    if (!::Evaluate(&p_, v, &stacks, 0)) {
      return Fail(BcdErrorCode(&v[0]) == kBcdErrBreak ? kBcdErrBreak : kBcdErrArgument);
    }
    if (!IsRealScalar(&v[0]) || !IntegerIn(&v[0], 1, max, n)) return Fail(kBcdErrArgument);
    return 1;
  }

  int Locate() {
    TokenAdvance(&p_);
    int64_t column, line;
    if (!IntegerArgument(kScreenColumns, &column)) return 0;
    if (Peek(p_) != kTokComma) return Fail(kBcdErrSyntax);
    TokenAdvance(&p_);
    if (!IntegerArgument(kScreenLines, &line)) return 0;
    if (Peek(p_) != kTokComma) return Fail(kBcdErrSyntax);
    TokenAdvance(&p_);
    std::string text;
    if (Peek(p_) == kTokQuote) {
      TokenAdvance(&p_);
      text = ReadString();
    } else {
      BcdNumber v[2];
      if (!Evaluate(v)) return 0;
      if (BcdKind(&v[0]) != kBcdKindScalar) return Fail(kBcdErrMa);
      char buffer[kBcdTextSize + 8];
      InterpFormatValue(v, kFormAsIs, buffer, sizeof buffer);
      text = buffer;
      for (char& ch : text)
        if (ch == kBcdChNewLine) ch = ' ';
    }
    if (!IsSeparator(Peek(p_))) return Fail(kBcdErrSyntax);
    if (io_.screen) {
      ScreenPut(io_.screen, int(column), int(line), text.c_str());
      Show();
    }
    return 1;
  }

  int Clear(uint16_t c) {
    TokenAdvance(&p_);
    if (c == 0xF718) {  // ClrText
      if (!IsSeparator(Peek(p_))) return Fail(kBcdErrSyntax);
      if (io_.screen) {
        ScreenClear(io_.screen);
        Show();
      }
      display_ = kShowDone;
      return 1;
    }
    bool list = c == 0xF71A;
    uint16_t which = Peek(p_);
    std::vector<std::string> names;
    if (IsSeparator(which)) {
      // Every list of the current list file, or every matrix.
      for (int i = 0; i <= 26; ++i) {
        if (list) {
          if (i >= 1)
            names.push_back(std::to_string(GetSetupItem(46)) + "LIST" + std::to_string(i));
        } else {
          names.push_back(i < 26 ? std::string("MAT_") + char('A' + i) : kMatAnsItem);
        }
      }
    } else {
      const uint8_t* at = p_;
      if (list) {
        BcdNumber v[2];
        int64_t n;
        if (!Evaluate(v)) return 0;
        if (!IsRealScalar(&v[0]) || !IntegerIn(&v[0], 1, 26, &n)) {
          p_ = at;
          return Fail(kBcdErrArgument);
        }
        names.push_back(std::to_string(GetSetupItem(46)) + "LIST" + std::to_string(n));
      } else {
        if (which < 'A' || which > 'Z') return Fail(kBcdErrSyntax);
        TokenAdvance(&p_);
        names.push_back(std::string("MAT_") + char(which));
      }
      if (!IsSeparator(Peek(p_))) return Fail(kBcdErrSyntax);
    }
    for (const std::string& n : names) MemDelete(MemInFolder(kMainFolder), n.c_str());
    display_ = kShowDone;
    return 1;
  }

  // Rnd: Ans rounded to the digits the display shows, back into Ans.
  int Rnd() {
    TokenAdvance(&p_);
    if (!IsSeparator(Peek(p_))) return Fail(kBcdErrSyntax);
    BcdNumber v[2];
    static const uint8_t kAns[] = {uint8_t(kTokAns), 0};
    const uint8_t* q = kAns;
    EvalStacks stacks;
    if (!::Evaluate(&q, v, &stacks, 0)) return Fail(BcdErrorCode(&v[0]));
    if (BcdKind(&v[0]) != kBcdKindScalar) return Fail(kBcdErrMa);
    uint8_t display = GetSetupItem(kSetupDisplay);
    int mode = (display >> 4) & 7;
    int digits = display & 0x0F;
    if (!BcdIsComplex(&v[0])) BcdZero(&v[1]);
    if (mode != kBcdNorm1 && !BcdRoundForDisplay(v, mode, digits, display & kBcdEngBit)) {
      return Fail(kBcdErrMa);
    }
    return SetAns(v);
  }

  const InterpIo& io_;
  InterpResult* r_;
  const uint8_t* p_ = nullptr;
  Frame frames_[kMaxLevels + 1];
  int levels_ = 0;
  int base_ = 0;  // 1 when the run started through a Prog statement
  int display_ = kShowDone;
  std::optional<InterpScreen> live_;  // the screen a refresh shows, once one was used
  uint32_t liveTicks_ = 0;
  std::chrono::steady_clock::time_point liveShown_{};
  int form_ = kFormAsIs;
  BcdNumber value_[2] = {};
  bool chain_ = false;  // the next statement follows without a separator
  struct {
    const BlockRecord* cell = nullptr;  // the block they belong to
    bool integer = false;
    int64_t end = 0, step = 0;
  } bounds_;
  bool ended_ = false;
};

}  // namespace

int InterpRun(const uint8_t* tokens, int mode, InterpResult* result, const InterpIo& io) {
  return Runner(io, result).Run(tokens, mode);
}
