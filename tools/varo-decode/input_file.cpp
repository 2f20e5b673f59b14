#include "input_file.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/engine_error.h"

namespace {

constexpr int32_t kPiece = 1 << 16;

// Bytes held in memory, seekable like a file.
class TMemoryInput final : public TMPStream {
 public:
  explicit TMemoryInput(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  int32_t Read(void* buffer, int32_t count) override {
    const int64_t left = Size() - position_;
    const int32_t n = static_cast<int32_t>(std::clamp<int64_t>(count, 0, left));
    if (n > 0) std::memcpy(buffer, bytes_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
  }

  int64_t Seek(int64_t offset, TMPSeekOrigin origin) override {
    const int64_t base = origin == TMPSeekOrigin::soBeginning ? 0
                         : origin == TMPSeekOrigin::soCurrent ? position_
                                                              : Size();
    // Like lseek: before the start is an error, past the end reads nothing.
    if (offset < -base) throw EMP3Error("Seek error on the input. " + std::string(std::strerror(EINVAL)));
    position_ = base + offset;
    return position_;
  }

  int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }

 private:
  std::vector<uint8_t> bytes_;
  int64_t position_ = 0;
};

// Every byte `read` delivers until it reports the end (0).
template <typename TRead>
std::vector<uint8_t> ReadAll(TRead read) {
  std::vector<uint8_t> bytes;
  size_t used = 0;
  for (;;) {
    bytes.resize(used + kPiece);
    const int32_t got = read(bytes.data() + used, kPiece);
    if (got <= 0) break;
    used += static_cast<size_t>(got);
  }
  bytes.resize(used);
  return bytes;
}

std::vector<uint8_t> ReadStandardInput() {
  return ReadAll([](uint8_t* buffer, int32_t count) {
    for (;;) {
      const ssize_t n = ::read(STDIN_FILENO, buffer, static_cast<size_t>(count));
      if (n >= 0) return static_cast<int32_t>(n);
      if (errno != EINTR)
        throw EMP3Error("Read error on standard input. " + std::string(std::strerror(errno)));
    }
  });
}

}  // namespace

std::unique_ptr<TMPStream> OpenInput(const std::string& path) {
  if (path == "-") return std::make_unique<TMemoryInput>(ReadStandardInput());
  auto file = std::make_unique<TMPFileStream>(path);
  if (file->CanSeek()) return file;
  return std::make_unique<TMemoryInput>(
      ReadAll([&file](uint8_t* buffer, int32_t count) { return file->Read(buffer, count); }));
}
