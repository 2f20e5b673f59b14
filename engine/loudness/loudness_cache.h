// Track measurements kept between runs, keyed by path, size and modification time, in one
// text file of a folder the caller gives: a line appended for each measurement (a line cut
// off or damaged is passed over), the whole file rewritten atomically when it has grown to
// twice what it keeps, and only the newest measurements kept beyond the limit.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "loudness/track_loudness.h"

struct TLoudnessCacheKey {
  std::string Path;
  int64_t Size = 0;
  int64_t Modified = 0;  // nanoseconds since the epoch
};
// The key of the file as it is now; nothing when it cannot be looked at.
std::optional<TLoudnessCacheKey> LoudnessCacheKeyOf(const std::string& path);

class TLoudnessCache {
 public:
  static constexpr size_t kDefaultLimit = 10000;
  static constexpr const char* kFileName = "loudness.cache";

  // Reads FOLDER/loudness.cache when there is one; the folder is made at the first write.
  explicit TLoudnessCache(std::string folder, size_t limit = kDefaultLimit);
  TLoudnessCache(const TLoudnessCache&) = delete;
  TLoudnessCache& operator=(const TLoudnessCache&) = delete;

  // The measurement of the file as it is now: nothing when there is none, or when its size or
  // modification time differ from those it was measured with.
  std::optional<TTrackLoudness> Find(const std::string& path) const;
  std::optional<TTrackLoudness> Find(const TLoudnessCacheKey& key) const;
  // Keeps a measurement of the whole track made of the file as the key describes it. False
  // when the file could not be written (the measurement is still kept for this run).
  bool Store(const TLoudnessCacheKey& key, const TTrackLoudness& loudness);
  // Rewrites the file with what is kept. What another process appended since this one read
  // the file is lost then: it is measured again when it is wanted.
  bool Compact();

  size_t Count() const;
  std::string FilePath() const { return folder_ + '/' + kFileName; }

 private:
  struct TEntry {
    int64_t Size;
    int64_t Modified;
    uint64_t Age;  // higher is newer
    double Integrated;
    double Peak;
    double TruePeak;
    int64_t Samples;
    int32_t SampleRate;
    int32_t Channels;
    std::string Histogram;  // as TLoudnessHistogram writes it
  };
  void Load();
  void Trim();
  bool CompactLocked();
  bool AppendLocked(const std::string& line);

  std::string folder_;
  size_t limit_;
  mutable std::mutex mutex_;
  std::unordered_map<std::string, TEntry> entries_;
  uint64_t age_ = 0;
  size_t fileLines_ = 0;     // entry lines in the file, kept or not
  bool fileUsable_ = false;  // the file starts with this format's first line
};
