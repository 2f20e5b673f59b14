// Placeholder until the Layer III decoder is in: Layer III streams are refused.
#include "layer3.h"

int32_t Layer3Open(const TMPFrameHeader&, int32_t, int32_t, int32_t, uint8_t, int32_t,
                   TMPOutputFormat&) {
  return 0;
}

TMPDecodeResult DecodeLayer3Frame(const uint8_t*, int32_t, void*) { return {0, 0}; }
