// The common body of the wave devices: a device thread that takes the queued buffers one
// chunk at a time, applies the volume, and hands them to the backend, which plays them at
// its own pace. Control calls (reset, pause, restart) are carried out by the device thread
// and return once done.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "base/mp_ring_queue.h"
#include "output/wave_device.h"

class QueuedWaveDevice : public WaveDevice {
 public:
  ~QueuedWaveDevice() override;

  int Open(const TWaveFormat& format, TWaveDoneCallback done) final;
  int Unprepare(TWaveHeader& header) final;
  int Write(TWaveHeader& header) final;
  int Reset() final;
  int Pause() final;
  int Restart() final;
  int Close() final;
  int SetVolume(uint32_t volume) final;
  int GetVolume(uint32_t& volume) final;
  int TakeError() final;
  int64_t HeardBytes() const final;

 protected:
  using Clock = std::chrono::steady_clock;
  static constexpr int kInterrupted = 1;  // PlayChunk gave up because of a reset or close

  // Backend hooks. OpenOutput and CloseOutput run on the caller's thread (CloseOutput after
  // the device thread has ended); the others on the device thread.
  virtual int OpenOutput(const TWaveFormat& format) = 0;
  virtual void CloseOutput() = 0;
  // Plays bytes (whole sample frames); 0, kInterrupted or an error code.
  virtual int PlayChunk(const uint8_t* data, int32_t bytes) = 0;
  // Reset: forget what the output still holds.
  virtual void DropOutput() {}
  virtual void PauseOutput() {}
  virtual void RestartOutput() {}
  // The queue ran empty: true once what the output holds has been heard; false when it
  // gave up early because a request or new data is waiting (it is asked again later).
  virtual bool WaitPlayedOut() { return true; }
  // Bytes PlayChunk is handed at a time (whole sample frames); by default a twentieth of a
  // second. Asked once OpenOutput has succeeded.
  virtual int32_t ChunkBytes(const TWaveFormat& format) const;
  // A reset, pause, restart or close has just been asked for; runs with the device's lock
  // held. A backend waiting on its output wakes here instead of waiting on.
  virtual void WakeOutput() {}

  // A reset or close is waiting: long waits should end.
  bool Interrupted() const { return interrupt_.load(); }
  // Anything the device thread should attend to instead of waiting.
  bool AttentionNeeded() const { return attention_.load(); }
  // A reset, pause, restart or close is waiting (new data does not count).
  bool ControlPending() const { return control_.load(); }
  // Records a failure of the output found outside PlayChunk (a drain); the first one counts.
  void ReportError(int error);
  // Frames the output holds that have not been heard yet; asked after each chunk and
  // while playing out. While it runs the output plays them on between two notes.
  void NoteOutputDelay(int64_t frames, bool running = false);
  // Waits until the deadline; false when interrupted first.
  bool WaitUntil(Clock::time_point deadline);
  const TWaveFormat& Format() const { return format_; }

 private:
  void Run();
  void HandleReset(std::unique_lock<std::mutex>& lock);
  void HandleHeld(std::unique_lock<std::mutex>& lock);
  void PlayFront(std::unique_lock<std::mutex>& lock);
  void Finish(std::unique_lock<std::mutex>& lock, TWaveHeader* header);
  void UpdateAttention();
  void StopThread();

  TWaveFormat format_;
  TWaveDoneCallback done_;
  std::atomic<uint32_t> volume_{kFullWaveVolume};
  std::unique_ptr<uint8_t[]> scratch_;
  int32_t chunkBytes_ = 0;

  std::mutex mutex_;
  std::condition_variable changed_;
  TMPRingQueue<TWaveHeader*> queue_;
  TWaveHeader* held_ = nullptr;  // played into the output, not yet heard
  int32_t offset_ = 0;           // bytes of the front buffer already played
  bool open_ = false;
  bool closing_ = false;
  bool paused_ = false;
  bool outputPaused_ = false;
  uint64_t resetRequest_ = 0;
  uint64_t resetDone_ = 0;
  int asyncError_ = 0;
  std::atomic<int64_t> played_{0};  // bytes handed to the output
  // Of those, still held by it when last asked, and whether it was playing them then.
  mutable std::mutex delayLock_;
  int64_t delayBytes_ = 0;
  Clock::time_point delayAt_{};
  bool delayRunning_ = false;
  int64_t delayRate_ = 0;  // bytes a second
  std::atomic<bool> interrupt_{false};
  std::atomic<bool> attention_{false};
  std::atomic<bool> control_{false};
  std::thread thread_;
};
