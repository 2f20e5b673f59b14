// Granule decoding: positions the reader on each channel's part of the main data, has the
// scalefactors and the requantised spectrum decoded, then finds its band extent and runs stereo,
// alias reduction, line gains and the channel routine.
#include "layer3_granule.h"

#include <algorithm>
#include <cstring>

#include "decoder/mp_equalizer.h"
#include "decoder_forms.h"
#include "layer3_channels.h"
#include "layer3_huffman.h"
#include "layer3_requantize.h"
#include "layer3_scalefactors.h"
#include "layer3_state.h"
#include "layer3_stereo.h"
#include "mp_bit_reader.h"

namespace {

// Bits the Huffman decoders may run past a part before it counts as broken.
constexpr int32_t kOverrunMarginBits = 39;

// Clears lines from `from` to 575: up to the next sub-band edge, then whole sub-bands (fixed-size
// clears the compiler writes out as a few vector stores).
[[gnu::always_inline]] inline void ClearLines(float* x, int32_t from) {
  int32_t i = from;
  for (; i < kGranuleLines && i % 18 != 0; ++i) x[i] = 0.0f;
  for (; i < kGranuleLines; i += 18) std::memset(x + i, 0, 18 * sizeof(float));
}

}  // namespace

void DecodeGranulePart(TMPLayer3State& st, int32_t gr, int32_t ch) {
  TMPGranuleInfo& gi = st.Granule[gr][ch];
  TMPBitReader& bits = st.MainDataBits;
  float* x = Layer3Spectrum(st, ch, gr);
  int32_t& count = st.LineCount[gr][ch];
  const int32_t heldBits = 8 * st.ReservoirFill;
  const int32_t begin = st.ReservoirBitPosition;
  const int32_t end = begin + gi.Part23Length;
  st.ReservoirBitPosition = std::min(end, heldBits);
  if (end > heldBits) {
    // The part claims bits the frame never carried: nothing of it can be trusted.
    ClearLines(x, 0);
    count = 0;
    return;
  }

  const uint8_t* reservoirEnd = st.Reservoir + st.ReservoirFill;
  ResetBits(bits, st.Reservoir + begin / 8, reservoirEnd);
  const int32_t skip = begin % 8;
  GetMainBits(bits, skip);
  SetBitsEnd(bits, st.Reservoir + (end + kOverrunMarginBits) / 8);

  if (st.Id == 1) {
    ReadScaleFactorsMpeg1(bits, st.ScaleFactors[gr][ch], st.ScaleFactors[0][ch], gi, st.Scfsi[ch], gr);
  } else {
    ReadScaleFactorsLsf(bits, st.ScaleFactors[gr][ch], gi, ch == 1 && st.IntensityStereo, st.LsfIntensity);
  }

  // Region boundaries; region counts that run past the last band end at 576.
  const int32_t big = std::min(2 * gi.BigValues, st.LineLimit);
  const int32_t r1 = std::min(st.LongBoundary[std::min(gi.Region0Count + 1, 22)], big);
  const int32_t r2 = std::min(st.LongBoundary[std::min(gi.Region0Count + gi.Region1Count + 2, 22)], big);
  // A count1 quadruple takes a bit at least, so the bits after the scalefactors bound the lines
  // decoded, and with them the factors needed.
  const int32_t codeBits = std::max(gi.Part23Length - (BitPosition(bits) - skip), 0);
  const int32_t lines = std::min(st.LineLimit, big + 4 * codeBits);
  alignas(16) float factors[kGranuleLines + 8];
  LineFactors(st, st.ScaleFactors[gr][ch], gi, factors, lines);
  const int16_t* order = gi.BlockType == 2 ? st.ShortOrder[gi.MixedBlock & 1] : nullptr;
  if (order) {
    // Short bands are stored windows interleaved: clearing from the band holding the end of the
    // big values on, before decoding, leaves every line the decoders do not write at zero.
    int32_t clearFrom = big;
    if (big > st.ShortBoundary3[gi.MixedBlock ? 3 : 0]) {
      int32_t b = 12;
      while (st.ShortBoundary3[b] > big) --b;
      clearFrom = st.ShortBoundary3[b];
    }
    ClearLines(x, clearFrom);
  }
  const auto from = [order](int32_t i) { return order ? order + i : nullptr; };
  const auto into = [x, order](int32_t i) { return order ? x : x + i; };
  DecodeBigValues(bits, into(0), factors, r1, gi.TableSelect[0], from(0));
  DecodeBigValues(bits, into(r1), factors + r1, r2 - r1, gi.TableSelect[1], from(r1));
  DecodeBigValues(bits, into(r2), factors + r2, big - r2, gi.TableSelect[2], from(r2));

  const int32_t bitsLeft = gi.Part23Length - (BitPosition(bits) - skip);
  count = big + DecodeCount1(bits, into(big), factors + big, lines - big, bitsLeft, gi.Count1TableSelect,
                             from(big));
  if (order) {
    for (int32_t i = st.ShortLimit; i < count; ++i) x[order[i]] = 0.0f;
  } else {
    ClearLines(x, std::min(count, st.LongLimit));
  }
  if (Layer3PartOverrun(bits)) {
    ClearLines(x, 0);
    count = 0;
  }
}

namespace {

// A single-channel frame in a stream whose output needs channel 1: channel 1 plays the same,
// so each channel's overlap stays continuous.
void CopyChannel0To1(TMPLayer3State& st, int32_t gr) {
  std::memcpy(Layer3Spectrum(st, 1, gr), Layer3Spectrum(st, 0, gr), sizeof(float) * kGranuleLines);
  st.LineCount[gr][1] = st.LineCount[gr][0];
  st.Granule[gr][1] = st.Granule[gr][0];
  st.Extent[gr][1] = st.Extent[gr][0];
}

}  // namespace

int32_t AliasBoundaries(const TMPBandExtent& extent, int32_t& count) {
  if (extent.LongBands == 0) return 0;
  const int32_t boundaries = extent.HasShort ? 1 : std::min(31, (count + 7) / 18);
  if (boundaries > 0) count = std::max(count, 18 * boundaries + 8);
  return boundaries;
}

void ApplyLineGains(float* x, int32_t lines) {
  for (int32_t i = 0; i < lines; ++i) x[i] *= LineGainAt(i)->load(std::memory_order_relaxed);
}

void DecodeGranule(TMPLayer3State& st, TSynthesisState& synthesis, int16_t* output, int32_t gr) {
  const int32_t channels = st.CodedChannels;
  for (int32_t ch = 0; ch < channels; ++ch) DecodeGranulePart(st, gr, ch);
  for (int32_t ch = 0; ch < channels; ++ch)
    SpectrumExtent(st, Layer3Spectrum(st, ch, gr), st.LineCount[gr][ch], st.Granule[gr][ch],
                   st.Extent[gr][ch]);
  if (channels == 2) JointStereo(st, gr);
  const bool lineEq = LineEqFlag()->load(std::memory_order_relaxed) != 0;
  for (int32_t ch = 0; ch < channels; ++ch) {
    float* x = Layer3Spectrum(st, ch, gr);
    int32_t& count = st.LineCount[gr][ch];
    const int32_t boundaries = AliasBoundaries(st.Extent[gr][ch], count);
    if (boundaries > 0) st.Forms->AliasReduce(x, boundaries);
    if (lineEq) ApplyLineGains(x, count);
  }
  if (channels == 1 && st.ChannelRoutine != Layer3OutLeft) CopyChannel0To1(st, gr);
  st.ChannelRoutine(st, synthesis, output, gr);
}
