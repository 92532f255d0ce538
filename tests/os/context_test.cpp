#include "os/context.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct PingPong {
  OsContext* main;
  std::vector<int> seen;
};

int PingPongEntry(void* arg) {
  auto* p = static_cast<PingPong*>(arg);
  // The value that started us, then whatever main hands back each time.
  for (int v = ContextSwitch(p->main, 10); v != 0; v = ContextSwitch(p->main, v + 100))
    p->seen.push_back(v);
  return 77;
}

TEST(Context, ValuesTravelBothWays) {
  PingPong p{ContextOfThread(), {}};
  OsContext* child = ContextCreate(64 * 1024, PingPongEntry, &p);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(ContextSwitch(child, 1), 10);
  EXPECT_EQ(ContextSwitch(child, 5), 105);
  EXPECT_EQ(ContextSwitch(child, 6), 106);
  EXPECT_EQ(ContextSwitch(child, 0), 77);  // entry returned: back to its starter
  EXPECT_TRUE(ContextFinished(child));
  EXPECT_EQ(p.seen, (std::vector<int>{5, 6}));
  EXPECT_EQ(ContextCurrent(), ContextOfThread());
  EXPECT_EQ(ContextSwitch(child, 9), 9);  // a finished context is not entered again
  ContextDestroy(child);
}

struct Unwind {};

// An application abandoned in its key wait is resumed once more with a
// cancel value; it unwinds to its own entry, freeing what it holds.
int CancellableEntry(void* arg) {
  try {
    std::vector<std::string> owned(100, std::string(200, 'x'));
    if (ContextSwitch(static_cast<OsContext*>(arg), 1) == -1) throw Unwind{};
    return 2;
  } catch (const Unwind&) {
    return 3;
  }
}

TEST(Context, ThousandsOfCancelledContextsLeaveNothingBehind) {
  for (int i = 0; i < 5000; ++i) {
    OsContext* child = ContextCreate(64 * 1024, CancellableEntry, ContextOfThread());
    ASSERT_EQ(ContextSwitch(child, 0), 1);
    ASSERT_EQ(ContextSwitch(child, -1), 3);
    ContextDestroy(child);
  }
}

int Depth(int n) {
  volatile char pad[256];
  pad[0] = static_cast<char>(n);
  return n == 0 ? pad[0] : Depth(n - 1) + 1;
}

TEST(Context, ChildStackHoldsDeepCalls) {
  OsContext* child = ContextCreate(
      1024 * 1024, [](void*) { return Depth(1000); }, nullptr);
  EXPECT_EQ(ContextSwitch(child, 0), 1000);
  ContextDestroy(child);
}

}  // namespace
