// The decoder's SSE2 lane types (four floats, eight 16-bit samples) and the instructions its
// routines need on them. Include only from *_sse2.cpp files (internal linkage: each file gets
// its own copy for its instruction set).
#pragma once

#include <emmintrin.h>
#include <xmmintrin.h>

#include <cstdint>

#include "simd_transpose4.h"

namespace {

struct TLane4 {
  __m128 v;
  static TLane4 Load(const float* p) { return {_mm_loadu_ps(p)}; }
  // p aligned to 16 bytes: the load can fold into the arithmetic.
  static TLane4 LoadAligned(const float* p) { return {_mm_load_ps(p)}; }
  void Store(float* p) const { _mm_storeu_ps(p, v); }
  void StoreAligned(float* p) const { _mm_store_ps(p, v); }
  void StoreLow2(float* p) const { _mm_storel_pi(reinterpret_cast<__m64*>(p), v); }
  static TLane4 Set(float f) { return {_mm_set1_ps(f)}; }
  static TLane4 Zero() { return {_mm_setzero_ps()}; }
  friend TLane4 operator+(TLane4 a, TLane4 b) { return {_mm_add_ps(a.v, b.v)}; }
  friend TLane4 operator-(TLane4 a, TLane4 b) { return {_mm_sub_ps(a.v, b.v)}; }
  friend TLane4 operator*(TLane4 a, TLane4 b) { return {_mm_mul_ps(a.v, b.v)}; }
  // No fused form in SSE2: the product is rounded before the sum.
  friend TLane4 MulAdd(TLane4 a, TLane4 b, TLane4 c) { return {_mm_add_ps(_mm_mul_ps(a.v, b.v), c.v)}; }
  friend TLane4 MulSub(TLane4 a, TLane4 b, TLane4 c) { return {_mm_sub_ps(_mm_mul_ps(a.v, b.v), c.v)}; }

  // The lanes in reverse order.
  TLane4 Reversed() const { return {_mm_shuffle_ps(v, v, _MM_SHUFFLE(0, 1, 2, 3))}; }
  // The sum of the lanes: pairs, then the last two.
  float Sum() const {
    const __m128 s = _mm_add_ps(v, _mm_movehl_ps(v, v));
    return _mm_cvtss_f32(_mm_add_ss(s, _mm_shuffle_ps(s, s, _MM_SHUFFLE(1, 1, 1, 1))));
  }
  // (low[1], low[2], low[3], high[0]) reversed.
  friend TLane4 ReverseAcross(TLane4 low, TLane4 high) {
    const __m128 t = _mm_move_ss(low.v, high.v);
    return {_mm_shuffle_ps(t, t, _MM_SHUFFLE(1, 2, 3, 0))};
  }

  // dst[j * dstStride + i] = src[i * srcStride + j] for a 4 x 4 block.
  static void Transpose(const float* src, int srcStride, float* dst, int dstStride) {
    Transpose4x4(src, srcStride, dst, dstStride);
  }
  // The same for the first two columns of the four rows only.
  static void TransposeTwo(const float* src, int srcStride, float* dst, int dstStride) {
    TransposeTwo4(src, srcStride, dst, dstStride);
  }
};

// Eight 16-bit samples.
struct TSamples8 {
  __m128i v;
  // a then b rounded to nearest even and clipped to the 16-bit range. Only the high end is
  // clamped: a float beyond the int32 range converts to INT_MIN, right for the low end.
  static TSamples8 Round(TLane4 a, TLane4 b) {
    const __m128 hi = _mm_set1_ps(32767.0f);
    const __m128i ia = _mm_cvtps_epi32(_mm_min_ps(a.v, hi));
    const __m128i ib = _mm_cvtps_epi32(_mm_min_ps(b.v, hi));
    return {_mm_packs_epi32(ia, ib)};
  }
  // The order StorePairs takes is the natural one.
  static TSamples8 RoundForPairs(TLane4 a, TLane4 b) { return Round(a, b); }
  void Store(int16_t* p) const { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
  void StoreAligned(int16_t* p) const { _mm_store_si128(reinterpret_cast<__m128i*>(p), v); }
  // Samples 0..3 (Low) or 4..7 (High) into the even places of out[0..7]; the odd places keep
  // what they hold.
  void StoreEvenPlacesLow(int16_t* out) const { StoreEvenPlaces(v, out); }
  void StoreEvenPlacesHigh(int16_t* out) const { StoreEvenPlaces(_mm_unpackhi_epi64(v, v), out); }
  // The pairs (left[i], right[i]) into out[0..15].
  friend void StorePairs(TSamples8 left, TSamples8 right, int16_t* out) {
    __m128i* p = reinterpret_cast<__m128i*>(out);
    _mm_storeu_si128(p, _mm_unpacklo_epi16(left.v, right.v));
    _mm_storeu_si128(p + 1, _mm_unpackhi_epi16(left.v, right.v));
  }

 private:
  static void StoreEvenPlaces(__m128i samples, int16_t* out) {
    __m128i* p = reinterpret_cast<__m128i*>(out);
    const __m128i odd = _mm_and_si128(_mm_loadu_si128(p), _mm_set1_epi32(static_cast<int32_t>(0xFFFF0000u)));
    _mm_storeu_si128(p, _mm_or_si128(odd, _mm_unpacklo_epi16(samples, _mm_setzero_si128())));
  }
};

}  // namespace
