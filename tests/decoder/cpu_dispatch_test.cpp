// Processor detection and the choice of forms for the window slots.
#include <gtest/gtest.h>

#include "decoder/mp_cpu.h"
#include "processor_forms.h"

namespace {

class CpuDispatch : public testing::Test {
 protected:
  void TearDown() override { SelectCpuRoutines(GetCpuFeatures()); }
};

TEST_F(CpuDispatch, DetectionAgreesWithTheCompilersOwnProbe) {
  const uint32_t features = GetCpuFeatures();
  EXPECT_TRUE(features & cpuFPU);
  EXPECT_EQ(GetCpuFeatures(), features) << "the word is cached";
#if defined(VARO_X86)
  __builtin_cpu_init();
  EXPECT_EQ((features & cpuSSE2) != 0, __builtin_cpu_supports("sse2") != 0);
  EXPECT_EQ((features & cpuAVX2) != 0, __builtin_cpu_supports("avx2") != 0);
  EXPECT_EQ((features & cpuFMA) != 0, __builtin_cpu_supports("fma") != 0);
  EXPECT_EQ((features & cpuMMX) != 0, __builtin_cpu_supports("mmx") != 0);
  EXPECT_EQ((features & cpuKNI) != 0, __builtin_cpu_supports("sse") != 0);
  EXPECT_EQ((features & cpuIntel) != 0, __builtin_cpu_is("intel") != 0);
  EXPECT_EQ((features & cpuAMD) != 0, __builtin_cpu_is("amd") != 0);
#else
  EXPECT_EQ(features & (cpuSSE2 | cpuAVX2 | cpuFMA | cpuMMX | cpu3DNow), 0u);
#endif
}

TEST_F(CpuDispatch, PlainWordSelectsPlainForms) {
  SelectCpuRoutines(cpuFPU);
  EXPECT_STREQ(SelectedWindowForm(), "plain");
  EXPECT_EQ(ProcessForms().WindowMono, &WindowMonoPlain);
  EXPECT_EQ(ProcessForms().WindowStereo, &WindowStereoPlain);
  EXPECT_EQ(ProcessForms().WindowPairs, &WindowPairsPlain);
  // The old vendor and family bits select nothing on their own.
  SelectCpuRoutines(cpuFPU | cpuIntel | cpuFamily6 | cpuCMOV | cpuKNI | cpuMMX | cpuEMMX);
  EXPECT_STREQ(SelectedWindowForm(), "plain");
  SelectCpuRoutines(cpuFPU | cpuAMD | cpu3DNow | cpuE3DNow | cpuEMMX);
  EXPECT_STREQ(SelectedWindowForm(), "plain");
}

TEST_F(CpuDispatch, VectorFormsFollowTheWordWhereTheProcessorHasThem) {
  const uint32_t detected = GetCpuFeatures();
  const bool sse2 = detected & cpuSSE2;
  const bool avx2 = (detected & (cpuAVX2 | cpuFMA)) == (cpuAVX2 | cpuFMA);
  SelectCpuRoutines(cpuFPU | cpuSSE2);
  EXPECT_STREQ(SelectedWindowForm(), sse2 ? "sse2" : "plain");
  SelectCpuRoutines(cpuFPU | cpuSSE2 | cpuAVX2);  // AVX2 without FMA
  EXPECT_STREQ(SelectedWindowForm(), sse2 ? "sse2" : "plain");
  SelectCpuRoutines(cpuFPU | cpuSSE2 | cpuAVX2 | cpuFMA);
  EXPECT_STREQ(SelectedWindowForm(), avx2 ? "avx2" : (sse2 ? "sse2" : "plain"));
  // A word claiming every vector bit never selects a form the processor lacks.
  SelectCpuRoutines(0xFFFFFFFFu);
  EXPECT_STREQ(SelectedWindowForm(), avx2 ? "avx2" : (sse2 ? "sse2" : "plain"));
#if defined(VARO_X86)
  if (avx2) {
    EXPECT_EQ(ProcessForms().WindowMono, &WindowMonoAvx2);
    EXPECT_EQ(ProcessForms().WindowStereo, &WindowStereoAvx2);
    EXPECT_EQ(ProcessForms().WindowPairs, &WindowPairsAvx2);
  }
#endif
}

}  // namespace
