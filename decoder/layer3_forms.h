// The processor forms of the Layer III routines (decoder_forms.h) and their shared kernels.
// The plain forms are the reference; the SSE2 and AVX2 forms exist only on x86-64 and are
// chosen by SelectCpuRoutines after the feature check.
#pragma once

#include <cstdint>

struct TMPLayer3State;

// Layer III hybrid filterbank of one channel; returns the lines whose overlap may be nonzero.
// The state gives the stream's sub-band limits and the scratch.
using THybridFilterRoutine = int32_t (*)(TMPLayer3State& st, float* spectrum, float* overlap, float* samples,
                                         int32_t blockType, int32_t longLines, int32_t lines,
                                         int32_t previousLines);
using TImdctRoutine = void (*)(float* values);  // 18 values, in place
using TAliasReduceRoutine = void (*)(float* spectrum, int32_t boundaries);

// Added to a HybridFilter block type when the granule's mixed flag is set: its lowest
// sub-bands (the long part of a mixed block) use the normal window whatever the block type.
constexpr int32_t kMixedWindowFlag = 4;

// Mid/side stereo (a Layer III routine of its own): (L, R) = (L + R, L - R) for the first `lines`
// lines of the left spectrum and the right one kRightChannelOffset after it; the 1/sqrt(2) is in
// both gains already.
using TMidSideRoutine = void (*)(float* left, int32_t lines);

void MidSideStereoPlain(float* left, int32_t lines);
void AliasReducePlain(float* spectrum, int32_t boundaries);
void ImdctLongPlain(float* values);
void ImdctShortPlain(float* values);
int32_t HybridFilterPlain(TMPLayer3State& st, float* spectrum, float* overlap, float* samples,
                          int32_t blockType, int32_t longLines, int32_t lines, int32_t previousLines);

#if defined(VARO_X86)
void AliasReduceSse2(float* spectrum, int32_t boundaries);
void ImdctLongSse2(float* values);
void ImdctShortSse2(float* values);
int32_t HybridFilterSse2(TMPLayer3State& st, float* spectrum, float* overlap, float* samples,
                         int32_t blockType, int32_t longLines, int32_t lines, int32_t previousLines);

void MidSideStereoAvx2(float* left, int32_t lines);
void AliasReduceAvx2(float* spectrum, int32_t boundaries);
void ImdctLongAvx2(float* values);
void ImdctShortAvx2(float* values);
int32_t HybridFilterAvx2(TMPLayer3State& st, float* spectrum, float* overlap, float* samples,
                         int32_t blockType, int32_t longLines, int32_t lines, int32_t previousLines);
#endif
