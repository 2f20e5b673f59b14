#include "stream/mp_track_decoder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/engine_error.h"
#include "stream/frame_facts.h"

namespace {

// Frames looked at in front of a seek target for the bit reservoir; main data reaches back at
// most 511 bytes, which even the smallest frames cover in fewer.
constexpr int64_t kLookback = 32;
// The decoder is set up afresh only on frames whose number is a multiple of this, so that its
// synthesis ring and granule parity stand as they stand in a decode from the start.
constexpr int64_t kPrerollAlign = TMPFrameIndex::kStride;
constexpr int32_t kBitrateWindow = 10000;

// Passes over junk to the walk's next frame; false when the stream holds no further whole one
// (a frame cut off by its end is not decoded either).
bool NextWholeFrame(TMPFrameWalker& walker, const TMPStreamReader& reader) {
  TMPFrameHeader header{};
  TMPFrameWalker::TStep step = TMPFrameWalker::TStep::Skipped;
  while (step == TMPFrameWalker::TStep::Skipped && !walker.Exhausted()) step = walker.ParseNext(header);
  return step == TMPFrameWalker::TStep::Frame && reader.Position() + walker.FrameSize() <= reader.Size();
}

}  // namespace

TMPTrackDecoder::TMPTrackDecoder() : state_(NewDecoderState()) {}

void TMPTrackDecoder::Open(TMPStream* stream, bool seekable, const TMPTrackOptions& options) {
  Close();
  options_ = options;
  stream_ = stream;
  try {
    reader_.Attach(stream, seekable);
    walker_.Open(options.Walk);
    const TMPFrameHeader& header = walker_.FirstFrameHeader();
    if (OpenDecoderStream(*state_, header, walker_.FrameSize() - PaddingBytes(header), 0, 0,
                          options.OutputFlags, options.CutoffHz) == 0)
      RaiseUnknownFormat();
    GetOutputFormat(*state_, format_);
    frameBytes_ = format_.SamplesPerFrame * format_.BitsPerSample / 8;
    if (format_.Channels < 1 || frameBytes_ <= 0) RaiseUnknownFormat();
    samplesPerFrame_ = format_.SamplesPerFrame / format_.Channels;
    blockAlign_ = format_.Channels * format_.BitsPerSample / 8;
    walker_.PassInfoFrame();
  } catch (...) {
    Close();
    throw;
  }
  const TMPInfoFrame& infoFrame = walker_.InfoFrame();
  infoFrames_ = infoFrame.Frames;
  const int64_t decoded = infoFrames_ * samplesPerFrame_;
  if (options.Gapless && infoFrame.HasGapless() && walker_.Layer() == 3) {
    startTrim_ = infoFrame.EncoderDelay + kDecoderDelay;
    if (infoFrames_ >= 0) endSample_ = std::min(decoded, decoded - infoFrame.EncoderPadding + kDecoderDelay);
  }
  index_.Record(0, walker_.AudioStart());
  {
    TMPFrameHeader header{};
    const int32_t available = reader_.EnsureUpTo(kBitrateWindow);
    if (available >= 4) ParseFrameHeaderRate(reader_.Data(), available, header, bitrate_);
  }
  outStart_ = startTrim_;
}

void TMPTrackDecoder::Close() {
  reader_.Detach();
  scanReader_.Detach();
  stream_ = nullptr;
  info_.Clear();
  index_.Clear();
  rate_.Clear();
  format_ = {};
  samplesPerFrame_ = blockAlign_ = frameBytes_ = bitrate_ = 0;
  infoFrames_ = -1;
  startTrim_ = 0;
  endSample_ = -1;
  frameNo_ = outStart_ = nextSample_ = 0;
  needOpen_ = ended_ = false;
}

int64_t TMPTrackDecoder::TotalSamples() const {
  if (!IsOpen()) return -1;
  int64_t end = -1;
  if (endSample_ >= 0) end = endSample_;
  if (index_.Complete())
    end = end >= 0 ? std::min(end, index_.Known() * samplesPerFrame_) : index_.Known() * samplesPerFrame_;
  if (end < 0 && infoFrames_ >= 0) end = infoFrames_ * samplesPerFrame_;
  if (end < 0) {
    // Estimated from the frames walked so far, or from the first frame's bit rate.
    const int64_t bytes = walker_.AudioLength();
    if (bytes == kUnknownLength) return -1;
    const int64_t walked = index_.LastOffset() - walker_.AudioStart();
    if (index_.Known() > kLookback && walked > 0) {
      end = bytes * (index_.Known() - 1) / walked * samplesPerFrame_;
    } else {
      if (bitrate_ <= 0) return -1;
      end = bytes * 8 * format_.SampleRate / bitrate_;
    }
  }
  return std::max<int64_t>(end - startTrim_, 0);
}

void TMPTrackDecoder::EndTrack() {
  ended_ = true;
  // A walk that ran out of frames (not one trimmed short) has seen them all.
  if (index_.Known() == frameNo_ && (endSample_ < 0 || frameNo_ * samplesPerFrame_ < endSample_))
    index_.MarkComplete();
}

TMPTrackDecoder::TStep TMPTrackDecoder::DecodeNext(uint8_t* pcm, int32_t& bytes) {
  bytes = 0;
  if (ended_) return TStep::Ended;
  if ((endSample_ >= 0 && frameNo_ * samplesPerFrame_ >= endSample_) || walker_.Exhausted()) {
    EndTrack();
    return TStep::Ended;
  }
  TMPFrameHeader header{};
  switch (walker_.ParseNext(header)) {
    case TMPFrameWalker::TStep::Ended:
      EndTrack();
      return TStep::Ended;
    case TMPFrameWalker::TStep::Skipped:
      return TStep::Nothing;
    case TMPFrameWalker::TStep::Frame:
      break;
  }
  if (needOpen_) {
    if (OpenDecoderStream(*state_, header, walker_.FrameSize() - PaddingBytes(header), 0, 0,
                          options_.OutputFlags, options_.CutoffHz) == 0) {
      walker_.SkipByte();
      return TStep::Nothing;
    }
    needOpen_ = false;
  }
  if (!walker_.EnsureFrame()) {
    EndTrack();
    return TStep::Ended;
  }
  index_.Record(frameNo_, reader_.Position());
  TMPDecodeResult result{};
  DecodeFrame(*state_, result, walker_.FrameData(), walker_.FrameSize(), pcm);
  walker_.ConsumeFrame();
  if (result.BytesConsumed < 1) std::memset(pcm, 0, static_cast<size_t>(frameBytes_));
  const int64_t first = frameNo_ * samplesPerFrame_;
  ++frameNo_;
  const int64_t from = std::max(first, outStart_);
  int64_t to = first + samplesPerFrame_;
  if (endSample_ >= 0) to = std::min(to, endSample_);
  if (to <= from) return TStep::Nothing;
  if (from > first)
    std::memmove(pcm, pcm + (from - first) * blockAlign_, static_cast<size_t>((to - from) * blockAlign_));
  bytes = static_cast<int32_t>((to - from) * blockAlign_);
  nextSample_ = to - startTrim_;
  return TStep::Pcm;
}

// What a seek must know of the frames in front of its target, read at the frame the walk is
// on: where its Layer III main data begins and how much it carries.
TMPTrackDecoder::TFrameFacts TMPTrackDecoder::ReadFacts() {
  TFrameFacts facts{reader_.Position(), 0, 0};
  if (walker_.Layer() != 3 || !reader_.Ensure(std::min(walker_.FrameSize(), 8))) return facts;
  const uint8_t* p = reader_.Data();
  TMPFrameHeader header{};
  ParseFrameHeader(p, 0, header);
  const int32_t crc = header.ProtectionBit == 0 ? 2 : 0;
  const bool mono = header.Mode == 3;
  int32_t sideInfo;
  if (header.Id == 1) {
    facts.MainDataBegin = p[4 + crc] << 1 | p[5 + crc] >> 7;
    sideInfo = mono ? 17 : 32;
  } else {
    facts.MainDataBegin = p[4 + crc];
    sideInfo = mono ? 9 : 17;
  }
  facts.MainBytes = std::max(walker_.FrameSize() - 4 - crc - sideInfo, 0);
  return facts;
}

// The frame to set the decoder up on so that frame `target` and the two in front of it decode
// as they do from the start: their main data lies in the frames decoded before them, and
// their output fills the synthesis history. facts[i] is frame from + i.
int64_t TMPTrackDecoder::PrerollStart(int64_t target, int64_t from, const TFrameFacts* facts) const {
  int64_t start = target;
  for (int64_t m = std::max<int64_t>(target - 2, 0); m <= target; ++m) {
    start = std::min(start, m);
    int64_t remaining = facts[m - from].MainDataBegin;
    int64_t i = m - 1;
    for (; remaining > 0 && i >= from; --i) remaining -= facts[i - from].MainBytes;
    start = std::min(start, i + 1);
  }
  return start / kPrerollAlign * kPrerollAlign;
}

// Walks from frame `frame` at offset up to frame `last`, hopping from header to header and
// indexing on the way; the facts of the frames from `factsFrom` on go to facts. Returns the
// frame the walk stopped at: last + 1, or the frame where the stream ends (or, when junkStops,
// where junk lies in front of a frame).
int64_t TMPTrackDecoder::WalkFrom(int64_t frame, int64_t offset, int64_t last, int64_t factsFrom,
                                  std::vector<TFrameFacts>* facts, bool junkStops) {
  walker_.SeekTo(offset);
  for (; frame <= last; ++frame) {
    if (!NextWholeFrame(walker_, reader_) || (junkStops && walker_.SkipCount() > 0)) return frame;
    index_.Record(frame, reader_.Position());
    if (facts != nullptr && frame >= factsFrom) facts->push_back(ReadFacts());
    walker_.ConsumeFrame();
  }
  return frame;
}

// Walks from the nearest indexed frame up to frame `last`, as WalkFrom; when the stream ends
// first, the track stands at its end.
int64_t TMPTrackDecoder::WalkFrames(int64_t last, int64_t factsFrom, std::vector<TFrameFacts>* facts) {
  int64_t frame = 0, offset = 0;
  index_.PointAtOrBelow(std::min(factsFrom, last), frame, offset);
  frame = WalkFrom(frame, offset, last, factsFrom, facts, false);
  if (frame <= last) {
    frameNo_ = frame;
    EndTrack();
    nextSample_ = std::max<int64_t>(frame * samplesPerFrame_ - startTrim_, 0);
  }
  return frame;
}

// The facts of frames from..target without walking up to them, for a stream of constant rate:
// from where the rate puts frame `from`, through frames with no junk between them, to frame
// target where the rate puts it too. False (facts cleared) on any doubt; the index walk then
// decides. The index learns nothing here: its frames must be counted from the first.
bool TMPTrackDecoder::FactsByRate(int64_t target, int64_t from, std::vector<TFrameFacts>& facts) {
  if (from <= index_.Known() || walker_.AudioLength() == kUnknownLength ||
      info_.DataLength() == kUnknownLength)
    return false;
  const int64_t end = std::min(walker_.AudioStart() + walker_.AudioLength(), reader_.Size());
  const int64_t dataEnd = std::min(info_.DataStart() + info_.DataLength(), reader_.Size());
  if (!rate_.Check(*stream_, {walker_.AudioStart(), end, dataEnd, infoFrames_, walker_.FreeLength()}))
    return false;
  const int64_t offset = rate_.Locate(*stream_, from);
  if (offset >= 0 && WalkFrom(from, offset, target, from, &facts, true) > target &&
      rate_.Expected(target, facts.back().Offset))
    return true;
  facts.clear();
  return false;
}

void TMPTrackDecoder::WalkAll() {
  MPAssert(IsOpen() && reader_.Seekable());
  if (index_.Complete()) return;
  const int64_t resume = nextSample_;
  WalkFrames(INT64_MAX - 1, INT64_MAX, nullptr);
  SeekSample(resume);
}

bool TMPTrackDecoder::IndexAhead(int32_t frames) {
  if (!IsOpen() || !reader_.Seekable() || index_.Complete()) return false;
  // However the walk ends, the stream goes back to where the track's reader left it.
  const int64_t resume = reader_.Position() + reader_.Count();
  try {
    if (!scanReader_.Attached()) scanReader_.Attach(stream_, true);
    scanWalker_.FollowFrom(walker_);
    int64_t frame = 0, offset = 0;
    index_.PointAtOrBelow(index_.Known() - 1, frame, offset);
    scanWalker_.SeekTo(offset);
    const int64_t last = index_.Known() + frames;
    for (; frame < last; ++frame) {
      if (!NextWholeFrame(scanWalker_, scanReader_)) {
        if (index_.Known() == frame) index_.MarkComplete();
        break;
      }
      index_.Record(frame, scanReader_.Position());
      scanWalker_.ConsumeFrame();
    }
  } catch (...) {
    try {
      stream_->Seek(resume, TMPSeekOrigin::soBeginning);
    } catch (...) {
    }
    throw;
  }
  stream_->Seek(resume, TMPSeekOrigin::soBeginning);
  return !index_.Complete();
}

void TMPTrackDecoder::SeekSample(int64_t sample) {
  MPAssert(IsOpen() && reader_.Seekable());
  const int64_t target = std::max<int64_t>(sample, 0) + startTrim_;
  const int64_t targetFrame = target / samplesPerFrame_;
  // From a frame the decoder may be set up on, so that the facts reach back to any start.
  const int64_t from = std::max<int64_t>(targetFrame - kLookback, 0) / kPrerollAlign * kPrerollAlign;
  ended_ = false;
  if (endSample_ >= 0 && target >= endSample_) {
    ended_ = true;
    nextSample_ = endSample_ - startTrim_;
    return;
  }
  std::vector<TFrameFacts> facts;
  facts.reserve(static_cast<size_t>(targetFrame - from + 1));
  if (!FactsByRate(targetFrame, from, facts) && WalkFrames(targetFrame, from, &facts) <= targetFrame)
    return;  // past the end
  const int64_t start = PrerollStart(targetFrame, from, facts.data());
  walker_.SeekTo(facts[static_cast<size_t>(start - from)].Offset);
  frameNo_ = start;
  outStart_ = target;
  nextSample_ = target - startTrim_;
  needOpen_ = true;
}
