#include "loudness/track_loudness.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <thread>

#include "loudness/loudness_meter.h"
#include "stream/mp_stream.h"
#include "stream/mp_track_decoder.h"

namespace {

// The K-weighting filters forget their start within milliseconds; a piece starts this much
// before its first block so that its blocks are the blocks of a measurement from the start.
constexpr double kWarmUpSeconds = 1.0;

bool GivenUp(const TLoudnessControl* control) {
  return control != nullptr && control->GiveUp.load(std::memory_order_relaxed);
}

}  // namespace

std::optional<TLoudnessPiece> MeasureLoudnessPiece(const std::string& path, int32_t piece, int32_t pieces,
                                                   const TLoudnessOptions& options,
                                                   TLoudnessControl* control) {
  TMPFileStream file(path);
  TMPTrackDecoder track;
  track.Open(&file, file.CanSeek());
  const TMPOutputFormat& format = track.Format();
  TLoudnessPiece result;
  result.SampleRate = format.SampleRate;
  result.Channels = format.Channels;
  const int64_t step = TLoudnessMeter::BlockStep(format.SampleRate);

  // Where the pieces split, on block ends: as many as the length allows, all of one track
  // finding the same places.
  const int64_t total = track.TotalSamples();
  int64_t end = options.Seconds > 0 ? std::llround(options.Seconds * format.SampleRate) : -1;
  int32_t usable = 1;
  if (end < 0 && file.CanSeek() && total > 0)
    usable = static_cast<int32_t>(std::clamp<int64_t>(
        total / std::max<int64_t>(std::llround(options.ShortestPiece * format.SampleRate), 1), 1,
        std::max(pieces, 1)));
  if (piece >= usable) return result;
  auto split = [&](int32_t k) { return total / usable * k / step * step; };
  const int64_t keepFrom = piece == 0 ? 0 : split(piece);
  if (piece + 1 < usable) end = split(piece + 1);
  const int64_t warmUp = std::llround(kWarmUpSeconds * format.SampleRate) / step * step;
  const int64_t start = std::max<int64_t>(keepFrom - 3 * step - warmUp, 0);
  if (start > 0) track.SeekSample(start);

  TLoudnessMeter meter(format.Channels, format.SampleRate, options.TruePeak, start, keepFrom);
  std::vector<int16_t> pcm(static_cast<size_t>(track.BytesPerFrame()) / sizeof(int16_t));
  const int32_t frameBytes = format.Channels * static_cast<int32_t>(sizeof(int16_t));
  for (;;) {
    if (GivenUp(control)) return std::nullopt;
    int32_t bytes = 0;
    const TMPTrackDecoder::TStep decoded = track.DecodeNext(reinterpret_cast<uint8_t*>(pcm.data()), bytes);
    if (decoded == TMPTrackDecoder::TStep::Ended) break;
    if (decoded == TMPTrackDecoder::TStep::Nothing) continue;
    int64_t frames = bytes / frameBytes;
    if (end >= 0) frames = std::min(frames, end - meter.Position());
    meter.Add(pcm.data(), frames);
    if (control != nullptr) control->Samples.fetch_add(frames, std::memory_order_relaxed);
    if (end >= 0 && meter.Position() >= end) {
      // A quick reading that stopped before the track's end is not the whole track.
      if (piece + 1 == usable) result.Whole = false;
      break;
    }
  }
  result.Blocks = meter.BlockEnergies();
  result.Peak = meter.SamplePeak();
  result.TruePeak = meter.TruePeak();
  result.Samples = std::max<int64_t>(meter.Position() - keepFrom, 0);
  return result;
}

TTrackLoudness JoinLoudnessPieces(const std::vector<TLoudnessPiece>& pieces) {
  TTrackLoudness track;
  std::vector<double> blocks;
  for (const TLoudnessPiece& p : pieces) {
    blocks.insert(blocks.end(), p.Blocks.begin(), p.Blocks.end());
    track.Peak = std::max(track.Peak, p.Peak);
    track.TruePeak = std::max(track.TruePeak, p.TruePeak);
    track.Samples += p.Samples;
    track.Whole = track.Whole && p.Whole;
    if (track.SampleRate == 0) {
      track.SampleRate = p.SampleRate;
      track.Channels = p.Channels;
    }
  }
  track.Integrated = GatedLoudness(blocks);
  for (const double e : blocks) track.Histogram.Add(e);
  track.Blocks = std::move(blocks);
  return track;
}

double AlbumLoudness(const std::vector<const TTrackLoudness*>& tracks) {
  std::vector<double> blocks;
  std::vector<const TLoudnessHistogram*> histograms;
  bool exact = true;
  for (const TTrackLoudness* t : tracks) {
    histograms.push_back(&t->Histogram);
    blocks.insert(blocks.end(), t->Blocks.begin(), t->Blocks.end());
    // A silent track has no block to miss; any other track without blocks came from the cache.
    exact = exact && (!t->Blocks.empty() || t->Histogram.Empty());
  }
  return exact ? GatedLoudness(blocks) : HistogramLoudness(histograms);
}

std::optional<TTrackLoudness> MeasureTrackLoudness(const std::string& path, const TLoudnessOptions& options,
                                                   TLoudnessControl* control) {
  const int32_t pieces = std::max(options.Pieces, 1);
  std::vector<std::optional<TLoudnessPiece>> results(static_cast<size_t>(pieces));
  std::vector<std::exception_ptr> errors(static_cast<size_t>(pieces));
  auto measure = [&](int32_t k) {
    try {
      results[static_cast<size_t>(k)] = MeasureLoudnessPiece(path, k, pieces, options, control);
    } catch (...) {
      errors[static_cast<size_t>(k)] = std::current_exception();
    }
  };
  {
    std::vector<std::jthread> threads;
    for (int32_t k = 1; k < pieces; ++k) threads.emplace_back(measure, k);
    measure(0);
  }
  for (const std::exception_ptr& e : errors)
    if (e) std::rethrow_exception(e);
  std::vector<TLoudnessPiece> joined;
  for (std::optional<TLoudnessPiece>& r : results) {
    if (!r) return std::nullopt;
    joined.push_back(std::move(*r));
  }
  return JoinLoudnessPieces(joined);
}
