// Test helper: Layer I and Layer II frames written field by field, as an encoder lays them out.
#pragma once

#include <cstdint>
#include <vector>

#include "bit_writer.h"

// The four header bytes. layer: 1 or 2; id: 1 MPEG-1, 0 MPEG-2; crc adds the 16 CRC bits.
inline void PutHeader(TBitWriter& w, int32_t layer, int32_t id, int32_t bitrateIndex, int32_t samplingIndex,
                      int32_t padding, int32_t mode, int32_t modeExtension, bool crc) {
  w.Put(0xFFF, 12);
  w.Put(static_cast<uint32_t>(id), 1);
  w.Put(static_cast<uint32_t>(4 - layer), 2);
  w.Put(crc ? 0 : 1, 1);
  w.Put(static_cast<uint32_t>(bitrateIndex), 4);
  w.Put(static_cast<uint32_t>(samplingIndex), 2);
  w.Put(static_cast<uint32_t>(padding), 1);
  w.Put(0, 1);
  w.Put(static_cast<uint32_t>(mode), 2);
  w.Put(static_cast<uint32_t>(modeExtension), 2);
  w.Put(0, 4);
  if (crc) w.Put(0xBEEF, 16);
}

// A Layer I frame, MPEG-1 at 44100 Hz and 384 kbit/s (416 bytes, 420 with padding).
// allocation[ch][sb] (0..14), scalefactor[ch][sb], sample[slot][ch][sb] (raw codes); for
// sub-bands at or above the joint-stereo bound only channel 0's allocation and samples are sent.
struct TLayer1Content {
  int32_t Channels = 2;
  int32_t Mode = 0;
  int32_t ModeExtension = 0;
  int32_t Bound = 32;  // in sub-bands
  int32_t Padding = 0;
  int32_t Allocation[2][32] = {};
  int32_t Scalefactor[2][32] = {};
  uint32_t Sample[12][2][32] = {};
};

inline std::vector<uint8_t> Layer1Frame(const TLayer1Content& c) {
  TBitWriter w;
  PutHeader(w, 1, 1, 12, 0, c.Padding, c.Mode, c.ModeExtension, false);
  for (int32_t sb = 0; sb < 32; ++sb) {
    for (int32_t ch = 0; ch < (sb < c.Bound ? c.Channels : 1); ++ch)
      w.Put(static_cast<uint32_t>(c.Allocation[ch][sb]), 4);
  }
  auto allocation = [&c](int32_t ch, int32_t sb) { return c.Allocation[sb < c.Bound ? ch : 0][sb]; };
  for (int32_t sb = 0; sb < 32; ++sb) {
    for (int32_t ch = 0; ch < c.Channels; ++ch) {
      if (allocation(ch, sb)) w.Put(static_cast<uint32_t>(c.Scalefactor[ch][sb]), 6);
    }
  }
  for (int32_t slot = 0; slot < 12; ++slot) {
    for (int32_t sb = 0; sb < 32; ++sb) {
      for (int32_t ch = 0; ch < (sb < c.Bound ? c.Channels : 1); ++ch) {
        const int32_t a = c.Allocation[ch][sb];
        if (a) w.Put(c.Sample[slot][ch][sb], a + 1);
      }
    }
  }
  return w.Finish(416 + 4 * c.Padding);
}

// A Layer II frame of an allocation table described by its field widths per sub-band.
// Classes are given per entry as bits per code word and grouping; code[granule][ch][sb][i].
struct TLayer2Content {
  int32_t Id = 1;
  int32_t BitrateIndex = 10;
  int32_t SamplingIndex = 0;
  int32_t Channels = 2;
  int32_t Mode = 0;
  int32_t ModeExtension = 0;
  int32_t Bound = 32;  // in sub-bands
  bool Crc = false;
  int32_t Subbands = 0;
  int32_t FieldBits[32] = {};
  int32_t Allocation[2][32] = {};
  int32_t Scfsi[2][32] = {};
  int32_t Scalefactor[2][32][3] = {};
  int32_t CodeBits[2][32] = {};
  bool Grouped[2][32] = {};
  uint32_t Code[12][2][32][3] = {};
  size_t Bytes = 626;  // 192 kbit/s at 44100 Hz
};

// Field widths of table 3-B.2b (30 sub-bands) and 3-B.2c (8 sub-bands).
inline void UseTableB2b(TLayer2Content& c) {
  c.Subbands = 30;
  for (int32_t sb = 0; sb < 30; ++sb) c.FieldBits[sb] = sb < 11 ? 4 : (sb < 23 ? 3 : 2);
}
inline void UseTableB2c(TLayer2Content& c) {
  c.Subbands = 8;
  for (int32_t sb = 0; sb < 8; ++sb) c.FieldBits[sb] = sb < 2 ? 4 : 3;
}

inline std::vector<uint8_t> Layer2Frame(const TLayer2Content& c) {
  TBitWriter w;
  PutHeader(w, 2, c.Id, c.BitrateIndex, c.SamplingIndex, 0, c.Mode, c.ModeExtension, c.Crc);
  auto sent = [&c](int32_t sb) { return sb < c.Bound ? c.Channels : 1; };
  auto allocation = [&c](int32_t ch, int32_t sb) { return c.Allocation[sb < c.Bound ? ch : 0][sb]; };
  for (int32_t sb = 0; sb < c.Subbands; ++sb) {
    for (int32_t ch = 0; ch < sent(sb); ++ch)
      w.Put(static_cast<uint32_t>(c.Allocation[ch][sb]), c.FieldBits[sb]);
  }
  for (int32_t sb = 0; sb < c.Subbands; ++sb) {
    for (int32_t ch = 0; ch < c.Channels; ++ch) {
      if (allocation(ch, sb)) w.Put(static_cast<uint32_t>(c.Scfsi[ch][sb]), 2);
    }
  }
  for (int32_t sb = 0; sb < c.Subbands; ++sb) {
    for (int32_t ch = 0; ch < c.Channels; ++ch) {
      if (!allocation(ch, sb)) continue;
      const int32_t* sf = c.Scalefactor[ch][sb];
      static const int32_t sentParts[4][3] = {{0, 1, 2}, {0, 2, -1}, {0, -1, -1}, {0, 1, -1}};
      for (int32_t part : sentParts[c.Scfsi[ch][sb]]) {
        if (part >= 0) w.Put(static_cast<uint32_t>(sf[part]), 6);
      }
    }
  }
  for (int32_t granule = 0; granule < 12; ++granule) {
    for (int32_t sb = 0; sb < c.Subbands; ++sb) {
      for (int32_t ch = 0; ch < sent(sb); ++ch) {
        if (!c.Allocation[ch][sb]) continue;
        const uint32_t* code = c.Code[granule][ch][sb];
        for (int32_t i = 0; i < (c.Grouped[ch][sb] ? 1 : 3); ++i) w.Put(code[i], c.CodeBits[ch][sb]);
      }
    }
  }
  return w.Finish(c.Bytes);
}
