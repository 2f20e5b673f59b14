// The synthesis history of one decoder: per channel a ring of the last 16 DCT results (32
// values each) and the ring position of the newest one.
#pragma once

#include <cstdint>
#include <cstring>

constexpr int32_t kSynthRingSize = 512;

// After each slot a channel's position steps to (pos - 32) & 511, so the slot produced s slots
// before the newest sits at (pos + 32 s) & 511.
constexpr int32_t NextRingPos(int32_t pos) { return (pos - 32) & (kSynthRingSize - 1); }

// Each ring is stored twice over (values pos and pos + 512 alike), so that the 16 slots from
// any position on lie unbroken and the vector window forms need no wrap.
struct TSynthesisState {
  alignas(64) float Ring[2][2 * kSynthRingSize];
  int32_t Pos[2];
};

// The 32 values of src as the ring's slot at pos, in both copies.
inline void StoreRingSlot(float* ring, int32_t pos, const float* src) {
  std::memcpy(ring + pos, src, 32 * sizeof(float));
  std::memcpy(ring + pos + kSynthRingSize, src, 32 * sizeof(float));
}
