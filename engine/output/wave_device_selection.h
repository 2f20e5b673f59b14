// Which wave device to use: "alsa[:DEVICE]", "null[:SPEED]" or "wav[@SPEED]:PATH".
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "output/wave_device.h"

enum class TWaveBackend { Alsa, Null, WavFile };

struct TWaveDeviceChoice {
  TWaveBackend Backend = TWaveBackend::Alsa;
  std::string Device = "default";  // ALSA device name
  std::string Path;                // WAV file
  double Speed = 1.0;              // null and wav: times faster than real time
};

// False when text is no valid device choice.
bool ParseWaveDevice(std::string_view text, TWaveDeviceChoice& choice);

// The choice text in force: an explicit one when given, else the environment variable
// VARO_AUDIO when set, else the ALSA device for the numbered device (-1 = "default").
std::string EffectiveWaveDevice(const std::string& explicitChoice, int32_t deviceId);

std::unique_ptr<WaveDevice> CreateWaveDevice(const TWaveDeviceChoice& choice);
