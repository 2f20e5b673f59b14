// The 32-point DCT of the synthesis: its butterfly factors and the plain form, and the
// sub-band gains of the equalizer.
#include "synthesis_dct.h"

#include <cmath>

#include "decoder/mp_equalizer.h"
#include "synthesis_dct_lanes.h"

alignas(32) float DctCoefficients[31][8];

void BuildDctCoefficients() {
  const double pi = 3.14159265358979323846;
  int32_t index = 0;
  for (int32_t n = 16; n >= 1; n /= 2) {
    for (int32_t j = 0; j < n; ++j) {
      const auto factor = static_cast<float>(0.5 / std::cos(pi * (2 * j + 1) / (4.0 * n)));
      for (float& lane : DctCoefficients[index]) lane = factor;
      ++index;
    }
  }
}

void SubbandDctPlain(const float* rows, int32_t rowSize, TDctRows layout, int32_t slots, const float* gains,
                     float* dest, float* heads) {
  DctSlotsLanes<TLane1, 1, TLane1, 1>(rows, rowSize, layout, slots, gains, dest, heads);
}

void TakeSubbandGains(TSubbandGains& snapshot) {
  snapshot.Gains = nullptr;
  if (SubbandEqOn.load(std::memory_order_relaxed) == 0) return;
  for (int32_t k = 0; k < 32; ++k) snapshot.Values[k] = SubbandGains[k].load(std::memory_order_relaxed);
  snapshot.Gains = snapshot.Values;
}
