// The ALSA backend: plays through an ALSA PCM device ("default" unless named).
#pragma once

#include <string>

#include "output/queued_wave_device.h"

struct _snd_pcm;

class AlsaWaveDevice : public QueuedWaveDevice {
 public:
  explicit AlsaWaveDevice(std::string deviceName);
  ~AlsaWaveDevice() override;

  std::string ErrorText(int result) const override;

 protected:
  int OpenOutput(const TWaveFormat& format) override;
  void CloseOutput() override;
  int PlayChunk(const uint8_t* data, int32_t bytes) override;
  void DropOutput() override;
  void PauseOutput() override;
  void RestartOutput() override;
  bool WaitPlayedOut() override;

 private:
  std::string deviceName_;
  _snd_pcm* pcm_ = nullptr;
  bool softPaused_ = false;  // the device cannot pause: it was stopped instead
};
