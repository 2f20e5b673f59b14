// Big-value and count1 Huffman decoding through the static lookup tables, each value stored
// requantised as soon as it is known.
#include "layer3_huffman.h"

#include <bit>
#include <cstring>

#include "layer3_standard_tables.h"
#include "layer3_state.h"
#include "layer3_tables.h"
#include "mp_bit_reader.h"
#include "simd_lanes_plain.h"

namespace {

// The decoding loops read the main data through a 64-bit window (TWideBits): one refill per
// pair or quadruple covers every bit it can need. Bits one pair can take: a code (at most 19
// bits) and two sign bits; an escape pair refills once more for its two linbits fields (up to
// 13 bits each) and signs. A count1 quadruple takes at most 10.
constexpr int32_t kPairBits = 21;
constexpr int32_t kEscapeBits = 28;
constexpr int32_t kQuadrupleBits = 10;
constexpr uint32_t kEscapeLeaf = 1u << 16;

// The signed values of a leaf (the tables store them as bytes).
inline int32_t LeafX(uint32_t entry) { return static_cast<int8_t>(entry & 0xFF); }
inline int32_t LeafY(uint32_t entry) { return static_cast<int8_t>((entry >> 8) & 0xFF); }

// One value of an escape pair as v * |v|^(1/3): a 15 is followed by linbits extra bits, and a
// nonzero value by its sign bit, which goes into the float as a bit (a branch on it would be a
// coin toss).
inline float EscapeValue(TWideBits& w, uint32_t value, int32_t linbits) {
  if (value == 15) value += TakeWide(w, linbits);
  const uint32_t nonzero = value != 0;
  const uint32_t sign = static_cast<uint32_t>(w.Acc >> 63) & nonzero;
  ConsumeWide(w, static_cast<int32_t>(nonzero));
  return std::bit_cast<float>(std::bit_cast<uint32_t>(Layer3Tables.PowerLarge[value]) | sign << 31);
}

// Resolves one code: one peek and one load for codes within the first level, one more of each
// per sub-table below it. Returns the leaf entry; the bits of the nodes passed are consumed,
// the leaf's own code length is left to the caller.
// Width is the first level's width when it is a constant (a shift by an immediate in the hot
// loop), 0 to read it from the table.
template <int32_t Width>
inline uint32_t FindLeaf(TWideBits& w, const uint32_t* table) {
  int32_t width = Width > 0 ? Width : static_cast<int32_t>(table[0] & 0xFF);
  uint32_t entry = table[1 + PeekWide64(w, width)];
  while ((entry >> 24) == 0) {
    ConsumeWide(w, width);
    table += entry;
    width = static_cast<int32_t>(table[0] & 0xFF);
    entry = table[1 + PeekWide64(w, width)];
  }
  return entry;
}

// Tables without linbits: the leaf holds the signed pair and the length of code and signs, so
// the pair leaves the window in one step (the loop's critical path).
// The values are requantised off that path, while the next code is looked up.
// Where line i goes: dst + i, or dst + order[i] for short blocks stored windows interleaved.
template <bool Scatter>
struct TLinePlace {
  float* Dst;
  const int16_t* Order;
  float& operator[](int32_t i) const {
    if constexpr (Scatter) return Dst[Order[i]];
    return Dst[i];
  }
  void Advance(int32_t n) {
    if constexpr (Scatter)
      Order += n;
    else
      Dst += n;
  }
  int32_t Since(const TLinePlace& base) const {
    if constexpr (Scatter) return static_cast<int32_t>(Order - base.Order);
    return static_cast<int32_t>(Dst - base.Dst);
  }
};

// Zeroes lines from..to-1 of a call.
void ClearPlaced(float* dst, const int16_t* order, int32_t from, int32_t to) {
  for (int32_t i = from; i < to; ++i) (order ? dst[order[i]] : dst[i]) = 0.0f;
}

template <int32_t Width, bool Scatter>
TWideBits DecodePairs(TWideBits w, TLinePlace<Scatter> dst, const float* factors, int32_t pairs,
                      const uint32_t* table) {
  const float* power = Layer3Tables.Power + 32;
  for (int32_t i = 0; i < pairs; ++i) {
    RefillWide(w, kPairBits);
    const uint32_t entry = FindLeaf<Width>(w, table);
    dst[2 * i] = factors[2 * i] * power[LeafX(entry)];
    dst[2 * i + 1] = factors[2 * i + 1] * power[LeafY(entry)];
    ConsumeWide(w, static_cast<int32_t>(entry >> 24));
  }
  return w;
}

// Tables 16..31: a value of 15 is followed by linbits extra bits, then its sign, so such pairs
// are escape leaves read field by field. Other pairs go as in DecodePairs.
template <int32_t Width, bool Scatter>
TWideBits DecodeLinbitsPairs(TWideBits w, TLinePlace<Scatter> dst, const float* factors, int32_t pairs,
                             const uint32_t* table, int32_t linbits) {
  const float* power = Layer3Tables.Power + 32;
  for (int32_t i = 0; i < pairs; ++i) {
    RefillWide(w, kPairBits);
    const uint32_t entry = FindLeaf<Width>(w, table);
    const int32_t length = static_cast<int32_t>(entry >> 24);
    if ((entry & kEscapeLeaf) == 0) {
      dst[2 * i] = factors[2 * i] * power[LeafX(entry)];
      dst[2 * i + 1] = factors[2 * i + 1] * power[LeafY(entry)];
      ConsumeWide(w, length);
      continue;
    }
    ConsumeWide(w, length);
    RefillWide(w, kEscapeBits);
    const float x = EscapeValue(w, entry & 0xFF, linbits);
    const float y = EscapeValue(w, (entry >> 8) & 0xFF, linbits);
    dst[2 * i] = factors[2 * i] * x;
    dst[2 * i + 1] = factors[2 * i + 1] * y;
  }
  return w;
}

// The four values of a count1 quadruple by value vwxy << 4 | its sign bits as read: count1
// values are 0 or 1, so the requantised quadruple is one product by its factors.
struct TQuadruples {
  alignas(16) float Values[256][4];
};
constexpr TQuadruples MakeQuadruples() {
  TQuadruples q{};
  for (int value = 0; value < 16; ++value) {
    const int nonzero = (value & 1) + (value >> 1 & 1) + (value >> 2 & 1) + (value >> 3 & 1);
    for (int signs = 0; signs < (1 << nonzero); ++signs) {
      int next = nonzero;
      for (int k = 0; k < 4; ++k) {
        if ((value >> (3 - k)) & 1) {
          --next;
          q.Values[value << 4 | signs][k] = (signs >> next) & 1 ? -1.0f : 1.0f;
        }
      }
    }
  }
  return q;
}
constexpr TQuadruples kQuadruples = MakeQuadruples();

// The first-level widths the generator uses get loops of their own; any other width works too.
template <bool Scatter>
TWideBits DecodeRun(const TMPHuffTable& h, TWideBits w, TLinePlace<Scatter> dst, const float* factors,
                    int32_t pairs) {
  const uint32_t width = h.Lookup[0] & 0xFF;
  if (h.Kind == hkLinbits) {
    return width == 10 ? DecodeLinbitsPairs<10, Scatter>(w, dst, factors, pairs, h.Lookup, h.Linbits)
                       : DecodeLinbitsPairs<0, Scatter>(w, dst, factors, pairs, h.Lookup, h.Linbits);
  }
  switch (width) {
    case 5:
      return DecodePairs<5, Scatter>(w, dst, factors, pairs, h.Lookup);
    case 8:
      return DecodePairs<8, Scatter>(w, dst, factors, pairs, h.Lookup);
    case 9:
      return DecodePairs<9, Scatter>(w, dst, factors, pairs, h.Lookup);
    case 10:
      return DecodePairs<10, Scatter>(w, dst, factors, pairs, h.Lookup);
    default:
      return DecodePairs<0, Scatter>(w, dst, factors, pairs, h.Lookup);
  }
}

}  // namespace

bool Layer3PartOverrun(const TMPBitReader& r) {
  return BitPosition(r) > static_cast<int32_t>(r.End - r.Start) * 8;
}

void DecodeBigValues(TMPBitReader& bits, float* dst, const float* factors, int32_t lines, int32_t table,
                     const int16_t* order) {
  if (lines <= 0) return;
  const int32_t pairs = lines / 2;
  const TMPHuffTable& h = Layer3HuffTables[table & 31];
  if (h.Kind == hkZero) {
    ClearPlaced(dst, order, 0, 2 * pairs);
    return;
  }
  const TWideBits w = WidenBits(bits);
  NarrowBits(order ? DecodeRun<true>(h, w, {dst, order}, factors, pairs)
                   : DecodeRun<false>(h, w, {dst, nullptr}, factors, pairs),
             bits);
}

namespace {

struct TCount1Result {
  TWideBits Bits;
  int32_t Decoded;  // quadruples read
  int32_t BitsLeft;
  int32_t Lines;  // up to the last nonzero value, rounded up to a pair
};

template <bool Scatter>
inline bool PairIsZero(TLinePlace<Scatter> dst, int32_t i) {
  return (GetSpectrumInt(&dst[i]) | GetSpectrumInt(&dst[i + 1])) == 0;
}

template <bool TableB, bool Scatter>
TCount1Result DecodeQuadruples(TWideBits w, TLinePlace<Scatter> dst, const float* factors, int32_t quadruples,
                               int32_t bitsLeft) {
  TLinePlace<Scatter> at = dst;
  const float* const end = factors + 4 * quadruples;
  // The budget test before each quadruple keeps the reader within 10 bits of the part's end,
  // well inside the owner's margin: count1 decoding never runs past End.
  for (; factors != end; at.Advance(4), factors += 4) {
    RefillWide(w, kQuadrupleBits);
    uint32_t code;
    if constexpr (!TableB) {
      if (bitsLeft <= 0) break;
      code = Layer3Count1A[PeekWide(w, 10)];
    } else {
      if (bitsLeft < 4) break;
      code = Layer3Count1B[PeekWide(w, 8)];
    }
    const int32_t length = static_cast<int32_t>(code >> 8);
    ConsumeWide(w, length);
    bitsLeft -= length;
    const uint32_t pattern = code & 0xFF;
    const TPlainLane4 signs = TPlainLane4::Load(kQuadruples.Values[pattern]);
    const TPlainLane4 values{TPlainLane4::Load(factors).v * signs.v};
    if constexpr (Scatter) {
      for (int32_t k = 0; k < 4; ++k) at[k] = values.v[k];
    } else {
      values.Store(at.Dst);
    }
  }
  const int32_t q = at.Since(dst) >> 2;
  // The last nonzero quadruple is looked for afterwards (usually the last one read), which keeps
  // that bookkeeping out of the loop.
  int32_t last = q - 1;
  while (last >= 0 && PairIsZero(dst, 4 * last) && PairIsZero(dst, 4 * last + 2)) --last;
  const int32_t lines = last < 0 ? 0 : 4 * (last + 1) - (PairIsZero(dst, 4 * last + 2) ? 2 : 0);
  return {w, q, bitsLeft, lines};
}

}  // namespace

int32_t DecodeCount1(TMPBitReader& bits, float* dst, const float* factors, int32_t maxLines, int32_t bitsLeft,
                     int32_t select, const int16_t* order) {
  const TWideBits w = WidenBits(bits);
  const int32_t quadruples = maxLines >> 2;
  TCount1Result r;
  if (order) {
    r = select ? DecodeQuadruples<true, true>(w, {dst, order}, factors, quadruples, bitsLeft)
               : DecodeQuadruples<false, true>(w, {dst, order}, factors, quadruples, bitsLeft);
  } else {
    r = select ? DecodeQuadruples<true, false>(w, {dst, nullptr}, factors, quadruples, bitsLeft)
               : DecodeQuadruples<false, false>(w, {dst, nullptr}, factors, quadruples, bitsLeft);
  }
  NarrowBits(r.Bits, bits);
  // The last quadruple read bits of the next part: it is not data of this one.
  if (r.BitsLeft < 0 && r.Decoded > 0) ClearPlaced(dst, order, 4 * (r.Decoded - 1), 4 * r.Decoded);
  return r.Lines;
}
