// The window step with SSE2: four output samples per vector, single-precision products over
// the vector window layout, computed as two halves of 16 samples to stay within the registers.
#include <emmintrin.h>

#include "synth_window.h"
#include "synthesis_state.h"
#include "window_forms.h"

namespace {

__m128 Reverse(__m128 v) { return _mm_shuffle_ps(v, v, _MM_SHUFFLE(0, 1, 2, 3)); }

// (low[1], low[2], low[3], high[0]) reversed.
__m128 ReverseAcross(__m128 low, __m128 high) {
  const __m128 t = _mm_move_ss(low, high);
  return _mm_shuffle_ps(t, t, _MM_SHUFFLE(1, 2, 3, 0));
}

__m128i RoundAndClip(__m128 a, __m128 b) {
  const __m128 hi = _mm_set1_ps(32767.0f), lo = _mm_set1_ps(-32768.0f);
  const __m128i ia = _mm_cvtps_epi32(_mm_max_ps(_mm_min_ps(a, hi), lo));
  const __m128i ib = _mm_cvtps_epi32(_mm_max_ps(_mm_min_ps(b, hi), lo));
  return _mm_packs_epi32(ia, ib);
}

// Sums of one half of the slot: runs 0/1 of the vector window (samples 0..15) or runs 2/3
// (samples 16..31), each accumulated in the order its ring values lie.
struct THalf {
  __m128 forward[4];
  __m128 backward[4];
};

template <int32_t Half>
void Accumulate(const float* ring, int32_t pos, THalf& acc) {
  for (int32_t q = 0; q < 4; ++q) acc.forward[q] = acc.backward[q] = _mm_setzero_ps();
  const float* w = VectorWindow.data() + Half * 32;
  // Unrolled: the ring addresses then fold into the loads.
#pragma GCC unroll 8
  for (int32_t k = 0; k < 8; ++k, w += 64) {
    const float* even = ring + pos + 64 * k;  // the doubled ring: no wrap
    const float* odd = even + 32;
    // Samples 0..15: even[16..31] forward, odd[1..16] backward.
    // Samples 16..31: odd[0..15] forward, even[16..31] backward.
    const float* fwd = Half == 0 ? even + 16 : odd;
    const float* bwd = Half == 0 ? odd + 1 : even + 16;
    for (int32_t q = 0; q < 4; ++q) {
      acc.forward[q] = _mm_add_ps(acc.forward[q], _mm_mul_ps(_mm_load_ps(w + 4 * q), _mm_loadu_ps(fwd + 4 * q)));
      acc.backward[q] =
          _mm_add_ps(acc.backward[q], _mm_mul_ps(_mm_load_ps(w + 16 + 4 * q), _mm_loadu_ps(bwd + 4 * q)));
    }
  }
}

void WindowSlot(const float* ring, int32_t pos, __m128i out[4]) {
  THalf acc;
  Accumulate<0>(ring, pos, acc);
  __m128 h[4];
  for (int32_t q = 0; q < 4; ++q) h[q] = _mm_sub_ps(acc.forward[q], Reverse(acc.backward[3 - q]));
  out[0] = RoundAndClip(h[0], h[1]);
  out[1] = RoundAndClip(h[2], h[3]);

  Accumulate<1>(ring, pos, acc);
  const __m128* c = acc.backward;
  const __m128 s0 = _mm_add_ps(acc.forward[0], ReverseAcross(c[3], _mm_setzero_ps()));
  const __m128 s1 = _mm_add_ps(acc.forward[1], ReverseAcross(c[2], c[3]));
  const __m128 s2 = _mm_add_ps(acc.forward[2], ReverseAcross(c[1], c[2]));
  const __m128 s3 = _mm_add_ps(acc.forward[3], ReverseAcross(c[0], c[1]));
  out[2] = RoundAndClip(s0, s1);
  out[3] = RoundAndClip(s2, s3);
}

// Four samples (the low half of samples) into the even places of out[0..7]; the odd places
// (the other channel) keep what they hold.
void StoreEvenPlaces(__m128i samples, int16_t* out) {
  __m128i* p = reinterpret_cast<__m128i*>(out);
  const __m128i odd = _mm_and_si128(_mm_loadu_si128(p), _mm_set1_epi32(static_cast<int32_t>(0xFFFF0000u)));
  _mm_storeu_si128(p, _mm_or_si128(odd, _mm_unpacklo_epi16(samples, _mm_setzero_si128())));
}

}  // namespace

void WindowMonoSse2(const float* ring, int32_t pos, int16_t* out) {
  __m128i samples[4];
  WindowSlot(ring, pos, samples);
  for (int32_t i = 0; i < 4; ++i) _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8 * i), samples[i]);
}

void WindowStereoSse2(const float* ring, int32_t pos, int16_t* out) {
  __m128i vectors[4];
  WindowSlot(ring, pos, vectors);
  for (int32_t i = 0; i < 4; ++i) {
    StoreEvenPlaces(vectors[i], out + 16 * i);
    if (i < 3) StoreEvenPlaces(_mm_unpackhi_epi64(vectors[i], vectors[i]), out + 16 * i + 8);
  }
  // The last four one by one: a vector would reach out[63], past the end of the buffer for
  // channel 1's last slot.
  alignas(16) int16_t rest[8];
  _mm_store_si128(reinterpret_cast<__m128i*>(rest), vectors[3]);
  for (int32_t i = 4; i < 8; ++i) out[48 + 2 * i] = rest[i];
}

void WindowPairsSse2(TSynthesisState& state, const float* dct0, const float* dct1, int32_t count, int16_t* out) {
  WindowPairsWith(state, dct0, dct1, count, out,
                  [](const float* slot0, const float* slot1, float* ring0, int32_t pos0, float* ring1, int32_t pos1,
                     int16_t* pairs) {
                    StoreRingSlot(ring0, pos0, slot0);
                    StoreRingSlot(ring1, pos1, slot1);
                    __m128i left[4], right[4];
                    WindowSlot(ring0, pos0, left);
                    WindowSlot(ring1, pos1, right);
                    __m128i* p = reinterpret_cast<__m128i*>(pairs);
                    for (int32_t i = 0; i < 4; ++i) {
                      _mm_storeu_si128(p + 2 * i, _mm_unpacklo_epi16(left[i], right[i]));
                      _mm_storeu_si128(p + 2 * i + 1, _mm_unpackhi_epi16(left[i], right[i]));
                    }
                  });
}
