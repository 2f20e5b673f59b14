// IMDCT slot kernels, SSE2 form: four outputs per vector.
#include "layer3_forms.h"
#include "layer3_imdct_lanes.h"
#include "simd_lanes_sse2.h"

void ImdctLongSse2(float* v) { ImdctLongSlotLanes<TLane4>(v); }

void ImdctShortSse2(float* v) { ImdctShortSlotLanes<TLane4>(v); }
