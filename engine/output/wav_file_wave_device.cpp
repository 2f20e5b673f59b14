#include "output/wav_file_wave_device.h"

#include <cerrno>
#include <cstring>

namespace {

void PutLe(uint8_t* p, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

WavFileWaveDevice::WavFileWaveDevice(std::string path, double speed)
    : NullWaveDevice(speed), path_(std::move(path)) {}

WavFileWaveDevice::~WavFileWaveDevice() { Close(); }

int WavFileWaveDevice::OpenOutput(const TWaveFormat& format) {
  NullWaveDevice::OpenOutput(format);
  file_ = std::fopen(path_.c_str(), "wb");
  if (file_ == nullptr) return -errno;
  dataBytes_ = 0;
  const int result = WriteHeaderFor(format, 0);
  if (result != kWaveNoError) {
    std::fclose(file_);
    file_ = nullptr;
  }
  return result;
}

int WavFileWaveDevice::WriteHeaderFor(const TWaveFormat& format, uint32_t dataBytes) {
  uint8_t h[44];
  std::memcpy(h, "RIFF", 4);
  PutLe(h + 4, 36 + dataBytes, 4);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  PutLe(h + 16, 16, 4);
  PutLe(h + 20, 1, 2);  // PCM
  PutLe(h + 22, static_cast<uint32_t>(format.Channels), 2);
  PutLe(h + 24, static_cast<uint32_t>(format.SampleRate), 4);
  PutLe(h + 28, static_cast<uint32_t>(format.BytesPerSecond()), 4);
  PutLe(h + 32, static_cast<uint32_t>(format.BlockAlign()), 2);
  PutLe(h + 34, static_cast<uint32_t>(format.BitsPerSample), 2);
  std::memcpy(h + 36, "data", 4);
  PutLe(h + 40, dataBytes, 4);
  if (std::fseek(file_, 0, SEEK_SET) != 0 || std::fwrite(h, 1, sizeof h, file_) != sizeof h) return -errno;
  return std::fseek(file_, 0, SEEK_END) == 0 ? kWaveNoError : -errno;
}

void WavFileWaveDevice::CloseOutput() {
  if (file_ == nullptr) return;
  WriteHeaderFor(Format(), dataBytes_);
  std::fclose(file_);
  file_ = nullptr;
}

int WavFileWaveDevice::PlayChunk(const uint8_t* data, int32_t bytes) {
  const int paced = NullWaveDevice::PlayChunk(data, bytes);
  if (paced != kWaveNoError) return paced;
  // Flushed chunk by chunk: the file shows what has been played so far.
  if (std::fwrite(data, 1, static_cast<size_t>(bytes), file_) != static_cast<size_t>(bytes) ||
      std::fflush(file_) != 0)
    return errno != 0 ? -errno : -5;  // EIO
  dataBytes_ += static_cast<uint32_t>(bytes);
  return kWaveNoError;
}
