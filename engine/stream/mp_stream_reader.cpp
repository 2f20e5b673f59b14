#include "stream/mp_stream_reader.h"

#include <algorithm>
#include <cstring>

#include "base/engine_error.h"

namespace {

constexpr int32_t kPiece = 16384;
// Room behind the ring's end: a run wrapping round the end is made whole by copying its
// wrapped part there (a frame's length) instead of moving the whole ring.
constexpr int32_t kSpill = 8192;

}  // namespace

TMPStreamReader::TMPStreamReader(int32_t capacity) : capacity_(capacity) { MPAssert(capacity > 0); }

TMPStreamReader::~TMPStreamReader() { Detach(); }

void TMPStreamReader::Attach(TMPStream* stream, bool seekable) {
  MPAssert(stream != nullptr);
  Detach();
  try {
    attached_ = true;
    stream_ = stream;
    seekable_ = seekable;
    position_ = 0;
    contiguous_ = 0;
    start_ = 0;
    count_ = 0;
    storage_.reset(new uint64_t[(static_cast<size_t>(capacity_) + kSpill + 7) / 8]);
    if (seekable) size_ = stream->Size();
  } catch (...) {
    Detach();
    throw;
  }
}

void TMPStreamReader::Detach() {
  if (!attached_) return;
  stream_ = nullptr;
  contiguous_ = 0;
  size_ = 0;
  storage_.reset();
  attached_ = false;
}

bool TMPStreamReader::Fill(int32_t n) {
  MPAssert(attached_ && storage_ && n >= 0 && n <= capacity_);
  while (count_ < n) {
    int32_t piece = n - count_ >= kPiece ? n - count_ : std::min(kPiece, capacity_ - count_);
    const int32_t w = static_cast<int32_t>((static_cast<int64_t>(start_) + count_) % capacity_);
    piece = std::min(piece, capacity_ - w);
    const int32_t got = stream_->Read(buffer() + w, piece);
    if (got <= 0) break;
    count_ += got;
  }
  UpdateContiguous();
  return count_ >= n;
}

void TMPStreamReader::UpdateContiguous() {
  contiguous_ = start_ + count_ > capacity_ ? capacity_ - start_ : count_;
}

bool TMPStreamReader::Ensure(int32_t n) {
  if (!Fill(n)) return false;
  MakeContiguous(n);
  MPAssert(n <= contiguous_);
  return true;
}

int32_t TMPStreamReader::EnsureUpTo(int32_t n) {
  Fill(n);
  const int32_t want = std::min(n, count_);
  MakeContiguous(want);
  return std::min(want, contiguous_);
}

void TMPStreamReader::MakeContiguous(int32_t n) {
  if (contiguous_ >= n) return;
  const int32_t wrapped = n - contiguous_;  // buffered bytes at the ring's front
  if (start_ + count_ > capacity_ && wrapped <= kSpill) {
    std::memcpy(buffer() + capacity_, buffer(), static_cast<size_t>(wrapped));
    contiguous_ = n;  // until the next read, skip or seek recounts it
  } else {
    Linearize();
  }
}

bool TMPStreamReader::ReadAhead() {
  if (count_ >= capacity_) return false;
  return Fill(count_ + std::min(kPiece, capacity_ - count_));
}

void TMPStreamReader::Linearize() {
  uint8_t* b = buffer();
  if (start_ + count_ <= capacity_) {
    std::memmove(b, b + start_, static_cast<size_t>(count_));
  } else {
    // Wrapped: the head [start, capacity) goes to the front and the tail follows it. One
    // in-place rotation does both without a temporary block.
    std::rotate(b, b + start_, b + capacity_);
  }
  start_ = 0;
  contiguous_ = count_;
}

int64_t TMPStreamReader::Seek(int64_t offset, TMPSeekOrigin origin) {
  MPAssert(attached_ && seekable_);
  if (origin == TMPSeekOrigin::soCurrent) offset -= count_;
  position_ = stream_->Seek(offset, origin);
  start_ = 0;
  count_ = 0;
  contiguous_ = 0;
  return position_;
}

void TMPStreamReader::Consume(int32_t n) {
  count_ -= n;
  start_ = static_cast<int32_t>((static_cast<int64_t>(start_) + n) % capacity_);
  position_ += n;
  UpdateContiguous();
}

bool TMPStreamReader::Skip(int64_t n) {
  MPAssert(attached_ && n >= 0);
  if (n <= count_) {
    Consume(static_cast<int32_t>(n));
    return true;
  }
  if (seekable_) {
    if (position_ + n > size_) {
      Seek(0, TMPSeekOrigin::soEnd);
      return false;
    }
    Seek(n, TMPSeekOrigin::soCurrent);
    return true;
  }
  while (Fill(1)) {
    Fill(capacity_);
    if (n <= count_) {
      Consume(static_cast<int32_t>(n));
      return true;
    }
    position_ += count_;
    n -= count_;
    count_ = 0;
    start_ = 0;
  }
  return false;
}
