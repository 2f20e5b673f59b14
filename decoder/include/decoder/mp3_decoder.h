// Decoder entry points: open a stream on its first frame header, report the PCM format and
// decode one frame at a time. A decoder state holds one stream; the calls without a state use
// the process-wide one. No allocation while decoding. Calls on one state are serialised by the
// caller (the player holds its DecoderLock); different states may be used by different threads.
// The equalizer gains are process-wide and may be written concurrently; the processor forms and
// the polarity belong to a state.
#pragma once

#include <cstdint>
#include <memory>

#include "decoder/mp_cpu.h"
#include "decoder/mp_equalizer.h"
#include "decoder/mp_frame_header.h"

struct TMPOutputFormat {
  int32_t Channels;         // 1 or 2
  int32_t SamplesPerFrame;  // summed over the output channels
  int32_t SampleRate;       // Hz, after DownShift
  int32_t BitsPerSample;    // 16 (8 when asked for)
  int32_t FrameLength;      // frame length without padding passed to the open
  int32_t Reserved;
};

struct TMPDecodeResult {
  int32_t BytesConsumed;  // frame length plus padding slot; 0 when the frame was rejected
  int32_t BytesProduced;  // PCM bytes written; 0 when rejected
};

// OutputFlags bits
constexpr uint8_t mofChannelMask = 0x03;  // 0 both, 1 mix, 2 channel 0 only, 3 channel 1 only
constexpr uint8_t mofEightBit = 0x08;     // 8-bit samples
constexpr uint8_t mofFullBand = 0x10;     // reconstruct all 32 sub-bands and all 576 lines

// One decoder's state (bit reservoir, synthesis history, stream set-up); opaque here.
struct TMPDecoderState;
struct TMPDecoderStateDelete {
  void operator()(TMPDecoderState* state) const;
};
using TMPDecoderStatePtr = std::unique_ptr<TMPDecoderState, TMPDecoderStateDelete>;
// A state of its own, for a stream decoded beside the process-wide one; no stream is open.
TMPDecoderStatePtr NewDecoderState();

// 1 when the stream was set up, 0 when it cannot be decoded.
int32_t OpenDecoderStream(TMPDecoderState& state, const TMPFrameHeader& header, int32_t frameLength,
                          int32_t downShift, int32_t reserved, uint8_t outputFlags, int32_t cutoffHz);

void GetOutputFormat(const TMPDecoderState& state, TMPOutputFormat& format);

// Decodes the complete frame at `frame`; `available` bytes are readable there (at least the
// whole frame). Writes BytesProduced bytes to pcm, which must hold one frame of output.
void DecodeFrame(TMPDecoderState& state, TMPDecodeResult& result, const uint8_t* frame, int32_t available,
                 void* pcm);

// The same on the process-wide state.
int32_t OpenDecoderStream(const TMPFrameHeader& header, int32_t frameLength, int32_t downShift,
                          int32_t reserved, uint8_t outputFlags, int32_t cutoffHz);
void GetOutputFormat(TMPOutputFormat& format);
void DecodeFrame(TMPDecodeResult& result, const uint8_t* frame, int32_t available, void* pcm);

// Inverts the sign of the state's synthesis window (and so of every output sample it decodes);
// 0 or 1, initially 0. Calls on one state are serialised with its decoding by the caller.
void SetInvertPolarity(TMPDecoderState& state, int32_t on);
int32_t GetInvertPolarity(const TMPDecoderState& state);
// The same for the process-wide state.
void SetInvertPolarity(int32_t on);
int32_t GetInvertPolarity();
