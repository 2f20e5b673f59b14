// Mid/side and intensity stereo.
#include "layer3_stereo.h"

#include <algorithm>

#include "decoder_forms.h"
#include "layer3_tables.h"

namespace {

// First line of the intensity region: above the right channel's last nonzero band (in short
// blocks that of the window reaching highest). Below it M/S applies; above it the right channel is
// zero, where M/S would leave the left channel as it is and copy it into the right one.
int32_t IntensityStart(const TMPLayer3State& st, const TMPBandExtent& right) {
  return right.HasShort ? st.ShortBoundary3[right.LastBand + 1] : st.LongBoundary[right.LastBand + 1];
}

// R = L * kR, L = L * kL for lines from, from + step, ... below end.
inline void Spread(float* left, int32_t from, int32_t end, int32_t step, const float* pair) {
  const float kl = pair[0];
  const float kr = pair[1];
  for (int32_t i = from; i < end; i += step) {
    const float l = left[i];
    left[i + kRightChannelOffset] = l * kr;
    left[i] = l * kl;
  }
}

// The long band after the one holding the right channel's last nonzero value below `lines`;
// 0 when there is none.
int32_t FirstZeroLongBand(const TMPLayer3State& st, const float* left, int32_t lines) {
  const float* right = left + kRightChannelOffset;
  int32_t last = lines - 1;
  while (last >= 0 && right[last] == 0.0f) --last;
  int32_t band = 0;
  while (band < 22 && st.LongBoundary[band] <= last) ++band;
  return band;
}

// The intensity region of the right channel's block: long bands above its last nonzero band; in
// short blocks per window the bands above that window's last nonzero band; in a mixed block whose
// short part is zero in all windows also the long bands above the last nonzero long line.
// longPair(b) and shortPair(w, b) give the {kL, kR} of a band's position. The top band carries no
// position: it takes its lower neighbour's pair when that band is in the region, else `lone`.
// Lines from leftCount on are zero in the left channel and need nothing.
template <typename LongPair, typename ShortPair>
void IntensityRegion(const TMPLayer3State& st, float* left, const TMPBandExtent& r, int32_t leftCount,
                     LongPair longPair, ShortPair shortPair, const float* lone) {
  if (!r.HasShort) {
    for (int32_t b = r.LastBand + 1; b < 22 && st.LongBoundary[b] < leftCount; ++b) {
      const float* pair = b < 21 ? longPair(b) : b > r.LastBand + 1 ? longPair(20) : lone;
      Spread(left, st.LongBoundary[b], std::min(st.LongBoundary[b + 1], leftCount), 1, pair);
    }
    return;
  }
  for (int32_t w = 0; w < 3; ++w) {
    const int32_t first = r.LastShortBand[w] + 1;
    for (int32_t b = first; b < 13 && st.ShortBoundary3[b] < leftCount; ++b) {
      const float* pair = b < 12 ? shortPair(w, b) : b > first ? shortPair(w, 11) : lone;
      const int32_t end = std::min(st.ShortBoundary3[b + 1], leftCount);
      Spread(left, st.ShortBoundary3[b] + w, end, 3, pair);
    }
  }
  if (r.LongBands > 0 && r.LastBand < r.FirstShortBand) {
    const int32_t longLines = st.LongBoundary[r.LongBands];
    const int32_t end = std::min(longLines, leftCount);
    for (int32_t b = FirstZeroLongBand(st, left, longLines); st.LongBoundary[b] < end; ++b)
      Spread(left, st.LongBoundary[b], std::min(st.LongBoundary[b + 1], end), 1, longPair(b));
  }
}

}  // namespace

void MidSideStereoPlain(float* left, int32_t lines) {
  float* __restrict l = left;
  float* __restrict r = left + kRightChannelOffset;
  auto butterfly = [l, r](int32_t i) {
    const float a = l[i];
    const float b = r[i];
    l[i] = a + b;
    r[i] = a - b;
  };
  int32_t i = 0;
  for (; i + 8 <= lines; i += 8)  // fixed-size blocks vectorise
    for (int32_t k = 0; k < 8; ++k) butterfly(i + k);
  for (; i < lines; ++i) butterfly(i);
}

void IntensityStereoMpeg1(const TMPLayer3State& st, float* left, const TMPScaleFactors& right,
                          const TMPBandExtent* extent, int32_t leftCount, int32_t msStereo) {
  const auto& table = Layer3Tables.IntensityMpeg1[msStereo & 1];
  // Position 7 is the illegal one and leaves the band to M/S or L/R; 8..15 (possible in 4-bit
  // bands) have no ratio and count as illegal too, and so does a top band whose lower neighbour
  // is outside the region.
  IntensityRegion(
      st, left, extent[1], leftCount, [&](int32_t b) { return table[std::min(right.Long[b], 7)]; },
      [&](int32_t w, int32_t b) { return table[std::min(right.Short[w][b], 7)]; }, table[7]);
}

void IntensityStereoLsf(const TMPLayer3State& st, float* left, const TMPScaleFactors& right,
                        const TMPBandExtent* extent, int32_t leftCount, int32_t msStereo,
                        const TMPLsfIntensity& lsf) {
  const auto& table = Layer3Tables.IntensityLsf[lsf.IntensityScale & 1][msStereo & 1];
  const TMPBandExtent& r = extent[1];
  // The illegal position of each band, 2^slen - 1 of its group, is also where the band's
  // sub-table starts. Bands of the fourth group have slen 0: always illegal. A mixed block's
  // first group holds its long bands, the others the short bands from 3 on.
  int32_t longIllegal[21] = {};
  int32_t shortIllegal[12] = {};
  auto illegal = [&lsf](int32_t g) { return (1 << lsf.GroupSlen[g]) - 1; };
  int32_t g = 0;
  int32_t band = 0;
  if (!r.HasShort) {
    for (; g < 3; ++g)
      for (int32_t k = 0; k < lsf.GroupBands[g] && band < 21; ++k) longIllegal[band++] = illegal(g);
  } else {
    if (r.LongBands > 0) {
      for (; band < lsf.GroupBands[0] && band < 21; ++band) longIllegal[band] = illegal(0);
      g = 1;
      band = 3;
    }
    for (; g < 3; ++g)
      for (int32_t k = 0; k < lsf.GroupBands[g] && band < 12; ++k) shortIllegal[band++] = illegal(g);
  }
  // A top band whose lower neighbour is outside the region takes position 0, legal: kL = kR = 1
  // (the first entry of the one-bit sub-table).
  auto longPair = [&](int32_t b) { return table[(longIllegal[b] + right.Long[b]) & 63]; };
  auto shortPair = [&](int32_t w, int32_t b) { return table[(shortIllegal[b] + right.Short[w][b]) & 63]; };
  IntensityRegion(st, left, r, leftCount, longPair, shortPair, table[1]);
}

void JointStereo(TMPLayer3State& st, int32_t gr) {
  if (st.ModeExtension == 0) return;
  float* left = Layer3Spectrum(st, 0, gr);
  int32_t& leftCount = st.LineCount[gr][0];
  int32_t& rightCount = st.LineCount[gr][1];
  const TMPBandExtent* extent = st.Extent[gr];
  if (st.MsStereo) {
    // Lines above both counts are zero in both channels and need nothing.
    int32_t lines = std::max(leftCount, rightCount);
    if (st.IntensityStereo) lines = std::min(lines, IntensityStart(st, extent[1]));
    st.Forms->MidSideStereo(left, lines);
  }
  if (st.IntensityStereo) {
    const TMPScaleFactors& right = st.ScaleFactors[gr][1];
    if (st.Id == 1) {
      IntensityStereoMpeg1(st, left, right, extent, leftCount, st.MsStereo);
    } else {
      IntensityStereoLsf(st, left, right, extent, leftCount, st.MsStereo, st.LsfIntensity);
    }
  }
  leftCount = rightCount = std::max(leftCount, rightCount);
}
