// The synthesis history: per channel a ring of the last 16 DCT results (32 values each) and
// the ring position of the newest one.
#pragma once

#include <cstdint>

constexpr int32_t kSynthRingSize = 512;

// After each slot a channel's position steps to (pos - 32) & 511, so the slot produced s slots
// before the newest sits at (pos + 32 s) & 511.
constexpr int32_t NextRingPos(int32_t pos) { return (pos - 32) & (kSynthRingSize - 1); }

extern float SynthRing[2][kSynthRingSize];
extern int32_t SynthPos[2];
