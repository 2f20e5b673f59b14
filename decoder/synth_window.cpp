// The synthesis window tables, built at compile time from the standard's window, as built and
// negated.
#include "synth_window.h"

#include <array>
#include <cstddef>

#include "tables/synth_window_table.h"

namespace {

constexpr float D(int32_t i) { return static_cast<float>(kSynthWindowD65536[i]) / 65536.0f; }

constexpr std::array<float, kSynthWindowSize> BuildSynthWindow() {
  std::array<float, kSynthWindowSize> w{};
  for (int32_t j = 0; j < 16; ++j) {
    for (int32_t t = 0; t < 16; ++t) w[j * 16 + t] = D(32 * t + j);
  }
  for (int32_t k = 0; k < 8; ++k) w[256 + k] = -D(64 * k + 48);
  return w;
}
constexpr std::array<float, kSynthWindowSize> kSynthWindowInitial = BuildSynthWindow();

// Tap t of row `row` of the window as built above.
constexpr float Tap(int32_t row, int32_t t) { return kSynthWindowInitial[row * 16 + t]; }

constexpr std::array<float, kVectorWindowSize> BuildVectorWindow() {
  std::array<float, kVectorWindowSize> v{};
  for (int32_t k = 0; k < 8; ++k) {
    float* run = v.data() + k * 4 * kVectorWindowRun;
    for (int32_t j = 0; j < 16; ++j) {
      run[j] = Tap(j, 2 * k);
      run[16 + j] = -Tap(j, 2 * k + 1);
      run[32 + j] = j ? Tap(j, 15 - 2 * k) : 0.0f;
      run[48 + j] = j ? Tap(j, 14 - 2 * k) : 0.0f;
    }
    v[kVectorWindowHeads + 2 * k + 1] = kSynthWindowInitial[256 + k];
  }
  return v;
}

template <std::size_t N>
constexpr std::array<float, N> Negated(std::array<float, N> w) {
  for (float& x : w) x = -x;
  return w;
}

constexpr std::array<float, kVectorWindowSize> kVectorWindowInitial = BuildVectorWindow();

}  // namespace

// Constant-initialised and read-only: every decoder state reads them.
const std::array<float, kSynthWindowSize> SynthWindow[2] = {kSynthWindowInitial,
                                                            Negated(kSynthWindowInitial)};
alignas(64) const std::array<float, kVectorWindowSize> VectorWindow[2] = {kVectorWindowInitial,
                                                                          Negated(kVectorWindowInitial)};
