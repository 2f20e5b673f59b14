// Alias reduction written once over a lane type of W lanes (W = 4 or 8): the eight butterflies
// of a boundary as 8 / W vectors. Included only by layer3_alias_sse2.cpp and
// layer3_alias_avx2.cpp (internal linkage: compiled for the instruction set of each).
#pragma once

#include <cstdint>

#include "layer3_tables.h"

namespace {

template <class V>
inline void AliasReduceLanes(float* x, int32_t boundaries) {
  constexpr int32_t lanes = sizeof(V) / sizeof(float);
  for (int32_t part = 0; part < 8 / lanes; ++part) {
    // Butterflies j = W part .. W part + W - 1: lower lines 17 - j (loaded upwards, reversed),
    // upper lines 18 + j.
    const V c = V::Load(Layer3Tables.AliasCs + lanes * part);
    const V a = V::Load(Layer3Tables.AliasCa + lanes * part);
    for (int32_t k = 0; k < boundaries; ++k) {
      float* lowerAt = x + 18 * k + 18 - lanes - lanes * part;
      float* upperAt = x + 18 * k + 18 + lanes * part;
      const V lower = V::Load(lowerAt).Reversed();
      const V upper = V::Load(upperAt);
      MulSub(lower, c, upper * a).Reversed().Store(lowerAt);
      MulAdd(lower, a, upper * c).Store(upperAt);
    }
  }
}

}  // namespace
