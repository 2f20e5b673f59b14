// Alias reduction, SSE2 form: the eight butterflies of a boundary as two vectors of four.
#include "layer3_alias_lanes.h"
#include "layer3_forms.h"
#include "simd_lanes_sse2.h"

void AliasReduceSse2(float* x, int32_t boundaries) { AliasReduceLanes<TLane4>(x, boundaries); }
