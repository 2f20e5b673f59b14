// A track's loudness measured from what is heard: decoded with decoder states of its own (the
// encoder's delay and padding trimmed) through libebur128, in one piece or in several pieces
// measured side by side that give what one piece gives.
#pragma once

#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "loudness/loudness_gating.h"

struct TLoudnessOptions {
  // The true peak besides the sample peak (libebur128's four-fold oversampling, which takes
  // about three times as long as the rest of the measurement).
  bool TruePeak = false;
  // Threads for one track, each measuring a piece at least ShortestPiece seconds long (a
  // piece also decodes 1.3 s in front of it for the filters and its first block).
  int32_t Pieces = 1;
  double ShortestPiece = 30.0;
  // Above 0: only the first this many seconds, a quick first reading.
  double Seconds = 0;
};

struct TTrackLoudness {
  double Integrated = -std::numeric_limits<double>::infinity();  // LUFS; -infinity: silent
  double Peak = 0;       // the sample peak of the decoded output; 1.0 = full scale
  double TruePeak = -1;  // -1 when not measured
  int64_t Samples = 0;   // per channel, measured
  int32_t SampleRate = 0;
  int32_t Channels = 0;
  bool Whole = true;  // false when Seconds ended the measurement before the track's end
  TLoudnessHistogram Histogram;
  std::vector<double> Blocks;  // the gating blocks' energies; none when read from the cache

  bool Silent() const { return !std::isfinite(Integrated); }
  double Gain() const { return ReplayGainOf(Integrated); }  // dB; infinite when silent
};

// Between a measurement and another thread: giving it up (looked at after every frame), and
// how far it has come.
struct TLoudnessControl {
  std::atomic<bool> GiveUp{false};
  std::atomic<int64_t> Samples{0};  // per channel, measured so far, every piece counted
};

// The loudness of tracks heard one after another as one programme (an album): exact when
// every track has its blocks, else from their histograms.
double AlbumLoudness(const std::vector<const TTrackLoudness*>& tracks);

// Measures the track at path. Raises EMP3Error as opening a track does (a file that cannot be
// opened, "unknown MPEG Audio format."). Nothing when it was given up.
std::optional<TTrackLoudness> MeasureTrackLoudness(const std::string& path,
                                                   const TLoudnessOptions& options = {},
                                                   TLoudnessControl* control = nullptr);

// The pieces on the caller's own threads, for callers that spread the pieces of many tracks
// over a few threads: piece `piece` of `pieces` (a piece beyond what the track's length allows
// measures nothing), then all of them joined in order.
struct TLoudnessPiece {
  std::vector<double> Blocks;
  double Peak = 0;
  double TruePeak = -1;
  int64_t Samples = 0;
  int32_t SampleRate = 0;
  int32_t Channels = 0;
  bool Whole = true;
};
std::optional<TLoudnessPiece> MeasureLoudnessPiece(const std::string& path, int32_t piece, int32_t pieces,
                                                   const TLoudnessOptions& options,
                                                   TLoudnessControl* control = nullptr);
TTrackLoudness JoinLoudnessPieces(const std::vector<TLoudnessPiece>& pieces);
