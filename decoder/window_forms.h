// The processor forms of the synthesis window step (WindowMono, WindowStereo, WindowPairs).
// Every form computes the 32 samples of the slot whose DCT result is at ring position pos of a
// channel's ring in TSynthesisState::Ring's layout (synthesis_state.h); Mono writes out[0..31],
// Stereo out[0], out[2], ... out[62].
#pragma once

#include <cstdint>

#include "synthesis_state.h"

// The window weighs the slot with `window`, the synthesis window in the form's layout
// (synth_window.h) and the state's polarity.
using TWindowRoutine = void (*)(const float* ring, int32_t pos, const float* window, int16_t* out);
// Both channels of `count` slots: the DCT results in ring order, channel c's slot r at
// dct[32 (c count + r)] with its head at heads[c count + r], into the channels' rings (whose
// positions step on), each slot's two windows interleaved into out[64 r ..], weighed with the
// state's Window. Chosen together with WindowMono.
using TWindowPairsRoutine = void (*)(TSynthesisState& state, const float* dct, const float* heads,
                                     int32_t count, int16_t* out);

void WindowMonoPlain(const float* ring, int32_t pos, const float* window, int16_t* out);
void WindowStereoPlain(const float* ring, int32_t pos, const float* window, int16_t* out);
void WindowPairsPlain(TSynthesisState& state, const float* dct, const float* heads, int32_t count,
                      int16_t* out);

#if defined(VARO_X86)
void WindowMonoSse2(const float* ring, int32_t pos, const float* window, int16_t* out);
void WindowStereoSse2(const float* ring, int32_t pos, const float* window, int16_t* out);
void WindowPairsSse2(TSynthesisState& state, const float* dct, const float* heads, int32_t count,
                     int16_t* out);
void WindowMonoAvx2(const float* ring, int32_t pos, const float* window, int16_t* out);
void WindowStereoAvx2(const float* ring, int32_t pos, const float* window, int16_t* out);
void WindowPairsAvx2(TSynthesisState& state, const float* dct, const float* heads, int32_t count,
                     int16_t* out);
#endif

namespace {

// The slot loop of the WindowPairs forms, compiled for the instruction set of the form that
// includes it (internal linkage); pair(slot0, slot1, head0, head1, ring0, pos0, ring1, pos1, out)
// stores one slot of both channels into their rings and windows it.
template <class Pair>
[[gnu::always_inline]] inline void WindowPairsWith(TSynthesisState& state, const float* dct,
                                                   const float* heads, int32_t count, int16_t* out,
                                                   Pair pair) {
  int32_t pos0 = state.Pos[0], pos1 = state.Pos[1];
  const float* dct1 = dct + 32 * count;
  for (int32_t r = 0; r < count; ++r) {
    pair(dct + 32 * r, dct1 + 32 * r, heads[r], heads[count + r], state.Ring[0], pos0, state.Ring[1], pos1,
         out + 64 * r);
    pos0 = NextRingPos(pos0);
    pos1 = NextRingPos(pos1);
  }
  state.Pos[0] = pos0;
  state.Pos[1] = pos1;
}

}  // namespace
