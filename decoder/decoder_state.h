// One decoder's whole state: the processor forms and the polarity chosen for it, the open
// stream's set-up and everything decoding changes (the Layer I/II frame and its sub-band
// samples, the Layer III reservoir, granules and overlap, the synthesis rings). Only the tables
// and the equalizer gains are process-wide.
#pragma once

#include <cstdint>

#include "decoder/mp3_decoder.h"
#include "layer12_stream.h"
#include "layer3_state.h"
#include "synthesis_state.h"

using TFrameDecoder = TMPDecodeResult (*)(TMPDecoderState& state, const uint8_t* frame, int32_t available,
                                          void* pcm);

struct TMPDecoderState {
  const TDecoderForms* Forms = &PlainDecoderForms;
  int32_t Inverted = 0;  // polarity: 1 reads the negated window
  // Null until a stream is open (and after an open fails): every frame is then rejected, so
  // nothing is ever decoded with a half set-up state.
  TFrameDecoder FrameDecoder;
  TMPOutputFormat OutputFormat;
  TSynthesisState Synthesis;
  TLayer12Stream Layer12;
  TMPLayer3State Layer3;
};

// The state the entry points without a state use.
TMPDecoderState& ProcessDecoderState();

// Puts forms and polarity into the state and where its loops read them.
void UseDecoderForms(TMPDecoderState& state, const TDecoderForms& forms, int32_t inverted);
