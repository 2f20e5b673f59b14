// Frame headers: fields, lengths and bit rates of every layer and version, free format, the
// first-frame search, the continuity test, and frame walks over real encoded files.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "decoder/mp_frame_header.h"

namespace {

int32_t Parse(std::vector<uint8_t> bytes, TMPFrameHeader& h, int32_t available = 4) {
  return ParseFrameHeader(bytes.data(), available, h);
}

TEST(FrameHeader, ParsesMpeg1Layer3Header) {
  TMPFrameHeader h{};
  int32_t bitrate = 0;
  const std::vector<uint8_t> bytes = {0xFF, 0xFB, 0x90, 0x00};
  EXPECT_EQ(ParseFrameHeaderRate(bytes.data(), 4, h, bitrate), 417);
  EXPECT_EQ(h.Sync, 1);
  EXPECT_EQ(h.Id, 1);
  EXPECT_EQ(h.Layer, 1);
  EXPECT_EQ(h.ProtectionBit, 1);
  EXPECT_EQ(h.BitrateIndex, 9);
  EXPECT_EQ(h.SamplingIndex, 0);
  EXPECT_EQ(h.Padding, 0);
  EXPECT_EQ(bitrate, 128000);
  EXPECT_EQ(FrameSizeWithPadding(h, 417), 417);
  EXPECT_EQ(Parse({0xFF, 0xFB, 0x92, 0x00}, h), 417);
  EXPECT_EQ(FrameSizeWithPadding(h, 417), 418);
}

TEST(FrameHeader, ParsesEveryFieldOfTheFourthByte) {
  TMPFrameHeader h{};
  // Layer II, CRC present, 192 kbit/s, 48000 Hz, padding, private; joint stereo, extension 2,
  // copyright, original, emphasis 3.
  EXPECT_GT(Parse({0xFF, 0xFC, 0xA7, 0x6F}, h), 0);
  EXPECT_EQ(h.Layer, 2);
  EXPECT_EQ(h.ProtectionBit, 0);
  EXPECT_EQ(h.BitrateIndex, 10);
  EXPECT_EQ(h.SamplingIndex, 1);
  EXPECT_EQ(h.Padding, 1);
  EXPECT_EQ(h.PrivateBit, 1);
  EXPECT_EQ(h.Mode, 1);
  EXPECT_EQ(h.ModeExtension, 2);
  EXPECT_EQ(h.ProtectedFlag, 1);
  EXPECT_EQ(h.HomeFlag, 1);
  EXPECT_EQ(h.Emphasis, 3);
}

TEST(FrameHeader, Mpeg25AndMpeg2Layer3Lengths) {
  TMPFrameHeader h{};
  // MPEG-2.5 (sync FFE), 64 kbit/s at 11025 Hz: 72000 * 64 / 11025 = 417.
  EXPECT_EQ(Parse({0xFF, 0xE3, 0x80, 0x00}, h), 417);
  EXPECT_EQ(h.Sync, 2);
  EXPECT_EQ(h.Id, 0);
  EXPECT_EQ(h.Layer, 1);
  // MPEG-2 at 22050 Hz: 72000 * 64 / 22050 = 208.
  EXPECT_EQ(Parse({0xFF, 0xF3, 0x80, 0x00}, h), 208);
  EXPECT_EQ(h.Sync, 1);
  // Output rates by Id alone (MPEG-2.5 is halved by Layer III itself); 1 for the reserved index.
  EXPECT_EQ(SamplingRateHz(1, 2), 32000);
  EXPECT_EQ(SamplingRateHz(0, 1), 24000);
  EXPECT_EQ(SamplingRateHz(1, 3), 1);
}

TEST(FrameHeader, Layer1LengthsAreWholeSlots) {
  TMPFrameHeader h{};
  EXPECT_EQ(Parse({0xFF, 0xFF, 0x10, 0x00}, h), 32);
  EXPECT_EQ(Parse({0xFF, 0xFF, 0x12, 0x00}, h), 32);
  EXPECT_EQ(FrameSizeWithPadding(h, 32), 36);
  // 384 kbit/s at 44100 Hz: 12000 * 384 / 44100 = 104.49 -> 104 slots of 4 bytes.
  EXPECT_EQ(Parse({0xFF, 0xFF, 0xC0, 0x00}, h), 416);
}

TEST(FrameHeader, RejectsInvalidHeaders) {
  TMPFrameHeader h{};
  EXPECT_EQ(Parse({0xFF, 0xFB, 0xF0, 0x00}, h), 0);  // bit-rate index 15
  EXPECT_LT(Parse({0xFF, 0xFB, 0x9C, 0x00}, h), 0);  // sampling index 3
  EXPECT_EQ(Parse({0xFF, 0xF9, 0x90, 0x00}, h), 0);  // layer 0
  h.Sync = 5;
  EXPECT_EQ(Parse({0xFE, 0xFB, 0x90, 0x00}, h), 0);
  EXPECT_EQ(h.Sync, 0);
  EXPECT_EQ(Parse({0xFF, 0xDB, 0x90, 0x00}, h), 0);
  int32_t bitrate = 1;
  const std::vector<uint8_t> forbidden = {0xFF, 0xFB, 0xF0, 0x00};
  ParseFrameHeaderRate(forbidden.data(), 4, h, bitrate);
  EXPECT_EQ(bitrate, 0);
}

// A free-format stream: frames of `length` bytes (plus the padding slot when padded) made of the
// header and zeros, so only the real boundaries repeat the first two header bytes.
std::vector<uint8_t> FreeFormatStream(int32_t length, const std::vector<bool>& padded, uint8_t b1 = 0xFD) {
  const int32_t slot = (b1 & 0x06) == 0x06 ? 4 : 1;
  std::vector<uint8_t> stream;
  for (bool pad : padded) {
    const size_t start = stream.size();
    stream.resize(start + length + (pad ? slot : 0), 0);
    stream[start] = 0xFF;
    stream[start + 1] = b1;
    stream[start + 2] = pad ? 0x02 : 0x00;
    stream[start + 3] = 0xC0;
  }
  return stream;
}

TEST(FreeFormat, ConfirmsLengthAcrossLaterPaddedFrames) {
  const auto stream = FreeFormatStream(600, {false, false, true, false, true, false});
  TMPFrameHeader h{};
  int32_t bitrate = 0;
  EXPECT_EQ(ParseFrameHeaderRate(stream.data(), static_cast<int32_t>(stream.size()), h, bitrate), 600);
  EXPECT_EQ(h.BitrateIndex, 0);
  EXPECT_EQ(bitrate, 882 * 600 * 1000 / 2880);
  // A padded first frame: the next header is one byte further, the length stays 600.
  const auto padded = FreeFormatStream(600, {true, false, false});
  EXPECT_EQ(ParseFrameHeader(padded.data(), static_cast<int32_t>(padded.size()), h), 600);
}

TEST(FreeFormat, Layer1UsesFourByteSlots) {
  const auto stream = FreeFormatStream(400, {false, true, false, false}, 0xFF);
  TMPFrameHeader h{};
  int32_t bitrate = 0;
  EXPECT_EQ(ParseFrameHeaderRate(stream.data(), static_cast<int32_t>(stream.size()), h, bitrate), 400);
  EXPECT_EQ(bitrate, 882 * 400 * 1000 / 960);
  // A padded first frame is one 4-byte slot longer; the length stays 400.
  const auto padded = FreeFormatStream(400, {true, false, true, false}, 0xFF);
  EXPECT_EQ(ParseFrameHeader(padded.data(), static_cast<int32_t>(padded.size()), h), 400);
}

TEST(FreeFormat, NeedsConfirmingBytes) {
  auto stream = FreeFormatStream(600, {false, false, false});
  TMPFrameHeader h{};
  EXPECT_EQ(ParseFrameHeader(stream.data(), 0, h), 0);
  EXPECT_EQ(ParseFrameHeader(stream.data(), 600, h), 0);  // no second header in reach
  EXPECT_EQ(FindFreeFormatLength(stream.data(), 3), 0);
  // A boundary that does not repeat the header bytes rejects that length; no other is found.
  stream[1200 + 1] = 0xFB;
  EXPECT_EQ(ParseFrameHeader(stream.data(), static_cast<int32_t>(stream.size()), h), 0);
  // A reserved sampling index has no length in free format either.
  auto reserved = FreeFormatStream(600, {false, false, false});
  for (size_t i = 0; i < reserved.size(); i += 600) reserved[i + 2] |= 0x0C;
  EXPECT_LE(ParseFrameHeader(reserved.data(), static_cast<int32_t>(reserved.size()), h), 0);
}

TEST(FreeFormat, SkipsFalseCandidateInsideFrame) {
  // A false FF FD inside the first frame is tried first, fails its walk, and the search goes on.
  auto stream = FreeFormatStream(700, {false, false, false, false});
  stream[100] = 0xFF;
  stream[101] = 0xFD;
  TMPFrameHeader h{};
  EXPECT_EQ(ParseFrameHeader(stream.data(), static_cast<int32_t>(stream.size()), h), 700);
}

TEST(FindFrameHeader, TriesOnlyTheFirstSyncPair) {
  std::vector<uint8_t> buffer = {0x00, 0x12, 0xFF, 0xFB, 0xF0, 0x00, 0xFF, 0xFB, 0x90, 0x00};
  TMPFrameHeader h{};
  int32_t bitrate = 0, offset = -1;
  EXPECT_EQ(FindFrameHeader(buffer.data(), static_cast<int32_t>(buffer.size()), h, bitrate, offset), 0);
  EXPECT_EQ(offset, 2);
  buffer[4] = 0x90;
  EXPECT_EQ(FindFrameHeader(buffer.data(), static_cast<int32_t>(buffer.size()), h, bitrate, offset), 417);
  EXPECT_EQ(offset, 2);
  EXPECT_EQ(bitrate, 128000);
}

TEST(FindFrameHeader, NeverReadsPastTheBuffer) {
  TMPFrameHeader h{};
  int32_t bitrate = 0, offset = -1;
  // Exact-size heap buffers, so a read past the end is caught by the address sanitizer.
  auto lastByteSync = std::make_unique<uint8_t[]>(3);
  lastByteSync[0] = 0x00;
  lastByteSync[1] = 0x00;
  lastByteSync[2] = 0xFF;
  EXPECT_EQ(FindFrameHeader(lastByteSync.get(), 3, h, bitrate, offset), 0);
  auto shortHeader = std::make_unique<uint8_t[]>(3);
  shortHeader[0] = 0xFF;
  shortHeader[1] = 0xFB;
  shortHeader[2] = 0x90;
  EXPECT_EQ(FindFrameHeader(shortHeader.get(), 3, h, bitrate, offset), 0);
  EXPECT_EQ(FindFrameHeader(shortHeader.get(), 0, h, bitrate, offset), 0);
  auto empty = std::make_unique<uint8_t[]>(1);
  EXPECT_EQ(FindFrameHeader(empty.get(), 0, h, bitrate, offset), 0);
}

TEST(SameFrameFormat, ComparesSyncVersionLayerAndRateOnly) {
  const uint8_t reference[4] = {0xFF, 0xFB, 0x90, 0x44};
  const uint8_t otherBitrateModePadding[4] = {0xFF, 0xFA, 0xB3, 0xC7};
  const uint8_t otherRate[4] = {0xFF, 0xFB, 0x94, 0x44};
  const uint8_t otherLayer[4] = {0xFF, 0xFD, 0x90, 0x44};
  const uint8_t otherVersion[4] = {0xFF, 0xF3, 0x90, 0x44};
  const uint8_t otherSync[4] = {0xFF, 0xEB, 0x90, 0x44};
  EXPECT_TRUE(SameFrameFormat(reference, otherBitrateModePadding));
  EXPECT_FALSE(SameFrameFormat(reference, otherRate));
  EXPECT_FALSE(SameFrameFormat(reference, otherLayer));
  EXPECT_FALSE(SameFrameFormat(reference, otherVersion));
  EXPECT_FALSE(SameFrameFormat(reference, otherSync));
}

// Real encoded files without tags: walking frame by frame with the parsed lengths must land on
// every header and end exactly at the end of the file, with the frame count of the manifest.
std::vector<std::vector<std::string>> ManifestRows() {
  std::ifstream manifest(std::string(VARO_TEST_DATA) + "/corpus/MANIFEST.tsv");
  std::vector<std::vector<std::string>> rows;
  std::string line;
  std::getline(manifest, line);
  while (std::getline(manifest, line)) {
    std::vector<std::string> fields;
    std::stringstream fieldStream(line);
    std::string field;
    while (std::getline(fieldStream, field, '\t')) fields.push_back(field);
    rows.push_back(fields);
  }
  return rows;
}

TEST(FrameWalk, LengthsOfRealFilesChainExactly) {
  int32_t files = 0;
  for (const auto& row : ManifestRows()) {
    // Columns: file, layer, version, rate, channels, mode, bitrate kind, tags, ..., frames (16).
    if (row.size() < 17 || (row[1] != "2" && row[1] != "3") || row[7] != "-" ||
        row[0].rfind("damaged/", 0) == 0) {
      continue;
    }
    SCOPED_TRACE(row[0]);
    std::ifstream in(std::string(VARO_TEST_DATA) + "/corpus/" + row[0], std::ios::binary);
    const std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(data.size(), 4u);
    size_t pos = 0;
    int32_t frames = 0;
    int32_t freeLength = 0;
    while (pos + 4 <= data.size()) {
      ASSERT_TRUE(SameFrameFormat(data.data(), data.data() + pos)) << "frame " << frames;
      TMPFrameHeader h{};
      int32_t length = ParseFrameHeader(data.data() + pos, static_cast<int32_t>(data.size() - pos), h);
      // A free-format stream keeps the length its first frame confirmed (near the end there are
      // too few frames left to confirm one, and audio bytes may look like a header).
      if (h.BitrateIndex == 0) {
        if (freeLength == 0) freeLength = length;
        length = freeLength;
      }
      ASSERT_GT(length, 0) << "frame " << frames;
      pos += FrameSizeWithPadding(h, length);
      ++frames;
    }
    EXPECT_EQ(pos, data.size());
    EXPECT_EQ(std::to_string(frames), row[16]);
    ++files;
  }
  EXPECT_GT(files, 40);
}

}  // namespace
