// The key queue between the UI thread (producer) and the OS thread
// (consumer). A condition variable replaces polling: a key reaches the OS at
// once and an idle emulator sleeps.
#include <condition_variable>
#include <mutex>

#include "host/services/front_end.h"
#include "host/services/host_internal.h"

namespace {

struct KeyQueueState {
  std::mutex mutex;
  std::condition_variable changed;
  KeyEntry entries[kKeyQueueCapacity];
  int count = 0;
  bool hold = false;
  int pairState = 0;
  uint8_t breakEnable = 0;
  uint8_t breakRequest = 0;
  bool osWaiting = false;
};

// Never destroyed, like the OS thread's own state: the OS may be waiting on it
// when something calls exit().
KeyQueueState& Q() {
  static KeyQueueState& q = *new KeyQueueState;
  return q;
}

bool IsMarker(int32_t row, int32_t column) {
  return column == 11 && (row == 7 || row == 6);
}

}  // namespace

int PostKey(int32_t row, int32_t column, uint16_t aux, int mode) {
  KeyQueueState& q = Q();
  int result;
  {
    std::lock_guard<std::mutex> lock(q.mutex);
    if (mode == 1 ? q.count != 0 : q.count >= kKeyQueueCapacity) return 0;
    q.entries[q.count] = KeyEntry{row, column, aux};
    if (!q.hold && (q.breakEnable & 1) && row == 1 && column == 1) q.breakRequest = 1;
    ++q.count;
    if (!IsMarker(row, column)) {
      q.pairState = 0;
      result = 1;
    } else if (q.pairState == 2) {
      // The OS already took an earlier copy: it has finished every key before it.
      --q.count;
      q.pairState = 0;
      result = row == 7 ? 3 : 2;
    } else {
      q.pairState = 1;
      result = 0;
    }
  }
  q.changed.notify_all();
  return result;
}

void PostCode(uint16_t code, int flag) {
  int32_t pseudo = flag == 1 ? -1 : -2;
  PostKey(pseudo, pseudo, code, 0);
}

namespace {

// Takes the oldest key under the lock; markers are swallowed on the way: they
// only tell the replay that every earlier key is done.
bool PopOldest(KeyQueueState& q, KeyEntry* key) {
  while (q.count > 0) {
    *key = q.entries[0];
    for (int i = 1; i < q.count; ++i) q.entries[i - 1] = q.entries[i];
    --q.count;
    if (!IsMarker(key->row, key->column)) return true;
    q.pairState = 2;
  }
  return false;
}

// Called under the lock: waits as an idle OS, with `wait` given the wake-up
// condition, unless a key is already queued; a stop request ends the OS.
template <typename Wait>
void WaitIdle(KeyQueueState& q, Wait wait) {
  if (q.count == 0) {
    q.osWaiting = true;
    q.changed.notify_all();
    wait([&] { return q.count > 0 || HostStopRequested(); });
    q.osWaiting = false;
  }
  if (HostStopRequested()) throw HostOsStopRequest{};
}

}  // namespace

KeyEntry WaitKey() {
  const OsHooks& hooks = HostOsHooks();
  if (hooks.beforeWait) hooks.beforeWait();
  KeyQueueState& q = Q();
  for (;;) {
    KeyEntry key;
    {
      std::unique_lock<std::mutex> lock(q.mutex);
      WaitIdle(q, [&](auto ready) { q.changed.wait(lock, ready); });
      if (!PopOldest(q, &key)) continue;
    }
    if (!hooks.keyFilter || hooks.keyFilter(key)) return key;
  }
}

int TakeOldestKey(KeyEntry* key) {
  KeyQueueState& q = Q();
  std::lock_guard<std::mutex> lock(q.mutex);
  return PopOldest(q, key) ? 1 : 0;
}

int WaitKeyFor(uint32_t milliseconds) {
  KeyQueueState& q = Q();
  std::unique_lock<std::mutex> lock(q.mutex);
  WaitIdle(q, [&](auto ready) {
    q.changed.wait_for(lock, std::chrono::milliseconds(milliseconds), ready);
  });
  return q.count > 0 ? 1 : 0;
}

int IsCodeQueued(uint16_t code) {
  KeyQueueState& q = Q();
  std::lock_guard<std::mutex> lock(q.mutex);
  for (int i = 0; i < q.count; ++i)
    if (q.entries[i].aux == code) return 1;
  return 0;
}

int TakeLastKey(int32_t* row, int32_t* column) {
  KeyQueueState& q = Q();
  std::lock_guard<std::mutex> lock(q.mutex);
  if (q.count == 0) return 0;
  *row = q.entries[q.count - 1].row;
  *column = q.entries[q.count - 1].column;
  q.count = 0;
  return 1;
}

int KeyQueueCount() {
  KeyQueueState& q = Q();
  std::lock_guard<std::mutex> lock(q.mutex);
  return q.count;
}

void FlushKeys() {
  KeyQueueState& q = Q();
  std::lock_guard<std::mutex> lock(q.mutex);
  if (!q.hold) q.count = 0;
}

void KeyQueueHold() {
  KeyQueueState& q = Q();
  std::lock_guard<std::mutex> lock(q.mutex);
  q.hold = true;
}

void KeyQueueRelease() {
  KeyQueueState& q = Q();
  std::lock_guard<std::mutex> lock(q.mutex);
  q.hold = false;
}

int KeyQueueHeld() {
  KeyQueueState& q = Q();
  std::lock_guard<std::mutex> lock(q.mutex);
  return q.hold ? 1 : 0;
}

void ArmBreak() {
  KeyQueueState& q = Q();
  std::lock_guard<std::mutex> lock(q.mutex);
  if (q.breakEnable == 0) {
    q.breakEnable = 1;
    q.breakRequest = 0;
  }
}

void DisarmBreak() {
  KeyQueueState& q = Q();
  std::lock_guard<std::mutex> lock(q.mutex);
  if (q.breakEnable != 0) {
    q.breakEnable = 0;
    q.breakRequest = 0;
  }
}

int BreakPressed() {
  if (HostStopRequested()) throw HostOsStopRequest{};
  FlushKeys();
  KeyQueueState& q = Q();
  std::lock_guard<std::mutex> lock(q.mutex);
  return q.breakEnable != 0 && q.breakRequest != 0;
}

bool HostOsIdle() {
  KeyQueueState& q = Q();
  std::lock_guard<std::mutex> lock(q.mutex);
  return q.osWaiting && q.count == 0;
}

bool HostWaitOsIdle(int timeoutMs) {
  KeyQueueState& q = Q();
  std::unique_lock<std::mutex> lock(q.mutex);
  return q.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                            [&] { return q.osWaiting && q.count == 0; });
}

void KeyQueueWakeAll() {
  KeyQueueState& q = Q();
  { std::lock_guard<std::mutex> lock(q.mutex); }  // no waiter can miss the wake-up
  q.changed.notify_all();
}

void KeyQueueResetForTest() {
  KeyQueueState& q = Q();
  std::lock_guard<std::mutex> lock(q.mutex);
  q.count = 0;
  q.hold = false;
  q.pairState = 0;
  q.breakEnable = 0;
  q.breakRequest = 0;
  q.osWaiting = false;
}
