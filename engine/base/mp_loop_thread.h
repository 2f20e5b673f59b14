// A worker thread that sleeps until its event is signalled, its wait times out or a message
// arrives, and hands each of these to its owner as a numbered message.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

#include "base/mp_ring_queue.h"
#include "base/mp_simple_event.h"

struct TMPMessage {
  uint32_t Msg = 0;
  uintptr_t WParam = 0;
  intptr_t LParam = 0;
  intptr_t Result = 0;
};

// Receives the messages a loop thread dispatches, on that thread.
class TMPMessageTarget {
 public:
  virtual ~TMPMessageTarget() = default;
  virtual void Dispatch(TMPMessage& message) = 0;
};

class TMPLoopThread {
 public:
  using TExceptionHandler =
      std::function<void(TMPLoopThread& sender, const std::exception& error, bool& handled)>;

  // Starts the thread suspended; the owner sets OnException and then calls Resume.
  explicit TMPLoopThread(TMPMessageTarget* owner);
  // Quits the thread and waits for it to end.
  ~TMPLoopThread();
  TMPLoopThread(const TMPLoopThread&) = delete;
  TMPLoopThread& operator=(const TMPLoopThread&) = delete;

  void Resume();
  // Quits the thread and waits for it to end (what the destructor does). The object stays
  // usable for the owner's handlers while the thread finishes its queue.
  void Join();
  // Windows-style priority (-15 idle .. 0 normal .. 15 time critical), applied as the
  // thread's nice value. Returns 0, or the errno when the system refused it (an ordinary
  // user cannot lower a nice value); the thread then keeps the priority it had.
  int SetPriority(int priority);
  // The Windows-style priority in effect, read back from the thread's nice value (the
  // nearest one); after the thread has ended, the last one read.
  int Priority();
  // Names the thread for tools like top and debuggers (15 characters at most).
  void SetName(const char* name);
  // Queues a message; false when the thread has ended.
  bool Post(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
  void Quit();
  // Returns once every message posted before it has been handled. Never call it on the
  // thread itself.
  void Sync();

  TMPSimpleEvent& Event() { return event_; }
  int32_t Timeout() const { return timeout_.load(); }
  void SetTimeout(int32_t milliseconds) { timeout_.store(milliseconds); }

  TExceptionHandler OnException;

 private:
  enum class WaitResult { Signalled, TimedOut, Input };

  void Run();
  WaitResult WaitForWork();
  bool DrainQueue();  // false when MPM_QUIT was taken
  void Deliver(uint32_t message, uintptr_t wParam, intptr_t lParam);
  void HandleException(const std::exception& error);
  void Finish();

  TMPMessageTarget* owner_;
  TMPSimpleEvent event_;
  std::atomic<int32_t> timeout_{-1};
  std::mutex mutex_;
  std::condition_variable wake_;
  TMPRingQueue<TMPMessage> queue_;
  bool resumed_ = false;
  bool ended_ = false;
  int threadId_ = 0;  // the kernel's id of the thread, once it runs
  int priority_ = 0;  // the last priority read back
  std::thread thread_;
};
