// Requantisation of the long bands, AVX2 form: eight lines per step through a gather from the
// small-value power table; steps holding a value outside -32..31 take the plain path.
#include "layer3_forms.h"
#include "layer3_requantize.h"
#include "layer3_state.h"
#include "layer3_tables.h"
#include "simd_lanes_avx2.h"

void DequantizeLinesAvx2(float* x, const float* factors, int32_t lines) {
  const float* power = Layer3Tables.Power;
  const TIndex8 bias = TIndex8::Set(32);
  int32_t i = 0;
  for (; i + 8 <= lines; i += 8) {
    const TIndex8 index = TIndex8::LoadBits(x + i) + bias;
    // 0 <= index < 64 exactly when no bit above the lowest six is set.
    if (index.AnyBits(TIndex8::Set(~63))) {
      DequantizeLinesPlain(x + i, factors + i, 8);
      continue;
    }
    (Gather(power, index) * TLane8::Load(factors + i)).Store(x + i);
  }
  DequantizeLinesPlain(x + i, factors + i, lines - i);
}
