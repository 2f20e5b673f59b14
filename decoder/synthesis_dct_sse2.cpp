// The synthesis DCT with SSE2: four slots per vector.
#include "simd_lanes_sse2.h"
#include "synthesis_dct_lanes.h"

void SubbandDctSse2(const float* rows, int32_t rowSize, TDctRows layout, int32_t slots, const float* gains,
                    float* dest, float* heads) {
  DctSlotsLanes<TLane4, 4, TLane4, 4>(rows, rowSize, layout, slots, gains, dest, heads);
}
