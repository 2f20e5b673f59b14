// A virtual device that consumes audio at the real sample rate, or a given number of times
// faster: for headless machines and tests.
#pragma once

#include "output/queued_wave_device.h"

class NullWaveDevice : public QueuedWaveDevice {
 public:
  explicit NullWaveDevice(double speed = 1.0);
  ~NullWaveDevice() override;

 protected:
  int OpenOutput(const TWaveFormat& format) override;
  void CloseOutput() override {}
  int PlayChunk(const uint8_t* data, int32_t bytes) override;
  void PauseOutput() override;

 private:
  double speed_;
  Clock::time_point due_{};  // when the audio played so far has been consumed
};
