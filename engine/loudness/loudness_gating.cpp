#include "loudness/loudness_gating.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

constexpr double kLoudnessOffset = -0.691;  // K-weighting's offset in BS.1770
constexpr double kSilence = -std::numeric_limits<double>::infinity();

double BinMiddle(int32_t bin) { return kAbsoluteGate + (bin + 0.5) * TLoudnessHistogram::kBinWidth; }

// The two gates over (energy, count) pairs.
template <typename ForEachBlock>
double Gate(const ForEachBlock& forEach) {
  const double absolute = EnergyOfLoudness(kAbsoluteGate);
  double sum = 0, count = 0;
  forEach([&](double energy, double n) {
    if (energy >= absolute) sum += energy * n, count += n;
  });
  if (count == 0) return kSilence;
  const double relative = sum / count * std::pow(10.0, kRelativeGate / 10);
  double gatedSum = 0, gatedCount = 0;
  forEach([&](double energy, double n) {
    if (energy >= absolute && energy >= relative) gatedSum += energy * n, gatedCount += n;
  });
  return gatedCount == 0 ? kSilence : LoudnessOfEnergy(gatedSum / gatedCount);
}

}  // namespace

double LoudnessOfEnergy(double energy) {
  return energy > 0 ? kLoudnessOffset + 10 * std::log10(energy) : kSilence;
}

double EnergyOfLoudness(double lufs) { return std::pow(10.0, (lufs - kLoudnessOffset) / 10); }

double GatedLoudness(const std::vector<double>& blockEnergies) {
  return Gate([&](auto&& visit) {
    for (const double e : blockEnergies) visit(e, 1.0);
  });
}

void TLoudnessHistogram::AddToBin(int32_t bin, uint64_t count) {
  if (counts_.empty()) {
    first_ = bin;
    counts_.assign(1, 0);
  } else if (bin < first_) {
    counts_.insert(counts_.begin(), static_cast<size_t>(first_ - bin), 0);
    first_ = bin;
  } else if (bin >= first_ + static_cast<int32_t>(counts_.size())) {
    counts_.resize(static_cast<size_t>(bin - first_ + 1), 0);
  }
  counts_[static_cast<size_t>(bin - first_)] += count;
}

void TLoudnessHistogram::Add(double blockEnergy) {
  const double lufs = LoudnessOfEnergy(blockEnergy);
  if (!(lufs >= kAbsoluteGate)) return;
  const auto bin = static_cast<int32_t>(std::floor((lufs - kAbsoluteGate) / kBinWidth));
  AddToBin(std::min(bin, kBins - 1), 1);
}

void TLoudnessHistogram::Merge(const TLoudnessHistogram& other) {
  for (size_t i = 0; i < other.counts_.size(); ++i)
    if (other.counts_[i] != 0) AddToBin(other.first_ + static_cast<int32_t>(i), other.counts_[i]);
}

uint64_t TLoudnessHistogram::Blocks() const {
  uint64_t n = 0;
  for (const uint64_t c : counts_) n += c;
  return n;
}

double TLoudnessHistogram::Loudness() const { return HistogramLoudness({this}); }

std::string TLoudnessHistogram::ToText() const {
  if (counts_.empty()) return {};
  std::string text = std::to_string(first_) + ':';
  for (size_t i = 0; i < counts_.size(); ++i) {
    if (i > 0) text += ',';
    text += std::to_string(counts_[i]);
  }
  return text;
}

bool TLoudnessHistogram::FromText(std::string_view text) {
  counts_.clear();
  first_ = 0;
  if (text.empty()) return true;
  const char* p = text.data();
  const char* end = p + text.size();
  int32_t first = 0;
  auto [at, error] = std::from_chars(p, end, first);
  if (error != std::errc() || at == end || *at != ':' || first < 0 || first >= kBins) return false;
  std::vector<uint64_t> counts;
  for (p = at + 1;;) {
    uint64_t count = 0;
    const auto [next, e] = std::from_chars(p, end, count);
    if (e != std::errc() || first + static_cast<int64_t>(counts.size()) >= kBins) return false;
    counts.push_back(count);
    if (next == end) break;
    if (*next != ',') return false;
    p = next + 1;
  }
  first_ = first;
  counts_ = std::move(counts);
  return true;
}

double HistogramLoudness(const std::vector<const TLoudnessHistogram*>& histograms) {
  return Gate([&](auto&& visit) {
    for (const TLoudnessHistogram* h : histograms)
      for (size_t i = 0; i < h->counts_.size(); ++i)
        if (h->counts_[i] != 0)
          visit(EnergyOfLoudness(BinMiddle(h->first_ + static_cast<int32_t>(i))),
                static_cast<double>(h->counts_[i]));
  });
}
