// Channel routines of the Layer III decoder.
#include "layer3_channels.h"

#include <algorithm>

#include "layer3_hybrid.h"
#include "layer3_state.h"
#include "mp_cpu.h"

namespace {

// Lines of granule gr, channel ch that go through the filterbank.
int32_t LiveLines(int32_t gr, int32_t ch) {
  return std::min(Layer3State.LineLimit, Layer3State.LineCount[gr][ch]);
}

// Lines of the granule's long sub-bands: all of a long block, the long part of a mixed block.
int32_t LongLines(const TMPGranuleInfo& gi, int32_t lines) {
  const TMPLayer3State& st = Layer3State;
  if (gi.BlockType != 2) return lines;
  return gi.MixedBlock ? std::min(st.LongBoundary[st.MixedLongBands], st.LineLimit) : 0;
}

// Filterbank and frequency inversion of one channel into GranuleSamples, with its own overlap.
void FilterChannel(int32_t ch, int32_t gr) {
  TMPLayer3State& st = Layer3State;
  const TMPGranuleInfo& gi = st.Granule[gr][ch];
  const int32_t lines = LiveLines(gr, ch);
  const int32_t done =
      HybridFilter(Layer3Spectrum(ch, gr), Layer3Spectrum(ch, gr ^ 1), st.GranuleSamples,
                   FilterBlockType(gi), LongLines(gi, lines), lines, st.LineCount[gr ^ 1][ch]);
  st.LineCount[gr][ch] = done;
  FrequencyInvert(st.GranuleSamples, done);
}

void OutputChannel(int32_t ch, int32_t gr, int16_t* output, int32_t outputIndex) {
  FilterChannel(ch, gr);
  Layer3State.OutputRoutine(Layer3State.GranuleSamples, output, outputIndex);
}

}  // namespace

void AddSpectrum(float* left, const float* right, int32_t lines) {
  for (int32_t i = 0; i < lines; ++i) left[i] += right[i];
}

void Layer3OutStereo(int16_t* output, int32_t gr) {
  OutputChannel(0, gr, output, 0);
  OutputChannel(1, gr, output, 1);
}

void Layer3OutLeft(int16_t* output, int32_t gr) { OutputChannel(0, gr, output, 0); }

void Layer3OutRight(int16_t* output, int32_t gr) { OutputChannel(1, gr, output, 0); }

// One output channel from both: channel 0's buffers carry the overlap of the sum.
void Layer3OutMix(int16_t* output, int32_t gr) {
  TMPLayer3State& st = Layer3State;
  const TMPGranuleInfo& g0 = st.Granule[gr][0];
  const TMPGranuleInfo& g1 = st.Granule[gr][1];
  float* left = Layer3Spectrum(0, gr);
  int32_t& count0 = st.LineCount[gr][0];
  int32_t& count1 = st.LineCount[gr][1];
  int32_t inverted;
  if (FilterBlockType(g0) == FilterBlockType(g1)) {
    // Same windows in every sub-band: one filterbank over the summed spectra.
    const int32_t n = std::min(std::max(count0, count1), st.LineLimit);
    AddSpectrum(left, Layer3Spectrum(1, gr), n);
    count0 = HybridFilter(left, Layer3Spectrum(0, gr ^ 1), st.GranuleSamples, FilterBlockType(g0),
                          LongLines(g0, n), n, st.LineCount[gr ^ 1][0]);
    inverted = count0;
  } else {
    const int32_t lines0 = LiveLines(gr, 0);
    count0 = HybridFilter(left, Layer3Spectrum(0, gr ^ 1), st.GranuleSamples, FilterBlockType(g0),
                          LongLines(g0, lines0), lines0, st.LineCount[gr ^ 1][0]);
    // left now holds channel 0's new overlap and takes channel 1's as well.
    const int32_t lines1 = LiveLines(gr, 1);
    count1 = HybridFilterAdd(Layer3Spectrum(1, gr), left, st.GranuleSamples, FilterBlockType(g1),
                             LongLines(g1, lines1), lines1);
    // The shared overlap must reach as far as either channel's, or its tail is never played.
    count0 = std::max(count0, count1);
    inverted = count0;
  }
  FrequencyInvert(st.GranuleSamples, inverted);
  st.OutputRoutine(st.GranuleSamples, output, 0);
}
