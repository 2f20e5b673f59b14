// Layer III requantisation: the factor of every line from the global gain, scalefactors and
// subblock gains (the Huffman decoder applies them), and the spectrum's band extent.
#pragma once

#include <cstdint>

#include "layer3_state.h"

// The factor of each line in coded order (short bands window by window) for whole bands covering
// the first `lines` lines; factors holds kGranuleLines + 8 values.
void LineFactors(const TMPLayer3State& st, const TMPScaleFactors& sf, const TMPGranuleInfo& gi,
                 float* factors, int32_t lines);

// The band extent of the requantised values of x up to `count` lines (short bands interleaved,
// zero above the count); count becomes the end of the short band reaching it for granules with a
// short part.
void SpectrumExtent(const TMPLayer3State& st, const float* x, int32_t& count, const TMPGranuleInfo& gi,
                    TMPBandExtent& extent);
