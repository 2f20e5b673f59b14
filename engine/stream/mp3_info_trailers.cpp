// The blocks between the audio and the ID3v1 tag: Lyrics3 (versions 1 and 2) and APEv2
// (also version 1, which lacks the header).
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "stream/legacy_text.h"
#include "stream/mp3_info.h"
#include "stream/mp_stream_reader.h"
#include "stream/tag_bytes.h"

namespace {

constexpr int32_t kMarker = 9;        // "LYRICSEND", "LYRICS200"
constexpr int32_t kBeginMarker = 11;  // "LYRICSBEGIN"
constexpr int32_t kLyrics1Window = 5100;
constexpr int32_t kApeFooter = 32;
constexpr int64_t kLargestApeTag = 16 * 1024 * 1024;

std::string_view AsText(const std::vector<uint8_t>& bytes) {
  return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

}  // namespace

bool TMP3Info::ReadLyrics3() {
  const int64_t end = found_.Contains(mitID3V1) ? id3v1Position_ : TrailingEnd();
  const int64_t m = end - kMarker;
  if (m < 0) return false;
  reader_->Seek(m, TMPSeekOrigin::soBeginning);
  if (!reader_->Ensure(kMarker)) return false;
  const uint8_t* marker = reader_->Data();

  if (SameBytes(marker, "LYRICSEND")) {
    const int64_t b = std::max<int64_t>(0, m - kLyrics1Window);
    reader_->Seek(b, TMPSeekOrigin::soBeginning);
    std::vector<uint8_t> block;
    if (!ReadReaderBytes(*reader_, m - b, block)) return false;
    const std::string_view text = AsText(block);
    const size_t begin = text.find("LYRICSBEGIN");
    if (begin == std::string_view::npos) return false;
    lyricsValues_.AddPair("LYRICS", LegacyTextToUtf8(text.substr(begin + kBeginMarker)));
    lyricsStart_ = b + static_cast<int64_t>(begin);
    return true;
  }
  if (!SameBytes(marker, "LYRICS200")) return false;

  reader_->Seek(m - 6, TMPSeekOrigin::soBeginning);
  if (!reader_->Ensure(6)) return false;
  const int64_t size = FixedFieldNumber(reader_->Data(), 6);
  if (size <= 0) return false;
  const int64_t start = m - size - 6;
  if (start < 0) return false;
  reader_->Seek(start, TMPSeekOrigin::soBeginning);
  if (!reader_->Ensure(kBeginMarker) || !SameBytes(reader_->Data(), "LYRICSBEGIN")) return false;
  lyricsStart_ = start;
  reader_->Skip(kBeginMarker);
  const int64_t fieldsEnd = m - 6;
  while (reader_->Position() < fieldsEnd) {
    if (reader_->Position() + 8 > fieldsEnd || !reader_->Ensure(8)) return false;
    const std::string id(FixedFieldBytes(reader_->Data(), 3));
    const int64_t n = FixedFieldNumber(reader_->Data() + 3, 5);
    if (n <= 0) return false;
    reader_->Skip(8);
    if (reader_->Position() + n > fieldsEnd) return false;
    std::vector<uint8_t> value;
    if (!ReadReaderBytes(*reader_, n, value)) return false;
    lyricsValues_.AddPair(id, LegacyTextToUtf8(AsText(value)));
  }
  return true;
}

// An APEv2 tag ending where the Lyrics3 block starts, or else where the ID3v1 tag (or the
// stream) ends. The audio is taken to stop in front of it.
bool TMP3Info::ReadApe() {
  std::vector<int64_t> ends;
  if (found_.Contains(mitLyrics)) ends.push_back(lyricsStart_);
  ends.push_back(found_.Contains(mitID3V1) ? id3v1Position_ : TrailingEnd());
  for (const int64_t end : ends) {
    if (end - kApeFooter < 0) continue;
    reader_->Seek(end - kApeFooter, TMPSeekOrigin::soBeginning);
    if (!reader_->Ensure(kApeFooter)) continue;
    const uint8_t* footer = reader_->Data();
    if (!SameBytes(footer, "APETAGEX")) continue;
    const uint32_t version = ReadLittleEndian32(footer + 8);
    const int64_t size = ReadLittleEndian32(footer + 12);  // items and footer
    const uint32_t count = ReadLittleEndian32(footer + 16);
    const uint32_t flags = ReadLittleEndian32(footer + 20);
    const bool hasHeader = version >= 2000 && (flags & 0x80000000u) != 0;
    if (size < kApeFooter || size > kLargestApeTag || end - size < 0) return false;
    const int64_t itemsStart = end - size;
    reader_->Seek(itemsStart, TMPSeekOrigin::soBeginning);
    std::vector<uint8_t> items;
    if (!ReadReaderBytes(*reader_, size - kApeFooter, items)) return false;

    size_t at = 0;
    for (uint32_t i = 0; i < count && at + 8 < items.size(); ++i) {
      const uint32_t length = ReadLittleEndian32(items.data() + at);
      const uint32_t itemFlags = ReadLittleEndian32(items.data() + at + 4);
      const size_t keyStart = at + 8;
      size_t keyEnd = keyStart;
      while (keyEnd < items.size() && items[keyEnd] != 0) ++keyEnd;
      if (keyEnd >= items.size() || length > items.size() - keyEnd - 1) break;
      const std::string_view key(reinterpret_cast<const char*>(items.data() + keyStart), keyEnd - keyStart);
      const std::string_view value(reinterpret_cast<const char*>(items.data() + keyEnd + 1), length);
      if (((itemFlags >> 1) & 3) == 0 && !key.empty())  // text items only
        apeValues_.AddPair(key, LegacyTextToUtf8(value.substr(0, value.find('\0'))));
      at = keyEnd + 1 + length;
    }
    apeStart_ = itemsStart - (hasHeader ? kApeFooter : 0);
    if (dataLength_ != kUnknownLength && apeStart_ >= dataStart_ && dataStart_ + dataLength_ > apeStart_)
      dataLength_ = apeStart_ - dataStart_;
    return true;
  }
  return false;
}
