// Layer III stream set-up (limits, routine slots, tables) and the frame entry point.
#include <algorithm>
#include <cstring>

#include "decoder_state.h"
#include "layer3.h"
#include "layer3_channels.h"
#include "layer3_frame.h"
#include "layer3_standard_tables.h"
#include "layer3_state.h"
#include "synthesis.h"

namespace {

// Band boundaries and widths of the stream's table set.
void CopyBands(TMPLayer3State& st, int32_t set, int32_t samplingIndex) {
  const int32_t* bounds = Layer3BandBoundaries[set][samplingIndex];
  for (int32_t b = 0; b < 23; ++b) st.LongBoundary[b] = bounds[b];
  for (int32_t b = 0; b < 14; ++b) st.ShortBoundary3[b] = 3 * bounds[23 + b];
  for (int32_t b = 0; b < 22; ++b) st.LongWidth[b] = bounds[b + 1] - bounds[b];
  for (int32_t b = 0; b < 13; ++b) st.ShortWidth[b] = bounds[23 + b + 1] - bounds[23 + b];
}

void MakeShortOrder(TMPLayer3State& st) {
  for (int32_t mixed = 0; mixed < 2; ++mixed) {
    int16_t* order = st.ShortOrder[mixed];
    const int32_t firstShort = mixed ? 3 : 0;
    for (int32_t i = 0; i < st.ShortBoundary3[firstShort]; ++i) order[i] = static_cast<int16_t>(i);
    for (int32_t b = firstShort; b < 13; ++b) {
      const int32_t start = st.ShortBoundary3[b];
      const int32_t n = st.ShortWidth[b];
      for (int32_t w = 0; w < 3; ++w)
        for (int32_t j = 0; j < n; ++j) order[start + w * n + j] = static_cast<int16_t>(start + 3 * j + w);
    }
  }
}

}  // namespace

int32_t Layer3Open(TMPDecoderState& state, const TMPFrameHeader& header, int32_t frameLength,
                   int32_t downShift, int32_t /*reserved*/, uint8_t outputFlags, int32_t cutoffHz,
                   TMPOutputFormat& format) {
  TMPLayer3State& st = state.Layer3;
  st.ReservoirStart = 0;
  st.ReservoirFill = 0;
  st.FrameRoutine = nullptr;  // frames of a stream that failed to open are refused
  if (header.Layer != 1) return 0;
  downShift = std::clamp(downShift, 0, 2);
  // Only full-rate 16-bit output exists for Layer III; a 2.5 sync with the MPEG-1 bit set and a
  // reserved sampling index are not streams it can decode.
  if (downShift != 0 || (outputFlags & mofEightBit) != 0) return 0;
  if (header.SamplingIndex < 0 || header.SamplingIndex > 2) return 0;
  if (header.Sync == 2 && header.Id == 1) return 0;

  const bool mpeg1 = header.Id == 1;
  const bool mpeg25 = header.Sync == 2;
  const bool fullBand = (outputFlags & mofFullBand) != 0;
  st.MixedLongBands = mpeg1 ? 8 : 6;
  const int64_t cutoff = std::max(cutoffHz, 1000);
  const int32_t rate = SamplingRateHz(header.Id, header.SamplingIndex) >> (mpeg25 ? 1 : 0);

  // Sub-band 31 and the top band of MPEG-2/2.5 are left out unless the full band is asked for.
  const int32_t subbands = 32 >> downShift;
  const int32_t maxSubbands = subbands > 8 && !fullBand ? subbands - 1 : subbands;
  st.SubbandLimit = static_cast<int32_t>(std::min<int64_t>((cutoff * 64 + rate / 2) / rate, maxSubbands));
  const int32_t set = mpeg1 ? 1 : mpeg25 ? 2 : 0;
  CopyBands(st, set, header.SamplingIndex);
  MakeShortOrder(st);
  const bool allBands = mpeg1 || fullBand;
  const int32_t longTop = st.LongBoundary[allBands ? 22 : 21];
  const int32_t shortTop = st.ShortBoundary3[allBands ? 13 : 12];
  st.LineLimit = std::min(longTop + 8, 18 * st.SubbandLimit);
  st.LongLimit = std::min(longTop, st.LineLimit);
  st.ShortLimit = std::min(shortTop, st.LineLimit);
  st.HybridBands = (st.LineLimit + 17) / 18;
  st.MixedSubbands = (st.LongBoundary[st.MixedLongBands] + 17) / 18;

  const int32_t channelForm = outputFlags & mofChannelMask;
  // Mixing both channels into one halves each through its gain: -4 quarter steps.
  st.GainOffset = header.Mode != 3 && channelForm == 1 ? -4 : 0;
  const int32_t samples = (1152 >> downShift) / (mpeg1 ? 1 : 2);
  const int32_t channels = header.Mode == 3 || channelForm != 0 ? 1 : 2;
  st.OutputBytes = samples * channels * 2;
  st.GranuleOutputOffset = st.OutputBytes / 2;
  st.SilenceByte = 0;
  st.OutputRoutine = channels == 1 ? SynthesizeGranuleMono : SynthesizeGranuleChannel;
  static constexpr TChannelRoutine kChannelRoutines[4] = {Layer3OutStereo, Layer3OutMix, Layer3OutLeft,
                                                          Layer3OutRight};
  st.ChannelRoutine = header.Mode == 3 ? Layer3OutLeft : kChannelRoutines[channelForm];
  // Frames of two granules synthesise both at once.
  if (st.ChannelRoutine == Layer3OutStereo && mpeg1) st.ChannelRoutine = Layer3OutStereoFrame;
  st.FrameLength = frameLength;
  st.StreamId = header.Id;
  st.StreamMpeg25 = mpeg25 ? 1 : 0;

  ResetSynthesis(state.Synthesis);
  std::fill(std::begin(st.GranuleSamples), std::end(st.GranuleSamples), 0.0f);
  std::fill(std::begin(st.Spectrum), std::end(st.Spectrum), 0.0f);
  std::memset(st.LineCount, 0, sizeof st.LineCount);
  // Nothing of the stream before may reach this one: a part that never reads its scalefactors
  // (broken, or sharing granule 0's) would otherwise use that stream's values.
  std::memset(st.Granule, 0, sizeof st.Granule);
  std::memset(st.ScaleFactors, 0, sizeof st.ScaleFactors);
  std::memset(st.Extent, 0, sizeof st.Extent);
  st.LsfIntensity = TMPLsfIntensity{};
  st.GranuleParity = 0;
  st.FrameRoutine = mpeg1 ? DecodeLayer3FrameMpeg1 : DecodeLayer3FrameLsf;

  format.Channels = channels;
  format.SamplesPerFrame = samples * channels;
  format.SampleRate = rate >> downShift;
  format.BitsPerSample = 16;
  format.FrameLength = frameLength;
  format.Reserved = 0;
  return 1;
}

TMPDecodeResult DecodeLayer3Frame(TMPDecoderState& state, const uint8_t* frame, int32_t available,
                                  void* pcm) {
  TMPLayer3State& st = state.Layer3;
  if (st.FrameRoutine == nullptr || frame == nullptr || pcm == nullptr) return {0, 0};
  return st.FrameRoutine(st, state.Synthesis, frame, available, static_cast<int16_t*>(pcm));
}
