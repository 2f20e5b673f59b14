// What one walk over an input finds without decoding: the stream's format, its audio frames
// and their bit rates. --info prints it; a WAV header needs the frame count up front.
#pragma once

#include <cstdint>
#include <cstdio>

#include "input_frames.h"

struct TStreamSummary {
  TMPFrameHeader FirstHeader{};  // the first frame (an information frame, if there is one)
  int32_t Layer = 0;             // 1, 2 or 3
  int32_t Version = 0;           // 1 MPEG-1, 2 MPEG-2, 3 MPEG-2.5
  int64_t Frames = 0;            // audio frames, the information frame not counted
  int32_t MinBitrate = 0;        // bit/s over the audio frames
  int32_t MaxBitrate = 0;
  TWalkEnd End = TWalkEnd::EndOfData;
  int64_t EndOffset = 0;
};

// Raises "unknown MPEG Audio format." as TInputFrames does.
TStreamSummary SummarizeStream(TMPStream& stream);

// Layer, version, sampling rate, channels, bit rate and frame count, one per line.
void PrintStreamSummary(const TStreamSummary& summary, FILE* out);
