// Layer III requantisation: the factor of every line from the global gain, scalefactors and
// subblock gains (the Huffman decoder applies them), and the spectrum's band extent with short
// bands reordered so the three windows interleave line by line.
#pragma once

#include <cstdint>

#include "layer3_state.h"

// The factor of each line in coded order (short bands window by window) for whole bands covering
// the first `lines` lines; factors holds kGranuleLines + 8 values.
void LineFactors(const TMPLayer3State& st, const TMPScaleFactors& sf, const TMPGranuleInfo& gi,
                 float* factors, int32_t lines);

// Works in place on the requantised values of x up to `count` lines; count becomes the end of the
// last band processed for granules with a short part. Fills extent. The state gives the stream's
// bands and the scratch for the reordering.
void ArrangeSpectrum(TMPLayer3State& st, float* x, int32_t& count, const TMPGranuleInfo& gi,
                     TMPBandExtent& extent);
