#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "base/application_error.h"
#include "base/engine_error.h"
#include "base/mp_loop_thread.h"
#include "base/mp_messages.h"

namespace {

using namespace std::chrono_literals;

// Records what the thread dispatches; can be told to raise on one message number.
class Recorder : public TMPMessageTarget {
 public:
  void Dispatch(TMPMessage& message) override {
    {
      std::lock_guard lock(mutex_);
      messages_.push_back(message.Msg);
      if (message.Msg == 2000) params_.push_back(message.WParam);
    }
    if (message.Msg == raiseOn_) throw EMP3Error("raised in a handler");
    if (message.Msg == MPM_SIGNALED && resetOnSignal_ != nullptr) resetOnSignal_->ResetEvent();
  }
  std::vector<uint32_t> Messages() {
    std::lock_guard lock(mutex_);
    return messages_;
  }
  std::vector<uintptr_t> Params() {
    std::lock_guard lock(mutex_);
    return params_;
  }
  size_t Count(uint32_t message) {
    std::lock_guard lock(mutex_);
    return static_cast<size_t>(std::count(messages_.begin(), messages_.end(), message));
  }
  uint32_t raiseOn_ = 0;
  TMPEvent* resetOnSignal_ = nullptr;

 private:
  std::mutex mutex_;
  std::vector<uint32_t> messages_;
  std::vector<uintptr_t> params_;
};

// Restores the default error display when a test installed its own.
struct DisplayGuard {
  ~DisplayGuard() { SetApplicationErrorDisplay(nullptr); }
};

}  // namespace

TEST(SimpleEvent, WaitForReportsSignalledOrTimedOut) {
  TMPSimpleEvent event;
  EXPECT_EQ(event.WaitFor(0), WAIT_TIMEOUT);
  EXPECT_EQ(event.WaitFor(20), WAIT_TIMEOUT);
  event.SetEvent();
  EXPECT_EQ(event.WaitFor(0), WAIT_OBJECT_0);
  EXPECT_EQ(event.WaitFor(INFINITE), WAIT_OBJECT_0);  // manual reset: stays signalled
  event.ResetEvent();
  EXPECT_EQ(event.WaitFor(0), WAIT_TIMEOUT);
  std::thread setter([&] { event.SetEvent(); });
  EXPECT_EQ(event.WaitFor(INFINITE), WAIT_OBJECT_0);
  setter.join();
}

TEST(LoopThread, SyncReturnsOnlyAfterEarlierPostsWereDispatchedInOrder) {
  Recorder owner;
  TMPLoopThread thread(&owner);
  thread.Resume();
  for (uintptr_t i = 0; i < 200; ++i) ASSERT_TRUE(thread.Post(2000, i));
  thread.Sync();
  const std::vector<uintptr_t> params = owner.Params();
  ASSERT_EQ(params.size(), 200u);
  for (uintptr_t i = 0; i < 200; ++i) EXPECT_EQ(params[i], i);
}

TEST(LoopThread, PostsFromManyThreadsAllArrive) {
  Recorder owner;
  TMPLoopThread thread(&owner);
  thread.Resume();
  std::vector<std::thread> posters;
  for (int t = 0; t < 4; ++t)
    posters.emplace_back([&] {
      for (int i = 0; i < 250; ++i) thread.Post(2000, 1);
    });
  for (std::thread& p : posters) p.join();
  thread.Sync();
  EXPECT_EQ(owner.Count(2000), 1000u);
}

TEST(LoopThread, TimeoutDispatchesTimeoutsOnlyWhileSet) {
  Recorder owner;
  TMPLoopThread thread(&owner);
  thread.Resume();
  std::this_thread::sleep_for(150ms);
  thread.Sync();
  EXPECT_EQ(owner.Count(MPM_TIMEOUT), 0u);  // -1: no time-outs
  thread.SetTimeout(20);
  thread.Post(2001);  // wakes the wait, which then reads the new time-out
  // Several time-outs, however long a loaded machine keeps the thread waiting for a core.
  for (auto until = std::chrono::steady_clock::now() + 30s;
       owner.Count(MPM_TIMEOUT) < 3 && std::chrono::steady_clock::now() < until;)
    std::this_thread::sleep_for(10ms);
  thread.SetTimeout(-1);
  thread.Post(2001);
  thread.Sync();
  const size_t timeouts = owner.Count(MPM_TIMEOUT);
  EXPECT_GE(timeouts, 3u);
  std::this_thread::sleep_for(150ms);
  thread.Sync();
  EXPECT_EQ(owner.Count(MPM_TIMEOUT), timeouts);
}

TEST(LoopThread, SignalledEventDispatchesUntilTheOwnerResetsIt) {
  Recorder owner;
  TMPLoopThread thread(&owner);
  owner.resetOnSignal_ = &thread.Event();
  thread.Resume();
  thread.Event().SetEvent();
  std::this_thread::sleep_for(50ms);
  thread.Sync();
  EXPECT_EQ(owner.Count(MPM_SIGNALED), 1u);
  // Without the reset the thread keeps dispatching, draining its queue between passes.
  owner.resetOnSignal_ = nullptr;
  thread.Event().SetEvent();
  thread.Post(2000, 7);
  while (owner.Count(MPM_SIGNALED) < 20) std::this_thread::yield();
  thread.Event().ResetEvent();
  thread.Sync();
  EXPECT_EQ(owner.Params(), std::vector<uintptr_t>{7});
}

TEST(LoopThread, HandlerExceptionsGoToOnExceptionAndTheThreadGoesOn) {
  Recorder owner;
  owner.raiseOn_ = 2002;
  TMPLoopThread thread(&owner);
  std::atomic<int> seen{0};
  std::string text;
  thread.OnException = [&](TMPLoopThread& sender, const std::exception& error, bool& handled) {
    EXPECT_EQ(&sender, &thread);
    text = error.what();
    handled = true;
    ++seen;
  };
  thread.Resume();
  thread.Post(2002);
  thread.Post(2000, 1);
  thread.Sync();
  EXPECT_EQ(seen.load(), 1);
  EXPECT_EQ(text, "raised in a handler");
  EXPECT_EQ(owner.Params(), std::vector<uintptr_t>{1});  // the rest of the queue still ran
}

TEST(LoopThread, UnhandledHandlerExceptionsReachTheApplicationDisplay) {
  DisplayGuard guard;
  std::atomic<int> shown{0};
  SetApplicationErrorDisplay([&](const std::exception& error) {
    EXPECT_STREQ(error.what(), "raised in a handler");
    ++shown;
  });
  Recorder owner;
  owner.raiseOn_ = 2002;
  TMPLoopThread thread(&owner);
  thread.OnException = [](TMPLoopThread&, const std::exception&, bool&) {};  // leaves it
  thread.Resume();
  thread.Post(2002);
  thread.Post(2002);
  thread.Sync();
  EXPECT_EQ(shown.load(), 2);
}

TEST(LoopThread, DestroyingAWaitingThreadReturns) {
  Recorder owner;
  auto thread = std::make_unique<TMPLoopThread>(&owner);
  thread->Resume();
  std::this_thread::sleep_for(20ms);
  thread.reset();  // returns once the thread took MPM_QUIT
  SUCCEED();
}

TEST(LoopThread, ThreadNeverResumedStillEnds) {
  Recorder owner;
  auto thread = std::make_unique<TMPLoopThread>(&owner);
  thread->Post(2000, 5);
  thread.reset();
  EXPECT_EQ(owner.Params(), std::vector<uintptr_t>{5});  // posted before the quit: handled
}
