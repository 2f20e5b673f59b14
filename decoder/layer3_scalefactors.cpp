// Scalefactor reading for MPEG-1 and MPEG-2/2.5 Layer III.
#include "layer3_scalefactors.h"

#include <algorithm>

#include "layer3_standard_tables.h"
#include "mp_bit_reader.h"

namespace {

// The next field of slen (1..5) bits from a window that holds it.
inline int32_t TakeField(TWideBits& bits, int32_t slen) {
  const auto v = static_cast<int32_t>(bits.Acc >> (64 - slen));
  ConsumeWide(bits, slen);
  return v;
}

// Fields of 1..5 bits (the longest scalefactor) that one refill of 56 bits covers.
constexpr int32_t kFieldsPerRefill[6] = {0, 56, 28, 18, 14, 11};

// Reads `count` long bands from `first` with `slen` bits each (0 bits read nothing and give 0),
// with one refill for as many fields as 56 bits hold.
void ReadLongBands(TWideBits& bits, TMPScaleFactors& sf, int32_t first, int32_t count, int32_t slen) {
  const int32_t end = first + count;
  if (slen == 0) {
    std::fill(sf.Long + first, sf.Long + end, 0);
    return;
  }
  for (int32_t b = first; b < end;) {
    RefillWide(bits, 56);
    for (const int32_t chunkEnd = std::min(end, b + kFieldsPerRefill[slen]); b < chunkEnd; ++b)
      sf.Long[b] = TakeField(bits, slen);
  }
}

// Reads `count` short bands from `first`, windows 0, 1, 2 inside each band.
void ReadShortBands(TWideBits& bits, TMPScaleFactors& sf, int32_t first, int32_t count, int32_t slen) {
  for (int32_t b = first; b < first + count; ++b) {
    if (slen == 0) {
      for (int32_t w = 0; w < 3; ++w) sf.Short[w][b] = 0;
      continue;
    }
    RefillWide(bits, 3 * slen);
    for (int32_t w = 0; w < 3; ++w) sf.Short[w][b] = TakeField(bits, slen);
  }
}

bool IsShort(const TMPGranuleInfo& gi) { return gi.BlockType == 2; }

// Scalefactor groups of the MPEG-1 long-block form and the Scfsi bit that shares each.
struct TScfsiGroup {
  int32_t First;
  int32_t Count;
  int32_t Bit;
};
constexpr TScfsiGroup kScfsiGroups[4] = {{0, 6, 8}, {6, 5, 4}, {11, 5, 2}, {16, 5, 1}};

void ReadMpeg1(TWideBits& bits, TMPScaleFactors& sf, const TMPScaleFactors& granule0,
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

void ReadLsf(TWideBits& bits, TMPScaleFactors& sf, TMPGranuleInfo& gi, bool rightIntensity,
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

}  // namespace

// The fields are a few bits each: the 64-bit window refills once for many of them.
void ReadScaleFactorsMpeg1(TMPBitReader& bits, TMPScaleFactors& sf, const TMPScaleFactors& granule0,
                           const TMPGranuleInfo& gi, int32_t scfsi, int32_t gr) {
  TWideBits w = WidenBits(bits);
  ReadMpeg1(w, sf, granule0, gi, scfsi, gr);
  NarrowBits(w, bits);
}

void ReadScaleFactorsLsf(TMPBitReader& bits, TMPScaleFactors& sf, TMPGranuleInfo& gi, bool rightIntensity,
                         TMPLsfIntensity& intensity) {
  TWideBits w = WidenBits(bits);
  ReadLsf(w, sf, gi, rightIntensity, intensity);
  NarrowBits(w, bits);
}
