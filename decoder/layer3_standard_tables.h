// Layer III tables of the MPEG audio standards, generated into static data by
// decoder/tables/gen_layer3_tables.py (layer3_huffman_data.cpp, layer3_band_data.cpp).
#pragma once

#include <cstdint>

// Kinds of Huffman code table.
enum : int32_t {
  hkZero = 0,     // every value is zero; no bits are read
  hkSingle = 1,   // one lookup resolves every code
  hkMulti = 2,    // lookups chain through sub-tables
  hkLinbits = 3,  // multi-level, and a value of 15 is followed by Linbits extra bits
};

// One big-value code table. Lookup points at a table header: width | 0xFF << 24, followed by
// 2^width entries indexed by the next `width` bits of the code and its sign bits. A leaf entry
// is (x & 0xFF) | (y & 0xFF) << 8 | escape << 16 | length << 24 (length >= 1): x and y signed,
// length counting code and signs; an escape leaf (a 15 with linbits) holds x and y unsigned and
// the code's length alone. An entry with length 0 is the offset, in entries, from this table's
// header to the header of the sub-table for that prefix.
struct TMPHuffTable {
  const uint32_t* Lookup;
  int32_t Linbits;
  int32_t Kind;
};

extern const TMPHuffTable Layer3HuffTables[32];  // by TableSelect

// Count1 quadruples with their sign bits: length << 8 | value vwxy << 4 | signs as read, by the
// next 10 bits (table A) or 8 bits (table B).
extern const uint16_t Layer3Count1A[1024];
extern const uint16_t Layer3Count1B[256];

// [set][SamplingIndex]: 23 long band boundaries (0..576), then 14 short ones (0..192).
// Set 1 is MPEG-1, set 0 MPEG-2, set 2 MPEG-2.5.
extern const int32_t Layer3BandBoundaries[3][3][37];

extern const int32_t Layer3Pretab[2][22];           // [Preflag][long band]
extern const int32_t Layer3SlenMpeg1[16][2];        // ScalefacCompress -> (slen1, slen2)
extern const int32_t Layer3LsfGroupBands[6][3][4];  // [row][long, short, mixed][group], in bands
extern const double Layer3AliasCoefficients[8];
