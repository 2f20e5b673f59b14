#include "output/alsa_wave_device.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cerrno>
#include <thread>

namespace {

constexpr unsigned kLatencyMicroseconds = 200000;
constexpr auto kPollStep = std::chrono::milliseconds(10);

}  // namespace

AlsaWaveDevice::AlsaWaveDevice(std::string deviceName) : deviceName_(std::move(deviceName)) {
  if (deviceName_.empty()) deviceName_ = "default";
}

AlsaWaveDevice::~AlsaWaveDevice() { Close(); }

std::string AlsaWaveDevice::ErrorText(int result) const {
  const char* text = snd_strerror(result);
  return text != nullptr ? text : std::string();
}

int AlsaWaveDevice::OpenOutput(const TWaveFormat& format) {
  int result = snd_pcm_open(&pcm_, deviceName_.c_str(), SND_PCM_STREAM_PLAYBACK, 0);
  if (result < 0) {
    pcm_ = nullptr;
    return result;
  }
  const snd_pcm_format_t sampleFormat = format.BitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
  result = snd_pcm_set_params(pcm_, sampleFormat, SND_PCM_ACCESS_RW_INTERLEAVED,
                              static_cast<unsigned>(format.Channels),
                              static_cast<unsigned>(format.SampleRate), 1, kLatencyMicroseconds);
  if (result < 0) {
    snd_pcm_close(pcm_);
    pcm_ = nullptr;
    return result;
  }
  softPaused_ = false;
  return kWaveNoError;
}

void AlsaWaveDevice::CloseOutput() {
  if (pcm_ == nullptr) return;
  snd_pcm_drop(pcm_);
  snd_pcm_close(pcm_);
  pcm_ = nullptr;
}

int AlsaWaveDevice::PlayChunk(const uint8_t* data, int32_t bytes) {
  const int32_t block = Format().BlockAlign();
  snd_pcm_uframes_t frames = static_cast<snd_pcm_uframes_t>(bytes / block);
  while (frames > 0) {
    if (Interrupted()) return kInterrupted;
    snd_pcm_sframes_t written = snd_pcm_writei(pcm_, data, frames);
    if (written < 0) {
      const int recovered = snd_pcm_recover(pcm_, static_cast<int>(written), 1);
      if (recovered < 0) return recovered;
      continue;
    }
    data += written * block;
    frames -= static_cast<snd_pcm_uframes_t>(written);
  }
  snd_pcm_sframes_t delay = 0;
  if (snd_pcm_delay(pcm_, &delay) == 0) NoteOutputDelay(delay);
  return kWaveNoError;
}

void AlsaWaveDevice::DropOutput() {
  snd_pcm_drop(pcm_);
  snd_pcm_prepare(pcm_);
  softPaused_ = false;
}

void AlsaWaveDevice::PauseOutput() {
  if (snd_pcm_state(pcm_) != SND_PCM_STATE_RUNNING) return;
  if (snd_pcm_pause(pcm_, 1) == 0) return;
  // No pause in this device: stop it; what it held is lost.
  snd_pcm_drop(pcm_);
  snd_pcm_prepare(pcm_);
  softPaused_ = true;
}

void AlsaWaveDevice::RestartOutput() {
  if (snd_pcm_state(pcm_) == SND_PCM_STATE_PAUSED) snd_pcm_pause(pcm_, 0);
  softPaused_ = false;
}

bool AlsaWaveDevice::WaitPlayedOut() {
  for (;;) {
    if (AttentionNeeded()) return false;
    const snd_pcm_state_t state = snd_pcm_state(pcm_);
    if (state == SND_PCM_STATE_PREPARED) {
      // Less than the start threshold was written: start it now.
      snd_pcm_sframes_t delay = 0;
      if (snd_pcm_delay(pcm_, &delay) < 0 || delay <= 0) return true;
      if (const int started = snd_pcm_start(pcm_); started < 0) {
        ReportError(started);  // the tail was never heard
        return true;
      }
      continue;
    }
    if (state == SND_PCM_STATE_DISCONNECTED) ReportError(-ENODEV);
    if (state != SND_PCM_STATE_RUNNING) return true;
    snd_pcm_sframes_t delay = 0;
    if (snd_pcm_delay(pcm_, &delay) < 0 || delay <= 0) {
      NoteOutputDelay(0);
      return true;
    }
    NoteOutputDelay(delay);
    const auto remaining =
        std::chrono::microseconds(static_cast<int64_t>(delay) * 1000000 / std::max(1, Format().SampleRate));
    std::this_thread::sleep_for(std::min<std::chrono::microseconds>(remaining, kPollStep));
  }
}
