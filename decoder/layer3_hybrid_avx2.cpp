// Hybrid filterbank, AVX2 form: eight sub-bands per vector, four and one for the rest.
#include "layer3_forms.h"
#include "layer3_hybrid_lanes.h"
#include "simd_lanes_avx2.h"

int32_t HybridFilterAvx2(TMPLayer3State& st, float* x, float* o, float* out, int32_t blockType,
                         int32_t longLines, int32_t lines, int32_t previousLines) {
  return HybridFilterLanes<TLane8, TLane4, TLane1>(st, x, o, out, blockType, longLines, lines, previousLines);
}
