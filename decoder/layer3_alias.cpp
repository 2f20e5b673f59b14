// Alias reduction between neighbouring sub-bands, plain form.
#include "layer3_forms.h"
#include "layer3_tables.h"

void AliasReducePlain(float* x, int32_t boundaries) {
  const float* cs = Layer3Tables.AliasCs;
  const float* ca = Layer3Tables.AliasCa;
  for (int32_t k = 0; k < boundaries; ++k) {
    float* lower = x + 18 * k + 17;  // last line of sub-band k, going down
    float* upper = x + 18 * k + 18;  // first line of sub-band k + 1, going up
    for (int32_t j = 0; j < 8; ++j) {
      const float a = lower[-j];
      const float b = upper[j];
      lower[-j] = a * cs[j] - b * ca[j];
      upper[j] = b * cs[j] + a * ca[j];
    }
  }
}
