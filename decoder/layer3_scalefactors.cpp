// Scalefactor reading for MPEG-1 and MPEG-2/2.5 Layer III.
#include "layer3_scalefactors.h"

#include "layer3_standard_tables.h"
#include "mp_bit_reader.h"

namespace {

// Reads `count` long bands from `first` with `slen` bits each (0 bits read nothing and give 0).
void ReadLongBands(TMPBitReader& bits, TMPScaleFactors& sf, int32_t first, int32_t count, int32_t slen) {
  for (int32_t b = first; b < first + count; ++b) sf.Long[b] = static_cast<int32_t>(GetMainBits(bits, slen));
}

// Reads `count` short bands from `first`, windows 0, 1, 2 inside each band.
void ReadShortBands(TMPBitReader& bits, TMPScaleFactors& sf, int32_t first, int32_t count, int32_t slen) {
  for (int32_t b = first; b < first + count; ++b)
    for (int32_t w = 0; w < 3; ++w) sf.Short[w][b] = static_cast<int32_t>(GetMainBits(bits, slen));
}

bool IsShort(const TMPGranuleInfo& gi) { return gi.BlockType == 2; }

// Scalefactor groups of the MPEG-1 long-block form and the Scfsi bit that shares each.
struct TScfsiGroup {
  int32_t First;
  int32_t Count;
  int32_t Bit;
};
constexpr TScfsiGroup kScfsiGroups[4] = {{0, 6, 8}, {6, 5, 4}, {11, 5, 2}, {16, 5, 1}};

}  // namespace

void ReadScaleFactorsMpeg1(TMPBitReader& bits, TMPScaleFactors& sf, const TMPScaleFactors& granule0,
                           const TMPGranuleInfo& gi, int32_t scfsi, int32_t gr) {
  const int32_t slen1 = Layer3SlenMpeg1[gi.ScalefacCompress & 15][0];
  const int32_t slen2 = Layer3SlenMpeg1[gi.ScalefacCompress & 15][1];
  if (IsShort(gi)) {
    if (gi.MixedBlock) {
      ReadLongBands(bits, sf, 0, 8, slen1);
      ReadShortBands(bits, sf, 3, 3, slen1);
    } else {
      ReadShortBands(bits, sf, 0, 6, slen1);
    }
    ReadShortBands(bits, sf, 6, 6, slen2);
    return;
  }
  if (gr == 1) {
    for (int32_t g = 0; g < 4; ++g) {
      const TScfsiGroup& group = kScfsiGroups[g];
      if (scfsi & group.Bit) {
        for (int32_t b = group.First; b < group.First + group.Count; ++b) sf.Long[b] = granule0.Long[b];
      } else {
        ReadLongBands(bits, sf, group.First, group.Count, g < 2 ? slen1 : slen2);
      }
    }
    return;
  }
  ReadLongBands(bits, sf, 0, 11, slen1);
  ReadLongBands(bits, sf, 11, 10, slen2);
}

void ReadScaleFactorsLsf(TMPBitReader& bits, TMPScaleFactors& sf, TMPGranuleInfo& gi, bool rightIntensity,
                         TMPLsfIntensity& intensity) {
  const int32_t c = gi.ScalefacCompress & 511;
  const int32_t kind = !IsShort(gi) ? 0 : gi.MixedBlock ? 2 : 1;
  int32_t row;
  int32_t slen[4];
  if (!rightIntensity) {
    if (c < 400) {
      row = 0;
      slen[0] = (c >> 4) / 5;
      slen[1] = (c >> 4) % 5;
      slen[2] = (c >> 2) & 3;
      slen[3] = c & 3;
    } else if (c < 500) {
      row = 1;
      const int32_t d = c - 400;
      slen[0] = (d >> 2) / 5;
      slen[1] = (d >> 2) % 5;
      slen[2] = d & 3;
      slen[3] = 0;
    } else {
      row = 2;
      const int32_t d = c - 500;
      slen[0] = d / 3;
      slen[1] = kind == 2 ? d / 3 : d % 3;  // the mixed form splits the first group
      slen[2] = kind == 2 ? d % 3 : 0;
      slen[3] = 0;
    }
  } else {
    const int32_t d = c >> 1;
    if (d < 180) {
      row = 3;
      slen[0] = d / 36;
      slen[1] = (d % 36) / 6;
      slen[2] = (d % 36) % 6;
    } else if (d < 244) {
      row = 4;
      const int32_t e = d - 180;
      slen[0] = e >> 4;
      slen[1] = (e >> 2) & 3;
      slen[2] = e & 3;
    } else {
      row = 5;
      const int32_t e = d - 244;
      slen[0] = e / 3;
      slen[1] = e % 3;
      slen[2] = 0;
    }
    slen[3] = 0;
  }
  gi.Preflag = row == 2 ? 1 : 0;
  const int32_t* groups = Layer3LsfGroupBands[row][kind];
  if (rightIntensity) {
    for (int32_t g = 0; g < 3; ++g) {
      intensity.GroupBands[g] = groups[g];
      intensity.GroupSlen[g] = slen[g];
    }
    intensity.IntensityScale = c & 1;
  }
  int32_t band = 0;
  int32_t g = 0;
  if (kind == 2) {  // six long bands, then short bands from 3
    ReadLongBands(bits, sf, 0, groups[0], slen[0]);
    band = 3;
    g = 1;
  }
  for (; g < 4; ++g) {
    if (kind == 0) {
      ReadLongBands(bits, sf, band, groups[g], slen[g]);
    } else {
      ReadShortBands(bits, sf, band, groups[g], slen[g]);
    }
    band += groups[g];
  }
}
