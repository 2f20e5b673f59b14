#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

#include "base/engine_error.h"
#include "stream/mp_stream_reader.h"
#include "test_support.h"

namespace {

std::vector<uint8_t> Counting(size_t n) {
  std::vector<uint8_t> bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
  return bytes;
}

// Both kinds of stream must give the same bytes at the same positions.
class StreamReaderTest : public testing::TestWithParam<bool> {
 protected:
  bool Seekable() const { return GetParam(); }
};

}  // namespace

TEST_P(StreamReaderTest, EnsureAcrossTheRingEndGivesTheBytesInOrder) {
  const std::vector<uint8_t> bytes = Counting(100000);
  TMemoryStream stream(bytes, Seekable());
  TMPStreamReader reader(64);
  reader.Attach(&stream, Seekable());
  ASSERT_TRUE(reader.Fill(64));
  ASSERT_TRUE(reader.Skip(61));  // 3 bytes before the ring end
  ASSERT_TRUE(reader.ReadAhead() || reader.Count() == 64);
  ASSERT_TRUE(reader.Ensure(10));
  ASSERT_GE(reader.Contiguous(), 10);
  EXPECT_EQ(reader.Position(), 61);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(reader.Data()[i], bytes[61 + i]) << i;
  // Walking the whole stream in odd steps keeps every byte in place.
  int64_t position = 61;
  while (reader.Ensure(13)) {
    for (int i = 0; i < 13; ++i) ASSERT_EQ(reader.Data()[i], bytes[position + i]);
    ASSERT_TRUE(reader.Skip(11));
    position += 11;
  }
  EXPECT_GT(static_cast<size_t>(position + 13), bytes.size());
  EXPECT_EQ(reader.Position(), position);
}

// Short runs across the ring end are made whole behind it, long ones by moving the ring;
// either way every byte, and every byte buffered behind the run, stays in place.
TEST_P(StreamReaderTest, ShortAndLongRunsAcrossTheRingEndComeOutWhole) {
  const std::vector<uint8_t> bytes = Counting(400000);
  struct TWalk {
    int32_t Capacity, Run, Step;
  };
  for (const TWalk walk : {TWalk{65536, 1441, 1440}, TWalk{65536, 4099, 1729}, TWalk{40000, 30000, 17011}}) {
    TMemoryStream stream(bytes, Seekable());
    TMPStreamReader reader(walk.Capacity);
    reader.Attach(&stream, Seekable());
    int64_t position = 0;
    while (reader.Ensure(walk.Run)) {
      ASSERT_GE(reader.Contiguous(), walk.Run);
      ASSERT_EQ(0, std::memcmp(reader.Data(), bytes.data() + position, static_cast<size_t>(walk.Run)))
          << walk.Capacity << "/" << walk.Run << " at " << position;
      ASSERT_TRUE(reader.Skip(walk.Step));
      position += walk.Step;
      reader.ReadAhead();  // as the player does between frames: the ring fills up
    }
    EXPECT_GT(static_cast<size_t>(position + walk.Run), bytes.size()) << walk.Capacity;
  }
}

TEST_P(StreamReaderTest, EnsureAtTheEndFailsButKeepsTheBytes) {
  const std::vector<uint8_t> bytes = Counting(1000);
  TMemoryStream stream(bytes, Seekable());
  TMPStreamReader reader(4096);
  reader.Attach(&stream, Seekable());
  ASSERT_TRUE(reader.Skip(995));
  EXPECT_FALSE(reader.Ensure(10));
  EXPECT_EQ(reader.Count(), 5);
  ASSERT_TRUE(reader.Ensure(5));
  EXPECT_EQ(reader.Data()[4], bytes[999]);
  EXPECT_EQ(reader.EnsureUpTo(10), 5);
}

TEST_P(StreamReaderTest, SkipPastTheBufferLandsOnTheRightByte) {
  const std::vector<uint8_t> bytes = Counting(200000);
  TMemoryStream stream(bytes, Seekable());
  TMPStreamReader reader(65536);
  reader.Attach(&stream, Seekable());
  ASSERT_TRUE(reader.Ensure(100));  // some bytes are buffered already
  ASSERT_TRUE(reader.Skip(100000));
  EXPECT_EQ(reader.Position(), 100000);
  ASSERT_TRUE(reader.Ensure(4));
  EXPECT_EQ(reader.Data()[0], bytes[100000]);
  EXPECT_EQ(reader.Data()[3], bytes[100003]);
}

TEST_P(StreamReaderTest, SkipBeyondTheEndFails) {
  TMemoryStream stream(Counting(5000), Seekable());
  TMPStreamReader reader(1024);
  reader.Attach(&stream, Seekable());
  EXPECT_FALSE(reader.Skip(6000));
  EXPECT_EQ(reader.Position(), 5000);
  EXPECT_EQ(reader.Count(), 0);
  EXPECT_FALSE(reader.Fill(1));
}

INSTANTIATE_TEST_SUITE_P(SeekableAndForwardOnly, StreamReaderTest, testing::Bool());

TEST(StreamReader, ReadAheadOnAFullBufferReadsNothing) {
  TMemoryStream stream(Counting(300000));
  TMPStreamReader reader(65536);
  reader.Attach(&stream, true);
  while (reader.ReadAhead()) {
  }
  EXPECT_EQ(reader.Count(), 65536);
  const int64_t read = stream.BytesRead();
  EXPECT_FALSE(reader.ReadAhead());
  EXPECT_EQ(stream.BytesRead(), read);
}

TEST(StreamReader, ReadsComeInLargePieces) {
  TMemoryStream stream(Counting(300000));
  TMPStreamReader reader(65536);
  reader.Attach(&stream, true);
  ASSERT_TRUE(reader.Fill(4));
  EXPECT_EQ(reader.Count(), 16384);
}

TEST(StreamReader, SeekEmptiesTheBufferAndMovesThePosition) {
  const std::vector<uint8_t> bytes = Counting(10000);
  TMemoryStream stream(bytes);
  TMPStreamReader reader(4096);
  reader.Attach(&stream, true);
  ASSERT_TRUE(reader.Ensure(100));
  EXPECT_EQ(reader.Seek(7000, TMPSeekOrigin::soBeginning), 7000);
  EXPECT_EQ(reader.Count(), 0);
  ASSERT_TRUE(reader.Ensure(1));
  EXPECT_EQ(reader.Data()[0], bytes[7000]);
  ASSERT_TRUE(reader.Skip(10));
  // From the current position counts from the logical position, not the stream's.
  EXPECT_EQ(reader.Seek(5, TMPSeekOrigin::soCurrent), 7015);
  EXPECT_EQ(reader.Seek(-100, TMPSeekOrigin::soEnd), 9900);
}

TEST(StreamReader, ContractBreachesRaiseAssertionFailure) {
  EXPECT_THROW(TMPStreamReader(0), EMP3Error);
  TMemoryStream stream(Counting(100), false);
  TMPStreamReader reader(64);
  EXPECT_THROW(reader.Fill(1), EMP3Error);  // nothing attached
  reader.Attach(&stream, false);
  EXPECT_THROW(reader.Fill(65), EMP3Error);
  try {
    reader.Seek(0, TMPSeekOrigin::soBeginning);
    FAIL() << "a forward-only stream was seeked";
  } catch (const EMP3Error& e) {
    EXPECT_STREQ(e.what(), "Assertion failure");
  }
}
