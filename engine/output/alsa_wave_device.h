// The ALSA backend: plays through an ALSA PCM device ("default" unless named).
#pragma once

#include <string>
#include <vector>

#include <poll.h>

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
  int32_t ChunkBytes(const TWaveFormat& format) const override;
  void WakeOutput() override;

 private:
  int SetParams(const TWaveFormat& format);
  // Waits until the device takes more or a request is waiting.
  void WaitWritable();
  void NoteDelay();

  std::string deviceName_;
  _snd_pcm* pcm_ = nullptr;
  int64_t chunkFrames_ = 0;  // a period: half the buffer asked for (a third behind the pulse plugin)
  int64_t bufferFrames_ = 0;
  int wakeFd_ = -1;  // an eventfd: a request is waiting
  std::vector<pollfd> pollFds_;
  bool softPaused_ = false;  // the device cannot pause: it was stopped instead
};
