#include "stream/mp_constant_rate.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "decoder/mp_frame_header.h"
#include "stream/frame_facts.h"

namespace {

// Headers checked one behind the other at each place looked at: a chance sync pattern inside
// a frame's data hardly ever has a second header behind it at the right distance.
constexpr int32_t kChain = 4;
// Places looked at between the first frame and the end, besides those two.
constexpr int64_t kSpread = 8;
// Shorter streams are walked: a walk through them costs next to nothing.
constexpr int64_t kMinFrames = 8;

}  // namespace

bool TMPConstantRate::Check(TMPStream& stream, const TStreamFacts& facts) {
  if (state_ != TState::Unknown) return state_ == TState::Constant;
  state_ = TState::Varied;
  first_ = facts.First;
  end_ = facts.End;
  // An information frame's byte count that the file does not bear out hides something, say
  // junk put in between the frames after the count was written.
  if (std::abs(facts.DataEnd - end_) > 4) return false;
  ReadAt(stream, first_, 4);
  if (bytes_.size() < 4 || !IsSyncPair(bytes_.data())) return false;
  std::memcpy(header_, bytes_.data(), 4);
  TMPFrameHeader header{};
  int32_t bitrate = 0;
  int32_t length = ParseFrameHeaderRate(header_, 0, header, bitrate);
  const int32_t version = VersionNumber(header), layer = LayerNumber(header);
  const int64_t sampleRate = StreamSampleRate(header);
  const bool free = header.BitrateIndex == 0;
  if (free) length = facts.FreeLength;
  if (version == 0 || layer == 0 || sampleRate <= 0 || length <= 0) return false;
  base_ = length;
  slot_ = PaddingSlotBytes(header);
  const int64_t samples = layer == 1 ? 384 : layer == 3 && version > 1 ? 576 : 1152;
  // Bytes per frame: the bits of its samples' time at the bit rate.
  den_ = 8 * sampleRate;
  // Some encoders never pad, so that every frame is as long as the first: try that too.
  std::vector<int64_t> candidates{base_ * den_};
  if (free) {
    // A free-format header tells no rate: try each whole kbit/s whose frames are this long.
    for (int64_t kbps = base_ * den_ / (samples * 1000);
         kbps <= (base_ + slot_) * den_ / (samples * 1000) + 1; ++kbps)
      candidates.push_back(samples * kbps * 1000);
  } else {
    candidates.push_back(samples * bitrate);
  }
  for (const int64_t num : candidates) {
    num_ = num;
    if (num_ <= 0 || num_ < base_ * den_ || num_ > (base_ + slot_) * den_) continue;
    const int64_t frames = (end_ - first_) * den_ / num_;
    const int64_t counted = facts.InfoFrames * num_ - (end_ - first_) * den_;
    if (facts.InfoFrames >= 0 && std::abs(counted) > (slot_ + 1) * den_) continue;
    if (Agrees(stream, frames)) {
      state_ = TState::Constant;
      return true;
    }
  }
  return false;
}

// The frames the rate puts at the spread places are there, and behind the last whole one
// less than a frame is left.
bool TMPConstantRate::Agrees(TMPStream& stream, int64_t frames) {
  if (frames < kMinFrames) return false;
  for (int64_t j = 1; j < kSpread; ++j)
    if (Locate(stream, frames * j / kSpread) < 0) return false;
  const int64_t at = Locate(stream, frames - 2);
  if (at < 0) return false;
  return (end_ - ChainAt(frames - 2, at).End) * den_ < num_ + slot_ * den_;
}

int64_t TMPConstantRate::Locate(TMPStream& stream, int64_t n) {
  const int64_t predicted = Predicted(n);
  const int64_t lowest = std::max(first_, predicted - slot_ - 1), highest = predicted + slot_ + 1;
  ReadAt(stream, lowest, highest - lowest + kChain * (base_ + slot_) + 4);
  int64_t found = -1;
  for (int64_t at = lowest; at <= highest; ++at) {
    if (ChainAt(n, at).Frames < 1) continue;
    if (found >= 0) return -1;
    found = at;
  }
  return found;
}

bool TMPConstantRate::Expected(int64_t n, int64_t offset) const {
  return std::abs(offset - Predicted(n)) <= slot_ + 1;
}

// Frames n, n+1, ... from offset on, each header of the first one's format and rate and where
// the rate puts it: up to kChain of them, fewer only where the audio ends.
TMPConstantRate::TChain TMPConstantRate::ChainAt(int64_t n, int64_t offset) const {
  TChain chain{0, offset};
  for (int32_t k = 0; k < kChain; ++k) {
    const int64_t at = chain.End;
    if (at + 4 > end_) return chain;
    const int64_t i = at - bytesAt_;
    if (!Expected(n + k, at) || i < 0 || i + 4 > static_cast<int64_t>(bytes_.size())) return {-1, at};
    const uint8_t* p = bytes_.data() + i;
    if (!IsSyncPair(p) || !SameFrameFormat(header_, p) || (p[2] >> 4) != (header_[2] >> 4)) return {-1, at};
    TMPFrameHeader header{};
    ParseFrameHeader(p, 0, header);
    const int64_t size = base_ + PaddingBytes(header);
    if (at + size > end_) return chain;
    chain.End = at + size;
    ++chain.Frames;
  }
  return chain;
}

void TMPConstantRate::ReadAt(TMPStream& stream, int64_t offset, int64_t count) {
  count = std::clamp<int64_t>(count, 0, std::max<int64_t>(end_ - offset, 0));
  bytes_.resize(static_cast<size_t>(count));
  bytesAt_ = offset;
  stream.Seek(offset, TMPSeekOrigin::soBeginning);
  int64_t done = 0;
  while (done < count) {
    const int32_t got = stream.Read(bytes_.data() + done, static_cast<int32_t>(count - done));
    if (got <= 0) break;
    done += got;
  }
  bytes_.resize(static_cast<size_t>(done));
}
