#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "base/mp_messages.h"
#include "base/mp_simple_event.h"
#include "player/player_message_queue.h"

TEST(PlayerMessageQueue, PostOnceCoalescesAndKeepsTheOrder) {
  TMPPlayerMessageQueue queue;
  std::atomic<int> notified{0};
  queue.SetNotifier([&] { ++notified; });
  queue.PostOnce(MPM_STATUS);
  queue.PostOnce(MPM_POSITION);
  queue.PostOnce(MPM_STATUS);  // one is queued already
  queue.PostAlways(TMPPlayerMessage{MPM_POSITION, nullptr, nullptr});
  EXPECT_EQ(notified.load(), 3);
  TMPPlayerMessage m;
  ASSERT_TRUE(queue.Take(m));
  EXPECT_EQ(m.Msg, MPM_STATUS);
  queue.RemoveAll(MPM_POSITION);
  EXPECT_FALSE(queue.Take(m));
  EXPECT_FALSE(queue.Wait(10));
}

// A worker that reports an error waits until the owner has shown it. When the owner goes
// away first, the worker must not wait for ever, and later reports are refused.
TEST(PlayerMessageQueue, ShutdownReleasesWaitingWorkers) {
  TMPPlayerMessageQueue queue;
  std::atomic<bool> released{false};
  std::thread worker([&] {
    TMPSimpleEvent shown;
    ASSERT_TRUE(queue.PostAlways(TMPPlayerMessage{MPM_THREADERROR, &shown, nullptr}));
    shown.WaitFor(INFINITE);
    released = true;
  });
  ASSERT_TRUE(queue.Wait(5000));
  queue.Shutdown();
  worker.join();
  EXPECT_TRUE(released.load());
  TMPSimpleEvent late;
  EXPECT_FALSE(queue.PostAlways(TMPPlayerMessage{MPM_THREADERROR, &late, nullptr}));
  EXPECT_FALSE(queue.PostOnce(MPM_STATUS));
  EXPECT_FALSE(queue.Wait(-1));  // shut down: does not block
}
