// Float tables of the Layer III decoder, built once for the process (BuildDecoderTables).
#pragma once

#include <cstdint>

// The largest magnitude a quantised value can have: 15 plus 13 linbits.
constexpr int32_t kLargestQuantized = 15 + 8191;

struct TLayer3Tables {
  // 2^((i - 156) / 4): the factor of a stored GlobalGain g is Gain[g + 6]; it carries the 2^15
  // that makes full-scale PCM +-32768.
  float Gain[262];
  // [ScalefacScale][pretab value][scalefactor] = 2^(-(s + 1) / 2 * (p + f)).
  float Scale[2][4][32];
  float Power[64];  // v = -32..31 at v + 32: v * |v|^(1/3)
  // |v|^(4/3) for every magnitude a code with linbits can give (15 + 8191).
  float PowerLarge[kLargestQuantized + 1];
  float Subblock[8];  // 2^(-2k)
  float AliasCs[8];
  float AliasCa[8];
  // {kL, kR} by [MsStereo][intensity position 0..7]; with M/S the factors undo the 1/sqrt(2)
  // already in both gains.
  float IntensityMpeg1[2][8][2];
  // {kL, kR} by [IntensityScale][MsStereo][entry]; the sub-table of a group of slen bits starts
  // at entry 2^slen - 1 and its last entry is the illegal position.
  float IntensityLsf[2][2][64][2];
  // Windows by block type with entries 9..35 (types 0, 1, 3) and 3..11 (type 2) negated, so
  // the IMDCT outputs in kernel order need one product per term.
  float Window[4][36];
  // Plain IMDCT kernels: 1 / (2 cos((2m + 1) pi / 4N)) for N = 18, 9, 6 and the cosines of the
  // 9-point and 3-point transforms they reduce to.
  double Dct18Post[18];
  double Dct9Post[9];
  double Dct6Post[6];
  double Dct9Even[4][4];  // cos(pi (2m + 1) 2j / 18), m = 0..3, j = 1..4
  double Dct9Odd[4][4];   // cos(pi (2m + 1) (2j + 1) / 18), m = 0..3, j = 0..3
  double Dct3Even[3][2];  // cos(pi (2m + 1) j / 6), m = 0..2, j = 1..2
  double Dct3Odd[3][3];   // cos(pi (2m + 1) (2j + 1) / 12)
  // Those of the 9-point and 3-point transforms in single precision, for the vector forms of
  // the hybrid filterbank (the 18- and 6-point factors are in their windows below).
  float Dct9PostF[9];
  float Dct9EvenF[4][4];
  float Dct9OddF[4][4];
  float Dct3EvenF[3][2];
  float Dct3OddF[3][3];
  // Window by block type times the factor 1 / (2 cos) of the IMDCT output each entry takes, so
  // the vector forms scale and window an output with one product; ShortWindowPostF likewise
  // for entries 0..11 of the short window.
  float WindowPostF[4][36];
  float ShortWindowPostF[12];
  // Vector forms of the IMDCT slots, as matrix products: [k][m] = cos(pi (2m + 1)(2k + 1) / 4N)
  // for N = 18 and 6, rows padded to whole vectors.
  alignas(32) float ImdctLongMatrix[18][24];
  alignas(32) float ImdctShortMatrix[6][8];
};

extern TLayer3Tables Layer3Tables;

void BuildLayer3Tables();
