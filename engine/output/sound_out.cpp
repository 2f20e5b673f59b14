#include "output/sound_out.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "base/engine_error.h"
#include "base/mp_messages.h"
#include "output/wave_device_selection.h"

namespace {

constexpr const char* kUnknownWaveError = "unknown wave out API error.";

[[noreturn]] void RaiseDeviceError(const std::string& text, const char* context) {
  throw EMP3Error(text + "(" + context + ")");
}

}  // namespace

TSoundOut::TSoundOut() {
  // A device reads as full volume: the volume is applied to this stream's samples only.
  volume_ = 100;
  allDone_.SetEvent();  // nothing queued
  thread_ = std::make_unique<TMPLoopThread>(static_cast<TMPMessageTarget*>(this));
  thread_->SetName("varo-output");
  thread_->OnException = [this](TMPLoopThread&, const std::exception& error, bool& handled) {
    if (OnThreadException) OnThreadException(error, handled);
  };
  thread_->Resume();
}

TSoundOut::~TSoundOut() {
  try {
    Close();
  } catch (...) {
    ReleaseDevice();
  }
  thread_->Join();
  thread_.reset();
}

void TSoundOut::SetSampleRate(int32_t rate) {
  if (rate > 0) format_.SampleRate = rate;
}

void TSoundOut::SetChannels(int32_t channels) {
  if (channels == 1 || channels == 2) format_.Channels = channels;
}

void TSoundOut::SetBitsPerSample(int32_t bits) {
  if (bits == 8 || bits == 16) format_.BitsPerSample = bits;
}

void TSoundOut::SetVolume(int32_t volume) {
  if (volume < 0 || volume > 100) return;
  volume_ = volume;
  if (open_) SetVolumeToWaveDevice();
}

void TSoundOut::SetBalance(int32_t balance) {
  if (balance < -100 || balance > 100) return;
  balance_ = balance;
  if (open_) SetVolumeToWaveDevice();
}

void TSoundOut::SetOnPosition(std::function<void(TSoundOut&)> handler) {
  std::lock_guard lock(positionLock_);
  onPosition_ = std::move(handler);
}

int32_t TSoundOut::ComputeBufferSize(int32_t sampleRate, int32_t channels, int32_t bitsPerSample) {
  const int64_t bytes = int64_t{channels} * (bitsPerSample / 8) * sampleRate * 2000 / 1000 / 4;
  return static_cast<int32_t>((bytes + 3) / 4 * 4);
}

uint32_t TSoundOut::DeviceVolume(int32_t volume, int32_t balance) {
  const uint32_t base = static_cast<uint32_t>(volume) * 65535 / 100;
  uint32_t left = base, right = base;
  if (balance < 0) right = base * static_cast<uint32_t>(balance + 100) / 100;
  if (balance > 0) left = base * static_cast<uint32_t>(100 - balance) / 100;
  return left + right * 65536;
}

void TSoundOut::Check(int result, const char* context) const {
  if (result == kWaveNoError) return;
  std::string text = device_ ? device_->ErrorText(result) : std::string();
  if (text.empty()) text = kUnknownWaveError;
  RaiseDeviceError(text, context);
}

void TSoundOut::Open() {
  if (open_) return;
  open_ = true;
  try {
    const std::string selection = EffectiveWaveDevice(deviceSelection_, deviceId_);
    TWaveDeviceChoice choice;
    if (!ParseWaveDevice(selection, choice))
      RaiseDeviceError("unknown audio device \"" + selection + "\"", "TSoundOut.Open:WaveOutOpen");
    device_ = CreateWaveDevice(choice);
    Check(device_->Open(format_,
                        [this](TWaveHeader* header) {
                          thread_->Post(MM_WOM_DONE, reinterpret_cast<uintptr_t>(header));
                        }),
          "TSoundOut.Open:WaveOutOpen");
    SetVolumeToWaveDevice();
    {
      TMPLock lock(bufferLock_);
      bufferSize_ = ComputeBufferSize(format_.SampleRate, format_.Channels, format_.BitsPerSample);
      for (int i = 0; i < kBufferCount; ++i) {
        buffers_[i] = std::make_unique<uint8_t[]>(static_cast<size_t>(bufferSize_));
        headers_[i] = TWaveHeader{buffers_[i].get(), bufferSize_, false};
      }
    }
    for (TWaveHeader& header : headers_)
      Check(device_->Prepare(header), "TSoundOut.Open:WaveOutPreperHeader");
    thread_->SetTimeout(notifyInterval_.load());
    {
      TMPLock lock(bufferLock_);
      current_ = 0;
      fill_ = 0;
      queued_.store(0);
      written_.store(0);
    }
    lastTick_.store(NowMs());
    allDone_.SetEvent();
  } catch (...) {
    Close();
    throw;
  }
}

void TSoundOut::Close() {
  if (!open_) return;
  {
    TMPLock lock(waiterLock_);
    waiter_ = nullptr;
  }
  try {
    if (device_) {
      thread_->SetTimeout(-1);
      Flush();
      WaitAllDone();
      for (TWaveHeader& header : headers_) {
        if (header.Data == nullptr) continue;
        while (device_->Unprepare(header) == kWaveStillPlaying)
          std::this_thread::sleep_for(std::chrono::milliseconds(100));
      }
      device_->Close();
      device_.reset();
    }
  } catch (...) {
    ReleaseDevice();
    throw;
  }
  ReleaseDevice();
}

// Closes the device, whatever it still holds, and frees the buffers.
void TSoundOut::ReleaseDevice() {
  if (device_) {
    device_->Reset();
    device_->Close();
    device_.reset();
  }
  thread_->Sync();  // no done notification for the freed buffers is left to handle
  TMPLock lock(bufferLock_);
  for (int i = 0; i < kBufferCount; ++i) {
    buffers_[i].reset();
    headers_[i] = TWaveHeader{};
  }
  bufferSize_ = 0;
  fill_ = 0;
  queued_.store(0);
  allDone_.SetEvent();
  open_ = false;
}

void TSoundOut::Reset() {
  if (!open_) return;
  {
    TMPLock lock(bufferLock_);
    fill_ = 0;
  }
  if (device_) {
    device_->Reset();
    written_.store(device_->HeardBytes());
  }
}

int64_t TSoundOut::HeardBytes() const {
  if (!open_ || !device_) return written_.load();
  return std::min(device_->HeardBytes(), written_.load());
}

void TSoundOut::Pause() {
  if (open_ && device_) Check(device_->Pause(), "TSoundOut.Pause");
}

void TSoundOut::Unpause() {
  if (open_ && device_) Check(device_->Restart(), "TSoundOut.Unpause");
}

void TSoundOut::SetVolumeToWaveDevice() {
  MPAssert(device_ != nullptr);
  Check(device_->SetVolume(DeviceVolume(volume_, balance_)), "TSoundOut.SetVolumeToWaveDevice");
}

bool TSoundOut::CanWrite() {
  TMPLock lock(bufferLock_);
  return queued_.load() < kBufferCount && fill_ < bufferSize_;
}

int32_t TSoundOut::Write(const void* data, int32_t length) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  int32_t accepted = 0;
  while (accepted < length && CanWrite()) {
    TMPLock lock(bufferLock_);
    const int32_t n = std::min(bufferSize_ - fill_, length - accepted);
    std::memcpy(buffers_[current_].get() + fill_, bytes + accepted, static_cast<size_t>(n));
    fill_ += n;
    written_.fetch_add(n);
    if (fill_ == bufferSize_) QueueCurrent();
    accepted += n;
  }
  return accepted;
}

void TSoundOut::QueueCurrent() {
  TMPLock lock(bufferLock_);
  const int32_t queued = queued_.fetch_add(1) + 1;
  allDone_.ResetEvent();
  MPAssert(queued <= kBufferCount);
  TWaveHeader& header = headers_[current_];
  header.BufferLength = fill_;
  fill_ = 0;
  MPAssert(device_ != nullptr);
  const int result = device_->Write(header);
  if (result != kWaveNoError) {
    // The buffer never reached the device: it must not count as playing.
    if (queued_.fetch_sub(1) == 1) allDone_.SetEvent();
    Check(result, "TSoundOut.WaveWrite");
  }
  current_ = (current_ + 1) % kBufferCount;
}

void TSoundOut::Flush() {
  if (!open_) return;
  {
    TMPLock lock(bufferLock_);
    if (fill_ <= 0) return;
    QueueCurrent();
  }
  thread_->Sync();
}

void TSoundOut::WaitAllDone() { allDone_.WaitFor(INFINITE); }

bool TSoundOut::WaitAllDone(int32_t ms) { return allDone_.WaitFor(ms) == WAIT_OBJECT_0; }

void TSoundOut::CheckDevice() {
  if (open_ && device_) Check(device_->TakeError(), "TSoundOut.WaveWrite");
}

int32_t TSoundOut::FreePercent() {
  if (!open_) return 0;
  TMPLock lock(bufferLock_);
  if (bufferSize_ <= 0) return 0;
  const int64_t free = int64_t{kBufferCount - queued_.load()} * bufferSize_ - fill_;
  return static_cast<int32_t>(free * 100 / (int64_t{kBufferCount} * bufferSize_));
}

void TSoundOut::SetWaiter(TMPSimpleEvent* waiter) {
  {
    TMPLock lock(waiterLock_);
    waiter_ = waiter;
  }
  NotifyWaiter();
}

void TSoundOut::NotifyWaiter() {
  TMPLock lock(waiterLock_);
  if (waiter_ != nullptr && CanWrite()) {
    waiter_->SetEvent();
    waiter_ = nullptr;
  }
}

void TSoundOut::Dispatch(TMPMessage& message) {
  if (message.Msg == MM_WOM_DONE)
    BufferDone();
  else if (message.Msg == MPM_TIMEOUT)
    PositionTickCheck();
}

void TSoundOut::BufferDone() {
  int32_t queued;
  {
    // The count and the all-done event change together, so a buffer queued meanwhile
    // never finds the event set.
    TMPLock lock(bufferLock_);
    queued = queued_.fetch_sub(1) - 1;
    if (queued > 0) {
      thread_->SetTimeout(notifyInterval_.load());
    } else {
      allDone_.SetEvent();
      thread_->SetTimeout(-1);
    }
  }
  MPAssert(queued >= 0);
  NotifyWaiter();
  PositionTickCheck();
}

void TSoundOut::PositionTickCheck() {
  const int32_t interval = notifyInterval_.load();
  if (interval == -1) return;
  std::lock_guard lock(positionLock_);
  if (!onPosition_) return;
  const int64_t now = NowMs();
  if (now - lastTick_.load() > interval) {
    onPosition_(*this);
    lastTick_.store(now);
  }
}

int64_t TSoundOut::NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
