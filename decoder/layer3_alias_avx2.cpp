// Alias reduction, AVX2 form: the eight butterflies of a boundary in one vector.
#include <immintrin.h>

#include "layer3_forms.h"
#include "layer3_tables.h"

void AliasReduceAvx2(float* x, int32_t boundaries) {
  const __m256i reverse = _mm256_setr_epi32(7, 6, 5, 4, 3, 2, 1, 0);
  const __m256 cs = _mm256_loadu_ps(Layer3Tables.AliasCs);
  const __m256 ca = _mm256_loadu_ps(Layer3Tables.AliasCa);
  for (int32_t k = 0; k < boundaries; ++k) {
    // Lower lines 17 - j (lines 10..17 reversed) and upper lines 18 + j of butterfly j.
    float* lowerAt = x + 18 * k + 10;
    float* upperAt = x + 18 * k + 18;
    const __m256 lower = _mm256_permutevar8x32_ps(_mm256_loadu_ps(lowerAt), reverse);
    const __m256 upper = _mm256_loadu_ps(upperAt);
    const __m256 newLower = _mm256_fmsub_ps(lower, cs, _mm256_mul_ps(upper, ca));
    const __m256 newUpper = _mm256_fmadd_ps(lower, ca, _mm256_mul_ps(upper, cs));
    _mm256_storeu_ps(lowerAt, _mm256_permutevar8x32_ps(newLower, reverse));
    _mm256_storeu_ps(upperAt, newUpper);
  }
}
