// The wrappers around the audio: MacBinary II and RIFF/WAVE with its "data" chunk and its
// "LIST"/"INFO" list.
#include <cstring>

#include "stream/mp3_info.h"
#include "stream/mp_stream_reader.h"
#include "stream/tag_bytes.h"

namespace {

constexpr int32_t kMacBinaryHeader = 128;

int64_t Even(int64_t n) { return n + (n & 1); }

}  // namespace

bool TMP3Info::ReadMacBinary() {
  if (!reader_->Ensure(kMacBinaryHeader)) return false;
  const uint8_t* h = reader_->Data();
  if (h[0] != 0 || h[74] != 0 || h[82] != 0 || h[1] < 1 || h[1] > 31) return false;
  const auto dataFork = static_cast<int32_t>(ReadBigEndian32(h + 83));
  const auto resourceFork = static_cast<int32_t>(ReadBigEndian32(h + 87));
  if (dataFork < 0 || resourceFork < 0) return false;
  if (!reader_->Skip(kMacBinaryHeader)) return false;
  macDataStart_ = dataStart_ = reader_->Position();
  macDataLength_ = dataLength_ = dataFork;
  macDataEnd_ = macDataStart_ + dataFork;
  macResourceLength_ = resourceFork;
  return true;
}

bool TMP3Info::ReadRiffHeader() {
  if (!reader_->Ensure(12) || !SameBytes(reader_->Data(), "RIFF")) return false;
  return reader_->Skip(12);
}

// Leaves the reader on the header of the chunk found.
bool TMP3Info::FindRiffChunk(const char* name, const char* listType) {
  for (;;) {
    if (!reader_->Ensure(8)) return false;
    const uint8_t* chunk = reader_->Data();
    const auto size = static_cast<int32_t>(ReadLittleEndian32(chunk + 4));
    if (size < 1) return false;
    if (SameBytes(chunk, name)) {
      if (listType == nullptr) return true;
      if (!reader_->Ensure(12)) return false;
      if (SameBytes(reader_->Data() + 8, listType)) return true;
    }
    if (!reader_->Skip(Even(int64_t{size} + 8))) return false;
  }
}

bool TMP3Info::ReadRiffDataChunk() {
  if (!reader_->Ensure(8)) return false;
  const uint8_t* chunk = reader_->Data();
  const auto size = static_cast<int32_t>(ReadLittleEndian32(chunk + 4));
  if (!SameBytes(chunk, "data") || size <= 0) return false;
  riffDataLength_ = dataLength_ = size;
  if (!reader_->Skip(8)) return false;
  riffDataStart_ = dataStart_ = reader_->Position();
  return true;
}

// The "INFO" sub-chunks as id=value lines. A broken list keeps the lines read so far.
void TMP3Info::ReadRiffInfo() {
  if (!reader_->Ensure(8)) return;
  const auto size = static_cast<int32_t>(ReadLittleEndian32(reader_->Data() + 4));
  if (size < 0 || !SameBytes(reader_->Data(), "LIST")) return;
  if (!reader_->Ensure(12) || !SameBytes(reader_->Data() + 8, "INFO")) return;
  const int64_t listEnd = reader_->Position() + size + 8;
  if (!reader_->Skip(12)) return;
  while (reader_->Position() < listEnd) {
    if (!reader_->Ensure(8)) return;
    const std::string id = FixedFieldText(reader_->Data(), 4);
    const auto length = static_cast<int32_t>(ReadLittleEndian32(reader_->Data() + 4));
    if (!reader_->Skip(8) || length < 0) return;
    if (id == "IID3") return;
    if (length > reader_->Capacity() || !reader_->Ensure(length)) return;
    const std::string value = FixedFieldText(reader_->Data(), static_cast<size_t>(length));
    if (!id.empty() && !value.empty()) riffValues_.AddPair(id, value);
    if (!reader_->Skip(Even(length))) return;
  }
}
