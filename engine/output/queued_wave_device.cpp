#include "output/queued_wave_device.h"

#include <pthread.h>

#include <algorithm>
#include <utility>

#include "output/software_gain.h"

namespace {

constexpr int32_t kChunksPerSecond = 20;

}  // namespace

QueuedWaveDevice::~QueuedWaveDevice() { StopThread(); }

int QueuedWaveDevice::Open(const TWaveFormat& format, TWaveDoneCallback done) {
  {
    std::lock_guard lock(mutex_);
    if (open_) return -16;  // EBUSY
  }
  const int result = OpenOutput(format);
  if (result != kWaveNoError) return result;
  format_ = format;
  done_ = std::move(done);
  const int32_t block = std::max(1, format.BlockAlign());
  chunkBytes_ = std::max(block, ChunkBytes(format) / block * block);
  scratch_ = std::make_unique<uint8_t[]>(static_cast<size_t>(chunkBytes_));
  {
    std::lock_guard lock(mutex_);
    open_ = true;
    closing_ = false;
    paused_ = outputPaused_ = false;
    asyncError_ = kWaveNoError;
    UpdateAttention();
  }
  played_.store(0);
  NoteOutputDelay(0);
  thread_ = std::thread([this] { Run(); });
  pthread_setname_np(thread_.native_handle(), "varo-device");
  return kWaveNoError;
}

int QueuedWaveDevice::Unprepare(TWaveHeader& header) {
  std::lock_guard lock(mutex_);
  if (held_ == &header || queue_.any_of([&](TWaveHeader* h) { return h == &header; }))
    return kWaveStillPlaying;
  header.Prepared = false;
  return kWaveNoError;
}

int QueuedWaveDevice::Write(TWaveHeader& header) {
  std::lock_guard lock(mutex_);
  if (!open_) return -9;  // EBADF
  if (asyncError_ != kWaveNoError) return std::exchange(asyncError_, kWaveNoError);
  queue_.push_back(&header);
  UpdateAttention();
  changed_.notify_all();
  return kWaveNoError;
}

int QueuedWaveDevice::Reset() {
  std::unique_lock lock(mutex_);
  if (!open_) return -9;
  const uint64_t request = ++resetRequest_;
  UpdateAttention();
  changed_.notify_all();
  changed_.wait(lock, [&] { return resetDone_ >= request || closing_; });
  return kWaveNoError;
}

int QueuedWaveDevice::Pause() {
  std::unique_lock lock(mutex_);
  if (!open_) return -9;
  paused_ = true;
  UpdateAttention();
  changed_.notify_all();
  changed_.wait(lock, [&] { return outputPaused_ == paused_ || closing_; });
  return kWaveNoError;
}

int QueuedWaveDevice::Restart() {
  std::unique_lock lock(mutex_);
  if (!open_) return -9;
  paused_ = false;
  UpdateAttention();
  changed_.notify_all();
  changed_.wait(lock, [&] { return outputPaused_ == paused_ || closing_; });
  return kWaveNoError;
}

int QueuedWaveDevice::Close() {
  {
    std::lock_guard lock(mutex_);
    if (!open_) return -9;
  }
  StopThread();
  CloseOutput();
  std::lock_guard lock(mutex_);
  open_ = false;
  return kWaveNoError;
}

int QueuedWaveDevice::SetVolume(uint32_t volume) {
  volume_.store(volume);
  return kWaveNoError;
}

int QueuedWaveDevice::GetVolume(uint32_t& volume) {
  volume = volume_.load();
  return kWaveNoError;
}

int QueuedWaveDevice::TakeError() {
  std::lock_guard lock(mutex_);
  return std::exchange(asyncError_, kWaveNoError);
}

int32_t QueuedWaveDevice::ChunkBytes(const TWaveFormat& format) const {
  return format.BytesPerSecond() / kChunksPerSecond;
}

// A backend that writes rarely notes the delay rarely: in between, a running output has
// played on by the time passed.
int64_t QueuedWaveDevice::HeardBytes() const {
  int64_t delay = 0;
  {
    std::lock_guard lock(delayLock_);
    delay = delayBytes_;
    if (delayRunning_) {
      const auto passed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - delayAt_);
      delay -= passed.count() * delayRate_ / 1000000;
    }
  }
  return std::max<int64_t>(played_.load() - std::max<int64_t>(delay, 0), 0);
}

void QueuedWaveDevice::NoteOutputDelay(int64_t frames, bool running) {
  const auto now = Clock::now();
  std::lock_guard lock(delayLock_);
  delayBytes_ = std::max<int64_t>(frames, 0) * format_.BlockAlign();
  delayAt_ = now;
  delayRunning_ = running;
  delayRate_ = format_.BytesPerSecond();
}

void QueuedWaveDevice::ReportError(int error) {
  std::lock_guard lock(mutex_);
  if (asyncError_ == kWaveNoError) asyncError_ = error;
}

bool QueuedWaveDevice::WaitUntil(Clock::time_point deadline) {
  std::unique_lock lock(mutex_);
  return !changed_.wait_until(lock, deadline, [this] { return interrupt_.load(); });
}

// Called with the lock held whenever a request or the queue changes.
void QueuedWaveDevice::UpdateAttention() {
  const bool interrupt = closing_ || resetRequest_ != resetDone_;
  const bool control = interrupt || paused_ != outputPaused_;
  interrupt_.store(interrupt);
  attention_.store(control || !queue_.empty());
  if (control && !control_.exchange(true)) WakeOutput();
  if (!control) control_.store(false);
}

void QueuedWaveDevice::StopThread() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
    UpdateAttention();
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void QueuedWaveDevice::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] {
      return closing_ || resetRequest_ != resetDone_ || paused_ != outputPaused_ ||
             (!paused_ && (!queue_.empty() || held_ != nullptr));
    });
    if (closing_) break;
    if (resetRequest_ != resetDone_) {
      HandleReset(lock);
    } else if (paused_ != outputPaused_) {
      const bool pause = paused_;
      lock.unlock();
      pause ? PauseOutput() : RestartOutput();
      lock.lock();
      outputPaused_ = pause;
      UpdateAttention();
      changed_.notify_all();
    } else if (held_ != nullptr) {
      HandleHeld(lock);
    } else {
      PlayFront(lock);
    }
  }
  // Closing: whatever is left counts as done.
  HandleReset(lock);
}

void QueuedWaveDevice::HandleReset(std::unique_lock<std::mutex>& lock) {
  lock.unlock();
  DropOutput();
  NoteOutputDelay(0);
  lock.lock();
  if (held_ != nullptr) queue_.push_front(std::exchange(held_, nullptr));
  offset_ = 0;
  // Handed back in order; the lock is let go for each, and the request counts as done only
  // once all are back.
  for (size_t n = queue_.size(); n > 0 && !queue_.empty(); --n) {
    TWaveHeader* header = queue_.pop_front();
    lock.unlock();
    done_(header);
    lock.lock();
  }
  resetDone_ = resetRequest_;
  UpdateAttention();
  changed_.notify_all();
}

void QueuedWaveDevice::HandleHeld(std::unique_lock<std::mutex>& lock) {
  if (queue_.empty()) {
    lock.unlock();
    const bool heard = WaitPlayedOut();
    lock.lock();
    if (!heard || held_ == nullptr) return;
  }
  Finish(lock, std::exchange(held_, nullptr));
}

void QueuedWaveDevice::PlayFront(std::unique_lock<std::mutex>& lock) {
  TWaveHeader* header = queue_.front();
  const int32_t offset = offset_;
  const int32_t bytes = std::min(chunkBytes_, header->BufferLength - offset);
  lock.unlock();
  int result = kWaveNoError;
  if (bytes > 0) {
    ApplySoftwareGain(header->Data + offset, scratch_.get(), bytes, format_, volume_.load());
    result = PlayChunk(scratch_.get(), bytes);
  }
  lock.lock();
  if (result == kInterrupted || queue_.empty() || queue_.front() != header) return;
  if (result != kWaveNoError) {
    if (asyncError_ == kWaveNoError) asyncError_ = result;
  } else {
    played_.fetch_add(std::max(bytes, 0));
    offset_ += std::max(bytes, 0);
    if (offset_ < header->BufferLength) return;
  }
  queue_.pop_front();
  offset_ = 0;
  UpdateAttention();
  if (result == kWaveNoError && queue_.empty()) {
    held_ = header;  // handed back once it has been heard
    return;
  }
  Finish(lock, header);
}

void QueuedWaveDevice::Finish(std::unique_lock<std::mutex>& lock, TWaveHeader* header) {
  lock.unlock();
  done_(header);
  lock.lock();
}
