// The four Layer III channel routines: hybrid filterbank, frequency inversion and synthesis of
// one granule for the output channels the stream was opened with.
#pragma once

#include <cstdint>

void Layer3OutStereo(int16_t* output, int32_t gr);
void Layer3OutLeft(int16_t* output, int32_t gr);
void Layer3OutRight(int16_t* output, int32_t gr);
void Layer3OutMix(int16_t* output, int32_t gr);

// left[i] += right[i] for i < lines.
void AddSpectrum(float* left, const float* right, int32_t lines);
