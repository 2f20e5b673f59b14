// An in-memory stream that hands out at most a fixed number of bytes per read, as pipes and
// network files do, so the reader's refill paths are taken too; and the choice of read sizes
// the engine targets make from a control byte.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "test_support.h"

class TChunkedStream : public TMemoryStream {
 public:
  TChunkedStream(std::vector<uint8_t> bytes, bool seekable, int32_t chunk)
      : TMemoryStream(std::move(bytes), seekable), chunk_(chunk) {}
  int32_t Read(void* buffer, int32_t count) override {
    return TMemoryStream::Read(buffer, chunk_ > 0 ? std::min(count, chunk_) : count);
  }

 private:
  int32_t chunk_;  // 0: no limit
};

// Bytes per read for a choice 0..7: whole requests, or pieces of odd sizes.
inline int32_t ReadChunkFor(uint8_t choice) {
  static constexpr int32_t kChunks[8] = {0, 0, 1, 3, 17, 511, 4097, 20000};
  return kChunks[choice & 7];
}
