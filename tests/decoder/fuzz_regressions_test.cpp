// Faults the fuzz targets found in the decoder, each kept as the smallest case that shows it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

#include "bit_writer.h"
#include "layer3_test_support.h"

namespace {

using namespace layer3_test;

// MPEG-2 Layer III, 64 kbit/s, 22.05 kHz, joint stereo with intensity stereo only.
constexpr uint8_t kIntensityHeader[4] = {0xFF, 0xF3, 0x80, 0x50};
// Right-channel compression giving 4-bit intensity positions in the three groups of 7 bands.
constexpr int32_t kFourBitPositions = 2 * (4 * 36 + 4 * 6 + 4);
constexpr int32_t kPositions = 21;

// One frame: the left part sounds (count1 quads of table B, all ones), the right part is all
// intensity positions. A right part that claims more bits than the frame holds (all 4095 the
// field allows, in a frame of 187 main data bytes) is broken and reads nothing.
std::vector<uint8_t> IntensityFrame(uint8_t positions, bool brokenRight) {
  TFrameFields f;
  f.Lsf = true;
  std::copy(std::begin(kIntensityHeader), std::end(kIntensityHeader), f.HeaderBytes);
  TGranuleFields& left = f.Granule[0][0];
  TGranuleFields& right = f.Granule[0][1];
  left.BigValues = right.BigValues = 0;
  left.ScalefacCompress = 0;  // no scalefactor bits
  left.Part23Length = 64;     // eight quads of table B: code 0000 and four sign bits
  right.ScalefacCompress = kFourBitPositions;
  right.Part23Length = brokenRight ? 4095 : 4 * kPositions;
  left.Count1TableSelect = right.Count1TableSelect = 1;
  TBitWriter main;
  main.Put(0, 32);
  main.Put(0, 32);
  for (int32_t i = 0; i < kPositions; ++i) main.Put(positions, 4);
  f.MainData = main.Finish(main.BitCount() / 8 + 1);
  return WriteFrame(f);
}

std::vector<int16_t> DecodeStream(const std::vector<uint8_t>& frame, int32_t frames) {
  EXPECT_TRUE(OpenOn(frame, 0));
  std::vector<int16_t> all, pcm(1152);
  for (int32_t i = 0; i < frames; ++i) {
    TMPDecodeResult r{};
    DecodeFrame(r, frame.data(), static_cast<int32_t>(frame.size()), pcm.data());
    EXPECT_GT(r.BytesConsumed, 0);
    all.insert(all.end(), pcm.begin(), pcm.end());
  }
  return all;
}

// A broken right part leaves its intensity positions unread; they must not be the previous
// stream's. Once they were, and the same stream decoded differently depending on what had
// been played before it.
TEST(DecoderFuzzRegressions, AnOpenForgetsTheIntensityPositionsOfTheStreamBefore) {
  const std::vector<uint8_t> broken = IntensityFrame(0, true);
  std::vector<std::vector<int16_t>> outputs;
  for (const uint8_t before : {3, 6}) {
    DecodeStream(IntensityFrame(before, false), 2);
    outputs.push_back(DecodeStream(broken, 3));
  }
  EXPECT_NE(outputs[0], std::vector<int16_t>(outputs[0].size(), 0)) << "the left part must sound";
  EXPECT_EQ(outputs[0], outputs[1]);
}

}  // namespace
