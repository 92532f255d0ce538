// One producer pushes a million keys while the OS side takes them out: none
// may be lost, doubled or reordered. Built under ThreadSanitizer.
#include <gtest/gtest.h>

#include <thread>

#include "host/services/front_end.h"
#include "host/services/host_services.h"

namespace {

TEST(KeyQueueStress, MillionKeysArriveInOrder) {
  HostResetForTest();
  constexpr uint32_t kKeys = 1000000;
  std::thread os([] {
    for (uint32_t i = 0; i < kKeys; ++i) {
      KeyEntry key = WaitKey();
      uint32_t got = static_cast<uint32_t>(key.row) << 16 | key.aux;
      ASSERT_EQ(got, i);
    }
  });
  for (uint32_t i = 0; i < kKeys;) {
    if (PostKey(static_cast<int32_t>(i >> 16), 2, static_cast<uint16_t>(i & 0xFFFF), 0) == 1)
      ++i;
    else
      std::this_thread::yield();  // full: the key would be dropped, so offer it again
  }
  os.join();
  EXPECT_EQ(KeyQueueCount(), 0);
}

}  // namespace
