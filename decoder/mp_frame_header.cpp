// Frame header parsing, frame lengths and bit rates, the first-frame search, the free-format
// length search and the frame-to-frame continuity test.
#include "decoder/mp_frame_header.h"

#include <array>

#include "tables/frame_header_tables.h"

namespace {

constexpr int32_t kMaxFreeFormatBytes = 10000;  // bytes the free-format search looks at
constexpr int32_t kReservedRate50 = -999;       // makes every length of a reserved rate negative

// Sampling rate in units of 50 Hz by [Id][SamplingIndex]. MPEG-2.5 has no row of its own: the
// Layer III length formula below accounts for its halved rates.
constexpr std::array<std::array<int32_t, 4>, 2> BuildRate50() {
  std::array<std::array<int32_t, 4>, 2> table{};
  for (int32_t i = 0; i < 4; ++i) {
    table[0][i] = kSamplingRateHzMpeg2[i] ? kSamplingRateHzMpeg2[i] / 50 : kReservedRate50;
    table[1][i] = kSamplingRateHzMpeg1[i] ? kSamplingRateHzMpeg1[i] / 50 : kReservedRate50;
  }
  return table;
}
constexpr auto kRate50 = BuildRate50();
static_assert(kRate50[1][0] == 882 && kRate50[0][2] == 320 && kRate50[1][3] == -999);

bool IsSyncPair(uint8_t b0, uint8_t b1) { return b0 == 0xFF && ((b1 & 0xF0) == 0xF0 || (b1 & 0xF0) == 0xE0); }

// Bit rate in kbit/s of a parsed header; 0 for free format, forbidden index or reserved layer.
int32_t HeaderKbps(const TMPFrameHeader& h) {
  if (h.Layer < 1 || h.Layer > 3) return 0;
  return kBitrateKbps[3 - h.Layer][h.Id][h.BitrateIndex];
}

}  // namespace

int32_t ParseFrameHeader(const uint8_t* bytes, int32_t available, TMPFrameHeader& header) {
  if (available > kMaxFreeFormatBytes) available = kMaxFreeFormatBytes;
  header.Sync = 0;
  const uint8_t b0 = bytes[0], b1 = bytes[1];
  if (!IsSyncPair(b0, b1)) return 0;
  const uint8_t b2 = bytes[2], b3 = bytes[3];

  header.Sync = (b1 & 0xF0) == 0xF0 ? 1 : 2;
  header.Id = (b1 >> 3) & 1;
  header.Layer = (b1 >> 1) & 3;
  header.ProtectionBit = b1 & 1;
  header.BitrateIndex = b2 >> 4;
  header.SamplingIndex = (b2 >> 2) & 3;
  header.Padding = (b2 >> 1) & 1;
  header.PrivateBit = b2 & 1;
  header.Mode = b3 >> 6;
  header.ModeExtension = (b3 >> 4) & 3;
  header.ProtectedFlag = (b3 >> 3) & 1;
  header.HomeFlag = (b3 >> 2) & 1;
  header.Emphasis = b3 & 3;

  if (header.Layer == 0) return 0;
  const int32_t r50 = kRate50[header.Id][header.SamplingIndex];
  if (header.BitrateIndex == 0) {
    // A reserved sampling index has no length in free format either.
    return r50 < 0 ? -1 : FindFreeFormatLength(bytes, available);
  }

  const int32_t kbps = HeaderKbps(header);
  switch (header.Layer) {
    case 3:  // Layer I: whole 4-byte slots
      return (kbps * 240 / r50) * 4;
    case 2:
      return kbps * 2880 / r50;
    default:  // Layer III; MPEG-2.5 uses the MPEG-2 row with the MPEG-1 factor
      return (header.Id == 0 && header.Sync == 1) ? kbps * 1440 / r50 : kbps * 2880 / r50;
  }
}

int32_t ParseFrameHeaderRate(const uint8_t* bytes, int32_t available, TMPFrameHeader& header,
                             int32_t& bitrate) {
  const int32_t length = ParseFrameHeader(bytes, available, header);
  bitrate = 0;
  if (length <= 0) return length;
  if (header.BitrateIndex != 0) {
    bitrate = HeaderKbps(header) * 1000;
    return length;
  }
  // Free format: derived from the confirmed length. 64-bit, because long free-format frames
  // would overflow r50 * length * 1000 in 32 bits.
  const int64_t scaled = int64_t{kRate50[header.Id][header.SamplingIndex]} * length;
  int64_t rate;
  if (header.Layer == 3) {
    rate = scaled * 1000 / 960;
  } else if (header.Layer == 2 || header.Id == 1) {
    rate = scaled * 1000 / 2880;
  } else if (header.Sync == 1) {
    rate = scaled * 1000 / 1440;
  } else {
    rate = scaled * 500 / 1440;
  }
  bitrate = static_cast<int32_t>(rate);
  return length;
}

int32_t FindFrameHeader(const uint8_t* buffer, int32_t length, TMPFrameHeader& header, int32_t& bitrate,
                        int32_t& offset) {
  bitrate = 0;
  for (int32_t i = 0; i + 1 < length; ++i) {
    if (!IsSyncPair(buffer[i], buffer[i + 1])) continue;
    offset = i;
    // A candidate whose four header bytes are not all in the buffer cannot be parsed.
    if (length - i < 4) {
      header.Sync = 0;
      return 0;
    }
    return ParseFrameHeaderRate(buffer + i, length - i, header, bitrate);
  }
  return 0;
}

int32_t FindFreeFormatLength(const uint8_t* bytes, int32_t available) {
  if (available > kMaxFreeFormatBytes) available = kMaxFreeFormatBytes;
  if (available < 4) return 0;
  const uint8_t b0 = bytes[0], b1 = bytes[1];
  const int32_t slot = ((b1 >> 1) & 3) == 3 ? 4 : 1;
  const int32_t pad0 = (bytes[2] >> 1) & 1;
  const int32_t limit = available - 3;  // two header bytes and the padding bit must be readable

  int32_t d = 24;
  while (d < 2000) {
    int32_t e = 0;
    for (int32_t i = d; i < limit; ++i) {
      if (bytes[i] == b0 && bytes[i + 1] == b1) {
        e = i;
        break;
      }
    }
    // The first frame's padding slot is whole slots (4 bytes in Layer I), not one byte.
    const int32_t c = e - pad0 * slot;
    if (c <= 0) return 0;

    // Walk the frames this length predicts; every boundary must repeat the first two bytes.
    int32_t x = 0;
    int32_t matches = 0;
    for (;;) {
      x += c + ((bytes[x + 2] >> 1) & 1) * slot;
      if (x > limit) break;
      if (bytes[x] != b0 || bytes[x + 1] != b1) {
        matches = -matches;
        break;
      }
      ++matches;
    }
    if (matches > 0) return c;
    d = e + 1;
  }
  return 0;
}

bool SameFrameFormat(const uint8_t* reference, const uint8_t* candidate) {
  // Little-endian words under 0x000CFEFF: all of b0, b1 without the protection bit and the
  // sampling-index bits of b2.
  return reference[0] == candidate[0] && ((reference[1] ^ candidate[1]) & 0xFE) == 0 &&
         ((reference[2] ^ candidate[2]) & 0x0C) == 0;
}

int32_t SamplingRateHz(int32_t id, int32_t samplingIndex) {
  const int32_t hz = (id ? kSamplingRateHzMpeg1 : kSamplingRateHzMpeg2)[samplingIndex & 3];
  return hz ? hz : 1;
}
