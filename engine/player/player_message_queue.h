// The player's own message queue: worker threads post to it, the owning thread handles it.
// Takes the place of a hidden message window: same numbers, same order, and "post once"
// coalescing of messages of the same number.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>

#include "base/mp_ring_queue.h"

class TMPSimpleEvent;

struct TMPPlayerMessage {
  uint32_t Msg = 0;
  TMPSimpleEvent* Event = nullptr;  // MPM_THREADERROR: set once the error was shown
  std::exception_ptr Error;         // MPM_THREADERROR: the worker's exception
};

class TMPPlayerMessageQueue {
 public:
  // Called from the posting thread after every post, outside the queue's lock.
  void SetNotifier(std::function<void()> notifier);

  // False when the queue is shut down (the message is dropped).
  bool PostAlways(TMPPlayerMessage message);
  // Posts unless a message of that number is already queued.
  bool PostOnce(uint32_t message);
  bool Take(TMPPlayerMessage& message);
  void RemoveAll(uint32_t message);
  bool Contains(uint32_t message) const;
  // Waits until a message is queued (timeout -1: without limit); true when one is.
  bool Wait(int timeoutMs);
  // Drops everything and refuses further posts. Events of pending thread errors are set,
  // so that no worker waits for an owner that is gone.
  void Shutdown();

 private:
  void Notify();

  mutable std::mutex mutex_;
  std::condition_variable posted_;
  TMPRingQueue<TMPPlayerMessage> queue_;
  std::function<void()> notifier_;
  bool shutDown_ = false;
};
