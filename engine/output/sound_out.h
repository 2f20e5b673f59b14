// TSoundOut: plays 16-bit or 8-bit PCM through a wave device from four equal buffers that
// together hold two seconds. A producer writes at its own pace, asks how full the output
// is, and parks an event to be woken when a buffer is free. Its own thread takes the
// device's buffer-done notifications and ticks a position notification while audio plays.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "base/mp_loop_thread.h"
#include "base/mp_simple_event.h"
#include "base/mp_simple_mutex.h"
#include "output/wave_device.h"

class TSoundOut final : private TMPMessageTarget {
 public:
  static constexpr int kBufferCount = 4;

  TSoundOut();
  ~TSoundOut() override;
  TSoundOut(const TSoundOut&) = delete;
  TSoundOut& operator=(const TSoundOut&) = delete;

  // Sample format, set before Open; values out of range are ignored.
  int32_t SampleRate() const { return format_.SampleRate; }
  void SetSampleRate(int32_t rate);
  int32_t Channels() const { return format_.Channels; }
  void SetChannels(int32_t channels);
  int32_t BitsPerSample() const { return format_.BitsPerSample; }
  void SetBitsPerSample(int32_t bits);

  int32_t Volume() const { return volume_; }
  void SetVolume(int32_t volume);  // 0..100
  int32_t Balance() const { return balance_; }
  void SetBalance(int32_t balance);  // -100..100

  // The device: an explicit choice wins over the device number (-1: the default device).
  int32_t DeviceId() const { return deviceId_; }
  void SetDeviceId(int32_t id) { deviceId_ = id; }
  const std::string& DeviceSelection() const { return deviceSelection_; }
  void SetDeviceSelection(const std::string& choice) { deviceSelection_ = choice; }

  int32_t NotifyInterval() const { return notifyInterval_.load(); }
  void SetNotifyInterval(int32_t ms) { notifyInterval_.store(ms); }  // -1: no ticks
  void SetOnPosition(std::function<void(TSoundOut&)> handler);
  // Errors raised on the output thread; set before the output is used.
  std::function<void(const std::exception& error, bool& handled)> OnThreadException;

  void Open();
  void Close();
  void Reset();
  void Pause();
  void Unpause();
  // Copies as much as the free buffers take; returns the bytes accepted.
  int32_t Write(const void* data, int32_t length);
  bool CanWrite();
  int32_t FreePercent();
  void Flush();
  void WaitAllDone();
  // As WaitAllDone, for at most ms; true when all is done.
  bool WaitAllDone(int32_t ms);
  // Raises a failed write or drain that the device has not reported through Write, as
  // "%s(%s)" with "TSoundOut.WaveWrite": after the last Flush no Write follows to report it.
  void CheckDevice();
  void SetWaiter(TMPSimpleEvent* waiter);

  // Bytes accepted by Write since Open, and of them those heard; both counted on from what
  // was heard when Reset dropped the rest.
  int64_t WrittenBytes() const { return written_.load(); }
  int64_t HeardBytes() const;

  bool IsOpen() const { return open_; }
  int32_t BufferSize() const { return bufferSize_; }

  // Bytes per buffer: half a second of audio, raised to a multiple of 4.
  static int32_t ComputeBufferSize(int32_t sampleRate, int32_t channels, int32_t bitsPerSample);
  // Device volume word: left in the low 16 bits, right in the high 16 bits.
  static uint32_t DeviceVolume(int32_t volume, int32_t balance);

 private:
  void Dispatch(TMPMessage& message) override;
  void Check(int result, const char* context) const;
  void SetVolumeToWaveDevice();
  void QueueCurrent();
  void BufferDone();
  void NotifyWaiter();
  void PositionTickCheck();
  void ReleaseDevice();
  static int64_t NowMs();

  TWaveFormat format_;
  bool open_ = false;
  int32_t volume_ = 100;
  int32_t deviceId_ = -1;
  std::string deviceSelection_;
  std::atomic<int32_t> notifyInterval_{-1};
  std::atomic<int64_t> lastTick_{0};
  std::unique_ptr<WaveDevice> device_;
  std::array<TWaveHeader, kBufferCount> headers_{};
  std::array<std::unique_ptr<uint8_t[]>, kBufferCount> buffers_;
  int32_t current_ = 0;
  int32_t fill_ = 0;
  std::atomic<int32_t> queued_{0};
  std::atomic<int64_t> written_{0};
  int32_t bufferSize_ = 0;
  int32_t balance_ = 0;

  std::mutex positionLock_;  // guards the position handler against the output thread
  std::function<void(TSoundOut&)> onPosition_;
  TMPSimpleMutex waiterLock_;
  TMPSimpleEvent* waiter_ = nullptr;
  TMPSimpleEvent allDone_;
  TMPSimpleMutex bufferLock_;
  std::unique_ptr<TMPLoopThread> thread_;
};
