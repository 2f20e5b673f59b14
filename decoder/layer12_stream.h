// Layers I and II: the stream set-up they share and the start of every frame.
//
// Per-sub-band quantities are kept per entry: sub-band * 2 + channel in two-channel streams,
// the sub-band in single-channel ones. Limits are counted in entries too.
#pragma once

#include <cstdint>

#include "mp3_decoder.h"
#include "sample_store.h"
#include "synthesis.h"

constexpr int32_t kMaxEntries = 64;

// The sub-band samples of a frame: 36 rows of 64 floats (Layer I uses 12), in the shared store.
inline float* const SubbandSamples = SampleStore;

struct TLayer12Stream {
  int32_t Channels;       // coded channels: 1 or 2
  int32_t FrameLength;    // frame length without padding given to the open
  int32_t BytesProduced;  // PCM bytes per frame
  int32_t CutoffLimit;    // entries below the cutoff (and below sub-band 31 unless full band)
  TSubbandOutput OutputSlot;  // synthesis routine of the chosen channel form
};
extern TLayer12Stream Layer12;

// Common set-up of a Layer I/II stream with `subbands` sub-bands and `samplesPerChannel`
// samples per frame; fills `format`. 0 for forms not offered (down-sampled or 8-bit output).
int32_t OpenLayer12Stream(const TMPFrameHeader& header, int32_t frameLength, int32_t downShift,
                          uint8_t outputFlags, int32_t cutoffHz, int32_t subbands,
                          int32_t samplesPerChannel, TMPOutputFormat& format);

// What the header of one frame says.
struct TLayer12Frame {
  int32_t Bound;          // joint-stereo bound in entries (all entries for one channel)
  int32_t BitrateIndex;
  int32_t BytesConsumed;  // this frame's length plus its padding slot
};

// Reads the header (and skips the CRC) through FrameBits, which is limited to this frame's
// bytes. False when the frame does not start with the sync bits.
bool BeginLayer12Frame(const uint8_t* frame, int32_t available, TLayer12Frame& info);
