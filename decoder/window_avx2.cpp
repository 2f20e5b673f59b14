// The window step with AVX2 and FMA: eight output samples per vector, single-precision fused
// multiply-adds over the vector window layout, rounding to nearest even by the conversion.
#include <immintrin.h>

#include "synth_window.h"
#include "synthesis_state.h"
#include "window_forms.h"

namespace {

// Clamps to the 16-bit range first (a float beyond the int32 range would convert to INT_MIN).
__m256i RoundAndClip(__m256 a, __m256 b) {
  const __m256 hi = _mm256_set1_ps(32767.0f), lo = _mm256_set1_ps(-32768.0f);
  const __m256i ia = _mm256_cvtps_epi32(_mm256_max_ps(_mm256_min_ps(a, hi), lo));
  const __m256i ib = _mm256_cvtps_epi32(_mm256_max_ps(_mm256_min_ps(b, hi), lo));
  // packs works per 128-bit half; put the four quarters back in order.
  return _mm256_permute4x64_epi64(_mm256_packs_epi32(ia, ib), 0xD8);
}

// The 32 samples of the slot at pos, as two vectors of 16.
void WindowSlot(const float* ring, int32_t pos, __m256i& first, __m256i& second) {
  const float* w = VectorWindow.data();
  __m256 f0 = _mm256_setzero_ps(), f1 = f0, b0 = f0, b1 = f0, d0 = f0, d1 = f0, c0 = f0, c1 = f0;
  // Unrolled: the ring addresses then fold into the loads and the window into the multiply-adds.
#pragma GCC unroll 8
  for (int32_t k = 0; k < 8; ++k, w += 64) {
    const float* even = ring + pos + 64 * k;  // the doubled ring: no wrap
    const float* odd = even + 32;
    const __m256 e0 = _mm256_loadu_ps(even + 16), e1 = _mm256_loadu_ps(even + 24);
    f0 = _mm256_fmadd_ps(_mm256_load_ps(w), e0, f0);
    f1 = _mm256_fmadd_ps(_mm256_load_ps(w + 8), e1, f1);
    b0 = _mm256_fmadd_ps(_mm256_load_ps(w + 16), _mm256_loadu_ps(odd + 1), b0);
    b1 = _mm256_fmadd_ps(_mm256_load_ps(w + 24), _mm256_loadu_ps(odd + 9), b1);
    d0 = _mm256_fmadd_ps(_mm256_load_ps(w + 32), _mm256_loadu_ps(odd), d0);
    d1 = _mm256_fmadd_ps(_mm256_load_ps(w + 40), _mm256_loadu_ps(odd + 8), d1);
    c0 = _mm256_fmadd_ps(_mm256_load_ps(w + 48), e0, c0);
    c1 = _mm256_fmadd_ps(_mm256_load_ps(w + 56), e1, c1);
  }
  // Samples 0..15: the forward sums less the backward sums reversed.
  const __m256i reverse = _mm256_setr_epi32(7, 6, 5, 4, 3, 2, 1, 0);
  const __m256 h0 = _mm256_sub_ps(f0, _mm256_permutevar8x32_ps(b1, reverse));
  const __m256 h1 = _mm256_sub_ps(f1, _mm256_permutevar8x32_ps(b0, reverse));
  // Samples 16..31: sample 16 + m takes backward sum 16 - m (none for m = 0): reverse the 16
  // sums and shift them up by one lane.
  const __m256i reverseShift = _mm256_setr_epi32(0, 7, 6, 5, 4, 3, 2, 1);
  const __m256 r0 = _mm256_permutevar8x32_ps(c1, reverseShift);
  const __m256 r1 = _mm256_permutevar8x32_ps(c0, reverseShift);
  const __m256 s0 = _mm256_add_ps(d0, _mm256_blend_ps(r0, _mm256_setzero_ps(), 0x01));
  const __m256 s1 = _mm256_add_ps(d1, _mm256_blend_ps(r1, r0, 0x01));
  first = RoundAndClip(h0, h1);
  second = RoundAndClip(s0, s1);
}

// Eight samples into the even places of out[0..15]; the odd places (the other channel) keep
// what they hold.
void StoreEvenPlaces(__m128i samples, int16_t* out) {
  __m256i* p = reinterpret_cast<__m256i*>(out);
  _mm256_storeu_si256(p, _mm256_blend_epi16(_mm256_loadu_si256(p), _mm256_cvtepu16_epi32(samples), 0x55));
}

// StoreRingSlot in whole vectors: each value is loaded once for both copies.
void StoreSlot(float* ring, int32_t pos, const float* slot) {
  for (int32_t i = 0; i < 32; i += 8) {
    const __m256 v = _mm256_loadu_ps(slot + i);
    _mm256_store_ps(ring + pos + i, v);
    _mm256_store_ps(ring + pos + kSynthRingSize + i, v);
  }
}

// 16 samples of each channel as 16 pairs into out[0..31].
void StorePairs(__m256i left, __m256i right, int16_t* out) {
  // unpack works per 128-bit half: the halves hold pairs 0..3 | 8..11 and 4..7 | 12..15.
  const __m256i low = _mm256_unpacklo_epi16(left, right), high = _mm256_unpackhi_epi16(left, right);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_permute2x128_si256(low, high, 0x20));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 16), _mm256_permute2x128_si256(low, high, 0x31));
}

}  // namespace

void WindowMonoAvx2(const float* ring, int32_t pos, int16_t* out) {
  __m256i first, second;
  WindowSlot(ring, pos, first, second);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), first);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 16), second);
}

void WindowStereoAvx2(const float* ring, int32_t pos, int16_t* out) {
  __m256i first, second;
  WindowSlot(ring, pos, first, second);
  StoreEvenPlaces(_mm256_castsi256_si128(first), out);
  StoreEvenPlaces(_mm256_extracti128_si256(first, 1), out + 16);
  StoreEvenPlaces(_mm256_castsi256_si128(second), out + 32);
  // The last eight one by one: a vector would reach out[63], past the end of the buffer
  // for channel 1's last slot.
  alignas(16) int16_t rest[8];
  _mm_store_si128(reinterpret_cast<__m128i*>(rest), _mm256_extracti128_si256(second, 1));
  for (int32_t i = 0; i < 8; ++i) out[48 + 2 * i] = rest[i];
}

void WindowPairsAvx2(TSynthesisState& state, const float* dct0, const float* dct1, int32_t count, int16_t* out) {
  WindowPairsWith(state, dct0, dct1, count, out,
                  [](const float* slot0, const float* slot1, float* ring0, int32_t pos0, float* ring1, int32_t pos1,
                     int16_t* pairs) {
                    StoreSlot(ring0, pos0, slot0);
                    StoreSlot(ring1, pos1, slot1);
                    __m256i first0, second0, first1, second1;
                    WindowSlot(ring0, pos0, first0, second0);
                    WindowSlot(ring1, pos1, first1, second1);
                    StorePairs(first0, first1, pairs);
                    StorePairs(second0, second1, pairs + 32);
                  });
}
