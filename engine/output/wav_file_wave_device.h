// Records what is played into a WAV file (created anew at every open), paced like the null
// device.
#pragma once

#include <cstdio>
#include <string>

#include "output/null_wave_device.h"

class WavFileWaveDevice : public NullWaveDevice {
 public:
  WavFileWaveDevice(std::string path, double speed = 1.0);
  ~WavFileWaveDevice() override;

 protected:
  int OpenOutput(const TWaveFormat& format) override;
  void CloseOutput() override;
  int PlayChunk(const uint8_t* data, int32_t bytes) override;

 private:
  int WriteHeaderFor(const TWaveFormat& format, uint32_t dataBytes);

  std::string path_;
  std::FILE* file_ = nullptr;
  uint32_t dataBytes_ = 0;
};
