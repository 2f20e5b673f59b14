// Ends the process when a test makes no progress for a while: a deadlock must fail the
// test run, not hang it.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

class TWatchdog {
 public:
  TWatchdog(std::chrono::seconds limit, std::string what)
      : limit_(limit), what_(std::move(what)), thread_([this] { Watch(); }) {}
  ~TWatchdog() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  TWatchdog(const TWatchdog&) = delete;
  TWatchdog& operator=(const TWatchdog&) = delete;

  void Progress() { progress_.fetch_add(1); }

 private:
  void Watch() {
    std::unique_lock lock(mutex_);
    uint64_t seen = progress_.load();
    while (!wake_.wait_for(lock, limit_, [this] { return done_; })) {
      const uint64_t now = progress_.load();
      if (now == seen) {
        std::fprintf(stderr, "no progress for %lld s: %s\n", static_cast<long long>(limit_.count()),
                     what_.c_str());
        std::fflush(stderr);
        std::_Exit(3);
      }
      seen = now;
    }
  }

  std::chrono::seconds limit_;
  std::string what_;
  std::atomic<uint64_t> progress_{0};
  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;
  std::thread thread_;  // last: starts once the rest is set up
};
