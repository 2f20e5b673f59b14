#include "loudness/loudness_meter.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

#include "loudness/loudness_gating.h"

struct TLoudnessMeter::TLibraryState {
  ebur128_state* State;
  ~TLibraryState() { ebur128_destroy(&State); }
};

TLoudnessMeter::TLoudnessMeter(int32_t channels, int32_t sampleRate, bool truePeak, int64_t start,
                               int64_t keepFrom)
    : channels_(channels),
      measureTruePeak_(truePeak),
      keepFrom_(keepFrom),
      step_(BlockStep(sampleRate)),
      position_(start) {
  // The momentary window is the gating block; the filters live in the state.
  const int mode = EBUR128_MODE_M | (truePeak ? EBUR128_MODE_TRUE_PEAK : 0);
  ebur128_state* state =
      ebur128_init(static_cast<unsigned>(channels), static_cast<unsigned long>(sampleRate), mode);
  if (state == nullptr) throw std::bad_alloc();
  library_.reset(new TLibraryState{state});
  if (truePeak) truePeak_ = 0;
  // The first block that ends on the grid with its whole window fed.
  nextBlockEnd_ = (start + 4 * step_ + step_ - 1) / step_ * step_;
}

TLoudnessMeter::~TLoudnessMeter() = default;

void TLoudnessMeter::Add(const int16_t* pcm, int64_t frames) {
  while (frames > 0) {
    // Stop at each block's end, and where the kept samples begin.
    int64_t n = std::min(frames, nextBlockEnd_ - position_);
    if (position_ < keepFrom_) n = std::min(n, keepFrom_ - position_);
    Feed(pcm, n);
    pcm += n * channels_;
    frames -= n;
    if (position_ == nextBlockEnd_) {
      if (nextBlockEnd_ > keepFrom_) {
        double lufs = 0;
        ebur128_loudness_momentary(library_->State, &lufs);
        blocks_.push_back(std::isfinite(lufs) ? EnergyOfLoudness(lufs) : 0.0);
      }
      nextBlockEnd_ += step_;
    }
  }
}

void TLoudnessMeter::Feed(const int16_t* pcm, int64_t frames) {
  ebur128_add_frames_short(library_->State, pcm, static_cast<size_t>(frames));
  const bool kept = position_ >= keepFrom_;
  position_ += frames;
  if (!kept) return;
  int32_t peak = samplePeak_;
  for (int64_t i = 0, n = frames * channels_; i < n; ++i) peak = std::max(peak, std::abs(int32_t{pcm[i]}));
  samplePeak_ = peak;
  if (!measureTruePeak_) return;
  for (int32_t c = 0; c < channels_; ++c) {
    double p = 0;
    if (ebur128_prev_true_peak(library_->State, static_cast<unsigned>(c), &p) == EBUR128_SUCCESS)
      truePeak_ = std::max(truePeak_, p);
  }
}
