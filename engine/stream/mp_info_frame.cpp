#include "stream/mp_info_frame.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int32_t kVbriOffset = 36;
constexpr uint32_t kXingFrames = 0x1;
constexpr uint32_t kXingBytes = 0x2;
constexpr uint32_t kXingToc = 0x4;
constexpr uint32_t kXingQuality = 0x8;
// The LAME extension behind the Xing fields: encoder name (9), revision (1), lowpass (1),
// peak (4), two gains (2 + 2), flags (1), bit rate (1), then delay and padding (12 bits each).
constexpr int32_t kLameDelayAt = 21;
constexpr int32_t kLamePeakAt = 11;  // then the radio and the audiophile gain

uint32_t BigEndian32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// Offset of a Xing tag from the start of the frame: behind the header, the CRC and the side
// information.
int32_t XingOffset(const TMPFrameHeader& header) {
  const int32_t crc = header.ProtectionBit == 0 ? 2 : 0;
  const bool mono = header.Mode == 3;
  if (header.Id == 1) return crc + (mono ? 21 : 36);
  return crc + (mono ? 13 : 21);
}

bool IsXing(const uint8_t* p) { return std::memcmp(p, "Xing", 4) == 0 || std::memcmp(p, "Info", 4) == 0; }

bool IsInfoTag(const uint8_t* p) { return IsXing(p) || std::memcmp(p, "VBRI", 4) == 0; }

// Encoders that write the LAME extension (LAME itself and the libav family copy it).
bool IsLameExtension(const uint8_t* p) {
  return std::memcmp(p, "LAME", 4) == 0 || std::memcmp(p, "Lavf", 4) == 0 || std::memcmp(p, "Lavc", 4) == 0 ||
         std::memcmp(p, "GOGO", 4) == 0;
}

}  // namespace

TMPInfoFrame ParseInfoFrame(const TMPFrameHeader& header, const uint8_t* frame, int32_t frameSize,
                            int32_t available) {
  TMPInfoFrame info;
  const int32_t limit = std::min(frameSize, available);
  auto fits = [&](int32_t end) { return end <= limit; };
  int32_t tag = XingOffset(header);
  // Encoders write the tag of a CRC-protected stream as if there were no CRC, and a VBRI tag
  // always 32 bytes behind the header.
  if (header.ProtectionBit == 0 && fits(tag + 4) && !IsInfoTag(frame + tag)) tag -= 2;
  if (fits(tag + 4) && !IsInfoTag(frame + tag) && fits(kVbriOffset + 4) &&
      std::memcmp(frame + kVbriOffset, "VBRI", 4) == 0)
    tag = kVbriOffset;
  if (!fits(tag + 4)) return info;
  const uint8_t* p = frame + tag;
  if (IsXing(p)) {
    info.Kind = TMPInfoFrame::TKind::Xing;
    int32_t at = tag + 4;
    if (!fits(at + 4)) return info;
    const uint32_t flags = BigEndian32(frame + at);
    at += 4;
    if (flags & kXingFrames) {
      if (!fits(at + 4)) return info;
      info.Frames = BigEndian32(frame + at);
      at += 4;
    }
    if (flags & kXingBytes) {
      if (!fits(at + 4)) return info;
      info.Bytes = BigEndian32(frame + at);
      at += 4;
    }
    if (flags & kXingToc) {
      if (!fits(at + 100)) return info;
      std::memcpy(info.Toc.data(), frame + at, 100);
      info.HasToc = true;
      at += 100;
    }
    if (flags & kXingQuality) at += 4;
    if (fits(at + kLameDelayAt + 3) && IsLameExtension(frame + at)) {
      const uint8_t* d = frame + at + kLameDelayAt;
      info.EncoderDelay = d[0] << 4 | d[1] >> 4;
      info.EncoderPadding = (d[1] & 0x0F) << 8 | d[2];
      info.Gains = ReadLameGains(frame + at + kLamePeakAt);
    }
  } else if (std::memcmp(p, "VBRI", 4) == 0) {
    info.Kind = TMPInfoFrame::TKind::Vbri;
    if (fits(tag + 18)) {
      info.Bytes = BigEndian32(p + 10);
      info.Frames = BigEndian32(p + 14);
    }
  }
  return info;
}
