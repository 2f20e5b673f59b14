// The processor forms of the synthesis window step (the WindowMono/WindowStereo slots).
// Every form computes the 32 samples of the slot whose DCT result is at ring position pos of a
// doubled ring (TSynthesisState::Ring's layout: 1024 values, the upper half repeating the lower); Mono
// writes out[0..31], Stereo out[0], out[2], ... out[62].
#pragma once

#include <cstdint>

void WindowMonoPlain(const float* ring, int32_t pos, int16_t* out);
void WindowStereoPlain(const float* ring, int32_t pos, int16_t* out);

#if defined(VARO_X86)
void WindowMonoSse2(const float* ring, int32_t pos, int16_t* out);
void WindowStereoSse2(const float* ring, int32_t pos, int16_t* out);
void WindowMonoAvx2(const float* ring, int32_t pos, int16_t* out);
void WindowStereoAvx2(const float* ring, int32_t pos, int16_t* out);
#endif
