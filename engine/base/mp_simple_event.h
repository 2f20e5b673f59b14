// Events: set, reset and waited for by any thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

inline constexpr uint32_t WAIT_OBJECT_0 = 0;
inline constexpr uint32_t WAIT_TIMEOUT = 258;
inline constexpr int32_t INFINITE = -1;

class TMPEvent {
 public:
  TMPEvent(bool manualReset, bool initialState);
  virtual ~TMPEvent() = default;
  TMPEvent(const TMPEvent&) = delete;
  TMPEvent& operator=(const TMPEvent&) = delete;

  void SetEvent();
  void ResetEvent();
  // WAIT_OBJECT_0 when signalled, WAIT_TIMEOUT when the time ran out; INFINITE waits on.
  // An auto-reset event is reset by the wait that sees it signalled.
  uint32_t WaitFor(int32_t milliseconds);
  bool IsSet() const;

  // Called after every SetEvent; lets a loop thread wait for its event and its queue at
  // once. Installed once, before other threads use the event.
  void SetWakeHook(std::function<void()> hook) { wakeHook_ = std::move(hook); }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool manualReset_;
  bool set_;
  std::function<void()> wakeHook_;
};

// Manual reset, initially not signalled: the only kind the engine creates.
class TMPSimpleEvent final : public TMPEvent {
 public:
  TMPSimpleEvent() : TMPEvent(true, false) {}
};
