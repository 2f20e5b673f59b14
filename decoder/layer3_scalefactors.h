// Layer III scalefactors: the MPEG-1 form with sharing between granules and the MPEG-2/2.5 form
// with its packed lengths and intensity-stereo variant, read from the main-data reader.
#pragma once

#include <cstdint>

#include "layer3_state.h"

// granule0: the same channel's scalefactors of granule 0, which Scfsi copies into granule 1.
void ReadScaleFactorsMpeg1(TMPBitReader& bits, TMPScaleFactors& sf, const TMPScaleFactors& granule0,
                           const TMPGranuleInfo& gi, int32_t scfsi, int32_t gr);

// Sets gi.Preflag; for the right channel of an intensity-stereo frame also fills intensity.
void ReadScaleFactorsLsf(TMPBitReader& bits, TMPScaleFactors& sf, TMPGranuleInfo& gi, bool rightIntensity,
                         TMPLsfIntensity& intensity);
