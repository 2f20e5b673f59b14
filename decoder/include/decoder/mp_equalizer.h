// The decoder side of the equalizer: per-sub-band gains applied before the synthesis DCT and
// per-line gains applied to Layer III spectra. The player writes them from its own thread
// while the decoding thread reads them, so every value is a relaxed atomic.
#pragma once

#include <atomic>
#include <cstdint>

constexpr int32_t kSubbandGainCount = 32;
constexpr int32_t kLineGainCount = 576;

// Linear gains, all 0.0 at start; applied only while their switch is nonzero (both start at 0).
extern std::atomic<float> SubbandGains[kSubbandGainCount];
extern std::atomic<int32_t> SubbandEqOn;
extern std::atomic<float> LineGains[kLineGainCount];
extern std::atomic<int32_t> LineEqOn;

std::atomic<float>* SubbandGainAt(int32_t i);  // i = 0..31
std::atomic<int32_t>* SubbandEqFlag();
std::atomic<float>* LineGainAt(int32_t i);  // i = 0..575
std::atomic<int32_t>* LineEqFlag();
