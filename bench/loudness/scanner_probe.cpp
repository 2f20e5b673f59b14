// The background scanner at work, for bench/loudness/compare.py: measures the files given on
// its idle-priority thread (then once more, answered from the cache) and prints what it cost.
//   varo_scanner_probe CACHE_FOLDER FILE...
#include <sys/resource.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "loudness/loudness_cache.h"
#include "loudness/loudness_scanner.h"

namespace {

// VmRSS now, or VmHWM: the most this process image has held (getrusage's peak would count what
// the parent held before the exec).
long ResidentKb(const char* field = "VmRSS:") {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.starts_with(field)) return std::stol(line.substr(6));
  return -1;
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: varo_scanner_probe CACHE_FOLDER FILE...\n");
    return 2;
  }
  const std::vector<std::string> files(argv + 2, argv + argc);
  TLoudnessCache cache(argv[1]);
  std::mutex mutex;
  std::condition_variable arrived;
  size_t results = 0, failed = 0, fromCache = 0;
  double audioSeconds = 0;
  TLoudnessScanner scanner(&cache, [&](const TLoudnessScanner::TResult& r) {
    std::lock_guard lock(mutex);
    ++results;
    if (!r.Loudness) ++failed;
    if (r.FromCache) ++fromCache;
    if (r.Loudness) audioSeconds += static_cast<double>(r.Loudness->Samples) / r.Loudness->SampleRate;
    arrived.notify_all();
  });
  const long residentBefore = ResidentKb();
  for (const char* pass : {"measured", "from cache"}) {
    const double cpu = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    {
      std::unique_lock lock(mutex);
      results = failed = fromCache = 0;
      audioSeconds = 0;
    }
    scanner.SetWanted(files);
    std::unique_lock lock(mutex);
    arrived.wait(lock, [&] { return results == files.size(); });
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: files %zu failed %zu from_cache %zu audio_s %.1f cpu_s %.3f wall_s %.3f\n", pass,
                results, failed, fromCache, audioSeconds, CpuSeconds() - cpu, wall);
  }
  std::printf("rss_before_kb %ld peak_rss_kb %ld\n", residentBefore, ResidentKb("VmHWM:"));
  return 0;
}
