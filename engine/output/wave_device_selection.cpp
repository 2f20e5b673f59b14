#include "output/wave_device_selection.h"

#include <cmath>
#include <cstdlib>

#include "output/alsa_wave_device.h"
#include "output/null_wave_device.h"
#include "output/wav_file_wave_device.h"

namespace {

bool ParseSpeed(std::string_view text, double& speed) {
  const std::string s(text);
  char* end = nullptr;
  const double value = std::strtod(s.c_str(), &end);
  if (s.empty() || end != s.c_str() + s.size() || !std::isfinite(value) || value <= 0) return false;
  speed = value;
  return true;
}

}  // namespace

bool ParseWaveDevice(std::string_view text, TWaveDeviceChoice& choice) {
  TWaveDeviceChoice result;
  const size_t colon = text.find(':');
  const std::string_view kind = text.substr(0, colon);
  const std::string_view rest = colon == std::string_view::npos ? "" : text.substr(colon + 1);
  const bool hasRest = colon != std::string_view::npos;
  if (kind == "alsa") {
    result.Backend = TWaveBackend::Alsa;
    if (hasRest) {
      if (rest.empty()) return false;
      result.Device = rest;
    }
  } else if (kind == "null" || kind.starts_with("null@")) {
    result.Backend = TWaveBackend::Null;
    if (kind.size() > 4 && !ParseSpeed(kind.substr(5), result.Speed)) return false;
    if (hasRest && !ParseSpeed(rest, result.Speed)) return false;
  } else if (kind == "wav" || kind.starts_with("wav@")) {
    result.Backend = TWaveBackend::WavFile;
    if (kind.size() > 3 && !ParseSpeed(kind.substr(4), result.Speed)) return false;
    if (!hasRest || rest.empty()) return false;
    result.Path = rest;
  } else {
    return false;
  }
  choice = result;
  return true;
}

std::string EffectiveWaveDevice(const std::string& explicitChoice, int32_t deviceId) {
  if (!explicitChoice.empty()) return explicitChoice;
  if (const char* env = std::getenv("VARO_AUDIO"); env != nullptr && *env != '\0') return env;
  if (deviceId < 0) return "alsa:default";
  return "alsa:plughw:" + std::to_string(deviceId);
}

std::unique_ptr<WaveDevice> CreateWaveDevice(const TWaveDeviceChoice& choice) {
  switch (choice.Backend) {
    case TWaveBackend::Null:
      return std::make_unique<NullWaveDevice>(choice.Speed);
    case TWaveBackend::WavFile:
      return std::make_unique<WavFileWaveDevice>(choice.Path, choice.Speed);
    case TWaveBackend::Alsa:
      break;
  }
  return std::make_unique<AlsaWaveDevice>(choice.Device);
}
