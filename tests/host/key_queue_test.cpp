#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "host/services/front_end.h"
#include "host/services/host_services.h"
#include "tests/host/stand_in_os.h"

namespace {

class KeyQueueTest : public ::testing::Test {
 protected:
  void SetUp() override { HostResetForTest(); }
  void TearDown() override { HostResetForTest(); }
};

TEST_F(KeyQueueTest, TwentyFirstKeyIsRefusedAndTheFirstTwentyComeInOrder) {
  for (int i = 0; i < kKeyQueueCapacity; ++i)
    ASSERT_EQ(PostKey(7, 2, static_cast<uint16_t>(i), 0), 1);
  EXPECT_EQ(PostKey(7, 2, 99, 0), 0);
  EXPECT_EQ(KeyQueueCount(), kKeyQueueCapacity);
  for (int i = 0; i < kKeyQueueCapacity; ++i) EXPECT_EQ(WaitKey().aux, i);
  EXPECT_EQ(KeyQueueCount(), 0);
  EXPECT_EQ(PostKey(3, 2, 0, 1), 1);  // exclusive: only into an empty queue
  EXPECT_EQ(PostKey(3, 2, 0, 1), 0);
  EXPECT_EQ(KeyQueueCount(), 1);
}

// Typed characters and commands go in at pseudo positions, and every
// entry is searched for a command.
TEST_F(KeyQueueTest, PostCodeUsesThePseudoPositions) {
  PostCode('A', 1);
  PostCode(30035, 0);
  EXPECT_EQ(IsCodeQueued(30035), 1);
  EXPECT_EQ(IsCodeQueued(30036), 0);
  for (auto [position, aux] : {std::pair{-1, int{'A'}}, {-2, 30035}}) {
    KeyEntry key = WaitKey();
    EXPECT_EQ(key.row, position);
    EXPECT_EQ(key.column, position);
    EXPECT_EQ(key.aux, aux);
  }
}

TEST_F(KeyQueueTest, TakeLastKeyReturnsTheNewestAndEmptiesTheQueue) {
  int32_t row = 0, column = 0;
  EXPECT_EQ(TakeLastKey(&row, &column), 0);
  PostKey(7, 2, 0, 0);
  PostKey(4, 5, 0, 0);
  EXPECT_EQ(TakeLastKey(&row, &column), 1);
  EXPECT_EQ(row, 4);
  EXPECT_EQ(column, 5);
  EXPECT_EQ(KeyQueueCount(), 0);
}

// AC/ON while the break check is armed, with and without the hold flag;
// arming again keeps a request, disarming ends it.
TEST_F(KeyQueueTest, BreakRequestAndTheHoldFlag) {
  struct Case {
    bool armed, hold;
    int pressed, countAfter;
  } cases[] = {
      {true, false, 1, 0},   // break seen, queue emptied
      {true, true, 0, 2},    // held: no request, nothing flushed
      {false, false, 0, 0},  // not armed: no break, but the check still flushes
  };
  for (const Case& c : cases) {
    HostResetForTest();
    if (c.armed) ArmBreak();
    if (c.hold) KeyQueueHold();
    PostKey(7, 2, 0, 0);
    PostKey(1, 1, 0, 0);
    EXPECT_EQ(BreakPressed(), c.pressed) << c.armed << c.hold;
    EXPECT_EQ(KeyQueueCount(), c.countAfter) << c.armed << c.hold;
    ArmBreak();
    EXPECT_EQ(BreakPressed(), c.pressed) << c.armed << c.hold;
  }
  DisarmBreak();
  EXPECT_EQ(BreakPressed(), 0);
}

// The replay's handshake: a marker is swallowed by the OS; the next copy of
// it is answered 3 (answer marker) or 2 (screen marker) and not queued.
TEST_F(KeyQueueTest, MarkerHandshake) {
  StandInOs os;
  for (int32_t markerRow : {7, 6}) {
    EXPECT_EQ(PostKey(markerRow, 11, 0, 1), 0);  // stored, not yet taken
    while (KeyQueueCount() != 0) std::this_thread::yield();
    int answer;
    // The OS took the first copy, so it is idle now.
    while ((answer = PostKey(markerRow, 11, 0, 1)) == 0) {
      while (KeyQueueCount() != 0) std::this_thread::yield();
    }
    EXPECT_EQ(answer, markerRow == 7 ? 3 : 2);
    EXPECT_EQ(KeyQueueCount(), 0);
  }
  EXPECT_EQ(os.taken.load(), 0u) << "markers never reach the OS";
}

TEST_F(KeyQueueTest, KeyFilterCanSwallowKeys) {
  OsHooks hooks;
  hooks.keyFilter = [](KeyEntry& key) { return key.row != 4 || key.column != 9; };  // MENU
  HostInstallOsHooks(hooks);
  PostKey(4, 9, 0, 0);
  PostKey(3, 2, 0, 0);
  KeyEntry key = WaitKey();
  EXPECT_EQ(key.row, 3);
  EXPECT_EQ(key.column, 2);
}

// Idle is the OS waiting with nothing queued; stopping it unwinds that wait.
TEST_F(KeyQueueTest, OsThreadIdleAndStop) {
  OsHooks hooks;
  hooks.entry = [] {
    for (;;) WaitKey();
  };
  HostInstallOsHooks(hooks);
  HostStartOsThread();
  EXPECT_TRUE(HostWaitOsIdle(5000));
  PostKey(7, 2, 0, 0);
  EXPECT_TRUE(HostWaitOsIdle(5000));
  EXPECT_EQ(KeyQueueCount(), 0);
  EXPECT_TRUE(HostStopOsThread(5000));
  EXPECT_FALSE(HostOsThreadStarted());
}

// A library may call exit() while the OS waits for a key or sleeps (the window
// toolkit does when the display server goes away): the process must end then,
// not hang on the OS thread's waits. A hang ends as SIGALRM and fails the check.
TEST(OsThreadAtExit, ExitWhileTheOsWaitsEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (bool sleeping : {false, true}) {
    EXPECT_EXIT(
        {
          alarm(10);
          OsHooks hooks;
          if (sleeping)
            hooks.entry = [] {
              for (;;) HostSleep(1000);
            };
          else
            hooks.entry = [] {
              for (;;) WaitKey();
            };
          HostInstallOsHooks(hooks);
          HostStartOsThread();
          std::this_thread::sleep_for(std::chrono::milliseconds(100));
          std::exit(3);
        },
        ::testing::ExitedWithCode(3), "")
        << (sleeping ? "sleeping" : "waiting for a key");
  }
}

}  // namespace
