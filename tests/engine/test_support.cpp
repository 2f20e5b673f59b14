#include "test_support.h"

#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "base/engine_error.h"

namespace {

// No test may reach a real sound card: whatever a test forgets to choose is the null device.
[[maybe_unused]] const bool kNullAudio = [] {
  setenv("VARO_AUDIO", "null:100", 1);
  return true;
}();

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream in(line);
  while (std::getline(in, field, '\t')) fields.push_back(field);
  return fields;
}

}  // namespace

std::string CorpusPath(const std::string& relative) {
  return std::string(VARO_TEST_DATA) + "/corpus/" + relative;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

const std::vector<TManifestRow>& CorpusManifest() {
  static const std::vector<TManifestRow> rows = [] {
    std::ifstream in(CorpusPath("MANIFEST.tsv"));
    std::string line;
    std::getline(in, line);
    const std::vector<std::string> names = SplitTabs(line);
    std::vector<TManifestRow> result;
    while (std::getline(in, line)) {
      if (line.empty()) continue;
      const std::vector<std::string> fields = SplitTabs(line);
      TManifestRow row;
      for (size_t i = 0; i < names.size(); ++i)
        row.Columns[names[i]] = i < fields.size() ? fields[i] : std::string();
      result.push_back(std::move(row));
    }
    return result;
  }();
  return rows;
}

int32_t TMemoryStream::Read(void* buffer, int32_t count) {
  const int64_t n = std::min<int64_t>(count, static_cast<int64_t>(bytes_.size()) - position_);
  if (n <= 0) return 0;
  std::copy_n(bytes_.data() + position_, n, static_cast<uint8_t*>(buffer));
  position_ += n;
  bytesRead_ += n;
  return static_cast<int32_t>(n);
}

int64_t TMemoryStream::Seek(int64_t offset, TMPSeekOrigin origin) {
  if (!seekable_) throw EMP3Error("stream cannot seek");
  const int64_t base = origin == TMPSeekOrigin::soBeginning ? 0
                       : origin == TMPSeekOrigin::soCurrent ? position_
                                                            : static_cast<int64_t>(bytes_.size());
  position_ = std::clamp<int64_t>(base + offset, 0, static_cast<int64_t>(bytes_.size()));
  return position_;
}

TTempDir::TTempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "varo-engine-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TTempDir::~TTempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::vector<uint8_t> WavData(const std::string& path) {
  std::vector<uint8_t> bytes = ReadFileBytes(path);
  if (bytes.size() < 44) return {};
  return std::vector<uint8_t>(bytes.begin() + 44, bytes.end());
}
