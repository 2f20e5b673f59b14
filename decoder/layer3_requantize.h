// Layer III requantisation: integer spectra to float spectra with the global gain, scalefactors
// and subblock gains; short bands are reordered so the three windows interleave line by line.
#pragma once

#include <cstdint>

#include "layer3_state.h"

// Works in place on the 576 values of x up to `count` lines; count becomes the end of the last
// band processed for granules with a short part. Fills extent. The state gives the stream's
// bands and the scratch for the reordering.
void Requantize(TMPLayer3State& st, float* x, int32_t& count, const TMPScaleFactors& sf,
                const TMPGranuleInfo& gi, TMPBandExtent& extent);

// Sign times |v|^(4/3) times factor for a quantised value outside -32..31 (the slow path of every
// DequantizeLines form).
float DequantizeLarge(int32_t v, float factor);
