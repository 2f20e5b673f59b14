// Mid/side stereo, AVX2 form: eight lines of both channels per step.
#include "layer3_forms.h"
#include "layer3_stereo.h"
#include "simd_lanes_avx2.h"

void MidSideStereoAvx2(float* left, int32_t lines) {
  float* right = left + kRightChannelOffset;
  int32_t i = 0;
  for (; i + 8 <= lines; i += 8) {
    const TLane8 l = TLane8::Load(left + i);
    const TLane8 r = TLane8::Load(right + i);
    (l + r).Store(left + i);
    (l - r).Store(right + i);
  }
  MidSideStereoPlain(left + i, lines - i);
}
