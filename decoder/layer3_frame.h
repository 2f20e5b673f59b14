// Layer III frames: sync check, side information, the bit reservoir and the granules.
#pragma once

#include <cstdint>

#include "layer3_state.h"

// Whole frames of MPEG-1 (two granules) and MPEG-2/2.5 (one granule, slots alternating by
// GranuleParity). (0, 0) means the frame was rejected and nothing was written.
TMPDecodeResult DecodeLayer3FrameMpeg1(TMPLayer3State& st, TSynthesisState& synthesis, const uint8_t* frame,
                                       int32_t available, int16_t* output);
TMPDecodeResult DecodeLayer3FrameLsf(TMPLayer3State& st, TSynthesisState& synthesis, const uint8_t* frame,
                                     int32_t available, int16_t* output);
