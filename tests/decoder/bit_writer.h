// Test helper: writes MSB-first bit fields, as the layer decoders read them.
#pragma once

#include <cstdint>
#include <vector>

class TBitWriter {
 public:
  void Put(uint32_t value, int32_t bits) {
    for (int32_t i = bits - 1; i >= 0; --i) {
      if (used_ == 0) bytes_.push_back(0);
      if ((value >> i) & 1u) bytes_.back() |= static_cast<uint8_t>(0x80u >> used_);
      used_ = (used_ + 1) & 7;
    }
  }
  // Pads with zero bits up to `size` bytes.
  std::vector<uint8_t> Finish(size_t size) {
    bytes_.resize(size > bytes_.size() ? size : bytes_.size(), 0);
    used_ = 0;
    return bytes_;
  }
  size_t BitCount() const { return bytes_.size() * 8 - (used_ ? 8 - used_ : 0); }

 private:
  std::vector<uint8_t> bytes_;
  int32_t used_ = 0;
};
