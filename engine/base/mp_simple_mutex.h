// The engine's locks: re-entrant for the thread that holds them.
#pragma once

#include <mutex>

class TMPAbstractMutex {
 public:
  virtual ~TMPAbstractMutex() = default;
  virtual void Lock() = 0;
  virtual void Unlock() = 0;
  // For std::lock_guard and friends.
  void lock() { Lock(); }
  void unlock() { Unlock(); }
};

class TMPSimpleMutex final : public TMPAbstractMutex {
 public:
  void Lock() override { mutex_.lock(); }
  void Unlock() override { mutex_.unlock(); }

 private:
  std::recursive_mutex mutex_;
};

using TMPLock = std::lock_guard<TMPAbstractMutex>;
