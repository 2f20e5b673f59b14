// The window step with SSE2: four output samples per vector, computed as two halves of 16
// samples to stay within the registers.
#include "simd_lanes_sse2.h"
#include "window_lanes.h"

void WindowMonoSse2(const float* ring, int32_t pos, const float* window, int16_t* out) {
  WindowMonoLanes<TLane4, TSamples8>(ring, pos, window, out);
}

void WindowStereoSse2(const float* ring, int32_t pos, const float* window, int16_t* out) {
  WindowStereoLanes<TLane4, TSamples8>(ring, pos, window, out);
}

void WindowPairsSse2(TSynthesisState& state, const float* dct, const float* heads, int32_t count,
                     int16_t* out) {
  WindowPairsLanes<TLane4, TSamples8>(state, dct, heads, count, out);
}
