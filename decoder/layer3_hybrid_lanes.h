// The hybrid filterbank on rows of sub-bands: one sub-band per vector lane, so the time-major
// output and overlap rows are read and written whole. The kernels are the DCT-IV factorisations
// of the plain form (layer3_imdct.cpp) in single precision.
//
// Included only by the vector forms (layer3_hybrid_sse2.cpp, layer3_hybrid_avx2.cpp), each with
// the lane types of its instruction set (simd_lanes_*.h): everything here has internal linkage,
// so every instantiation is compiled for the instruction set of the file that includes it. A
// lane type V provides Load, Store, Set, +, -, * and MulAdd(a, b, c) = a * b + c.
#pragma once

#include <algorithm>
#include <cstdint>

#include "layer3_hybrid.h"
#include "layer3_state.h"
#include "layer3_tables.h"
#include "simd_lanes_plain.h"

namespace {

// The loops over rows are unrolled in full (GCC unroll pragmas): constant indices keep the rows
// in registers and the sign choice of StoreOut out of the loop.

// Output row t of the group at s, frequency-inverted.
template <class V>
[[gnu::always_inline]] inline void StoreOut(V v, int32_t t, int32_t s, float* out) {
  if (t & 1) v = v * V::Load(kInversionSigns + s);
  v.Store(out + 32 * t + s);
}

// Rows of one group of sub-bands from s: input rows 32 k + s (spectrum, time-major copy),
// previous overlap o, output samples, new overlap next (all rows of 32).
//
// The 18-point DCT-IV (the long IMDCT) splits into a 9-point DCT-III of the even neighbour sums
// and a 9-point DCT-IV of the odd ones, both through the same cosines. Step m of the two
// DCT-IIIs yields their outputs m and 8 - m, so it finishes four IMDCT outputs, each windowed
// into two rows at once: only the inputs of the transforms stay live across the steps.
template <class V>
inline void LongGroup(const float* input, int32_t s, const float* window, const float* o, float* out,
                      float* next) {
  const TLayer3Tables& t = Layer3Tables;
  V even[9], z[9];
  {
    V x[18];
#pragma GCC unroll 18
    for (int k = 0; k < 18; ++k) x[k] = V::Load(input + 32 * k + s);
    even[0] = x[0];
    V odd = x[1] + x[0];
    z[0] = odd;
#pragma GCC unroll 18
    for (int j = 1; j < 9; ++j) {
      even[j] = x[2 * j] + x[2 * j - 1];
      const V sum = x[2 * j + 1] + x[2 * j];
      z[j] = sum + odd;
      odd = sum;
    }
  }
  // IMDCT outputs m and 17 - m from the transforms' outputs m; output m feeds new overlap rows
  // 8 - m and 9 + m, output 17 - m the sample rows 8 - m and 9 + m. The window carries the
  // outputs' factors.
  auto emit = [&](int m, V e, V d) __attribute__((always_inline)) {
    const V low = MulAdd(d, V::Set(t.Dct9PostF[m]), e);
    const V high = e - d * V::Set(t.Dct9PostF[m]);
    StoreOut(MulAdd(V::Set(window[8 - m]), high, V::Load(o + 32 * (8 - m) + s)), 8 - m, s, out);
    StoreOut(MulAdd(V::Set(window[9 + m]), high, V::Load(o + 32 * (9 + m) + s)), 9 + m, s, out);
    (V::Set(window[26 - m]) * low).Store(next + 32 * (8 - m) + s);
    (V::Set(window[27 + m]) * low).Store(next + 32 * (9 + m) + s);
  };
#pragma GCC unroll 18
  for (int m = 0; m < 4; ++m) {
    // f[m] = sum_{j=0..8} a[j] cos(pi (2m + 1) j / 18), f[8 - m] with the odd terms negated.
    const float* ce = t.Dct9EvenF[m];
    const float* co = t.Dct9OddF[m];
    V ee = even[0], ze = z[0];
#pragma GCC unroll 18
    for (int j = 0; j < 4; ++j) {
      ee = MulAdd(even[2 * j + 2], V::Set(ce[j]), ee);
      ze = MulAdd(z[2 * j + 2], V::Set(ce[j]), ze);
    }
    V eo = even[1] * V::Set(co[0]), zo = z[1] * V::Set(co[0]);
#pragma GCC unroll 18
    for (int j = 1; j < 4; ++j) {
      eo = MulAdd(even[2 * j + 1], V::Set(co[j]), eo);
      zo = MulAdd(z[2 * j + 1], V::Set(co[j]), zo);
    }
    emit(m, ee + eo, ze + zo);
    emit(8 - m, ee - eo, ze - zo);
  }
  emit(4, even[0] - even[2] + even[4] - even[6] + even[8], z[0] - z[2] + z[4] - z[6] + z[8]);
}

// The three 6-point DCT-IVs (the short IMDCTs) of window w's values x[3k + w], with the same
// split as the long one: step m of their DCT-IIIs gives outputs m and 5 - m of every window,
// which are the terms of frame slots n = 2 - m and 3 + m of each window half.
template <class V>
inline void ShortGroup(const float* input, int32_t s, const float* o, float* out, float* next) {
  const TLayer3Tables& t = Layer3Tables;
  const float* window = t.ShortWindowPostF;
  V z[3][6];
  {
    V x[18];
#pragma GCC unroll 18
    for (int k = 0; k < 18; ++k) x[k] = V::Load(input + 32 * k + s);
#pragma GCC unroll 18
    for (int w = 0; w < 3; ++w) {
      z[w][0] = x[w];
#pragma GCC unroll 18
      for (int k = 1; k < 6; ++k) z[w][k] = x[3 * k + w] + x[3 * k - 3 + w];
    }
  }
  // Window w covers frame slots 6 + 6w .. 17 + 6w: its first half term n, second half term
  // 6 + n. Slots 0..5 carry only the previous overlap, the new overlap ends with six zeros.
#pragma GCC unroll 18
  for (int n = 0; n < 6; ++n) {
    StoreOut(V::Load(o + 32 * n + s), n, s, out);
    V::Set(0.0f).Store(next + 32 * (12 + n) + s);
  }
#pragma GCC unroll 18
  for (int m = 0; m < 3; ++m) {
    V low[3], high[3];  // outputs m and 5 - m of each window
#pragma GCC unroll 18
    for (int w = 0; w < 3; ++w) {
      const V even =
          MulAdd(z[w][4], V::Set(t.Dct3EvenF[m][1]), MulAdd(z[w][2], V::Set(t.Dct3EvenF[m][0]), z[w][0]));
      V odd = z[w][1] * V::Set(t.Dct3OddF[m][0]);
      odd = MulAdd(z[w][3], V::Set(t.Dct3OddF[m][1]), odd);
      odd = MulAdd(z[w][5], V::Set(t.Dct3OddF[m][2]), odd);
      low[w] = even + odd;
      high[w] = even - odd;
    }
    // Slots 2 - m and 3 + m take output 5 - m in the first half of a window, m in the second;
    // the window carries the outputs' factors.
#pragma GCC unroll 18
    for (int n : {2 - m, 3 + m}) {
      auto first = [&](int w) { return V::Set(window[n]) * high[w]; };
      auto second = [&](int w) { return V::Set(window[6 + n]) * low[w]; };
      StoreOut(V::Load(o + 32 * (6 + n) + s) + first(0), 6 + n, s, out);
      StoreOut(V::Load(o + 32 * (12 + n) + s) + second(0) + first(1), 12 + n, s, out);
      (second(1) + first(2)).Store(next + 32 * n + s);
      second(2).Store(next + 32 * (6 + n) + s);
    }
  }
}

// Calls f.template operator()<V>(s) over [first, end): whole groups of the widest type first,
// then narrower ones for the rest.
template <class V, class... Narrower, class F>
inline void ForGroups(int32_t first, int32_t end, F&& f) {
  constexpr int32_t lanes = sizeof(V) / sizeof(float);
  int32_t s = first;
  for (; s + lanes <= end; s += lanes) f.template operator()<V>(s);
  if constexpr (sizeof...(Narrower) > 0) ForGroups<Narrower...>(s, end, f);
}

// Copies sub-bands [first, end) of the spectrum x (18 lines each) into rows: input[32 k + s] is
// line k of sub-band s.
template <class... Widths>
inline void TransposeSpectrum(const float* x, int32_t first, int32_t end, float* input) {
  ForGroups<Widths...>(first, end, [&]<class V>(int32_t s) {
    constexpr int32_t lanes = sizeof(V) / sizeof(float);
    int32_t k = 0;
    for (; k + lanes <= 18; k += lanes) V::Transpose(x + 18 * s + k, 18, input + 32 * k + s, 32);
    // 18 = 2 x 8 + 2 = 4 x 4 + 2: two lines left over for the wider types.
    if (k < 18) V::TransposeTwo(x + 18 * s + k, 18, input + 32 * k + s, 32);
  });
}

// The HybridFilter slot on lanes of the given widths (widest first, ending with TLane1).
template <class Widest, class... Narrower>
inline int32_t HybridFilterLanes(TMPLayer3State& st, float* x, float* o, float* out, int32_t blockType,
                                 int32_t longLines, int32_t lines, int32_t previousLines) {
  THybridRanges r = HybridRangesOf(st, blockType, longLines, lines, previousLines);
  const int32_t live = st.HybridBands;
  // The last range of sub-bands is widened to whole vectors. Its extra sub-bands get a zero
  // spectrum (the spectrum is zero above the live lines; sub-bands from HybridBands on are
  // never reconstructed), which yields exactly the overlap-only output and a zero overlap.
  constexpr int32_t lanes = sizeof(Widest) / sizeof(float);
  const bool shortLast = r.ShortEnd > r.LongEnd;
  int32_t& lastEnd = shortLast ? r.ShortEnd : r.LongEnd;
  const int32_t lastStart = shortLast ? r.LongEnd : r.MixedEnd;
  if (lastEnd > lastStart) {
    lastEnd = std::min(lastStart + (lastEnd - lastStart + lanes - 1) / lanes * lanes, 32);
    r.ShortEnd = std::max(r.ShortEnd, r.LongEnd);
  }
  // Time-major copy of the spectrum: row k holds line k of every sub-band, in whole groups
  // (x holds all 32 sub-bands; what is copied from beyond ShortEnd is never read). The
  // sub-bands from HybridBands on are cleared first, in one piece: x takes the new overlap
  // afterwards anyway.
  float* input = st.Reorder;
  const int32_t copied = (r.ShortEnd + lanes - 1) / lanes * lanes;
  if (live < copied) std::fill(x + 18 * live, x + 18 * copied, 0.0f);
  TransposeSpectrum<Widest>(x, 0, copied, input);
  // The silent sub-bands: cleared in whole groups from the one that holds the first of them,
  // as every sub-band below is written again (x, its spectrum copied, takes the new overlap).
  // Unrolled in full, or the compiler makes a library call of every row.
  const int32_t silent = std::max(r.ShortEnd, r.OverlapEnd) / lanes * lanes;
#pragma GCC unroll 8
  for (int32_t s = 32 - lanes; s >= silent; s -= lanes) {
#pragma GCC unroll 18
    for (int t = 0; t < 18; ++t) {
      Widest::Zero().Store(out + 32 * t + s);
      Widest::Zero().Store(x + 32 * t + s);
    }
  }
  const float* normal = Layer3Tables.WindowPostF[0];
  ForGroups<Widest, Narrower...>(0, r.MixedEnd,
                                 [&]<class V>(int32_t s) { LongGroup<V>(input, s, normal, o, out, x); });
  ForGroups<Widest, Narrower...>(r.MixedEnd, r.LongEnd, [&]<class V>(int32_t s) {
    LongGroup<V>(input, s, r.LongWindowPost, o, out, x);
  });
  ForGroups<Widest, Narrower...>(r.LongEnd, r.ShortEnd,
                                 [&]<class V>(int32_t s) { ShortGroup<V>(input, s, o, out, x); });
  // Overlap-only sub-bands play the previous overlap; above them everything is silent.
  ForGroups<Widest, Narrower...>(r.ShortEnd, r.OverlapEnd, [&]<class V>(int32_t s) {
#pragma GCC unroll 18
    for (int t = 0; t < 18; ++t) {
      StoreOut(V::Load(o + 32 * t + s), t, s, out);
      V::Set(0.0f).Store(x + 32 * t + s);
    }
  });
  return 18 * r.OverlapEnd;
}

}  // namespace
