// Requantisation factors and the band extent of a requantised granule.
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

// Bit w set when window w of the short band at x (n lines each, interleaved) holds a nonzero
// value: a zero is +0.0, no bit set.
int32_t NonzeroWindows(const float* x, int32_t n) {
  using TBits = int32_t __attribute__((vector_size(16)));
  // Four lines of the three windows are three vectors whose lanes hold windows 0120 1201 2012.
  TBits a{}, b{}, c{};
  int32_t j = 0;
  for (; j + 12 <= 3 * n; j += 12) {
    a |= std::bit_cast<TBits>(TPlainLane4::Load(x + j).v);
    b |= std::bit_cast<TBits>(TPlainLane4::Load(x + j + 4).v);
    c |= std::bit_cast<TBits>(TPlainLane4::Load(x + j + 8).v);
  }
  int32_t bits[3] = {a[0] | a[3] | b[2] | c[1], a[1] | b[0] | b[3] | c[2], a[2] | b[1] | c[0] | c[3]};
  for (; j < 3 * n; j += 3)
    for (int32_t w = 0; w < 3; ++w) bits[w] |= GetSpectrumInt(x + j + w);
  return (bits[0] != 0 ? 1 : 0) | (bits[1] != 0 ? 2 : 0) | (bits[2] != 0 ? 4 : 0);
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

void SpectrumExtent(const TMPLayer3State& st, const float* x, int32_t& count, const TMPGranuleInfo& gi,
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

  // A mixed block's long part: when the count ends inside it, everything above is zero.
  int32_t pos = 0;
  for (int32_t b = 0; b < bands.LongBands && (b == 0 || pos < count); ++b) pos += st.LongWidth[b];
  if (bands.LongBands > 0 && pos >= count) {
    extent.LastBand = firstShort - 1;
    count = pos;
    return;
  }

  // The short band that reaches the count, then downwards until every window has its last band.
  int32_t top = firstShort;
  while (top < 12 && st.ShortBoundary3[top + 1] < count) ++top;
  count = st.ShortBoundary3[top + 1];
  int32_t missing = 7;
  for (int32_t band = top; band >= firstShort && missing != 0; --band) {
    const int32_t found = NonzeroWindows(x + st.ShortBoundary3[band], st.ShortWidth[band]) & missing;
    for (int32_t w = 0; w < 3; ++w)
      if (found >> w & 1) extent.LastShortBand[w] = band;
    missing &= ~found;
  }
  extent.LastBand = std::max({extent.LastShortBand[0], extent.LastShortBand[1], extent.LastShortBand[2]});
}
