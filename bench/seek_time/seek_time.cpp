// Seek time against track length: a 3-minute and a 2-hour file made by repeating the audio
// frames of a corpus file, seeked with a cold frame index (just opened) and a warm one, beside
// mpg123 seeking to the same frame (-k) as a reference. Prints times and ratios, asserts none.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "stream/mp_stream.h"
#include "stream/mp_track_decoder.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWarmSeeks = 200;
constexpr int kColdRuns = 5;
constexpr int kMpg123Runs = 3;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The audio frames of the source (its information frame left out, so that no frame count
// claims a length), repeated until the file lasts at least `seconds`.
void MakeLongFile(const std::string& source, const std::string& path, int64_t seconds) {
  TMPFileStream in(source);
  TMPTrackDecoder track;
  track.Open(&in, true);
  const int64_t start = track.Walker().AudioStart();
  const int64_t rate = track.Format().SampleRate;
  track.WalkAll();
  const int64_t sourceSeconds = track.TotalSamples() / rate;
  const std::vector<uint8_t> bytes = ReadAll(source);
  const int64_t end =
      std::min<int64_t>(start + track.Walker().AudioLength(), static_cast<int64_t>(bytes.size()));
  std::ofstream out(path, std::ios::binary);
  for (int64_t done = 0; done < seconds; done += sourceSeconds)
    out.write(reinterpret_cast<const char*>(bytes.data() + start), end - start);
}

// Seeks and decodes up to the first PCM: what a listener waits for after a seek.
Clock::duration TimedSeek(TMPTrackDecoder& track, int64_t sample, std::vector<uint8_t>& pcm) {
  const auto begin = Clock::now();
  track.SeekSample(sample);
  int32_t bytes = 0;
  while (track.DecodeNext(pcm.data(), bytes) == TMPTrackDecoder::TStep::Nothing) {
  }
  return Clock::now() - begin;
}

struct TFigures {
  double ColdMs = 0, WarmMs = 0, Mpg123Ms = 0, Mpg123FirstMs = 0;
};

// mpg123 decoding one frame after skipping to `frame`, less the same with no skip: the part of
// its run that the seek takes. Best of a few runs.
double Mpg123Seek(const std::string& path, int64_t frame) {
  auto best = [&](int64_t skip) {
    double fastest = 1e30;
    for (int i = 0; i < kMpg123Runs; ++i) {
      const std::string command =
          "mpg123 -q -t -k " + std::to_string(skip) + " -n 1 '" + path + "' >/dev/null 2>&1";
      const auto begin = Clock::now();
      if (std::system(command.c_str()) != 0) return -1.0;
      fastest = std::min(fastest, Ms(Clock::now() - begin));
    }
    return fastest;
  };
  const double skipped = best(frame), plain = best(0);
  return skipped < 0 || plain < 0 ? -1.0 : std::max(skipped - plain, 0.0);
}

TFigures Measure(const std::string& path) {
  TFigures figures;
  double cold = 1e30;
  int64_t total = 0, frameSamples = 1;
  for (int run = 0; run < kColdRuns; ++run) {
    TMPFileStream stream(path);
    TMPTrackDecoder track;
    track.Open(&stream, true);
    std::vector<uint8_t> pcm(static_cast<size_t>(track.BytesPerFrame()));
    frameSamples = track.Format().SamplesPerFrame / track.Format().Channels;
    const int64_t estimate = track.TotalSamples();
    cold = std::min(cold, Ms(TimedSeek(track, estimate * 9 / 10, pcm)));
    if (run + 1 < kColdRuns) continue;
    track.WalkAll();
    total = track.TotalSamples();
    std::mt19937_64 random(42);
    std::uniform_int_distribution<int64_t> anywhere(0, total - 1);
    Clock::duration warm{};
    for (int i = 0; i < kWarmSeeks; ++i) warm += TimedSeek(track, anywhere(random), pcm);
    figures.WarmMs = Ms(warm) / kWarmSeeks;
  }
  figures.ColdMs = cold;
  figures.Mpg123Ms = Mpg123Seek(path, total * 9 / 10 / frameSamples);
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_seek_time CORPUS_DIR\n");
    return 2;
  }
  const std::string source = std::string(argv[1]) + "/bench/bench_60s_mpeg1_l3_cbr128_joint.mp3";
  char folder[] = "/tmp/varo-seek-bench-XXXXXX";
  if (mkdtemp(folder) == nullptr) return 1;
  struct TLength {
    const char* Name;
    int64_t Seconds;
  };
  const TLength lengths[] = {{"3 minutes", 180}, {"2 hours", 7200}};
  TFigures figures[2];
  std::printf("seek to 90 %% of a Layer III 128 kbit/s file (times to the first PCM, ms)\n");
  std::printf("%-10s %14s %14s %16s\n", "length", "cold index", "warm index", "mpg123 -k (run)");
  for (int i = 0; i < 2; ++i) {
    const std::string path = std::string(folder) + "/long.mp3";
    MakeLongFile(source, path, lengths[i].Seconds);
    figures[i] = Measure(path);
    std::filesystem::remove(path);
    std::printf("%-10s %14.3f %14.3f %16.3f\n", lengths[i].Name, figures[i].ColdMs, figures[i].WarmMs,
                figures[i].Mpg123Ms);
  }
  std::filesystem::remove_all(folder);
  std::printf("2 hours / 3 minutes: cold %.1f, warm %.2f; varo / mpg123 cold: %.2f (3 min), %.2f (2 h)\n",
              figures[1].ColdMs / figures[0].ColdMs, figures[1].WarmMs / figures[0].WarmMs,
              figures[0].ColdMs / std::max(figures[0].Mpg123Ms, 1e-3),
              figures[1].ColdMs / std::max(figures[1].Mpg123Ms, 1e-3));
  return 0;
}
