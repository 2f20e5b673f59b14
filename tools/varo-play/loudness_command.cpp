#include "loudness_command.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

#include "loudness/loudness_cache.h"
#include "loudness/replay_gain_tag_writer.h"
#include "loudness/track_loudness.h"

namespace {

struct TFileJob {
  std::string Path;
  std::optional<TLoudnessCacheKey> Key;  // as it was when its measurement began
  std::vector<std::optional<TLoudnessPiece>> Pieces;
  int32_t PiecesLeft = 0;
  std::string Error;
  std::optional<TTrackLoudness> Loudness;
};

std::string Fixed(double value, int decimals) {
  char text[48];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string Level(double peak, const char* unit) {
  return Fixed(peak, 6) + " (" + (peak > 0 ? Fixed(20 * std::log10(peak), 2) : "-inf") + ' ' + unit + ')';
}

void PrintLoudness(std::ostream& out, const TTrackLoudness& t, const char* gainName) {
  out << "  loudness: " << (t.Silent() ? "silent" : Fixed(t.Integrated, 2) + " LUFS") << '\n';
  out << "  peak: " << Level(t.Peak, "dBFS") << '\n';
  if (t.TruePeak >= 0) out << "  true peak: " << Level(t.TruePeak, "dBTP") << '\n';
  out << "  " << gainName << ": " << (t.Silent() ? "none (silent)" : Fixed(t.Gain(), 2) + " dB") << '\n';
}

TMP3Gain GainOf(const TTrackLoudness& t, bool truePeak) {
  TMP3Gain gain;
  if (!t.Silent()) {
    gain.Source = mgsTXXX;
    gain.Gain = std::round(t.Gain() * 100) / 100;
  }
  gain.Peak = truePeak ? t.TruePeak : t.Peak;
  return gain;
}

}  // namespace

int RunLoudnessCommand(const std::vector<std::string>& files, const TLoudnessCommandOptions& options,
                       std::ostream& out, std::ostream& err) {
  const int32_t threads = static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
  TLoudnessOptions measure;
  measure.TruePeak = options.TruePeak;

  // Every file in as many pieces as there are threads (a short file measures in its first
  // piece, the others end at once), taken in order by whichever thread is free.
  std::vector<TFileJob> jobs(files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    jobs[i].Path = files[i];
    jobs[i].Pieces.resize(static_cast<size_t>(threads));
    jobs[i].PiecesLeft = threads;
  }
  std::mutex mutex;
  std::condition_variable done;
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t n; (n = next++) < files.size() * static_cast<size_t>(threads);) {
      TFileJob& job = jobs[n / static_cast<size_t>(threads)];
      const auto piece = static_cast<int32_t>(n % static_cast<size_t>(threads));
      std::optional<TLoudnessPiece> result;
      std::string error;
      try {
        if (piece == 0) job.Key = LoudnessCacheKeyOf(job.Path);
        result = MeasureLoudnessPiece(job.Path, piece, threads, measure);
      } catch (const std::exception& e) {
        error = e.what();
      }
      std::lock_guard lock(mutex);
      job.Pieces[static_cast<size_t>(piece)] = std::move(result);
      if (job.Error.empty()) job.Error = error;
      if (--job.PiecesLeft == 0) done.notify_all();
    }
  };
  std::vector<std::jthread> workers;
  for (int32_t t = 0; t < threads; ++t) workers.emplace_back(work);

  // The reports in the order of the files, each as soon as it and those before it are measured.
  bool ok = true;
  for (TFileJob& job : jobs) {
    {
      std::unique_lock lock(mutex);
      done.wait(lock, [&] { return job.PiecesLeft == 0; });
    }
    out << job.Path << '\n';
    if (!job.Error.empty()) {
      err << job.Path << ": " << job.Error << '\n';
      ok = false;
      continue;
    }
    std::vector<TLoudnessPiece> pieces;
    for (std::optional<TLoudnessPiece>& p : job.Pieces) pieces.push_back(std::move(*p));
    job.Loudness = JoinLoudnessPieces(pieces);
    PrintLoudness(out, *job.Loudness, "track gain");
  }
  workers.clear();

  std::vector<const TTrackLoudness*> tracks;
  TTrackLoudness album;
  for (const TFileJob& job : jobs) {
    if (!job.Loudness) continue;
    tracks.push_back(&*job.Loudness);
    album.Peak = std::max(album.Peak, job.Loudness->Peak);
    album.TruePeak = std::max(album.TruePeak, job.Loudness->TruePeak);
  }
  album.Integrated = AlbumLoudness(tracks);
  out << "album\n";
  PrintLoudness(out, album, "album gain");

  if (!options.WriteTags) return ok ? 0 : 1;
  if (!ok) {
    err << "varo-play: no tags written: the album gain needs every file measured\n";
    return 1;
  }
  for (const TFileJob& job : jobs) {
    if (!job.Loudness) continue;
    TMP3ReplayGain gains{GainOf(*job.Loudness, options.TruePeak), GainOf(album, options.TruePeak)};
    try {
      WriteReplayGainTag(job.Path, gains, job.Key ? job.Key->Size : -1, job.Key ? job.Key->Modified : -1);
      out << job.Path << ": tags written\n";
    } catch (const std::exception& e) {
      err << e.what() << '\n';
      ok = false;
    }
  }
  return ok ? 0 : 1;
}
