#include "base/mp_simple_event.h"

#include <chrono>

TMPEvent::TMPEvent(bool manualReset, bool initialState) : manualReset_(manualReset), set_(initialState) {}

// A waiter may free the event as soon as the lock is let go (Sync's reply event does), so
// nothing of it is touched after that, except the hook of an event that has one: that
// event belongs to a loop thread and lives as long as it.
void TMPEvent::SetEvent() {
  bool hooked;
  {
    std::lock_guard lock(mutex_);
    set_ = true;
    changed_.notify_all();
    hooked = static_cast<bool>(wakeHook_);
  }
  if (hooked) wakeHook_();
}

void TMPEvent::ResetEvent() {
  std::lock_guard lock(mutex_);
  set_ = false;
}

uint32_t TMPEvent::WaitFor(int32_t milliseconds) {
  std::unique_lock lock(mutex_);
  if (milliseconds < 0) {
    changed_.wait(lock, [this] { return set_; });
  } else if (!changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return set_; })) {
    return WAIT_TIMEOUT;
  }
  if (!manualReset_) set_ = false;
  return WAIT_OBJECT_0;
}

bool TMPEvent::IsSet() const {
  std::lock_guard lock(mutex_);
  return set_;
}
