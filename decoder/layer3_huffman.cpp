// Big-value and count1 Huffman decoding through the static lookup tables.
#include "layer3_huffman.h"

#include <cstring>

#include "layer3_standard_tables.h"
#include "layer3_state.h"
#include "mp_bit_reader.h"

namespace {

// The decoding loops read the main data through a 64-bit window (TWideBits): one refill per
// pair or quadruple covers every bit it can need. Bits one pair can take: a code (at most 19
// bits) and two sign bits; with linbits, two escapes of up to 13 bits more. A count1 quadruple
// takes at most 10.
constexpr int32_t kPairBits = 21;
constexpr int32_t kLinbitsPairBits = 47;
constexpr int32_t kQuadrupleBits = 10;

// Applies the sign bit at the top of bits to value; a zero value stays zero whatever that bit is.
inline int32_t SignedBy(int32_t value, uint64_t bits) {
  const int32_t negative = static_cast<int32_t>(bits >> 63);
  return (value ^ -negative) + negative;
}

// Reads the sign bit of value when it is nonzero.
inline int32_t WithSign(TWideBits& w, int32_t value) {
  const int32_t v = SignedBy(value, w.Acc);
  ConsumeWide(w, value != 0);
  return v;
}

// Resolves one code: one peek and one load for codes within the first level, one more of each
// per sub-table below it. Returns the leaf entry; the bits of the nodes passed are consumed,
// the leaf's own code length is left to the caller.
// firstWidth is the first level's width, read once per run of pairs.
inline uint32_t FindLeaf(TWideBits& w, const uint32_t* table, int32_t firstWidth) {
  int32_t width = firstWidth;
  uint32_t entry = table[1 + PeekWide(w, width)];
  while ((entry >> 24) == 0) {
    ConsumeWide(w, width);
    table += entry;
    width = static_cast<int32_t>(table[0] & 0xFF);
    entry = table[1 + PeekWide(w, width)];
  }
  return entry;
}

// Tables without linbits: the values are at most 15, and the leaf says how many sign bits
// follow, so code and signs leave the window in one step (the loop's critical path).
TWideBits DecodePairs(TWideBits w, float* dst, int32_t pairs, const uint32_t* table) {
  const int32_t firstWidth = static_cast<int32_t>(table[0] & 0xFF);
  for (int32_t i = 0; i < pairs; ++i) {
    RefillWide(w, kPairBits);
    const uint32_t entry = FindLeaf(w, table, firstWidth);
    const int32_t length = static_cast<int32_t>(entry >> 24);
    const int32_t x = static_cast<int32_t>((entry >> 8) & 0xFF);
    const int32_t y = static_cast<int32_t>((entry >> 16) & 0xFF);
    const uint64_t signs = w.Acc << length;
    PutSpectrumInt(dst + 2 * i, SignedBy(x, signs));
    PutSpectrumInt(dst + 2 * i + 1, SignedBy(y, signs << ((x + 15) >> 4)));  // skip x's sign
    ConsumeWide(w, length + static_cast<int32_t>(entry & 3));
  }
  return w;
}

// Tables 16..31: a value of 15 is followed by linbits extra bits, then its sign. Pairs without
// an escape leave the window in one step, as in DecodePairs.
TWideBits DecodeLinbitsPairs(TWideBits w, float* dst, int32_t pairs, const uint32_t* table, int32_t linbits) {
  const int32_t firstWidth = static_cast<int32_t>(table[0] & 0xFF);
  for (int32_t i = 0; i < pairs; ++i) {
    RefillWide(w, kLinbitsPairBits);
    const uint32_t entry = FindLeaf(w, table, firstWidth);
    const int32_t length = static_cast<int32_t>(entry >> 24);
    int32_t x = static_cast<int32_t>((entry >> 8) & 0xFF);
    int32_t y = static_cast<int32_t>((entry >> 16) & 0xFF);
    if (x != 15 && y != 15) {
      const uint64_t signs = w.Acc << length;
      PutSpectrumInt(dst + 2 * i, SignedBy(x, signs));
      PutSpectrumInt(dst + 2 * i + 1, SignedBy(y, signs << ((x + 15) >> 4)));
      ConsumeWide(w, length + static_cast<int32_t>(entry & 3));
      continue;
    }
    ConsumeWide(w, length);
    if (x == 15) x += static_cast<int32_t>(TakeWide(w, linbits));
    x = WithSign(w, x);
    if (y == 15) y += static_cast<int32_t>(TakeWide(w, linbits));
    PutSpectrumInt(dst + 2 * i, x);
    PutSpectrumInt(dst + 2 * i + 1, WithSign(w, y));
  }
  return w;
}

// The four values of a count1 quadruple by (value vwxy, its sign bits as read): count1 values
// are 0 or 1, so the whole quadruple is one lookup.
struct TQuadruples {
  int8_t Values[16][16][4];
  int8_t Nonzero[16];
};
constexpr TQuadruples MakeQuadruples() {
  TQuadruples q{};
  for (int value = 0; value < 16; ++value) {
    const int nonzero = (value & 1) + (value >> 1 & 1) + (value >> 2 & 1) + (value >> 3 & 1);
    q.Nonzero[value] = static_cast<int8_t>(nonzero);
    for (int signs = 0; signs < (1 << nonzero); ++signs) {
      int next = nonzero;
      for (int k = 0; k < 4; ++k) {
        if ((value >> (3 - k)) & 1) {
          --next;
          q.Values[value][signs][k] = static_cast<int8_t>((signs >> next) & 1 ? -1 : 1);
        }
      }
    }
  }
  return q;
}
constexpr TQuadruples kQuadruples = MakeQuadruples();

}  // namespace

bool Layer3PartOverrun(const TMPBitReader& r) {
  return BitPosition(r) > static_cast<int32_t>(r.End - r.Start) * 8;
}

void DecodeBigValues(TMPBitReader& bits, float* dst, int32_t lines, int32_t table) {
  if (lines <= 0) return;
  const int32_t pairs = lines / 2;
  const TMPHuffTable& h = Layer3HuffTables[table & 31];
  if (h.Kind == hkZero) {
    std::memset(dst, 0, sizeof(float) * 2 * static_cast<size_t>(pairs));
    return;
  }
  const TWideBits w = WidenBits(bits);
  NarrowBits(h.Kind == hkLinbits ? DecodeLinbitsPairs(w, dst, pairs, h.Lookup, h.Linbits)
                                 : DecodePairs(w, dst, pairs, h.Lookup),
             bits);
}

namespace {

struct TCount1Result {
  TWideBits Bits;
  int32_t Decoded;  // quadruples read
  int32_t BitsLeft;
  int32_t Last;  // last nonzero quadruple, -1 if none
  int32_t LastValue;
};

template <bool TableB>
TCount1Result DecodeQuadruples(TWideBits w, float* dst, int32_t quadruples, int32_t bitsLeft) {
  int32_t last = -1;
  int32_t lastValue = 15;
  int32_t i = 0;
  // The budget test before each quadruple keeps the reader within 10 bits of the part's end,
  // well inside the owner's margin: count1 decoding never runs past End.
  for (; i < quadruples; ++i) {
    RefillWide(w, kQuadrupleBits);
    int32_t value;
    if constexpr (!TableB) {
      if (bitsLeft <= 0) break;
      const uint8_t* code = Layer3Count1TableA[PeekWide(w, 6)];
      ConsumeWide(w, code[0]);
      bitsLeft -= code[0];
      value = code[1];
    } else {
      if (bitsLeft < 4) break;
      bitsLeft -= 4;
      value = static_cast<int32_t>(TakeWide(w, 4) ^ 15);
    }
    const int32_t nonzero = kQuadruples.Nonzero[value];
    const uint32_t signs = nonzero ? TakeWide(w, nonzero) : 0u;
    bitsLeft -= nonzero;
    const int8_t* values = kQuadruples.Values[value][signs];
    for (int32_t k = 0; k < 4; ++k) PutSpectrumInt(dst + 4 * i + k, values[k]);
    if (value) {
      last = i;
      lastValue = value;
    }
  }
  return {w, i, bitsLeft, last, lastValue};
}

}  // namespace

int32_t DecodeCount1(TMPBitReader& bits, float* dst, int32_t maxLines, int32_t bitsLeft, int32_t select) {
  const TWideBits w = WidenBits(bits);
  const int32_t quadruples = maxLines >> 2;
  const TCount1Result r = select ? DecodeQuadruples<true>(w, dst, quadruples, bitsLeft)
                                 : DecodeQuadruples<false>(w, dst, quadruples, bitsLeft);
  NarrowBits(r.Bits, bits);
  // The last quadruple read bits of the next part: it is not data of this one.
  if (r.BitsLeft < 0 && r.Decoded > 0) std::memset(dst + 4 * (r.Decoded - 1), 0, 4 * sizeof(float));
  return (r.Last + 1) * 4 - ((r.LastValue & 3) == 0 ? 2 : 0);
}
