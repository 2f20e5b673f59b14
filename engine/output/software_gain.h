// The device volume applied to the samples themselves: left gain in the low 16 bits of the
// volume word, right gain in the high 16 bits, 0xFFFF = unchanged.
#pragma once

#include <cstdint>

#include "output/wave_device.h"

// Copies bytes of PCM from src to dst with the gains applied. A single-channel stream takes
// the louder of the two gains.
void ApplySoftwareGain(const uint8_t* src, uint8_t* dst, int32_t bytes, const TWaveFormat& format,
                       uint32_t volume);
