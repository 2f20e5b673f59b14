// Hybrid filterbank, SSE2 form: four sub-bands per vector.
#include "layer3_forms.h"
#include "layer3_hybrid_lanes.h"
#include "simd_lanes_sse2.h"

int32_t HybridFilterSse2(TMPLayer3State& st, float* x, float* o, float* out, int32_t blockType,
                         int32_t longLines, int32_t lines, int32_t previousLines) {
  return HybridFilterLanes<TLane4, TLane1>(st, x, o, out, blockType, longLines, lines, previousLines);
}
