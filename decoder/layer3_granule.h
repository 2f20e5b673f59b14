// One granule of every channel: the main data part of each channel (scalefactors, Huffman
// regions, line limits) and then the float pipeline up to the channel routine.
#pragma once

#include <cstdint>

#include "layer3_state.h"

// Reads the part of granule gr, channel ch at the reservoir bit position (which moves on by the
// part's length): scalefactors and spectrum with its line count, lines above the
// limits cleared, and the whole part cleared when its data overruns or lies past the reservoir.
// The spectrum is stored requantised, short bands with their windows interleaved.
void DecodeGranulePart(TMPLayer3State& st, int32_t gr, int32_t ch);

// Decodes granule gr from the reservoir bit position and hands it to ChannelRoutine.
void DecodeGranule(TMPLayer3State& st, TSynthesisState& synthesis, int16_t* output, int32_t gr);

// Boundaries between sub-bands that alias reduction crosses in a requantised granule: none for
// pure short blocks, the first one for a mixed block, else those below the count. Raises count
// to cover the lines it changes.
int32_t AliasBoundaries(const TMPBandExtent& extent, int32_t& count);

// x[i] *= LineGains[i] for i < lines.
void ApplyLineGains(float* x, int32_t lines);
