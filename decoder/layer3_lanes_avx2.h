// Eight- and four-lane float vectors with fused multiply-add for the AVX2 forms of the Layer III
// routines. Include only from *_avx2.cpp files (internal linkage, see layer3_lanes_sse2.h).
#pragma once

#include <immintrin.h>

namespace {

struct TLane8 {
  __m256 v;
  static TLane8 Load(const float* p) { return {_mm256_loadu_ps(p)}; }
  void Store(float* p) const { _mm256_storeu_ps(p, v); }
  static TLane8 Set(float f) { return {_mm256_set1_ps(f)}; }
  friend TLane8 operator+(TLane8 a, TLane8 b) { return {_mm256_add_ps(a.v, b.v)}; }
  friend TLane8 operator-(TLane8 a, TLane8 b) { return {_mm256_sub_ps(a.v, b.v)}; }
  friend TLane8 operator*(TLane8 a, TLane8 b) { return {_mm256_mul_ps(a.v, b.v)}; }
  friend TLane8 MulAdd(TLane8 a, TLane8 b, TLane8 c) { return {_mm256_fmadd_ps(a.v, b.v, c.v)}; }
};

struct TLane4 {
  __m128 v;
  static TLane4 Load(const float* p) { return {_mm_loadu_ps(p)}; }
  void Store(float* p) const { _mm_storeu_ps(p, v); }
  static TLane4 Set(float f) { return {_mm_set1_ps(f)}; }
  friend TLane4 operator+(TLane4 a, TLane4 b) { return {_mm_add_ps(a.v, b.v)}; }
  friend TLane4 operator-(TLane4 a, TLane4 b) { return {_mm_sub_ps(a.v, b.v)}; }
  friend TLane4 operator*(TLane4 a, TLane4 b) { return {_mm_mul_ps(a.v, b.v)}; }
  friend TLane4 MulAdd(TLane4 a, TLane4 b, TLane4 c) { return {_mm_fmadd_ps(a.v, b.v, c.v)}; }
};

}  // namespace
