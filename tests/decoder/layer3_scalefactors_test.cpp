// Layer III scalefactors: which bands each form reads with which length, sharing between the
// granules of an MPEG-1 frame, and the MPEG-2/2.5 packed lengths with their intensity variant.
#include <gtest/gtest.h>

#include <vector>

#include "bit_writer.h"
#include "layer3_scalefactors.h"
#include "layer3_state.h"
#include "mp_bit_reader.h"

namespace {

// The reader the decoding routines are given, as a decoder state gives its own.
TMPBitReader MainBits{};

// One expected scalefactor: long band (window -1) or short band of a window, and its length.
struct TSlot {
  int32_t Window;
  int32_t Band;
  int32_t Bits;
};

// Long bands [first, first + count) with `bits`, or short bands with windows 0..2 inside each.
void AddLong(std::vector<TSlot>& slots, int32_t first, int32_t count, int32_t bits) {
  for (int32_t b = first; b < first + count; ++b) slots.push_back({-1, b, bits});
}
void AddShort(std::vector<TSlot>& slots, int32_t first, int32_t count, int32_t bits) {
  for (int32_t b = first; b < first + count; ++b)
    for (int32_t w = 0; w < 3; ++w) slots.push_back({w, b, bits});
}

int32_t& At(TMPScaleFactors& sf, const TSlot& s) {
  return s.Window < 0 ? sf.Long[s.Band] : sf.Short[s.Window][s.Band];
}

// Writes distinct values for the slots (as many bits as each has), starts MainBits there.
std::vector<uint8_t> WriteSlots(const std::vector<TSlot>& slots, int32_t& totalBits) {
  TBitWriter w;
  totalBits = 0;
  for (size_t i = 0; i < slots.size(); ++i) {
    if (slots[i].Bits == 0) continue;
    w.Put(static_cast<uint32_t>((i * 7 + 3) & ((1u << slots[i].Bits) - 1)), slots[i].Bits);
    totalBits += slots[i].Bits;
  }
  return w.Finish(w.BitCount() / 8 + 8);
}

void ExpectSlots(TMPScaleFactors& sf, const std::vector<TSlot>& slots, int32_t totalBits) {
  EXPECT_EQ(BitPosition(MainBits), totalBits);
  for (size_t i = 0; i < slots.size(); ++i) {
    const int32_t expected =
        slots[i].Bits ? static_cast<int32_t>((i * 7 + 3) & ((1u << slots[i].Bits) - 1)) : 0;
    EXPECT_EQ(At(sf, slots[i]), expected)
        << "slot " << i << " window " << slots[i].Window << " band " << slots[i].Band;
  }
}

TMPScaleFactors Filled(int32_t value) {
  TMPScaleFactors sf;
  for (int32_t& v : sf.Long) v = value;
  for (auto& w : sf.Short)
    for (int32_t& v : w) v = value;
  return sf;
}

TEST(Layer3ScaleFactors, Mpeg1FormsReadTheirBands) {
  struct TCase {
    int32_t BlockType, Mixed, Compress;
  };
  // Compress 15 = (4, 3) bits, 4 = (3, 0), 0 = (0, 0).
  for (const TCase c : {TCase{0, 0, 15}, TCase{2, 0, 15}, TCase{2, 1, 15}, TCase{0, 0, 4}, TCase{2, 1, 0}}) {
    SCOPED_TRACE(testing::Message() << "type " << c.BlockType << " mixed " << c.Mixed << " compress "
                                    << c.Compress);
    const int32_t slen1 = c.Compress == 15 ? 4 : c.Compress == 4 ? 3 : 0;
    const int32_t slen2 = c.Compress == 15 ? 3 : 0;
    std::vector<TSlot> slots;
    if (c.BlockType != 2) {
      AddLong(slots, 0, 11, slen1);
      AddLong(slots, 11, 10, slen2);
    } else if (c.Mixed) {
      AddLong(slots, 0, 8, slen1);
      AddShort(slots, 3, 3, slen1);
      AddShort(slots, 6, 6, slen2);
    } else {
      AddShort(slots, 0, 6, slen1);
      AddShort(slots, 6, 6, slen2);
    }
    int32_t bits;
    const auto bytes = WriteSlots(slots, bits);
    ResetBits(MainBits, bytes.data(), bytes.data() + bytes.size());
    TMPGranuleInfo gi{};
    gi.BlockType = c.BlockType;
    gi.MixedBlock = c.Mixed;
    gi.ScalefacCompress = c.Compress;
    TMPScaleFactors sf = Filled(99);
    ReadScaleFactorsMpeg1(MainBits, sf, Filled(50), gi, 0, 0);
    ExpectSlots(sf, slots, bits);
  }
}

TEST(Layer3ScaleFactors, Mpeg1GranuleOneSharesGroupsByScfsi) {
  TMPGranuleInfo gi{};
  gi.ScalefacCompress = 15;
  TMPScaleFactors granule0 = Filled(0);
  for (int32_t b = 0; b < 21; ++b) granule0.Long[b] = 20 + b;
  // Scfsi 15: nothing is read, all 21 values come from granule 0.
  const std::vector<uint8_t> bytes(32, 0xFF);
  ResetBits(MainBits, bytes.data(), bytes.data() + bytes.size());
  TMPScaleFactors sf = Filled(99);
  ReadScaleFactorsMpeg1(MainBits, sf, granule0, gi, 15, 1);
  EXPECT_EQ(BitPosition(MainBits), 0);
  for (int32_t b = 0; b < 21; ++b) EXPECT_EQ(sf.Long[b], 20 + b);
  // Scfsi 0b1010: groups 0 and 2 shared, 1 (slen1) and 3 (slen2) read.
  std::vector<TSlot> slots;
  AddLong(slots, 6, 5, 4);
  AddLong(slots, 16, 5, 3);
  int32_t bits;
  const auto data = WriteSlots(slots, bits);
  ResetBits(MainBits, data.data(), data.data() + data.size());
  sf = Filled(99);
  ReadScaleFactorsMpeg1(MainBits, sf, granule0, gi, 0b1010, 1);
  ExpectSlots(sf, slots, bits);
  for (int32_t b : {0, 5, 11, 15}) EXPECT_EQ(sf.Long[b], 20 + b);
  // Short blocks in granule 1 ignore Scfsi.
  gi.BlockType = 2;
  slots.clear();
  AddShort(slots, 0, 6, 4);
  AddShort(slots, 6, 6, 3);
  const auto shortData = WriteSlots(slots, bits);
  ResetBits(MainBits, shortData.data(), shortData.data() + shortData.size());
  sf = Filled(99);
  ReadScaleFactorsMpeg1(MainBits, sf, granule0, gi, 15, 1);
  ExpectSlots(sf, slots, bits);
}

struct TLsfCase {
  const char* Name;
  int32_t Compress;
  bool RightIntensity;
  int32_t BlockType, Mixed;
  std::vector<int32_t> Slen;    // per group
  std::vector<int32_t> Groups;  // bands per group (mixed: six long, then short from 3)
  int32_t Preflag;
};

class LsfScaleFactors : public testing::TestWithParam<TLsfCase> {};

TEST_P(LsfScaleFactors, ReadTheRowsGroups) {
  const TLsfCase& c = GetParam();
  std::vector<TSlot> slots;
  int32_t band = 0;
  for (size_t g = 0; g < c.Groups.size(); ++g) {
    if (c.BlockType != 2) {
      AddLong(slots, band, c.Groups[g], c.Slen[g]);
    } else if (c.Mixed && g == 0) {
      AddLong(slots, 0, c.Groups[g], c.Slen[g]);
      band = 3 - c.Groups[g];
    } else {
      AddShort(slots, band, c.Groups[g], c.Slen[g]);
    }
    band += c.Groups[g];
  }
  int32_t bits;
  const auto bytes = WriteSlots(slots, bits);
  ResetBits(MainBits, bytes.data(), bytes.data() + bytes.size());
  TMPGranuleInfo gi{};
  gi.BlockType = c.BlockType;
  gi.MixedBlock = c.Mixed;
  gi.ScalefacCompress = c.Compress;
  gi.Preflag = 1 - c.Preflag;
  TMPLsfIntensity lsf{};
  TMPScaleFactors sf = Filled(99);
  ReadScaleFactorsLsf(MainBits, sf, gi, c.RightIntensity, lsf);
  ExpectSlots(sf, slots, bits);
  EXPECT_EQ(gi.Preflag, c.Preflag);
  if (c.RightIntensity) {
    EXPECT_EQ(lsf.IntensityScale, c.Compress & 1);
    for (int32_t g = 0; g < 3; ++g) {
      EXPECT_EQ(lsf.GroupSlen[g], c.Slen[g]) << g;
      EXPECT_EQ(lsf.GroupBands[g], c.Groups[g]) << g;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Layer3ScaleFactors, LsfScaleFactors,
    testing::Values(
        // 0..399: ((c >> 4) / 5, (c >> 4) % 5, (c >> 2) & 3, c & 3); 383 = 0b101111111
        TLsfCase{"Row0Long", 383, false, 0, 0, {4, 3, 3, 3}, {6, 5, 5, 5}, 0},
        TLsfCase{"Row0Short", 383, false, 2, 0, {4, 3, 3, 3}, {3, 3, 3, 3}, 0},
        TLsfCase{"Row1Long", 400 + 79, false, 0, 0, {3, 4, 3, 0}, {6, 5, 7, 3}, 0},
        TLsfCase{"Row2Long", 511, false, 0, 0, {3, 2, 0, 0}, {11, 10, 0, 0}, 1},
        // Mixed row 2: six long bands and short 3..5 with the first length, 6..11 the second.
        TLsfCase{"Row2Mixed", 511, false, 2, 1, {3, 3, 2, 0}, {6, 3, 6, 0}, 1},
        TLsfCase{"Row3MixedIntensity", 2 * 179 + 1, true, 2, 1, {4, 5, 5, 0}, {6, 5, 4, 0}, 0},
        TLsfCase{"Row4Intensity", 2 * (180 + 63), true, 0, 0, {3, 3, 3, 0}, {6, 6, 6, 3}, 0},
        TLsfCase{"Row5Intensity511", 511, true, 0, 0, {3, 2, 0, 0}, {8, 8, 5, 0}, 0},
        TLsfCase{"Row5ShortIntensity", 511, true, 2, 0, {3, 2, 0, 0}, {5, 4, 3, 0}, 0}),
    [](const testing::TestParamInfo<TLsfCase>& param) { return std::string(param.param.Name); });

}  // namespace
