#include "stream/mp_frame_walker.h"

#include <algorithm>
#include <cstring>

#include "base/engine_error.h"
#include "stream/frame_facts.h"
#include "stream/mp3_info.h"
#include "stream/mp_stream_reader.h"

namespace {

constexpr int32_t kFreeFormatWindow = 10000;

}  // namespace

TMPFrameWalker::TMPFrameWalker(TMPStreamReader& reader, TMP3Info& info) : reader_(reader), info_(info) {}

// The player's header parse: frames must keep the first frame's format. Lengths include
// the padding slot.
int32_t TMPFrameWalker::HeaderParse(TMPFrameHeader& header) {
  const uint8_t* bytes = reader_.Data();
  header = TMPFrameHeader{};
  int32_t length = ParseFrameHeader(bytes, 0, header);
  if (length == 0 && options_.FreeFormat && header.Sync != 0 && header.Layer != 0 &&
      header.BitrateIndex == 0) {
    if (freeLength_ == 0) {
      const int32_t available = reader_.EnsureUpTo(kFreeFormatWindow);
      bytes = reader_.Data();
      freeLength_ = ParseFrameHeader(bytes, available, header);
    }
    length = freeLength_;
  }
  if (length <= 0) return length;
  if (header.Layer == 0) return 0;
  if (!SameFrameFormat(firstBytes_, bytes)) return 0;
  return length + PaddingBytes(header);
}

void TMPFrameWalker::Open(const TMPFrameWalkOptions& options) {
  options_ = options;
  freeLength_ = 0;
  frameSize_ = 0;
  skipCount_ = 0;
  infoFrame_ = TMPInfoFrame{};
  info_.Attach(&reader_);
  if (reader_.Seekable()) {
    audioStart_ = 0;
    audioLength_ = reader_.Size();
    info_.ReadFrontTags();
    info_.ReadTrailingTags();
    reader_.Seek(info_.DataStart(), TMPSeekOrigin::soBeginning);
  } else {
    audioStart_ = 0;
    audioLength_ = kUnknownLength;
    info_.ReadFrontTags();
  }
  audioStart_ = info_.DataStart();
  audioLength_ = info_.DataLength();

  reader_.EnsureUpTo(kFirstSearch);
  // Only the audio data is searched: a tag behind it is no frame, and a frame that ends
  // where the audio ends is complete.
  int32_t n = reader_.Contiguous();
  bool wholeAudio = n < kFirstSearch;  // the stream ends within the bytes at hand
  if (audioLength_ != kUnknownLength && audioLength_ <= n) {
    n = static_cast<int32_t>(std::max<int64_t>(audioLength_, 0));
    wholeAudio = true;
  }
  const int32_t offset = FindFirstFrame(reader_.Data(), n, wholeAudio);
  if (offset < 0) RaiseUnknownFormat();
  if (offset > 0) {
    audioStart_ += offset;
    if (audioLength_ != kUnknownLength) audioLength_ -= offset;
    if (!reader_.Skip(offset)) RaiseUnknownFormat();
    if (reader_.EnsureUpTo(kAfterSkip) < 4) RaiseUnknownFormat();
  }
  std::memcpy(firstBytes_, reader_.Data(), 4);
  frameSize_ = HeaderParse(firstHeader_);
  if (frameSize_ <= 0 || firstHeader_.Layer < 1 || firstHeader_.Layer > 3) RaiseUnknownFormat();
  layer_ = LayerNumber(firstHeader_);
  version_ = VersionNumber(firstHeader_);
  if (version_ == 0) RaiseUnknownFormat();
  if (!reader_.Ensure(frameSize_)) RaiseUnknownFormat();
}

// The first sync pair whose header parses and is followed by frames of the same format;
// failing that, the first one whose header parses at all. -1 when there is none. A
// free-format stream (its length confirmed by the frames that follow) is taken as it is:
// without the free-format option its header parse then refuses it. When the n bytes are
// all the audio there is, a frame running past them is not confirmed: nothing follows it.
int32_t TMPFrameWalker::FindFirstFrame(const uint8_t* bytes, int32_t n, bool wholeAudio) {
  int32_t fallback = -1;
  for (int32_t i = 0; i + 4 <= n; ++i) {
    if (!IsSyncPair(bytes + i)) continue;
    TMPFrameHeader header{};
    const int32_t length = ParseFrameHeader(bytes + i, n - i, header);
    if (length <= 0 || VersionNumber(header) == 0) continue;
    if (header.BitrateIndex == 0) return i;
    const int32_t frameSize = length + PaddingBytes(header);
    const bool complete = !wholeAudio || frameSize <= n - i;
    if (complete && FollowedByMatchingFrame(bytes, n, i, frameSize)) return i;
    if (fallback < 0) fallback = i;
  }
  return fallback;
}

void TMPFrameWalker::PassInfoFrame() {
  infoFrame_ = ParseInfoFrame(firstHeader_, reader_.Data(), frameSize_, reader_.Contiguous());
  if (infoFrame_.Kind == TMPInfoFrame::TKind::None) return;
  if (infoFrame_.Bytes > 0 && infoFrame_.Bytes <= 0x7FFFFFFF) audioLength_ = infoFrame_.Bytes;
  if (!reader_.Skip(frameSize_)) RaiseUnknownFormat();
  audioStart_ += frameSize_;
  if (audioLength_ != kUnknownLength) audioLength_ -= frameSize_;
  frameSize_ = 0;
}

bool TMPFrameWalker::Exhausted() const {
  return audioLength_ != kUnknownLength && reader_.Position() - audioStart_ >= audioLength_;
}

TMPFrameWalker::TStep TMPFrameWalker::ParseNext(TMPFrameHeader& header) {
  if (frameSize_ > 0) {
    header = firstHeader_;
    return TStep::Frame;
  }
  if (!reader_.Ensure(4)) {
    EndDataHere();
    return TStep::Ended;
  }
  frameSize_ = HeaderParse(header);
  // Behind junk, a header must be followed by frames of the same format, so that a chance
  // sync pattern inside the junk is not decoded as a frame.
  if (frameSize_ > 0 && skipCount_ > 0) {
    const int32_t n = reader_.EnsureUpTo(std::min(reader_.Capacity(), 3 * frameSize_ + 4));
    if (!FollowedByMatchingFrame(reader_.Data(), n, 0, frameSize_)) frameSize_ = 0;
  }
  if (frameSize_ <= 0) {
    SkipByte();
    return Exhausted() ? TStep::Ended : TStep::Skipped;
  }
  return TStep::Frame;
}

void TMPFrameWalker::SkipByte() {
  frameSize_ = 0;
  if (skipCount_ >= kJunkLimit) {
    EndDataHere();
    return;
  }
  reader_.Skip(1);
  ++skipCount_;
}

bool TMPFrameWalker::EnsureFrame() {
  if (reader_.Ensure(frameSize_)) return true;
  EndDataHere();
  return false;
}

const uint8_t* TMPFrameWalker::FrameData() const { return reader_.Data(); }

void TMPFrameWalker::ConsumeFrame() {
  reader_.Skip(frameSize_);
  frameSize_ = 0;
  skipCount_ = 0;
}

void TMPFrameWalker::EndDataHere() { audioLength_ = reader_.Position() - audioStart_; }

// Back to the first frame, walking on as from the open: a free-format length learnt later in
// the stream would otherwise let frames through that the first walk passed over.
void TMPFrameWalker::Rewind() {
  if (reader_.Attached() && reader_.Seekable()) reader_.Seek(audioStart_, TMPSeekOrigin::soBeginning);
  frameSize_ = 0;
  freeLength_ = 0;
  skipCount_ = 0;
}

void TMPFrameWalker::SeekTo(int64_t offset) {
  reader_.Seek(offset, TMPSeekOrigin::soBeginning);
  frameSize_ = 0;
  skipCount_ = 0;
}

void TMPFrameWalker::FollowFrom(const TMPFrameWalker& other) {
  options_ = other.options_;
  firstHeader_ = other.firstHeader_;
  std::memcpy(firstBytes_, other.firstBytes_, sizeof firstBytes_);
  layer_ = other.layer_;
  version_ = other.version_;
  audioStart_ = other.audioStart_;
  audioLength_ = other.audioLength_;
  freeLength_ = other.freeLength_;
  infoFrame_ = other.infoFrame_;
  frameSize_ = 0;
  skipCount_ = 0;
}

bool TMPFrameWalker::NextFrame(TMPFrameHeader& header) {
  for (;;) {
    if (Exhausted()) return false;
    switch (ParseNext(header)) {
      case TStep::Ended:
        return false;
      case TStep::Skipped:
        continue;
      case TStep::Frame:
        return EnsureFrame();
    }
  }
}
