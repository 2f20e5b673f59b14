// The synthesis history of one decoder: per channel a ring of the last 16 DCT results, kept in
// the order the window reads them, and the ring position of the newest one.
#pragma once

#include <cstdint>
#include <cstring>

#include "synth_window.h"

struct TDecoderForms;
extern const TDecoderForms PlainDecoderForms;

// A slot of 32 DCT values x is kept as x[16 + j] then x[16 - j] for j = 0..15: output samples j
// and 32 - j weigh exactly these two values, so the window reads both runs forwards. x[0], the
// one value left (it only feeds sample 16), goes to the slot's place in a ring of 16 heads.
constexpr int32_t kSynthSlotSize = 32;
constexpr int32_t kSynthRingSize = 16 * kSynthSlotSize;
// Floats per channel: the ring twice over, then the heads twice over.
constexpr int32_t kSynthHeads = 2 * kSynthRingSize;
constexpr int32_t kSynthChannelSize = kSynthHeads + 2 * 16;

// After each slot a channel's position steps to (pos - 32) & 511, so the slot produced s slots
// before the newest sits at (pos + 32 s) & 511, its head at (pos / 32 + s) & 15.
constexpr int32_t NextRingPos(int32_t pos) { return (pos - kSynthSlotSize) & (kSynthRingSize - 1); }

// Ring and heads are each stored twice over (values i and i + 512, heads h and h + 16 alike), so
// that the 16 slots from any position on lie unbroken and the vector window forms need no wrap.
// Forms and Window are the decoder state's choice (UseDecoderForms), kept where the window
// steps read them.
struct TSynthesisState {
  alignas(64) float Ring[2][kSynthChannelSize];
  int32_t Pos[2];
  const TDecoderForms* Forms = &PlainDecoderForms;
  const float* Window = SynthWindow[0].data();  // in the layout of Forms' window step
};

// The DCT value at place p of a slot in ring order: x[16 + p], then x[16 - (p - 16)].
constexpr int32_t RingOrderValue(int32_t p) { return p < 16 ? 16 + p : 32 - p; }

// A slot already in ring order (its 32 places, and x[0] as head) as the ring's slot at pos, in
// both copies.
inline void StoreRingSlot(float* ring, int32_t pos, const float* slot, float head) {
  std::memcpy(ring + pos, slot, kSynthSlotSize * sizeof(float));
  std::memcpy(ring + pos + kSynthRingSize, slot, kSynthSlotSize * sizeof(float));
  float* heads = ring + kSynthHeads;
  heads[pos / kSynthSlotSize] = heads[pos / kSynthSlotSize + 16] = head;
}
