// Layers I and II: the stream set-up they share and the start of every frame.
//
// Per-sub-band quantities are kept per entry: sub-band * 2 + channel in two-channel streams,
// the sub-band in single-channel ones. Limits are counted in entries too.
#pragma once

#include <cstdint>
#include <cstring>

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
  // Bit e set where entry e holds zero in every slot of SubbandSamples (a silent entry
  // stays silent in most frames; it is then not cleared again).
  uint64_t ZeroEntries;
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

// The sample data of a frame, read at fixed places: once the allocation is read every field's
// bit position is known, so the fields are read independently of each other rather than each
// waiting on the reader state the one before left. Bytes past the reader's limit read as zero.
// Most sample bits a frame can claim: Layer II's 12 granules x 64 entries x 48 bits.
constexpr int32_t kMaxSampleBytes = 12 * 64 * 48 / 8;
struct TSampleBits {
  const uint8_t* Bytes;  // the field at bit b lies at bit First + b of Bytes
  int32_t First;
  // A zero-padded copy of the data when it runs up to the limit, so that every field read stays
  // within readable memory.
  uint8_t Spare[kMaxSampleBytes + 16];
};

// Clears the `count` silent entries of a frame of `slots` rows (those not yet all zero), then
// notes them as zero and the entries in `written` as not.
void ClearSilentEntries(TLayer12Stream& stream, const int32_t* silent, int32_t count, uint64_t written,
                        int32_t slots);

// Takes the next `count` bits of `bits` (which it skips) as the sample data.
void OpenSampleBits(TMPBitReader& bits, int32_t count, TSampleBits& data);

// The n (1..57) bits at bit `at` of the data.
inline uint64_t SampleField(const TSampleBits& data, int32_t at, int32_t n) {
  at += data.First;
  uint64_t word;
  std::memcpy(&word, data.Bytes + (at >> 3), sizeof word);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  word = __builtin_bswap64(word);
#endif
  return (word << (at & 7)) >> (64 - n);
}
