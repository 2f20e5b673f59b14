// IMDCT slot kernels, AVX2 form: eight outputs per vector with fused multiply-add.
#include "layer3_forms.h"
#include "layer3_imdct_lanes.h"
#include "simd_lanes_avx2.h"

void ImdctLongAvx2(float* v) { ImdctLongSlotLanes<TLane8>(v); }

void ImdctShortAvx2(float* v) { ImdctShortSlotLanes<TLane8>(v); }
