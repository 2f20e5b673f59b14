// MPEG audio frame headers: parsing, frame lengths, bit rates, the first-frame search and the
// frame-to-frame continuity test. Pure computation over caller-supplied bytes.
#pragma once

#include <cstdint>

struct TMPFrameHeader {
  int32_t Sync;           // 1 = MPEG-1/2 sync (FFF), 2 = MPEG-2.5 sync (FFE), 0 = none
  int32_t Id;             // 1 = MPEG-1, 0 = MPEG-2 / 2.5
  int32_t Layer;          // raw code: 3 = Layer I, 2 = Layer II, 1 = Layer III, 0 = reserved
  int32_t ProtectionBit;  // 0 = a 16-bit CRC follows the header
  int32_t BitrateIndex;   // 0 = free format, 15 = forbidden
  int32_t SamplingIndex;  // 3 = reserved
  int32_t Padding;
  int32_t PrivateBit;
  int32_t Mode;  // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
  int32_t ModeExtension;
  int32_t ProtectedFlag;
  int32_t HomeFlag;
  int32_t Emphasis;
};

// Frame length in bytes without the padding slot; 0 for no sync / reserved layer / unconfirmed
// free format / forbidden bit rate, negative for a reserved sampling index. `available` (capped
// at 10000) only matters for free format. At least 4 bytes must be readable at `bytes`.
int32_t ParseFrameHeader(const uint8_t* bytes, int32_t available, TMPFrameHeader& header);

// As ParseFrameHeader; also the bit rate in bit/s (0 when the header is invalid).
int32_t ParseFrameHeaderRate(const uint8_t* bytes, int32_t available, TMPFrameHeader& header,
                             int32_t& bitrate);

// Finds the first FF Fx / FF Ex pair in buffer[0..length) and parses only that candidate.
// Returns its length (0 when there is none or it does not parse) and its position in offset.
int32_t FindFrameHeader(const uint8_t* buffer, int32_t length, TMPFrameHeader& header, int32_t& bitrate,
                        int32_t& offset);

// Length of a free-format frame confirmed by walking the frames that follow in `available`
// bytes; 0 when no length is confirmed.
int32_t FindFreeFormatLength(const uint8_t* bytes, int32_t available);

// True when sync, Id, Layer and sampling index of the two 4-byte headers agree.
bool SameFrameFormat(const uint8_t* reference, const uint8_t* candidate);

// Bytes of the padding slot: 4 for Layer I, 1 otherwise (whether or not Padding is set).
inline int32_t PaddingSlotBytes(const TMPFrameHeader& header) { return header.Layer == 3 ? 4 : 1; }

// Frame size as the player counts it: length plus the padding slot when Padding is set.
inline int32_t FrameSizeWithPadding(const TMPFrameHeader& header, int32_t length) {
  return length + (header.Padding ? PaddingSlotBytes(header) : 0);
}

// Output sampling rate in Hz of (Id, SamplingIndex); 1 for the reserved index. MPEG-2.5 is
// not halved here (Layer III does that itself).
int32_t SamplingRateHz(int32_t id, int32_t samplingIndex);
