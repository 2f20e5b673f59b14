// Requantisation and short-block reordering.
#include "layer3_requantize.h"

#include <algorithm>
#include <cmath>

#include "layer3_forms.h"
#include "layer3_standard_tables.h"
#include "layer3_tables.h"
#include "simd_lanes_plain.h"

float DequantizeLarge(int32_t v, float factor) {
  const int32_t magnitude = v < 0 ? -v : v;
  if (magnitude > kLargestQuantized)  // cannot come from a code table
    return factor * static_cast<float>(v * std::cbrt(static_cast<double>(magnitude)));
  const float power = Layer3Tables.PowerLarge[magnitude];
  return factor * (v < 0 ? -power : power);
}

void DequantizeLinesPlain(float* x, const float* factors, int32_t lines) {
  const float* power = Layer3Tables.Power + 32;
  for (int32_t i = 0; i < lines; ++i) {
    const int32_t v = GetSpectrumInt(x + i);
    x[i] = static_cast<uint32_t>(v + 32) < 64u ? factors[i] * power[v] : DequantizeLarge(v, factors[i]);
  }
}

namespace {

// The long band holding the last nonzero value below `lines` (0 when all are zero).
int32_t LastNonzeroBand(const TMPLayer3State& st, const float* x, int32_t lines) {
  int32_t last = lines - 1;
  while (last >= 0 && GetSpectrumInt(x + last) == 0) --last;
  if (last < 0) return -1;
  int32_t band = 0;
  while (last >= st.LongBoundary[band + 1]) ++band;
  return band;
}

}  // namespace

void Requantize(TMPLayer3State& st, float* x, int32_t& count, const TMPScaleFactors& sf,
                const TMPGranuleInfo& gi, TMPBandExtent& extent) {
  const TLayer3Tables& t = Layer3Tables;
  int32_t longBands = 22;
  int32_t firstShort = 12;
  if (gi.BlockType == 2) {
    longBands = gi.MixedBlock ? st.MixedLongBands : 0;
    firstShort = gi.MixedBlock ? 3 : 0;
  }
  extent.HasShort = firstShort < 12 ? 1 : 0;
  extent.FirstShortBand = firstShort;
  extent.LongBands = longBands;
  for (int32_t w = 0; w < 3; ++w) extent.LastShortBand[w] = firstShort - 1;

  const float gain = t.Gain[std::clamp(gi.GlobalGain + 6, 0, 261)];
  const int32_t s = gi.ScalefacScale & 1;
  // Long bands: the factor of every line, band by band up to the band that reaches the count,
  // then all lines in one pass.
  const int32_t* pretab = Layer3Pretab[gi.Preflag & 1];
  alignas(32) float factors[kGranuleLines + 4];
  int32_t pos = 0;
  int32_t b = 0;
  for (; b < longBands && (b == 0 || pos < count); ++b) {
    // Whole vectors: a band's last store may run into the next band, which is written after it.
    const TPlainLane4 factor = TPlainLane4::Set(gain * t.Scale[s][pretab[b]][sf.Long[b] & 31]);
    for (int32_t k = 0; k < st.LongWidth[b]; k += 4) factor.Store(factors + pos + k);
    pos += st.LongWidth[b];
  }
  extent.LastBand = LastNonzeroBand(st, x, std::min(count, pos));
  if (pos > 0) DequantizeLines(x, factors, pos);
  if (longBands > 0 && pos >= count) {
    // Everything above is zero; a short part, if any, stays as it is.
    if (firstShort < 12) {
      extent.LastBand = firstShort - 1;
      count = pos;
    }
    return;
  }
  if (firstShort == 12) return;

  // Short bands: the factors of each window's lines band by band, all lines in one pass, then
  // the windows interleaved line by line through the scratch.
  float windowGain[3];
  for (int32_t w = 0; w < 3; ++w) windowGain[w] = gain * t.Subblock[gi.SubblockGain[w] & 7];
  const int32_t start = pos;
  int32_t end = pos;
  for (b = firstShort; b < 13 && (b == firstShort || end < count); ++b) {
    const int32_t n = st.ShortWidth[b];
    for (int32_t w = 0; w < 3; ++w) {
      const TPlainLane4 factor = TPlainLane4::Set(windowGain[w] * t.Scale[s][0][sf.Short[w][b] & 31]);
      for (int32_t k = 0; k < n; k += 4) factor.Store(factors + end + w * n + k);
    }
    end += 3 * n;
  }
  DequantizeLines(x + start, factors + start, end - start);
  float* scratch = st.Reorder;
  for (int32_t band = firstShort; band < b; ++band) {
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
