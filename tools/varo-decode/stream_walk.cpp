// The frame walk over a whole file held in memory.
#include "stream_walk.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kId3HeaderBytes = 10;
// How far past the tags the first frame is looked for, and how many candidates are tried.
constexpr size_t kFirstFrameSearchBytes = 65536;
constexpr int32_t kMaxFirstFrameCandidates = 1024;

int32_t ClampedSize(size_t bytes) { return static_cast<int32_t>(std::min<size_t>(bytes, INT32_MAX)); }

// Offset just past the ID3v2 tags at `pos` (a tag with a damaged size is left alone).
size_t SkipId3v2Tags(const uint8_t* data, size_t size, size_t pos) {
  while (size - pos >= kId3HeaderBytes && std::memcmp(data + pos, "ID3", 3) == 0) {
    const uint8_t* h = data + pos;
    if ((h[6] | h[7] | h[8] | h[9]) & 0x80) break;  // sizes are 4 x 7 bits
    size_t tagSize = kId3HeaderBytes + ((size_t{h[6]} << 21) | (size_t{h[7]} << 14) | (size_t{h[8]} << 7) | h[9]);
    if (h[5] & 0x10) tagSize += kId3HeaderBytes;  // footer
    if (tagSize > size - pos) break;
    pos += tagSize;
  }
  return pos;
}

// Length without padding of the frame at pos, or 0. Free-format frames keep the length the
// first frame confirmed: near the end too few frames follow to confirm one.
int32_t FrameLengthAt(const uint8_t* data, size_t size, size_t pos, int32_t freeLength, TMPFrameHeader& h) {
  const int32_t length = ParseFrameHeader(data + pos, freeLength ? 4 : ClampedSize(size - pos), h);
  if (h.Sync != 0 && h.Layer != 0 && h.BitrateIndex == 0) return freeLength;
  return length;
}

// The first frame: the first candidate found by FindFrameHeader whose frame is complete and
// followed by a frame of the same format (or by the end of the data). When no candidate is
// confirmed that way, the first complete one is taken.
bool FindFirstFrame(const uint8_t* data, size_t size, size_t start, TStreamWalk& walk) {
  const size_t searchEnd = std::min(size, start + kFirstFrameSearchBytes);
  bool haveFallback = false;
  size_t pos = start;
  for (int32_t candidates = 0; pos < searchEnd && candidates < kMaxFirstFrameCandidates; ++candidates) {
    TMPFrameHeader h{};
    int32_t bitrate = 0, offset = -1;
    const int32_t length = FindFrameHeader(data + pos, ClampedSize(size - pos), h, bitrate, offset);
    if (offset < 0) break;  // no sync pair left
    const size_t at = pos + static_cast<size_t>(offset);
    if (at >= searchEnd) break;
    if (length > 0) {
      const size_t end = at + FrameSizeWithPadding(h, length);
      if (end <= size) {
        const bool confirmed = size - end < 4 || SameFrameFormat(data + at, data + end);
        if (confirmed || !haveFallback) {
          walk.FirstHeader = h;
          walk.FirstLength = length;
          walk.AudioStart = at;
          haveFallback = true;
        }
        if (confirmed) return true;
      }
    }
    pos = at + 1;
  }
  return haveFallback;
}

// A Xing, Info or VBRI tag where it sits after the side information of the first frame.
bool IsInformationFrame(const uint8_t* frame, int32_t frameSize, const TMPFrameHeader& h) {
  const int32_t sideInfo = h.Id == 1 ? (h.Mode == 3 ? 21 : 36) : (h.Mode == 3 ? 13 : 21);
  const int32_t at = (h.ProtectionBit == 0 ? 2 : 0) + sideInfo;
  if (at + 4 > frameSize) return false;
  const uint8_t* tag = frame + at;
  return std::memcmp(tag, "Xing", 4) == 0 || std::memcmp(tag, "Info", 4) == 0 || std::memcmp(tag, "VBRI", 4) == 0;
}

}  // namespace

bool WalkStream(const uint8_t* data, size_t size, TStreamWalk& walk) {
  walk = TStreamWalk{};
  const size_t start = SkipId3v2Tags(data, size, 0);
  if (!FindFirstFrame(data, size, start, walk)) return false;

  const uint8_t* first = data + walk.AudioStart;
  const int32_t freeLength = walk.FirstHeader.BitrateIndex == 0 ? walk.FirstLength : 0;
  size_t pos = walk.AudioStart;
  {
    const int32_t firstSize = FrameSizeWithPadding(walk.FirstHeader, walk.FirstLength);
    if (IsInformationFrame(first, firstSize, walk.FirstHeader)) {
      walk.InformationFrame = true;
      pos += firstSize;
    }
  }

  // Free format: the rate its constant length implies.
  int32_t freeBitrate = 0;
  if (freeLength) {
    TMPFrameHeader h{};
    ParseFrameHeaderRate(first, ClampedSize(size - walk.AudioStart), h, freeBitrate);
  }

  int32_t junk = 0;
  while (size - pos >= 4) {
    TMPFrameHeader h{};
    const int32_t length = SameFrameFormat(first, data + pos) ? FrameLengthAt(data, size, pos, freeLength, h) : 0;
    if (length <= 0) {
      if (++junk > kMaxJunkBytes) {
        walk.End = TWalkEnd::JunkLimit;
        walk.EndOffset = pos;
        return true;
      }
      ++pos;
      continue;
    }
    const int32_t frameSize = FrameSizeWithPadding(h, length);
    if (static_cast<size_t>(frameSize) > size - pos) {
      walk.End = TWalkEnd::Truncated;
      walk.EndOffset = pos;
      return true;
    }
    int32_t bitrate = freeBitrate;
    if (h.BitrateIndex != 0) ParseFrameHeaderRate(data + pos, 4, h, bitrate);
    walk.MinBitrate = walk.Frames.empty() ? bitrate : std::min(walk.MinBitrate, bitrate);
    walk.MaxBitrate = std::max(walk.MaxBitrate, bitrate);
    walk.Frames.push_back({pos, frameSize});
    pos += frameSize;
    junk = 0;
  }
  walk.End = TWalkEnd::EndOfData;
  walk.EndOffset = pos;
  return true;
}
