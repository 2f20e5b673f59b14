// Requantisation of the long bands, AVX2 form: eight lines per step through a lookup in the
// power table by magnitude, the sign put back afterwards. A step holding a value no code table
// can give takes the plain path.
#include "layer3_forms.h"
#include "layer3_requantize.h"
#include "layer3_state.h"
#include "layer3_tables.h"
#include "simd_lanes_avx2.h"

void DequantizeLinesAvx2(float* x, const float* factors, int32_t lines) {
  const float* power = Layer3Tables.PowerLarge;
  // Magnitudes below 32 (nearly all) are looked up in registers, the rest gathered.
  const TLane8 small[4] = {TLane8::Load(power), TLane8::Load(power + 8), TLane8::Load(power + 16),
                           TLane8::Load(power + 24)};
  int32_t i = 0;
  for (; i + 8 <= lines; i += 8) {
    const TIndex8 v = TIndex8::LoadBits(x + i);
    const TIndex8 magnitude = v.Abs();
    TLane8 p;
    if (!magnitude.AnyBits(TIndex8::Set(~31))) {
      p = Lookup32(small, magnitude);
    } else if (!magnitude.AnyAbove(kLargestQuantized)) {
      p = Gather(power, magnitude);
    } else {
      DequantizeLinesPlain(x + i, factors + i, 8);
      continue;
    }
    (WithSignOf(p, v) * TLane8::Load(factors + i)).Store(x + i);
  }
  DequantizeLinesPlain(x + i, factors + i, lines - i);
}
