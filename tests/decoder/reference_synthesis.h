// Test helper: the standard's synthesis filterbank written out directly (a 64 x 32 matrix,
// the 1024-value FIFO and the 512-tap window), in double precision.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>

#include "tables/synth_window_table.h"

class TReferenceSynthesis {
 public:
  // One slot: 32 sub-band samples in PCM units, 32 output values before rounding.
  void Slot(const double* subbands, double* out) {
    for (int32_t i = 1023; i >= 64; --i) v_[i] = v_[i - 64];
    const double pi = 3.14159265358979323846;
    for (int32_t i = 0; i < 64; ++i) {
      double sum = 0.0;
      for (int32_t k = 0; k < 32; ++k) sum += std::cos((16 + i) * (2 * k + 1) * pi / 64) * subbands[k];
      v_[i] = sum;
    }
    for (int32_t j = 0; j < 32; ++j) {
      double sum = 0.0;
      for (int32_t i = 0; i < 16; ++i) {
        const int32_t n = j + 32 * i;  // index into U and D
        const int32_t block = n / 64, offset = n % 64;
        const double u = v_[block * 128 + (offset < 32 ? offset : offset + 64)];
        sum += u * kSynthWindowD65536[n] / 65536.0;
      }
      out[j] = sum;
    }
  }

 private:
  std::array<double, 1024> v_{};
};

// Round to nearest even and clip, as every output sample is.
inline int32_t ToPcm(double value) {
  const double r = std::nearbyint(value);
  return r > 32767 ? 32767 : (r < -32768 ? -32768 : static_cast<int32_t>(r));
}
