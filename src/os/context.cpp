#include "os/context.h"

#include <ucontext.h>

#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define VK_ASAN_FIBERS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VK_ASAN_FIBERS 1
#endif
#endif

#ifdef VK_ASAN_FIBERS
extern "C" {
void __sanitizer_start_switch_fiber(void** fakeStackSave, const void* bottom, size_t size);
void __sanitizer_finish_switch_fiber(void* fakeStackSave, const void** bottomOld, size_t* sizeOld);
}
#endif

struct OsContext {
  ucontext_t machine{};
  void* stack = nullptr;
  size_t stackSize = 0;
  const void* stackBottom = nullptr;  // for the sanitizer; learnt for the thread's own stack
  int (*entry)(void*) = nullptr;
  void* arg = nullptr;
  OsContext* startedBy = nullptr;
  bool finished = false;
  int value = 0;  // handed over by the switch that resumed this context
};

namespace {

thread_local OsContext* tThreadContext = nullptr;
thread_local OsContext* tCurrent = nullptr;

void SwitchMachine(OsContext* from, OsContext* to) {
#ifdef VK_ASAN_FIBERS
  void* fakeStack = nullptr;
  // A finished context never comes back: let the sanitizer drop its frames.
  __sanitizer_start_switch_fiber(from->finished ? nullptr : &fakeStack, to->stackBottom,
                                 to->stackSize);
  swapcontext(&from->machine, &to->machine);
  __sanitizer_finish_switch_fiber(fakeStack, nullptr, nullptr);
#else
  swapcontext(&from->machine, &to->machine);
#endif
}

// Runs on the new stack.
void Trampoline() {
  OsContext* self = tCurrent;
#ifdef VK_ASAN_FIBERS
  const void* bottom = nullptr;
  size_t size = 0;
  __sanitizer_finish_switch_fiber(nullptr, &bottom, &size);
  if (!self->startedBy->stackBottom) {
    self->startedBy->stackBottom = bottom;
    self->startedBy->stackSize = size;
  }
#endif
  int result = self->entry(self->arg);
  self->finished = true;
  OsContext* back = self->startedBy;
  back->value = result;
  tCurrent = back;
#ifdef VK_ASAN_FIBERS
  __sanitizer_start_switch_fiber(nullptr, back->stackBottom, back->stackSize);
#endif
  setcontext(&back->machine);
}

}  // namespace

OsContext* ContextOfThread() {
  // Lives as long as its thread, so nothing is left behind when it ends.
  thread_local OsContext threadContext;
  if (!tThreadContext) {
    tThreadContext = &threadContext;
    tCurrent = tThreadContext;
  }
  return tThreadContext;
}

OsContext* ContextCurrent() {
  ContextOfThread();
  return tCurrent;
}

OsContext* ContextCreate(size_t stackBytes, int (*entry)(void*), void* arg) {
  auto* c = new OsContext;
  c->stack = std::malloc(stackBytes);
  if (!c->stack) {
    delete c;
    return nullptr;
  }
  c->stackSize = stackBytes;
  c->stackBottom = c->stack;
  c->entry = entry;
  c->arg = arg;
  getcontext(&c->machine);
  c->machine.uc_stack.ss_sp = c->stack;
  c->machine.uc_stack.ss_size = stackBytes;
  c->machine.uc_link = nullptr;
  makecontext(&c->machine, Trampoline, 0);
  return c;
}

void ContextDestroy(OsContext* context) {
  if (!context || context == tCurrent || context == tThreadContext) return;
  std::free(context->stack);
  delete context;
}

bool ContextFinished(const OsContext* context) { return context->finished; }

int ContextSwitch(OsContext* to, int value) {
  OsContext* from = ContextCurrent();
  if (to == from || to->finished) return value;
  if (!to->startedBy && to != tThreadContext) to->startedBy = from;
  to->value = value;
  tCurrent = to;
  SwitchMachine(from, to);
  // Back here: whoever switched to us left its value in ours.
  return from->value;
}
