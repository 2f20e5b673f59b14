// The 32-point DCT of the synthesis: the plain form (five butterfly stages over mirrored
// inputs, single precision throughout), the matrices of the vector forms, and the equalized
// and down-mix variants.
#include "synthesis_dct.h"

#include <cmath>

#include "mp_equalizer.h"

float DctCoefficients[31];
alignas(32) float DctEvenMatrix[16][16];
alignas(32) float DctOddMatrix[16][16];
TDctRoutine SubbandDctForm = SubbandDctPlain;

void BuildDctCoefficients() {
  static bool built = false;
  if (built) return;
  const double pi = 3.14159265358979323846;
  int32_t index = 0;
  for (int32_t n = 16; n >= 1; n /= 2) {
    for (int32_t j = 0; j < n; ++j) {
      DctCoefficients[index++] = static_cast<float>(0.5 / std::cos(pi * (2 * j + 1) / (4.0 * n)));
    }
  }
  for (int32_t k = 0; k < 16; ++k) {
    for (int32_t j = 0; j < 16; ++j) {
      DctEvenMatrix[k][j] = static_cast<float>(std::cos(pi * j * (2 * k + 1) / 32));
      DctOddMatrix[k][j] = static_cast<float>(std::cos(pi * (2 * j + 1) * (2 * k + 1) / 64));
    }
  }
  built = true;
}

namespace {

// Offset of the factors of the N-point stage: 32 -> 0, 16 -> 16, 8 -> 24, 4 -> 28, 2 -> 30.
constexpr int32_t CoefficientOffset(int32_t n) { return n == 32 ? 0 : CoefficientOffset(n * 2) + n; }

// One stage: sums and scaled differences of mirrored inputs, two half-size DCTs, then the even
// outputs are the sums' DCT and each odd output the sum of two neighbouring difference outputs.
template <int32_t N, int32_t Stride>
[[gnu::always_inline]] inline void DctStage(const float* x, float* out) {
  if constexpr (N == 1) {
    out[0] = x[0];
  } else {
    constexpr int32_t half = N / 2;
    const float* c = DctCoefficients + CoefficientOffset(N);
    float sums[half], diffs[half];
    for (int32_t k = 0; k < half; ++k) {
      const float a = x[k * Stride], b = x[(N - 1 - k) * Stride];
      sums[k] = a + b;
      diffs[k] = (a - b) * c[k];
    }
    float even[half], odd[half];
    DctStage<half, 1>(sums, even);
    DctStage<half, 1>(diffs, odd);
    for (int32_t i = 0; i < half - 1; ++i) {
      out[2 * i] = even[i];
      out[2 * i + 1] = odd[i] + odd[i + 1];
    }
    out[N - 2] = even[half - 1];
    out[N - 1] = odd[half - 1];
  }
}

}  // namespace

void SubbandDct(const float* input, int32_t stride, float* dest) { SubbandDctForm(input, stride, dest); }

void SubbandDctPlain(const float* input, int32_t stride, float* dest) {
  if (stride == 2) {
    DctStage<32, 2>(input, dest);
  } else {
    DctStage<32, 1>(input, dest);
  }
}

void TakeSubbandGains(TSubbandGains& snapshot) {
  snapshot.Gains = nullptr;
  if (SubbandEqOn.load(std::memory_order_relaxed) == 0) return;
  for (int32_t k = 0; k < 32; ++k) snapshot.Values[k] = SubbandGains[k].load(std::memory_order_relaxed);
  snapshot.Gains = snapshot.Values;
}

void EqualizedDct(const float* input, int32_t stride, float* dest, const TSubbandGains& gains) {
  if (!gains.Gains) {
    SubbandDct(input, stride, dest);
    return;
  }
  float scaled[32];
  for (int32_t k = 0; k < 32; ++k) scaled[k] = input[k * stride] * gains.Gains[k];
  SubbandDctForm(scaled, 1, dest);
}

void MixDct(const float* row, float* dest) {
  float mixed[32];
  for (int32_t k = 0; k < 32; ++k) mixed[k] = (row[2 * k] + row[2 * k + 1]) * 0.5f;
  SubbandDctForm(mixed, 1, dest);
}
