#include "loudness/loudness_scanner.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <exception>

#include "loudness/loudness_cache.h"

namespace {

constexpr int kIdleIoClass = 3;  // IOPRIO_CLASS_IDLE
constexpr int kIoClassShift = 13;
constexpr int kIoWhoThread = 1;  // IOPRIO_WHO_PROCESS, which names a thread by its id

// Only when nothing else wants the processor or the disk: playback and the desktop come first.
void RunAtIdlePriority() {
  const sched_param none{};
  pthread_setschedparam(pthread_self(), SCHED_IDLE, &none);
  // SCHED_IDLE may be refused inside some containers; the lowest nice value is never refused.
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
  syscall(SYS_ioprio_set, kIoWhoThread, gettid(), kIdleIoClass << kIoClassShift);
}

}  // namespace

TLoudnessScanner::TLoudnessScanner(TLoudnessCache* cache, TReport report, TLoudnessOptions options)
    : cache_(cache), report_(std::move(report)), options_(options) {
  options_.Pieces = 1;
  thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
}

TLoudnessScanner::~TLoudnessScanner() {
  control_.GiveUp = true;
  thread_.request_stop();
  wake_.notify_all();
}

void TLoudnessScanner::SetWanted(const std::vector<std::string>& paths) {
  std::lock_guard lock(mutex_);
  wanted_.clear();
  for (const std::string& p : paths)
    if (p != current_ && std::find(wanted_.begin(), wanted_.end(), p) == wanted_.end()) wanted_.push_back(p);
  if (!current_.empty() && std::find(paths.begin(), paths.end(), current_) == paths.end())
    control_.GiveUp = true;
  wake_.notify_all();
}

void TLoudnessScanner::Add(const std::vector<std::string>& paths) {
  std::lock_guard lock(mutex_);
  for (const std::string& p : paths)
    if (p != current_ && std::find(wanted_.begin(), wanted_.end(), p) == wanted_.end()) wanted_.push_back(p);
  wake_.notify_all();
}

void TLoudnessScanner::Cancel(const std::string& path) {
  std::lock_guard lock(mutex_);
  std::erase(wanted_, path);
  if (path == current_) control_.GiveUp = true;
}

size_t TLoudnessScanner::Pending() const {
  std::lock_guard lock(mutex_);
  return wanted_.size() + (current_.empty() ? 0 : 1);
}

void TLoudnessScanner::Run(std::stop_token stop) {
  RunAtIdlePriority();
  for (;;) {
    std::string path;
    {
      std::unique_lock lock(mutex_);
      if (!wake_.wait(lock, stop, [this] { return !wanted_.empty(); })) return;
      path = wanted_.front();
      wanted_.pop_front();
      current_ = path;
      control_.GiveUp = false;
    }
    const TResult result = Scan(path);
    bool givenUp = false;
    {
      std::lock_guard lock(mutex_);
      givenUp = control_.GiveUp || stop.stop_requested();
      current_.clear();
    }
    if (!givenUp) report_(result);
  }
}

TLoudnessScanner::TResult TLoudnessScanner::Scan(const std::string& path) {
  TResult result{path, std::nullopt, {}, false};
  const std::optional<TLoudnessCacheKey> key = LoudnessCacheKeyOf(path);
  if (key && cache_ != nullptr) {
    result.Loudness = cache_->Find(*key);
    result.FromCache = result.Loudness.has_value();
    if (result.FromCache) return result;
  }
  measuring_ = true;
  try {
    result.Loudness = MeasureTrackLoudness(path, options_, &control_);
  } catch (const std::exception& error) {
    result.Error = error.what();
  }
  measuring_ = false;
  if (result.Loudness && key && cache_ != nullptr) cache_->Store(*key, *result.Loudness);
  return result;
}
