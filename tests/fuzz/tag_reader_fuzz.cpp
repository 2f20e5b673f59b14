// Fuzz target: the tag reader (TMP3Info) over an in-memory stream, in the order a file is read:
// the tags in front, the first frame, the tags behind.
//
// Input: the file bytes, then a 2-byte control trailer:
//   0  bit 0 seekable, bits 1-3 bytes per read (see ReadChunkFor), bit 4 a small reader buffer
//   1  the tag kinds Title and Artist may choose from (bits of TMP3InfoType)
//
// Broken tags are never errors, so no exception may leave the reader; the title and artist
// shown to the user must be UTF-8, and the audio must start inside the stream. (Line names are
// the tags' own ids, kept as they are.)
//
// Built twice: fuzz_tag_reader reads each input once and is the fast one. The replay build
// (VARO_FUZZ_REPLAY) reads it a second time in whole requests: how the stream hands out its
// bytes must not matter, reading in small pieces gives what reading whole requests gives.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "chunked_stream.h"
#include "fuzz_input.h"
#include "stream/mp3_info.h"
#include "stream/mp_stream_reader.h"
#include "stream/unicode_text.h"

namespace {

constexpr size_t kControlBytes = 2;
constexpr int32_t kPlayerBuffer = 65536;
// Still holds the first-frame search; small enough that tag frames outgrow it.
constexpr int32_t kSmallBuffer = 8192;
// Tags at both ends and a frame between them; a tag's claimed sizes are what matter, not its bulk.
constexpr size_t kMaxInput = 12288 + kControlBytes;

// What one reading found, in one comparable record.
struct TTagReading {
  bool AudioFound = false;
  std::vector<std::string> Facts;

  bool operator==(const TTagReading&) const = default;
};

TTagReading ReadTags(const TFuzzInput& input, bool seekable, int32_t chunk, int32_t capacity,
                     TMP3InfoType need) {
  const int64_t streamSize = static_cast<int64_t>(input.PayloadSize());
  TChunkedStream stream(std::vector<uint8_t>(input.Payload(), input.Payload() + input.PayloadSize()),
                        seekable, chunk);
  TMPStreamReader reader(capacity);
  reader.Attach(&stream, seekable);
  TMP3Info info;
  info.SetNeedInfoType(need);
  TTagReading reading;
  try {
    info.Attach(&reader);
    bool ok = info.ReadFrontTags();
    FUZZ_CHECK(info.DataStart() >= 0 && info.DataStart() <= streamSize);
    if (ok) ok = info.FindFirstFrame();
    if (ok) {
      FUZZ_CHECK(info.HasFirstFrame());
      FUZZ_CHECK(info.DataStart() >= 0 && info.DataStart() + 4 <= streamSize);
      FUZZ_CHECK(info.FirstFrameHeader().Layer >= 1 && info.FirstFrameHeader().Layer <= 3);
    }
    info.ReadTrailingTags();
    info.Attach(nullptr);
    reading.AudioFound = ok;
  } catch (const std::exception& e) {
    FuzzFailure(e.what());
  }
  for (const TMPStringList* lines : {&info.ID3v1Values(), &info.ID3v2Values(), &info.RiffValues(),
                                     &info.LyricsValues(), &info.ApeValues()}) {
    for (const std::string& line : *lines) {
      FUZZ_CHECK(line.find('=') != std::string::npos);
      reading.Facts.push_back(line);
    }
    reading.Facts.emplace_back("--");
  }
  const std::string title = info.Title(), artist = info.Artist();
  FUZZ_CHECK(IsValidUtf8(title));
  FUZZ_CHECK(IsValidUtf8(artist));
  for (const int64_t number : {info.DataStart(), info.DataLength(), int64_t{info.Found().Bits()},
                               info.ID3v1Position(), info.LyricsStart(), info.ApeStart()})
    reading.Facts.push_back(std::to_string(number));
  reading.Facts.push_back(title);
  reading.Facts.push_back(artist);
  return reading;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInput) return -1;  // not added to the corpus
  KeepCp932ConverterLoaded();
  const TFuzzInput input(data, size, kControlBytes);
  const uint8_t options = input.Control(0);
  const bool seekable = (options & 1) != 0;
  const int32_t chunk = ReadChunkFor(static_cast<uint8_t>(options >> 1));
  const int32_t capacity = (options & 0x10) ? kSmallBuffer : kPlayerBuffer;
  const TMP3InfoType need = TMP3InfoType::FromBits(input.Control(1) & 0x3F);
  const TTagReading reading = ReadTags(input, seekable, chunk, capacity, need);
  if (kReplay && chunk != 0) FUZZ_CHECK(ReadTags(input, seekable, 0, capacity, need) == reading);
  return 0;
}
