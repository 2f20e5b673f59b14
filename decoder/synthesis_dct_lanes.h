// The synthesis DCT written once over a lane type, one time slot per lane: the butterfly
// factorisation (five stages over mirrored inputs) and the transposes into and out of lanes.
//
// Included only by the DCT forms (synthesis_dct.cpp, synthesis_dct_sse2.cpp,
// synthesis_dct_avx2.cpp), each with the lane types of its instruction set (simd_lanes_*.h):
// everything here has internal linkage, so every instantiation is compiled for the instruction
// set of the file that includes it. A lane type V of W lanes provides Load, Store, Set, +, -, *
// and Transpose of a W x W block.
#pragma once

#include <cstdint>

#include "simd_lanes_plain.h"
#include "synthesis_dct.h"
#include "synthesis_state.h"

namespace {

// One stage: sums and scaled differences of mirrored inputs, two half-size DCTs, then the even
// outputs are the sums' DCT and each odd output the sum of two neighbouring difference outputs.
template <class V, int32_t N>
[[gnu::always_inline]] inline void DctStageLanes(const V* x, V* out) {
  if constexpr (N == 1) {
    out[0] = x[0];
  } else {
    constexpr int32_t half = N / 2;
    const float(*c)[8] = DctCoefficients + DctCoefficientOffset(N);
    V sums[half], diffs[half];
#pragma GCC unroll 16
    for (int32_t k = 0; k < half; ++k) {
      const V a = x[k], b = x[N - 1 - k];
      sums[k] = a + b;
      diffs[k] = (a - b) * V::Load(c[k]);
    }
    V even[half], odd[half];
    DctStageLanes<V, half>(sums, even);
    DctStageLanes<V, half>(diffs, odd);
#pragma GCC unroll 16
    for (int32_t i = 0; i < half - 1; ++i) {
      out[2 * i] = even[i];
      out[2 * i + 1] = odd[i] + odd[i + 1];
    }
    out[N - 2] = even[half - 1];
    out[N - 1] = odd[half - 1];
  }
}

// The DCT of W slots whose column vectors (one slot per lane) are at cols + i * W: the inputs
// picked by Layout (Single: columns 0..31, Channel0/1: every other column, Mixed: the mean of
// neighbouring columns), the results in ring order transposed back to one slot per 32 values of
// dest, and X[0] of each slot into heads (one per lane as it stands). The columns are read where
// they lie, so that the first stage takes them straight from memory.
template <class V, int32_t W, TDctRows Layout>
[[gnu::always_inline]] inline void DctOfColumns(const float* cols, float* dest, float* heads) {
  V x[32];
#pragma GCC unroll 32
  for (int32_t k = 0; k < 32; ++k) {
    if constexpr (Layout == TDctRows::Single) {
      x[k] = V::Load(cols + k * W);
    } else if constexpr (Layout == TDctRows::Mixed) {
      x[k] = (V::Load(cols + 2 * k * W) + V::Load(cols + (2 * k + 1) * W)) * V::Set(0.5f);
    } else {
      x[k] = V::Load(cols + (2 * k + (Layout == TDctRows::Channel1)) * W);
    }
  }
  V y[32];
  DctStageLanes<V, 32>(x, y);
  y[0].Store(heads);
  if constexpr (W == 1) {
#pragma GCC unroll 32
    for (int32_t p = 0; p < 32; ++p) y[RingOrderValue(p)].Store(dest + p);
  } else {
    alignas(32) float results[32 * W];
#pragma GCC unroll 32
    for (int32_t p = 0; p < 32; ++p) y[RingOrderValue(p)].Store(results + p * W);
    for (int32_t p = 0; p < 32; p += W) V::Transpose(results + p * W, W, dest + p, 32);
  }
}

// W consecutive slots: their rows transposed so that column i is one vector (times the gain
// of its sub-band when there are gains), then the DCT of the layout's inputs into dest and heads
// (Both: channel 0 there, channel 1 into dest1 and heads1).
template <class V, int32_t W, TDctRows Layout>
void DctSlotBlock(const float* rows, int32_t rowSize, const float* gains, float* dest, float* heads,
                  float* dest1, float* heads1) {
  constexpr int32_t width = Layout == TDctRows::Single ? 32 : 64;
  const float* cols = rows;  // one lane: the row is its own column vector
  alignas(32) float columns[64 * W];
  if constexpr (W > 1) {
    for (int32_t i = 0; i < width; i += W) V::Transpose(rows + i, rowSize, columns + i * W, W);
    cols = columns;
  }
  if (gains) {
    // Two-channel rows hold sub-band k at columns 2k and 2k + 1.
    constexpr int32_t shift = width == 64 ? 1 : 0;
    for (int32_t i = 0; i < width; ++i)
      (V::Load(cols + i * W) * V::Set(gains[i >> shift])).Store(columns + i * W);
    cols = columns;
  }
  if constexpr (Layout == TDctRows::Both) {
    DctOfColumns<V, W, TDctRows::Channel0>(cols, dest, heads);
    DctOfColumns<V, W, TDctRows::Channel1>(cols, dest1, heads1);
  } else {
    DctOfColumns<V, W, Layout>(cols, dest, heads);
  }
}

// All slots in blocks of W, then of the narrower Tail lanes; a last block that would run past
// the end is moved back to end at the last slot (its first slots are computed twice, to the same
// values). Fewer slots than Tail lanes go one at a time.
template <class V, int32_t W, class Tail, int32_t TailW, TDctRows Layout>
void DctSlotsOf(const float* rows, int32_t rowSize, int32_t slots, const float* gains, float* dest,
                float* heads) {
  float* dest1 = dest + 32 * slots;
  float* heads1 = heads + slots;
  int32_t first = 0;
  for (; first + W <= slots; first += W) {
    DctSlotBlock<V, W, Layout>(rows + first * rowSize, rowSize, gains, dest + 32 * first, heads + first,
                               dest1 + 32 * first, heads1 + first);
  }
  if (first < slots && slots >= TailW) {
    for (;; first += TailW) {
      if (first + TailW > slots) first = slots - TailW;
      DctSlotBlock<Tail, TailW, Layout>(rows + first * rowSize, rowSize, gains, dest + 32 * first,
                                        heads + first, dest1 + 32 * first, heads1 + first);
      if (first + TailW == slots) break;
    }
    return;
  }
  for (; first < slots; ++first) {
    DctSlotBlock<TLane1, 1, Layout>(rows + first * rowSize, rowSize, gains, dest + 32 * first, heads + first,
                                    dest1 + 32 * first, heads1 + first);
  }
}

template <class V, int32_t W, class Tail, int32_t TailW>
void DctSlotsLanes(const float* rows, int32_t rowSize, TDctRows layout, int32_t slots, const float* gains,
                   float* dest, float* heads) {
  switch (layout) {
    case TDctRows::Single:
      DctSlotsOf<V, W, Tail, TailW, TDctRows::Single>(rows, rowSize, slots, gains, dest, heads);
      break;
    case TDctRows::Channel0:
      DctSlotsOf<V, W, Tail, TailW, TDctRows::Channel0>(rows, rowSize, slots, gains, dest, heads);
      break;
    case TDctRows::Channel1:
      DctSlotsOf<V, W, Tail, TailW, TDctRows::Channel1>(rows, rowSize, slots, gains, dest, heads);
      break;
    case TDctRows::Mixed:
      DctSlotsOf<V, W, Tail, TailW, TDctRows::Mixed>(rows, rowSize, slots, gains, dest, heads);
      break;
    case TDctRows::Both:
      DctSlotsOf<V, W, Tail, TailW, TDctRows::Both>(rows, rowSize, slots, gains, dest, heads);
      break;
  }
}

}  // namespace
