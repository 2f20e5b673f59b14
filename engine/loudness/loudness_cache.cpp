#include "loudness/loudness_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kFirstLine = "VARO loudness cache 1";
constexpr int kFields = 10;  // after the check sum

uint64_t CheckSum(std::string_view text) {
  uint64_t h = 14695981039346656037ull;  // FNV-1a
  for (const unsigned char c : text) h = (h ^ c) * 1099511628211ull;
  return h;
}

std::string Escaped(std::string_view path) {
  std::string out;
  for (const char c : path) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\t')
      out += "\\t";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else
      out += c;
  }
  return out;
}

bool Unescaped(std::string_view text, std::string& path) {
  path.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      path += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case '\\':
        path += '\\';
        break;
      case 't':
        path += '\t';
        break;
      case 'n':
        path += '\n';
        break;
      case 'r':
        path += '\r';
        break;
      default:
        return false;
    }
  }
  return !path.empty();
}

template <typename T>
void Append(std::string& line, T value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  line += '\t';
  line.append(text, result.ptr);
}

template <typename T>
bool Parse(std::string_view text, T& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

std::vector<std::string_view> Split(std::string_view line, char separator) {
  std::vector<std::string_view> parts;
  for (size_t at = 0;;) {
    const size_t next = line.find(separator, at);
    parts.push_back(line.substr(at, next == std::string_view::npos ? std::string_view::npos : next - at));
    if (next == std::string_view::npos) return parts;
    at = next + 1;
  }
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

std::optional<TLoudnessCacheKey> LoudnessCacheKeyOf(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return TLoudnessCacheKey{path, st.st_size, int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec};
}

TLoudnessCache::TLoudnessCache(std::string folder, size_t limit)
    : folder_(std::move(folder)), limit_(std::max<size_t>(limit, 1)) {
  Load();
}

void TLoudnessCache::Load() {
  std::ifstream file(FilePath(), std::ios::binary);
  std::string line;
  if (!file || !std::getline(file, line) || line != kFirstLine) return;
  fileUsable_ = true;
  while (std::getline(file, line)) {
    if (line.empty()) continue;
    ++fileLines_;
    const size_t tab = line.find('\t');
    uint64_t sum = 0;
    if (tab == std::string::npos || !Parse(std::string_view(line).substr(0, tab), sum) ||
        sum != CheckSum(std::string_view(line).substr(tab + 1)))
      continue;
    const std::vector<std::string_view> f = Split(std::string_view(line).substr(tab + 1), '\t');
    if (f.size() != kFields) continue;
    std::string path;
    TEntry e{};
    if (!Unescaped(f[0], path) || !Parse(f[1], e.Size) || !Parse(f[2], e.Modified) ||
        !Parse(f[3], e.Integrated) || !Parse(f[4], e.Peak) || !Parse(f[5], e.TruePeak) ||
        !Parse(f[6], e.Samples) || !Parse(f[7], e.SampleRate) || !Parse(f[8], e.Channels))
      continue;
    const bool sound = (std::isfinite(e.Integrated) || e.Integrated < 0) && e.Peak >= 0 && e.TruePeak >= -1 &&
                       e.Samples >= 0 && e.SampleRate > 0 && e.Channels > 0 &&
                       TLoudnessHistogram().FromText(f[9]);
    if (!sound) continue;
    e.Histogram = std::string(f[9]);
    e.Age = ++age_;
    entries_[std::move(path)] = std::move(e);  // a later line of a path is its newer measurement
  }
  Trim();
}

// Only the newest `limit_` entries stay.
void TLoudnessCache::Trim() {
  if (entries_.size() <= limit_) return;
  std::vector<uint64_t> ages;
  ages.reserve(entries_.size());
  for (const auto& [path, e] : entries_) ages.push_back(e.Age);
  const auto cut = ages.end() - static_cast<ptrdiff_t>(limit_);
  std::nth_element(ages.begin(), cut, ages.end());
  const uint64_t oldestKept = *cut;
  std::erase_if(entries_, [&](const auto& item) { return item.second.Age < oldestKept; });
}

std::optional<TTrackLoudness> TLoudnessCache::Find(const std::string& path) const {
  const std::optional<TLoudnessCacheKey> key = LoudnessCacheKeyOf(path);
  return key ? Find(*key) : std::nullopt;
}

std::optional<TTrackLoudness> TLoudnessCache::Find(const TLoudnessCacheKey& key) const {
  std::lock_guard lock(mutex_);
  const auto it = entries_.find(key.Path);
  if (it == entries_.end() || it->second.Size != key.Size || it->second.Modified != key.Modified)
    return std::nullopt;
  const TEntry& e = it->second;
  TTrackLoudness loudness;
  if (!loudness.Histogram.FromText(e.Histogram)) return std::nullopt;
  loudness.Integrated = e.Integrated;
  loudness.Peak = e.Peak;
  loudness.TruePeak = e.TruePeak;
  loudness.Samples = e.Samples;
  loudness.SampleRate = e.SampleRate;
  loudness.Channels = e.Channels;
  return loudness;
}

size_t TLoudnessCache::Count() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

namespace {

std::string EntryLine(const std::string& path, int64_t size, int64_t modified, double integrated, double peak,
                      double truePeak, int64_t samples, int32_t rate, int32_t channels,
                      const std::string& histogram) {
  std::string fields = Escaped(path);
  Append(fields, size);
  Append(fields, modified);
  Append(fields, integrated);
  Append(fields, peak);
  Append(fields, truePeak);
  Append(fields, samples);
  Append(fields, rate);
  Append(fields, channels);
  fields += '\t';
  fields += histogram;
  std::string line = std::to_string(CheckSum(fields));
  return line + '\t' + fields + '\n';
}

}  // namespace

bool TLoudnessCache::Store(const TLoudnessCacheKey& key, const TTrackLoudness& loudness) {
  if (!loudness.Whole) return false;
  std::lock_guard lock(mutex_);
  TEntry e{key.Size,
           key.Modified,
           ++age_,
           loudness.Integrated,
           loudness.Peak,
           loudness.TruePeak,
           loudness.Samples,
           loudness.SampleRate,
           loudness.Channels,
           loudness.Histogram.ToText()};
  const std::string line = EntryLine(key.Path, e.Size, e.Modified, e.Integrated, e.Peak, e.TruePeak,
                                     e.Samples, e.SampleRate, e.Channels, e.Histogram);
  entries_[key.Path] = std::move(e);
  Trim();
  // A file of another format, or one grown to twice what is kept, is written anew.
  if (!fileUsable_ || fileLines_ + 1 > 2 * std::max<size_t>(entries_.size(), 64)) return CompactLocked();
  return AppendLocked(line);
}

bool TLoudnessCache::AppendLocked(const std::string& line) {
  const int fd = open(FilePath().c_str(), O_RDWR | O_APPEND | O_CLOEXEC);
  if (fd < 0) return CompactLocked();  // gone meanwhile
  // A line cut off by a crash must not swallow the one appended after it (an empty line is
  // passed over).
  struct stat st {};
  char last = 0;
  if (fstat(fd, &st) == 0 && st.st_size > 0 && pread(fd, &last, 1, st.st_size - 1) != 1) last = 0;
  const bool ok = WriteAll(fd, last == '\n' ? line : '\n' + line);
  close(fd);
  if (ok) ++fileLines_;
  return ok;
}

bool TLoudnessCache::Compact() {
  std::lock_guard lock(mutex_);
  return CompactLocked();
}

// Written to a temporary file in the same folder, flushed to the disk and renamed over the
// old one, so that a crash leaves either file whole.
bool TLoudnessCache::CompactLocked() {
  std::error_code error;
  std::filesystem::create_directories(folder_, error);
  std::string temporary = folder_ + '/' + kFileName + ".XXXXXX";
  const int fd = mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return false;
  std::vector<std::pair<uint64_t, const std::string*>> order;
  for (const auto& [path, e] : entries_) order.emplace_back(e.Age, &path);
  std::sort(order.begin(), order.end());
  std::string text(kFirstLine);
  text += '\n';
  for (const auto& [age, path] : order) {
    const TEntry& e = entries_.at(*path);
    text += EntryLine(*path, e.Size, e.Modified, e.Integrated, e.Peak, e.TruePeak, e.Samples, e.SampleRate,
                      e.Channels, e.Histogram);
  }
  const bool written = WriteAll(fd, text) && fsync(fd) == 0;
  if (close(fd) != 0 || !written || rename(temporary.c_str(), FilePath().c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  const int folder = open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
  fileUsable_ = true;
  fileLines_ = entries_.size();
  return true;
}
