// Eight- and four-lane float vectors with fused multiply-add for the AVX2 forms of the Layer III
// routines. Include only from *_avx2.cpp files (internal linkage, see layer3_lanes_sse2.h).
#pragma once

#include <immintrin.h>

namespace {

struct TLane8 {
  __m256 v;
  static TLane8 Load(const float* p) { return {_mm256_loadu_ps(p)}; }
  void Store(float* p) const { _mm256_storeu_ps(p, v); }
  static TLane8 Set(float f) { return {_mm256_set1_ps(f)}; }
  friend TLane8 operator+(TLane8 a, TLane8 b) { return {_mm256_add_ps(a.v, b.v)}; }
  friend TLane8 operator-(TLane8 a, TLane8 b) { return {_mm256_sub_ps(a.v, b.v)}; }
  friend TLane8 operator*(TLane8 a, TLane8 b) { return {_mm256_mul_ps(a.v, b.v)}; }
  friend TLane8 MulAdd(TLane8 a, TLane8 b, TLane8 c) { return {_mm256_fmadd_ps(a.v, b.v, c.v)}; }

  // dst[j * dstStride + i] = src[i * srcStride + j] for an 8 x 8 block.
  static void Transpose(const float* src, int srcStride, float* dst, int dstStride) {
    __m256 r[8], t[8], u[8];
    for (int i = 0; i < 8; ++i) r[i] = _mm256_loadu_ps(src + i * srcStride);
    for (int i = 0; i < 8; i += 2) {
      t[i] = _mm256_unpacklo_ps(r[i], r[i + 1]);
      t[i + 1] = _mm256_unpackhi_ps(r[i], r[i + 1]);
    }
    for (int i = 0; i < 8; i += 4) {
      u[i] = _mm256_shuffle_ps(t[i], t[i + 2], 0x44);
      u[i + 1] = _mm256_shuffle_ps(t[i], t[i + 2], 0xEE);
      u[i + 2] = _mm256_shuffle_ps(t[i + 1], t[i + 3], 0x44);
      u[i + 3] = _mm256_shuffle_ps(t[i + 1], t[i + 3], 0xEE);
    }
    for (int i = 0; i < 4; ++i) {
      _mm256_storeu_ps(dst + i * dstStride, _mm256_permute2f128_ps(u[i], u[i + 4], 0x20));
      _mm256_storeu_ps(dst + (i + 4) * dstStride, _mm256_permute2f128_ps(u[i], u[i + 4], 0x31));
    }
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
    __m128 r0 = _mm_loadu_ps(src), r1 = _mm_loadu_ps(src + srcStride);
    __m128 r2 = _mm_loadu_ps(src + 2 * srcStride), r3 = _mm_loadu_ps(src + 3 * srcStride);
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
    _mm_storeu_ps(dst, r0);
    _mm_storeu_ps(dst + dstStride, r1);
    _mm_storeu_ps(dst + 2 * dstStride, r2);
    _mm_storeu_ps(dst + 3 * dstStride, r3);
  }
};

}  // namespace
