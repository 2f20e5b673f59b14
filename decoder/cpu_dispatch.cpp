// The forms of each processor family and the one place where a feature word chooses them.
#include "decoder/mp_cpu.h"
#include "decoder_forms.h"
#include "decoder_state.h"
#include "synth_window.h"

constexpr TDecoderForms PlainDecoderForms = {"plain",
                                             WindowMonoPlain,
                                             WindowStereoPlain,
                                             WindowPairsPlain,
                                             SubbandDctPlain,
                                             HybridFilterPlain,
                                             ImdctLongPlain,
                                             ImdctShortPlain,
                                             AliasReducePlain,
                                             MidSideStereoPlain,
                                             {SynthWindow[0].data(), SynthWindow[1].data()}};

namespace {

#if defined(VARO_X86)
// SSE2 has no mid/side form of its own: the plain one is SSE2 code already.
constexpr TDecoderForms Sse2Forms = {"sse2",
                                     WindowMonoSse2,
                                     WindowStereoSse2,
                                     WindowPairsSse2,
                                     SubbandDctSse2,
                                     HybridFilterSse2,
                                     ImdctLongSse2,
                                     ImdctShortSse2,
                                     AliasReduceSse2,
                                     MidSideStereoPlain,
                                     {VectorWindow[0].data(), VectorWindow[1].data()}};
constexpr TDecoderForms Avx2Forms = {"avx2",
                                     WindowMonoAvx2,
                                     WindowStereoAvx2,
                                     WindowPairsAvx2,
                                     SubbandDctAvx2,
                                     HybridFilterAvx2,
                                     ImdctLongAvx2,
                                     ImdctShortAvx2,
                                     AliasReduceAvx2,
                                     MidSideStereoAvx2,
                                     {VectorWindow[0].data(), VectorWindow[1].data()}};
#endif

constexpr uint32_t kVectorBits = cpuSSE2 | cpuAVX2 | cpuFMA;

[[maybe_unused]] bool Has(uint32_t features, uint32_t bits) { return (features & bits) == bits; }

}  // namespace

const TDecoderForms& DecoderFormsFor(uint32_t features) {
  // A vector form runs only where the processor really has it, whatever word the caller made.
  features &= GetCpuFeatures() | ~kVectorBits;
#if defined(VARO_X86)
  if (Has(features, cpuAVX2 | cpuFMA)) return Avx2Forms;
  if (Has(features, cpuSSE2)) return Sse2Forms;
#endif
  return PlainDecoderForms;
}

void UseDecoderForms(TMPDecoderState& state, const TDecoderForms& forms, int32_t inverted) {
  state.Forms = &forms;
  state.Inverted = inverted ? 1 : 0;
  state.Synthesis.Forms = &forms;
  state.Synthesis.Window = forms.Window[state.Inverted];
  state.Layer3.Forms = &forms;
}

void SelectCpuRoutines(TMPDecoderState& state, uint32_t features) {
  UseDecoderForms(state, DecoderFormsFor(features), state.Inverted);
}

void SelectCpuRoutines(uint32_t features) { SelectCpuRoutines(ProcessDecoderState(), features); }

const char* SelectedWindowForm(const TMPDecoderState& state) { return state.Forms->Name; }

const char* SelectedWindowForm() { return SelectedWindowForm(ProcessDecoderState()); }

void SetInvertPolarity(TMPDecoderState& state, int32_t on) { UseDecoderForms(state, *state.Forms, on); }

int32_t GetInvertPolarity(const TMPDecoderState& state) { return state.Inverted; }

void SetInvertPolarity(int32_t on) { SetInvertPolarity(ProcessDecoderState(), on); }

int32_t GetInvertPolarity() { return GetInvertPolarity(ProcessDecoderState()); }
