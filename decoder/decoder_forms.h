// The processor forms a decoder state runs its heaviest loops with, chosen together from a
// feature word, and the synthesis window each form reads in either polarity.
#pragma once

#include <cstdint>

#include "layer3_forms.h"
#include "synthesis_dct.h"
#include "window_forms.h"

struct TDecoderForms {
  const char* Name;  // "plain", "sse2", "avx2"
  // The window step: WindowMono, WindowStereo and WindowPairs always of one family, with the
  // DCT of the same instruction set.
  TWindowRoutine WindowMono;
  TWindowRoutine WindowStereo;
  TWindowPairsRoutine WindowPairs;
  TDctRoutine SubbandDct;
  // Layer III: HybridFilter, ImdctLong and ImdctShort always of one family.
  THybridFilterRoutine HybridFilter;
  TImdctRoutine ImdctLong;
  TImdctRoutine ImdctShort;
  TAliasReduceRoutine AliasReduce;
  TMidSideRoutine MidSideStereo;
  // The synthesis window in the layout these window forms read: [0] as built, [1] negated
  // (inverted polarity).
  const float* Window[2];
};

extern const TDecoderForms PlainDecoderForms;

// The forms a feature word selects; forms the processor lacks are never chosen, whatever the
// word says.
const TDecoderForms& DecoderFormsFor(uint32_t features);
