// Shared helpers of the engine tests: test data paths, the corpus manifest, in-memory
// streams, temporary folders and WAV files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "stream/mp_stream.h"

std::string CorpusPath(const std::string& relative);
std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// One row of tests/data/corpus/MANIFEST.tsv, by column name.
struct TManifestRow {
  std::map<std::string, std::string> Columns;
  const std::string& operator[](const std::string& name) const { return Columns.at(name); }
};
const std::vector<TManifestRow>& CorpusManifest();

// A stream over bytes in memory; forward-only streams refuse to seek.
class TMemoryStream : public TMPStream {
 public:
  explicit TMemoryStream(std::vector<uint8_t> bytes, bool seekable = true)
      : bytes_(std::move(bytes)), seekable_(seekable) {}
  int32_t Read(void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, TMPSeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }
  int64_t BytesRead() const { return bytesRead_; }

 protected:
  std::vector<uint8_t> bytes_;
  bool seekable_;
  int64_t position_ = 0;
  int64_t bytesRead_ = 0;
};

// A folder under the system's temporary folder, removed with the object.
class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// The PCM bytes of a WAV file the wav device wrote (header skipped, whatever its sizes say).
std::vector<uint8_t> WavData(const std::string& path);
