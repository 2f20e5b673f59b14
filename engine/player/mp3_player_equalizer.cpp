// TMP3Player's equalizer and processor settings as the decoder takes them.
#include <algorithm>
#include <cmath>

#include "base/mp_messages.h"
#include "decoder/mp3_decoder.h"
#include "player/mp3_player.h"

namespace {

struct CapabilityBit {
  TMP3CpuCapability Member;
  uint32_t Feature;
};
constexpr CapabilityBit kCapabilityBits[] = {
    {mccMMX, cpuMMX},   {mcc3DNow, cpu3DNow}, {mccKNI, cpuKNI},   {mccCMOV, cpuCMOV}, {mccE3DNow, cpuE3DNow},
    {mccEMMX, cpuEMMX}, {mccSSE2, cpuSSE2},   {mccAVX2, cpuAVX2}, {mccFMA, cpuFMA},
};

uint32_t FeatureBits(TMP3CpuCapabilities capabilities) {
  uint32_t bits = 0;
  for (const CapabilityBit& c : kCapabilityBits)
    if (capabilities.Contains(c.Member)) bits |= c.Feature;
  return bits;
}

TMP3CpuCapabilities CapabilitiesOf(uint32_t features) {
  TMP3CpuCapabilities capabilities;
  for (const CapabilityBit& c : kCapabilityBits)
    if (features & c.Feature) capabilities.Include(c.Member);
  return capabilities;
}

int32_t Nearest(double x) { return static_cast<int32_t>(std::lrint(x)); }

float BandFactor(int32_t gain) { return static_cast<float>(std::pow(10.0, gain / 100.0)); }

}  // namespace

void TMP3Player::SetUsingCpuCapabilities(TMP3CpuCapabilities value) {
  usingCpuCapabilities_ = value & CapabilitiesOf(GetCpuFeatures());
}

// The detected word with the capability bits limited to the chosen ones, and never a bit
// the processor lacks.
uint32_t TMP3Player::CpuFeatureWord() const {
  const uint32_t detected = GetCpuFeatures();
  const uint32_t mapped = FeatureBits(CapabilitiesOf(0xFFFFFFFFu));
  return (detected & ~mapped) | (FeatureBits(usingCpuCapabilities_) & detected);
}

int TMP3Player::EqFrequency(int band) const {
  return band >= 0 && band < kEqualizerBands ? eqFrequencies_[band] : 0;
}

// Runs on the owning thread while decoding goes on: the decoder's gains are atomics, so no
// lock is needed; a frame may be decoded half with the old gains.
void TMP3Player::UpdateEqualizer() {
  auto nearestBand = [this](int32_t centre) {
    centre = std::max(centre, 1);
    double best = 2147483648.0;
    int band = 0;
    for (int i = 0; i < equalizerCount_; ++i) {
      double r = static_cast<double>(std::max(eqFrequencies_[i], 1)) / centre;
      if (r < 1) r = 1 / r;
      if (r < best) {
        best = r;
        band = i;
      }
    }
    return band;
  };
  const double rate = sampleRate_;
  const int32_t enabled = equalizerEnabled_ ? 1 : 0;
  if (equalizerMode_ == memSubBand) {
    SubbandEqFlag()->store(enabled, std::memory_order_relaxed);
    LineEqFlag()->store(0, std::memory_order_relaxed);
    for (int i = 0; i < kEqualizerBands; ++i)
      SubbandGainAt(i)->store(BandFactor(eqGains_[i]), std::memory_order_relaxed);
    if (sampleRate_ > 0)
      for (int i = 0; i < kEqualizerBands; ++i) eqFrequencies_[i] = Nearest(rate / 64 * (i + 0.5));
  } else if (layer_ == 3) {
    LineEqFlag()->store(enabled, std::memory_order_relaxed);
    SubbandEqFlag()->store(0, std::memory_order_relaxed);
    if (enabled)
      for (int k = 0; k < 576; ++k)
        LineGainAt(k)->store(BandFactor(eqGains_[nearestBand(Nearest(rate / 1152 * (k + 0.5)))]),
                             std::memory_order_relaxed);
  } else {
    SubbandEqFlag()->store(enabled, std::memory_order_relaxed);
    LineEqFlag()->store(0, std::memory_order_relaxed);
    if (enabled)
      for (int d = 0; d < kEqualizerBands; ++d)
        SubbandGainAt(d)->store(BandFactor(eqGains_[nearestBand(Nearest(rate / 64 * (d + 0.5)))]),
                                std::memory_order_relaxed);
  }
}

void TMP3Player::SetEqualizerRange(int low, int high) {
  if (equalizerMode_ != memFreq || low < 1 || low > high || high > 24000) return;
  const int count = equalizerCount_;
  eqFrequencies_[0] = low;
  for (int i = 1; i <= count - 2; ++i) {
    const double previous = eqFrequencies_[i - 1];
    const int32_t f = Nearest(previous * std::pow(high / previous, 1.0 / (count - i)));
    eqFrequencies_[i] = std::max(f, eqFrequencies_[i - 1]);
  }
  eqFrequencies_[count - 1] = high;
  PostOnce(MPM_EQUALIZER);
}
