#include "math/eval_line.h"

#include <cstring>
#include <string>
#include <vector>

#include "math/bcd_text.h"
#include "math/eval.h"
#include "math/eval_internal.h"
#include "math/token.h"
#include "memory/mem_app.h"
#include "memory/mem_numarray.h"
#include "os/setup.h"

using namespace eval_internal;

namespace {

constexpr uint8_t kFormatBits = 0x70;

bool IsSeparator(uint16_t c) {
  return c == 0 || c == kTokColon || c == kTokNewLine || c == kTokDisplayStop;
}

uint16_t Peek(const uint8_t* p) {
  return TokenPeek(p);
}

class Line {
 public:
  Line(const uint8_t* tokens, LineResult* result) : p_(tokens), r_(result) {}

  int Go() {
    *r_ = LineResult{};
    for (;;) {
      if (!Statement()) {
        r_->stop = p_;
        ReleaseAllTemporaries();
        return 0;
      }
      ReleaseAllTemporaries();
      uint16_t sep = TokenAdvance(&p_);
      if (sep == 0) break;
    }
    r_->stop = p_;
    return 1;
  }

 private:
  int Error(int code) {
    r_->error = code;
    BcdError(&r_->value[0], code);
    return 0;
  }

  // One statement; the cursor ends on its separator.
  int Statement() {
    uint16_t c = Peek(p_);
    if (IsSeparator(c)) return 1;  // an empty statement
    if (int handled = Setting(c)) return handled > 0;
    if (c == kTokStore || c == kTokJump || c == kTokColon) return Error(kBcdErrSyntax);
    return Expression();
  }

  // Setting commands: 1 done, -1 failed, 0 not a setting command. The
  // whole statement is checked before the setup changes.
  int Setting(uint16_t c) {
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
        if (c != 0xD4 && GetSetupItem(kSetupBaseMode) == kBcdBaseNone) {
          return Error(kBcdErrSyntax) - 1;
        }
        item = kSetupBaseMode;
        value = kModes[c - 0xD4];
        break;
      }
      case 0xE3:
      case 0xE4: {  // Fix n, Sci n: one digit
        int n = TokenAdvance(&p) - '0';
        if (n < 0 || n > 9 || !IsSeparator(Peek(p))) return Error(kBcdErrArgument) - 1;
        item = kSetupDisplay;
        value = uint8_t(eng | (c == 0xE3 ? 0x20 : 0x30) | n);
        break;
      }
      case 0xD9: {  // Norm 1, Norm 2, or Norm alone switching between them
        item = kSetupDisplay;
        uint16_t n = Peek(p);
        if (IsSeparator(n)) {
          value = uint8_t(eng | ((display & kFormatBits) == 0 ? 0x10 : 0x00));
          break;
        }
        TokenAdvance(&p);
        if ((n != '1' && n != '2') || !IsSeparator(Peek(p))) return Error(kBcdErrArgument) - 1;
        value = uint8_t(eng | (n == '1' ? 0x00 : 0x10));
        break;
      }
      case 0xDD:
        item = kSetupDisplay;
        value = uint8_t(display ^ kBcdEngBit);
        break;
      default:
        return 0;
    }
    if (!IsSeparator(Peek(p))) return Error(kBcdErrSyntax) - 1;
    SetSetupItem(item, value);
    p_ = p;
    r_->shows = kLineShowsDone;
    return 1;
  }

  int Expression() {
    EvalStacks stacks;
    BcdNumber v[2];
    if (!Evaluate(&p_, v, &stacks, 0)) return Error(BcdErrorCode(&v[0]));
    uint16_t end = Peek(p_);
    r_->form = kLineAsIs;
    if (end == kTokStore) {
      TokenAdvance(&p_);
      if (!Store(v)) return 0;
      end = Peek(p_);
    } else if (end == 0xF906 || end == 0xF907) {
      r_->form = end == 0xF906 ? kLineAsRectangular : kLineAsPolar;
      TokenAdvance(&p_);
      end = Peek(p_);
    } else if (end >= 0xF901 && end <= 0xF904) {
      // ►Dec ►Hex ►Bin ►Oct: the value as an integer of that base.
      FnMode mode = CurrentMode();
      if (mode.baseMode == kBcdBaseNone) return Error(kBcdErrSyntax);
      r_->form = kLineAsDec + (end - 0xF901);
      mode.baseMode = uint8_t(LineFormBase(r_->form));
      if (!ToBaseN(v, mode)) return Error(BcdErrorCode(&v[0]));
      TokenAdvance(&p_);
      end = Peek(p_);
    } else if (end == kTokJump) {
      return Jump(v);
    }
    if (!IsSeparator(end)) return Error(kBcdErrSyntax);
    return SetAns(v);
  }

  // ⇒: a zero condition skips the statement after it.
  int Jump(const BcdNumber v[2]) {
    TokenAdvance(&p_);
    if (BcdIsComplex(&v[0]) || BcdKind(&v[0]) != kBcdKindScalar) return Error(kBcdErrMa);
    if (IsSeparator(Peek(p_))) return Error(kBcdErrSyntax);
    if (!BcdIsZero(&v[0])) return Statement();
    while (!IsSeparator(Peek(p_))) TokenAdvance(&p_);
    return 1;
  }

  // The value becomes Ans; a list or matrix moves into its answer item.
  int SetAns(const BcdNumber v[2]) {
    uint8_t record[kMemAlphaRecord] = {};
    int kind = BcdKind(&v[0]);
    if (kind == kBcdKindList || kind == kBcdKindMatrix) {
      bool list = kind == kBcdKindList;
      if (!StoreArray(v, list ? kListAnsItem : kMatAnsItem)) return 0;
      record[0] = list ? 0x20 : 0x30;  // Ans names the answer item
    } else {
      std::memcpy(record, v, BcdIsComplex(&v[0]) ? kMemAlphaRecord : sizeof(BcdNumber));
    }
    MemSetVariable(kTokAns, record);
    r_->shows = kLineShowsValue;
    return RecallAns(r_->value) ? 1 : Error(BcdErrorCode(&r_->value[0]));
  }

  // Writes a list or matrix value as an item of "main", replacing it.
  int StoreArray(const BcdNumber v[2], const char* name) {
    Array a;
    if (int code = OpenArray(&v[0], &a)) return Error(code);
    uint32_t bytes = a.Count() * sizeof(BcdNumber) * (a.complex ? 2 : 1);
    std::vector<uint8_t> block(a.block, a.block + bytes);  // the source may lie in the arena
    NumArrayShape shape = a.kind == ArrayKind::kList ? ListShape(a.rows, a.complex)
                                                     : MatrixShape(a.rows, a.cols, a.complex);
    MemDelete(MemInFolder(kMainFolder), name);
    uint8_t* data;
    uint32_t size;
    if (MemCreateNumArray(MemInFolder(kMainFolder), name, shape, 0) != kMemOk ||
        MemGetPointer(MemInFolder(kMainFolder), name, &data, &size) != kMemOk) {
      return Error(kBcdErrMemory);
    }
    std::memcpy(data + kNumArrayHeader, block.data(), bytes);
    return 1;
  }

  // → variable, List n, Mat X, or one element of a list or matrix.
  int Store(BcdNumber v[2]) {
    uint16_t c = Peek(p_);
    uint32_t slot = MemVariableSlot(uint8_t(c));
    if (c < 0x100 && slot != kMemNoVariable && c != kTokAns) {
      TokenAdvance(&p_);
      if (BcdKind(&v[0]) != kBcdKindScalar) return Error(kBcdErrMa);
      uint8_t record[kMemAlphaRecord] = {};
      std::memcpy(record, v, BcdIsComplex(&v[0]) ? kMemAlphaRecord : sizeof(BcdNumber));
      MemSetVariable(uint8_t(c), record);
      return 1;
    }
    if (c != kTokMat && c != kTokList && (c < kTokList1 || c > kTokList1 + 5)) {
      return Error(kBcdErrSyntax);
    }
    EvalStacks stacks;
    Run run{&p_, &stacks, 0, CurrentMode()};
    ArrayName target;
    if (int error = ReadArrayName(run, c, &target)) return Error(error);
    bool list = target.kind == ArrayKind::kList;
    if (Peek(p_) == '[') {
      TokenAdvance(&p_);
      return StoreElement(run, v, target);
    }
    if (BcdKind(&v[0]) != (list ? kBcdKindList : kBcdKindMatrix)) return Error(kBcdErrMa);
    return StoreArray(v, target.name.c_str());
  }

  int StoreElement(Run& run, const BcdNumber v[2], const ArrayName& target) {
    if (BcdKind(&v[0]) != kBcdKindScalar) return Error(kBcdErrMa);
    NumArrayKind kind =
        target.kind == ArrayKind::kList ? NumArrayKind::kList : NumArrayKind::kMatrix;
    NumArrayShape shape;
    const char* name = target.name.c_str();
    if (MemNumArrayShape(MemInFolder(kMainFolder), name, kind, &shape) != kMemOk) {
      return Error(kBcdErrMemory);
    }
    uint32_t i;
    BcdNumber index[2];
    if (!ReadElementIndex(run, shape.rows, shape.cols, kind == NumArrayKind::kMatrix, &i, index)) {
      return Error(BcdErrorCode(&index[0]));
    }
    uint8_t record[kNumPair] = {};
    std::memcpy(record, v, BcdIsComplex(&v[0]) ? kNumPair : kNumRecord);
    if (MemNumArraySet(MemInFolder(kMainFolder), name, kind, i, record) != kMemOk) {
      return Error(kBcdErrMemory);
    }
    return 1;
  }

  const uint8_t* p_;
  LineResult* r_;
};

}  // namespace

int LineFormBase(int form) {
  static constexpr int kBases[] = {kBcdBaseDec, kBcdBaseHex, kBcdBaseBin, kBcdBaseOct};
  return form >= kLineAsDec && form <= kLineAsOct ? kBases[form - kLineAsDec] : kBcdBaseNone;
}

int RunLine(const uint8_t* tokens, LineResult* result) {
  return Line(tokens, result).Go();
}

int RecallAns(BcdNumber value[2]) {
  static const uint8_t kAns[] = {uint8_t(kTokAns), 0};
  const uint8_t* p = kAns;
  EvalStacks stacks;
  return Evaluate(&p, value, &stacks, 0);
}
