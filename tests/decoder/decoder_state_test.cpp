// Decoder states: streams of every layer decoded side by side, interleaved frame by frame in one
// thread and at once in several, each exactly as it decodes alone; processor forms and polarity
// belong to the state they were chosen for.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "layer3_test_support.h"

namespace {

using layer3_test::DataPath;
using layer3_test::ReadFile;
using layer3_test::TDecodedFile;
using layer3_test::TFileDecode;

// A reservoir-heavy MPEG-1 Layer III stream, an MPEG-2 one with intensity stereo, Layer II and
// Layer I: every kind of state a frame leaves behind.
const std::vector<std::string> kStreams = {"conformance/l3-compl.bit", "conformance/l3-test46.bit",
                                           "conformance/l2-fl10.bit", "conformance/l1-fl2.bit"};

std::vector<std::vector<uint8_t>> ReadStreams() {
  std::vector<std::vector<uint8_t>> files;
  for (const std::string& name : kStreams) {
    files.push_back(ReadFile(DataPath(name)));
    EXPECT_FALSE(files.back().empty()) << name;
  }
  return files;
}

TDecodedFile DecodeAlone(const std::vector<uint8_t>& data, uint32_t features = GetCpuFeatures(),
                         int32_t inverted = 0) {
  TMPDecoderStatePtr state = NewDecoderState();
  SelectCpuRoutines(*state, features);
  SetInvertPolarity(*state, inverted);
  TFileDecode decode(data, *state, mofFullBand);
  while (decode.Next()) {
  }
  return decode.Result();
}

void ExpectSameDecode(const TDecodedFile& actual, const TDecodedFile& alone, const std::string& name) {
  ASSERT_TRUE(alone.Opened) << name;
  EXPECT_GT(alone.Frames, 10) << name;
  EXPECT_EQ(actual.Frames, alone.Frames) << name;
  EXPECT_TRUE(actual.Pcm == alone.Pcm) << name << ": differs from its decode alone";
}

TEST(DecoderStates, InterleavedFrameByFrameEachDecodesAsAlone) {
  const auto files = ReadStreams();
  // The first stream runs on the process-wide state, the others on states of their own; all
  // with the forms a new state starts with, which the process-wide state does not.
  SelectCpuRoutines(ProcessDecoderState(), GetCpuFeatures());
  std::vector<TMPDecoderStatePtr> own;
  std::vector<TFileDecode> decodes;
  decodes.reserve(files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    if (i > 0) own.push_back(NewDecoderState());
    decodes.emplace_back(files[i], i == 0 ? ProcessDecoderState() : *own.back(), mofFullBand);
  }
  for (bool any = true; any;) {
    any = false;
    for (TFileDecode& d : decodes) any = d.Next() || any;
  }
  for (size_t i = 0; i < files.size(); ++i)
    ExpectSameDecode(decodes[i].Result(), DecodeAlone(files[i]), kStreams[i]);
}

TEST(DecoderStates, ThreadsOfTheirOwnEachDecodeAsAlone) {
  const auto files = ReadStreams();
  std::vector<TDecodedFile> alone;
  for (const auto& data : files) alone.push_back(DecodeAlone(data));
  std::vector<TDecodedFile> together(files.size());
  std::vector<std::thread> threads;
  for (size_t i = 0; i < files.size(); ++i) {
    threads.emplace_back([&, i] { together[i] = DecodeAlone(files[i]); });
  }
  for (std::thread& t : threads) t.join();
  for (size_t i = 0; i < files.size(); ++i) ExpectSameDecode(together[i], alone[i], kStreams[i]);
}

// Two states of other forms and polarity, interleaved, while a third thread keeps switching the
// process-wide state's forms and polarity and decoding on it: each gives its own decode alone.
TEST(DecoderStates, FormsAndPolarityStayWithTheirState) {
  const auto data = ReadFile(DataPath("conformance/l3-compl.bit"));
  ASSERT_FALSE(data.empty());
  const uint32_t best = GetCpuFeatures();
  const TDecodedFile plainAlone = DecodeAlone(data, cpuFPU, 0);
  const TDecodedFile invertedAlone = DecodeAlone(data, best, 1);
  const TDecodedFile bestAlone = DecodeAlone(data, best, 0);

  std::atomic<bool> done{false};
  std::thread other([&] {
    for (int32_t round = 0; !done.load(); ++round) {
      SelectCpuRoutines(round % 2 ? cpuFPU : best);
      SetInvertPolarity(round % 2);
      TFileDecode decode(data, ProcessDecoderState(), mofFullBand);
      for (int32_t frames = 0; frames < 20 && decode.Next(); ++frames) {
      }
    }
  });
  TMPDecoderStatePtr plain = NewDecoderState(), inverted = NewDecoderState();
  SelectCpuRoutines(*plain, cpuFPU);
  SetInvertPolarity(*inverted, 1);
  EXPECT_STREQ(SelectedWindowForm(*plain), "plain");
  EXPECT_EQ(GetInvertPolarity(*inverted), 1);
  TFileDecode a(data, *plain, mofFullBand), b(data, *inverted, mofFullBand);
  for (bool any = true; any;) {
    const bool moreA = a.Next();
    any = b.Next() || moreA;
  }
  done = true;
  other.join();
  SelectCpuRoutines(best);
  SetInvertPolarity(0);

  ExpectSameDecode(a.Result(), plainAlone, "plain forms");
  ExpectSameDecode(b.Result(), invertedAlone, "inverted polarity");
  // The inverted state negates every sample its forms give (clipping aside).
  ASSERT_EQ(invertedAlone.Pcm.size(), bestAlone.Pcm.size());
  for (size_t i = 0; i < bestAlone.Pcm.size(); ++i) {
    if (std::abs(bestAlone.Pcm[i]) < 32767) {
      ASSERT_EQ(invertedAlone.Pcm[i], -bestAlone.Pcm[i]) << i;
    }
  }
}

}  // namespace
