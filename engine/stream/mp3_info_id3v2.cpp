// ID3v2 tags in front of the audio: versions 2.2, 2.3 and 2.4, with unsynchronisation,
// extended headers and text frames in all four encodings. Each frame that is read becomes
// one id=value line; version 2.2 ids are given their 2.3 names.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "stream/legacy_text.h"
#include "stream/mp3_info.h"
#include "stream/mp3_info_id3v2_frame.h"
#include "stream/mp_stream_reader.h"
#include "stream/tag_bytes.h"
#include "stream/unicode_text.h"

namespace {

constexpr int32_t kTagHeader = 10;
constexpr int64_t kLargestCopiedTag = 64 * 1024 * 1024;

// Where the frames are read from: the reader itself, or a copy of the tag body with its
// unsynchronisation undone. Positions count from the start of the tag body.
class TagSource {
 public:
  virtual ~TagSource() = default;
  virtual int64_t Position() const = 0;
  virtual const uint8_t* Bytes(int64_t n) = 0;  // n bytes at the position, or nullptr
  virtual bool Skip(int64_t n) = 0;
  virtual int64_t Largest() const = 0;  // the most bytes Bytes can give at once
};

class ReaderSource final : public TagSource {
 public:
  explicit ReaderSource(TMPStreamReader& reader) : reader_(reader), base_(reader.Position()) {}
  int64_t Position() const override { return reader_.Position() - base_; }
  const uint8_t* Bytes(int64_t n) override {
    return n <= reader_.Capacity() && reader_.Ensure(static_cast<int32_t>(n)) ? reader_.Data() : nullptr;
  }
  bool Skip(int64_t n) override { return reader_.Skip(n); }
  int64_t Largest() const override { return reader_.Capacity(); }

 private:
  TMPStreamReader& reader_;
  int64_t base_;
};

class MemorySource final : public TagSource {
 public:
  explicit MemorySource(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  int64_t Position() const override { return position_; }
  const uint8_t* Bytes(int64_t n) override {
    return position_ + n <= Size() ? bytes_.data() + position_ : nullptr;
  }
  bool Skip(int64_t n) override {
    if (position_ + n > Size()) {
      position_ = Size();
      return false;
    }
    position_ += n;
    return true;
  }
  int64_t Largest() const override { return Size(); }
  int64_t Size() const { return static_cast<int64_t>(bytes_.size()); }

 private:
  std::vector<uint8_t> bytes_;
  int64_t position_ = 0;
};

// Frame ids of version 2.2 under their 2.3 names.
struct IdPair {
  const char* Old;
  const char* New;
};
constexpr IdPair kV22Ids[] = {
    {"TT1", "TIT1"}, {"TT2", "TIT2"}, {"TT3", "TIT3"}, {"TP1", "TPE1"}, {"TP2", "TPE2"}, {"TP3", "TPE3"},
    {"TP4", "TPE4"}, {"TAL", "TALB"}, {"TYE", "TYER"}, {"TRK", "TRCK"}, {"TPA", "TPOS"}, {"TCO", "TCON"},
    {"TCM", "TCOM"}, {"TXT", "TEXT"}, {"TLA", "TLAN"}, {"TLE", "TLEN"}, {"TEN", "TENC"}, {"TCR", "TCOP"},
    {"TPB", "TPUB"}, {"TBP", "TBPM"}, {"TKE", "TKEY"}, {"TOT", "TOAL"}, {"TOA", "TOPE"}, {"TOL", "TOLY"},
    {"TSS", "TSSE"}, {"COM", "COMM"}, {"ULT", "USLT"}, {"SLT", "SYLT"}, {"PIC", "APIC"}, {"TXX", "TXXX"},
    {"WXX", "WXXX"},
};

std::string FrameName(const std::string& id, int32_t version) {
  if (version == 2)
    for (const IdPair& p : kV22Ids)
      if (id == p.Old) return p.New;
  return id;
}

// Text up to the first terminator of its encoding, as UTF-8 without trailing blanks.
std::string DecodeText(uint8_t encoding, const uint8_t* p, size_t n) {
  std::string text;
  if (encoding == 1 || encoding == 2) {
    size_t end = 0;
    while (end + 1 < n && !(p[end] == 0 && p[end + 1] == 0)) end += 2;
    text = Utf16ToUtf8(std::string_view(reinterpret_cast<const char*>(p), end), encoding == 2);
    while (!text.empty() && static_cast<uint8_t>(text.back()) <= 32) text.pop_back();
    return text;
  }
  return FixedFieldText(p, n);
}

}  // namespace

bool TMP3Info::ReadID3v2() {
  if (!reader_->Ensure(kTagHeader)) return false;
  const uint8_t* h = reader_->Data();
  if (!SameBytes(h, "ID3")) return false;
  const int64_t s = int64_t{h[6]} * (1 << 21) + int64_t{h[7]} * (1 << 14) + int64_t{h[8]} * (1 << 7) + h[9];
  if (s <= 0) return false;
  const int32_t version = h[3];
  const uint8_t flags = h[5];
  const bool unsynchronised = (flags & 0x80) != 0;
  const bool footer = version == 4 && (flags & 0x10) != 0;
  const int64_t tagBytes = kTagHeader + s + (footer ? kTagHeader : 0);
  const int64_t tagEnd = reader_->Position() + tagBytes;

  auto finish = [&] {
    dataStart_ = reader_->Position();
    if (dataLength_ != kUnknownLength) dataLength_ -= tagBytes;
    id3v2Version_ = version;
    return true;
  };
  // Versions this reader does not know, and 2.2 compression, are passed over whole.
  const bool readable = (version >= 2 && version <= 4) && !(version == 2 && (flags & 0x40));
  if (!readable) return reader_->Skip(tagBytes) && finish();

  if (!reader_->Skip(kTagHeader)) return false;
  std::unique_ptr<TagSource> source;
  if (unsynchronised && version < 4) {
    // Frame sizes count the bytes before unsynchronisation: undo it for the whole tag.
    if (s > kLargestCopiedTag) return reader_->Skip(s) && finish();
    std::vector<uint8_t> body;
    if (!ReadReaderBytes(*reader_, s, body)) return false;
    source = std::make_unique<MemorySource>(RemoveUnsynchronisation(body.data(), body.size()));
  } else {
    source = std::make_unique<ReaderSource>(*reader_);
  }
  const int64_t bodyEnd =
      unsynchronised && version < 4 ? static_cast<MemorySource*>(source.get())->Size() : s;

  if (version > 2 && (flags & 0x40)) {
    const uint8_t* ext = source->Bytes(4);
    if (ext == nullptr) return false;
    // 2.3 counts the size field apart, 2.4 includes it.
    const int64_t size = version == 3 ? static_cast<int32_t>(ReadBigEndian32(ext)) : ReadSyncSafe32(ext);
    if (size < 0 || size > s || !source->Skip(version == 3 ? size + 4 : std::max<int64_t>(size, 4)))
      return false;
  }

  const int32_t header = Id3v2FrameHeaderSize(version);
  while (source->Position() + header <= bodyEnd) {
    const uint8_t* fh = source->Bytes(header);
    if (fh == nullptr) return false;
    const int64_t f = Id3v2FrameSize(fh, version);
    if (f <= 0 || fh[0] == 0) {
      if (!source->Skip(bodyEnd - source->Position())) return false;
      break;
    }
    const std::string id(FixedFieldBytes(fh, version == 2 ? 3 : 4));
    if (f + header <= source->Largest()) {
      const uint8_t* frame = source->Bytes(f + header);
      if (frame == nullptr) return false;
      std::vector<uint8_t> payload;
      if (Id3v2FramePayload(frame, frame + header, f, version, unsynchronised, payload)) {
        std::string value;
        if (!payload.empty()) {
          const uint8_t* text = payload.data() + 1;
          const size_t n = payload.size() - 1;
          value = id.starts_with("T") ? DecodeText(payload[0], text, n) : FixedFieldText(text, n);
        }
        const std::string name = FrameName(id, version);
        id3v2Values_.AddPair(name, value);
        // XRVA: RVA2 put into a 2.3 tag by writers that keep to 2.3.
        if (name == "TXXX") ReadTxxxGain(payload.data(), payload.size(), gains_[mgsTXXX - 1]);
        if (name == "RVA2" || name == "XRVA")
          ReadRva2Gain(payload.data(), payload.size(), gains_[mgsRVA2 - 1]);
        if (name == "SYLT" || name == "USLT")
          id3v2Lyrics_.emplace_back(name, std::string(payload.begin(), payload.end()));
      }
    }
    if (source->Position() + header + f > bodyEnd) return false;
    if (!source->Skip(header + f)) return false;
  }
  if (source->Position() != bodyEnd) return false;
  if (footer && !reader_->Skip(kTagHeader)) return false;
  if (reader_->Position() != tagEnd) return false;
  return finish();
}

std::vector<uint8_t> RemoveUnsynchronisation(const uint8_t* p, size_t n) {
  std::vector<uint8_t> out;
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    out.push_back(p[i]);
    if (p[i] == 0xFF && i + 1 < n && p[i + 1] == 0x00) ++i;
  }
  return out;
}

int64_t Id3v2FrameSize(const uint8_t* header, int32_t version) {
  if (version == 2) return ReadBigEndian24(header + 3);
  if (version == 3) return static_cast<int32_t>(ReadBigEndian32(header + 4));
  const bool plain = ((header[4] | header[5] | header[6] | header[7]) & 0x80) != 0;
  return plain ? ReadBigEndian32(header + 4) : ReadSyncSafe32(header + 4);
}

bool Id3v2FramePayload(const uint8_t* header, const uint8_t* data, int64_t size, int32_t version,
                       bool tagUnsynchronised, std::vector<uint8_t>& payload) {
  payload.assign(data, data + size);
  const uint8_t formatFlags = version == 2 ? 0 : header[9];
  size_t skip = 0;
  if (version == 3) {
    if (formatFlags & 0xC0) return false;  // compressed or encrypted
    if (formatFlags & 0x20) skip = 1;      // group id
  } else if (version == 4) {
    if (formatFlags & 0x0C) return false;
    if (formatFlags & 0x40) skip += 1;
    if (formatFlags & 0x01) skip += 4;  // data length indicator
    if ((formatFlags & 0x02) || tagUnsynchronised)
      payload = RemoveUnsynchronisation(payload.data(), payload.size());
  }
  if (skip > payload.size()) return false;
  payload.erase(payload.begin(), payload.begin() + static_cast<ptrdiff_t>(skip));
  return true;
}
