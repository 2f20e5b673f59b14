// Storage shared by the layers (only one layer is open at a time): Layers I and II keep their
// 36 x 64 SubbandSamples here, Layer III its four 576-value spectrum/overlap buffers.
#pragma once

#include <cstdint>

constexpr int32_t kSampleStoreFloats = 2304;
extern float SampleStore[kSampleStoreFloats];
