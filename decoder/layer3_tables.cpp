// BuildLayer3Tables: the float tables of requantisation, stereo, alias reduction and the
// hybrid filterbank.
#include "layer3_tables.h"

#include <algorithm>
#include <cmath>

#include "layer3_hybrid.h"
#include "layer3_standard_tables.h"

TLayer3Tables Layer3Tables;

namespace {

const double kPi = 4.0 * std::atan(1.0);

void BuildRequantTables(TLayer3Tables& t) {
  for (int i = 0; i < 262; ++i) t.Gain[i] = static_cast<float>(std::pow(2.0, (i - 156) / 4.0));
  for (int s = 0; s < 2; ++s)
    for (int p = 0; p < 4; ++p)
      for (int f = 0; f < 32; ++f)
        t.Scale[s][p][f] = static_cast<float>(std::pow(2.0, -(s + 1) * 0.5 * (p + f)));
  for (int v = -32; v < 32; ++v)
    t.Power[v + 32] = static_cast<float>(v * std::cbrt(std::fabs(static_cast<double>(v))));
  for (int32_t v = 0; v <= kLargestQuantized; ++v)
    t.PowerLarge[v] = static_cast<float>(v * std::cbrt(static_cast<double>(v)));
  for (int k = 0; k < 8; ++k) t.Subblock[k] = static_cast<float>(std::pow(2.0, -2.0 * k));
}

void BuildStereoTables(TLayer3Tables& t) {
  const double root2 = std::sqrt(2.0);
  for (int ms = 0; ms < 2; ++ms) {
    const double m = ms ? root2 : 1.0;
    for (int p = 0; p < 7; ++p) {
      const double sn = std::sin(p * kPi / 12.0);
      const double cs = std::cos(p * kPi / 12.0);
      t.IntensityMpeg1[ms][p][0] = static_cast<float>(sn / (sn + cs) * m);
      t.IntensityMpeg1[ms][p][1] = static_cast<float>(cs / (sn + cs) * m);
    }
    t.IntensityMpeg1[ms][7][0] = 1.0f;
    t.IntensityMpeg1[ms][7][1] = ms ? 1.0f : 0.0f;
  }
  for (int scale = 0; scale < 2; ++scale) {
    const double io = std::pow(2.0, -(scale + 1) / 4.0);
    for (int ms = 0; ms < 2; ++ms) {
      const double m = ms ? root2 : 1.0;
      float(*entry)[2] = t.IntensityLsf[scale][ms];
      for (int slen = 0; slen <= 5; ++slen) {
        const int first = (1 << slen) - 1;
        const int last = (1 << slen) - 1;  // the illegal position: the largest value of slen bits
        for (int j = 0; j < last; ++j) {
          double kl = m, kr = m;
          if (j & 1) {
            kl = std::pow(io, (j + 1) / 2) * m;
          } else if (j > 0) {
            kr = std::pow(io, j / 2) * m;
          }
          entry[first + j][0] = static_cast<float>(kl);
          entry[first + j][1] = static_cast<float>(kr);
        }
        entry[first + last][0] = 1.0f;
        entry[first + last][1] = ms ? 1.0f : 0.0f;
      }
      entry[63][0] = 1.0f;  // not reachable from a stream; the illegal position
      entry[63][1] = ms ? 1.0f : 0.0f;
    }
  }
}

void BuildAliasTables(TLayer3Tables& t) {
  for (int i = 0; i < 8; ++i) {
    const double c = Layer3AliasCoefficients[i];
    const double root = std::sqrt(1.0 + c * c);
    t.AliasCs[i] = static_cast<float>(1.0 / root);
    t.AliasCa[i] = static_cast<float>(c / root);
  }
}

// Entry i of the window of block type `type`, signed as stored in Window.
double WindowEntry(int type, int i) {
  if (type == 2) {
    const double shortSine = i < 12 ? std::sin(kPi / 12.0 * (i + 0.5)) : 0.0;
    return i >= 3 ? -shortSine : shortSine;
  }
  double w = std::sin(kPi / 36.0 * (i + 0.5));
  if (type == 1 && i >= 18) w = i < 24 ? 1.0 : i < 30 ? std::sin(kPi / 12.0 * (i - 18 + 0.5)) : 0.0;
  if (type == 3 && i < 18) w = i < 6 ? 0.0 : i < 12 ? std::sin(kPi / 12.0 * (i - 6 + 0.5)) : 1.0;
  return i >= 9 ? -w : w;
}

void BuildWindows(TLayer3Tables& t) {
  for (int type = 0; type < 4; ++type)
    for (int i = 0; i < 36; ++i) t.Window[type][i] = static_cast<float>(WindowEntry(type, i));
}

void Narrow(const double* from, float* to, int n) {
  for (int i = 0; i < n; ++i) to[i] = static_cast<float>(from[i]);
}

void BuildImdctTables(TLayer3Tables& t) {
  for (int m = 0; m < 18; ++m) t.Dct18Post[m] = 0.5 / std::cos((2 * m + 1) * kPi / 72.0);
  for (int m = 0; m < 9; ++m) t.Dct9Post[m] = 0.5 / std::cos((2 * m + 1) * kPi / 36.0);
  for (int m = 0; m < 6; ++m) t.Dct6Post[m] = 0.5 / std::cos((2 * m + 1) * kPi / 24.0);
  for (int m = 0; m < 4; ++m) {
    for (int j = 0; j < 4; ++j) {
      t.Dct9Even[m][j] = std::cos(kPi * (2 * m + 1) * 2 * (j + 1) / 18.0);
      t.Dct9Odd[m][j] = std::cos(kPi * (2 * m + 1) * (2 * j + 1) / 18.0);
    }
  }
  for (int m = 0; m < 3; ++m) {
    for (int j = 0; j < 2; ++j) t.Dct3Even[m][j] = std::cos(kPi * (2 * m + 1) * (j + 1) / 6.0);
    for (int j = 0; j < 3; ++j) t.Dct3Odd[m][j] = std::cos(kPi * (2 * m + 1) * (2 * j + 1) / 12.0);
  }
  // Long window entries j, 9 + j, 18 + j, 27 + j (j = 0..8) take outputs 9 + j, 17 - j, 8 - j, j.
  for (int type = 0; type < 4; ++type) {
    for (int i = 0; i < 36; ++i) {
      const int j = i % 9;
      const int output = i < 9 ? 9 + j : i < 18 ? 17 - j : i < 27 ? 8 - j : j;
      t.WindowPostF[type][i] = static_cast<float>(WindowEntry(type, i) * t.Dct18Post[output]);
    }
  }
  for (int n = 0; n < 12; ++n)
    t.ShortWindowPostF[n] = static_cast<float>(WindowEntry(2, n) * t.Dct6Post[kShortWindowTap[n]]);
  Narrow(t.Dct9Post, t.Dct9PostF, 9);
  Narrow(&t.Dct9Even[0][0], &t.Dct9EvenF[0][0], 16);
  Narrow(&t.Dct9Odd[0][0], &t.Dct9OddF[0][0], 16);
  Narrow(&t.Dct3Even[0][0], &t.Dct3EvenF[0][0], 6);
  Narrow(&t.Dct3Odd[0][0], &t.Dct3OddF[0][0], 9);
  for (int k = 0; k < 18; ++k)
    for (int m = 0; m < 24; ++m)
      t.ImdctLongMatrix[k][m] =
          m < 18 ? static_cast<float>(std::cos(kPi * (2 * m + 1) * (2 * k + 1) / 72.0)) : 0.0f;
  for (int k = 0; k < 6; ++k)
    for (int m = 0; m < 8; ++m)
      t.ImdctShortMatrix[k][m] =
          m < 6 ? static_cast<float>(std::cos(kPi * (2 * m + 1) * (2 * k + 1) / 24.0)) : 0.0f;
}

}  // namespace

void BuildLayer3Tables() {
  BuildRequantTables(Layer3Tables);
  BuildStereoTables(Layer3Tables);
  BuildAliasTables(Layer3Tables);
  BuildWindows(Layer3Tables);
  BuildImdctTables(Layer3Tables);
}
