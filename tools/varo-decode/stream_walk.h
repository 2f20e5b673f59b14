// Walks an MPEG audio file the way the player does: passes over ID3v2 tags in front, finds
// the first frame, passes over a Xing/Info/VBRI information frame, then accepts every frame
// of the same format, skipping junk byte by byte (at most kMaxJunkBytes in a row).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "mp_frame_header.h"

constexpr int32_t kMaxJunkBytes = 4096;

struct TFrameSpan {
  size_t Offset;
  int32_t Size;  // including the padding slot
};

enum class TWalkEnd {
  EndOfData,  // every byte was used (fewer than 4 bytes may be left over)
  JunkLimit,  // more than kMaxJunkBytes without a frame: the rest is not used
  Truncated,  // the last frame is cut off by the end of the file
};

struct TStreamWalk {
  TMPFrameHeader FirstHeader;    // header of the first frame (the information frame if any)
  int32_t FirstLength = 0;       // its length without the padding slot
  size_t AudioStart = 0;         // offset of the first frame
  bool InformationFrame = false; // the first frame was a Xing/Info/VBRI frame (not audio)
  std::vector<TFrameSpan> Frames;
  int32_t MinBitrate = 0, MaxBitrate = 0;  // bit/s over the audio frames
  TWalkEnd End = TWalkEnd::EndOfData;
  size_t EndOffset = 0;  // where the walk stopped
};

// False when the data holds no MPEG audio frame.
bool WalkStream(const uint8_t* data, size_t size, TStreamWalk& walk);
