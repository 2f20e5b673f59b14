// Alias reduction, SSE2 form: the eight butterflies of a boundary as two vectors of four.
#include <emmintrin.h>

#include "layer3_forms.h"
#include "layer3_tables.h"

namespace {

inline __m128 Reversed(__m128 v) { return _mm_shuffle_ps(v, v, _MM_SHUFFLE(0, 1, 2, 3)); }

}  // namespace

void AliasReduceSse2(float* x, int32_t boundaries) {
  const float* cs = Layer3Tables.AliasCs;
  const float* ca = Layer3Tables.AliasCa;
  for (int half = 0; half < 2; ++half) {
    // Butterflies j = 4 half .. 4 half + 3: lower lines 17 - j (loaded upwards, reversed),
    // upper lines 18 + j.
    const __m128 c = _mm_loadu_ps(cs + 4 * half);
    const __m128 a = _mm_loadu_ps(ca + 4 * half);
    for (int32_t k = 0; k < boundaries; ++k) {
      float* lowerAt = x + 18 * k + 14 - 4 * half;
      float* upperAt = x + 18 * k + 18 + 4 * half;
      const __m128 lower = Reversed(_mm_loadu_ps(lowerAt));
      const __m128 upper = _mm_loadu_ps(upperAt);
      const __m128 newLower = _mm_sub_ps(_mm_mul_ps(lower, c), _mm_mul_ps(upper, a));
      const __m128 newUpper = _mm_add_ps(_mm_mul_ps(upper, c), _mm_mul_ps(lower, a));
      _mm_storeu_ps(lowerAt, Reversed(newLower));
      _mm_storeu_ps(upperAt, newUpper);
    }
  }
}
