// The Layer III hybrid filterbank in every processor form against the standard's IMDCT, windows
// and overlap-add written out directly: IMDCT kernels, block types, mixed flags, overlap-only
// sub-bands and counts, the mixed-down add form and frequency inversion.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "layer3.h"
#include "layer3_forms.h"
#include "layer3_hybrid.h"
#include "layer3_state.h"
#include "layer3_test_support.h"

namespace {

using layer3_test::TLayer3Form;

const double kPi = 4.0 * std::atan(1.0);

void OpenStream(uint8_t flags) {
  TMPOutputFormat format;
  ASSERT_EQ(layer3_test::OpenLayer3(layer3_test::MakeHeader(1, 1, 0, 0), 417, 0, 0, flags, 24000, format), 1);
}

// The standard's window of a block type (unsigned).
double Window(int32_t type, int32_t i) {
  const double longSine = std::sin(kPi / 36 * (i + 0.5));
  if (type == 1 && i >= 18) return i < 24 ? 1.0 : i < 30 ? std::sin(kPi / 12 * (i - 18 + 0.5)) : 0.0;
  if (type == 3 && i < 18) return i < 6 ? 0.0 : i < 12 ? std::sin(kPi / 12 * (i - 6 + 0.5)) : 1.0;
  return longSine;
}

// Windowed 36-point frame of one sub-band, long (window type) or short.
std::vector<double> ReferenceFrame(const float* x, bool isShort, int32_t type) {
  std::vector<double> z(36, 0.0);
  if (!isShort) {
    for (int32_t n = 0; n < 36; ++n) {
      double sum = 0.0;
      for (int32_t k = 0; k < 18; ++k) sum += x[k] * std::cos(kPi / 72 * (2 * n + 19) * (2 * k + 1));
      z[n] = Window(type, n) * sum;
    }
    return z;
  }
  for (int32_t w = 0; w < 3; ++w) {
    for (int32_t n = 0; n < 12; ++n) {
      double sum = 0.0;
      for (int32_t k = 0; k < 6; ++k) sum += x[3 * k + w] * std::cos(kPi / 24 * (2 * n + 7) * (2 * k + 1));
      z[6 + 6 * w + n] += std::sin(kPi / 12 * (n + 0.5)) * sum;
    }
  }
  return z;
}

struct TFilterCase {
  const char* Name;
  int32_t BlockType;
  bool MixedFlag;
  int32_t LongLines, Lines, PreviousLines;
  int32_t Result;
};

class HybridForms : public testing::TestWithParam<TLayer3Form> {
 protected:
  void TearDown() override { SelectCpuRoutines(GetCpuFeatures()); }
};

TEST_P(HybridForms, MatchTheStandardFilterbank) {
  const TFilterCase cases[] = {
      {"long", 0, false, 300, 300, 0, 306},
      {"start, previous wider", 1, false, 200, 200, 400, 414},
      {"stop, everything", 3, false, 576, 576, 576, 576},
      {"36 lines after 216", 0, false, 36, 36, 216, 216},
      {"start with mixed flag", 1, true, 250, 250, 100, 252},
      {"stop with mixed flag", 3, true, 30, 30, 0, 36},
      {"short", 2, false, 0, 300, 100, 306},
      {"mixed short", 2, true, 36, 400, 576, 576},
      {"silence", 0, false, 0, 0, 0, 0},
  };
  for (uint8_t flags : {uint8_t{mofFullBand}, uint8_t{0}}) {
    OpenStream(flags);
    if (!layer3_test::SelectLayer3Form(GetParam())) GTEST_SKIP() << "processor lacks " << GetParam().Name;
    const int32_t bands = layer3_test::L3().HybridBands;
    std::mt19937 random(11);
    std::uniform_real_distribution<float> value(-1000.0f, 1000.0f);
    for (const TFilterCase& c : cases) {
      SCOPED_TRACE(std::string(c.Name) + (flags ? " full band" : " default"));
      const int32_t lines = std::min(c.Lines, 18 * bands);
      std::vector<float> x(576, 0.0f), previous(576, 0.0f), out(576, 123.0f);
      for (int32_t i = 0; i < lines; ++i) x[i] = value(random);
      // Lines above the reconstructed sub-bands are decoded but must never be heard.
      for (int32_t i = 18 * bands; i < 576; ++i) x[i] = value(random);
      for (int32_t s = 0; s < (c.PreviousLines + 17) / 18; ++s)
        for (int32_t t = 0; t < 18; ++t) previous[32 * t + s] = value(random);
      const std::vector<float> spectrum = x;
      const int32_t type = c.BlockType | (c.MixedFlag ? kMixedWindowFlag : 0);
      const int32_t result =
          layer3_test::L3().Forms->HybridFilter(layer3_test::L3(), x.data(), previous.data(), out.data(),
                                                type, std::min(c.LongLines, lines), lines, c.PreviousLines);
      EXPECT_EQ(result, std::min(c.Result, 18 * std::max(bands, (c.PreviousLines + 17) / 18)));
      const int32_t longBands = (std::min(c.LongLines, lines) + 17) / 18;
      const int32_t liveBands = std::max(longBands, (lines + 17) / 18);
      for (int32_t s = 0; s < 32; ++s) {
        std::vector<double> z(36, 0.0);
        if (s < liveBands) {
          const bool isShort = s >= longBands;
          const int32_t windowType = (c.MixedFlag && s < 2) || c.BlockType == 2 ? 0 : c.BlockType;
          z = ReferenceFrame(spectrum.data() + 18 * s, isShort, windowType);
        }
        for (int32_t t = 0; t < 18; ++t) {
          // Frequency-inverted: odd slots of odd sub-bands negated.
          const double played = s < std::max(liveBands, result / 18) ? previous[32 * t + s] + z[t] : 0.0;
          const double expectedOut = (t & s & 1) ? -played : played;
          ASSERT_NEAR(out[32 * t + s], expectedOut, 0.02) << "sub-band " << s << " slot " << t;
          // The new overlap: the frame's second half where the count reaches, zero above.
          const double expectedNext = s < result / 18 ? z[18 + t] : 0.0;
          ASSERT_NEAR(x[32 * t + s], expectedNext, 0.02) << "overlap " << s << " slot " << t;
        }
      }
    }
  }
}

TEST_P(HybridForms, AddFormSumsIntoSharedOverlap) {
  OpenStream(mofFullBand);
  if (!layer3_test::SelectLayer3Form(GetParam())) GTEST_SKIP() << "processor lacks " << GetParam().Name;
  std::mt19937 random(5);
  std::uniform_real_distribution<float> value(-1000.0f, 1000.0f);
  for (int32_t type : {0, 2, 2 | kMixedWindowFlag}) {
    const int32_t lines = 250;
    const int32_t longLines = type == 0 ? lines : type == 2 ? 0 : 36;
    std::vector<float> x(576, 0.0f), shared(576), out(576);
    for (int32_t i = 0; i < lines; ++i) x[i] = value(random);
    for (float& v : shared) v = value(random);
    for (float& v : out) v = value(random);
    const std::vector<float> spectrum = x, sharedBefore = shared, outBefore = out;
    EXPECT_EQ(HybridFilterAdd(layer3_test::L3(), x.data(), shared.data(), out.data(), type, longLines, lines),
              252);
    for (int32_t s = 0; s < 32; ++s) {
      std::vector<double> z(36, 0.0);
      if (s < 14) z = ReferenceFrame(spectrum.data() + 18 * s, s >= (longLines + 17) / 18, 0);
      for (int32_t t = 0; t < 18; ++t) {
        ASSERT_NEAR(out[32 * t + s], outBefore[32 * t + s] + ((t & s & 1) ? -z[t] : z[t]), 0.02)
            << s << " " << t;
        ASSERT_NEAR(shared[32 * t + s], sharedBefore[32 * t + s] + z[18 + t], 0.02) << s << " " << t;
      }
    }
  }
}

TEST_P(HybridForms, ImdctKernelsGiveTheStandardOutputs) {
  OpenStream(mofFullBand);
  if (!layer3_test::SelectLayer3Form(GetParam())) GTEST_SKIP() << "processor lacks " << GetParam().Name;
  std::mt19937 random(3);
  std::uniform_real_distribution<float> value(-1.0f, 1.0f);
  for (int32_t round = 0; round < 20; ++round) {
    float v[18], input[18];
    for (float& f : input) f = value(random);
    std::copy(input, input + 18, v);
    layer3_test::L3().Forms->ImdctLong(v);
    auto x36 = [&](int32_t n) {
      double sum = 0.0;
      for (int32_t k = 0; k < 18; ++k) sum += input[k] * std::cos(kPi / 72 * (2 * n + 19) * (2 * k + 1));
      return sum;
    };
    for (int32_t m = 0; m < 9; ++m) {
      EXPECT_NEAR(v[m], -x36(26 - m), 2e-5);
      EXPECT_NEAR(v[9 + m], x36(m), 2e-5);
    }
    std::copy(input, input + 18, v);
    layer3_test::L3().Forms->ImdctShort(v);
    for (int32_t w = 0; w < 3; ++w) {
      auto x12 = [&](int32_t n) {
        double sum = 0.0;
        for (int32_t k = 0; k < 6; ++k)
          sum += input[3 * k + w] * std::cos(kPi / 24 * (2 * n + 7) * (2 * k + 1));
        return sum;
      };
      for (int32_t j = 0; j < 3; ++j) {
        EXPECT_NEAR(v[6 * w + j], -x12(8 - j), 2e-5);
        EXPECT_NEAR(v[6 * w + 3 + j], x12(j), 2e-5);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Layer3Filterbank, HybridForms, testing::ValuesIn(layer3_test::Layer3Forms()),
                         layer3_test::Layer3FormName);

}  // namespace
