// Requantisation of the long bands, AVX2 form: eight lines per step through a gather from the
// power table by magnitude, the sign put back afterwards. A step holding a value no code table
// can give takes the plain path.
#include "layer3_forms.h"
#include "layer3_requantize.h"
#include "layer3_state.h"
#include "layer3_tables.h"
#include "simd_lanes_avx2.h"

void DequantizeLinesAvx2(float* x, const float* factors, int32_t lines) {
  const float* power = Layer3Tables.PowerLarge;
  int32_t i = 0;
  for (; i + 8 <= lines; i += 8) {
    const TIndex8 v = TIndex8::LoadBits(x + i);
    const TIndex8 magnitude = v.Abs();
    if (magnitude.AnyAbove(kLargestQuantized)) {
      DequantizeLinesPlain(x + i, factors + i, 8);
      continue;
    }
    (WithSignOf(Gather(power, magnitude), v) * TLane8::Load(factors + i)).Store(x + i);
  }
  DequantizeLinesPlain(x + i, factors + i, lines - i);
}
