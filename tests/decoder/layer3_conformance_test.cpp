// Layer III on real streams: every processor form decodes the compliance streams like the plain
// form and within full accuracy of the reference; the stream that switches between one and two
// channels decodes channel by channel; damaged and unusual streams never break the decoder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "layer3_test_support.h"

namespace {

using namespace layer3_test;

// Full accuracy on 16-bit output: RMS below 1/sqrt(12) LSB and no sample off by more than 2.
void ExpectFullAccuracy(const int16_t* ours, const int16_t* reference, size_t n, const std::string& what) {
  const TPcmDifference d = ComparePcm(ours, reference, n);
  EXPECT_LT(d.Rms, 0.2887) << what;
  EXPECT_LE(d.Largest, 2) << what;
}

class Layer3FormsOnStreams : public testing::TestWithParam<TLayer3Form> {
 protected:
  TAutoForms restore_;
};

TEST_P(Layer3FormsOnStreams, DecodeComplianceStreamsLikeThePlainForm) {
  for (const char* name : {"l3-si_block", "l3-compl", "l3-hecommon", "M2L3_bitrate_22_all", "l3-test46"}) {
    SCOPED_TRACE(name);
    const auto data = ReadFile(DataPath(std::string("conformance/") + name + ".bit"));
    const auto reference = ReadPcm(DataPath(std::string("conformance/") + name + ".pcm"));
    ASSERT_FALSE(data.empty());
    SelectCpuRoutines(cpuFPU);
    const TDecodedFile plain = DecodeWholeFile(data, mofFullBand);
    if (!SelectLayer3Form(GetParam())) GTEST_SKIP() << "processor lacks " << GetParam().Name;
    const TDecodedFile form = DecodeWholeFile(data, mofFullBand);
    ASSERT_EQ(form.Pcm.size(), plain.Pcm.size());
    ASSERT_GT(form.Pcm.size(), 20000u);
    const TPcmDifference d = ComparePcm(form.Pcm.data(), plain.Pcm.data(), plain.Pcm.size());
    EXPECT_LE(d.Largest, 1);
    EXPECT_LT(d.Rms, 0.1);
    // The reference decoder leaves out the last frame of some streams.
    const size_t frame = static_cast<size_t>(form.Format.SamplesPerFrame);
    ASSERT_LE(form.Pcm.size(), reference.size() + frame);
    ExpectFullAccuracy(form.Pcm.data(), reference.data(), std::min(form.Pcm.size(), reference.size()), name);
  }
}

INSTANTIATE_TEST_SUITE_P(Layer3Conformance, Layer3FormsOnStreams, testing::ValuesIn(Layer3Forms()),
                         Layer3FormName);

// l3-he_mode changes between single-channel and two-channel frames. The reference holds each
// frame in its own channel count. Opened on its first (single-channel) frame the stream gives
// one channel: the mono frames and channel 0 of the others. Opened on a two-channel frame it
// gives both channels, the mono frames on both. Channel 0 always matches; channel 1 carries on
// from what it played before, so the frames right after a change differ from the reference
// there (the reference starts that channel afresh).
TEST(Layer3Conformance, ChannelChangesDecodeChannelByChannel) {
  const auto data = ReadFile(DataPath("conformance/l3-he_mode.bit"));
  const auto reference = ReadPcm(DataPath("conformance/l3-he_mode.pcm"));
  ASSERT_FALSE(data.empty());
  // Frame offsets, channel counts and where each frame's samples start in the reference.
  std::vector<size_t> offsets, starts;
  std::vector<int32_t> channels;
  size_t referencePos = 0;
  for (size_t pos = 0; pos + 4 <= data.size();) {
    TMPFrameHeader h;
    const int32_t length = ParseFrameHeader(data.data() + pos, 4, h);
    ASSERT_GT(length, 0);
    offsets.push_back(pos);
    channels.push_back(h.Mode == 3 ? 1 : 2);
    starts.push_back(referencePos);
    referencePos += 1152 * static_cast<size_t>(channels.back());
    pos += static_cast<size_t>(FrameSizeWithPadding(h, length));
  }
  ASSERT_EQ(referencePos, reference.size());
  const size_t stereoFrame =
      static_cast<size_t>(std::find(channels.begin(), channels.end(), 2) - channels.begin());
  ASSERT_LT(stereoFrame, channels.size());
  ASSERT_EQ(channels[0], 1);

  for (const bool openStereo : {false, true}) {
    TMPFrameHeader h;
    const uint8_t* first = data.data() + offsets[openStereo ? stereoFrame : 0];
    ASSERT_GT(ParseFrameHeader(first, 4, h), 0);
    ASSERT_EQ(OpenDecoderStream(h, 417, 0, 0, mofFullBand, 24000), 1);
    const int32_t outChannels = openStereo ? 2 : 1;
    std::vector<int16_t> pcm(2304);
    std::vector<int16_t> ours[2], expected[2];
    size_t changes = 0;
    for (size_t f = 0; f < offsets.size(); ++f) {
      TMPDecodeResult r;
      DecodeFrame(r, data.data() + offsets[f], static_cast<int32_t>(data.size() - offsets[f]), pcm.data());
      ASSERT_EQ(r.BytesProduced, 2304 * outChannels) << "frame " << f;
      const bool changed = f > 0 && channels[f] != channels[f - 1];
      changes += changed;
      for (int32_t c = 0; c < outChannels; ++c) {
        if (c == 1 && changed) continue;
        for (int32_t i = 0; i < 1152; ++i) {
          ours[c].push_back(pcm[static_cast<size_t>(i * outChannels + c)]);
          expected[c].push_back(reference[starts[f] + static_cast<size_t>(channels[f] == 1 ? i : 2 * i + c)]);
        }
      }
    }
    EXPECT_GE(changes, 2u);
    for (int32_t c = 0; c < outChannels; ++c)
      ExpectFullAccuracy(
          ours[c].data(), expected[c].data(), ours[c].size(),
          std::string(openStereo ? "opened stereo" : "opened mono") + ", channel " + std::to_string(c));
  }
}

// Damaged, tagged and unusual streams: each decodes (or is refused) without leaving the
// decoder's buffers, in the player's mode and with the full band.
TEST(Layer3Conformance, UnusualStreamsNeverBreakTheDecoder) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(DataPath("conformance"))) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("l3-nonstandard", 0) == 0 && entry.path().extension() == ".bit")
      files.push_back(entry.path().string());
  }
  for (const auto& entry : std::filesystem::directory_iterator(DataPath("corpus/damaged")))
    files.push_back(entry.path().string());
  ASSERT_GT(files.size(), 20u);
  int32_t decoded = 0;
  for (const auto& file : files) {
    for (uint8_t flags : {uint8_t{0}, uint8_t{mofFullBand | 1}}) {
      const TDecodedFile result = DecodeWholeFile(ReadFile(file), flags);
      decoded += result.Frames > 0;
    }
  }
  EXPECT_GT(decoded, 20);
}

}  // namespace
