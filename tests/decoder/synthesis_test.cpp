// Synthesis: every window form against the standard's filterbank, rounding and clipping, the
// ring positions, polarity, the equalizer and the channel forms.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "decoder/mp3_decoder.h"
#include "decoder/mp_equalizer.h"
#include "decoder_tables.h"
#include "processor_forms.h"
#include "reference_synthesis.h"
#include "synth_window.h"
#include "synthesis.h"
#include "synthesis_dct.h"
#include "synthesis_state.h"
#include "window_forms.h"

namespace {

constexpr int32_t kRow = 64;

// The synthesis history these tests run through: the process-wide state's, whose forms and
// polarity the process-wide selection sets (tables built as a stream open builds them).
TSynthesisState& Synth() {
  TSynthesisState& state = ProcessDecoderState().Synthesis;
  static const bool tablesBuilt = (BuildDecoderTables(2), true);
  (void)tablesBuilt;
  return state;
}

// Rows of interleaved two-channel sub-band samples (sub-band * 2 + channel).
std::vector<float> RandomRows(int32_t slots, float amplitude, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> value(-amplitude, amplitude);
  std::vector<float> rows(slots * kRow);
  for (float& v : rows) v = value(random);
  return rows;
}

// Reference PCM of one channel of interleaved rows (stride 2) or of single-channel rows.
std::vector<int32_t> ReferencePcm(const std::vector<float>& rows, int32_t slots, int32_t first,
                                  int32_t stride) {
  TReferenceSynthesis reference;
  std::vector<int32_t> pcm;
  for (int32_t r = 0; r < slots; ++r) {
    double subbands[32], out[32];
    for (int32_t k = 0; k < 32; ++k) subbands[k] = rows[r * kRow + first + k * stride];
    reference.Slot(subbands, out);
    for (double v : out) pcm.push_back(ToPcm(v));
  }
  return pcm;
}

class SynthesisForms : public testing::TestWithParam<TProcessorForm> {
 protected:
  void SetUp() override {
    if (!SelectProcessorForm(GetParam())) GTEST_SKIP() << "processor lacks " << GetParam().Name;
    SetInvertPolarity(0);
    SubbandEqOn = 0;
    ResetSynthesis(Synth());
  }
  void TearDown() override { SelectCpuRoutines(GetCpuFeatures()); }
};

// Within one LSB of the rounded reference everywhere, and almost always equal.
void ExpectCloseToReference(const std::vector<int32_t>& expected, const int16_t* actual, int32_t step) {
  int32_t differing = 0;
  for (size_t i = 0; i < expected.size(); ++i) {
    const int32_t d = std::abs(expected[i] - actual[i * step]);
    ASSERT_LE(d, 1) << "sample " << i;
    differing += d != 0;
  }
  EXPECT_LT(differing, static_cast<int32_t>(expected.size() / 100)) << "samples off by one";
}

TEST_P(SynthesisForms, MonoMatchesStandardFilterbank) {
  const int32_t slots = 36;
  const auto rows = RandomRows(slots, 2000.0f, 1);
  std::vector<int16_t> pcm(slots * 32);
  SynthesizeMono(Synth(), rows.data(), pcm.data(), slots);
  ExpectCloseToReference(ReferencePcm(rows, slots, 0, 1), pcm.data(), 1);
}

TEST_P(SynthesisForms, StereoMatchesStandardFilterbankPerChannel) {
  const int32_t slots = 36;
  const auto rows = RandomRows(slots, 2000.0f, 2);
  std::vector<int16_t> pcm(slots * 64);
  SynthesizeStereo(Synth(), rows.data(), pcm.data(), slots);
  ExpectCloseToReference(ReferencePcm(rows, slots, 0, 2), pcm.data(), 2);
  ExpectCloseToReference(ReferencePcm(rows, slots, 1, 2), pcm.data() + 1, 2);
}

TEST_P(SynthesisForms, ImpulseGivesScaledImpulseResponseOverSixteenSlots) {
  const int32_t slots = 24, at = 3;
  std::vector<float> rows(slots * kRow, 0.0f);
  rows[at * kRow] = 1000.0f;  // sub-band 0
  std::vector<int16_t> pcm(slots * 32);
  SynthesizeMono(Synth(), rows.data(), pcm.data(), slots);
  const auto expected = ReferencePcm(rows, slots, 0, 1);
  for (int32_t i = 0; i < slots * 32; ++i) {
    const int32_t slot = i / 32;
    if (slot < at || slot >= at + 16) {
      EXPECT_EQ(pcm[i], 0) << "sample " << i;
    } else {
      EXPECT_NEAR(pcm[i], expected[i], 1) << "sample " << i;
    }
  }
  EXPECT_GT(*std::max_element(pcm.begin(), pcm.end()), 30);
}

TEST_P(SynthesisForms, ZeroInputGivesExactZero) {
  std::vector<float> rows(36 * kRow, 0.0f);
  std::vector<int16_t> pcm(36 * 64, 7);
  SynthesizeStereo(Synth(), rows.data(), pcm.data(), 36);
  EXPECT_TRUE(std::all_of(pcm.begin(), pcm.end(), [](int16_t v) { return v == 0; }));
}

// Sums placed on single taps: D[1] = -1/65536 weighs value 17 (ring place 1) of the newest slot
// into sample 1, and D[256] = 75038/65536 weighs value 16 (place 0) of the slot 8 slots older
// into sample 0.
int16_t WindowSample(float value, int32_t age, int32_t place, int32_t sample) {
  alignas(64) static float ring[kSynthChannelSize];
  for (int32_t s = 0; s < 16; ++s) {
    float slot[32] = {};
    if (s == age) slot[place] = value;
    StoreRingSlot(ring, kSynthSlotSize * s, slot, 0.0f);
  }
  int16_t mono[32], stereo[64];
  ProcessForms().WindowMono(ring, 0, Synth().Window, mono);
  ProcessForms().WindowStereo(ring, 0, Synth().Window, stereo);
  EXPECT_EQ(mono[sample], stereo[2 * sample]);
  return mono[sample];
}

// Channel 1's slot written at out = buffer + 1: only the even places from there change, and
// nothing is touched at out[63], past the end of the buffer (the sanitizer build sees that).
TEST_P(SynthesisForms, StereoWritesOnlyItsOwnChannel) {
  alignas(64) static float ring[kSynthChannelSize];
  for (int32_t i = 0; i < 2 * kSynthRingSize; ++i) {
    ring[i] = static_cast<float>((i % kSynthRingSize * 37) % 101 - 50) * 300.0f;
  }
  int16_t mono[32];
  ProcessForms().WindowMono(ring, 96, Synth().Window, mono);
  std::vector<int16_t> buffer(64, 0x5A5A);
  ProcessForms().WindowStereo(ring, 96, Synth().Window, buffer.data() + 1);
  for (int32_t i = 0; i < 64; ++i) {
    if (i % 2 == 1) {
      EXPECT_EQ(buffer[i], mono[i / 2]) << "sample " << i / 2;
    } else {
      EXPECT_EQ(buffer[i], 0x5A5A) << "place " << i;
    }
  }
}

// WindowPairs against WindowMono on copies of the rings: each channel's ring and position of its
// own (they may differ), the slots stored, the pairs interleaved left first, the positions stepped.
TEST_P(SynthesisForms, PairsAreBothMonoWindowsInterleaved) {
  auto state = std::make_unique<TSynthesisState>();
  auto mono = std::make_unique<TSynthesisState>();
  std::vector<float> dct(2 * 3 * 33);  // the slots, then their heads
  for (size_t i = 0; i < dct.size(); ++i) dct[i] = static_cast<float>((i * 53) % 97) * 400.0f - 19000.0f;
  for (int32_t i = 0; i < 2 * kSynthRingSize; ++i) {
    state->Ring[0][i] = static_cast<float>((i % kSynthRingSize * 37) % 101 - 50) * 300.0f;
    state->Ring[1][i] = -state->Ring[0][i] * 0.5f;
  }
  state->Pos[0] = 96;
  state->Pos[1] = 480;
  state->Forms = &ProcessForms();
  state->Window = Synth().Window;
  *mono = *state;
  std::vector<int16_t> pairs(3 * 64);
  ProcessForms().WindowPairs(*state, dct.data(), dct.data() + 6 * 32, 3, pairs.data());
  for (int32_t r = 0; r < 3; ++r) {
    for (int32_t c = 0; c < 2; ++c) {
      int16_t expected[32];
      StoreRingSlot(mono->Ring[c], mono->Pos[c], dct.data() + 32 * (3 * c + r), dct[6 * 32 + 3 * c + r]);
      ProcessForms().WindowMono(mono->Ring[c], mono->Pos[c], mono->Window, expected);
      mono->Pos[c] = NextRingPos(mono->Pos[c]);
      for (int32_t i = 0; i < 32; ++i)
        ASSERT_EQ(pairs[64 * r + 2 * i + c], expected[i]) << r << c << " " << i;
    }
  }
  EXPECT_EQ(state->Pos[0], mono->Pos[0]);
  EXPECT_EQ(state->Pos[1], mono->Pos[1]);
  EXPECT_EQ(std::memcmp(state->Ring, mono->Ring, sizeof state->Ring), 0);
}

TEST_P(SynthesisForms, RoundsHalfwaySumsToEven) {
  EXPECT_EQ(WindowSample(-2.5f * 65536, 0, 1, 1), 2);
  EXPECT_EQ(WindowSample(2.5f * 65536, 0, 1, 1), -2);
  EXPECT_EQ(WindowSample(-3.5f * 65536, 0, 1, 1), 4);
  EXPECT_EQ(WindowSample(-1.25f * 65536, 0, 1, 1), 1);
}

TEST_P(SynthesisForms, SaturatesInsteadOfWrapping) {
  const float tap = 75038.0f / 65536.0f;
  EXPECT_EQ(WindowSample(32768.4f / tap, 8, 0, 0), 32767);
  EXPECT_EQ(WindowSample(-40000.0f / tap, 8, 0, 0), -32768);
  EXPECT_EQ(WindowSample(1e12f, 8, 0, 0), 32767);
  EXPECT_EQ(WindowSample(-1e12f, 8, 0, 0), -32768);
  SetInvertPolarity(1);
  // Clipping is asymmetric: +32768.4 inverted gives -32768, not -32767.
  EXPECT_EQ(WindowSample(32768.4f / tap, 8, 0, 0), -32768);
  SetInvertPolarity(0);
}

TEST_P(SynthesisForms, InvertedPolarityNegatesEverySample) {
  const auto rows = RandomRows(36, 1500.0f, 3);
  std::vector<int16_t> normal(36 * 64), inverted(36 * 64);
  SynthesizeStereo(Synth(), rows.data(), normal.data(), 36);
  SetInvertPolarity(1);
  EXPECT_EQ(GetInvertPolarity(), 1);
  ResetSynthesis(Synth());
  SynthesizeStereo(Synth(), rows.data(), inverted.data(), 36);
  SetInvertPolarity(1);  // no second flip
  SetInvertPolarity(0);
  for (size_t i = 0; i < normal.size(); ++i) ASSERT_EQ(inverted[i], -normal[i]) << i;
  std::vector<int16_t> again(36 * 64);
  ResetSynthesis(Synth());
  SynthesizeStereo(Synth(), rows.data(), again.data(), 36);
  EXPECT_EQ(again, normal);
}

TEST_P(SynthesisForms, DctMatchesItsDefinitionForEveryRowLayout) {
  std::mt19937 random(9);
  std::uniform_real_distribution<float> value(-20000.0f, 20000.0f);
  const double pi = 3.14159265358979323846;
  // 3 slots run one lane at a time in every form; 11 fill a block of 4 or 8 lanes and end with
  // one moved back over slots already done.
  for (int32_t slots : {3, 11}) {
    for (TDctRows layout :
         {TDctRows::Single, TDctRows::Channel0, TDctRows::Channel1, TDctRows::Mixed, TDctRows::Both}) {
      const int32_t rowSize = layout == TDctRows::Single ? 32 : 64;
      // Exact-size heap rows: reading past the last row is caught by the sanitizer.
      auto rows = std::make_unique<float[]>(slots * rowSize);
      for (int32_t i = 0; i < slots * rowSize; ++i) rows[i] = value(random);
      std::vector<float> out(64 * slots), heads(2 * slots);
      ProcessForms().SubbandDct(rows.get(), rowSize, layout, slots, nullptr, out.data(), heads.data());
      // Both: channel 0's results, then channel 1's; X[0] among the heads, the rest in ring order.
      for (int32_t part = 0; part < (layout == TDctRows::Both ? 2 : 1); ++part) {
        const int32_t channel = layout == TDctRows::Both ? part : layout == TDctRows::Channel1;
        for (int32_t r = 0; r < slots; ++r) {
          double input[32], magnitude = 0.0;
          for (int32_t k = 0; k < 32; ++k) {
            const float* row = rows.get() + r * rowSize;
            input[k] = layout == TDctRows::Single  ? row[k]
                       : layout == TDctRows::Mixed ? (row[2 * k] + row[2 * k + 1]) * 0.5f
                                                   : row[2 * k + channel];
            magnitude += std::abs(input[k]);
          }
          for (int32_t p = -1; p < 32; ++p) {
            const int32_t i = p < 0 ? 0 : p < 16 ? 16 + p : 32 - p;
            double exact = 0.0;
            for (int32_t k = 0; k < 32; ++k) exact += input[k] * std::cos(i * pi * (2 * k + 1) / 64);
            const float actual = p < 0 ? heads[part * slots + r] : out[32 * (part * slots + r) + p];
            // Single precision throughout: about a part in 10^6 of the inputs' magnitude.
            ASSERT_NEAR(actual, exact, 1e-6 * magnitude)
                << "layout " << static_cast<int>(layout) << " slot " << r << " place " << p;
          }
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Forms, SynthesisForms, testing::ValuesIn(AllProcessorForms()), FormTestName);

class SynthesisRoutines : public testing::Test {
 protected:
  void SetUp() override {
    SelectCpuRoutines(GetCpuFeatures());
    SetInvertPolarity(0);
    SubbandEqOn = 0;
    ResetSynthesis(Synth());
  }
  void TearDown() override { SubbandEqOn = 0; }
};

TEST_F(SynthesisRoutines, StereoSharesOnePositionAcrossChannels) {
  const auto rows = RandomRows(36, 100.0f, 4);
  std::vector<int16_t> pcm(36 * 64);
  SynthesizeStereo(Synth(), rows.data(), pcm.data(), 36);
  EXPECT_EQ(Synth().Pos[0], (0 - 36 * 32) & 511);
  EXPECT_EQ(Synth().Pos[1], Synth().Pos[0]);
  ResetSynthesis(Synth());
  EXPECT_EQ(Synth().Pos[0], 0);
  EXPECT_EQ(Synth().Pos[1], 0);
}

// A single-channel routine over one channel equals mono synthesis of that channel's rows.
std::vector<int16_t> MonoOfChannel(const std::vector<float>& rows, int32_t slots, int32_t channel) {
  std::vector<float> mono(slots * kRow, 0.0f);
  for (int32_t r = 0; r < slots; ++r) {
    for (int32_t k = 0; k < 32; ++k) mono[r * kRow + k] = rows[r * kRow + 2 * k + channel];
  }
  std::vector<int16_t> pcm(slots * 32);
  ResetSynthesis(Synth());
  SynthesizeMono(Synth(), mono.data(), pcm.data(), slots);
  return pcm;
}

TEST_F(SynthesisRoutines, LeftAndRightTakeOneChannel) {
  const auto rows = RandomRows(36, 1500.0f, 5);
  std::vector<int16_t> left(36 * 32), right(36 * 32);
  ResetSynthesis(Synth());
  SynthesizeLeft(Synth(), rows.data(), left.data(), 36);
  ResetSynthesis(Synth());
  SynthesizeRight(Synth(), rows.data(), right.data(), 36);
  EXPECT_EQ(left, MonoOfChannel(rows, 36, 0));
  EXPECT_EQ(right, MonoOfChannel(rows, 36, 1));
}

TEST_F(SynthesisRoutines, MixAveragesChannelsAndIgnoresEqualizer) {
  const auto rows = RandomRows(36, 1500.0f, 6);
  std::vector<float> mixed(36 * kRow, 0.0f);
  for (int32_t r = 0; r < 36; ++r) {
    for (int32_t k = 0; k < 32; ++k)
      mixed[r * kRow + k] = (rows[r * kRow + 2 * k] + rows[r * kRow + 2 * k + 1]) * 0.5f;
  }
  std::vector<int16_t> expected(36 * 32), mix(36 * 32);
  SynthesizeMono(Synth(), mixed.data(), expected.data(), 36);
  for (int32_t k = 0; k < 32; ++k) SubbandGains[k] = 0.0f;
  SubbandEqOn = 1;
  ResetSynthesis(Synth());
  SynthesizeMix(Synth(), rows.data(), mix.data(), 36);
  EXPECT_EQ(mix, expected);
}

TEST_F(SynthesisRoutines, EqualizerGainsScaleSubbands) {
  const auto rows = RandomRows(36, 1500.0f, 7);
  std::vector<int16_t> off(36 * 64), unity(36 * 64), muted(36 * 64);
  SynthesizeStereo(Synth(), rows.data(), off.data(), 36);
  for (int32_t k = 0; k < 32; ++k) SubbandGains[k] = 1.0f;
  SubbandEqOn = 1;
  ResetSynthesis(Synth());
  SynthesizeStereo(Synth(), rows.data(), unity.data(), 36);
  EXPECT_EQ(unity, off);

  for (int32_t k = 0; k < 32; ++k) SubbandGains[k] = 0.0f;
  ResetSynthesis(Synth());
  SynthesizeStereo(Synth(), rows.data(), muted.data(), 36);
  EXPECT_TRUE(std::all_of(muted.begin(), muted.end(), [](int16_t v) { return v == 0; }));

  // Gain 2 on sub-band 3 equals doubling sub-band 3 of both channels.
  SubbandGains[3] = 2.0f;
  for (int32_t k = 0; k < 32; ++k) {
    if (k != 3) SubbandGains[k] = 1.0f;
  }
  std::vector<int16_t> boosted(36 * 64), expected(36 * 64);
  ResetSynthesis(Synth());
  SynthesizeStereo(Synth(), rows.data(), boosted.data(), 36);
  auto doubled = rows;
  for (int32_t r = 0; r < 36; ++r) {
    doubled[r * kRow + 6] *= 2.0f;
    doubled[r * kRow + 7] *= 2.0f;
  }
  SubbandEqOn = 0;
  ResetSynthesis(Synth());
  SynthesizeStereo(Synth(), doubled.data(), expected.data(), 36);
  EXPECT_EQ(boosted, expected);
}

TEST_F(SynthesisRoutines, GranuleChannelsKeepTheirOwnPositions) {
  // Two granules per channel, synthesised channel after channel, must equal the two-channel
  // routine over the same 36 slots.
  const auto rows = RandomRows(36, 1500.0f, 8);
  std::vector<int16_t> expected(36 * 64), actual(36 * 64);
  SynthesizeStereo(Synth(), rows.data(), expected.data(), 36);

  ResetSynthesis(Synth());
  for (int32_t granule = 0; granule < 2; ++granule) {
    for (int32_t channel = 0; channel < 2; ++channel) {
      float samples[18 * 32];
      for (int32_t r = 0; r < 18; ++r) {
        for (int32_t k = 0; k < 32; ++k)
          samples[r * 32 + k] = rows[(granule * 18 + r) * kRow + 2 * k + channel];
      }
      SynthesizeGranuleChannel(Synth(), samples, actual.data() + granule * 18 * 64, channel);
    }
  }
  EXPECT_EQ(actual, expected);
  EXPECT_EQ(Synth().Pos[0], Synth().Pos[1]);

  std::vector<int16_t> mono(18 * 32);
  float samples[18 * 32];
  for (int32_t r = 0; r < 18; ++r) {
    for (int32_t k = 0; k < 32; ++k) samples[r * 32 + k] = rows[r * kRow + 2 * k];
  }
  ResetSynthesis(Synth());
  SynthesizeGranuleMono(Synth(), samples, mono.data(), 0);
  const auto left = MonoOfChannel(rows, 18, 0);
  EXPECT_EQ(mono, left);
}

TEST(SynthesisWindow, HoldsTheStandardWindowRearranged) {
  SetInvertPolarity(0);
  const float* row0 = SynthWindow[0].data();
  EXPECT_FLOAT_EQ(row0[0], 0.0f);
  EXPECT_NEAR(row0[1], -0.000442505, 1e-9);
  EXPECT_NEAR(row0[2], 0.003250122, 1e-9);
  EXPECT_NEAR(row0[3], -0.007003784, 1e-9);
  EXPECT_NEAR(row0[8], 1.144989014, 1e-9);
  const float* shortRow = SynthWindow[0].data() + 256;
  EXPECT_NEAR(shortRow[0], 0.001586914, 1e-9);
  EXPECT_NEAR(shortRow[1], 0.023910522, 1e-9);
  EXPECT_NEAR(shortRow[2], 0.148422241, 1e-9);
  EXPECT_NEAR(shortRow[3], 0.976852417, 1e-9);
}

}  // namespace
