// Requantisation of the long bands, AVX2 form: eight lines per step through a gather from the
// small-value power table; steps holding a value outside -32..31 take the plain path.
#include <immintrin.h>

#include "layer3_forms.h"
#include "layer3_requantize.h"
#include "layer3_state.h"
#include "layer3_tables.h"

void DequantizeLinesAvx2(float* x, const float* factors, int32_t lines) {
  const float* power = Layer3Tables.Power;
  const __m256i bias = _mm256_set1_epi32(32);
  int32_t i = 0;
  for (; i + 8 <= lines; i += 8) {
    const __m256i index = _mm256_add_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(x + i)), bias);
    // 0 <= index < 64 exactly when no bit above the lowest six is set.
    if (!_mm256_testz_si256(index, _mm256_set1_epi32(~63))) {
      DequantizeLinesPlain(x + i, factors + i, 8);
      continue;
    }
    const __m256 value = _mm256_i32gather_ps(power, index, 4);
    _mm256_storeu_ps(x + i, _mm256_mul_ps(value, _mm256_loadu_ps(factors + i)));
  }
  DequantizeLinesPlain(x + i, factors + i, lines - i);
}
