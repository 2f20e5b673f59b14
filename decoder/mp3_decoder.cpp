// Decoder entry points: stream open with the dispatch by layer, the output format and the
// frame decode through the state's frame decoder; the process-wide state and new ones.
#include "decoder/mp3_decoder.h"

#include "decoder/mp_cpu.h"
#include "decoder_forms.h"
#include "decoder_state.h"
#include "decoder_tables.h"
#include "layer12.h"
#include "layer3.h"

namespace {

// No stream open, the plain forms; constant-initialised, so ready before any other static
// initialisation runs.
constinit TMPDecoderState ProcessState{};

}  // namespace

TMPDecoderState& ProcessDecoderState() { return ProcessState; }

void TMPDecoderStateDelete::operator()(TMPDecoderState* state) const { delete state; }

TMPDecoderStatePtr NewDecoderState() {
  TMPDecoderStatePtr state(new TMPDecoderState{});
  UseDecoderForms(*state, DecoderFormsFor(GetCpuFeatures()), 0);
  return state;
}

int32_t OpenDecoderStream(TMPDecoderState& state, const TMPFrameHeader& header, int32_t frameLength,
                          int32_t downShift, int32_t reserved, uint8_t outputFlags, int32_t cutoffHz) {
  BuildDecoderTables(header.Layer);
  state.FrameDecoder = nullptr;
  TMPOutputFormat format{};
  int32_t opened = 0;
  TFrameDecoder decoder = nullptr;
  switch (header.Layer & 3) {
    case 3:
      opened = Layer1Open(state, header, frameLength, downShift, outputFlags, cutoffHz, format);
      decoder = DecodeLayer1Frame;
      break;
    case 1:
      opened = Layer3Open(state, header, frameLength, downShift, reserved, outputFlags, cutoffHz, format);
      decoder = DecodeLayer3Frame;
      break;
    default:
      opened = Layer2Open(state, header, frameLength, downShift, outputFlags, cutoffHz, format);
      decoder = DecodeLayer2Frame;
      break;
  }
  if (!opened) return 0;
  state.FrameDecoder = decoder;
  state.OutputFormat = format;
  return 1;
}

void GetOutputFormat(const TMPDecoderState& state, TMPOutputFormat& format) { format = state.OutputFormat; }

void DecodeFrame(TMPDecoderState& state, TMPDecodeResult& result, const uint8_t* frame, int32_t available,
                 void* pcm) {
  result = available > 0 && state.FrameDecoder ? state.FrameDecoder(state, frame, available, pcm)
                                               : TMPDecodeResult{0, 0};
}

int32_t OpenDecoderStream(const TMPFrameHeader& header, int32_t frameLength, int32_t downShift,
                          int32_t reserved, uint8_t outputFlags, int32_t cutoffHz) {
  return OpenDecoderStream(ProcessState, header, frameLength, downShift, reserved, outputFlags, cutoffHz);
}

void GetOutputFormat(TMPOutputFormat& format) { GetOutputFormat(ProcessState, format); }

void DecodeFrame(TMPDecodeResult& result, const uint8_t* frame, int32_t available, void* pcm) {
  DecodeFrame(ProcessState, result, frame, available, pcm);
}
