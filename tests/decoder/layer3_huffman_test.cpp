// Layer III tables and Huffman decoding: the generated sources match their generator, every code
// of every big-value table decodes to its pair (with signs and linbits) requantised by its line's
// factor, and the count1 decoder keeps its bit budget and reports the right line count.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "bit_writer.h"
#include "decoder_tables.h"
#include "layer3_huffman.h"
#include "layer3_standard_tables.h"
#include "layer3_state.h"
#include "layer3_test_support.h"
#include "mp_bit_reader.h"

namespace {

// A line order storing line i at n - 1 - i.
std::vector<int16_t> Reversed(size_t n) {
  std::vector<int16_t> order(n);
  for (size_t i = 0; i < n; ++i) order[i] = static_cast<int16_t>(n - 1 - i);
  return order;
}

// The reader the decoding routines are given, as a decoder state gives its own.
TMPBitReader MainBits{};

using layer3_test::ReadFile;
using layer3_test::RepoPath;

// Rows of a source table file, header line skipped.
std::vector<std::vector<std::string>> SourceRows(const std::string& name) {
  std::ifstream in(RepoPath("decoder/tables/source/" + name));
  std::vector<std::vector<std::string>> rows;
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::vector<std::string> row;
    for (std::string f; fields >> f;) row.push_back(f);
    rows.push_back(row);
  }
  return rows;
}

// Line factors that differ from line to line (powers of two, so products stay exact).
std::vector<float> Factors(size_t lines) {
  std::vector<float> f(lines);
  for (size_t i = 0; i < lines; ++i) f[i] = std::ldexp(1.0f, static_cast<int>(i % 7) - 3);
  return f;
}

// The value the decoders store for v on a line with factor f.
float Requantised(int32_t v, float f) {
  return f * static_cast<float>(v * std::cbrt(std::fabs(static_cast<double>(v))));
}

// Points MainBits at the bytes, End at their last bit; the decoders need the power tables.
void StartReading(const std::vector<uint8_t>& bytes) {
  BuildDecoderTables(1);
  ResetBits(MainBits, bytes.data(), bytes.data() + bytes.size());
}

TEST(Layer3Tables, GeneratedSourcesAreWhatTheGeneratorWrites) {
  const auto dir = std::filesystem::temp_directory_path() / ("varo_l3_tables_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string command =
      "python3 " + RepoPath("decoder/tables/gen_layer3_tables.py") + " --out " + dir.string();
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  for (const char* name : {"layer3_huffman_data.cpp", "layer3_band_data.cpp"}) {
    const auto fresh = ReadFile((dir / name).string());
    EXPECT_FALSE(fresh.empty()) << name;
    EXPECT_EQ(fresh, ReadFile(RepoPath(std::string("decoder/") + name))) << name << " is stale";
  }
  std::filesystem::remove_all(dir);
}

// Every code of the standard's list for the table, each followed by its linbits and signs, in
// one stream; decoded pair by pair it must give back every pair and use up exactly the bits.
TEST(Layer3Huffman, EveryCodeOfEveryTableDecodes) {
  const auto pairs = SourceRows("l3_huffman_pairs.txt");
  const auto tables = SourceRows("l3_huffman_tables.txt");
  for (const auto& t : tables) {
    const int32_t table = std::stoi(t[0]);
    const int32_t linbits = std::stoi(t[1]);
    const int32_t codesFrom = std::stoi(t[6]);
    if (codesFrom < 0) continue;
    SCOPED_TRACE("table " + std::to_string(table));
    TBitWriter w;
    std::vector<int32_t> expected;
    int32_t n = 0;
    for (const auto& p : pairs) {
      if (std::stoi(p[0]) != codesFrom) continue;
      for (char bit : p[4]) w.Put(bit == '1', 1);
      for (int32_t k = 0; k < 2; ++k) {
        int32_t v = std::stoi(p[1 + k]);
        if (linbits > 0 && v == 15) {
          // Cover the largest escape as well as ordinary ones.
          const uint32_t extra = n % 5 == 0 ? (1u << linbits) - 1 : (n * 37u) % (1u << linbits);
          w.Put(extra, linbits);
          v += static_cast<int32_t>(extra);
        }
        if (v != 0) {
          const bool negative = (n + k) % 3 == 0;
          w.Put(negative, 1);
          if (negative) v = -v;
        }
        expected.push_back(v);
      }
      ++n;
    }
    const size_t bits = w.BitCount();
    const std::vector<uint8_t> bytes = w.Finish(bits / 8 + 8);
    StartReading(bytes);
    std::vector<float> dst(expected.size());
    const std::vector<float> factors = Factors(expected.size());
    DecodeBigValues(MainBits, dst.data(), factors.data(), static_cast<int32_t>(expected.size()), table);
    EXPECT_EQ(BitPosition(MainBits), static_cast<int32_t>(bits));
    for (size_t i = 0; i < expected.size(); ++i)
      ASSERT_EQ(dst[i], Requantised(expected[i], factors[i])) << "value " << i << " = " << expected[i];
    // Stored through a line order, reversed here: the same values and bits.
    const std::vector<int16_t> order = Reversed(expected.size());
    std::vector<float> placed(expected.size());
    StartReading(bytes);
    DecodeBigValues(MainBits, placed.data(), factors.data(), static_cast<int32_t>(expected.size()), table,
                    order.data());
    EXPECT_EQ(BitPosition(MainBits), static_cast<int32_t>(bits));
    for (size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(placed[order[i]], dst[i]) << i;
  }
}

TEST(Layer3Huffman, AllZeroTablesReadNothing) {
  const std::vector<uint8_t> bytes(16, 0xA5);
  for (int32_t table : {0, 4, 14}) {
    StartReading(bytes);
    std::vector<float> dst(8, 1.0f);
    DecodeBigValues(MainBits, dst.data(), Factors(8).data(), 6, table);
    EXPECT_EQ(BitPosition(MainBits), 0) << table;
    for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(GetSpectrumInt(&dst[i]), 0);
    EXPECT_EQ(dst[6], 1.0f) << "only the pairs asked for are written";
  }
}

TEST(Layer3Huffman, Count1QuadruplesOfBothTables) {
  const auto quads = SourceRows("l3_huffman_quads.txt");
  for (int32_t select = 0; select < 2; ++select) {
    TBitWriter w;
    std::vector<int32_t> expected;
    for (const auto& q : quads) {
      if (std::stoi(q[0]) != select) continue;
      for (char bit : q[7]) w.Put(bit == '1', 1);
      for (int32_t k = 0; k < 4; ++k) {
        const int32_t v = std::stoi(q[2 + k]);
        if (v) w.Put(k & 1, 1);  // windows 1 and 3 negative
        expected.push_back(v && (k & 1) ? -v : v);
      }
    }
    const int32_t bits = static_cast<int32_t>(w.BitCount());
    const auto bytes = w.Finish(static_cast<size_t>(bits) / 8 + 8);
    StartReading(bytes);
    std::vector<float> dst(expected.size() + 8);
    const std::vector<float> factors = Factors(dst.size());
    const int32_t lines =
        DecodeCount1(MainBits, dst.data(), factors.data(), static_cast<int32_t>(dst.size()), bits, select);
    EXPECT_EQ(BitPosition(MainBits), bits) << "table " << select;
    for (size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(dst[i], Requantised(expected[i], factors[i])) << i;
    // The last quadruple of both lists is 1 1 1 1.
    EXPECT_EQ(lines, static_cast<int32_t>(expected.size()));
  }
}

struct TCount1Case {
  const char* Name;
  int32_t Select;
  std::vector<uint32_t> Codes;  // {bits, length} pairs written in order
  int32_t BitsLeft;
  int32_t Lines;
  std::vector<int32_t> Values;  // first values of dst afterwards
};

class Count1Budget : public testing::TestWithParam<TCount1Case> {};

TEST_P(Count1Budget, DecodesWithinTheBudget) {
  const TCount1Case& c = GetParam();
  TBitWriter w;
  for (size_t i = 0; i + 1 < c.Codes.size(); i += 2) w.Put(c.Codes[i], static_cast<int32_t>(c.Codes[i + 1]));
  const auto bytes = w.Finish(16);
  StartReading(bytes);
  std::vector<float> dst(16, 7.0f);  // marks values the decoder did not write
  const std::vector<float> ones(16, 1.0f);
  EXPECT_EQ(DecodeCount1(MainBits, dst.data(), ones.data(), 16, c.BitsLeft, c.Select), c.Lines);
  for (size_t i = 0; i < c.Values.size(); ++i) EXPECT_EQ(dst[i], static_cast<float>(c.Values[i])) << i;
  // The same through a reversed line order.
  const std::vector<int16_t> order = Reversed(16);
  std::vector<float> placed(16, 7.0f);
  StartReading(bytes);
  EXPECT_EQ(DecodeCount1(MainBits, placed.data(), ones.data(), 16, c.BitsLeft, c.Select, order.data()),
            c.Lines);
  for (size_t i = 0; i < 16; ++i) EXPECT_EQ(GetSpectrumInt(&placed[order[i]]), GetSpectrumInt(&dst[i])) << i;
}

// Table A codes: 1 = 0000, 0101 = 0001 (y), 0110 = 0100 (w); table B: the value inverted.
INSTANTIATE_TEST_SUITE_P(
    Layer3Huffman, Count1Budget,
    testing::Values(
        TCount1Case{"BWithThreeBitsLeftDecodesNothing", 1, {0b1110, 4}, 3, 0, {7, 7, 7, 7}},
        TCount1Case{"BWithFourBitsDecodesOne", 1, {0b1111, 4, 0b1110, 4}, 4, 0, {0, 0, 0, 0, 7}},
        TCount1Case{"AOverspendingQuadrupleIsZeroed", 0, {0b0101, 4, 0, 1}, 1, 4, {0, 0, 0, 0, 7}},
        TCount1Case{"ANoBudgetNoQuadruple", 0, {0b0101, 4, 0, 1}, 0, 0, {7}},
        TCount1Case{
            "LastNonzeroInFirstPairOfSecond", 0, {1, 1, 0b0110, 4, 1, 1}, 6, 6, {0, 0, 0, 0, 0, -1, 0, 0}},
        TCount1Case{"OnlyQuadrupleEndsWithY", 0, {0b0101, 4, 0, 1}, 5, 4, {0, 0, 0, 1}},
        TCount1Case{"NoneNonzero", 0, {1, 1, 1, 1, 1, 1}, 3, 0, {0, 0, 0, 0, 0, 0, 0, 0}}),
    [](const testing::TestParamInfo<TCount1Case>& param) { return std::string(param.param.Name); });

TEST(Layer3Huffman, OverlongPartIsNoticed) {
  // Table 15 codes of 13 bits for (15, 15) would need far more bits than a 10-bit part has.
  std::vector<uint8_t> bytes(64, 0x00);
  ResetBits(MainBits, bytes.data(), bytes.data() + bytes.size());
  SetBitsEnd(MainBits, bytes.data() + (10 + 39) / 8);
  std::vector<float> dst(576);
  const std::vector<float> factors = Factors(576);
  DecodeBigValues(MainBits, dst.data(), factors.data(), 64, 15);
  EXPECT_TRUE(Layer3PartOverrun(MainBits));
  // Reading never leaves the hard limit: past it every byte reads as zero.
  ResetBits(MainBits, bytes.data(), bytes.data() + 2);
  SetBitsEnd(MainBits, bytes.data() + 2);
  DecodeBigValues(MainBits, dst.data(), factors.data(), 576, 24);
  EXPECT_TRUE(Layer3PartOverrun(MainBits));
}

}  // namespace
