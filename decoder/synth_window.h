// The synthesis window in the two layouts the window forms read, each in both polarities.
#pragma once

#include <array>
#include <cstdint>

constexpr int32_t kSynthWindowSize = 264;

// 16 rows of 16 taps (row j, tap t = D[32t + j]) and one short row of 8 taps (-D[64k + 48]).
// [0] as built, [1] negated: a state of inverted polarity reads the second.
extern const std::array<float, kSynthWindowSize> SynthWindow[2];

// The same taps regrouped for the vector forms, in the order they are used. Output samples j and
// 32 - j (j = 1..15) weigh the same ring values: even[16 + j] and odd[16 - j] of each pair k =
// 0..7 of ring slots (the even slot 2k and the odd slot 2k + 1 counted from the newest), which the
// ring holds as two forward runs (synthesis_state.h). Per pair four runs of 16 taps along j:
//   [0]  out[j]      += W[j][2k]                  * even[16 + j]
//   [1]  out[j]      -= W[j][2k + 1]              * odd[16 - j]    (stored negated)
//   [2]  out[32 - j] += (j ? W[j][15 - 2k] : 0)   * even[16 + j]
//   [3]  out[32 - j] += (j ? W[j][14 - 2k] : 0)   * odd[16 - j]
// then 16 taps for sample 16 over the heads (value 0) of the slots in age order: W16[k] at the odd
// slot 2k + 1, zero at the even ones.
constexpr int32_t kVectorWindowRun = 16;
constexpr int32_t kVectorWindowHeads = 8 * 4 * kVectorWindowRun;
constexpr int32_t kVectorWindowSize = kVectorWindowHeads + 16;
extern const std::array<float, kVectorWindowSize> VectorWindow[2];
