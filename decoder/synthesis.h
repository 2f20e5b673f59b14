// Polyphase synthesis: sub-band samples to rounded, clipped 16-bit PCM through a 32-point DCT,
// a ring of the last 16 DCT results per channel and the window step of the routine slots.
#pragma once

#include <cstdint>

#include "synthesis_state.h"

// Clears both rings and positions.
void ResetSynthesis(TSynthesisState& state);

// Layer I/II output routines: `samples` holds `slots` rows of 64 floats (two-channel rows are
// interleaved sub-band x 2 + channel); 32 samples (mono) or 32 pairs (stereo) per slot.
using TSubbandOutput = void (*)(TSynthesisState& state, const float* samples, int16_t* out, int32_t slots);
void SynthesizeMono(TSynthesisState& state, const float* samples, int16_t* out, int32_t slots);
void SynthesizeStereo(TSynthesisState& state, const float* samples, int16_t* out, int32_t slots);
void SynthesizeMix(TSynthesisState& state, const float* samples, int16_t* out, int32_t slots);
void SynthesizeLeft(TSynthesisState& state, const float* samples, int16_t* out, int32_t slots);
void SynthesizeRight(TSynthesisState& state, const float* samples, int16_t* out, int32_t slots);

// Time slots of a Layer III granule.
constexpr int32_t kGranuleSlots = 18;

// Layer III output routines: 18 rows of 32 floats of one channel. Mono writes 32 samples per
// slot contiguously; Channel writes every other sample, channel 1 starting at out + 1, each
// channel with its own ring and position.
using TGranuleOutput = void (*)(TSynthesisState& state, const float* samples, int16_t* out, int32_t channel);
void SynthesizeGranuleMono(TSynthesisState& state, const float* samples, int16_t* out, int32_t channel);
void SynthesizeGranuleChannel(TSynthesisState& state, const float* samples, int16_t* out, int32_t channel);
// Both channels of `slots` time slots (kGranuleSlots, or twice that for both granules of a frame,
// the most it takes): channel 1's rows after channel 0's, 32 pairs per slot.
void SynthesizeGranuleStereo(TSynthesisState& state, const float* samples, int16_t* out, int32_t slots);
