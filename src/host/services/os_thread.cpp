// The OS thread: started once, at the lowest priority, running the OS entry
// from its restart point. Ending it is cooperative: a stop request unwinds
// it from its next key wait, sleep or break check.
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "host/services/front_end.h"
#include "host/services/host_internal.h"

namespace {

OsHooks gHooks;
std::atomic<HostFrontEnd*> gFrontEnd{nullptr};
std::atomic<uint32_t> gOsThreadRunning{1};

struct ThreadState {
  std::mutex mutex;
  std::condition_variable changed;
  std::thread thread;
  bool started = false;
  bool finished = false;
  std::atomic<bool> stop{false};
};

// Never destroyed: exit() can come from a library while the OS thread still
// waits here, and a destroyed condition variable or joinable thread would
// hang or abort the process instead of ending it.
ThreadState& T() {
  static ThreadState& t = *new ThreadState;
  return t;
}

void LowestPriority() {
  // Nice 19 rather than an idle scheduling class: under load an idle-class
  // thread may not run at all, and the calculator must still answer.
  setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 19);
}

void OsThreadProc() {
  LowestPriority();
  for (;;) {
    try {
      if (gHooks.entry) gHooks.entry();
      break;  // an entry that returns ends the thread
    } catch (const HostOsRestartRequest&) {
      continue;  // boot again from scratch
    } catch (const HostOsStopRequest&) {
      break;
    }
  }
  ThreadState& t = T();
  std::lock_guard<std::mutex> lock(t.mutex);
  t.finished = true;
  t.changed.notify_all();
}

}  // namespace

void HostInstallOsHooks(const OsHooks& hooks) { gHooks = hooks; }
const OsHooks& HostOsHooks() { return gHooks; }

void HostSetFrontEnd(HostFrontEnd* frontEnd) { gFrontEnd.store(frontEnd); }
HostFrontEnd* HostCurrentFrontEnd() { return gFrontEnd.load(); }

uint32_t OsThreadRunning() { return gOsThreadRunning.load(); }
void SetOsThreadRunning(uint32_t running) { gOsThreadRunning.store(running); }

bool HostStopRequested() { return T().stop.load(std::memory_order_relaxed); }

void HostSleep(uint32_t milliseconds) {
  if (milliseconds == 0) milliseconds = 10;
  ThreadState& t = T();
  std::unique_lock<std::mutex> lock(t.mutex);
  t.changed.wait_for(lock, std::chrono::milliseconds(milliseconds),
                     [&] { return t.stop.load(); });
  if (t.stop.load() && std::this_thread::get_id() == t.thread.get_id())
    throw HostOsStopRequest{};
}

void HostStartOsThread() {
  ThreadState& t = T();
  std::lock_guard<std::mutex> lock(t.mutex);
  if (t.started) return;
  t.started = true;
  t.finished = false;
  t.stop = false;
  gOsThreadRunning = 1;
  t.thread = std::thread(OsThreadProc);
}

bool HostOsThreadStarted() {
  ThreadState& t = T();
  std::lock_guard<std::mutex> lock(t.mutex);
  return t.started;
}

void HostRequestOsStop() {
  ThreadState& t = T();
  {
    std::lock_guard<std::mutex> lock(t.mutex);
    if (!t.started) return;
    t.stop = true;
    t.changed.notify_all();
  }
  KeyQueueWakeAll();
}

bool HostOsThreadFinished() {
  ThreadState& t = T();
  std::lock_guard<std::mutex> lock(t.mutex);
  return !t.started || t.finished;
}

bool HostStopOsThread(int timeoutMs) {
  ThreadState& t = T();
  std::unique_lock<std::mutex> lock(t.mutex);
  if (!t.started) return true;
  t.stop = true;
  t.changed.notify_all();
  lock.unlock();
  KeyQueueWakeAll();
  lock.lock();
  bool ended = t.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [&] { return t.finished; });
  if (ended) {
    t.thread.join();
    t.started = false;
  } else {
    // A computation that never looks at the break flag: let it go with the process.
    t.thread.detach();
  }
  return ended;
}

[[noreturn]] void HostRestartOs() { throw HostOsRestartRequest{}; }

void HostResetForTest() {
  HostStopOsThread(2000);
  ThreadState& t = T();
  {
    std::lock_guard<std::mutex> lock(t.mutex);
    t.stop = false;
    t.started = false;
    t.finished = false;
  }
  KeyQueueResetForTest();
  LcdResetForTest();
  DroppedFilesResetForTest();
  OsHeapReset();
  gHooks = OsHooks{};
  gFrontEnd = nullptr;
  gOsThreadRunning = 1;
}
