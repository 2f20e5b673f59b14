// MSB-first bit reader shared by all layer decoders. Each decoder state holds two: the Layer
// I/II frame reader and the Layer III reader of side information and main data.
//
// `End` is the owner's soft limit (Layer III compares Cur with it). `Limit` is the hard end of
// readable memory: bytes at or past it read as zero, so a corrupt frame that asks for more bits
// than it carries can never read outside its buffer.
#pragma once

#include <cstdint>
#include <cstring>

struct TMPBitReader {
  const uint8_t* Cur;    // next byte not yet moved into Acc
  uint32_t Acc;          // fetched, unconsumed bits, right-aligned; bits above Count are zero
  int32_t Count;         // valid bits in Acc (0..32)
  const uint8_t* Start;  // where reading began (BitPosition)
  const uint8_t* End;    // owner's limit; not checked by the reader
  const uint8_t* Limit;  // hard limit of readable bytes
};

// Starts reading at p; bytes from p up to limit may be read.
inline void ResetBits(TMPBitReader& r, const uint8_t* p, const uint8_t* limit) {
  r.Cur = p;
  r.Start = p;
  r.Acc = 0;
  r.Count = 0;
  r.End = limit;
  r.Limit = limit;
}

inline void SetBitsEnd(TMPBitReader& r, const uint8_t* p) { r.End = p; }

inline uint32_t NextBitsByte(TMPBitReader& r) {
  const uint8_t* p = r.Cur++;
  return p < r.Limit ? *p : 0u;
}

// Four bytes from p, first byte most significant.
inline uint32_t LoadBitsWord(const uint8_t* p) {
  uint32_t word;
  std::memcpy(&word, p, 4);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  word = __builtin_bswap32(word);
#endif
  return word;
}

// Appends whole bytes until more than 24 bits are held: all of them with one load when four
// bytes are readable, byte by byte near the limit.
inline void RefillBits(TMPBitReader& r) {
  if (r.Limit - r.Cur >= 4) {
    const int32_t bytes = (32 - r.Count) >> 3;
    const uint64_t fresh = uint64_t{LoadBitsWord(r.Cur)} >> (32 - 8 * bytes);  // bytes may be 0
    r.Acc = static_cast<uint32_t>((uint64_t{r.Acc} << (8 * bytes)) | fresh);
    r.Cur += bytes;
    r.Count += 8 * bytes;
    return;
  }
  while (r.Count <= 24) {
    r.Acc = (r.Acc << 8) | NextBitsByte(r);
    r.Count += 8;
  }
}

inline uint32_t TakeBits(TMPBitReader& r, int32_t n) {
  r.Count -= n;
  const uint32_t v = r.Acc >> r.Count;
  r.Acc = static_cast<uint32_t>(r.Acc & ((uint64_t{1} << r.Count) - 1));  // Count may be 0 or 32
  return v;
}

// The next n bits (0 <= n <= 24) as an unsigned value.
inline uint32_t GetBits(TMPBitReader& r, int32_t n) {
  if (n <= 0) return 0;
  if (r.Count < n) RefillBits(r);
  return TakeBits(r, n);
}

// The Layer III reader refills two bits early; the bits delivered are the same as GetBits.
inline uint32_t GetMainBits(TMPBitReader& r, int32_t n) {
  if (n <= 0) return 0;
  if (r.Count < n + 2) RefillBits(r);
  return TakeBits(r, n);
}

// The next n bits (1 <= n <= 24) without consuming them.
inline uint32_t PeekBits(TMPBitReader& r, int32_t n) {
  if (r.Count < 11 || r.Count < n) RefillBits(r);
  return r.Acc >> (r.Count - n);
}

// Discards n bits that PeekBits has shown to be held.
inline void ConsumeBits(TMPBitReader& r, int32_t n) { TakeBits(r, n); }

// Discards n >= 0 bits, jumping whole bytes when n exceeds what is held.
inline void SkipBits(TMPBitReader& r, int32_t n) {
  if (n <= 0) return;
  if (n > r.Count) {
    n -= r.Count;
    r.Cur += n / 8;
    r.Acc = NextBitsByte(r);
    r.Count = 8;
    n %= 8;
  }
  TakeBits(r, n);
}

// Bits consumed since ResetBits.
inline int32_t BitPosition(const TMPBitReader& r) {
  return static_cast<int32_t>(r.Cur - r.Start) * 8 - r.Count;
}

// A 64-bit window over a reader's position for the hot loops: the same bits in the same order,
// but one refill covers several fields. Widen takes the position over, NarrowBits hands it back
// (unread whole bytes are returned to the byte pointer).
struct TWideBits {
  uint64_t Acc;  // unread bits, first bit at the top; bits past Count are the stream's next bits
  int32_t Count;
  const uint8_t* Cur;
  const uint8_t* Limit;
};

inline TWideBits WidenBits(const TMPBitReader& r) {
  return {r.Count ? static_cast<uint64_t>(r.Acc) << (64 - r.Count) : 0, r.Count, r.Cur, r.Limit};
}

inline void NarrowBits(const TWideBits& w, TMPBitReader& r) {
  r.Cur = w.Cur - (w.Count >> 3);
  r.Count = w.Count & 7;
  r.Acc = r.Count ? static_cast<uint32_t>(w.Acc >> (64 - r.Count)) : 0u;
}

// Makes sure at least `need` (<= 56) bits are held; bytes at or past Limit read as zero.
inline void RefillWide(TWideBits& w, int32_t need) {
  if (w.Count >= need) return;
  if (w.Limit - w.Cur >= 8) {
    uint64_t word;
    std::memcpy(&word, w.Cur, sizeof word);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    word = __builtin_bswap64(word);
#endif
    w.Acc |= word >> w.Count;
    w.Cur += (63 - w.Count) >> 3;
    w.Count |= 56;
    return;
  }
  while (w.Count <= 56) {
    const uint64_t byte = w.Cur < w.Limit ? *w.Cur : 0u;
    w.Acc |= byte << (56 - w.Count);
    ++w.Cur;
    w.Count += 8;
  }
}

// The next n (1..56) held bits without consuming them.
inline uint32_t PeekWide(const TWideBits& w, int32_t n) { return static_cast<uint32_t>(w.Acc >> (64 - n)); }
inline uint64_t PeekWide64(const TWideBits& w, int32_t n) { return w.Acc >> (64 - n); }

inline void ConsumeWide(TWideBits& w, int32_t n) {
  w.Acc <<= n;
  w.Count -= n;
}

inline uint32_t TakeWide(TWideBits& w, int32_t n) {
  const uint32_t v = PeekWide(w, n);
  ConsumeWide(w, n);
  return v;
}

// The next n (0..32) bits; 0 bits read nothing and give 0.
inline uint32_t GetWide(TWideBits& w, int32_t n) {
  RefillWide(w, n);
  const uint32_t v = static_cast<uint32_t>((w.Acc >> 1) >> (63 - n));
  ConsumeWide(w, n);
  return v;
}

// Discards n >= 0 bits.
inline void SkipWide(TWideBits& w, int32_t n) {
  for (; n > 48; n -= 48) {
    RefillWide(w, 48);
    ConsumeWide(w, 48);
  }
  RefillWide(w, n);
  ConsumeWide(w, n);
}
