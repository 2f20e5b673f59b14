#include "output/null_wave_device.h"

NullWaveDevice::NullWaveDevice(double speed) : speed_(speed > 0 ? speed : 1.0) {}

NullWaveDevice::~NullWaveDevice() { Close(); }

int NullWaveDevice::OpenOutput(const TWaveFormat&) {
  due_ = Clock::now();
  return kWaveNoError;
}

// Consumes the chunk in its playing time. After a gap (nothing queued, or paused) the
// clock starts afresh rather than catching up.
int NullWaveDevice::PlayChunk(const uint8_t*, int32_t bytes) {
  const auto now = Clock::now();
  if (due_ < now) due_ = now;
  const double seconds = static_cast<double>(bytes) / Format().BytesPerSecond() / speed_;
  due_ += std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  return WaitUntil(due_) ? kWaveNoError : kInterrupted;
}

void NullWaveDevice::PauseOutput() { due_ = Clock::now(); }
