// libFuzzer target: random token strings and random text through the
// tokenizer (as typed and as pasted), the evaluator, the line runner and the
// program interpreter.
// Every input must end in a value or an error value: no crash, no hang, no
// read past the string.
//
// The first byte chooses the path and the evaluation flags; the rest is the
// input, copied into a buffer of its exact size plus the end bytes.
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "math/eval.h"
#include "math/eval_line.h"
#include "math/eval_print.h"
#include "math/interp.h"
#include "math/text_tokens.h"
#include "memory/mcs_core.h"
#include "memory/mem_app.h"
#include "os/setup.h"

namespace {

// Long work (a chain of large matrix inverses) is cut short the way a user
// would: AC after a second.
std::chrono::steady_clock::time_point g_deadline;
int PatientUser() {
  return std::chrono::steady_clock::now() > g_deadline;
}

// Every input starts on a fresh calculator, so a finding replays alone.
void Start() {
  static bool done = [] {
    McsAllocateArena();
    EvalInit();
    EvalSetBreakTest(PatientUser);
    return true;
  }();
  (void)done;
  MemStartUp();
  ResetSetup();
  g_deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  Start();
  uint8_t how = data[0];
  ++data;
  --size;
  // A few setup states: complex modes, an angle unit, a Base-N mode.
  SetSetupItem(kSetupComplexMode, uint8_t((how >> 2) % 3));
  SetSetupItem(kSetupAngle, uint8_t((how >> 4) % 3));
  static const uint8_t kBases[] = {0, 0, 1, 7, 9, 15};
  SetSetupItem(kSetupBaseMode, kBases[(how >> 5) % 6]);
  if ((how & 3) == 0) {
    // Tokens: whole bytes and two end bytes (a lead 0x7F or 0xF7 may stand last).
    std::vector<uint8_t> tokens(data, data + size);
    tokens.push_back(0);
    tokens.push_back(0);
    static const uint32_t kFlags[] = {
        0, kEvalBlankMarker, kEvalIntegral, kEvalArgument, kEvalNoMatrix, kEvalConditionSide};
    const uint8_t* p = tokens.data();
    EvalStacks stacks;
    BcdNumber v[2];
    Evaluate(&p, v, &stacks, kFlags[(how >> 2) % 6]);
    if (p < tokens.data() || p >= tokens.data() + tokens.size()) __builtin_trap();
    LineResult r;
    RunLine(tokens.data(), &r);
    ResultText(r, (how & 4) != 0);
    // The same tokens as a stored program, called with Prog (and calling
    // itself when they say so).
    if (InterpStoreProgram("F", tokens.data(), tokens.size() - 2) == 0) {
      static const uint8_t kCall[] = {0xED, '"', 'F', '"', 0, 0};
      InterpResult ir;
      InterpRun(kCall, kInterpModeProgram, &ir, InterpIo{});
    }
    TokensToText(tokens.data());
  } else {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string tokens;
    if (TextToTokens(text, &tokens) == 0) {
      std::string back = TokensToText(reinterpret_cast<const uint8_t*>(tokens.c_str()));
      std::string again;
      TextToTokens(back, &again);
    }
    // Pasted text: whatever is left out, the rest must read as tokens.
    std::string kept, dropped;
    TextToTokensDropping(text, &kept, &dropped);
    if (dropped.size() > text.size()) __builtin_trap();
    EvalTextLine(text, (how & 1) != 0);
  }
  return 0;
}
