// Processor features, the routine slots of the heaviest loops and their run-time choice.
// Every slot starts with its plain form; SelectCpuRoutines fills all of them together.
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

// Window step of the polyphase synthesis: the 32 samples of the slot whose DCT result is at
// ring position pos; Mono writes out[0..31], Stereo out[0], out[2], ... out[62].
using TWindowRoutine = void (*)(const float* ring, int32_t pos, int16_t* out);
// Layer III hybrid filterbank of one channel; returns the lines whose overlap may be nonzero.
// The state gives the stream's sub-band limits and the scratch.
struct TMPLayer3State;
using THybridFilterRoutine = int32_t (*)(TMPLayer3State& st, float* spectrum, float* overlap, float* samples,
                                         int32_t blockType, int32_t longLines, int32_t lines,
                                         int32_t previousLines);
using TImdctRoutine = void (*)(float* values);  // 18 values, in place
using TAliasReduceRoutine = void (*)(float* spectrum, int32_t boundaries);

extern TWindowRoutine WindowMono;
extern TWindowRoutine WindowStereo;
extern THybridFilterRoutine HybridFilter;
extern TImdctRoutine ImdctLong;
extern TImdctRoutine ImdctShort;
extern TAliasReduceRoutine AliasReduce;

// Detected feature word (cached after the first detection).
uint32_t GetCpuFeatures();

// Fills every slot from a feature word; forms the processor lacks are never chosen by a
// word that GetCpuFeatures produced.
void SelectCpuRoutines(uint32_t features);

// Names of the forms currently in the slots, for tools and tests ("plain", "sse2", "avx2").
const char* SelectedWindowForm();
