// The 32-point DCT of the synthesis: X[i] = sum over k of S[k] cos(i pi (2k + 1) / 64),
// unnormalised, written to the 32 ring values at dest.
#pragma once

#include <cstdint>

// Butterfly factors 0.5 / cos(pi (2j + 1) / 4n) for n = 16, 8, 4, 2, 1; built by
// BuildDctCoefficients (ResetSynthesis calls it).
extern float DctCoefficients[31];
void BuildDctCoefficients();

// S[k] = input[k * stride], stride 1 or 2; through the form chosen by SelectCpuRoutines.
void SubbandDct(const float* input, int32_t stride, float* dest);

// Processor forms of the DCT. The plain form is the butterfly factorisation; the vector forms
// split the inputs into mirrored sums and differences and multiply them by two 16 x 16 cosine
// matrices: X[2j] = sum g[k] cos(j pi (2k + 1) / 32), X[2j + 1] = sum d[k] cos((2j + 1) pi (2k + 1) / 64)
// with g[k] = S[k] + S[31 - k], d[k] = S[k] - S[31 - k].
using TDctRoutine = void (*)(const float* input, int32_t stride, float* dest);
extern TDctRoutine SubbandDctForm;
void SubbandDctPlain(const float* input, int32_t stride, float* dest);
#if defined(VARO_X86)
void SubbandDctSse2(const float* input, int32_t stride, float* dest);
void SubbandDctAvx2(const float* input, int32_t stride, float* dest);
#endif

// The two cosine matrices of the vector forms, row k holding the 16 outputs' factors for input
// k; built by BuildDctCoefficients.
extern float DctEvenMatrix[16][16];
extern float DctOddMatrix[16][16];

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
