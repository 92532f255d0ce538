// Stackful execution contexts of the OS thread: the main context runs on the
// thread's own stack, applications run in a context with a stack of its own,
// and the OS switches between them with a value that says why. The mechanism
// stays behind this interface (ucontext here; fibers elsewhere).
#pragma once

#include <cstddef>

struct OsContext;

// The context of the calling thread's own stack.
OsContext* ContextOfThread();
// The context running now on this thread.
OsContext* ContextCurrent();

// A new context that runs entry(arg) on a stack of its own when it is first
// switched to. When entry returns, the context is finished and control goes
// back to the context that first started it, with entry's result.
OsContext* ContextCreate(size_t stackBytes, int (*entry)(void* arg), void* arg);
// Frees a context that is not running (finished, or never started, or
// abandoned while switched away: its stack is simply dropped).
void ContextDestroy(OsContext* context);
bool ContextFinished(const OsContext* context);

// Switches to `to`, handing it `value`; returns the value with which some
// context later switches back here.
int ContextSwitch(OsContext* to, int value);
