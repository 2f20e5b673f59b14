// Layer III joint stereo: mid/side and intensity stereo in their MPEG-1 and MPEG-2/2.5 forms.
// The right channel's spectrum lies 1152 values after the left one.
#pragma once

#include <cstdint>

#include "layer3_state.h"

constexpr int32_t kRightChannelOffset = 2 * kGranuleLines;

// extent: the pair {left, right} of the granule. Bands of the right channel above its last
// nonzero band (all bands when it has none; per window in short blocks) take the left channel's
// values scaled by the pair of the band's position; the top band, which has none, takes that of
// the band below it.
// The state gives the stream's band boundaries.
void IntensityStereoMpeg1(const TMPLayer3State& st, float* left, const TMPScaleFactors& right,
                          const TMPBandExtent* extent, int32_t leftCount, int32_t msStereo);
void IntensityStereoLsf(const TMPLayer3State& st, float* left, const TMPScaleFactors& right,
                        const TMPBandExtent* extent, int32_t leftCount, int32_t msStereo,
                        const TMPLsfIntensity& lsf);

// The whole stereo step of granule gr of a two-channel frame: M/S, intensity, common count.
void JointStereo(TMPLayer3State& st, int32_t gr);
