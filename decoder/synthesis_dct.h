// The 32-point DCT of the synthesis: X[i] = sum over k of S[k] cos(i pi (2k + 1) / 64),
// unnormalised, written to the 32 ring values at dest.
#pragma once

#include <cstdint>

// Butterfly factors 0.5 / cos(pi (2j + 1) / 4n) for n = 16, 8, 4, 2, 1; built by
// BuildDctCoefficients (ResetSynthesis calls it).
extern float DctCoefficients[31];
void BuildDctCoefficients();

// S[k] = input[k * stride], stride 1 or 2.
void SubbandDct(const float* input, int32_t stride, float* dest);

// The sub-band gains as they stood when a block of slots began (null gains: equalizer off).
struct TSubbandGains {
  const float* Gains;
  float Values[32];
};
void TakeSubbandGains(TSubbandGains& snapshot);

// SubbandDct of the samples times their sub-band gains (both channels of an interleaved row
// use the same gain); plain SubbandDct when the equalizer is off.
void EqualizedDct(const float* input, int32_t stride, float* dest, const TSubbandGains& gains);

// SubbandDct of (left + right) / 2 from an interleaved two-channel row; no gains.
void MixDct(const float* row, float* dest);
