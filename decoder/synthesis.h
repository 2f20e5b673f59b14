// Polyphase synthesis: sub-band samples to rounded, clipped 16-bit PCM through a 32-point DCT,
// a ring of the last 16 DCT results per channel and the window step of the routine slots.
#pragma once

#include <cstdint>

// Builds the DCT coefficients on the first call; clears both rings and positions every call.
void ResetSynthesis();

// Layer I/II output routines: `samples` holds `slots` rows of 64 floats (two-channel rows are
// interleaved sub-band x 2 + channel); 32 samples (mono) or 32 pairs (stereo) per slot.
using TSubbandOutput = void (*)(const float* samples, int16_t* out, int32_t slots);
void SynthesizeMono(const float* samples, int16_t* out, int32_t slots);
void SynthesizeStereo(const float* samples, int16_t* out, int32_t slots);
void SynthesizeMix(const float* samples, int16_t* out, int32_t slots);
void SynthesizeLeft(const float* samples, int16_t* out, int32_t slots);
void SynthesizeRight(const float* samples, int16_t* out, int32_t slots);

// Layer III output routines: 18 rows of 32 floats of one channel. Mono writes 32 samples per
// slot contiguously; Channel writes every other sample, channel 1 starting at out + 1, each
// channel with its own ring and position.
using TGranuleOutput = void (*)(const float* samples, int16_t* out, int32_t channel);
void SynthesizeGranuleMono(const float* samples, int16_t* out, int32_t channel);
void SynthesizeGranuleChannel(const float* samples, int16_t* out, int32_t channel);
