// The 4 x 4 float transpose of SSE registers, shared by the SSE2 and AVX2 lane types. Include
// only from the lane headers (internal linkage: each form gets its own copy).
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

}  // namespace
