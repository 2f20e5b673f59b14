// Requantisation factors and short-block reordering.
#include "layer3_requantize.h"

#include <algorithm>
#include <bit>

#include "layer3_standard_tables.h"
#include "layer3_tables.h"
#include "simd_lanes_plain.h"

namespace {

// Long bands and the first short band of a granule's block type (22 and 12: no short part).
struct TBlockBands {
  int32_t LongBands;
  int32_t FirstShort;
};

TBlockBands BlockBands(const TMPLayer3State& st, const TMPGranuleInfo& gi) {
  if (gi.BlockType != 2) return {22, 12};
  return gi.MixedBlock ? TBlockBands{st.MixedLongBands, 3} : TBlockBands{0, 0};
}

// The long band holding the last nonzero value below `lines` (-1 when all are zero).
int32_t LastNonzeroBand(const TMPLayer3State& st, const float* x, int32_t lines) {
  int32_t last = lines - 1;
  while (last >= 0 && GetSpectrumInt(x + last) == 0) --last;
  if (last < 0) return -1;
  int32_t band = 0;
  while (last >= st.LongBoundary[band + 1]) ++band;
  return band;
}

// n > 0 copies of f from p in steps of eight: up to seven more are written, which the next band
// (written after it) or the slack past the granule takes.
inline void FillFactor(float* p, int32_t n, float f) {
  const TPlainLane4 v = TPlainLane4::Set(f);
  for (int32_t k = 0; k < n; k += 8) {
    v.Store(p + k);
    v.Store(p + k + 4);
  }
}

// Interleaves the three windows of a short band (n lines each, from in) line by line into out,
// moved as bits: a zero value is +0.0, no bit set. Returns bit w set when window w holds a
// nonzero value.
int32_t InterleaveWindows(const float* in, int32_t n, float* out) {
  using TVector = TPlainLane4::TVector;
  using TBits = int32_t __attribute__((vector_size(16)));
  const float* in0 = in;
  const float* in1 = in0 + n;
  const float* in2 = in1 + n;
  TBits any0{}, any1{}, any2{};
  int32_t i = 0;
  // Four lines of each window make three vectors of output.
  for (; i + 4 <= n; i += 4) {
    const TVector a = TPlainLane4::Load(in0 + i).v;
    const TVector b = TPlainLane4::Load(in1 + i).v;
    const TVector c = TPlainLane4::Load(in2 + i).v;
    const TVector ab = __builtin_shufflevector(a, b, 0, 4, 1, 5);   // a0 b0 a1 b1
    const TVector ab2 = __builtin_shufflevector(a, b, 2, 6, 3, 7);  // a2 b2 a3 b3
    const TVector bc = __builtin_shufflevector(b, c, 1, 5, 1, 5);   // b1 c1
    TPlainLane4{__builtin_shufflevector(ab, c, 0, 1, 4, 2)}.Store(out + 3 * i);
    TPlainLane4{__builtin_shufflevector(bc, ab2, 0, 1, 4, 5)}.Store(out + 3 * i + 4);
    TPlainLane4{__builtin_shufflevector(ab2, c, 6, 2, 3, 7)}.Store(out + 3 * i + 8);
    any0 |= std::bit_cast<TBits>(a);
    any1 |= std::bit_cast<TBits>(b);
    any2 |= std::bit_cast<TBits>(c);
  }
  // The three windows' bits folded into the first three lanes, then the tail line by line.
  const TBits halves01 =
      __builtin_shufflevector(any0, any1, 0, 1, 4, 5) | __builtin_shufflevector(any0, any1, 2, 3, 6, 7);
  const TBits halves2 =
      __builtin_shufflevector(any2, any2, 0, 1, 0, 1) | __builtin_shufflevector(any2, any2, 2, 3, 2, 3);
  const TBits folded = __builtin_shufflevector(halves01, halves2, 0, 2, 4, 4) |
                       __builtin_shufflevector(halves01, halves2, 1, 3, 5, 5);
  int32_t bits0 = folded[0];
  int32_t bits1 = folded[1];
  int32_t bits2 = folded[2];
  for (; i < n; ++i) {
    const int32_t v0 = GetSpectrumInt(in0 + i), v1 = GetSpectrumInt(in1 + i), v2 = GetSpectrumInt(in2 + i);
    PutSpectrumInt(out + 3 * i, v0);
    PutSpectrumInt(out + 3 * i + 1, v1);
    PutSpectrumInt(out + 3 * i + 2, v2);
    bits0 |= v0;
    bits1 |= v1;
    bits2 |= v2;
  }
  return (bits0 != 0 ? 1 : 0) | (bits1 != 0 ? 2 : 0) | (bits2 != 0 ? 4 : 0);
}

}  // namespace

void LineFactors(const TMPLayer3State& st, const TMPScaleFactors& sf, const TMPGranuleInfo& gi,
                 float* factors, int32_t lines) {
  const TLayer3Tables& t = Layer3Tables;
  const TBlockBands bands = BlockBands(st, gi);
  const float gain = t.Gain[std::clamp(gi.GlobalGain + 6, 0, 261)];
  const int32_t s = gi.ScalefacScale & 1;
  const int32_t* pretab = Layer3Pretab[gi.Preflag & 1];
  int32_t pos = 0;
  for (int32_t b = 0; b < bands.LongBands && pos < lines; ++b) {
    const int32_t n = st.LongWidth[b];
    FillFactor(factors + pos, n, gain * t.Scale[s][pretab[b]][sf.Long[b] & 31]);
    pos += n;
  }
  if (bands.FirstShort == 12) return;
  float windowGain[3];
  for (int32_t w = 0; w < 3; ++w) windowGain[w] = gain * t.Subblock[gi.SubblockGain[w] & 7];
  for (int32_t b = bands.FirstShort; b < 13 && pos < lines; ++b) {
    const int32_t n = st.ShortWidth[b];
    for (int32_t w = 0; w < 3; ++w)
      FillFactor(factors + pos + w * n, n, windowGain[w] * t.Scale[s][0][sf.Short[w][b] & 31]);
    pos += 3 * n;
  }
}

void ArrangeSpectrum(TMPLayer3State& st, float* x, int32_t& count, const TMPGranuleInfo& gi,
                     TMPBandExtent& extent) {
  const TBlockBands bands = BlockBands(st, gi);
  const int32_t firstShort = bands.FirstShort;
  extent.HasShort = firstShort < 12 ? 1 : 0;
  extent.FirstShortBand = firstShort;
  extent.LongBands = bands.LongBands;
  for (int32_t w = 0; w < 3; ++w) extent.LastShortBand[w] = firstShort - 1;
  if (firstShort == 12) {
    extent.LastBand = LastNonzeroBand(st, x, count);
    return;
  }

  // A mixed block's long part: when the count ends inside it, everything above is zero and the
  // short part stays as it is.
  int32_t pos = 0;
  for (int32_t b = 0; b < bands.LongBands && (b == 0 || pos < count); ++b) pos += st.LongWidth[b];
  if (bands.LongBands > 0 && pos >= count) {
    extent.LastBand = firstShort - 1;
    count = pos;
    return;
  }

  // Short bands up to the one that reaches the count, the windows interleaved line by line
  // through the scratch.
  const int32_t start = pos;
  float* scratch = st.Reorder;
  for (int32_t band = firstShort; band < 13 && (band == firstShort || pos < count); ++band) {
    const int32_t n = st.ShortWidth[band];
    const int32_t nonzero = InterleaveWindows(x + pos, n, scratch + (pos - start));
    for (int32_t w = 0; w < 3; ++w)
      if (nonzero >> w & 1) extent.LastShortBand[w] = band;
    pos += 3 * n;
  }
  std::copy(scratch, scratch + (pos - start), x + start);
  count = pos;
  extent.LastBand = std::max({extent.LastShortBand[0], extent.LastShortBand[1], extent.LastShortBand[2]});
}
