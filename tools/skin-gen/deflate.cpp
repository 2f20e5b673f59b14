#include "deflate.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace skingen {
namespace {

constexpr int kWindow = 32768;
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 258;
constexpr int kMaxChain = 64;
constexpr int kHashBits = 15;

class BitWriter {
 public:
  explicit BitWriter(Bytes& out) : out_(out) {}

  void bits(std::uint32_t value, int count) {  // least significant bit first
    acc_ |= value << used_;
    used_ += count;
    while (used_ >= 8) {
      out_.push_back(static_cast<std::uint8_t>(acc_));
      acc_ >>= 8;
      used_ -= 8;
    }
  }

  void code(std::uint32_t code, int length) {  // Huffman codes go most significant bit first
    std::uint32_t reversed = 0;
    for (int i = 0; i < length; ++i) reversed |= ((code >> i) & 1u) << (length - 1 - i);
    bits(reversed, length);
  }

  void flush() {
    if (used_ > 0) out_.push_back(static_cast<std::uint8_t>(acc_));
    acc_ = 0;
    used_ = 0;
  }

 private:
  Bytes& out_;
  std::uint32_t acc_ = 0;
  int used_ = 0;
};

void literalOrLength(BitWriter& w, int symbol) {  // the fixed literal/length code
  if (symbol < 144)
    w.code(0x30 + symbol, 8);
  else if (symbol < 256)
    w.code(0x190 + symbol - 144, 9);
  else if (symbol < 280)
    w.code(symbol - 256, 7);
  else
    w.code(0xC0 + symbol - 280, 8);
}

// Length codes 257..285 and distance codes 0..29 of the deflate format.
constexpr std::array<int, 29> kLengthBase = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                             31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<int, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                              2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<int, 30> kDistBase = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                           33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                           1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<int, 30> kDistExtra = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                            6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

template <std::size_t N>
int bucketOf(const std::array<int, N>& bases, int value) {
  int i = static_cast<int>(N) - 1;
  while (bases[static_cast<std::size_t>(i)] > value) --i;
  return i;
}

void match(BitWriter& w, int length, int distance) {
  const int li = bucketOf(kLengthBase, length);
  literalOrLength(w, 257 + li);
  w.bits(static_cast<std::uint32_t>(length - kLengthBase[static_cast<std::size_t>(li)]),
         kLengthExtra[static_cast<std::size_t>(li)]);
  const int di = bucketOf(kDistBase, distance);
  w.code(static_cast<std::uint32_t>(di), 5);
  w.bits(static_cast<std::uint32_t>(distance - kDistBase[static_cast<std::size_t>(di)]),
         kDistExtra[static_cast<std::size_t>(di)]);
}

std::uint32_t adler32(const Bytes& data) {
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : data) {
    a = (a + byte) % 65521u;
    b = (b + a) % 65521u;
  }
  return (b << 16) | a;
}

std::size_t hashAt(const Bytes& d, std::size_t i) {
  const std::uint32_t v = (std::uint32_t{d[i]} << 16) | (std::uint32_t{d[i + 1]} << 8) | d[i + 2];
  return (v * 2654435761u) >> (32 - kHashBits);
}

}  // namespace

Bytes zlibCompress(const Bytes& data) {
  Bytes out;
  out.push_back(0x78);  // deflate, 32 KiB window
  out.push_back(0x9C);  // default level; makes the header check come out right
  BitWriter w(out);
  w.bits(1, 1);  // final block
  w.bits(1, 2);  // fixed Huffman codes

  const std::size_t n = data.size();
  std::vector<int> head(std::size_t{1} << kHashBits, -1);
  std::vector<int> prev(n, -1);
  auto insert = [&](std::size_t i) {
    if (i + kMinMatch > n) return;
    const std::size_t h = hashAt(data, i);
    prev[i] = head[h];
    head[h] = static_cast<int>(i);
  };

  std::size_t i = 0;
  while (i < n) {
    int bestLength = 0, bestDistance = 0;
    if (i + kMinMatch <= n) {
      const int limit = static_cast<int>(std::min<std::size_t>(kMaxMatch, n - i));
      int candidate = head[hashAt(data, i)];
      for (int chain = 0; candidate >= 0 && chain < kMaxChain; ++chain) {
        const int distance = static_cast<int>(i) - candidate;
        if (distance > kWindow) break;
        int length = 0;
        while (length < limit && data[static_cast<std::size_t>(candidate + length)] ==
                                     data[i + static_cast<std::size_t>(length)])
          ++length;
        if (length > bestLength) {
          bestLength = length;
          bestDistance = distance;
          if (length == limit) break;
        }
        candidate = prev[static_cast<std::size_t>(candidate)];
      }
    }
    if (bestLength >= kMinMatch) {
      match(w, bestLength, bestDistance);
      for (int k = 0; k < bestLength; ++k) insert(i + static_cast<std::size_t>(k));
      i += static_cast<std::size_t>(bestLength);
    } else {
      literalOrLength(w, data[i]);
      insert(i);
      ++i;
    }
  }
  literalOrLength(w, 256);  // end of block
  w.flush();
  putBe32(out, adler32(data));
  return out;
}

}  // namespace skingen
