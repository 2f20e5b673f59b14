// Sample storage shared by the layer decoders. Aligned for the vector forms of the loops over it.
#include "sample_store.h"

alignas(64) float SampleStore[kSampleStoreFloats];
