// The plain window step: each sample a sum of 16 (or 8) products taken in tap order and
// accumulated in double precision, then rounded to nearest even and clipped to 16 bits.
#include <cmath>

#include "synth_window.h"
#include "synthesis_state.h"
#include "window_forms.h"

namespace {

constexpr int32_t kMask = kSynthRingSize - 1;

int16_t RoundAndClip(double sum) {
  if (sum > 32767.0) sum = 32767.0;
  if (sum < -32768.0) sum = -32768.0;
  return static_cast<int16_t>(std::lrint(sum));
}

template <int32_t Stride>
void WindowPlain(const float* ring, int32_t pos, const float* w, int16_t* out) {
  const float* shortRow = w + 256;
  // The slot s slots older than the newest: x[16 + j] at slot(s)[j], x[16 - j] at slot(s)[16 + j]
  // (synthesis_state.h), x[0] among the heads.
  const auto slot = [ring, pos](int32_t s) { return ring + ((pos + kSynthSlotSize * s) & kMask); };
  const float* heads = ring + kSynthHeads + pos / kSynthSlotSize;

  for (int32_t j = 0; j < 16; ++j) {
    const float* row = w + 16 * j;
    double sum = 0.0;
    for (int32_t k = 0; k < 8; ++k) {
      sum += double{row[2 * k]} * slot(2 * k)[j];               // x[16 + j]
      sum -= double{row[2 * k + 1]} * slot(2 * k + 1)[16 + j];  // x[16 - j]
    }
    out[j * Stride] = RoundAndClip(sum);
  }

  double middle = 0.0;
  for (int32_t k = 0; k < 8; ++k) middle += double{shortRow[k]} * heads[2 * k + 1];
  out[16 * Stride] = RoundAndClip(middle);

  for (int32_t m = 1; m < 16; ++m) {
    const float* row = w + 16 * (16 - m);
    double sum = 0.0;
    for (int32_t k = 0; k < 8; ++k) {
      sum += double{row[15 - 2 * k]} * slot(2 * k)[16 - m];      // x[32 - m]
      sum += double{row[14 - 2 * k]} * slot(2 * k + 1)[32 - m];  // x[m]
    }
    out[(16 + m) * Stride] = RoundAndClip(sum);
  }
}

}  // namespace

void WindowMonoPlain(const float* ring, int32_t pos, const float* window, int16_t* out) {
  WindowPlain<1>(ring, pos, window, out);
}

void WindowStereoPlain(const float* ring, int32_t pos, const float* window, int16_t* out) {
  WindowPlain<2>(ring, pos, window, out);
}

void WindowPairsPlain(TSynthesisState& state, const float* dct, const float* heads, int32_t count,
                      int16_t* out) {
  const float* window = state.Window;
  WindowPairsWith(state, dct, heads, count, out,
                  [window](const float* slot0, const float* slot1, float head0, float head1, float* ring0,
                           int32_t pos0, float* ring1, int32_t pos1, int16_t* pairs) {
                    StoreRingSlot(ring0, pos0, slot0, head0);
                    StoreRingSlot(ring1, pos1, slot1, head1);
                    WindowPlain<2>(ring0, pos0, window, pairs);
                    WindowPlain<2>(ring1, pos1, window, pairs + 1);
                  });
}
