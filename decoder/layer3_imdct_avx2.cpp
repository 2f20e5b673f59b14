// IMDCT slot kernels, AVX2 form: the DCT-IVs as matrix products with fused multiply-add.
#include <immintrin.h>

#include "layer3_forms.h"
#include "layer3_tables.h"

void ImdctLongAvx2(float* v) {
  __m256 acc[3] = {_mm256_setzero_ps(), _mm256_setzero_ps(), _mm256_setzero_ps()};
  for (int k = 0; k < 18; ++k) {
    const __m256 x = _mm256_set1_ps(v[k]);
    const float* row = Layer3Tables.ImdctLongMatrix[k];
    for (int i = 0; i < 3; ++i) acc[i] = _mm256_fmadd_ps(x, _mm256_load_ps(row + 8 * i), acc[i]);
  }
  _mm256_storeu_ps(v, acc[0]);
  _mm256_storeu_ps(v + 8, acc[1]);
  _mm_storel_pi(reinterpret_cast<__m64*>(v + 16), _mm256_castps256_ps128(acc[2]));
}

void ImdctShortAvx2(float* v) {
  float u[24];
  for (int w = 0; w < 3; ++w) {
    __m256 acc = _mm256_setzero_ps();
    for (int k = 0; k < 6; ++k)
      acc = _mm256_fmadd_ps(_mm256_set1_ps(v[3 * k + w]),
                            _mm256_load_ps(Layer3Tables.ImdctShortMatrix[k]), acc);
    _mm256_storeu_ps(u + 6 * w, acc);
  }
  for (int i = 0; i < 18; ++i) v[i] = u[i];
}
