// The window step written once over a lane type V of W floats (W = 4 or 8) and its sample type
// S of 2W 16-bit samples: single-precision products over the vector window layout, rounding to
// nearest even by the conversion. Included only by window_sse2.cpp and window_avx2.cpp
// (internal linkage: compiled for the instruction set of each).
#pragma once

#include <cstdint>
#include <utility>

#include "synth_window.h"
#include "synthesis_state.h"
#include "window_forms.h"

namespace {

// a then b as samples: in order, or in the order StorePairs takes (which may spare a shuffle).
template <class S, bool ForPairs, class V>
[[gnu::always_inline]] inline S Round(V a, V b) {
  if constexpr (ForPairs) return S::RoundForPairs(a, b);
  return S::Round(a, b);
}

// Vectors of a half slot (16 values or samples).
template <class V>
constexpr int32_t kHalfVectors = 16 * sizeof(float) / sizeof(V);

// v kept in a register: the compiler would otherwise fold each of its uses into a load of its own.
// Only for eight lanes (AVX2): the two-operand SSE2 arithmetic does better with folded loads.
template <class V>
[[gnu::always_inline]] inline V InRegister(V v) {
  if constexpr (sizeof(V) == 32) asm("" : "+x"(v.v));
  return v;
}

// Vector Q of samples 0..15 (rising[c]: sample j in lane j - W Q) and of samples 32..17 (falling[c]:
// sample 32 - j in lane j - W Q; sample 32 does not exist) of the slots at pos[c] of rings c,
// through runs 0..3 of the vector window. Per ring slot pair k the two ring vectors are loaded
// once for four runs and each window vector once for all channels; the even and the odd slots'
// products sum apart (shorter chains), then add.
template <class V, int32_t Q, int32_t... C>
[[gnu::always_inline]] inline void WindowVector(const float* const* rings, const int32_t* pos,
                                                const float* window, V* rising, V* falling,
                                                std::integer_sequence<int32_t, C...>) {
  constexpr int32_t lanes = sizeof(V) / sizeof(float);
  constexpr int32_t at = lanes * Q;
  V up[2][sizeof...(C)], down[2][sizeof...(C)];
  ((up[0][C] = up[1][C] = down[0][C] = down[1][C] = V::Zero()), ...);
  const float* w = window + at;
  // Unrolled: the ring and window addresses then are constants from a base.
#pragma GCC unroll 8
  for (int32_t k = 0; k < 8; ++k, w += 4 * kVectorWindowRun) {
    // The even slot's x[16 + j] and the odd slot's x[16 - j] (the doubled ring: no wrap).
    const V even[] = {InRegister(V::LoadAligned(rings[C] + pos[C] + 2 * kSynthSlotSize * k + at))...};
    const V odd[] = {
        InRegister(V::LoadAligned(rings[C] + pos[C] + 2 * kSynthSlotSize * k + kSynthSlotSize + 16 + at))...};
    V tap = InRegister(V::LoadAligned(w));
    ((up[0][C] = MulAdd(tap, even[C], up[0][C])), ...);
    tap = InRegister(V::LoadAligned(w + 16));
    ((up[1][C] = MulAdd(tap, odd[C], up[1][C])), ...);
    tap = InRegister(V::LoadAligned(w + 32));
    ((down[0][C] = MulAdd(tap, even[C], down[0][C])), ...);
    tap = InRegister(V::LoadAligned(w + 48));
    ((down[1][C] = MulAdd(tap, odd[C], down[1][C])), ...);
  }
  ((rising[C] = up[0][C] + up[1][C]), ...);
  ((falling[C] = down[0][C] + down[1][C]), ...);
}

// Sample 16 of channel c's slot: the heads of its odd ring slots, weighed.
template <class V>
[[gnu::always_inline]] inline float WindowMiddle(const float* ring, int32_t pos, const float* window) {
  constexpr int32_t lanes = sizeof(V) / sizeof(float);
  const float* heads = ring + kSynthHeads + pos / kSynthSlotSize;
  const float* w = window + kVectorWindowHeads;
  V sum = V::LoadAligned(w) * V::Load(heads);
#pragma GCC unroll 4
  for (int32_t i = lanes; i < 16; i += lanes) sum = MulAdd(V::LoadAligned(w + i), V::Load(heads + i), sum);
  return sum.Sum();
}

// The 32 samples of each channel's slot, as 32 / 2W sample vectors per channel (in the order
// StorePairs takes if ForPairs).
template <class V, class S, bool ForPairs, int32_t C, int32_t... Q>
[[gnu::always_inline]] inline void WindowSlotsOf(const float* const* rings, const int32_t* pos,
                                                 const float* window,
                                                 S (*out)[16 * sizeof(float) / sizeof(V)],
                                                 std::integer_sequence<int32_t, Q...>) {
  constexpr int32_t vectors = sizeof...(Q);
  constexpr auto channels = std::make_integer_sequence<int32_t, C>();
  V rising[vectors][C], falling[vectors + 1][C];
  (WindowVector<V, Q>(rings, pos, window, rising[Q], falling[Q], channels), ...);
#pragma GCC unroll 2
  for (int32_t c = 0; c < C; ++c) {
    falling[vectors][c] = V::Set(WindowMiddle<V>(rings[c], pos[c], window));
    (
        [&] {
          if constexpr (Q % 2 == 0) {
            out[c][Q / 2] = Round<S, ForPairs>(rising[Q][c], rising[Q + 1][c]);
            // Samples 16 + W Q ..: the falling sums reversed and shifted up by a lane, whose
            // lane 0 comes from the vector above (sample 16 from the heads).
            out[c][vectors / 2 + Q / 2] =
                Round<S, ForPairs>(ReverseAcross(falling[vectors - 1 - Q][c], falling[vectors - Q][c]),
                                   ReverseAcross(falling[vectors - 2 - Q][c], falling[vectors - 1 - Q][c]));
          }
        }(),
        ...);
  }
}

template <class V, class S, bool ForPairs, int32_t C>
inline void WindowSlotLanes(const float* const* rings, const int32_t* pos, const float* window,
                            S (*out)[16 * sizeof(float) / sizeof(V)]) {
  WindowSlotsOf<V, S, ForPairs, C>(rings, pos, window, out,
                                   std::make_integer_sequence<int32_t, kHalfVectors<V>>());
}

template <class V, class S>
inline void WindowMonoLanes(const float* ring, int32_t pos, const float* window, int16_t* out) {
  constexpr int32_t samples = 2 * sizeof(V) / sizeof(float);
  S s[1][32 / samples];
  WindowSlotLanes<V, S, false, 1>(&ring, &pos, window, s);
  for (int32_t i = 0; i < 32 / samples; ++i) s[0][i].Store(out + samples * i);
}

template <class V, class S>
inline void WindowStereoLanes(const float* ring, int32_t pos, const float* window, int16_t* out) {
  constexpr int32_t samples = 2 * sizeof(V) / sizeof(float);
  constexpr int32_t count = 32 / samples;
  S s[1][count];
  WindowSlotLanes<V, S, false, 1>(&ring, &pos, window, s);
  for (int32_t i = 0; i < count; ++i) {
    s[0][i].StoreEvenPlacesLow(out + 2 * samples * i);
    if (i < count - 1) s[0][i].StoreEvenPlacesHigh(out + 2 * samples * i + samples);
  }
  // The last half vector one by one: a vector would reach out[63], past the end of the buffer
  // for channel 1's last slot.
  alignas(32) int16_t rest[samples];
  s[0][count - 1].StoreAligned(rest);
  for (int32_t i = samples / 2; i < samples; ++i) out[64 - 2 * samples + 2 * i] = rest[i];
}

// StoreRingSlot in whole vectors: each value is loaded once for both copies.
template <class V>
[[gnu::always_inline]] inline void StoreSlotLanes(float* ring, int32_t pos, const float* slot, float head) {
  constexpr int32_t lanes = sizeof(V) / sizeof(float);
#pragma GCC unroll 8
  for (int32_t i = 0; i < kSynthSlotSize; i += lanes) {
    const V x = V::Load(slot + i);
    x.StoreAligned(ring + pos + i);
    x.StoreAligned(ring + kSynthRingSize + pos + i);
  }
  float* heads = ring + kSynthHeads;
  heads[pos / kSynthSlotSize] = heads[pos / kSynthSlotSize + 16] = head;
}

template <class V, class S>
inline void WindowPairsLanes(TSynthesisState& state, const float* dct, const float* heads, int32_t count,
                             int16_t* out) {
  constexpr int32_t samples = 2 * sizeof(V) / sizeof(float);
  const float* window = state.Window;
  WindowPairsWith(state, dct, heads, count, out,
                  [window](const float* slot0, const float* slot1, float head0, float head1, float* ring0,
                           int32_t pos0, float* ring1, int32_t pos1, int16_t* pairs) {
                    StoreSlotLanes<V>(ring0, pos0, slot0, head0);
                    StoreSlotLanes<V>(ring1, pos1, slot1, head1);
                    const float* const rings[2] = {ring0, ring1};
                    const int32_t positions[2] = {pos0, pos1};
                    S s[2][32 / samples];
                    if constexpr (kHalfVectors < V >> 2) {
                      // Four-lane vectors: the sums of both channels would not fit the registers.
                      WindowSlotLanes<V, S, true, 1>(rings, positions, window, s);
                      WindowSlotLanes<V, S, true, 1>(rings + 1, positions + 1, window, s + 1);
                    } else {
                      WindowSlotLanes<V, S, true, 2>(rings, positions, window, s);
                    }
                    for (int32_t i = 0; i < 32 / samples; ++i)
                      StorePairs(s[0][i], s[1][i], pairs + 2 * samples * i);
                  });
}

}  // namespace
