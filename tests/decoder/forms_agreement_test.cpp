// Every processor form decodes the conformance streams like the plain form, within one LSB.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "decoder/mp3_decoder.h"
#include "processor_forms.h"

namespace {

// Decodes a stream with coded bit rates frame by frame through the entry points.
std::vector<int16_t> DecodeStream(const std::string& name, uint8_t flags) {
  std::ifstream in(std::string(VARO_TEST_DATA) + "/conformance/" + name + ".bit", std::ios::binary);
  const std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<int16_t> pcm;
  TMPFrameHeader h{};
  const int32_t length = ParseFrameHeader(data.data(), static_cast<int32_t>(data.size()), h);
  if (length <= 0 || !OpenDecoderStream(h, length, 0, 0, flags, 24000)) return pcm;
  TMPOutputFormat format;
  GetOutputFormat(format);
  std::vector<int16_t> frame(format.SamplesPerFrame);
  for (size_t pos = 0; pos + 4 <= data.size();) {
    const int32_t frameLength = ParseFrameHeader(data.data() + pos, 4, h);
    if (frameLength <= 0) break;
    const size_t size = static_cast<size_t>(FrameSizeWithPadding(h, frameLength));
    if (pos + size > data.size()) break;
    TMPDecodeResult result;
    DecodeFrame(result, data.data() + pos, static_cast<int32_t>(size), frame.data());
    if (result.BytesConsumed < 1) break;
    pcm.insert(pcm.end(), frame.begin(), frame.end());
    pos += result.BytesConsumed;
  }
  return pcm;
}

class FormsAgreement : public testing::TestWithParam<TProcessorForm> {
 protected:
  void TearDown() override { SelectCpuRoutines(GetCpuFeatures()); }
};

TEST_P(FormsAgreement, DecodesLikeThePlainForm) {
  for (const char* stream : {"l1-fl8", "l1-fl4", "l2-fl12", "l2-fl13", "l2-fl14"}) {
    for (uint8_t flags : {uint8_t{mofFullBand}, uint8_t{1}}) {
      SCOPED_TRACE(std::string(stream) + (flags == 1 ? " mixed" : " full band"));
      SelectCpuRoutines(cpuFPU);
      const auto plain = DecodeStream(stream, flags);
      if (!SelectProcessorForm(GetParam())) GTEST_SKIP() << "processor lacks " << GetParam().Name;
      const auto form = DecodeStream(stream, flags);
      ASSERT_EQ(form.size(), plain.size());
      ASSERT_GT(plain.size(), 10000u);
      size_t differing = 0;
      for (size_t i = 0; i < plain.size(); ++i) {
        ASSERT_LE(std::abs(form[i] - plain[i]), 1) << "sample " << i;
        differing += form[i] != plain[i];
      }
      EXPECT_LT(differing, plain.size() / 200);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Forms, FormsAgreement, testing::ValuesIn(AllProcessorForms()), FormTestName);

}  // namespace
