// Layers I and II: the stream set-up they share and the start of every frame.
//
// Per-sub-band quantities are kept per entry: sub-band * 2 + channel in two-channel streams,
// the sub-band in single-channel ones. Limits are counted in entries too.
#pragma once

#include <cstdint>

#include "decoder/mp3_decoder.h"
#include "mp_bit_reader.h"
#include "synthesis.h"

constexpr int32_t kMaxEntries = 64;
// The sub-band samples of a frame: 36 rows of 64 floats (Layer I uses 12).
constexpr int32_t kSubbandSampleFloats = 36 * 64;

// The Layer II allocation table in use, in entries.
struct TLayer2Layout {
  int32_t Table;
  int32_t GroupEntries[4];
  int32_t GroupBits[4];
  const uint8_t* GroupClass[4];
};

struct TLayer12Stream {
  int32_t Channels;           // coded channels: 1 or 2
  int32_t FrameLength;        // frame length without padding given to the open
  int32_t BytesProduced;      // PCM bytes per frame
  int32_t CutoffLimit;        // entries below the cutoff (and below sub-band 31 unless full band)
  TSubbandOutput OutputSlot;  // synthesis routine of the chosen channel form
  int32_t Entries;            // entries a frame codes
  int32_t DecodedLimit;       // entries reconstructed
  // Layer II: what the stream was opened with (each frame's bit rate picks its table) and the
  // table in use.
  int32_t OpenId, OpenMode, OpenSamplingIndex;
  TLayer2Layout Layout;
  TMPBitReader FrameBits;  // the frame being decoded, limited to its bytes
  alignas(64) float SubbandSamples[kSubbandSampleFloats];
};

// Common set-up of a Layer I/II stream with `subbands` sub-bands and `samplesPerChannel`
// samples per frame; fills `format`. 0 for forms not offered (down-sampled or 8-bit output).
int32_t OpenLayer12Stream(TLayer12Stream& stream, const TMPFrameHeader& header, int32_t frameLength,
                          int32_t downShift, uint8_t outputFlags, int32_t cutoffHz, int32_t subbands,
                          int32_t samplesPerChannel, TMPOutputFormat& format);

// What the header of one frame says.
struct TLayer12Frame {
  int32_t Bound;  // joint-stereo bound in entries (all entries for one channel)
  int32_t BitrateIndex;
  int32_t BytesConsumed;  // this frame's length plus its padding slot
};

// Reads the header (and skips the CRC) through the stream's FrameBits, which it limits to this
// frame's bytes. False when the frame does not start with the sync bits.
bool BeginLayer12Frame(TLayer12Stream& stream, const uint8_t* frame, int32_t available, TLayer12Frame& info);
