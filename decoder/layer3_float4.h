// Four floats as one value (a compiler vector extension, plain code on any processor) for the
// short row loops of the Layer III decoder that the compiler would not vectorise by itself.
#pragma once

#include <cstring>

using TFloat4 = float __attribute__((vector_size(16)));

inline TFloat4 LoadFloat4(const float* p) {
  TFloat4 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline void StoreFloat4(float* p, TFloat4 v) { std::memcpy(p, &v, sizeof v); }

