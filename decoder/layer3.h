// Layer III as seen from the decoder entry points.
#pragma once

#include <cstdint>

#include "decoder/mp3_decoder.h"

// Sets up the Layer III state for a stream; 1 on success, 0 when header.Layer is not 1 or the
// requested output form is not offered. Fills format.
int32_t Layer3Open(TMPDecoderState& state, const TMPFrameHeader& header, int32_t frameLength,
                   int32_t downShift, int32_t reserved, uint8_t outputFlags, int32_t cutoffHz,
                   TMPOutputFormat& format);

// Decodes one whole frame of the open Layer III stream (available bytes readable at frame).
TMPDecodeResult DecodeLayer3Frame(TMPDecoderState& state, const uint8_t* frame, int32_t available, void* pcm);
