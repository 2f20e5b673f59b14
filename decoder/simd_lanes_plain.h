// The decoder's plain lane types: one float (TLane1) and four floats as a compiler vector
// (TPlainLane4), for the plain forms and the one-lane tails of the vector forms.
#pragma once

#include <cstring>

namespace {

// One lane: the plain forms, and the vector forms' ranges shorter than their width.
struct TLane1 {
  float v;
  static TLane1 Load(const float* p) { return {*p}; }
  void Store(float* p) const { *p = v; }
  static TLane1 Set(float f) { return {f}; }
  friend TLane1 operator+(TLane1 a, TLane1 b) { return {a.v + b.v}; }
  friend TLane1 operator-(TLane1 a, TLane1 b) { return {a.v - b.v}; }
  friend TLane1 operator*(TLane1 a, TLane1 b) { return {a.v * b.v}; }
  friend TLane1 MulAdd(TLane1 a, TLane1 b, TLane1 c) { return {a.v * b.v + c.v}; }
  static void Transpose(const float* src, int, float* dst, int) { *dst = *src; }
  static void TransposeTwo(const float* src, int, float* dst, int dstStride) {
    dst[0] = src[0];
    dst[dstStride] = src[1];
  }
};

// Four floats on any processor, for the short row loops the compiler would not vectorise by
// itself.
struct TPlainLane4 {
  using TVector = float __attribute__((vector_size(16)));
  TVector v;
  static TPlainLane4 Load(const float* p) {
    TPlainLane4 r;
    std::memcpy(&r.v, p, sizeof r.v);
    return r;
  }
  void Store(float* p) const { std::memcpy(p, &v, sizeof v); }
  static TPlainLane4 Set(float f) { return {TVector{} + f}; }
};

}  // namespace
