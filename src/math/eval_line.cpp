#include "math/eval_line.h"

#include <cstring>

#include "math/eval.h"
#include "math/interp.h"
#include "math/token.h"

int RunLine(const uint8_t* tokens, LineResult* result) {
  InterpResult r;
  int status = InterpRun(tokens, kInterpModeLine, &r, InterpIo{});
  *result = LineResult{};
  result->error = r.error;
  result->stop = r.stop;
  result->form = r.form;
  std::memcpy(result->value, r.value, sizeof result->value);
  bool value = r.display == kShowValue || r.display == kShowList || r.display == kShowMatrix;
  result->shows = value && !r.error ? kLineShowsValue : kLineShowsDone;
  return status;
}

int RecallAns(BcdNumber value[2]) {
  static const uint8_t kAns[] = {uint8_t(kTokAns), 0};
  const uint8_t* p = kAns;
  EvalStacks stacks;
  return Evaluate(&p, value, &stacks, 0);
}
