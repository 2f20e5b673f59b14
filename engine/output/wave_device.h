// The wave output device as the sound output uses it: open with a PCM format, queue
// buffers, have each one handed back once consumed, reset, pause, restart, close, and a
// volume of two 16-bit halves (left in the low half). Results are 0 or an error code whose
// text ErrorText gives.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct TWaveFormat {
  int32_t SampleRate = 44100;
  int32_t Channels = 2;
  int32_t BitsPerSample = 16;
  int32_t BlockAlign() const { return Channels * BitsPerSample / 8; }
  int32_t BytesPerSecond() const { return SampleRate * BlockAlign(); }
};

struct TWaveHeader {
  uint8_t* Data = nullptr;
  int32_t BufferLength = 0;
  bool Prepared = false;
};

using TWaveDoneCallback = std::function<void(TWaveHeader* header)>;

inline constexpr int kWaveNoError = 0;
inline constexpr int kWaveStillPlaying = 33;  // the buffer is still queued
inline constexpr uint32_t kFullWaveVolume = 0xFFFFFFFF;

class WaveDevice {
 public:
  virtual ~WaveDevice() = default;

  // The done callback runs on a thread of the device, once per buffer written, after the
  // buffer was consumed (the last one of the queue only after it has been heard) or when
  // Reset or Close returned it.
  virtual int Open(const TWaveFormat& format, TWaveDoneCallback done) = 0;
  virtual int Prepare(TWaveHeader& header);
  virtual int Unprepare(TWaveHeader& header) = 0;
  virtual int Write(TWaveHeader& header) = 0;
  virtual int Reset() = 0;
  virtual int Pause() = 0;
  virtual int Restart() = 0;
  virtual int Close() = 0;
  virtual int SetVolume(uint32_t volume) = 0;
  virtual int GetVolume(uint32_t& volume) = 0;
  // A failed write or drain of queued audio that no later Write has returned yet, and then
  // 0: the end of a stream is written by no Write, so its failure must be asked for.
  virtual int TakeError() { return kWaveNoError; }
  // Bytes heard since Open: what was played less what the output still holds. Reset drops
  // what it holds, so from then on the count goes on from what was played.
  virtual int64_t HeardBytes() const { return 0; }
  // Text for a failed result; empty when there is none.
  virtual std::string ErrorText(int result) const;
};
