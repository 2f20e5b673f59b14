// Channel routines of the Layer III decoder.
#include "layer3_channels.h"

#include <algorithm>

#include "decoder_forms.h"
#include "layer3_hybrid.h"
#include "layer3_state.h"
#include "synthesis.h"

namespace {

// Lines of granule gr, channel ch that go through the filterbank.
int32_t LiveLines(const TMPLayer3State& st, int32_t gr, int32_t ch) {
  return std::min(st.LineLimit, st.LineCount[gr][ch]);
}

// Lines of the granule's long sub-bands: all of a long block, the long part of a mixed block.
int32_t LongLines(const TMPLayer3State& st, const TMPGranuleInfo& gi, int32_t lines) {
  if (gi.BlockType != 2) return lines;
  return gi.MixedBlock ? std::min(st.LongBoundary[st.MixedLongBands], st.LineLimit) : 0;
}

// Filterbank (with frequency inversion) of one channel into samples, with its own overlap.
void FilterChannel(TMPLayer3State& st, int32_t ch, int32_t gr, float* samples) {
  const TMPGranuleInfo& gi = st.Granule[gr][ch];
  const int32_t lines = LiveLines(st, gr, ch);
  st.LineCount[gr][ch] =
      st.Forms->HybridFilter(st, Layer3Spectrum(st, ch, gr), Layer3Spectrum(st, ch, gr ^ 1), samples,
                             FilterBlockType(gi), LongLines(st, gi, lines), lines, st.LineCount[gr ^ 1][ch]);
}

void OutputChannel(TMPLayer3State& st, TSynthesisState& synthesis, int32_t ch, int32_t gr, int16_t* output,
                   int32_t outputIndex) {
  FilterChannel(st, ch, gr, st.GranuleSamples);
  st.OutputRoutine(synthesis, st.GranuleSamples, output, outputIndex);
}

}  // namespace

void AddSpectrum(float* left, const float* right, int32_t lines) {
  for (int32_t i = 0; i < lines; ++i) left[i] += right[i];
}

void Layer3OutStereo(TMPLayer3State& st, TSynthesisState& synthesis, int16_t* output, int32_t gr) {
  FilterChannel(st, 0, gr, st.GranuleSamples);
  FilterChannel(st, 1, gr, st.GranuleSamples + kGranuleLines);
  SynthesizeGranuleStereo(synthesis, st.GranuleSamples, output, kGranuleSlots);
}

void Layer3OutStereoFrame(TMPLayer3State& st, TSynthesisState& synthesis, int16_t* output, int32_t gr) {
  FilterChannel(st, 0, gr, st.GranuleSamples + gr * kGranuleLines);
  FilterChannel(st, 1, gr, st.GranuleSamples + (2 + gr) * kGranuleLines);
  if (gr == 0) return;
  // Granule 1's output follows granule 0's directly.
  SynthesizeGranuleStereo(synthesis, st.GranuleSamples, output - st.GranuleOutputOffset / 2,
                          2 * kGranuleSlots);
}

void Layer3OutLeft(TMPLayer3State& st, TSynthesisState& synthesis, int16_t* output, int32_t gr) {
  OutputChannel(st, synthesis, 0, gr, output, 0);
}

void Layer3OutRight(TMPLayer3State& st, TSynthesisState& synthesis, int16_t* output, int32_t gr) {
  OutputChannel(st, synthesis, 1, gr, output, 0);
}

// One output channel from both: channel 0's buffers carry the overlap of the sum.
void Layer3OutMix(TMPLayer3State& st, TSynthesisState& synthesis, int16_t* output, int32_t gr) {
  const TMPGranuleInfo& g0 = st.Granule[gr][0];
  const TMPGranuleInfo& g1 = st.Granule[gr][1];
  float* left = Layer3Spectrum(st, 0, gr);
  int32_t& count0 = st.LineCount[gr][0];
  int32_t& count1 = st.LineCount[gr][1];
  if (FilterBlockType(g0) == FilterBlockType(g1)) {
    // Same windows in every sub-band: one filterbank over the summed spectra.
    const int32_t n = std::min(std::max(count0, count1), st.LineLimit);
    AddSpectrum(left, Layer3Spectrum(st, 1, gr), n);
    count0 = st.Forms->HybridFilter(st, left, Layer3Spectrum(st, 0, gr ^ 1), st.GranuleSamples,
                                    FilterBlockType(g0), LongLines(st, g0, n), n, st.LineCount[gr ^ 1][0]);
  } else {
    const int32_t lines0 = LiveLines(st, gr, 0);
    count0 = st.Forms->HybridFilter(st, left, Layer3Spectrum(st, 0, gr ^ 1), st.GranuleSamples,
                                    FilterBlockType(g0), LongLines(st, g0, lines0), lines0,
                                    st.LineCount[gr ^ 1][0]);
    // left now holds channel 0's new overlap and takes channel 1's as well.
    const int32_t lines1 = LiveLines(st, gr, 1);
    count1 = HybridFilterAdd(st, Layer3Spectrum(st, 1, gr), left, st.GranuleSamples, FilterBlockType(g1),
                             LongLines(st, g1, lines1), lines1);
    // The shared overlap must reach as far as either channel's, or its tail is never played.
    count0 = std::max(count0, count1);
  }
  st.OutputRoutine(synthesis, st.GranuleSamples, output, 0);
}
