#include "stream_summary.h"

#include <algorithm>
#include <cinttypes>

#include "stream/frame_facts.h"

TStreamSummary SummarizeStream(TMPStream& stream) {
  TInputFrames walk(stream);
  TStreamSummary summary;
  summary.FirstHeader = walk.FirstHeader();
  summary.Layer = walk.Layer();
  summary.Version = walk.Version();
  // Free-format frames all have the first frame's length, and so its rate.
  const int32_t freeBitrate = summary.FirstHeader.BitrateIndex == 0 ? walk.FirstBitrate() : 0;
  walk.PassInfoFrame();
  TMPFrameHeader header{};
  while (walk.Next(header)) {
    int32_t bitrate = 0;
    ParseFrameHeaderRate(walk.FrameData(), 0, header, bitrate);
    if (header.BitrateIndex == 0) bitrate = freeBitrate;
    summary.MinBitrate = summary.Frames == 0 ? bitrate : std::min(summary.MinBitrate, bitrate);
    summary.MaxBitrate = std::max(summary.MaxBitrate, bitrate);
    ++summary.Frames;
    walk.Consume();
  }
  summary.End = walk.End();
  summary.EndOffset = walk.EndOffset();
  return summary;
}

void PrintStreamSummary(const TStreamSummary& summary, FILE* out) {
  static const char* const kVersions[4] = {"?", "MPEG-1", "MPEG-2", "MPEG-2.5"};
  static const char* const kModes[4] = {"stereo", "joint stereo", "dual channel", "single channel"};
  const TMPFrameHeader& h = summary.FirstHeader;
  std::fprintf(out, "layer: %d\n", summary.Layer);
  std::fprintf(out, "version: %s\n", kVersions[summary.Version & 3]);
  std::fprintf(out, "sampling rate: %d Hz\n", StreamSampleRate(h));
  std::fprintf(out, "channels: %d (%s)\n", StreamChannels(h), kModes[h.Mode & 3]);
  const bool variable = summary.MinBitrate != summary.MaxBitrate;
  const bool free = h.BitrateIndex == 0;
  const char* note = variable && free ? " (variable, free format)"
                     : variable       ? " (variable)"
                     : free           ? " (free format)"
                                      : "";
  if (variable) {
    std::fprintf(out, "bit rate: %d-%d kbit/s%s\n", summary.MinBitrate / 1000, summary.MaxBitrate / 1000,
                 note);
  } else {
    std::fprintf(out, "bit rate: %d kbit/s%s\n", summary.MaxBitrate / 1000, note);
  }
  std::fprintf(out, "frames: %" PRId64 "\n", summary.Frames);
}
