// Builds the Layer I/II requantisation tables.
#include "layer12_tables.h"

#include <cmath>

#include "tables/layer2_alloc_tables.h"

float ScalefactorTable[64];
float Layer2ClassFactor[18];
float Layer2ClassMidpoint[18];
int32_t Layer2GranuleBits[18];
float Degroup3[32][3];
float Degroup5[128][3];
float Degroup9[1024][3];
float Layer1Factor[16];
int32_t Layer1SampleBits[16];

namespace {

// Digit k (first sample first) of every code word, centred: (code / L^k) mod L - (L - 1) / 2.
// Code words beyond L^3 - 1 follow the same rule.
template <int32_t Codes>
void BuildDegroup(float (&table)[Codes][3], int32_t levels) {
  for (int32_t code = 0; code < Codes; ++code) {
    int32_t rest = code;
    for (int32_t k = 0; k < 3; ++k) {
      table[code][k] = static_cast<float>(rest % levels - (levels - 1) / 2);
      rest /= levels;
    }
  }
}

}  // namespace

void BuildLayer12Tables() {
  for (int32_t i = 0; i < 64; ++i) ScalefactorTable[i] = static_cast<float>(std::exp2(-i / 3.0) * 65536.0);
  for (int32_t c = 1; c < 18; ++c) {
    const int32_t levels = kLayer2ClassLevels[c];
    Layer2ClassFactor[c] = static_cast<float>(2.0 / levels);
    Layer2ClassMidpoint[c] = static_cast<float>((levels - 1) / 2);
    Layer2GranuleBits[c] = kLayer2ClassCodeBits[c] * (kLayer2ClassGrouped[c] ? 1 : 3);
  }
  BuildDegroup(Degroup3, 3);
  BuildDegroup(Degroup5, 5);
  BuildDegroup(Degroup9, 9);
}

void BuildLayer1Tables() {
  for (int32_t a = 1; a < 16; ++a) {
    Layer1Factor[a] = static_cast<float>(2.0 / ((1 << (a + 1)) - 1));
    Layer1SampleBits[a] = a + 1;
  }
}
