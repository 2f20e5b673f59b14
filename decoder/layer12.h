// Layer I and Layer II: stream opens and frame decoders (installed by the entry points).
#pragma once

#include <cstdint>

#include "decoder/mp3_decoder.h"

int32_t Layer1Open(TMPDecoderState& state, const TMPFrameHeader& header, int32_t frameLength,
                   int32_t downShift, uint8_t outputFlags, int32_t cutoffHz, TMPOutputFormat& format);
int32_t Layer2Open(TMPDecoderState& state, const TMPFrameHeader& header, int32_t frameLength,
                   int32_t downShift, uint8_t outputFlags, int32_t cutoffHz, TMPOutputFormat& format);

TMPDecodeResult DecodeLayer1Frame(TMPDecoderState& state, const uint8_t* frame, int32_t available, void* pcm);
TMPDecodeResult DecodeLayer2Frame(TMPDecoderState& state, const uint8_t* frame, int32_t available, void* pcm);

// Allocation table (0..4) of a Layer II stream, -1 when the combination has none.
int32_t ChooseLayer2AllocTable(int32_t id, int32_t mode, int32_t samplingIndex, int32_t bitrateIndex);
