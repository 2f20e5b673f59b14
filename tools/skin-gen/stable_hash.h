#pragma once
// Stable pseudo-random numbers from a position and a seed. The library's
// random engines and distributions are not fixed across implementations,
// and every generated file must come out the same everywhere.
#include <cstdint>

namespace skingen {

inline std::uint32_t hashOf(std::uint32_t a, std::uint32_t b, std::uint32_t seed) {
  std::uint32_t h = seed * 0x9E3779B1u ^ a * 0x85EBCA77u ^ b * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

}  // namespace skingen
