// The synthesis DCT with SSE2: mirrored sums and differences, then four outputs per vector
// through the two cosine matrices.
#include <emmintrin.h>

#include "synthesis_dct.h"

namespace {

__m128 Reverse(__m128 v) { return _mm_shuffle_ps(v, v, _MM_SHUFFLE(0, 1, 2, 3)); }

}  // namespace

void SubbandDctSse2(const float* input, int32_t stride, float* dest) {
  __m128 s[8];
  for (int32_t q = 0; q < 8; ++q) {
    if (stride == 1) {
      s[q] = _mm_loadu_ps(input + 4 * q);
    } else {
      // Even elements of input[8q .. 8q + 6]; nothing past the last one is read (channel 1 of the
      // last row ends there).
      s[q] = _mm_shuffle_ps(_mm_loadu_ps(input + 8 * q), _mm_loadu_ps(input + 8 * q + 3), _MM_SHUFFLE(3, 1, 2, 0));
    }
  }
  alignas(16) float g[16], d[16];
  for (int32_t q = 0; q < 4; ++q) {
    const __m128 top = Reverse(s[7 - q]);
    _mm_store_ps(g + 4 * q, _mm_add_ps(s[q], top));
    _mm_store_ps(d + 4 * q, _mm_sub_ps(s[q], top));
  }

  __m128 e[4], o[4];
  for (int32_t q = 0; q < 4; ++q) e[q] = o[q] = _mm_setzero_ps();
  for (int32_t k = 0; k < 16; ++k) {
    const __m128 gk = _mm_set1_ps(g[k]), dk = _mm_set1_ps(d[k]);
    for (int32_t q = 0; q < 4; ++q) {
      e[q] = _mm_add_ps(e[q], _mm_mul_ps(gk, _mm_load_ps(DctEvenMatrix[k] + 4 * q)));
      o[q] = _mm_add_ps(o[q], _mm_mul_ps(dk, _mm_load_ps(DctOddMatrix[k] + 4 * q)));
    }
  }
  for (int32_t q = 0; q < 4; ++q) {
    _mm_storeu_ps(dest + 8 * q, _mm_unpacklo_ps(e[q], o[q]));
    _mm_storeu_ps(dest + 8 * q + 4, _mm_unpackhi_ps(e[q], o[q]));
  }
}
