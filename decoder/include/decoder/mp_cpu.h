// Processor features and the run-time choice of the forms a decoder state runs its heaviest
// loops with.
#pragma once

#include <cstdint>

enum : uint32_t {
  cpuFPU = 0x1,
  cpuMMX = 0x2,
  cpu3DNow = 0x4,
  cpuKNI = 0x8,
  cpuCMOV = 0x10,
  cpuE3DNow = 0x20,
  cpuEMMX = 0x40,
  cpuIntel = 0x100,
  cpuAMD = 0x200,
  cpuCyrix = 0x400,
  cpuCentaur = 0x800,
  cpuSSE2 = 0x1000,
  cpuAVX2 = 0x2000,  // AVX2 with the operating system saving the YMM state
  cpuFMA = 0x4000,
  cpuOtherVendor = 0x8000,
  cpuNEON = 0x10000,
  cpuFamily4 = 0x100000,
  cpuFamily5 = 0x200000,
  cpuFamily6 = 0x400000,
};

// One decoder's state (mp3_decoder.h); each carries the forms chosen for it.
struct TMPDecoderState;

// Detected feature word (cached after the first detection).
uint32_t GetCpuFeatures();

// Chooses the forms of the state's heaviest loops (synthesis window and DCT, Layer III hybrid
// filter, IMDCT, alias reduction, mid/side stereo) from a feature word; forms the processor
// lacks are never chosen, whatever the word says. A new state starts with the best forms the
// processor has; the process-wide state starts with the plain ones.
void SelectCpuRoutines(TMPDecoderState& state, uint32_t features);
// The same for the process-wide state.
void SelectCpuRoutines(uint32_t features);

// Name of the window form a state uses, for tools and tests ("plain", "sse2", "avx2").
const char* SelectedWindowForm(const TMPDecoderState& state);
const char* SelectedWindowForm();
