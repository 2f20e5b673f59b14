// Requantisation factors and short-block reordering.
#include "layer3_requantize.h"

#include <algorithm>

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
    float* out = scratch + (pos - start);
    const float* in0 = x + pos;
    const float* in1 = in0 + n;
    const float* in2 = in1 + n;
    // Line by line across the windows, each step three neighbours, moved as bits: a zero
    // value is +0.0, no bit set.
    int32_t bits0 = 0, bits1 = 0, bits2 = 0;
    for (int32_t i = 0; i < n; ++i) {
      const int32_t v0 = GetSpectrumInt(in0 + i), v1 = GetSpectrumInt(in1 + i), v2 = GetSpectrumInt(in2 + i);
      PutSpectrumInt(out + 3 * i, v0);
      PutSpectrumInt(out + 3 * i + 1, v1);
      PutSpectrumInt(out + 3 * i + 2, v2);
      bits0 |= v0;
      bits1 |= v1;
      bits2 |= v2;
    }
    if (bits0) extent.LastShortBand[0] = band;
    if (bits1) extent.LastShortBand[1] = band;
    if (bits2) extent.LastShortBand[2] = band;
    pos += 3 * n;
  }
  std::copy(scratch, scratch + (pos - start), x + start);
  count = pos;
  extent.LastBand = std::max({extent.LastShortBand[0], extent.LastShortBand[1], extent.LastShortBand[2]});
}
