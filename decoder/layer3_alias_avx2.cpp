// Alias reduction, AVX2 form: the eight butterflies of a boundary in one vector.
#include "layer3_alias_lanes.h"
#include "layer3_forms.h"
#include "simd_lanes_avx2.h"

void AliasReduceAvx2(float* x, int32_t boundaries) { AliasReduceLanes<TLane8>(x, boundaries); }
