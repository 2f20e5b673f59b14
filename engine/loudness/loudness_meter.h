// One stretch of 16-bit PCM through libebur128's K-weighting: each gating block read as it
// completes, the sample peak, and the true peak when asked. Blocks and peaks before a given
// sample are the filters' warm-up and are not kept, so that a track measured in pieces gives
// the blocks a measurement from its start gives.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class TLoudnessMeter {
 public:
  // PCM fed from track sample `start` on; blocks ending after `keepFrom` are kept, and the
  // peaks of the samples from `keepFrom` on.
  TLoudnessMeter(int32_t channels, int32_t sampleRate, bool truePeak, int64_t start = 0,
                 int64_t keepFrom = 0);
  ~TLoudnessMeter();
  TLoudnessMeter(const TLoudnessMeter&) = delete;
  TLoudnessMeter& operator=(const TLoudnessMeter&) = delete;

  // Samples per 100 ms: gating blocks end on multiples of it, counted from the track's start.
  static int64_t BlockStep(int32_t sampleRate) { return (sampleRate + 5) / 10; }

  // The next `frames` frames of interleaved samples.
  void Add(const int16_t* pcm, int64_t frames);

  int64_t Position() const { return position_; }  // the track sample fed next
  const std::vector<double>& BlockEnergies() const { return blocks_; }
  double SamplePeak() const { return samplePeak_ / 32768.0; }  // 1.0 = full scale
  double TruePeak() const { return truePeak_; }                // -1 when not measured

 private:
  void Feed(const int16_t* pcm, int64_t frames);

  struct TLibraryState;  // libebur128's
  std::unique_ptr<TLibraryState> library_;
  int32_t channels_;
  bool measureTruePeak_;
  int64_t keepFrom_;
  int64_t step_;
  int64_t position_;
  int64_t nextBlockEnd_;
  int32_t samplePeak_ = 0;
  double truePeak_ = -1;
  std::vector<double> blocks_;
};
