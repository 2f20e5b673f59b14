// The window step with AVX2 and FMA: eight output samples per vector, fused multiply-adds.
#include "simd_lanes_avx2.h"
#include "window_lanes.h"

void WindowMonoAvx2(const float* ring, int32_t pos, const float* window, int16_t* out) {
  WindowMonoLanes<TLane8, TSamples16>(ring, pos, window, out);
}

void WindowStereoAvx2(const float* ring, int32_t pos, const float* window, int16_t* out) {
  WindowStereoLanes<TLane8, TSamples16>(ring, pos, window, out);
}

void WindowPairsAvx2(TSynthesisState& state, const float* dct, const float* heads, int32_t count,
                     int16_t* out) {
  WindowPairsLanes<TLane8, TSamples16>(state, dct, heads, count, out);
}
