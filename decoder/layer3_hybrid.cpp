// Hybrid filterbank, plain form, and the parts every form shares.
#include "layer3_hybrid.h"

#include <algorithm>
#include <cstring>

#include "decoder_forms.h"
#include "layer3_forms.h"
#include "layer3_state.h"
#include "layer3_tables.h"

int32_t FilterBlockType(const TMPGranuleInfo& gi) {
  return (gi.BlockType & 3) | (gi.MixedBlock ? kMixedWindowFlag : 0);
}

THybridRanges HybridRangesOf(const TMPLayer3State& st, int32_t blockType, int32_t longLines, int32_t lines,
                             int32_t previousLines) {
  const int32_t type = blockType & 3;
  THybridRanges r;
  r.LongEnd = (longLines + 17) / 18;
  r.ShortEnd = std::max(r.LongEnd, (lines + 17) / 18);
  r.OverlapEnd = std::max(r.ShortEnd, (previousLines + 17) / 18);
  // A mixed flag keeps the lowest sub-bands on the normal window whatever the block type;
  // the long sub-bands of a short block type are those of a mixed block.
  r.MixedEnd = (blockType & kMixedWindowFlag) ? std::min(st.MixedSubbands, r.LongEnd) : 0;
  r.LongWindow = Layer3Tables.Window[type == 2 ? 0 : type];
  r.LongWindowPost = Layer3Tables.WindowPostF[type == 2 ? 0 : type];
  return r;
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
    const float* outputs = u + 6 * w;
    for (int32_t n = 0; n < 12; ++n) frame[n] += window[n] * outputs[kShortWindowTap[n]];
  }
}

int32_t FinishHybrid(const THybridRanges& r, const float* overlap, float* newOverlap, float* samples) {
  // Everything above is cleared, up to sub-band 31: the vector forms widen their last range of
  // sub-bands into it and rely on a clean overlap there.
  const int32_t bands = 32;
  for (int32_t t = 0; t < 18; ++t) {
    float* __restrict out = samples + 32 * t;
    float* __restrict next = newOverlap + 32 * t;
    const float* __restrict prev = overlap + 32 * t;
    for (int32_t s = r.ShortEnd; s < r.OverlapEnd; ++s) out[s] = prev[s] * InversionSign(t, s);
    for (int32_t s = r.OverlapEnd; s < bands; ++s) out[s] = 0.0f;
    for (int32_t s = r.ShortEnd; s < bands; ++s) next[s] = 0.0f;
  }
  return 18 * r.OverlapEnd;
}

namespace {

using TKernel = void (*)(float* values);

// Runs the kernels over sub-bands [first, end) of x (sub-band major, 18 values each, changed in
// place) and calls emit(s, z) with the windowed frame of each.
template <typename Emit>
void FilterRange(float* x, int32_t first, int32_t end, const float* longWindow, TKernel kernel, Emit emit) {
  float z[36];
  for (int32_t s = first; s < end; ++s) {
    kernel(x + 18 * s);
    if (longWindow) {
      WindowLong(x + 18 * s, longWindow, z);
    } else {
      WindowShort(x + 18 * s, z);
    }
    emit(s, z);
  }
}

template <typename Emit>
void FilterAll(float* x, const THybridRanges& r, TKernel imdctLong, TKernel imdctShort, Emit emit) {
  FilterRange(x, 0, r.MixedEnd, Layer3Tables.Window[0], imdctLong, emit);
  FilterRange(x, r.MixedEnd, r.LongEnd, r.LongWindow, imdctLong, emit);
  FilterRange(x, r.LongEnd, r.ShortEnd, nullptr, imdctShort, emit);
}

}  // namespace

int32_t HybridFilterPlain(TMPLayer3State& st, float* x, float* o, float* out, int32_t blockType,
                          int32_t longLines, int32_t lines, int32_t previousLines) {
  const THybridRanges r = HybridRangesOf(st, blockType, longLines, lines, previousLines);
  // The new overlap goes over x in another layout: work on a copy of the spectrum.
  float* input = st.Reorder;
  std::memcpy(input, x, sizeof(float) * 18 * static_cast<size_t>(r.ShortEnd));
  FilterAll(input, r, ImdctLongPlain, ImdctShortPlain, [&](int32_t s, const float* z) {
    for (int32_t t = 0; t < 18; ++t) {
      out[32 * t + s] = (o[32 * t + s] + z[t]) * InversionSign(t, s);
      x[32 * t + s] = z[18 + t];
    }
  });
  return FinishHybrid(r, o, x, out);
}

int32_t HybridFilterAdd(const TMPLayer3State& st, float* x, float* shared, float* out, int32_t blockType,
                        int32_t longLines, int32_t lines) {
  const THybridRanges r = HybridRangesOf(st, blockType, longLines, lines, 0);
  FilterAll(x, r, st.Forms->ImdctLong, st.Forms->ImdctShort, [&](int32_t s, const float* z) {
    for (int32_t t = 0; t < 18; ++t) {
      out[32 * t + s] += z[t] * InversionSign(t, s);
      shared[32 * t + s] += z[18 + t];
    }
  });
  return 18 * r.ShortEnd;
}
