// The synthesis DCT with AVX2: eight slots per vector, four in the last block of a run.
#include "layer3_lanes_avx2.h"
#include "synthesis_dct_lanes.h"

namespace {

// The 8 x 8 transpose written out, so that it stays in registers (the DCT runs eight of them
// per eight slots).
template <>
[[gnu::always_inline]] inline void DctTranspose<TLane8>(const float* src, int32_t srcStride, float* dst,
                                                         int32_t dstStride) {
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

}  // namespace

void SubbandDctAvx2(const float* rows, int32_t rowSize, TDctRows layout, int32_t slots, const float* gains,
                    float* dest) {
  DctSlotsLanes<TLane8, 8, TLane4, 4>(rows, rowSize, layout, slots, gains, dest);
}
