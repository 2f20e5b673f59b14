// WAV and raw PCM output.
#include "pcm_writer.h"

#include <bit>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr uint64_t kMaxWavDataBytes = 0xFFFFFFFFull - 36;
constexpr size_t kPieceBytes = size_t{1} << 16;

void PutLe(std::vector<uint8_t>& out, uint32_t value, int32_t bytes) {
  for (int32_t i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

std::vector<uint8_t> WavHeader(int32_t channels, int32_t sampleRate, uint32_t dataBytes) {
  std::vector<uint8_t> h;
  h.reserve(44);
  auto tag = [&h](const char* text) {
    for (int i = 0; i < 4; ++i) h.push_back(static_cast<uint8_t>(text[i]));
  };
  tag("RIFF");
  PutLe(h, 36 + dataBytes, 4);
  tag("WAVE");
  tag("fmt ");
  PutLe(h, 16, 4);
  PutLe(h, 1, 2);  // integer PCM
  PutLe(h, static_cast<uint32_t>(channels), 2);
  PutLe(h, static_cast<uint32_t>(sampleRate), 4);
  PutLe(h, static_cast<uint32_t>(sampleRate * channels * 2), 4);
  PutLe(h, static_cast<uint32_t>(channels * 2), 2);
  PutLe(h, 16, 2);
  tag("data");
  PutLe(h, dataBytes, 4);
  return h;
}

std::string Reason() { return std::strerror(errno); }

}  // namespace

TPcmWriter::TPcmWriter(const std::string& path, bool wav, int32_t channels, int32_t sampleRate,
                       uint64_t dataBytes)
    : path_(path == "-" ? "standard output" : path), wav_(wav), declaredBytes_(dataBytes) {
  if (wav && dataBytes > kMaxWavDataBytes) {
    throw TOutputError("the decoded audio is too long for a WAV file; use --raw");
  }
  if (path == "-") {
    file_ = stdout;
  } else {
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) throw TOutputError("cannot create '" + path + "': " + Reason());
    ownsFile_ = true;
  }
  pending_.resize(kPieceBytes);
  if (wav) {
    const auto header = WavHeader(channels, sampleRate, static_cast<uint32_t>(dataBytes));
    Put(header.data(), header.size());
    declaredBytes_ += header.size();
  }
}

TPcmWriter::~TPcmWriter() {
  // Not closed (an error is on its way): what was decoded still goes out, as far as it can.
  if (file_ && used_ > 0) std::fwrite(pending_.data(), 1, used_, file_);
  if (ownsFile_ && file_) std::fclose(file_);
}

void TPcmWriter::Put(const void* bytes, size_t size) {
  std::memcpy(Room(size), bytes, size);
  used_ += size;
  writtenBytes_ += size;
}

void TPcmWriter::Drain() {
  if (used_ > 0 && std::fwrite(pending_.data(), 1, used_, file_) != used_)
    throw TOutputError("cannot write " + path_ + ": " + Reason());
  used_ = 0;
}

uint8_t* TPcmWriter::Room(size_t bytes) {
  if (used_ + bytes > pending_.size()) Drain();
  if (bytes > pending_.size()) pending_.resize(bytes);
  return pending_.data() + used_;
}

int16_t* TPcmWriter::SampleRoom(size_t count) {
  // The pieces are whole samples from an aligned start, so every sample place is aligned.
  return reinterpret_cast<int16_t*>(Room(count * sizeof(int16_t)));
}

void TPcmWriter::Commit(size_t count) {
  if constexpr (std::endian::native == std::endian::big) {
    uint8_t* bytes = pending_.data() + used_;
    for (size_t i = 0; i < count; ++i) std::swap(bytes[2 * i], bytes[2 * i + 1]);
  }
  used_ += count * sizeof(int16_t);
  writtenBytes_ += count * sizeof(int16_t);
}

void TPcmWriter::Close() {
  // A WAV file whose header disagrees with its data would be read wrongly by every player.
  if (wav_ && writtenBytes_ != declaredBytes_) {
    throw TOutputError("the audio written (" + std::to_string(writtenBytes_) +
                       " bytes) differs from the WAV header's " + std::to_string(declaredBytes_));
  }
  Drain();
  const bool failed = std::fflush(file_) != 0;
  const std::string reason = failed ? Reason() : std::string();
  if (ownsFile_) {
    const bool closeFailed = std::fclose(file_) != 0;
    file_ = nullptr;
    if (closeFailed && !failed) throw TOutputError("cannot write " + path_ + ": " + Reason());
  }
  if (failed) throw TOutputError("cannot write " + path_ + ": " + reason);
}
