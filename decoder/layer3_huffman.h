// Huffman decoding of one granule-channel part of the Layer III main data: the big-value pairs
// and the count1 quadruples, read from MainDataBits.
#pragma once

#include <cstdint>

// Decodes lines / 2 pairs with code table `table` (TableSelect) into dst as int32 values. Stops
// after the pair during which the reader's Cur passed its End.
void DecodeBigValues(float* dst, int32_t lines, int32_t table);

// Decodes quadruples into dst while lines (maxLines, rounded down to quadruples) and the part's
// remaining bits (bitsLeft) allow. Returns the lines up to the last nonzero value, rounded up to
// a pair. A quadruple that overspent the bit budget is zeroed again.
int32_t DecodeCount1(float* dst, int32_t maxLines, int32_t bitsLeft, int32_t select);
