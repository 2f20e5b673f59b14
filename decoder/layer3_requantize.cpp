// Requantisation and short-block reordering.
#include "layer3_requantize.h"

#include <algorithm>
#include <cmath>

#include "layer3_standard_tables.h"
#include "layer3_tables.h"

float DequantizeLarge(int32_t v, float factor) {
  const int32_t magnitude = v < 0 ? -v : v;
  const float power = magnitude < 1024 ? Layer3Tables.PowerLarge[magnitude]
                                       : static_cast<float>(magnitude * std::cbrt(static_cast<double>(magnitude)));
  return factor * (v < 0 ? -power : power);
}

namespace {

// Dequantises n values of one scalefactor band; dst may equal src. Returns nonzero when any
// value of the band is nonzero.
inline int32_t DequantizeBand(const float* src, float* dst, int32_t n, int32_t dstStride,
                              float factor) {
  const float* power = Layer3Tables.Power + 32;
  int32_t any = 0;
  for (int32_t i = 0; i < n; ++i) {
    const int32_t v = GetSpectrumInt(src + i);
    any |= v;
    dst[i * dstStride] = static_cast<uint32_t>(v + 32) < 64u ? factor * power[v] : DequantizeLarge(v, factor);
  }
  return any;
}

}  // namespace

void Requantize(float* x, int32_t& count, const TMPScaleFactors& sf, const TMPGranuleInfo& gi,
                TMPBandExtent& extent, int32_t mixedLongBands) {
  const TMPLayer3State& st = Layer3State;
  const TLayer3Tables& t = Layer3Tables;
  int32_t longBands = 22;
  int32_t firstShort = 12;
  if (gi.BlockType == 2) {
    longBands = gi.MixedBlock ? mixedLongBands : 0;
    firstShort = gi.MixedBlock ? 3 : 0;
  }
  extent.HasShort = firstShort < 12 ? 1 : 0;
  extent.FirstShortBand = firstShort;
  extent.LongBands = longBands;
  for (int32_t w = 0; w < 3; ++w) extent.LastShortBand[w] = firstShort;
  extent.LastBand = 0;

  const float gain = t.Gain[std::clamp(gi.GlobalGain + 6, 0, 261)];
  const int32_t s = gi.ScalefacScale & 1;
  const int32_t* pretab = Layer3Pretab[gi.Preflag & 1];
  int32_t pos = 0;
  for (int32_t b = 0; b < longBands; ++b) {
    const float factor = gain * t.Scale[s][pretab[b]][sf.Long[b] & 31];
    const int32_t n = st.LongWidth[b];
    if (DequantizeBand(x + pos, x + pos, n, 1, factor)) extent.LastBand = b;
    pos += n;
    if (pos >= count) {
      // Everything above is zero; a short part, if any, stays as it is.
      if (firstShort < 12) {
        extent.LastBand = firstShort;
        count = pos;
      }
      return;
    }
  }
  if (firstShort == 12) return;

  float windowGain[3];
  for (int32_t w = 0; w < 3; ++w) windowGain[w] = gain * t.Subblock[gi.SubblockGain[w] & 7];
  const int32_t start = pos;
  float* scratch = Layer3State.Reorder;
  for (int32_t b = firstShort; b < 13; ++b) {
    const int32_t n = st.ShortWidth[b];
    float* out = scratch + (pos - start);
    for (int32_t w = 0; w < 3; ++w) {
      const float factor = windowGain[w] * t.Scale[s][0][sf.Short[w][b] & 31];
      if (DequantizeBand(x + pos + w * n, out + w, n, 3, factor)) extent.LastShortBand[w] = b;
    }
    pos += 3 * n;
    if (pos >= count) break;
  }
  std::copy(scratch, scratch + (pos - start), x + start);
  count = pos;
  extent.LastBand =
      std::max({extent.LastShortBand[0], extent.LastShortBand[1], extent.LastShortBand[2]});
}
