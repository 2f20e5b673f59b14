// Huffman decoding of one granule-channel part of the Layer III main data: the big-value pairs
// and the count1 quadruples, read from the state's main-data reader and stored requantised:
// value v of line i becomes factors[i] * v * |v|^(1/3).
#pragma once

#include <cstdint>

#include "mp_bit_reader.h"

// True when the reader has consumed bits past its End (the part's last bit plus the margin the
// owner allows): the part's data cannot be trusted.
bool Layer3PartOverrun(const TMPBitReader& r);

// Line i of a call goes to dst[i], or to dst[order[i]] when order is given (short blocks stored
// with their windows interleaved).

// Decodes lines / 2 pairs with code table `table` (TableSelect) into dst. A part whose codes run
// past the reader's End is noticed afterwards (Layer3PartOverrun): the reader never leaves its
// Limit, and the caller discards the part.
void DecodeBigValues(TMPBitReader& bits, float* dst, const float* factors, int32_t lines, int32_t table,
                     const int16_t* order = nullptr);

// Decodes quadruples into dst while lines (maxLines, rounded down to quadruples) and the part's
// remaining bits (bitsLeft) allow. Returns the lines up to the last nonzero value, rounded up to
// a pair. A quadruple that overspent the bit budget is zeroed again.
int32_t DecodeCount1(TMPBitReader& bits, float* dst, const float* factors, int32_t maxLines, int32_t bitsLeft,
                     int32_t select, const int16_t* order = nullptr);
