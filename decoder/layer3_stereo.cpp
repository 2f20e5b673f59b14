// Mid/side and intensity stereo.
#include "layer3_stereo.h"

#include <algorithm>

#include "layer3_tables.h"

namespace {

// First line of the intensity region: above the right channel's last nonzero band.
int32_t IntensityStart(const TMPBandExtent& right) {
  const TMPLayer3State& st = Layer3State;
  return right.HasShort ? st.ShortBoundary3[right.LastBand + 1] : st.LongBoundary[right.LastBand + 1];
}

// R = L * kR, L = L * kL for one line.
inline void Spread(float* left, int32_t i, const float* pair) {
  const float l = left[i];
  left[i + kRightChannelOffset] = l * pair[1];
  left[i] = l * pair[0];
}

// Long right channel, bands LastBand + 1 .. 20, at most leftCount - start lines; pairOf(b) gives
// the {kL, kR} of band b.
template <typename PairOf>
void IntensityLong(float* left, const TMPBandExtent& right, int32_t leftCount, PairOf pairOf) {
  const TMPLayer3State& st = Layer3State;
  int32_t remaining = leftCount - IntensityStart(right);
  for (int32_t b = right.LastBand + 1; b <= 20; ++b) {
    const float* pair = pairOf(b);
    for (int32_t i = st.LongBoundary[b]; i < st.LongBoundary[b + 1]; ++i) {
      if (--remaining < 0) return;
      Spread(left, i, pair);
    }
  }
}

}  // namespace

void MidSideStereo(float* left, int32_t lines) {
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

void IntensityStereoMpeg1(float* left, const TMPScaleFactors& right, const TMPBandExtent* extent,
                          int32_t leftCount, int32_t msStereo) {
  const TMPLayer3State& st = Layer3State;
  const auto& table = Layer3Tables.IntensityMpeg1[msStereo & 1];
  // Positions 8..15 (possible in 4-bit bands) have no ratio: they count as the illegal one.
  auto pairOf = [&table](int32_t position) { return table[std::min(position, 7)]; };
  const TMPBandExtent& r = extent[1];
  if (!r.HasShort) {
    IntensityLong(left, r, leftCount, [&](int32_t b) { return pairOf(right.Long[b]); });
    return;
  }
  int32_t remaining = leftCount - IntensityStart(r);
  for (int32_t b = r.LastBand + 1; b <= 11; ++b) {
    const float* pair[3] = {pairOf(right.Short[0][b]), pairOf(right.Short[1][b]),
                            pairOf(right.Short[2][b])};
    for (int32_t i = st.ShortBoundary3[b]; i < st.ShortBoundary3[b + 1]; i += 3) {
      remaining -= 3;
      if (remaining < 0) return;
      for (int32_t w = 0; w < 3; ++w) Spread(left, i + w, pair[w]);
    }
  }
}

void IntensityStereoLsf(float* left, const TMPScaleFactors& right, const TMPBandExtent* extent,
                        int32_t leftCount, int32_t msStereo, const TMPLsfIntensity& lsf) {
  const TMPLayer3State& st = Layer3State;
  const auto& table = Layer3Tables.IntensityLsf[lsf.IntensityScale & 1][msStereo & 1];
  const TMPBandExtent& r = extent[1];
  // Offset of each band's sub-table: bands of the first three groups use their group's, every
  // other band the one-entry sub-table of the illegal position. In a mixed block the groups
  // after the six long bands carry short bands from 3 on, and those keep their groups' offsets.
  int32_t offset[22] = {};
  int32_t band = r.HasShort && r.LongBands ? 3 : 0;
  for (int32_t g = r.HasShort && r.LongBands ? 1 : 0; g < 3; ++g) {
    for (int32_t k = 0; k < lsf.GroupBands[g] && band < 22; ++k)
      offset[band++] = (1 << lsf.GroupSlen[g]) - 1;
  }
  auto pairOf = [&](int32_t b, int32_t position) { return table[(offset[b] + position) & 63]; };
  if (!r.HasShort) {
    IntensityLong(left, r, leftCount, [&](int32_t b) { return pairOf(b, right.Long[b]); });
    return;
  }
  const TMPBandExtent& l = extent[0];
  for (int32_t w = 0; w < 3; ++w) {
    for (int32_t b = r.LastShortBand[w] + 1; b <= l.LastShortBand[w]; ++b) {
      const float* pair = pairOf(b, right.Short[w][b]);
      for (int32_t i = st.ShortBoundary3[b] + w; i < st.ShortBoundary3[b + 1]; i += 3)
        Spread(left, i, pair);
    }
  }
}

void JointStereo(int32_t gr) {
  TMPLayer3State& st = Layer3State;
  if (st.ModeExtension == 0) return;
  float* left = Layer3Spectrum(0, gr);
  int32_t& leftCount = st.LineCount[gr][0];
  int32_t& rightCount = st.LineCount[gr][1];
  const TMPBandExtent* extent = st.Extent[gr];
  if (st.MsStereo) {
    // Lines above both counts are zero in both channels and need nothing.
    int32_t lines = std::max(leftCount, rightCount);
    if (st.IntensityStereo) lines = std::min(lines, IntensityStart(extent[1]));
    MidSideStereo(left, lines);
  }
  if (st.IntensityStereo) {
    const TMPScaleFactors& right = st.ScaleFactors[gr][1];
    if (st.Id == 1) {
      IntensityStereoMpeg1(left, right, extent, leftCount, st.MsStereo);
    } else {
      IntensityStereoLsf(left, right, extent, leftCount, st.MsStereo, st.LsfIntensity);
    }
  }
  leftCount = rightCount = std::max(leftCount, rightCount);
}
