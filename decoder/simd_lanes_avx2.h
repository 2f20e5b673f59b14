// The decoder's AVX2 lane types (eight and four floats with fused multiply-add, sixteen 16-bit
// samples, eight int32 table indices) and the instructions its routines need on them. Include
// only from *_avx2.cpp files (internal linkage, see simd_lanes_sse2.h).
#pragma once

#include <immintrin.h>

#include <cstdint>

#include "simd_transpose4.h"

namespace {

struct TLane8 {
  __m256 v;
  static TLane8 Load(const float* p) { return {_mm256_loadu_ps(p)}; }
  static TLane8 LoadAligned(const float* p) { return {_mm256_load_ps(p)}; }
  void Store(float* p) const { _mm256_storeu_ps(p, v); }
  void StoreAligned(float* p) const { _mm256_store_ps(p, v); }
  void StoreLow2(float* p) const { _mm_storel_pi(reinterpret_cast<__m64*>(p), _mm256_castps256_ps128(v)); }
  static TLane8 Set(float f) { return {_mm256_set1_ps(f)}; }
  static TLane8 Zero() { return {_mm256_setzero_ps()}; }
  friend TLane8 operator+(TLane8 a, TLane8 b) { return {_mm256_add_ps(a.v, b.v)}; }
  friend TLane8 operator-(TLane8 a, TLane8 b) { return {_mm256_sub_ps(a.v, b.v)}; }
  friend TLane8 operator*(TLane8 a, TLane8 b) { return {_mm256_mul_ps(a.v, b.v)}; }
  // Fused: a * b is not rounded before the sum.
  friend TLane8 MulAdd(TLane8 a, TLane8 b, TLane8 c) { return {_mm256_fmadd_ps(a.v, b.v, c.v)}; }
  friend TLane8 MulSub(TLane8 a, TLane8 b, TLane8 c) { return {_mm256_fmsub_ps(a.v, b.v, c.v)}; }

  // The lanes in reverse order.
  TLane8 Reversed() const { return {_mm256_permutevar8x32_ps(v, _mm256_setr_epi32(7, 6, 5, 4, 3, 2, 1, 0))}; }
  // The sum of the lanes: halves, then pairs, then the last two.
  float Sum() const {
    __m128 s = _mm_add_ps(_mm256_castps256_ps128(v), _mm256_extractf128_ps(v, 1));
    s = _mm_add_ps(s, _mm_movehl_ps(s, s));
    return _mm_cvtss_f32(_mm_add_ss(s, _mm_movehdup_ps(s)));
  }
  // (low[1], ..., low[7], high[0]) reversed.
  friend TLane8 ReverseAcross(TLane8 low, TLane8 high) {
    const __m256 r = _mm256_permutevar8x32_ps(low.v, _mm256_setr_epi32(0, 7, 6, 5, 4, 3, 2, 1));
    return {_mm256_blend_ps(r, high.v, 0x01)};
  }

  // dst[j * dstStride + i] = src[i * srcStride + j] for an 8 x 8 block, written out so that it
  // stays in registers.
  [[gnu::always_inline]] static void Transpose(const float* src, int srcStride, float* dst, int dstStride) {
    const __m256 r0 = _mm256_loadu_ps(src), r1 = _mm256_loadu_ps(src + srcStride);
    const __m256 r2 = _mm256_loadu_ps(src + 2 * srcStride), r3 = _mm256_loadu_ps(src + 3 * srcStride);
    const __m256 r4 = _mm256_loadu_ps(src + 4 * srcStride), r5 = _mm256_loadu_ps(src + 5 * srcStride);
    const __m256 r6 = _mm256_loadu_ps(src + 6 * srcStride), r7 = _mm256_loadu_ps(src + 7 * srcStride);
    const __m256 t0 = _mm256_unpacklo_ps(r0, r1), t1 = _mm256_unpackhi_ps(r0, r1);
    const __m256 t2 = _mm256_unpacklo_ps(r2, r3), t3 = _mm256_unpackhi_ps(r2, r3);
    const __m256 t4 = _mm256_unpacklo_ps(r4, r5), t5 = _mm256_unpackhi_ps(r4, r5);
    const __m256 t6 = _mm256_unpacklo_ps(r6, r7), t7 = _mm256_unpackhi_ps(r6, r7);
    const __m256 u0 = _mm256_shuffle_ps(t0, t2, 0x44), u1 = _mm256_shuffle_ps(t0, t2, 0xEE);
    const __m256 u2 = _mm256_shuffle_ps(t1, t3, 0x44), u3 = _mm256_shuffle_ps(t1, t3, 0xEE);
    const __m256 u4 = _mm256_shuffle_ps(t4, t6, 0x44), u5 = _mm256_shuffle_ps(t4, t6, 0xEE);
    const __m256 u6 = _mm256_shuffle_ps(t5, t7, 0x44), u7 = _mm256_shuffle_ps(t5, t7, 0xEE);
    _mm256_storeu_ps(dst, _mm256_permute2f128_ps(u0, u4, 0x20));
    _mm256_storeu_ps(dst + dstStride, _mm256_permute2f128_ps(u1, u5, 0x20));
    _mm256_storeu_ps(dst + 2 * dstStride, _mm256_permute2f128_ps(u2, u6, 0x20));
    _mm256_storeu_ps(dst + 3 * dstStride, _mm256_permute2f128_ps(u3, u7, 0x20));
    _mm256_storeu_ps(dst + 4 * dstStride, _mm256_permute2f128_ps(u0, u4, 0x31));
    _mm256_storeu_ps(dst + 5 * dstStride, _mm256_permute2f128_ps(u1, u5, 0x31));
    _mm256_storeu_ps(dst + 6 * dstStride, _mm256_permute2f128_ps(u2, u6, 0x31));
    _mm256_storeu_ps(dst + 7 * dstStride, _mm256_permute2f128_ps(u3, u7, 0x31));
  }
  // The same for the first two columns of the eight rows only.
  [[gnu::always_inline]] static void TransposeTwo(const float* src, int srcStride, float* dst,
                                                  int dstStride) {
    auto pairs = [&](int i) {  // (src[i][0], src[i][1], src[i + 1][0], src[i + 1][1])
      const __m128 low = _mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(src + i * srcStride)));
      return _mm_loadh_pi(low, reinterpret_cast<const __m64*>(src + (i + 1) * srcStride));
    };
    const __m256 a = _mm256_set_m128(pairs(4), pairs(0)), b = _mm256_set_m128(pairs(6), pairs(2));
    _mm256_storeu_ps(dst, _mm256_shuffle_ps(a, b, 0x88));
    _mm256_storeu_ps(dst + dstStride, _mm256_shuffle_ps(a, b, 0xDD));
  }
};

struct TLane4 {
  __m128 v;
  static TLane4 Load(const float* p) { return {_mm_loadu_ps(p)}; }
  void Store(float* p) const { _mm_storeu_ps(p, v); }
  static TLane4 Set(float f) { return {_mm_set1_ps(f)}; }
  friend TLane4 operator+(TLane4 a, TLane4 b) { return {_mm_add_ps(a.v, b.v)}; }
  friend TLane4 operator-(TLane4 a, TLane4 b) { return {_mm_sub_ps(a.v, b.v)}; }
  friend TLane4 operator*(TLane4 a, TLane4 b) { return {_mm_mul_ps(a.v, b.v)}; }
  friend TLane4 MulAdd(TLane4 a, TLane4 b, TLane4 c) { return {_mm_fmadd_ps(a.v, b.v, c.v)}; }

  static void Transpose(const float* src, int srcStride, float* dst, int dstStride) {
    Transpose4x4(src, srcStride, dst, dstStride);
  }
  static void TransposeTwo(const float* src, int srcStride, float* dst, int dstStride) {
    TransposeTwo4(src, srcStride, dst, dstStride);
  }
};

// Sixteen 16-bit samples.
struct TSamples16 {
  __m256i v;
  // a then b rounded to nearest even and clipped to the 16-bit range.
  static TSamples16 Round(TLane8 a, TLane8 b) {
    // packs works per 128-bit half; put the four quarters back in order.
    return {_mm256_permute4x64_epi64(RoundForPairs(a, b).v, 0xD8)};
  }
  // As Round, but left in the order packs gives: a[0..3], b[0..3] | a[4..7], b[4..7]. Only the
  // high end is clamped: a float beyond the int32 range converts to INT_MIN, right for the low end.
  static TSamples16 RoundForPairs(TLane8 a, TLane8 b) {
    const __m256 hi = _mm256_set1_ps(32767.0f);
    const __m256i ia = _mm256_cvtps_epi32(_mm256_min_ps(a.v, hi));
    const __m256i ib = _mm256_cvtps_epi32(_mm256_min_ps(b.v, hi));
    return {_mm256_packs_epi32(ia, ib)};
  }
  void Store(int16_t* p) const { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
  void StoreAligned(int16_t* p) const { _mm256_store_si256(reinterpret_cast<__m256i*>(p), v); }
  // Samples 0..7 (Low) or 8..15 (High) into the even places of out[0..15]; the odd places
  // keep what they hold.
  void StoreEvenPlacesLow(int16_t* out) const { StoreEvenPlaces(_mm256_castsi256_si128(v), out); }
  void StoreEvenPlacesHigh(int16_t* out) const { StoreEvenPlaces(_mm256_extracti128_si256(v, 1), out); }
  // The pairs (left[i], right[i]) into out[0..31], both in RoundForPairs' order: each 128-bit
  // half of the unpacked vectors is then already in place.
  friend void StorePairs(TSamples16 left, TSamples16 right, int16_t* out) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_unpacklo_epi16(left.v, right.v));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 16), _mm256_unpackhi_epi16(left.v, right.v));
  }

 private:
  static void StoreEvenPlaces(__m128i samples, int16_t* out) {
    __m256i* p = reinterpret_cast<__m256i*>(out);
    _mm256_storeu_si256(p, _mm256_blend_epi16(_mm256_loadu_si256(p), _mm256_cvtepu16_epi32(samples), 0x55));
  }
};

// Eight int32 values, the indices of a table lookup.
struct TIndex8 {
  __m256i v;
  // The bits of eight values stored as float (the int32 spectrum of the requantisation).
  static TIndex8 LoadBits(const float* p) {
    return {_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p))};
  }
  static TIndex8 Set(int32_t i) { return {_mm256_set1_epi32(i)}; }
  friend TIndex8 operator+(TIndex8 a, TIndex8 b) { return {_mm256_add_epi32(a.v, b.v)}; }
  // Whether any lane has any of the bits of mask set.
  bool AnyBits(TIndex8 mask) const { return !_mm256_testz_si256(v, mask.v); }
  TIndex8 Abs() const { return {_mm256_abs_epi32(v)}; }
  // Whether any lane, read as unsigned, exceeds limit.
  bool AnyAbove(uint32_t limit) const {
    const __m256i top = _mm256_set1_epi32(static_cast<int32_t>(limit));
    return _mm256_movemask_epi8(_mm256_cmpeq_epi32(_mm256_max_epu32(v, top), top)) != -1;
  }
  // a with its sign bits flipped where the lanes of sign are negative.
  friend TLane8 WithSignOf(TLane8 a, TIndex8 sign) {
    const __m256i bits = _mm256_and_si256(sign.v, _mm256_set1_epi32(INT32_MIN));
    return {_mm256_xor_ps(a.v, _mm256_castsi256_ps(bits))};
  }
  // table[index] of every lane.
  friend TLane8 Gather(const float* table, TIndex8 index) { return {_mm256_i32gather_ps(table, index.v, 4)}; }
  // The same for indices 0..31 from a table held in four vectors: permutes within each, then
  // blends on index bits 3 and 4 (moved to the sign bit that blendv reads).
  friend TLane8 Lookup32(const TLane8* table, TIndex8 index) {
    const __m256 bit3 = _mm256_castsi256_ps(_mm256_slli_epi32(index.v, 28));
    const __m256 bit4 = _mm256_castsi256_ps(_mm256_slli_epi32(index.v, 27));
    const __m256 low = _mm256_blendv_ps(_mm256_permutevar8x32_ps(table[0].v, index.v),
                                        _mm256_permutevar8x32_ps(table[1].v, index.v), bit3);
    const __m256 high = _mm256_blendv_ps(_mm256_permutevar8x32_ps(table[2].v, index.v),
                                         _mm256_permutevar8x32_ps(table[3].v, index.v), bit3);
    return {_mm256_blendv_ps(low, high, bit4)};
  }
};

}  // namespace
