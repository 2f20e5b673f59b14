#include "stream/mp_frame_index.h"

#include <algorithm>

void TMPFrameIndex::Clear() {
  offsets_.clear();
  known_ = 0;
  lastOffset_ = 0;
  complete_ = false;
}

void TMPFrameIndex::Record(int64_t frame, int64_t offset) {
  if (frame != known_) return;
  if (frame % kStride == 0) offsets_.push_back(offset);
  lastOffset_ = offset;
  ++known_;
}

void TMPFrameIndex::PointAtOrBelow(int64_t frame, int64_t& indexed, int64_t& offset) const {
  const int64_t slot = std::min<int64_t>(frame / kStride, static_cast<int64_t>(offsets_.size()) - 1);
  indexed = slot * kStride;
  offset = offsets_[static_cast<size_t>(slot)];
}
