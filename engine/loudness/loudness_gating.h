// EBU R128 integrated loudness from its gating blocks (400 ms windows every 100 ms): exactly
// from their energies, or from a histogram of them that an album can be measured from later
// without decoding again; and ReplayGain 2.0's gain for a loudness.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr double kReferenceLoudness = -18.0;  // LUFS, ReplayGain 2.0
inline constexpr double kAbsoluteGate = -70.0;       // LUFS
inline constexpr double kRelativeGate = -10.0;  // LU below the mean of the blocks above the absolute gate

// A block's mean square (channel-weighted) and its loudness; silence is -infinity.
double LoudnessOfEnergy(double energy);
double EnergyOfLoudness(double lufs);

// The gated loudness of these blocks; -infinity when none passes the absolute gate.
double GatedLoudness(const std::vector<double>& blockEnergies);

// ReplayGain 2.0: the gain that brings this loudness to -18 LUFS.
inline double ReplayGainOf(double lufs) { return kReferenceLoudness - lufs; }

// How many blocks fell into each 0.1 LU from -70 LUFS up (the same bins libebur128's histogram
// mode keeps). A block counts at the loudness of its bin's middle, which moves a loudness by
// a hundredth of a LU or so.
class TLoudnessHistogram {
 public:
  static constexpr int32_t kBins = 1000;
  static constexpr double kBinWidth = 0.1;

  void Add(double blockEnergy);  // blocks below the absolute gate are not kept
  void Merge(const TLoudnessHistogram& other);
  bool Empty() const { return counts_.empty(); }
  uint64_t Blocks() const;
  double Loudness() const;  // gated; -infinity when empty

  // "FIRST:COUNT,COUNT,…" over the bins from the first used one to the last; "" when empty.
  std::string ToText() const;
  // False (and the histogram left empty) for anything ToText does not write.
  bool FromText(std::string_view text);

 private:
  friend double HistogramLoudness(const std::vector<const TLoudnessHistogram*>& histograms);
  void AddToBin(int32_t bin, uint64_t count);

  int32_t first_ = 0;
  std::vector<uint64_t> counts_;  // bins first_, first_ + 1, …
};

// The loudness of the blocks of several histograms as one programme (an album's tracks).
double HistogramLoudness(const std::vector<const TLoudnessHistogram*>& histograms);
