#include "player/player_message_queue.h"

#include <chrono>

#include "base/mp_simple_event.h"

void TMPPlayerMessageQueue::SetNotifier(std::function<void()> notifier) {
  std::lock_guard lock(mutex_);
  notifier_ = std::move(notifier);
}

bool TMPPlayerMessageQueue::PostAlways(TMPPlayerMessage message) {
  {
    std::lock_guard lock(mutex_);
    if (shutDown_) return false;
    queue_.push_back(std::move(message));
  }
  Notify();
  return true;
}

bool TMPPlayerMessageQueue::PostOnce(uint32_t message) {
  {
    std::lock_guard lock(mutex_);
    if (shutDown_) return false;
    if (queue_.any_of([message](const TMPPlayerMessage& m) { return m.Msg == message; })) return true;
    queue_.push_back(TMPPlayerMessage{message, nullptr, nullptr});
  }
  Notify();
  return true;
}

void TMPPlayerMessageQueue::Notify() {
  std::function<void()> notifier;
  {
    std::lock_guard lock(mutex_);
    notifier = notifier_;
  }
  posted_.notify_all();
  if (notifier) notifier();
}

bool TMPPlayerMessageQueue::Take(TMPPlayerMessage& message) {
  std::lock_guard lock(mutex_);
  if (queue_.empty()) return false;
  message = queue_.pop_front();
  return true;
}

void TMPPlayerMessageQueue::RemoveAll(uint32_t message) {
  std::lock_guard lock(mutex_);
  queue_.remove_if([message](const TMPPlayerMessage& m) { return m.Msg == message; });
}

bool TMPPlayerMessageQueue::Contains(uint32_t message) const {
  std::lock_guard lock(mutex_);
  return queue_.any_of([message](const TMPPlayerMessage& m) { return m.Msg == message; });
}

bool TMPPlayerMessageQueue::Wait(int timeoutMs) {
  std::unique_lock lock(mutex_);
  auto ready = [this] { return !queue_.empty() || shutDown_; };
  if (timeoutMs < 0)
    posted_.wait(lock, ready);
  else
    posted_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
  return !queue_.empty();
}

void TMPPlayerMessageQueue::Shutdown() {
  std::lock_guard lock(mutex_);
  shutDown_ = true;
  notifier_ = nullptr;
  while (!queue_.empty()) {
    const TMPPlayerMessage message = queue_.pop_front();
    if (message.Event != nullptr) message.Event->SetEvent();
  }
  posted_.notify_all();
}
