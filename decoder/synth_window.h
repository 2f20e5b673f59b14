// The synthesis window in the two layouts the window forms read, and its polarity.
#pragma once

#include <array>
#include <cstdint>

constexpr int32_t kSynthWindowSize = 264;

// 16 rows of 16 taps (row j, tap t = D[32t + j]) and one short row of 8 taps (-D[64k + 48]).
extern std::array<float, kSynthWindowSize> SynthWindow;

// The same taps regrouped for the vector forms: for each pair k = 0..7 of ring slots (the
// even slot 2k and the odd slot 2k + 1 counted from the newest), four runs of 16 taps that run
// along the output samples:
//   [0]  out[j]      += W[j][2k]                      * even[16 + j]
//   [1]  out[15 - i] -= W[15 - i][2k + 1]             * odd[1 + i]
//   [2]  out[16 + m] += (m ? W[16 - m][14 - 2k] : W16[k]) * odd[m]
//   [3]  out[32 - i] += (i ? W[i][15 - 2k] : 0)       * even[16 + i]
// where even/odd are the 32 ring values of those slots.
constexpr int32_t kVectorWindowRun = 16;
constexpr int32_t kVectorWindowSize = 8 * 4 * kVectorWindowRun;
extern std::array<float, kVectorWindowSize> VectorWindow;
