// Big-value and count1 Huffman decoding through the static lookup tables.
#include "layer3_huffman.h"

#include <cstring>

#include "layer3_standard_tables.h"
#include "layer3_state.h"
#include "mp_bit_reader.h"

namespace {

// Applies the sign bit that follows a nonzero value (1 = negative).
inline int32_t Signed(int32_t value, uint32_t negative) {
  const int32_t mask = -static_cast<int32_t>(negative);
  return (value ^ mask) - mask;
}

// Resolves one code: one peek and one load for codes within the first level, one more of each
// per sub-table below it. Returns the leaf entry; its code bits are consumed.
inline uint32_t LookupPair(TMPBitReader& r, const uint32_t* table) {
  int32_t width = static_cast<int32_t>(table[0] & 0xFF);
  uint32_t entry = table[1 + PeekBits(r, width)];
  while ((entry >> 24) == 0) {
    ConsumeBits(r, width);
    table += entry;
    width = static_cast<int32_t>(table[0] & 0xFF);
    entry = table[1 + PeekBits(r, width)];
  }
  ConsumeBits(r, static_cast<int32_t>(entry >> 24));
  return entry;
}

// Tables without linbits: the sign bits of both values are read at once.
void DecodePairs(TMPBitReader& r, float* dst, int32_t pairs, const uint32_t* table) {
  for (int32_t i = 0; i < pairs; ++i) {
    const uint32_t entry = LookupPair(r, table);
    const int32_t x = static_cast<int32_t>((entry >> 8) & 0xFF);
    const int32_t y = static_cast<int32_t>((entry >> 16) & 0xFF);
    const int32_t nonzero = static_cast<int32_t>(entry & 3);
    const uint32_t signs = GetMainBits(r, nonzero);
    PutSpectrumInt(dst + 2 * i, x ? Signed(x, signs >> (nonzero - 1)) : 0);
    PutSpectrumInt(dst + 2 * i + 1, y ? Signed(y, signs & 1) : 0);
    if (r.Cur > r.End) return;
  }
}

// Tables 16..31: a value of 15 is followed by linbits extra bits, then its sign.
void DecodeLinbitsPairs(TMPBitReader& r, float* dst, int32_t pairs, const uint32_t* table,
                        int32_t linbits) {
  for (int32_t i = 0; i < pairs; ++i) {
    const uint32_t entry = LookupPair(r, table);
    int32_t x = static_cast<int32_t>((entry >> 8) & 0xFF);
    int32_t y = static_cast<int32_t>((entry >> 16) & 0xFF);
    if (x == 15) x += static_cast<int32_t>(GetMainBits(r, linbits));
    if (x) x = Signed(x, GetMainBits(r, 1));
    if (y == 15) y += static_cast<int32_t>(GetMainBits(r, linbits));
    if (y) y = Signed(y, GetMainBits(r, 1));
    PutSpectrumInt(dst + 2 * i, x);
    PutSpectrumInt(dst + 2 * i + 1, y);
    if (r.Cur > r.End) return;
  }
}

}  // namespace

void DecodeBigValues(float* dst, int32_t lines, int32_t table) {
  if (lines <= 0) return;
  const int32_t pairs = lines / 2;
  const TMPHuffTable& h = Layer3HuffTables[table & 31];
  if (h.Kind == hkZero) {
    std::memset(dst, 0, sizeof(float) * 2 * static_cast<size_t>(pairs));
    return;
  }
  // Working on a local copy keeps the reader in registers.
  TMPBitReader r = MainDataBits;
  if (h.Kind == hkLinbits) {
    DecodeLinbitsPairs(r, dst, pairs, h.Lookup, h.Linbits);
  } else {
    DecodePairs(r, dst, pairs, h.Lookup);
  }
  MainDataBits = r;
}

int32_t DecodeCount1(float* dst, int32_t maxLines, int32_t bitsLeft, int32_t select) {
  const int32_t quadruples = maxLines >> 2;
  int32_t last = -1;
  int32_t lastValue = 15;
  int32_t i = 0;
  TMPBitReader r = MainDataBits;
  while (i < quadruples) {
    int32_t value;
    if (select == 0) {
      if (bitsLeft <= 0) break;
      const uint8_t* code = Layer3Count1TableA[PeekBits(r, 6)];
      ConsumeBits(r, code[0]);
      bitsLeft -= code[0];
      value = code[1];
    } else {
      if (bitsLeft < 4) break;
      bitsLeft -= 4;
      value = static_cast<int32_t>(GetMainBits(r, 4) ^ 15);
    }
    float* q = dst + 4 * i;
    for (int32_t k = 0; k < 4; ++k) {
      int32_t v = (value >> (3 - k)) & 1;
      if (v) {
        v = Signed(v, GetMainBits(r, 1));
        --bitsLeft;
      }
      PutSpectrumInt(q + k, v);
    }
    if (value) {
      last = i;
      lastValue = value;
    }
    if (r.Cur > r.End) break;
    ++i;
  }
  // The last quadruple read bits of the next part: it is not data of this one.
  if (bitsLeft < 0 && i > 0) std::memset(dst + 4 * (i - 1), 0, 4 * sizeof(float));
  MainDataBits = r;
  return (last + 1) * 4 - ((lastValue & 3) == 0 ? 2 : 0);
}
