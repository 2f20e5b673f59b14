// The synthesis DCT with AVX2 and FMA: mirrored sums and differences, then eight outputs per
// vector through the two cosine matrices.
#include <immintrin.h>

#include "synthesis_dct.h"

namespace {

__m256 Reverse(__m256 v) { return _mm256_permutevar8x32_ps(v, _mm256_setr_epi32(7, 6, 5, 4, 3, 2, 1, 0)); }

// Even elements of 16 floats: a[0], a[2], ... a[14]. Reads a[0..14] only: channel 1 of the last
// row ends at a[14].
__m256 EvenOf(const float* a) {
  const __m256 lo = _mm256_loadu_ps(a), hi = _mm256_loadu_ps(a + 7);  // a[7..14]
  const __m256 picked = _mm256_shuffle_ps(lo, hi, _MM_SHUFFLE(3, 1, 2, 0));
  return _mm256_castpd_ps(_mm256_permute4x64_pd(_mm256_castps_pd(picked), _MM_SHUFFLE(3, 1, 2, 0)));
}

}  // namespace

void SubbandDctAvx2(const float* input, int32_t stride, float* dest) {
  __m256 s[4];
  for (int32_t q = 0; q < 4; ++q) s[q] = stride == 1 ? _mm256_loadu_ps(input + 8 * q) : EvenOf(input + 16 * q);
  alignas(32) float g[16], d[16];
  const __m256 top0 = Reverse(s[3]), top1 = Reverse(s[2]);
  _mm256_store_ps(g, _mm256_add_ps(s[0], top0));
  _mm256_store_ps(g + 8, _mm256_add_ps(s[1], top1));
  _mm256_store_ps(d, _mm256_sub_ps(s[0], top0));
  _mm256_store_ps(d + 8, _mm256_sub_ps(s[1], top1));

  __m256 e0 = _mm256_setzero_ps(), e1 = e0, o0 = e0, o1 = e0;
  for (int32_t k = 0; k < 16; ++k) {
    const __m256 gk = _mm256_broadcast_ss(g + k), dk = _mm256_broadcast_ss(d + k);
    e0 = _mm256_fmadd_ps(gk, _mm256_load_ps(DctEvenMatrix[k]), e0);
    e1 = _mm256_fmadd_ps(gk, _mm256_load_ps(DctEvenMatrix[k] + 8), e1);
    o0 = _mm256_fmadd_ps(dk, _mm256_load_ps(DctOddMatrix[k]), o0);
    o1 = _mm256_fmadd_ps(dk, _mm256_load_ps(DctOddMatrix[k] + 8), o1);
  }
  // Interleave even and odd outputs back into X[0..31].
  const __m256 lo0 = _mm256_unpacklo_ps(e0, o0), hi0 = _mm256_unpackhi_ps(e0, o0);
  const __m256 lo1 = _mm256_unpacklo_ps(e1, o1), hi1 = _mm256_unpackhi_ps(e1, o1);
  _mm256_storeu_ps(dest, _mm256_permute2f128_ps(lo0, hi0, 0x20));
  _mm256_storeu_ps(dest + 8, _mm256_permute2f128_ps(lo0, hi0, 0x31));
  _mm256_storeu_ps(dest + 16, _mm256_permute2f128_ps(lo1, hi1, 0x20));
  _mm256_storeu_ps(dest + 24, _mm256_permute2f128_ps(lo1, hi1, 0x31));
}
