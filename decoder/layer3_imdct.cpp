// IMDCT kernels of the hybrid filterbank, plain form (double precision inside).
//
// Both kernels are DCT-IVs: with the outputs in the order the windows expect, the 36-point IMDCT
// of 18 values is the 18-point DCT-IV Y[m] = sum_k X[k] cos(pi (2m + 1)(2k + 1) / 72), and each
// window of the short IMDCT the 6-point one. A DCT-IV of size N is a DCT-III of the neighbour sums
// Z[k] = X[k] + X[k - 1], divided by 2 cos(pi (2m + 1) / 4N); a DCT-III of even size splits into
// a DCT-III (even inputs) and a DCT-IV (odd inputs) of half the size, whose sum and difference
// give the outputs m and N - 1 - m.
#include "layer3_forms.h"
#include "layer3_tables.h"

namespace {

// F[m] = sum_{j=0..8} a[j] cos(pi (2m + 1) j / 18); outputs m and 8 - m share their products.
void Dct3Of9(const double* a, double* f) {
  const TLayer3Tables& t = Layer3Tables;
  for (int m = 0; m < 4; ++m) {
    const double* ce = t.Dct9Even[m];
    const double* co = t.Dct9Odd[m];
    const double even = a[0] + a[2] * ce[0] + a[4] * ce[1] + a[6] * ce[2] + a[8] * ce[3];
    const double odd = a[1] * co[0] + a[3] * co[1] + a[5] * co[2] + a[7] * co[3];
    f[m] = even + odd;
    f[8 - m] = even - odd;
  }
  f[4] = a[0] - a[2] + a[4] - a[6] + a[8];
}

// The 9-point DCT-IV through its DCT-III.
void Dct4Of9(const double* a, double* f) {
  double z[9];
  z[0] = a[0];
  for (int k = 1; k < 9; ++k) z[k] = a[k] + a[k - 1];
  double d[9];
  Dct3Of9(z, d);
  for (int m = 0; m < 9; ++m) f[m] = d[m] * Layer3Tables.Dct9Post[m];
}

}  // namespace

void ImdctLongPlain(float* v) {
  double even[9];
  double odd[9];
  even[0] = v[0];
  odd[0] = static_cast<double>(v[1]) + v[0];
  for (int j = 1; j < 9; ++j) {
    even[j] = static_cast<double>(v[2 * j]) + v[2 * j - 1];
    odd[j] = static_cast<double>(v[2 * j + 1]) + v[2 * j];
  }
  double e[9];
  double o[9];
  Dct3Of9(even, e);
  Dct4Of9(odd, o);
  const double* post = Layer3Tables.Dct18Post;
  for (int m = 0; m < 9; ++m) {
    v[m] = static_cast<float>((e[m] + o[m]) * post[m]);
    v[17 - m] = static_cast<float>((e[m] - o[m]) * post[17 - m]);
  }
}

void ImdctShortPlain(float* v) {
  const TLayer3Tables& t = Layer3Tables;
  double u[18];
  for (int w = 0; w < 3; ++w) {
    double z[6];
    z[0] = v[w];
    for (int k = 1; k < 6; ++k) z[k] = static_cast<double>(v[3 * k + w]) + v[3 * k - 3 + w];
    for (int m = 0; m < 3; ++m) {
      const double even = z[0] + z[2] * t.Dct3Even[m][0] + z[4] * t.Dct3Even[m][1];
      const double odd = z[1] * t.Dct3Odd[m][0] + z[3] * t.Dct3Odd[m][1] + z[5] * t.Dct3Odd[m][2];
      u[6 * w + m] = (even + odd) * t.Dct6Post[m];
      u[6 * w + 5 - m] = (even - odd) * t.Dct6Post[5 - m];
    }
  }
  for (int i = 0; i < 18; ++i) v[i] = static_cast<float>(u[i]);
}
