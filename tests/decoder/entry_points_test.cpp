// Decoder entry points: output formats and channel forms, refused opens, rejected frames.
#include <gtest/gtest.h>

#include <vector>

#include "decoder/mp3_decoder.h"
#include "layer12_frames.h"

namespace {

// A stereo Layer II frame with different content in the two channels.
std::vector<uint8_t> StereoFrame() {
  TLayer2Content c;
  UseTableB2b(c);
  for (int32_t ch = 0; ch < 2; ++ch) {
    c.Allocation[ch][2 + ch] = 5;  // table 3-B.2b, first group, code 5: 63 levels, 6 bits
    c.CodeBits[ch][2 + ch] = 6;
    c.Scfsi[ch][2 + ch] = 2;
    c.Scalefactor[ch][2 + ch][0] = 12 + 6 * ch;  // well below clipping
    for (int32_t g = 0; g < 12; ++g) {
      for (int32_t i = 0; i < 3; ++i)
        c.Code[g][ch][2 + ch][i] = static_cast<uint32_t>((g * 5 + i * 17 + ch * 9) % 63);
    }
  }
  return Layer2Frame(c);
}

std::vector<uint8_t> MonoFrame() {
  TLayer2Content c;
  UseTableB2b(c);
  c.Channels = 1;
  c.Mode = 3;
  c.Bound = 32;
  c.BitrateIndex = 10;  // 192 kbit/s single channel: table 3-B.2b
  c.Allocation[0][4] = 2;
  c.CodeBits[0][4] = 3;
  c.Scfsi[0][4] = 2;
  c.Scalefactor[0][4][0] = 8;
  for (int32_t g = 0; g < 12; ++g) {
    for (int32_t i = 0; i < 3; ++i) c.Code[g][0][4][i] = static_cast<uint32_t>((g + i) % 7);
  }
  return Layer2Frame(c);
}

int32_t OpenWith(const std::vector<uint8_t>& frame, uint8_t flags, int32_t downShift = 0) {
  TMPFrameHeader h{};
  const int32_t length = ParseFrameHeader(frame.data(), 4, h);
  return OpenDecoderStream(h, length, downShift, 0, flags, 24000);
}

std::vector<int16_t> DecodeTwice(const std::vector<uint8_t>& frame, TMPOutputFormat& format) {
  GetOutputFormat(format);
  std::vector<int16_t> pcm(2 * format.SamplesPerFrame);
  for (int32_t i = 0; i < 2; ++i) {
    TMPDecodeResult result;
    DecodeFrame(result, frame.data(), static_cast<int32_t>(frame.size()),
                pcm.data() + i * format.SamplesPerFrame);
    EXPECT_EQ(result.BytesProduced, format.SamplesPerFrame * 2);
  }
  return pcm;
}

TEST(EntryPoints, ChannelFormsOfATwoChannelStream) {
  const auto frame = StereoFrame();
  TMPOutputFormat format;
  ASSERT_EQ(OpenWith(frame, 0), 1);
  const auto stereo = DecodeTwice(frame, format);
  EXPECT_EQ(format.Channels, 2);
  EXPECT_EQ(format.SamplesPerFrame, 2304);
  EXPECT_EQ(format.SampleRate, 44100);
  EXPECT_EQ(format.BitsPerSample, 16);
  EXPECT_EQ(format.FrameLength, 626);
  EXPECT_EQ(format.Reserved, 0);

  for (uint8_t flags : {uint8_t{2}, uint8_t{3}}) {
    ASSERT_EQ(OpenWith(frame, flags), 1);
    const auto one = DecodeTwice(frame, format);
    EXPECT_EQ(format.Channels, 1);
    EXPECT_EQ(format.SamplesPerFrame, 1152);
    const int32_t channel = flags - 2;
    for (size_t i = 0; i < one.size(); ++i)
      ASSERT_EQ(one[i], stereo[2 * i + channel]) << "flags " << int{flags};
  }

  ASSERT_EQ(OpenWith(frame, 1), 1);
  const auto mix = DecodeTwice(frame, format);
  EXPECT_EQ(format.Channels, 1);
  int32_t differing = 0;
  for (size_t i = 0; i < mix.size(); ++i) {
    // The mix is synthesised from the averaged sub-bands: within rounding of the averaged PCM.
    const int32_t average = (stereo[2 * i] + stereo[2 * i + 1]) / 2;
    ASSERT_NEAR(mix[i], average, 1);
    differing += mix[i] != stereo[2 * i];
  }
  EXPECT_GT(differing, 100);
}

TEST(EntryPoints, SingleChannelStreamIgnoresChannelFlags) {
  const auto frame = MonoFrame();
  TMPOutputFormat format;
  ASSERT_EQ(OpenWith(frame, 0), 1);
  const auto plain = DecodeTwice(frame, format);
  EXPECT_EQ(format.Channels, 1);
  EXPECT_EQ(format.SamplesPerFrame, 1152);
  for (uint8_t flags : {uint8_t{1}, uint8_t{2}, uint8_t{3}}) {
    ASSERT_EQ(OpenWith(frame, flags), 1);
    EXPECT_EQ(DecodeTwice(frame, format), plain);
    EXPECT_EQ(format.Channels, 1);
  }
}

TEST(EntryPoints, FrameWithoutSyncIsRejectedAndLeavesPcmAlone) {
  auto frame = StereoFrame();
  ASSERT_EQ(OpenWith(frame, 0), 1);
  frame[1] = 0xED;  // 12 bits 0xFFE
  std::vector<int16_t> pcm(2304, -5);
  TMPDecodeResult result{1, 1};
  DecodeFrame(result, frame.data(), static_cast<int32_t>(frame.size()), pcm.data());
  EXPECT_EQ(result.BytesConsumed, 0);
  EXPECT_EQ(result.BytesProduced, 0);
  for (int16_t v : pcm) ASSERT_EQ(v, -5);
}

TEST(EntryPoints, RefusedOpensLeaveNothingToDecode) {
  const auto frame = StereoFrame();
  TMPOutputFormat before, after;
  ASSERT_EQ(OpenWith(frame, 0), 1);
  GetOutputFormat(before);

  // Half and quarter rate and 8-bit samples are not offered.
  EXPECT_EQ(OpenWith(frame, 0, 1), 0);
  EXPECT_EQ(OpenWith(frame, 0, 2), 0);
  EXPECT_EQ(OpenWith(frame, mofEightBit), 0);
  // 80 kbit/s two-channel Layer II has no allocation table; a reserved layer is no stream.
  TMPFrameHeader h{};
  const uint8_t stereo80[4] = {0xFF, 0xFD, 0x50, 0x00};
  const int32_t length = ParseFrameHeader(stereo80, 4, h);
  EXPECT_EQ(OpenDecoderStream(h, length, 0, 0, 0, 24000), 0);
  h.Layer = 0;
  EXPECT_EQ(OpenDecoderStream(h, length, 0, 0, 0, 24000), 0);

  GetOutputFormat(after);
  EXPECT_EQ(after.SamplesPerFrame, before.SamplesPerFrame);
  EXPECT_EQ(after.FrameLength, before.FrameLength);
  std::vector<int16_t> pcm(2304, 9);
  TMPDecodeResult result{1, 1};
  DecodeFrame(result, frame.data(), static_cast<int32_t>(frame.size()), pcm.data());
  EXPECT_EQ(result.BytesConsumed, 0);
  EXPECT_EQ(pcm[0], 9);
  ASSERT_EQ(OpenWith(frame, 0), 1);
  DecodeFrame(result, frame.data(), static_cast<int32_t>(frame.size()), pcm.data());
  EXPECT_EQ(result.BytesConsumed, 626);
}

TEST(EntryPoints, ReopeningClearsTheSynthesisHistory) {
  const auto frame = StereoFrame();
  TMPOutputFormat format;
  ASSERT_EQ(OpenWith(frame, 0), 1);
  const auto first = DecodeTwice(frame, format);
  ASSERT_EQ(OpenWith(frame, 0), 1);
  EXPECT_EQ(DecodeTwice(frame, format), first);
}

}  // namespace
