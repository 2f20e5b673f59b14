#include "base/mp_loop_thread.h"

#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>

#include "base/application_error.h"
#include "base/mp_messages.h"

namespace {

// Windows thread priorities as nice values; lowering a nice value needs privileges.
int NiceForPriority(int priority) {
  if (priority <= -15) return 19;
  if (priority >= 15) return -20;
  switch (priority) {
    case -2:
      return 10;
    case -1:
      return 5;
    case 1:
      return -5;
    case 2:
      return -10;
    default:
      return 0;
  }
}

int PriorityForNice(int nice) {
  constexpr int kPriorities[] = {-15, -2, -1, 0, 1, 2, 15};
  int best = 0;
  for (int priority : kPriorities) {
    if (std::abs(NiceForPriority(priority) - nice) < std::abs(NiceForPriority(best) - nice)) best = priority;
  }
  return best;
}

}  // namespace

TMPLoopThread::TMPLoopThread(TMPMessageTarget* owner) : owner_(owner) {
  event_.SetWakeHook([this] {
    std::lock_guard lock(mutex_);
    wake_.notify_all();
  });
  thread_ = std::thread([this] { Run(); });
}

TMPLoopThread::~TMPLoopThread() { Join(); }

void TMPLoopThread::Join() {
  Quit();
  {
    std::lock_guard lock(mutex_);
    resumed_ = true;  // a thread never resumed must still run to take the quit
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void TMPLoopThread::Resume() {
  {
    std::lock_guard lock(mutex_);
    resumed_ = true;
  }
  wake_.notify_all();
}

int TMPLoopThread::SetPriority(int priority) {
  std::unique_lock lock(mutex_);
  wake_.wait(lock, [this] { return threadId_ != 0; });
  if (ended_) return ESRCH;
  const id_t id = static_cast<id_t>(threadId_);
  return setpriority(PRIO_PROCESS, id, NiceForPriority(priority)) == 0 ? 0 : errno;
}

// Under the lock the thread has not passed Finish, so its id is still its own.
int TMPLoopThread::Priority() {
  std::unique_lock lock(mutex_);
  wake_.wait(lock, [this] { return threadId_ != 0; });
  if (ended_) return priority_;
  errno = 0;
  const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(threadId_));
  if (nice != -1 || errno == 0) priority_ = PriorityForNice(nice);
  return priority_;
}

void TMPLoopThread::SetName(const char* name) {
  if (thread_.joinable()) pthread_setname_np(thread_.native_handle(), name);
}

bool TMPLoopThread::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  {
    std::lock_guard lock(mutex_);
    if (ended_) return false;
    queue_.push_back(TMPMessage{message, wParam, lParam, 0});
  }
  wake_.notify_all();
  return true;
}

void TMPLoopThread::Quit() { Post(MPM_QUIT); }

void TMPLoopThread::Sync() {
  TMPSimpleEvent done;
  if (!Post(MPM_SYNC, reinterpret_cast<uintptr_t>(static_cast<TMPEvent*>(&done)))) return;
  done.WaitFor(INFINITE);  // the thread signals it, or signals it while ending
}

void TMPLoopThread::Run() {
  {
    std::unique_lock lock(mutex_);
    threadId_ = static_cast<int>(syscall(SYS_gettid));
    wake_.notify_all();
    wake_.wait(lock, [this] { return resumed_; });
  }
  for (;;) {
    try {
      switch (WaitForWork()) {
        case WaitResult::Signalled:
          Deliver(MPM_SIGNALED, 0, 0);
          break;
        case WaitResult::TimedOut:
          Deliver(MPM_TIMEOUT, 0, 0);
          break;
        case WaitResult::Input:
          break;
      }
      if (!DrainQueue()) break;
    } catch (const std::exception& error) {
      HandleException(error);
    }
  }
  Finish();
}

TMPLoopThread::WaitResult TMPLoopThread::WaitForWork() {
  std::unique_lock lock(mutex_);
  auto ready = [this] { return event_.IsSet() || !queue_.empty(); };
  const int32_t timeout = timeout_.load();
  if (timeout < 0) {
    wake_.wait(lock, ready);
  } else if (!wake_.wait_for(lock, std::chrono::milliseconds(timeout), ready)) {
    return WaitResult::TimedOut;
  }
  return event_.IsSet() ? WaitResult::Signalled : WaitResult::Input;
}

bool TMPLoopThread::DrainQueue() {
  for (;;) {
    TMPMessage message;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) return true;
      message = queue_.pop_front();
    }
    if (message.Msg == MPM_QUIT) return false;
    if (message.Msg == MPM_SYNC) {
      if (message.WParam != 0) reinterpret_cast<TMPEvent*>(message.WParam)->SetEvent();
      continue;
    }
    Deliver(message.Msg, message.WParam, message.LParam);
  }
}

void TMPLoopThread::Deliver(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (owner_ == nullptr) return;
  TMPMessage record{message, wParam, lParam, 0};
  owner_->Dispatch(record);
}

void TMPLoopThread::HandleException(const std::exception& error) {
  bool handled = false;
  if (OnException) OnException(*this, error, handled);
  if (!handled) ShowApplicationError(error);
}

// Nothing is handled any more; whoever waits in Sync is released.
void TMPLoopThread::Finish() {
  std::lock_guard lock(mutex_);
  ended_ = true;
  while (!queue_.empty()) {
    const TMPMessage message = queue_.pop_front();
    if (message.Msg == MPM_SYNC && message.WParam != 0)
      reinterpret_cast<TMPEvent*>(message.WParam)->SetEvent();
  }
}
