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

// Vectors of a half slot (16 samples).
template <class V>
constexpr int32_t kHalfVectors = 16 * sizeof(float) / sizeof(V);

// Samples of halves First .. First + Count - 1 of the slot at pos, half h into out[h * vectors / 2 ..]
// (in the order StorePairs takes if ForPairs): half 0 (samples 0..15) from runs 0/1 of the vector window,
// half 1 (samples 16..31) from runs 2/3, each sum accumulated in the order its ring values lie. Four-lane
// vectors take one half per call to stay within the registers. Q indexes the vectors of a half; every index
// is a constant, so that the sums stay in registers.
template <class V, class S, bool ForPairs, int32_t First, int32_t Count, int32_t... Q>
inline void WindowHalves(const float* ring, int32_t pos, S* out, std::integer_sequence<int32_t, Q...>) {
  constexpr int32_t lanes = sizeof(V) / sizeof(float);
  constexpr int32_t vectors = sizeof...(Q);
  constexpr int32_t last = Count - 1;
  V forward[Count][vectors], backward[Count][vectors];
  for (int32_t h = 0; h < Count; ++h) {
    ((forward[h][Q] = V::Zero()), ...);
    ((backward[h][Q] = V::Zero()), ...);
  }
  const float* w = VectorWindow.data();
  // Unrolled: the ring addresses then fold into the loads and the window into the arithmetic.
#pragma GCC unroll 8
  for (int32_t k = 0; k < 8; ++k, w += 64) {
    const float* even = ring + pos + 64 * k;  // the doubled ring: no wrap
    const float* odd = even + 32;
    // Samples 0..15: even[16..31] forward, odd[1..16] backward.
    // Samples 16..31: odd[0..15] forward, even[16..31] backward (the same loads).
    const V shared[vectors] = {V::Load(even + 16 + lanes * Q)...};
    if constexpr (First == 0) {
      ((forward[0][Q] = MulAdd(V::LoadAligned(w + lanes * Q), shared[Q], forward[0][Q])), ...);
      ((backward[0][Q] =
            MulAdd(V::LoadAligned(w + 16 + lanes * Q), V::Load(odd + 1 + lanes * Q), backward[0][Q])),
       ...);
    }
    if constexpr (First + Count == 2) {
      ((forward[last][Q] =
            MulAdd(V::LoadAligned(w + 32 + lanes * Q), V::Load(odd + lanes * Q), forward[last][Q])),
       ...);
      ((backward[last][Q] = MulAdd(V::LoadAligned(w + 48 + lanes * Q), shared[Q], backward[last][Q])), ...);
    }
  }
  if constexpr (First == 0) {
    // The forward sums less the backward sums reversed.
    const V sums[vectors] = {(forward[0][Q] - backward[0][vectors - 1 - Q].Reversed())...};
    (
        [&] {
          if constexpr (Q % 2 == 0) out[Q / 2] = Round<S, ForPairs>(sums[Q], sums[Q + 1]);
        }(),
        ...);
  }
  if constexpr (First + Count == 2) {
    // Sample 16 + m takes backward sum 16 - m (none for m = 0): the sums reversed and shifted up
    // by one lane.
    const V above[vectors] = {(Q == 0 ? V::Zero() : backward[last][(vectors - Q) % vectors])...};
    const V sums[vectors] = {
        (forward[last][Q] + ReverseAcross(backward[last][vectors - 1 - Q], above[Q]))...};
    (
        [&] {
          if constexpr (Q % 2 == 0) out[vectors / 2 + Q / 2] = Round<S, ForPairs>(sums[Q], sums[Q + 1]);
        }(),
        ...);
  }
}

// The 32 samples of the slot at pos, as 32 / 2W sample vectors.
template <class V, class S, bool ForPairs = false>
inline void WindowSlotLanes(const float* ring, int32_t pos, S* out) {
  constexpr auto q = std::make_integer_sequence<int32_t, kHalfVectors<V>>();
  if constexpr (kHalfVectors < V >> 2) {
    WindowHalves<V, S, ForPairs, 0, 1>(ring, pos, out, q);
    WindowHalves<V, S, ForPairs, 1, 1>(ring, pos, out, q);
  } else {
    WindowHalves<V, S, ForPairs, 0, 2>(ring, pos, out, q);
  }
}

template <class V, class S>
inline void WindowMonoLanes(const float* ring, int32_t pos, int16_t* out) {
  constexpr int32_t samples = 2 * sizeof(V) / sizeof(float);
  S s[32 / samples];
  WindowSlotLanes<V, S>(ring, pos, s);
  for (int32_t i = 0; i < 32 / samples; ++i) s[i].Store(out + samples * i);
}

template <class V, class S>
inline void WindowStereoLanes(const float* ring, int32_t pos, int16_t* out) {
  constexpr int32_t samples = 2 * sizeof(V) / sizeof(float);
  constexpr int32_t count = 32 / samples;
  S s[count];
  WindowSlotLanes<V, S>(ring, pos, s);
  for (int32_t i = 0; i < count; ++i) {
    s[i].StoreEvenPlacesLow(out + 2 * samples * i);
    if (i < count - 1) s[i].StoreEvenPlacesHigh(out + 2 * samples * i + samples);
  }
  // The last half vector one by one: a vector would reach out[63], past the end of the buffer
  // for channel 1's last slot.
  alignas(32) int16_t rest[samples];
  s[count - 1].StoreAligned(rest);
  for (int32_t i = samples / 2; i < samples; ++i) out[64 - 2 * samples + 2 * i] = rest[i];
}

// StoreRingSlot in whole vectors: each value is loaded once for both copies.
template <class V>
[[gnu::always_inline]] inline void StoreSlotLanes(float* ring, int32_t pos, const float* slot) {
  constexpr int32_t lanes = sizeof(V) / sizeof(float);
  for (int32_t i = 0; i < 32; i += lanes) {
    const V v = V::Load(slot + i);
    v.StoreAligned(ring + pos + i);
    v.StoreAligned(ring + pos + kSynthRingSize + i);
  }
}

template <class V, class S>
inline void WindowPairsLanes(TSynthesisState& state, const float* dct0, const float* dct1, int32_t count,
                             int16_t* out) {
  constexpr int32_t samples = 2 * sizeof(V) / sizeof(float);
  WindowPairsWith(state, dct0, dct1, count, out,
                  [](const float* slot0, const float* slot1, float* ring0, int32_t pos0, float* ring1,
                     int32_t pos1, int16_t* pairs) {
                    StoreSlotLanes<V>(ring0, pos0, slot0);
                    StoreSlotLanes<V>(ring1, pos1, slot1);
                    S left[32 / samples], right[32 / samples];
                    WindowSlotLanes<V, S, true>(ring0, pos0, left);
                    WindowSlotLanes<V, S, true>(ring1, pos1, right);
                    for (int32_t i = 0; i < 32 / samples; ++i)
                      StorePairs(left[i], right[i], pairs + 2 * samples * i);
                  });
}

}  // namespace
