// Seek time against track length: 3-minute and 2-hour files, of constant bit rate and of
// varying bit rate with a table of contents, made by repeating the audio frames of corpus
// files, seeked with a cold frame index (just opened) and a warm one, beside mpg123 seeking to
// the same frame (-k) as a reference. Prints times and ratios, asserts none.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "decoder/mp_frame_header.h"
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

void PutBigEndian32(uint8_t* p, uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

// The audio frames of the source repeated until the file lasts at least `seconds`. A constant
// rate file goes without the source's information frame, so that no frame count claims a
// length; a varying one keeps its Xing frame, with the counts and the table of contents made
// to fit the long file.
void MakeLongFile(const std::string& source, const std::string& path, int64_t seconds, bool xing) {
  TMPFileStream in(source);
  TMPTrackDecoder track;
  TMPTrackOptions whole;
  whole.Gapless = false;
  track.Open(&in, true, whole);
  const int64_t infoStart = track.Info().DataStart(), start = track.Walker().AudioStart();
  const int64_t rate = track.Format().SampleRate;
  track.WalkAll();
  const int64_t sourceSamples = track.TotalSamples();
  const std::vector<uint8_t> bytes = ReadAll(source);
  const int64_t end =
      std::min<int64_t>(start + track.Walker().AudioLength(), static_cast<int64_t>(bytes.size()));
  std::vector<int64_t> frames;  // offsets of the source's audio frames, from its first
  for (int64_t at = start; at + 4 <= end;) {
    TMPFrameHeader header{};
    const int32_t length = ParseFrameHeader(bytes.data() + at, 0, header);
    if (length <= 0) break;
    frames.push_back(at - start);
    at += FrameSizeWithPadding(header, length);
  }
  const int64_t count = static_cast<int64_t>(frames.size()), frameSamples = sourceSamples / count;
  frames.push_back(end - start);
  int64_t from = start, to = end, copySamples = sourceSamples;
  if (!xing) {
    // Whole periods of the padding pattern, so that the copies join as one encoded stream
    // would: frame n at n times the bytes per frame, within a byte.
    TMPFrameHeader header{};
    int32_t bitrate = 0;
    ParseFrameHeaderRate(bytes.data() + start, 0, header, bitrate);
    const int64_t num = frameSamples * bitrate, den = 8 * rate;
    const int64_t run = count / (den / std::gcd(num, den)) * (den / std::gcd(num, den));
    for (int64_t s = 0; run > 0 && s + run <= count; ++s) {
      const int64_t a = frames[static_cast<size_t>(s)], b = frames[static_cast<size_t>(s + run)];
      if ((b - a) * den != run * num) continue;
      from = start + a;
      to = start + b;
      copySamples = run * frameSamples;
      break;
    }
  }
  const int64_t copies = (seconds * rate + copySamples - 1) / copySamples;
  std::ofstream out(path, std::ios::binary);
  if (xing) {
    std::vector<uint8_t> info(bytes.begin() + infoStart, bytes.begin() + start);
    const auto tag = std::search(info.begin(), info.end(), std::begin("Xing"), std::end("Xing") - 1);
    if (tag == info.end() || (tag[7] & 7) != 7)
      throw std::runtime_error("no Xing counts and TOC in " + source);
    const int64_t total = static_cast<int64_t>(info.size()) + copies * (end - start);
    const int64_t all = copies * count;
    PutBigEndian32(&tag[8], static_cast<uint32_t>(all));
    PutBigEndian32(&tag[12], static_cast<uint32_t>(total));
    for (int64_t i = 0; i < 100; ++i) {
      const int64_t frame = all * i / 100;
      const int64_t at = static_cast<int64_t>(info.size()) + frame / count * (end - start) +
                         frames[static_cast<size_t>(frame % count)];
      tag[16 + i] = static_cast<uint8_t>(at * 256 / total);
    }
    out.write(reinterpret_cast<const char*>(info.data()), static_cast<std::streamsize>(info.size()));
  }
  for (int64_t i = 0; i < copies; ++i)
    out.write(reinterpret_cast<const char*>(bytes.data() + from), to - from);
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
  double ColdMs = 0, ColdMaxMs = 0, WarmMs = 0, Mpg123Ms = 0;
  bool ByRate = false;  // the cold seek found its frame by the constant rate
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
  double cold = 1e30, coldMax = 0;
  int64_t total = 0, frameSamples = 1;
  for (int run = 0; run < kColdRuns; ++run) {
    TMPFileStream stream(path);
    TMPTrackDecoder track;
    track.Open(&stream, true);
    std::vector<uint8_t> pcm(static_cast<size_t>(track.BytesPerFrame()));
    frameSamples = track.Format().SamplesPerFrame / track.Format().Channels;
    const int64_t estimate = track.TotalSamples();
    const double ms = Ms(TimedSeek(track, estimate * 9 / 10, pcm));
    cold = std::min(cold, ms);
    coldMax = std::max(coldMax, ms);
    figures.ByRate = track.ConstantRate();
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
  figures.ColdMaxMs = coldMax;
  figures.Mpg123Ms = Mpg123Seek(path, total * 9 / 10 / frameSamples);
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_seek_time CORPUS_DIR\n");
    return 2;
  }
  const std::string corpus = argv[1];
  char folder[] = "/tmp/varo-seek-bench-XXXXXX";
  if (mkdtemp(folder) == nullptr) return 1;
  struct TKind {
    const char* Name;
    std::string Source;
    bool Xing;
  };
  const TKind kinds[] = {
      {"CBR 128", corpus + "/bench/bench_60s_mpeg1_l3_cbr128_joint.mp3", false},
      {"VBR TOC", corpus + "/layer3/l3_mpeg1_44k_vbr_v0_joint_pink.mp3", true},
  };
  struct TLength {
    const char* Name;
    int64_t Seconds;
  };
  const TLength lengths[] = {{"3 min", 180}, {"2 h", 7200}};
  std::printf("seek to 90 %% of a Layer III file (times to the first PCM, ms; cold: best-worst of %d)\n",
              kColdRuns);
  std::printf("%-8s %-6s %18s %8s %12s %16s\n", "kind", "length", "cold index", "by rate", "warm index",
              "mpg123 -k (run)");
  for (const TKind& kind : kinds) {
    TFigures figures[2];
    for (int i = 0; i < 2; ++i) {
      const std::string path = std::string(folder) + "/long.mp3";
      MakeLongFile(kind.Source, path, lengths[i].Seconds, kind.Xing);
      figures[i] = Measure(path);
      std::filesystem::remove(path);
      std::printf("%-8s %-6s %8.3f-%-9.3f %8s %12.3f %16.3f\n", kind.Name, lengths[i].Name, figures[i].ColdMs,
                  figures[i].ColdMaxMs, figures[i].ByRate ? "yes" : "no", figures[i].WarmMs,
                  figures[i].Mpg123Ms);
    }
    std::printf("%-8s 2 h / 3 min: cold %.1f, warm %.2f; varo / mpg123 cold: %.2f (3 min), %.2f (2 h)\n",
                kind.Name, figures[1].ColdMs / figures[0].ColdMs, figures[1].WarmMs / figures[0].WarmMs,
                figures[0].ColdMs / std::max(figures[0].Mpg123Ms, 1e-3),
                figures[1].ColdMs / std::max(figures[1].Mpg123Ms, 1e-3));
  }
  std::filesystem::remove_all(folder);
  return 0;
}
