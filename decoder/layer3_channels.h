// The four Layer III channel routines: hybrid filterbank, frequency inversion and synthesis of
// one granule for the output channels the stream was opened with.
#pragma once

#include <cstdint>

#include "layer3_state.h"

void Layer3OutStereo(TMPLayer3State& st, TSynthesisState& synthesis, int16_t* output, int32_t gr);
// Stereo for frames of two granules: granule 0 is only filtered, and both go through the
// synthesis with granule 1, into the output of granule 0 onwards (output - GranuleOutputOffset / 2).
void Layer3OutStereoFrame(TMPLayer3State& st, TSynthesisState& synthesis, int16_t* output, int32_t gr);
void Layer3OutLeft(TMPLayer3State& st, TSynthesisState& synthesis, int16_t* output, int32_t gr);
void Layer3OutRight(TMPLayer3State& st, TSynthesisState& synthesis, int16_t* output, int32_t gr);
void Layer3OutMix(TMPLayer3State& st, TSynthesisState& synthesis, int16_t* output, int32_t gr);

// left[i] += right[i] for i < lines.
void AddSpectrum(float* left, const float* right, int32_t lines);
