// The routine slots and the one place where each slot's form is chosen from a feature word.
#include "decoder/mp_cpu.h"
#include "layer3_forms.h"
#include "synthesis_dct.h"
#include "window_forms.h"

TWindowRoutine WindowMono = WindowMonoPlain;
TWindowRoutine WindowStereo = WindowStereoPlain;
TWindowPairsRoutine WindowPairs = WindowPairsPlain;

THybridFilterRoutine HybridFilter = HybridFilterPlain;
TImdctRoutine ImdctLong = ImdctLongPlain;
TImdctRoutine ImdctShort = ImdctShortPlain;
TAliasReduceRoutine AliasReduce = AliasReducePlain;
TMidSideRoutine MidSideStereo = MidSideStereoPlain;

namespace {

const char* WindowFormName = "plain";

constexpr uint32_t kVectorBits = cpuSSE2 | cpuAVX2 | cpuFMA;

[[maybe_unused]] bool Has(uint32_t features, uint32_t bits) { return (features & bits) == bits; }

}  // namespace

void SelectCpuRoutines(uint32_t features) {
  // A vector form runs only where the processor really has it, whatever word the caller made.
  features &= GetCpuFeatures() | ~kVectorBits;
  if (!(features & cpu3DNow)) features &= ~uint32_t{cpuE3DNow};

  // ---- Layer III rows: AliasReduce, MidSideStereo (its plain form is SSE2 code already) ----
  AliasReduce = AliasReducePlain;
  MidSideStereo = MidSideStereoPlain;
#if defined(VARO_X86)
  if (Has(features, cpuAVX2 | cpuFMA)) {
    AliasReduce = AliasReduceAvx2;
    MidSideStereo = MidSideStereoAvx2;
  } else if (Has(features, cpuSSE2)) {
    AliasReduce = AliasReduceSse2;
  }
#endif

  // ---- Synthesis: window (WindowMono, WindowStereo and WindowPairs always together) and DCT ----
  WindowMono = WindowMonoPlain;
  WindowStereo = WindowStereoPlain;
  WindowPairs = WindowPairsPlain;
  SubbandDctForm = SubbandDctPlain;
  WindowFormName = "plain";
#if defined(VARO_X86)
  if (Has(features, cpuAVX2 | cpuFMA)) {
    WindowMono = WindowMonoAvx2;
    WindowStereo = WindowStereoAvx2;
    WindowPairs = WindowPairsAvx2;
    SubbandDctForm = SubbandDctAvx2;
    WindowFormName = "avx2";
  } else if (Has(features, cpuSSE2)) {
    WindowMono = WindowMonoSse2;
    WindowStereo = WindowStereoSse2;
    WindowPairs = WindowPairsSse2;
    SubbandDctForm = SubbandDctSse2;
    WindowFormName = "sse2";
  }
#endif

  // ---- Layer III rows: HybridFilter, ImdctLong, ImdctShort (always of one family) ----
  HybridFilter = HybridFilterPlain;
  ImdctLong = ImdctLongPlain;
  ImdctShort = ImdctShortPlain;
#if defined(VARO_X86)
  if (Has(features, cpuAVX2 | cpuFMA)) {
    HybridFilter = HybridFilterAvx2;
    ImdctLong = ImdctLongAvx2;
    ImdctShort = ImdctShortAvx2;
  } else if (Has(features, cpuSSE2)) {
    HybridFilter = HybridFilterSse2;
    ImdctLong = ImdctLongSse2;
    ImdctShort = ImdctShortSse2;
  }
#endif
}

const char* SelectedWindowForm() { return WindowFormName; }
