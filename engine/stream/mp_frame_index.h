// Where the frames of a stream start: the offset of every eighth frame from the first audio
// frame on, known up to the furthest frame walked so far.
#pragma once

#include <cstdint>
#include <vector>

class TMPFrameIndex {
 public:
  static constexpr int64_t kStride = 8;

  void Clear();
  // Frame `frame` starts at offset. Only the frame right after those known extends the index.
  void Record(int64_t frame, int64_t offset);
  // Frames known: 0 .. Known()-1 have been walked; the last of them starts at LastOffset().
  int64_t Known() const { return known_; }
  int64_t LastOffset() const { return lastOffset_; }
  // The furthest indexed frame at or below `frame` (frame >= 0 and some frame is known) and
  // its offset.
  void PointAtOrBelow(int64_t frame, int64_t& indexed, int64_t& offset) const;
  // The walk reached the end: Known() is every frame of the stream.
  void MarkComplete() { complete_ = true; }
  bool Complete() const { return complete_; }

 private:
  std::vector<int64_t> offsets_;  // of frames 0, kStride, 2 kStride, ...
  int64_t known_ = 0;
  int64_t lastOffset_ = 0;
  bool complete_ = false;
};
