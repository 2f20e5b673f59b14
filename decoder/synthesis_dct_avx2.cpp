// The synthesis DCT with AVX2: eight slots per vector; the last block of a run is moved back to
// end at the last slot, which took less time than a four-slot block.
#include "simd_lanes_avx2.h"
#include "synthesis_dct_lanes.h"

void SubbandDctAvx2(const float* rows, int32_t rowSize, TDctRows layout, int32_t slots, const float* gains,
                    float* dest, float* heads) {
  DctSlotsLanes<TLane8, 8, TLane8, 8>(rows, rowSize, layout, slots, gains, dest, heads);
}
