// Four-lane float vector for the SSE2 forms of the Layer III routines. Include only from
// *_sse2.cpp files (internal linkage: each file gets its own copy for its instruction set).
#pragma once

#include <emmintrin.h>
#include <xmmintrin.h>

namespace {

struct TLane4 {
  __m128 v;
  static TLane4 Load(const float* p) { return {_mm_loadu_ps(p)}; }
  void Store(float* p) const { _mm_storeu_ps(p, v); }
  static TLane4 Set(float f) { return {_mm_set1_ps(f)}; }
  friend TLane4 operator+(TLane4 a, TLane4 b) { return {_mm_add_ps(a.v, b.v)}; }
  friend TLane4 operator-(TLane4 a, TLane4 b) { return {_mm_sub_ps(a.v, b.v)}; }
  friend TLane4 operator*(TLane4 a, TLane4 b) { return {_mm_mul_ps(a.v, b.v)}; }
  friend TLane4 MulAdd(TLane4 a, TLane4 b, TLane4 c) { return {_mm_add_ps(_mm_mul_ps(a.v, b.v), c.v)}; }

  // dst[j * dstStride + i] = src[i * srcStride + j] for a 4 x 4 block.
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
