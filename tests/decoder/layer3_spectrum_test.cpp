// Layer III spectra around Huffman decoding: line factors from gains and scalefactors, the
// short-block line order and extent, mid/side and intensity stereo, alias reduction in every processor form.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <ranges>
#include <vector>

#include "layer3.h"
#include "layer3_forms.h"
#include "layer3_granule.h"
#include "layer3_requantize.h"
#include "layer3_standard_tables.h"
#include "layer3_state.h"
#include "layer3_stereo.h"
#include "layer3_tables.h"
#include "layer3_test_support.h"

namespace {

using layer3_test::MakeHeader;

// Opens a stream so that the band tables and float tables are those of (sync, id, index).
void OpenStream(int32_t sync = 1, int32_t id = 1, int32_t samplingIndex = 0, uint8_t flags = mofFullBand) {
  TMPOutputFormat format;
  ASSERT_EQ(layer3_test::OpenLayer3(MakeHeader(sync, id, samplingIndex, 1), 417, 0, 0, flags, 24000, format),
            1);
}

// Both channels' spectra of granule 0, cleared.
struct TSpectra {
  float* Left = Layer3Spectrum(layer3_test::L3(), 0, 0);
  float* Right = Layer3Spectrum(layer3_test::L3(), 1, 0);
  TSpectra() {
    for (int32_t i = 0; i < kGranuleLines; ++i) {
      Left[i] = 0.0f;
      Right[i] = 0.0f;
    }
  }
};

TMPGranuleInfo Granule(int32_t gain, int32_t blockType = 0, int32_t mixed = 0) {
  TMPGranuleInfo gi{};
  gi.GlobalGain = gain;
  gi.BlockType = blockType;
  gi.MixedBlock = mixed;
  return gi;
}

// The factors of a granule's lines as the Huffman decoder is given them.
std::vector<float> FactorsOf(const TMPScaleFactors& sf, const TMPGranuleInfo& gi) {
  std::vector<float> factors(kGranuleLines + 8, -1.0f);
  LineFactors(layer3_test::L3(), sf, gi, factors.data(), kGranuleLines);
  return factors;
}

TEST(Layer3Requantize, LongFactorsAndExtent) {
  OpenStream();
  const TMPLayer3State& st = layer3_test::L3();
  TMPScaleFactors sf{};
  // Gain 150 is a factor of exactly 1.
  for (const float f : FactorsOf(sf, Granule(150)) | std::views::take(kGranuleLines)) ASSERT_EQ(f, 1.0f);
  for (int32_t b = 0; b < 21; ++b) sf.Long[b] = b % 4;
  TMPGranuleInfo gi = Granule(150 + 8);  // two more factors of 2
  gi.Preflag = 1;
  gi.ScalefacScale = 1;
  const int32_t pretab[22] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 3, 3, 3, 2, 0};
  const std::vector<float> factors = FactorsOf(sf, gi);
  for (int32_t b = 0; b < 22; ++b) {
    // 2^2 * 2^(-(1 + 1) / 2 * (sf + pretab))
    const float expected = static_cast<float>(4.0 * std::pow(2.0, -1.0 * (sf.Long[b] + pretab[b])));
    for (int32_t i = st.LongBoundary[b]; i < st.LongBoundary[b + 1]; ++i)
      ASSERT_EQ(factors[i], expected) << "band " << b << " line " << i;
  }

  TSpectra s;
  s.Left[5] = -2.0f;
  int32_t count = 8;
  TMPBandExtent extent;
  SpectrumExtent(layer3_test::L3(), s.Left, count, Granule(150), extent);
  EXPECT_EQ(s.Left[5], -2.0f);
  EXPECT_EQ(count, 8) << "long blocks keep their count";
  EXPECT_EQ(extent.HasShort, 0);
  EXPECT_EQ(extent.LastBand, 1) << "lines 4..7 are band 1 at 44.1 kHz";
  // A silent granule has no last band.
  s.Left[5] = 0.0f;
  SpectrumExtent(layer3_test::L3(), s.Left, count, Granule(150), extent);
  EXPECT_EQ(extent.LastBand, -1);
}

TEST(Layer3Requantize, ShortBlocksInterleaveWindowsWithSubblockGains) {
  OpenStream();
  TSpectra s;
  TMPGranuleInfo gi = Granule(150, 2);
  gi.SubblockGain[1] = 1;
  gi.SubblockGain[2] = 2;
  const std::vector<float> factors = FactorsOf(TMPScaleFactors{}, gi);
  // Coded lines go where the Huffman decoder stores them.
  const int16_t* order = layer3_test::L3().ShortOrder[0];
  // Short bands 0 and 1 (4 lines each at 44.1 kHz): window w's line i of band b holds 1.
  for (int32_t b = 0; b < 2; ++b)
    for (int32_t w = 0; w < 3; ++w)
      for (int32_t i = 0; i < 4; ++i) s.Left[order[12 * b + 4 * w + i]] = factors[12 * b + 4 * w + i];
  int32_t count = 24;
  TMPBandExtent extent;
  SpectrumExtent(layer3_test::L3(), s.Left, count, gi, extent);
  for (int32_t b = 0; b < 2; ++b)
    for (int32_t i = 0; i < 4; ++i)
      for (int32_t w = 0; w < 3; ++w)
        EXPECT_EQ(s.Left[12 * b + 3 * i + w], w == 0   ? 1.0f
                                              : w == 1 ? 0.25f
                                                       : 0.0625f)
            << "band " << b << " line " << i << " window " << w;
  EXPECT_EQ(count, 24) << "the end of the last band processed";
  EXPECT_EQ(extent.HasShort, 1);
  EXPECT_EQ(extent.FirstShortBand, 0);
  EXPECT_EQ(extent.LongBands, 0);
  EXPECT_EQ(extent.LastBand, 1);
  for (int32_t w = 0; w < 3; ++w) EXPECT_EQ(extent.LastShortBand[w], 1) << w;

  // Short band 4 (6 lines from 48): only window 2's last line, which no whole vector covers.
  std::fill(s.Left, s.Left + kGranuleLines, 0.0f);
  s.Left[order[48 + 12 + 5]] = -3.0f;
  count = 66;
  SpectrumExtent(layer3_test::L3(), s.Left, count, gi, extent);
  for (int32_t i = 0; i < 66; ++i) ASSERT_EQ(s.Left[i], i == 48 + 3 * 5 + 2 ? -3.0f : 0.0f) << i;
  EXPECT_EQ(extent.LastShortBand[0], -1);
  EXPECT_EQ(extent.LastShortBand[1], -1);
  EXPECT_EQ(extent.LastShortBand[2], 4);
  EXPECT_EQ(extent.LastBand, 4);
}

TEST(Layer3Requantize, MixedBlockKeepsLongLinesAndInterleavesTheRest) {
  OpenStream();
  TSpectra s;
  TMPScaleFactors sf{};
  sf.Long[7] = 2;      // the last long band: halved
  sf.Short[1][3] = 4;  // window 1 of the first short band: quartered
  const std::vector<float> factors = FactorsOf(sf, Granule(150, 2, 1));
  for (int32_t i = 0; i < 36; ++i) s.Left[i] = i % 3 == 0 ? factors[i] : 0.0f;
  // Short band 3 (4 lines from 36): window 0 = 1, window 1 = 8 (16 requantised), window 2 = 0.
  const int16_t* order = layer3_test::L3().ShortOrder[1];
  for (int32_t i = 0; i < 4; ++i) {
    s.Left[order[36 + i]] = factors[36 + i];
    s.Left[order[40 + i]] = 16.0f * factors[40 + i];
  }
  int32_t count = 48;
  TMPBandExtent extent;
  SpectrumExtent(layer3_test::L3(), s.Left, count, Granule(150, 2, 1), extent);
  for (int32_t i = 0; i < 36; ++i) EXPECT_EQ(s.Left[i], i % 3 ? 0.0f : i < 30 ? 1.0f : 0.5f) << i;
  for (int32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(s.Left[36 + 3 * i], 1.0f);
    EXPECT_EQ(s.Left[36 + 3 * i + 1], 4.0f);
    EXPECT_EQ(s.Left[36 + 3 * i + 2], 0.0f);
  }
  EXPECT_EQ(extent.FirstShortBand, 3);
  EXPECT_EQ(extent.LongBands, 8);
  EXPECT_EQ(extent.LastShortBand[0], 3);
  EXPECT_EQ(extent.LastShortBand[2], 2) << "a silent window has no nonzero short band";
}

// Fills the stereo state of granule 0 for the stereo routines.
void SetStereo(int32_t mode, int32_t id = 1) {
  layer3_test::L3().Id = id;
  layer3_test::L3().ModeExtension = mode;
  layer3_test::L3().MsStereo = mode >> 1;
  layer3_test::L3().IntensityStereo = mode & 1;
}

TEST(Layer3Stereo, MidSideOverBothCounts) {
  OpenStream();
  TSpectra s;
  s.Left[0] = 3.0f;
  s.Right[0] = 1.0f;
  s.Right[9] = 2.0f;
  layer3_test::L3().LineCount[0][0] = 2;
  layer3_test::L3().LineCount[0][1] = 10;
  SetStereo(2);
  JointStereo(layer3_test::L3(), 0);
  EXPECT_EQ(s.Left[0], 4.0f);
  EXPECT_EQ(s.Right[0], 2.0f);
  EXPECT_EQ(s.Left[9], 2.0f);
  EXPECT_EQ(s.Right[9], -2.0f);
  EXPECT_EQ(layer3_test::L3().LineCount[0][0], 10) << "both channels take the larger count";
}

// The right channel is silent above band 1: bands 2..20 are intensity-coded with positions.
void PrepareIntensity(const std::vector<int32_t>& positions, int32_t mode) {
  OpenStream();
  TSpectra s;
  for (int32_t i = 0; i < 576; ++i) s.Left[i] = 1.0f;
  s.Right[4] = 1.0f;  // band 1
  TMPBandExtent& left = layer3_test::L3().Extent[0][0];
  TMPBandExtent& right = layer3_test::L3().Extent[0][1];
  left = {0, 21, 12, 22, {12, 12, 12}};
  right = {0, 1, 12, 22, {12, 12, 12}};
  for (int32_t b = 0; b < 21; ++b)
    layer3_test::L3().ScaleFactors[0][1].Long[b] = positions[b % positions.size()];
  layer3_test::L3().LineCount[0][0] = 576;
  layer3_test::L3().LineCount[0][1] = 6;
  SetStereo(mode);
}

TEST(Layer3Stereo, Mpeg1IntensityPositions) {
  const double pi = 4.0 * std::atan(1.0);
  for (int32_t mode : {1, 3}) {
    // Positions 0..6 spread the band; 7 is the illegal position; 8..15 count as 7.
    PrepareIntensity({0, 1, 2, 3, 4, 5, 6, 7, 9, 15}, mode);
    JointStereo(layer3_test::L3(), 0);
    const float* left = Layer3Spectrum(layer3_test::L3(), 0, 0);
    const float* right = Layer3Spectrum(layer3_test::L3(), 1, 0);
    for (int32_t b = 2; b <= 20; ++b) {
      const int32_t p = layer3_test::L3().ScaleFactors[0][1].Long[b];
      const int32_t line = layer3_test::L3().LongBoundary[b];
      double kl = 1.0, kr = mode == 3 ? 1.0 : 0.0;
      if (p < 7) {
        const double ratio = std::tan(p * pi / 12);
        kl = ratio / (1 + ratio) * (mode == 3 ? std::sqrt(2.0) : 1.0);
        kr = 1 / (1 + ratio) * (mode == 3 ? std::sqrt(2.0) : 1.0);
      }
      SCOPED_TRACE(testing::Message() << "mode " << mode << " band " << b << " position " << p);
      EXPECT_NEAR(left[line], kl, 1e-6);
      EXPECT_NEAR(right[line], kr, 1e-6);
    }
    // Long band 21 has no position of its own: it takes band 20's.
    EXPECT_EQ(left[layer3_test::L3().LongBoundary[21]], left[layer3_test::L3().LongBoundary[20]]);
    EXPECT_EQ(right[layer3_test::L3().LongBoundary[21]], right[layer3_test::L3().LongBoundary[20]]);
    EXPECT_EQ(layer3_test::L3().LineCount[0][1], 576);
  }
}

// A silent right channel is intensity-coded from its first band on.
TEST(Layer3Stereo, SilentRightChannelIsIntensityCodedFromBandZero) {
  for (int32_t id : {1, 0}) {
    PrepareIntensity({0}, 1);
    SetStereo(1, id);
    Layer3Spectrum(layer3_test::L3(), 1, 0)[4] = 0.0f;
    layer3_test::L3().Extent[0][1].LastBand = -1;
    layer3_test::L3().LsfIntensity = {{8, 8, 5}, {1, 1, 1}, 0};
    JointStereo(layer3_test::L3(), 0);
    // Position 0: MPEG-1 moves all into the right channel, MPEG-2 gives both channels the value.
    for (int32_t i = 0; i < 4; ++i) {
      EXPECT_EQ(Layer3Spectrum(layer3_test::L3(), 0, 0)[i], id == 1 ? 0.0f : 1.0f) << id;
      EXPECT_EQ(Layer3Spectrum(layer3_test::L3(), 1, 0)[i], 1.0f) << id;
    }
  }
}

TEST(Layer3Stereo, LsfIntensityUsesEachGroupsSubTable) {
  OpenStream(1, 0, 0);
  PrepareIntensity({1}, 1);
  SetStereo(1, 0);
  // Groups of 8 bands with 2 bits (entries 3..6), 8 bands with 1 bit (entries 1..2), 5 with 3.
  layer3_test::L3().LsfIntensity = {{8, 8, 5}, {2, 1, 3}, 1};
  JointStereo(layer3_test::L3(), 0);
  const float* left = Layer3Spectrum(layer3_test::L3(), 0, 0);
  const float* right = Layer3Spectrum(layer3_test::L3(), 1, 0);
  const double io = std::pow(2.0, -0.5);  // IntensityScale 1
  for (int32_t b = 2; b <= 21; ++b) {     // band 21 takes band 20's position and group
    const int32_t line = layer3_test::L3().LongBoundary[b];
    // Position 1 is odd: left * io^1, right as is; in the 1-bit group it is the illegal position.
    const bool illegal = b >= 8 && b < 16;
    EXPECT_NEAR(left[line], illegal ? 1.0 : io, 1e-6) << b;
    EXPECT_NEAR(right[line], illegal ? 0.0 : 1.0, 1e-6) << b;
  }
}

// Short blocks: each window separately, from the right channel's last nonzero band of that window
// on. Slen-1 groups with position 0 give both channels the left value, position 1 is illegal.
// Band 12 takes band 11's position, or position 0 when band 11 is outside the window's region.
TEST(Layer3Stereo, LsfShortIntensityWorksPerWindow) {
  OpenStream(1, 0, 0);
  TSpectra s;
  for (int32_t i = 0; i < 576; ++i) s.Left[i] = 2.0f;
  layer3_test::L3().Extent[0][0] = {1, 12, 0, 0, {12, 12, 12}};
  layer3_test::L3().Extent[0][1] = {1, 11, 0, 0, {4, 11, 0}};
  layer3_test::L3().ScaleFactors[0][1] = {};
  layer3_test::L3().ScaleFactors[0][1].Short[0][11] = 1;
  layer3_test::L3().LsfIntensity = {{4, 4, 4}, {1, 1, 1}, 0};
  layer3_test::L3().LineCount[0][0] = 576;
  layer3_test::L3().LineCount[0][1] = 100;
  SetStereo(1, 0);
  JointStereo(layer3_test::L3(), 0);
  const int32_t first[3] = {5, 12, 1};
  for (int32_t w = 0; w < 3; ++w) {
    for (int32_t b = 0; b < 13; ++b) {
      const int32_t line = layer3_test::L3().ShortBoundary3[b] + w;
      const bool spread = b >= first[w] && !(w == 0 && b >= 11);
      EXPECT_EQ(s.Right[line], spread ? 2.0f : 0.0f) << "window " << w << " band " << b;
      EXPECT_EQ(s.Left[line], 2.0f);
    }
  }
}

// Long band 21 when band 20 still has right-channel values: MPEG-1 leaves it to M/S or L/R,
// MPEG-2 gives it position 0 (both channels the left value).
TEST(Layer3Stereo, TopBandAboveTheLastRightBand) {
  for (int32_t id : {1, 0}) {
    for (int32_t mode : {1, 3}) {
      PrepareIntensity({3}, mode);
      SetStereo(mode, id);
      layer3_test::L3().Extent[0][1].LastBand = 20;
      layer3_test::L3().LsfIntensity = {{7, 7, 7}, {2, 2, 2}, 0};
      JointStereo(layer3_test::L3(), 0);
      const int32_t line = layer3_test::L3().LongBoundary[21];
      const float m = mode == 3 ? std::sqrt(2.0f) : 1.0f;
      SCOPED_TRACE(testing::Message() << "id " << id << " mode " << mode);
      EXPECT_FLOAT_EQ(Layer3Spectrum(layer3_test::L3(), 0, 0)[line], id == 1 ? 1.0f : m);
      EXPECT_FLOAT_EQ(Layer3Spectrum(layer3_test::L3(), 1, 0)[line], id == 1 ? (mode == 3 ? 1.0f : 0.0f) : m);
    }
  }
}

// A mixed block's groups after the six long bands carried short bands 3 on; those bands take
// their own groups' sub-tables. Position 3 is the illegal one of a 2-bit group but an ordinary
// one of a 3-bit group.
TEST(Layer3Stereo, LsfMixedBlockShortBandsUseTheGroupsThatCarriedThem) {
  OpenStream(1, 0, 0);
  TSpectra s;
  for (int32_t i = 0; i < 576; ++i) s.Left[i] = 1.0f;
  layer3_test::L3().Extent[0][0] = {1, 11, 3, 6, {11, 11, 11}};
  layer3_test::L3().Extent[0][1] = {1, 3, 3, 6, {3, 3, 3}};
  for (auto& window : layer3_test::L3().ScaleFactors[0][1].Short)
    for (int32_t& v : window) v = 3;
  layer3_test::L3().LsfIntensity = {{6, 5, 4}, {1, 2, 3}, 1};
  layer3_test::L3().LineCount[0][0] = 576;
  layer3_test::L3().LineCount[0][1] = 36;
  SetStereo(1, 0);
  JointStereo(layer3_test::L3(), 0);
  const double io2 = 0.5;  // (2^-0.5)^2
  for (int32_t b = 4; b <= 11; ++b) {
    const int32_t line = layer3_test::L3().ShortBoundary3[b];
    const bool secondGroup = b <= 7;  // short bands 3..7 came with the 2-bit group
    EXPECT_NEAR(s.Left[line], secondGroup ? 1.0 : io2, 1e-6) << b;
    EXPECT_NEAR(s.Right[line], secondGroup ? 0.0 : 1.0, 1e-6) << b;
  }
}

// A mixed block whose short part is silent in the right channel: its long bands above the last
// nonzero long line are intensity-coded too, with the first group's sub-table.
TEST(Layer3Stereo, LsfMixedBlockWithSilentShortPartCodesItsLongBands) {
  OpenStream(1, 0, 0);
  TSpectra s;
  for (int32_t i = 0; i < 576; ++i) s.Left[i] = 1.0f;
  s.Right[7] = 0.5f;  // band 1
  layer3_test::L3().Extent[0][0] = {1, 11, 3, 6, {11, 11, 11}};
  layer3_test::L3().Extent[0][1] = {1, 2, 3, 6, {2, 2, 2}};
  layer3_test::L3().ScaleFactors[0][1] = {};
  for (int32_t b = 0; b < 6; ++b) layer3_test::L3().ScaleFactors[0][1].Long[b] = 1;
  layer3_test::L3().LsfIntensity = {{6, 5, 4}, {2, 1, 3}, 1};
  layer3_test::L3().LineCount[0][0] = 576;
  layer3_test::L3().LineCount[0][1] = 36;
  SetStereo(1, 0);
  JointStereo(layer3_test::L3(), 0);
  const double io = std::pow(2.0, -0.5);
  for (int32_t i = 0; i < 36; ++i) {
    const bool coded = i >= layer3_test::L3().LongBoundary[2];
    EXPECT_NEAR(s.Left[i], coded ? io : 1.0, 1e-6) << i;
    EXPECT_NEAR(s.Right[i], coded ? 1.0 : i == 7 ? 0.5 : 0.0, 1e-6) << i;
  }
  EXPECT_EQ(s.Right[36], 1.0f) << "short band 3, position 0";
}

class AliasForms : public testing::TestWithParam<layer3_test::TLayer3Form> {
 protected:
  void TearDown() override { SelectCpuRoutines(GetCpuFeatures()); }
};

TEST_P(AliasForms, ButterfliesAtEachBoundary) {
  OpenStream();
  if (!layer3_test::SelectLayer3Form(GetParam())) GTEST_SKIP() << "processor lacks " << GetParam().Name;
  std::mt19937 random(7);
  std::uniform_real_distribution<float> value(-1000.0f, 1000.0f);
  for (int32_t boundaries : {0, 1, 2, 31}) {
    std::vector<float> x(576), expected;
    for (float& v : x) v = value(random);
    expected = x;
    for (int32_t k = 0; k < boundaries; ++k) {
      for (int32_t j = 0; j < 8; ++j) {
        const double c = Layer3AliasCoefficients[j];
        const double cs = 1 / std::sqrt(1 + c * c), ca = c / std::sqrt(1 + c * c);
        const double a = x[18 * k + 17 - j], b = x[18 * k + 18 + j];
        expected[18 * k + 17 - j] = static_cast<float>(a * cs - b * ca);
        expected[18 * k + 18 + j] = static_cast<float>(b * cs + a * ca);
      }
    }
    layer3_test::L3().Forms->AliasReduce(x.data(), boundaries);
    for (int32_t i = 0; i < 576; ++i)
      ASSERT_NEAR(x[i], expected[i], 2e-3) << "line " << i << " of " << boundaries;
  }
}

INSTANTIATE_TEST_SUITE_P(Layer3Spectrum, AliasForms, testing::ValuesIn(layer3_test::Layer3Forms()),
                         layer3_test::Layer3FormName);

TEST(Layer3Alias, BoundariesPerBlockKind) {
  struct TCase {
    TMPBandExtent Extent;
    int32_t Count, Boundaries, CountAfter;
  };
  const TCase cases[] = {
      {{0, 0, 12, 22, {}}, 40, 2, 44},  // (40 + 7) / 18 = 2, count becomes 18 * 2 + 8
      {{0, 0, 12, 22, {}}, 576, 31, 576}, {{0, 0, 12, 22, {}}, 0, 0, 0},  // nothing to mix, nothing raised
      {{1, 3, 3, 8, {}}, 100, 1, 100},                                    // mixed: sub-bands 0 and 1 only
      {{1, 3, 0, 0, {}}, 100, 0, 100},                                    // pure short: none
  };
  for (const TCase& c : cases) {
    int32_t count = c.Count;
    EXPECT_EQ(AliasBoundaries(c.Extent, count), c.Boundaries) << c.Count;
    EXPECT_EQ(count, c.CountAfter) << c.Count;
  }
}

}  // namespace
