// Layer III streams: limits and formats of the stream open, refused requests, and frames built
// field by field for the reservoir, rejected frames, gain offsets, granule slots, mid-stream
// channel changes and the mixed-down output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "bit_writer.h"
#include "layer3.h"
#include "layer3_state.h"
#include "layer3_test_support.h"

namespace {

using namespace layer3_test;

struct TLimitsCase {
  const char* Name;
  int32_t Sync, Id, SamplingIndex;
  uint8_t Flags;
  int32_t Cutoff;
  int32_t SubbandLimit, LineLimit, LongLimit, ShortLimit, HybridBands;
  int32_t Channels, SamplesPerFrame, SampleRate;
};

class Layer3Limits : public testing::TestWithParam<TLimitsCase> {};

TEST_P(Layer3Limits, PerRateAndCutoff) {
  const TLimitsCase& c = GetParam();
  TMPOutputFormat format{};
  ASSERT_EQ(layer3_test::OpenLayer3(MakeHeader(c.Sync, c.Id, c.SamplingIndex, 1), 200, 0, 0, c.Flags,
                                    c.Cutoff, format),
            1);
  const TMPLayer3State& st = layer3_test::L3();
  EXPECT_EQ(st.SubbandLimit, c.SubbandLimit);
  EXPECT_EQ(st.LineLimit, c.LineLimit);
  EXPECT_EQ(st.LongLimit, c.LongLimit);
  EXPECT_EQ(st.ShortLimit, c.ShortLimit);
  EXPECT_EQ(st.HybridBands, c.HybridBands);
  EXPECT_EQ(format.Channels, c.Channels);
  EXPECT_EQ(format.SamplesPerFrame, c.SamplesPerFrame);
  EXPECT_EQ(format.SampleRate, c.SampleRate);
  EXPECT_EQ(format.BitsPerSample, 16);
  EXPECT_EQ(format.FrameLength, 200);
  EXPECT_EQ(st.OutputBytes, 2 * c.SamplesPerFrame);
}

INSTANTIATE_TEST_SUITE_P(
    Layer3Stream, Layer3Limits,
    testing::Values(
        TLimitsCase{"Mpeg1At44k", 1, 1, 0, 0, 24000, 31, 558, 558, 558, 31, 2, 2304, 44100},
        TLimitsCase{"Mpeg2At22k", 1, 0, 0, 0, 24000, 31, 530, 522, 522, 30, 2, 1152, 22050},
        TLimitsCase{"LowCutoffIs1000Hz", 1, 1, 0, 0, 0, 1, 18, 18, 18, 1, 2, 2304, 44100},
        TLimitsCase{"Mpeg25At8kFullBand", 2, 0, 2, mofFullBand, 24000, 32, 576, 576, 576, 32, 2, 1152, 8000},
        TLimitsCase{"Mpeg25At11kTopBandLeftOut", 2, 0, 0, 0, 24000, 31, 530, 522, 522, 30, 2, 1152, 11025},
        TLimitsCase{"Mpeg1FullBand", 1, 1, 1, mofFullBand, 24000, 32, 576, 576, 576, 32, 2, 2304, 48000},
        TLimitsCase{"FullBandKeepsTheCutoff", 1, 1, 0, mofFullBand, 16000, 23, 414, 414, 414, 23, 2, 2304,
                    44100},
        TLimitsCase{"MixedToOneChannel", 1, 1, 2, 1, 24000, 31, 558, 558, 558, 31, 1, 1152, 32000}),
    [](const testing::TestParamInfo<TLimitsCase>& param) { return std::string(param.param.Name); });

TEST(Layer3Stream, RefusesWhatItCannotOutput) {
  TMPOutputFormat format{};
  const TMPFrameHeader good = MakeHeader(1, 1, 0, 0);
  EXPECT_EQ(layer3_test::OpenLayer3(good, 417, 1, 0, 0, 24000, format), 0) << "half rate";
  EXPECT_EQ(layer3_test::OpenLayer3(good, 417, 0, 0, mofEightBit, 24000, format), 0) << "8-bit samples";
  TMPFrameHeader other = good;
  other.Layer = 2;
  EXPECT_EQ(layer3_test::OpenLayer3(other, 417, 0, 0, 0, 24000, format), 0) << "Layer II";
  other = good;
  other.SamplingIndex = 3;
  EXPECT_EQ(layer3_test::OpenLayer3(other, 417, 0, 0, 0, 24000, format), 0) << "reserved rate";
  other = MakeHeader(2, 1, 0, 0);
  EXPECT_EQ(layer3_test::OpenLayer3(other, 417, 0, 0, 0, 24000, format), 0) << "2.5 sync with the MPEG-1 bit";
  // After a refused open every frame is refused.
  TFrameFields f;
  const auto frame = WriteFrame(f);
  std::vector<int16_t> pcm(2304, 77);
  const TMPDecodeResult r =
      DecodeLayer3Frame(ProcessDecoderState(), frame.data(), static_cast<int32_t>(frame.size()), pcm.data());
  EXPECT_EQ(r.BytesConsumed, 0);
  EXPECT_EQ(pcm[0], 77);
  EXPECT_EQ(layer3_test::OpenLayer3(good, 417, -3, 0, 0, 24000, format), 1)
      << "a negative shift is full rate";
}

// Table 1 codes of values -1..1 for a list of pairs, with their sign bits.
void PutPairs(TBitWriter& w, const std::vector<int32_t>& values) {
  for (size_t i = 0; i + 1 < values.size(); i += 2) {
    const int32_t x = values[i], y = values[i + 1];
    if (x == 0 && y == 0)
      w.Put(1, 1);
    else if (x != 0 && y == 0)
      w.Put(0b01, 2);
    else if (x == 0)
      w.Put(0b001, 3);
    else
      w.Put(0b000, 3);
    if (x) w.Put(x < 0, 1);
    if (y) w.Put(y < 0, 1);
  }
}

// A granule-channel part of values through table 1: side information and main data bits.
void AddPart(TBitWriter& main, TGranuleFields& g, const std::vector<int32_t>& values) {
  const size_t before = main.BitCount();
  PutPairs(main, values);
  g.Part23Length = static_cast<int32_t>(main.BitCount() - before);
  g.BigValues = static_cast<int32_t>(values.size() / 2);
}

// Values of a part that sounds: a few low lines.
std::vector<int32_t> Tone(int32_t shift) {
  std::vector<int32_t> v(40, 0);
  for (int32_t i = 0; i < 40; i += 3 + shift) v[i] = (i / 3) % 2 ? 1 : -1;
  return v;
}

// A stereo MPEG-1 frame whose four parts carry the given values.
std::vector<uint8_t> StereoFrame(TFrameFields& f, const std::vector<int32_t>& left,
                                 const std::vector<int32_t>& right) {
  TBitWriter main;
  for (int32_t gr = 0; gr < 2; ++gr) {
    AddPart(main, f.Granule[gr][0], left);
    if (f.Channels() == 2) AddPart(main, f.Granule[gr][1], right);
  }
  f.MainData = main.Finish(main.BitCount() / 8 + 1);
  return WriteFrame(f);
}

TMPDecodeResult Decode(const std::vector<uint8_t>& frame, std::vector<int16_t>& pcm) {
  return DecodeLayer3Frame(ProcessDecoderState(), frame.data(), static_cast<int32_t>(frame.size()),
                           pcm.data());
}

bool Silent(const std::vector<int16_t>& pcm) {
  return std::all_of(pcm.begin(), pcm.end(), [](int16_t v) { return v == 0; });
}

TEST(Layer3Stream, ReservoirUnderflowPlaysSilenceAndKeepsTheData) {
  TFrameFields f;
  f.MainDataBegin = 10;
  const auto frame = StereoFrame(f, Tone(0), Tone(1));
  ASSERT_TRUE(OpenOn(frame, 0));
  std::vector<int16_t> pcm(2304, 77);
  const TMPDecodeResult r = Decode(frame, pcm);
  EXPECT_EQ(r.BytesConsumed, 417);
  EXPECT_EQ(r.BytesProduced, 4608);
  EXPECT_TRUE(Silent(pcm));
  EXPECT_EQ(layer3_test::L3().ReservoirFill, 417 - 36) << "its main data is still kept";
}

TEST(Layer3Stream, RejectedFramesWriteNothing) {
  TFrameFields f;
  auto frame = StereoFrame(f, Tone(0), Tone(0));
  ASSERT_TRUE(OpenOn(frame, 0));
  std::vector<int16_t> pcm(2304, 77);
  auto broken = frame;
  broken[1] = 0xEB;  // no MPEG-1 sync any more
  EXPECT_EQ(Decode(broken, pcm).BytesConsumed, 0);
  EXPECT_EQ(DecodeLayer3Frame(ProcessDecoderState(), frame.data(), 400, pcm.data()).BytesConsumed, 0)
      << "cut short";
  broken = frame;
  broken[1] = 0xFD;  // Layer II bits
  EXPECT_EQ(Decode(broken, pcm).BytesConsumed, 0);
  EXPECT_EQ(pcm[0], 77);
  EXPECT_EQ(Decode(frame, pcm).BytesConsumed, 417);
}

TEST(Layer3Stream, GainOffsetsOfMidSideAndMixing) {
  struct TCase {
    uint8_t ModeByte, Flags;
    int32_t Stored;
  };
  for (const TCase c : {TCase{0x44, 0, 150}, TCase{0x64, 0, 148}, TCase{0x44, 1, 146}, TCase{0x64, 1, 144}}) {
    TFrameFields f;
    f.HeaderBytes[3] = c.ModeByte;
    const auto frame = StereoFrame(f, Tone(0), Tone(0));
    ASSERT_TRUE(OpenOn(frame, c.Flags));
    std::vector<int16_t> pcm(2304);
    Decode(frame, pcm);
    EXPECT_EQ(layer3_test::L3().Granule[1][1].GlobalGain, c.Stored) << int(c.ModeByte) << " " << int(c.Flags);
  }
}

TEST(Layer3Stream, MainDataLargerThanTheReservoirCanHold) {
  // Free-format frames of 8186 bytes: the second one refers back 100 bytes, and 100 + 8150 bytes
  // cannot be held. It plays as silence; later frames start afresh.
  TFrameFields f;
  f.HeaderBytes[2] = 0x00;  // free format
  f.FrameSize = 8186;
  const auto first = StereoFrame(f, Tone(0), Tone(0));
  f.MainDataBegin = 100;
  const auto second = StereoFrame(f, Tone(0), Tone(0));
  TMPFrameHeader h;
  ParseFrameHeader(first.data(), 4, h);
  ASSERT_EQ(OpenDecoderStream(h, 8186, 0, 0, 0, 24000), 1);
  std::vector<int16_t> pcm(2304);
  EXPECT_EQ(Decode(first, pcm).BytesConsumed, 8186);
  EXPECT_FALSE(Silent(pcm));
  std::fill(pcm.begin(), pcm.end(), int16_t{77});
  EXPECT_EQ(Decode(second, pcm).BytesConsumed, 8186);
  EXPECT_TRUE(Silent(pcm));
  EXPECT_EQ(layer3_test::L3().ReservoirFill, 0);
  EXPECT_EQ(Decode(first, pcm).BytesConsumed, 8186);
  EXPECT_FALSE(Silent(pcm));
}

TEST(Layer3Stream, LsfFramesAlternateGranuleSlots) {
  TFrameFields f;
  f.Lsf = true;
  f.HeaderBytes[1] = 0xF3;  // MPEG-2 Layer III
  f.HeaderBytes[2] = 0x80;  // 64 kbit/s, 22.05 kHz
  TBitWriter main;
  AddPart(main, f.Granule[0][0], Tone(0));
  AddPart(main, f.Granule[0][1], Tone(1));
  f.MainData = main.Finish(main.BitCount() / 8 + 1);
  const auto frame = WriteFrame(f);
  ASSERT_TRUE(OpenOn(frame, 0));
  std::vector<int16_t> pcm(1152);
  const int32_t parity = layer3_test::L3().GranuleParity;
  EXPECT_EQ(Decode(frame, pcm).BytesProduced, 2304);
  EXPECT_EQ(layer3_test::L3().GranuleParity, parity ^ 1);
  EXPECT_EQ(layer3_test::L3().Granule[parity][1].BigValues, 20) << "read into the current slot";
  auto broken = frame;
  broken[1] = 0xE3;  // an MPEG-2.5 frame in an MPEG-2 stream
  EXPECT_EQ(Decode(broken, pcm).BytesConsumed, 0);
  EXPECT_EQ(layer3_test::L3().GranuleParity, parity ^ 1) << "rejected frames keep the slot";
  EXPECT_EQ(Decode(frame, pcm).BytesConsumed, static_cast<int32_t>(frame.size()));
  EXPECT_EQ(layer3_test::L3().GranuleParity, parity);
}

// Decodes the frames as one stream opened on the first with the given flags.
std::vector<int16_t> DecodeFrames(const std::vector<std::vector<uint8_t>>& frames, uint8_t flags) {
  EXPECT_TRUE(OpenOn(frames[0], flags));
  TMPOutputFormat format;
  GetOutputFormat(format);
  std::vector<int16_t> all, pcm(4608);
  for (const auto& frame : frames) {
    const TMPDecodeResult r = Decode(frame, pcm);
    EXPECT_GT(r.BytesProduced, 0);
    all.insert(all.end(), pcm.begin(), pcm.begin() + r.BytesProduced / 2);
  }
  return all;
}

TEST(Layer3Stream, SingleChannelFramesInATwoChannelStreamPlayOnBoth) {
  TFrameFields stereo;
  TFrameFields mono;
  mono.HeaderBytes[3] = 0xC4;
  std::vector<std::vector<uint8_t>> frames;
  for (int32_t i = 0; i < 4; ++i) frames.push_back(StereoFrame(i == 2 ? mono : stereo, Tone(i), Tone(2)));
  const auto pcm = DecodeFrames(frames, 0);
  ASSERT_EQ(pcm.size(), 4u * 2304);
  // From the single-channel frame's second granule on both channels carry the same spectra and,
  // once the synthesis has forgotten the stereo past (16 slots), give the same samples.
  bool differs = false;
  for (size_t i = 2 * 2304 + 1152 + 15 * 64; i < 3 * 2304; i += 2) {
    EXPECT_EQ(pcm[i], pcm[i + 1]) << i;
    differs |= pcm[i] != 0;
  }
  EXPECT_TRUE(differs);
}

TEST(Layer3Stream, MixedDownOutputIsTheAverageWhateverTheBlockTypes) {
  // Channel 0 long, channel 1 short (and mixed), then both alike: the separate filterbanks with a
  // shared overlap and the summed spectra must both give (left + right) / 2.
  std::vector<std::vector<uint8_t>> frames;
  for (int32_t i = 0; i < 6; ++i) {
    TFrameFields f;
    f.HeaderBytes[3] = i == 4 ? 0x64 : 0x04;
    for (int32_t gr = 0; gr < 2; ++gr) {
      f.Granule[gr][0].GlobalGain = 190;
      TGranuleFields& right = f.Granule[gr][1];
      right.WindowSwitching = i < 4;
      right.BlockType = i < 4 ? 2 : 0;
      right.MixedBlock = i == 1 || i == 3;
      right.GlobalGain = 180;
    }
    // Channel 1 reaches higher: the summed overlap and the inversion must cover its sub-bands.
    std::vector<int32_t> left(120, 0), right(400, 0);
    for (int32_t k = 0; k < 120; k += 7) left[k] = (k / 7) % 3 - 1;
    for (int32_t k = 2; k < 400; k += 5) right[k] = (k / 5) % 2 ? 1 : -1;
    frames.push_back(StereoFrame(f, left, right));
  }
  const auto both = DecodeFrames(frames, mofFullBand);
  const auto mixed = DecodeFrames(frames, mofFullBand | 1);
  ASSERT_EQ(both.size(), 2 * mixed.size());
  int32_t largest = 0;
  bool sounds = false;
  for (size_t i = 0; i < mixed.size(); ++i) {
    const double average = (both[2 * i] + both[2 * i + 1]) / 2.0;
    largest = std::max(largest, static_cast<int32_t>(std::lround(std::fabs(mixed[i] - average) * 2)));
    sounds |= std::abs(mixed[i]) > 100;
  }
  EXPECT_LE(largest, 3) << "in half LSB";
  EXPECT_TRUE(sounds);
}

// Damaged data never makes the decoder leave its buffers (the sanitizer build checks) or hang:
// a conformance stream with random bytes changed, in every form.
TEST(Layer3Stream, SurvivesCorruptedStreams) {
  TAutoForms restore;
  const auto clean = ReadFile(DataPath("conformance/l3-si_block.bit"));
  ASSERT_FALSE(clean.empty());
  std::mt19937 random(1234);
  for (const TLayer3Form& form : Layer3Forms()) {
    if (!SelectLayer3Form(form)) continue;
    for (int32_t round = 0; round < 12; ++round) {
      auto data = clean;
      const int32_t changes = 1 + round * 40;
      for (int32_t k = 0; k < changes; ++k) data[random() % data.size()] = static_cast<uint8_t>(random());
      const TDecodedFile decoded = DecodeWholeFile(data, round % 3 == 0 ? mofFullBand : uint8_t(round % 4));
      EXPECT_LE(decoded.Pcm.size(), 2304u * 200);
    }
  }
}

}  // namespace
