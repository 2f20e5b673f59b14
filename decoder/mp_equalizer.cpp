// Equalizer gains and switches: written by the player, read while decoding.
#include "decoder/mp_equalizer.h"

std::atomic<float> SubbandGains[kSubbandGainCount];
std::atomic<int32_t> SubbandEqOn{0};
std::atomic<float> LineGains[kLineGainCount];
std::atomic<int32_t> LineEqOn{0};

std::atomic<float>* SubbandGainAt(int32_t i) { return &SubbandGains[i]; }
std::atomic<int32_t>* SubbandEqFlag() { return &SubbandEqOn; }
std::atomic<float>* LineGainAt(int32_t i) { return &LineGains[i]; }
std::atomic<int32_t>* LineEqFlag() { return &LineEqOn; }
