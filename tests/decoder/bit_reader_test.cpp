// The bit reader: field values against a plain bit cursor, the refill rules, skipping, and the
// hard limit that keeps a damaged frame inside its buffer.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "mp_bit_reader.h"

namespace {

// Reference: the n bits at bit offset `pos` of bytes (zero past the end).
uint32_t BitsAt(const std::vector<uint8_t>& bytes, size_t pos, int32_t n) {
  uint32_t v = 0;
  for (int32_t i = 0; i < n; ++i, ++pos) {
    const uint32_t bit = pos / 8 < bytes.size() ? (bytes[pos / 8] >> (7 - pos % 8)) & 1u : 0u;
    v = (v << 1) | bit;
  }
  return v;
}

TEST(BitReader, FirstTwelveBitsOfAHeader) {
  const uint8_t bytes[4] = {0xFF, 0xFB, 0x90, 0x00};
  TMPBitReader r;
  ResetBits(r, bytes, bytes + 4);
  EXPECT_EQ(GetBits(r, 12), 0xFFFu);
  EXPECT_EQ(r.Count, 20);
  EXPECT_EQ(r.Acc, 0xB9000u);
  EXPECT_EQ(BitPosition(r), 12);
  EXPECT_EQ(r.Cur, bytes + 4);
}

TEST(BitReader, RandomOperationsMatchAPlainCursor) {
  std::mt19937 random(42);
  std::vector<uint8_t> bytes(4096);
  for (auto& b : bytes) b = static_cast<uint8_t>(random());
  TMPBitReader readers[2] = {};
  for (TMPBitReader& r : readers) {
    ResetBits(r, bytes.data(), bytes.data() + bytes.size());
    size_t pos = 0;
    while (pos < bytes.size() * 8 - 200) {
      const int32_t op = static_cast<int32_t>(random() % 4);
      const int32_t n = 1 + static_cast<int32_t>(random() % 24);
      if (op == 0) {
        ASSERT_EQ(GetBits(r, n), BitsAt(bytes, pos, n)) << "GetBits at " << pos;
        pos += n;
      } else if (op == 1) {
        ASSERT_EQ(GetMainBits(r, n), BitsAt(bytes, pos, n)) << "GetMainBits at " << pos;
        pos += n;
      } else if (op == 2) {
        const int32_t peek = 1 + static_cast<int32_t>(random() % 11);
        ASSERT_EQ(PeekBits(r, peek), BitsAt(bytes, pos, peek)) << "PeekBits at " << pos;
        ConsumeBits(r, peek);
        pos += peek;
      } else {
        const int32_t skip = static_cast<int32_t>(random() % 100);
        SkipBits(r, skip);
        pos += skip;
      }
      ASSERT_EQ(BitPosition(r), static_cast<int32_t>(pos));
      ASSERT_EQ(r.Count == 0 ? 0u : r.Acc >> r.Count, 0u) << "bits above Count must be zero";
    }
  }
}

TEST(BitReader, ReadsAcrossTheLimitLikeAPlainCursor) {
  // Short buffers end inside the refill, so both the word-wise and the byte-wise refill run.
  std::mt19937 random(7);
  for (size_t size = 1; size < 24; ++size) {
    auto bytes = std::make_unique<uint8_t[]>(size);
    std::vector<uint8_t> copy(size);
    for (size_t i = 0; i < size; ++i) copy[i] = bytes[i] = static_cast<uint8_t>(random());
    TMPBitReader r;
    ResetBits(r, bytes.get(), bytes.get() + size);
    size_t pos = 0;
    while (pos < size * 8 + 64) {
      const int32_t n = 1 + static_cast<int32_t>(random() % 24);
      ASSERT_EQ(GetMainBits(r, n), BitsAt(copy, pos, n)) << "size " << size << " at " << pos;
      pos += n;
    }
  }
}

TEST(BitReader, ZeroBitsReadNothing) {
  const uint8_t bytes[2] = {0xAB, 0xCD};
  TMPBitReader r;
  ResetBits(r, bytes, bytes + 2);
  EXPECT_EQ(GetBits(r, 0), 0u);
  EXPECT_EQ(BitPosition(r), 0);
  EXPECT_EQ(GetBits(r, 4), 0xAu);
}

TEST(BitReader, BytesPastTheLimitReadAsZero) {
  // An exact-size heap buffer: any read past it is caught by the address sanitizer.
  auto bytes = std::make_unique<uint8_t[]>(3);
  bytes[0] = 0xFF;
  bytes[1] = 0xFF;
  bytes[2] = 0xFF;
  TMPBitReader r;
  ResetBits(r, bytes.get(), bytes.get() + 3);
  EXPECT_EQ(GetBits(r, 20), 0xFFFFFu);
  EXPECT_EQ(GetBits(r, 8), 0xF0u);
  EXPECT_EQ(GetBits(r, 24), 0u);
  SkipBits(r, 1000);
  EXPECT_EQ(GetBits(r, 16), 0u);
  EXPECT_EQ(PeekBits(r, 11), 0u);
}

}  // namespace
