// Measures tracks ahead of when they play: one thread of its own at idle priority (it runs only
// when nothing else wants the processor, and reads the disk only when nothing else does), with
// a decoder state of its own, taking the tracks the caller wants most first, keeping what it
// measures in the cache and reporting each track through a callback.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "loudness/track_loudness.h"

class TLoudnessCache;

class TLoudnessScanner {
 public:
  struct TResult {
    std::string Path;
    std::optional<TTrackLoudness> Loudness;  // nothing when the track could not be measured
    std::string Error;                       // then why
    bool FromCache = false;
  };
  // Called on the scanner's thread, never for a track given up before its measurement ended.
  using TReport = std::function<void(const TResult&)>;

  // The cache may be null (nothing kept between runs). Options.Pieces is not used: one thread.
  TLoudnessScanner(TLoudnessCache* cache, TReport report, TLoudnessOptions options = {});
  // Gives up the track being measured and waits for the thread.
  ~TLoudnessScanner();
  TLoudnessScanner(const TLoudnessScanner&) = delete;
  TLoudnessScanner& operator=(const TLoudnessScanner&) = delete;

  // The tracks to measure, most wanted first, in place of those waiting; the track being
  // measured is given up unless it is among them.
  void SetWanted(const std::vector<std::string>& paths);
  // Tracks behind those waiting (none twice).
  void Add(const std::vector<std::string>& paths);
  // Gives up a track, waiting or being measured, or all of them.
  void Cancel(const std::string& path);
  void CancelAll() { SetWanted({}); }

  // Tracks waiting or being measured.
  size_t Pending() const;
  // A track is being measured (not looked up in the cache).
  bool Measuring() const { return measuring_.load(); }
  // Samples per channel measured since the start, of tracks given up too.
  int64_t MeasuredSamples() const { return control_.Samples.load(); }

 private:
  void Run(std::stop_token stop);
  TResult Scan(const std::string& path);

  TLoudnessCache* cache_;
  TReport report_;
  TLoudnessOptions options_;
  mutable std::mutex mutex_;
  std::condition_variable_any wake_;
  std::deque<std::string> wanted_;
  std::string current_;
  TLoudnessControl control_;  // of the track being measured
  std::atomic<bool> measuring_{false};
  std::jthread thread_;  // last: starts after everything it uses
};
