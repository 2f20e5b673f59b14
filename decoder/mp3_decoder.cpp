// Decoder entry points: stream open with the dispatch by layer, the output format and the
// frame decode through the frame-decoder slot.
#include "mp3_decoder.h"

#include "layer12.h"
#include "layer12_tables.h"
#include "layer3.h"

namespace {

using TFrameDecoder = TMPDecodeResult (*)(const uint8_t* frame, int32_t available, void* pcm);

TMPDecodeResult RejectFrame(const uint8_t*, int32_t, void*) { return {0, 0}; }

// Until a stream is open (and after an open fails) every frame is rejected, so nothing is
// ever decoded with a half set-up state.
TFrameDecoder FrameDecoderSlot = RejectFrame;
TMPOutputFormat OutputFormat{};

}  // namespace

int32_t OpenDecoderStream(const TMPFrameHeader& header, int32_t frameLength, int32_t downShift,
                          int32_t reserved, uint8_t outputFlags, int32_t cutoffHz) {
  BuildLayer12Tables();
  FrameDecoderSlot = RejectFrame;
  TMPOutputFormat format{};
  int32_t opened = 0;
  TFrameDecoder decoder = RejectFrame;
  switch (header.Layer & 3) {
    case 3:
      opened = Layer1Open(header, frameLength, downShift, outputFlags, cutoffHz, format);
      decoder = DecodeLayer1Frame;
      break;
    case 1:
      opened = Layer3Open(header, frameLength, downShift, reserved, outputFlags, cutoffHz, format);
      decoder = DecodeLayer3Frame;
      break;
    default:
      opened = Layer2Open(header, frameLength, downShift, outputFlags, cutoffHz, format);
      decoder = DecodeLayer2Frame;
      break;
  }
  if (!opened) return 0;
  FrameDecoderSlot = decoder;
  OutputFormat = format;
  return 1;
}

void GetOutputFormat(TMPOutputFormat& format) { format = OutputFormat; }

void DecodeFrame(TMPDecodeResult& result, const uint8_t* frame, int32_t available, void* pcm) {
  result = available > 0 ? FrameDecoderSlot(frame, available, pcm) : TMPDecodeResult{0, 0};
}
