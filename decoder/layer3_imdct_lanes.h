// The IMDCT slot kernels written once over a lane type of W lanes (W = 4 or 8): the DCT-IVs as
// matrix products, W outputs per vector. Included only by layer3_imdct_sse2.cpp and
// layer3_imdct_avx2.cpp (internal linkage: compiled for the instruction set of each).
#pragma once

#include "layer3_tables.h"

namespace {

template <class V>
inline void ImdctLongSlotLanes(float* v) {
  constexpr int lanes = sizeof(V) / sizeof(float);
  constexpr int vectors = (18 + lanes - 1) / lanes;  // the last one holds two outputs
  V acc[vectors];
  for (V& a : acc) a = V::Zero();
  for (int k = 0; k < 18; ++k) {
    const V x = V::Set(v[k]);
    const float* row = Layer3Tables.ImdctLongMatrix[k];
    for (int i = 0; i < vectors; ++i) acc[i] = MulAdd(x, V::LoadAligned(row + lanes * i), acc[i]);
  }
  for (int i = 0; i < vectors - 1; ++i) acc[i].Store(v + lanes * i);
  acc[vectors - 1].StoreLow2(v + 16);
}

template <class V>
inline void ImdctShortSlotLanes(float* v) {
  constexpr int lanes = sizeof(V) / sizeof(float);
  constexpr int vectors = 8 / lanes;  // six outputs of a window, two more ignored
  float u[24];
  for (int w = 0; w < 3; ++w) {
    V acc[vectors];
    for (V& a : acc) a = V::Zero();
    for (int k = 0; k < 6; ++k) {
      const V x = V::Set(v[3 * k + w]);
      const float* row = Layer3Tables.ImdctShortMatrix[k];
      for (int i = 0; i < vectors; ++i) acc[i] = MulAdd(x, V::LoadAligned(row + lanes * i), acc[i]);
    }
    for (int i = 0; i < vectors; ++i) acc[i].Store(u + 6 * w + lanes * i);
  }
  for (int i = 0; i < 18; ++i) v[i] = u[i];
}

}  // namespace
