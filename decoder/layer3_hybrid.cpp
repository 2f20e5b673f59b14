// Hybrid filterbank, plain form, and the parts every form shares.
#include "layer3_hybrid.h"

#include <algorithm>
#include <cstring>

#include "layer3_forms.h"
#include "layer3_state.h"
#include "layer3_tables.h"
#include "mp_cpu.h"

const int32_t kShortWindowTap[12] = {3, 4, 5, 5, 4, 3, 2, 1, 0, 0, 1, 2};

int32_t FilterBlockType(const TMPGranuleInfo& gi) {
  return (gi.BlockType & 3) | (gi.MixedBlock ? kMixedWindowFlag : 0);
}

const float* LongWindowOf(int32_t blockType, int32_t s) {
  const int32_t type = blockType & 3;
  const bool normal =
      type == 2 || ((blockType & kMixedWindowFlag) != 0 && s < Layer3State.MixedSubbands);
  return Layer3Tables.Window[normal ? 0 : type];
}

void WindowLong(const float* y, const float* window, float* z) {
  for (int32_t j = 0; j < 9; ++j) {
    z[j] = window[j] * y[9 + j];
    z[9 + j] = window[9 + j] * y[17 - j];
    z[18 + j] = window[18 + j] * y[8 - j];
    z[27 + j] = window[27 + j] * y[j];
  }
}

void WindowShort(const float* u, float* z) {
  const float* window = Layer3Tables.Window[2];
  std::fill(z, z + 36, 0.0f);
  for (int32_t w = 0; w < 3; ++w) {
    float* frame = z + 6 + 6 * w;
    const float* window6 = u + 6 * w;
    for (int32_t n = 0; n < 12; ++n) frame[n] += window[n] * window6[kShortWindowTap[n]];
  }
}

namespace {

using TKernel = void (*)(float* values);

// Runs the kernels over the live sub-bands: calls emit(i, z) with the windowed frame of sub-band
// i. Returns the number of sub-bands done.
template <typename Emit>
int32_t FilterSubbands(float* x, int32_t blockType, int32_t longLines, int32_t lines,
                       TKernel imdctLong, TKernel imdctShort, Emit emit) {
  float z[36];
  int32_t i = 0;
  for (const int32_t end = (longLines + 17) / 18; i < end; ++i) {
    imdctLong(x + 18 * i);
    WindowLong(x + 18 * i, LongWindowOf(blockType, i), z);
    emit(i, z);
  }
  for (const int32_t end = (lines + 17) / 18; i < end; ++i) {
    imdctShort(x + 18 * i);
    WindowShort(x + 18 * i, z);
    emit(i, z);
  }
  return i;
}

}  // namespace

int32_t HybridFilterPlain(float* x, float* o, float* out, int32_t blockType, int32_t longLines,
                          int32_t lines, int32_t previousLines) {
  int32_t i = FilterSubbands(x, blockType, longLines, lines, ImdctLongPlain, ImdctShortPlain,
                             [&](int32_t s, const float* z) {
                               const float* prev = o + 18 * s;
                               for (int32_t t = 0; t < 18; ++t) out[32 * t + s] = prev[t] + z[t];
                               std::memcpy(x + 18 * s, z + 18, 18 * sizeof(float));
                             });
  for (const int32_t end = (previousLines + 17) / 18; i < end; ++i)
    for (int32_t t = 0; t < 18; ++t) out[32 * t + i] = o[18 * i + t];
  for (int32_t t = 0; t < 18; ++t)
    for (int32_t s = i; s < Layer3State.HybridBands; ++s) out[32 * t + s] = 0.0f;
  return 18 * i;
}

int32_t HybridFilterAdd(float* x, float* shared, float* out, int32_t blockType,
                        int32_t longLines, int32_t lines) {
  const int32_t done = FilterSubbands(x, blockType, longLines, lines, ImdctLong, ImdctShort,
                                      [&](int32_t s, const float* z) {
                                        float* overlap = shared + 18 * s;
                                        for (int32_t t = 0; t < 18; ++t) {
                                          out[32 * t + s] += z[t];
                                          overlap[t] += z[18 + t];
                                        }
                                      });
  return 18 * done;
}

void FrequencyInvert(float* samples, int32_t lines) {
  for (int32_t k = 0, end = (lines + 17) / 36; k < end; ++k)
    for (int32_t t = 1; t < 18; t += 2) samples[32 * t + 2 * k + 1] = -samples[32 * t + 2 * k + 1];
}
