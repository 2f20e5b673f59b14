// A ring buffer in front of a byte stream: look at the next bytes in place, step over them,
// jump elsewhere. Reads in large pieces and keeps the logical stream position.
#pragma once

#include <cstdint>
#include <memory>

#include "stream/mp_stream.h"

class TMPStreamReader {
 public:
  explicit TMPStreamReader(int32_t capacity);
  ~TMPStreamReader();
  TMPStreamReader(const TMPStreamReader&) = delete;
  TMPStreamReader& operator=(const TMPStreamReader&) = delete;

  // The stream is taken to be at offset 0 and is not owned.
  void Attach(TMPStream* stream, bool seekable);
  void Detach();

  // Reads until n bytes are buffered or the stream is exhausted; true when Count >= n.
  bool Fill(int32_t n);
  // Fill(n) and make the n bytes contiguous at Data(); false when fewer than n are left
  // (the bytes that are there stay buffered).
  bool Ensure(int32_t n);
  // As Ensure, but settles for what is left: returns how many of the n bytes are contiguous.
  int32_t EnsureUpTo(int32_t n);
  // Reads one more piece (16 KB at most) unless the buffer is full; false when full or
  // when the stream had no more.
  bool ReadAhead();
  // Moves the buffered bytes to the front of the buffer.
  void Linearize();
  int64_t Seek(int64_t offset, TMPSeekOrigin origin);
  // Steps over n bytes; false when the stream ends first.
  bool Skip(int64_t n);

  // The first buffered byte; valid for Contiguous() bytes until the next call that reads,
  // skips or seeks.
  const uint8_t* Data() const { return buffer() + start_; }

  bool Attached() const { return attached_; }
  bool Seekable() const { return seekable_; }
  int64_t Size() const { return size_; }
  int64_t Position() const { return position_; }
  int32_t Count() const { return count_; }
  int32_t Capacity() const { return capacity_; }
  int32_t Contiguous() const { return contiguous_; }
  int32_t Start() const { return start_; }

 private:
  uint8_t* buffer() const { return reinterpret_cast<uint8_t*>(storage_.get()); }
  void UpdateContiguous();
  void MakeContiguous(int32_t n);
  void Consume(int32_t n);

  TMPStream* stream_ = nullptr;
  int64_t size_ = 0;
  bool seekable_ = false;
  bool attached_ = false;
  std::unique_ptr<uint64_t[]> storage_;  // 8-byte aligned
  int32_t start_ = 0;
  int32_t count_ = 0;
  int32_t capacity_;
  int64_t position_ = 0;
  int32_t contiguous_ = 0;
};
