// The 4 x 4 float transpose of SSE registers and its two-column part, shared by the SSE2 and
// AVX2 lane types. Include only from the lane headers (internal linkage: each form gets its own
// copy).
#pragma once

#include <xmmintrin.h>

namespace {

// dst[j * dstStride + i] = src[i * srcStride + j] for a 4 x 4 block.
inline void Transpose4x4(const float* src, int srcStride, float* dst, int dstStride) {
  __m128 r0 = _mm_loadu_ps(src), r1 = _mm_loadu_ps(src + srcStride);
  __m128 r2 = _mm_loadu_ps(src + 2 * srcStride), r3 = _mm_loadu_ps(src + 3 * srcStride);
  _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
  _mm_storeu_ps(dst, r0);
  _mm_storeu_ps(dst + dstStride, r1);
  _mm_storeu_ps(dst + 2 * dstStride, r2);
  _mm_storeu_ps(dst + 3 * dstStride, r3);
}

// dst[j * dstStride + i] = src[i * srcStride + j] for the first two columns of four rows.
inline void TransposeTwo4(const float* src, int srcStride, float* dst, int dstStride) {
  auto pairs = [&](int i) {  // (src[i][0], src[i][1], src[i + 1][0], src[i + 1][1])
    const __m128 low = _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(src + i * srcStride));
    return _mm_loadh_pi(low, reinterpret_cast<const __m64*>(src + (i + 1) * srcStride));
  };
  const __m128 a = pairs(0), b = pairs(2);
  _mm_storeu_ps(dst, _mm_shuffle_ps(a, b, 0x88));
  _mm_storeu_ps(dst + dstStride, _mm_shuffle_ps(a, b, 0xDD));
}

}  // namespace
