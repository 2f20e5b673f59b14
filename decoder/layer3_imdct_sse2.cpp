// IMDCT slot kernels, SSE2 form: the DCT-IVs as matrix products, four outputs per vector.
#include <emmintrin.h>

#include "layer3_forms.h"
#include "layer3_tables.h"

void ImdctLongSse2(float* v) {
  __m128 acc[5];
  for (__m128& a : acc) a = _mm_setzero_ps();
  for (int k = 0; k < 18; ++k) {
    const __m128 x = _mm_set1_ps(v[k]);
    const float* row = Layer3Tables.ImdctLongMatrix[k];
    for (int i = 0; i < 5; ++i) acc[i] = _mm_add_ps(acc[i], _mm_mul_ps(x, _mm_load_ps(row + 4 * i)));
  }
  for (int i = 0; i < 4; ++i) _mm_storeu_ps(v + 4 * i, acc[i]);
  _mm_storel_pi(reinterpret_cast<__m64*>(v + 16), acc[4]);
}

void ImdctShortSse2(float* v) {
  float u[24];
  for (int w = 0; w < 3; ++w) {
    __m128 low = _mm_setzero_ps();
    __m128 high = _mm_setzero_ps();
    for (int k = 0; k < 6; ++k) {
      const __m128 x = _mm_set1_ps(v[3 * k + w]);
      const float* row = Layer3Tables.ImdctShortMatrix[k];
      low = _mm_add_ps(low, _mm_mul_ps(x, _mm_load_ps(row)));
      high = _mm_add_ps(high, _mm_mul_ps(x, _mm_load_ps(row + 4)));
    }
    _mm_storeu_ps(u + 6 * w, low);
    _mm_storeu_ps(u + 6 * w + 4, high);
  }
  for (int i = 0; i < 18; ++i) v[i] = u[i];
}
