#include "stream/frame_facts.h"

int32_t LayerNumber(const TMPFrameHeader& header) {
  return header.Layer >= 1 && header.Layer <= 3 ? 4 - header.Layer : 0;
}

int32_t VersionNumber(const TMPFrameHeader& header) {
  if (header.Id == 1) return 1;
  if (header.Id == 0 && header.Sync == 1) return 2;
  if (header.Id == 0 && header.Sync == 2) return 3;
  return 0;
}

int32_t StreamSampleRate(const TMPFrameHeader& header) {
  const int32_t rate = SamplingRateHz(header.Id, header.SamplingIndex);
  return VersionNumber(header) == 3 && header.Layer == 1 ? rate / 2 : rate;
}

int32_t StreamChannels(const TMPFrameHeader& header) { return header.Mode == 3 ? 1 : 2; }

int32_t PaddingBytes(const TMPFrameHeader& header) { return header.Padding ? PaddingSlotBytes(header) : 0; }

bool IsSyncPair(const uint8_t* bytes) {
  return bytes[0] == 0xFF && ((bytes[1] & 0xF0) == 0xF0 || (bytes[1] & 0xF0) == 0xE0);
}

bool FollowedByMatchingFrame(const uint8_t* bytes, int32_t n, int32_t at, int32_t frameSize) {
  constexpr int kFramesChecked = 3;
  int64_t next = int64_t{at} + frameSize;
  for (int k = 0; k < kFramesChecked && frameSize > 0; ++k) {
    if (next + 4 > n) return true;
    const uint8_t* candidate = bytes + next;
    if (!SameFrameFormat(bytes + at, candidate)) return false;
    TMPFrameHeader header{};
    const int32_t length = ParseFrameHeader(candidate, 0, header);
    if (length <= 0)  // only a free-format frame may give no length here
      return header.Sync != 0 && header.Layer != 0 && header.BitrateIndex == 0;
    frameSize = length + PaddingBytes(header);
    next += frameSize;
  }
  return true;
}
