#include "input_frames.h"

#include "stream/frame_facts.h"

namespace {

constexpr int32_t kReaderCapacity = 65536;  // the player's reader holds as much
constexpr int32_t kHeaderWindow = 10000;    // the most a free-format length is confirmed over

TMPFrameWalkOptions ToolWalkOptions() {
  TMPFrameWalkOptions options;
  options.FreeFormat = true;
  return options;
}

}  // namespace

TInputFrames::TInputFrames(TMPStream& stream) : reader_(kReaderCapacity), walker_(reader_, info_) {
  stream.Seek(0, TMPSeekOrigin::soBeginning);
  reader_.Attach(&stream, true);
  walker_.Open(ToolWalkOptions());
}

int32_t TInputFrames::FirstLength() const { return walker_.FrameSize() - PaddingBytes(FirstHeader()); }

int32_t TInputFrames::FirstBitrate() {
  TMPFrameHeader header{};
  int32_t bitrate = 0;
  const int32_t available = reader_.EnsureUpTo(kHeaderWindow);
  ParseFrameHeaderRate(reader_.Data(), available, header, bitrate);
  return bitrate;
}

TWalkEnd TInputFrames::End() const {
  if (walker_.SkipCount() >= TMPFrameWalker::kJunkLimit) return TWalkEnd::JunkLimit;
  // The walk gives up on a frame it found when the stream ends inside it.
  if (walker_.FrameSize() > 0) return TWalkEnd::Truncated;
  return TWalkEnd::EndOfData;
}
