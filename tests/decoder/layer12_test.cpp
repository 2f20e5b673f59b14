// Layers I and II: requantised sub-band samples of hand-built frames (joint-stereo pairs, scfsi
// sharing, grouping, CRC), the DecodedLimit skip, allocation-table choice and switching.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "decoder/mp3_decoder.h"
#include "decoder_state.h"
#include "layer12.h"
#include "layer12_frames.h"
#include "mp_bit_reader.h"

namespace {

constexpr int32_t kRow = 64;

double Scalefactor(int32_t index) { return std::pow(2.0, 1.0 - index / 3.0) * 32768.0; }

float SubbandSample(int32_t slot, int32_t entry) {
  return ProcessDecoderState().Layer12.SubbandSamples[slot * kRow + entry];
}

void ExpectSample(int32_t slot, int32_t entry, double expected) {
  EXPECT_NEAR(SubbandSample(slot, entry), expected, std::abs(expected) * 1e-6 + 1e-9)
      << "slot " << slot << " entry " << entry;
}

bool Open(const std::vector<uint8_t>& frame, uint8_t flags = 0, int32_t cutoff = 24000) {
  TMPFrameHeader h{};
  const int32_t length = ParseFrameHeader(frame.data(), 4, h);
  return length > 0 && OpenDecoderStream(h, length, 0, 0, flags, cutoff) == 1;
}

TMPDecodeResult Decode(const std::vector<uint8_t>& frame, std::vector<int16_t>& pcm) {
  TMPOutputFormat format;
  GetOutputFormat(format);
  pcm.assign(format.SamplesPerFrame, 0);
  TMPDecodeResult result;
  DecodeFrame(result, frame.data(), static_cast<int32_t>(frame.size()), pcm.data());
  return result;
}

// Joint stereo with bound 4 sub-bands: sub-band 0 channel 0 ungrouped (15 levels), sub-band 5 a
// shared grouped pair (3 levels) with a scalefactor of its own per channel.
TLayer2Content JointStereoLayer2() {
  TLayer2Content c;
  UseTableB2b(c);
  c.Mode = 1;
  c.ModeExtension = 0;
  c.Bound = 4;
  c.Allocation[0][0] = 3;  // class of 15 levels, 4 bits
  c.CodeBits[0][0] = 4;
  c.Scfsi[0][0] = 2;
  c.Scalefactor[0][0][0] = 10;
  c.Allocation[0][5] = 1;  // 3 levels, grouped in 5 bits
  c.CodeBits[0][5] = 5;
  c.Grouped[0][5] = true;
  c.Scfsi[0][5] = 0;
  c.Scalefactor[0][5][0] = 3;
  c.Scalefactor[0][5][1] = 6;
  c.Scalefactor[0][5][2] = 9;
  c.Scfsi[1][5] = 3;
  c.Scalefactor[1][5][0] = 12;
  c.Scalefactor[1][5][1] = 15;
  for (int32_t g = 0; g < 12; ++g) {
    for (int32_t i = 0; i < 3; ++i) c.Code[g][0][0][i] = static_cast<uint32_t>((3 * g + i) % 15);
    c.Code[g][0][5][0] = static_cast<uint32_t>((7 * g + 4) % 27);
  }
  return c;
}

void ExpectJointStereoSamples(const TLayer2Content& c) {
  const int32_t pairParts[2][3] = {{3, 6, 9}, {12, 15, 15}};
  for (int32_t g = 0; g < 12; ++g) {
    const int32_t part = g / 4;
    const int32_t code = static_cast<int32_t>(c.Code[g][0][5][0]);
    const int32_t digits[3] = {code % 3 - 1, code / 3 % 3 - 1, code / 9 % 3 - 1};
    for (int32_t i = 0; i < 3; ++i) {
      const int32_t slot = 3 * g + i;
      ExpectSample(slot, 0, (static_cast<int32_t>(c.Code[g][0][0][i]) - 7) * Scalefactor(10) * 2.0 / 15);
      ExpectSample(slot, 1, 0.0);
      ExpectSample(slot, 10, digits[i] * Scalefactor(pairParts[0][part]) * 2.0 / 3);
      ExpectSample(slot, 11, digits[i] * Scalefactor(pairParts[1][part]) * 2.0 / 3);
      for (int32_t e = 2; e < 64; ++e) {
        if (e != 10 && e != 11) {
          ASSERT_EQ(SubbandSample(slot, e), 0.0f) << "slot " << slot << " entry " << e;
        }
      }
    }
  }
}

TEST(Layer2, JointStereoPairSharesValuesWithOwnScalefactors) {
  const auto c = JointStereoLayer2();
  const auto frame = Layer2Frame(c);
  ASSERT_TRUE(Open(frame));
  std::vector<int16_t> pcm;
  const TMPDecodeResult result = Decode(frame, pcm);
  EXPECT_EQ(result.BytesConsumed, 626);
  EXPECT_EQ(result.BytesProduced, 1152 * 2 * 2);
  ExpectJointStereoSamples(c);
}

TEST(Layer2, CrcIsSkippedAndChangesNothing) {
  auto c = JointStereoLayer2();
  const auto plainFrame = Layer2Frame(c);
  c.Crc = true;
  const auto crcFrame = Layer2Frame(c);
  std::vector<int16_t> plainPcm, crcPcm;
  ASSERT_TRUE(Open(plainFrame));
  Decode(plainFrame, plainPcm);
  ASSERT_TRUE(Open(crcFrame));
  Decode(crcFrame, crcPcm);
  ExpectJointStereoSamples(c);
  EXPECT_EQ(crcPcm, plainPcm);
}

TEST(Layer2, NoAllocationReadsNoScalefactorsAndGivesSilence) {
  TLayer2Content c;
  UseTableB2b(c);
  auto frame = Layer2Frame(c);
  for (size_t i = 30; i < frame.size(); ++i) frame[i] = 0xA5;  // bits no field may take
  ASSERT_TRUE(Open(frame));
  std::vector<int16_t> pcm;
  EXPECT_GT(Decode(frame, pcm).BytesConsumed, 0);
  // Header and 2 x (3 x 4 + 8 x 4 + 12 x 3 + 7 x 2) allocation bits, nothing more.
  EXPECT_EQ(BitPosition(ProcessDecoderState().Layer12.FrameBits), 32 + 2 * 94);
  for (int16_t v : pcm) ASSERT_EQ(v, 0);
}

TEST(Layer2, FrameTableFollowsEachFramesBitRate) {
  // 192 kbit/s stereo uses table 3-B.2b; 96 kbit/s stereo (48 per channel) table 3-B.2c.
  TLayer2Content wide;
  UseTableB2b(wide);
  wide.Allocation[0][20] = wide.Allocation[1][20] = 1;
  wide.CodeBits[0][20] = wide.CodeBits[1][20] = 5;
  wide.Grouped[0][20] = wide.Grouped[1][20] = true;
  for (int32_t g = 0; g < 12; ++g) wide.Code[g][0][20][0] = wide.Code[g][1][20][0] = 26;
  TLayer2Content narrow;
  UseTableB2c(narrow);
  narrow.BitrateIndex = 6;
  narrow.Bytes = 313;
  narrow.Allocation[1][1] = 3;  // table 3-B.2c, 4-bit field, code 3: 9 levels grouped in 10 bits
  narrow.CodeBits[1][1] = 10;
  narrow.Grouped[1][1] = true;
  narrow.Scfsi[1][1] = 2;
  narrow.Scalefactor[1][1][0] = 20;
  for (int32_t g = 0; g < 12; ++g) narrow.Code[g][1][1][0] = 728;  // digits 8 8 8 -> +4 each

  const auto wideFrame = Layer2Frame(wide);
  const auto narrowFrame = Layer2Frame(narrow);
  ASSERT_TRUE(Open(wideFrame));
  std::vector<int16_t> pcm;
  Decode(wideFrame, pcm);
  EXPECT_NE(SubbandSample(0, 40), 0.0f);
  const TMPDecodeResult result = Decode(narrowFrame, pcm);
  EXPECT_EQ(result.BytesConsumed, 313);
  for (int32_t slot = 0; slot < 36; ++slot) {
    ExpectSample(slot, 3, 4 * Scalefactor(20) * 2.0 / 9);
    ASSERT_EQ(SubbandSample(slot, 40), 0.0f) << "sub-band 20 must not keep the wide frame's samples";
    ASSERT_EQ(SubbandSample(slot, 41), 0.0f);
  }
}

TEST(Layer2, AllocationTableChoiceFollowsBitRatePerChannel) {
  // Every combination the standard allows, from its own selection table.
  std::ifstream select(std::string(VARO_TABLE_SOURCE) + "/l2_table_select.txt");
  ASSERT_TRUE(select.good());
  std::string header;
  std::getline(select, header);
  std::map<std::pair<int32_t, int32_t>, int32_t> standard;  // (rate, kbps per channel) -> table
  int32_t rate, perChannel, table;
  while (select >> rate >> perChannel >> table) standard[{rate, perChannel}] = table;
  const int32_t rates[3] = {44100, 48000, 32000};
  const int32_t kbps[15] = {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384};
  int32_t checked = 0;
  for (int32_t mode = 0; mode < 4; ++mode) {
    const int32_t channels = mode == 3 ? 1 : 2;
    for (int32_t sr = 0; sr < 3; ++sr) {
      for (int32_t index = 0; index < 16; ++index) {
        const int32_t per = index == 15 ? -1 : kbps[index] / channels;
        const bool wholeRate = index == 15 || kbps[index] % channels == 0;
        const auto found = standard.find({rates[sr], per});
        const int32_t expected = (index != 15 && wholeRate && found != standard.end()) ? found->second : -1;
        EXPECT_EQ(ChooseLayer2AllocTable(1, mode, sr, index), expected)
            << "mode " << mode << " rate " << rates[sr] << " index " << index;
        ++checked;
      }
      EXPECT_EQ(ChooseLayer2AllocTable(0, mode, sr, 5), 4);
    }
  }
  EXPECT_EQ(checked, 4 * 3 * 16);
  EXPECT_EQ(ChooseLayer2AllocTable(1, 3, 0, 6), 1);   // 96 kbit/s single channel
  EXPECT_EQ(ChooseLayer2AllocTable(1, 0, 0, 6), 2);   // 96 kbit/s two channels
  EXPECT_EQ(ChooseLayer2AllocTable(1, 0, 0, 5), -1);  // 80 kbit/s two channels
}

// Layer I, every entry allocated: sub-band s of channel c gets allocation 1 + (s + c) % 14.
TLayer1Content FullLayer1(int32_t bound = 32, int32_t mode = 0, int32_t extension = 0) {
  TLayer1Content c;
  c.Mode = mode;
  c.ModeExtension = extension;
  c.Bound = bound;
  for (int32_t ch = 0; ch < 2; ++ch) {
    for (int32_t sb = 0; sb < 32; ++sb) {
      c.Allocation[ch][sb] = sb < bound || ch == 0 ? 1 + (sb + ch) % 3 : 0;
      c.Scalefactor[ch][sb] = (5 * sb + 11 * ch) % 60;
      for (int32_t slot = 0; slot < 12; ++slot) {
        c.Sample[slot][ch][sb] =
            static_cast<uint32_t>((slot * 7 + sb * 3 + ch) % ((2 << c.Allocation[ch][sb]) - 1));
      }
    }
  }
  return c;
}

double Layer1Value(const TLayer1Content& c, int32_t slot, int32_t ch, int32_t sb) {
  const int32_t source = sb < c.Bound ? ch : 0;
  const int32_t a = c.Allocation[source][sb];
  const int32_t v = static_cast<int32_t>(c.Sample[slot][source][sb]);
  return (v - ((1 << a) - 1)) * Scalefactor(c.Scalefactor[ch][sb]) * 2.0 / ((2 << a) - 1);
}

TEST(Layer1, DecodedLimitLeavesTopSubbandSilentAndKeepsTheRestExact) {
  const auto c = FullLayer1();
  const auto frame = Layer1Frame(c);
  std::vector<int16_t> pcm;
  for (bool fullBand : {false, true}) {
    SCOPED_TRACE(fullBand ? "full band" : "player mode");
    ASSERT_TRUE(Open(frame, fullBand ? mofFullBand : 0));
    EXPECT_EQ(Decode(frame, pcm).BytesConsumed, 416);
    for (int32_t slot = 0; slot < 12; ++slot) {
      for (int32_t sb = 0; sb < 32; ++sb) {
        for (int32_t ch = 0; ch < 2; ++ch) {
          ExpectSample(slot, 2 * sb + ch, sb == 31 && !fullBand ? 0.0 : Layer1Value(c, slot, ch, sb));
        }
      }
    }
  }
}

TEST(Layer1, CutoffKeepsOnlyTheSubbandsBelowIt) {
  const auto c = FullLayer1();
  const auto frame = Layer1Frame(c);
  std::vector<int16_t> pcm;
  // Cutoff 0 counts as 1000 Hz: (1000 * 64 + 22050) / 44100 = 1 sub-band.
  ASSERT_TRUE(Open(frame, 0, 0));
  Decode(frame, pcm);
  for (int32_t slot = 0; slot < 12; ++slot) {
    ExpectSample(slot, 0, Layer1Value(c, slot, 0, 0));
    ExpectSample(slot, 1, Layer1Value(c, slot, 1, 0));
    for (int32_t e = 2; e < 64; ++e) ASSERT_EQ(SubbandSample(slot, e), 0.0f);
  }
}

TEST(Layer1, JointStereoPairsShareOneSample) {
  const auto c = FullLayer1(12, 1, 2);  // mode extension 2: bound 12 sub-bands
  const auto frame = Layer1Frame(c);
  std::vector<int16_t> pcm;
  ASSERT_TRUE(Open(frame, mofFullBand));
  Decode(frame, pcm);
  for (int32_t slot = 0; slot < 12; ++slot) {
    for (int32_t sb = 0; sb < 32; ++sb) {
      ExpectSample(slot, 2 * sb, Layer1Value(c, slot, 0, sb));
      ExpectSample(slot, 2 * sb + 1, Layer1Value(c, slot, 1, sb));
    }
  }
}

TEST(Layer1, ForbiddenAllocationRejectsTheFrame) {
  auto c = FullLayer1();
  const auto good = Layer1Frame(c);
  c.Allocation[1][7] = 15;
  const auto bad = Layer1Frame(c);
  ASSERT_TRUE(Open(good));
  std::vector<int16_t> pcm(768, 123);
  TMPDecodeResult result;
  DecodeFrame(result, bad.data(), static_cast<int32_t>(bad.size()), pcm.data());
  EXPECT_EQ(result.BytesConsumed, 0);
  EXPECT_EQ(result.BytesProduced, 0);
  for (int16_t v : pcm) ASSERT_EQ(v, 123);
}

TEST(Layer1, PaddedFrameConsumesFourMoreBytes) {
  auto c = FullLayer1();
  const auto plain = Layer1Frame(c);
  c.Padding = 1;
  const auto padded = Layer1Frame(c);
  ASSERT_TRUE(Open(plain));
  std::vector<int16_t> pcm;
  EXPECT_EQ(Decode(plain, pcm).BytesConsumed, 416);
  EXPECT_EQ(Decode(padded, pcm).BytesConsumed, 420);
}

TEST(Layer1, DamagedFrameNeverReadsPastItsBytes) {
  // A frame cut short: the decoder gets only the bytes that exist (an exact-size buffer, so a
  // read past it is caught by the address sanitizer) and still produces a frame.
  const auto frame = Layer1Frame(FullLayer1());
  ASSERT_TRUE(Open(frame));
  for (size_t cut : {size_t{4}, size_t{40}, size_t{200}}) {
    auto bytes = std::make_unique<uint8_t[]>(cut);
    std::copy(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(cut), bytes.get());
    std::vector<int16_t> pcm(768);
    TMPDecodeResult result;
    DecodeFrame(result, bytes.get(), static_cast<int32_t>(cut), pcm.data());
    EXPECT_EQ(result.BytesProduced, 768 * 2);
  }
}

TEST(Layer12, RandomFrameBodiesStayInsideTheirBytes) {
  // Valid headers of both layers, one and two channels, joint stereo, with random bodies cut
  // at random lengths in exact-size buffers: whatever the bits say, nothing outside is read, and
  // the missing bytes read as zeros (the sub-band samples are those of the zero-padded frame).
  std::mt19937 random(11);
  const std::vector<std::vector<uint8_t>> headers = {{0xFF, 0xFF, 0xC0, 0x40}, {0xFF, 0xFE, 0xC2, 0xC0},
                                                     {0xFF, 0xFD, 0xA0, 0x70}, {0xFF, 0xFC, 0x64, 0xC0},
                                                     {0xFF, 0xF5, 0x80, 0x00}, {0xFF, 0xFD, 0x04, 0x00}};
  for (const auto& header : headers) {
    TMPFrameHeader h{};
    const int32_t length = ParseFrameHeader(header.data(), 4, h);
    const int32_t size = length > 0 ? FrameSizeWithPadding(h, length) : 600;
    ASSERT_EQ(OpenDecoderStream(h, length > 0 ? length : 600, 0, 0, mofFullBand, 24000), 1);
    TMPOutputFormat format;
    GetOutputFormat(format);
    std::vector<int16_t> pcm(format.SamplesPerFrame);
    for (int32_t trial = 0; trial < 300; ++trial) {
      const size_t available = 4 + random() % static_cast<uint32_t>(size + 8);
      auto bytes = std::make_unique<uint8_t[]>(available);
      std::copy(header.begin(), header.end(), bytes.get());
      for (size_t i = 4; i < available; ++i) bytes[i] = static_cast<uint8_t>(random());
      TMPDecodeResult result;
      DecodeFrame(result, bytes.get(), static_cast<int32_t>(available), pcm.data());
      ASSERT_TRUE(result.BytesProduced == 0 || result.BytesProduced == format.SamplesPerFrame * 2);
      const float* samples = ProcessDecoderState().Layer12.SubbandSamples;
      const std::vector<float> cut(samples, samples + kSubbandSampleFloats);
      std::vector<uint8_t> padded(bytes.get(), bytes.get() + available);
      padded.resize(std::max(available, static_cast<size_t>(size) + 8), 0);
      TMPDecodeResult again;
      DecodeFrame(again, padded.data(), static_cast<int32_t>(padded.size()), pcm.data());
      ASSERT_EQ(again.BytesProduced, result.BytesProduced);
      ASSERT_TRUE(std::equal(cut.begin(), cut.end(), samples)) << "trial " << trial;
    }
  }
}

}  // namespace
