// One granule-channel part read from the reservoir: region boundaries (also when the region
// counts run past the last band), the line limits of long and short blocks, parts that overrun
// their length or claim bits the reservoir does not hold, and the per-line equalizer gains.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "bit_writer.h"
#include "decoder/mp_equalizer.h"
#include "layer3.h"
#include "layer3_granule.h"
#include "layer3_state.h"
#include "layer3_test_support.h"

namespace {

using layer3_test::MakeHeader;

// Opens an MPEG-1 44.1 kHz stream (the player's limits unless flags say otherwise) and puts the
// bytes into the reservoir as one frame's main data, granule 0 channel 0 starting at bit 0.
void Prepare(const std::vector<uint8_t>& mainData, uint8_t flags = 0, int32_t id = 1) {
  TMPOutputFormat format;
  ASSERT_EQ(layer3_test::OpenLayer3(MakeHeader(1, id, 0, 0), 417, 0, 0, flags, 24000, format), 1);
  TMPLayer3State& st = layer3_test::L3();
  std::memcpy(st.Reservoir, mainData.data(), mainData.size());
  st.ReservoirFill = static_cast<int32_t>(mainData.size());
  st.ReservoirBitPosition = 0;
  st.Id = id;
  st.IntensityStereo = 0;
  st.Granule[0][0] = TMPGranuleInfo{};
  st.Granule[0][0].ScalefacCompress = 0;  // no scalefactor bits
  st.Granule[0][0].GlobalGain = 150;      // a factor of 1: lines hold their quantised values
  std::fill(Layer3Spectrum(layer3_test::L3(), 0, 0), Layer3Spectrum(layer3_test::L3(), 0, 0) + kGranuleLines,
            123.0f);  // stale data
}

float Value(int32_t line) { return Layer3Spectrum(layer3_test::L3(), 0, 0)[line]; }

// `pairs` pairs of (1, 1) through table 1: code 000 and two sign bits.
std::vector<uint8_t> Ones(int32_t pairs, size_t& bits) {
  TBitWriter w;
  for (int32_t i = 0; i < pairs; ++i) w.Put(0b00000, 5);
  bits = w.BitCount();
  return w.Finish(bits / 8 + 16);
}

TEST(Layer3Part, RegionCountsPastTheLastBandEndAtTheTop) {
  // Region 0 reaches band 15, region 1 is said to end at band 24: it runs to the end, and
  // region 2 (table 0, which would read nothing) is empty.
  size_t bits;
  Prepare(Ones(200, bits));
  TMPGranuleInfo& gi = layer3_test::L3().Granule[0][0];
  gi.Part23Length = static_cast<int32_t>(bits);
  gi.BigValues = 200;
  gi.Region0Count = 14;
  gi.Region1Count = 7;
  gi.TableSelect[0] = gi.TableSelect[1] = 1;
  gi.TableSelect[2] = 0;
  gi.Count1TableSelect = 1;
  DecodeGranulePart(layer3_test::L3(), 0, 0);
  EXPECT_EQ(layer3_test::L3().LineCount[0][0], 400);
  EXPECT_EQ(layer3_test::L3().ReservoirBitPosition, static_cast<int32_t>(bits));
  for (int32_t i = 0; i < 400; ++i) ASSERT_EQ(Value(i), 1.0f) << i;
  for (int32_t i = 400; i < 576; ++i) ASSERT_EQ(Value(i), 0.0f) << "stale line " << i;
}

TEST(Layer3Part, BigValuesStopAtTheLineLimitAndTheTopBandIsDropped) {
  // 288 pairs are coded; the player's limits decode 279 (558 lines) and keep them for long
  // blocks. MPEG-2 keeps lines below 522 only (its top band is never played) but reads on.
  for (const int32_t id : {1, 0}) {
    size_t bits;
    Prepare(Ones(288, bits), 0, id);
    TMPGranuleInfo& gi = layer3_test::L3().Granule[0][0];
    gi.Part23Length = static_cast<int32_t>(bits);
    gi.BigValues = 288;
    gi.Region0Count = 15;
    gi.Region1Count = 7;
    gi.TableSelect[0] = gi.TableSelect[1] = gi.TableSelect[2] = 1;
    gi.Count1TableSelect = 1;
    DecodeGranulePart(layer3_test::L3(), 0, 0);
    const int32_t limit = id == 1 ? 558 : 530;
    const int32_t keep = id == 1 ? 558 : 522;
    EXPECT_EQ(layer3_test::L3().LineCount[0][0], limit) << "the count is not lowered to the keep limit";
    for (int32_t i = 0; i < 576; ++i)
      ASSERT_EQ(Value(i), i < keep ? 1.0f : 0.0f) << "id " << id << " line " << i;
  }
}

TEST(Layer3Part, OverrunningAndMissingPartsAreCleared) {
  size_t bits;
  for (const int32_t variant : {0, 1, 2}) {
    Prepare(Ones(100, bits));
    TMPGranuleInfo& gi = layer3_test::L3().Granule[0][0];
    gi.BigValues = 100;
    gi.Region0Count = 15;
    gi.Region1Count = 7;
    gi.TableSelect[0] = gi.TableSelect[1] = 1;
    // 0: right length; 1: the codes run 60 bits past it; 2: more bits than the reservoir holds.
    gi.Part23Length = variant == 0   ? static_cast<int32_t>(bits)
                      : variant == 1 ? static_cast<int32_t>(bits) - 60
                                     : layer3_test::L3().ReservoirFill * 8 + 1;
    DecodeGranulePart(layer3_test::L3(), 0, 0);
    const bool cleared = variant != 0;
    EXPECT_EQ(layer3_test::L3().LineCount[0][0], cleared ? 0 : 200) << variant;
    for (int32_t i = 0; i < 576; ++i)
      ASSERT_EQ(Value(i), !cleared && i < 200 ? 1.0f : 0.0f) << variant << " " << i;
    EXPECT_LE(layer3_test::L3().ReservoirBitPosition, layer3_test::L3().ReservoirFill * 8)
        << "never past the data";
  }
}

// Frames through the whole pipeline with the line equalizer off, on with unity gains and on with
// half gains; the switch and gains are restored afterwards.
TEST(Layer3Part, LineGainsScaleTheSpectrum) {
  struct TRestore {
    ~TRestore() {
      LineEqFlag()->store(0);
      for (int32_t i = 0; i < 576; ++i) LineGainAt(i)->store(0.0f);
    }
  } restore;
  layer3_test::TFrameFields f;
  f.HeaderBytes[3] = 0xC4;
  TBitWriter main;
  for (int32_t gr = 0; gr < 2; ++gr) {
    auto& g = f.Granule[gr][0];
    g.GlobalGain = 176;
    const size_t before = main.BitCount();
    for (int32_t i = 0; i < 60; ++i) main.Put(i % 5 ? 1u : 0b00000u, i % 5 ? 1 : 5);
    g.Part23Length = static_cast<int32_t>(main.BitCount() - before);
    g.BigValues = 60;
  }
  f.MainData = main.Finish(main.BitCount() / 8 + 1);
  const auto frame = layer3_test::WriteFrame(f);
  auto decode = [&](int32_t eq, float gain) {
    LineEqFlag()->store(eq);
    for (int32_t i = 0; i < 576; ++i) LineGainAt(i)->store(gain);
    EXPECT_TRUE(layer3_test::OpenOn(frame, mofFullBand));
    std::vector<int16_t> pcm(1152);
    for (int32_t k = 0; k < 3; ++k)
      DecodeLayer3Frame(ProcessDecoderState(), frame.data(), static_cast<int32_t>(frame.size()), pcm.data());
    return pcm;
  };
  const auto off = decode(0, 0.0f);
  EXPECT_EQ(decode(1, 1.0f), off);
  const auto half = decode(1, 0.5f);
  int32_t loud = 0;
  for (size_t i = 0; i < off.size(); ++i) {
    EXPECT_NEAR(half[i], off[i] / 2.0, 1.0) << i;
    loud = std::max(loud, std::abs(static_cast<int32_t>(off[i])));
  }
  EXPECT_GT(loud, 300);
  EXPECT_LT(loud, 30000) << "no clipping, or halving would not halve";
}

}  // namespace
