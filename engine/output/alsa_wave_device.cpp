#include "output/alsa_wave_device.h"

#include <alsa/asoundlib.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <thread>

namespace {

// Two periods asked for: half of it is written at a time, when half of it is free, so the
// device thread and the sound server's client thread wake ten times a second. The pulse
// plugin insists on three periods, so there they wake fifteen times; writing two of them at
// once stalls it. A longer buffer would wake them less but lag behind a volume change by as
// much. Requests do not wait for the device: they wake the thread, and a pause or stop acts
// on the device at once.
constexpr unsigned kBufferMicroseconds = 200000;
// Only a lost wake-up would need it.
constexpr int kLongestWaitMs = 1000;
constexpr auto kPollStep = std::chrono::milliseconds(10);
// How long a device that reports no delay may keep part of its buffer: a sound server that
// ran dry plays the last of it late, but one that never gives it back must not hold up the end.
constexpr auto kLongestTakeBack = std::chrono::seconds(2);

}  // namespace

AlsaWaveDevice::AlsaWaveDevice(std::string deviceName)
    : deviceName_(std::move(deviceName)), wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  if (deviceName_.empty()) deviceName_ = "default";
}

AlsaWaveDevice::~AlsaWaveDevice() {
  Close();
  if (wakeFd_ >= 0) close(wakeFd_);
}

std::string AlsaWaveDevice::ErrorText(int result) const {
  const char* text = snd_strerror(result);
  return text != nullptr ? text : std::string();
}

// Two periods (or what the device offers nearest); the start when both are full.
int AlsaWaveDevice::SetParams(const TWaveFormat& format) {
  snd_pcm_hw_params_t* hw = nullptr;
  snd_pcm_hw_params_alloca(&hw);
  unsigned rate = static_cast<unsigned>(format.SampleRate);
  unsigned bufferTime = kBufferMicroseconds;
  unsigned periodTime = kBufferMicroseconds / 2;
  int result = snd_pcm_hw_params_any(pcm_, hw);
  if (result >= 0) result = snd_pcm_hw_params_set_rate_resample(pcm_, hw, 1);
  if (result >= 0) result = snd_pcm_hw_params_set_access(pcm_, hw, SND_PCM_ACCESS_RW_INTERLEAVED);
  if (result >= 0)
    result = snd_pcm_hw_params_set_format(
        pcm_, hw, format.BitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE);
  if (result >= 0) result = snd_pcm_hw_params_set_channels(pcm_, hw, static_cast<unsigned>(format.Channels));
  if (result >= 0) result = snd_pcm_hw_params_set_rate_near(pcm_, hw, &rate, nullptr);
  if (result >= 0 && rate != static_cast<unsigned>(format.SampleRate)) result = -EINVAL;
  if (result >= 0) result = snd_pcm_hw_params_set_buffer_time_near(pcm_, hw, &bufferTime, nullptr);
  if (result >= 0) result = snd_pcm_hw_params_set_period_time_near(pcm_, hw, &periodTime, nullptr);
  if (result >= 0) result = snd_pcm_hw_params(pcm_, hw);
  snd_pcm_uframes_t buffer = 0;
  snd_pcm_uframes_t period = 0;
  if (result >= 0) result = snd_pcm_get_params(pcm_, &buffer, &period);
  if (result < 0) return result;
  chunkFrames_ = static_cast<int64_t>(std::max<snd_pcm_uframes_t>(period, 1));
  bufferFrames_ = static_cast<int64_t>(buffer);
  snd_pcm_sw_params_t* sw = nullptr;
  snd_pcm_sw_params_alloca(&sw);
  result = snd_pcm_sw_params_current(pcm_, sw);
  if (result >= 0) result = snd_pcm_sw_params_set_avail_min(pcm_, sw, period);
  if (result >= 0) result = snd_pcm_sw_params_set_start_threshold(pcm_, sw, buffer / period * period);
  if (result >= 0) result = snd_pcm_sw_params(pcm_, sw);
  return result;
}

int AlsaWaveDevice::OpenOutput(const TWaveFormat& format) {
  if (wakeFd_ < 0) return -EMFILE;
  int result = snd_pcm_open(&pcm_, deviceName_.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
  if (result < 0) {
    pcm_ = nullptr;
    return result;
  }
  result = SetParams(format);
  const int count = result >= 0 ? snd_pcm_poll_descriptors_count(pcm_) : 0;
  if (result >= 0 && count <= 0) result = -EINVAL;
  if (result < 0) {
    snd_pcm_close(pcm_);
    pcm_ = nullptr;
    return result;
  }
  pollFds_.assign(static_cast<size_t>(count) + 1, pollfd{});
  softPaused_ = false;
  return kWaveNoError;
}

void AlsaWaveDevice::CloseOutput() {
  if (pcm_ == nullptr) return;
  snd_pcm_drop(pcm_);
  snd_pcm_close(pcm_);
  pcm_ = nullptr;
}

int32_t AlsaWaveDevice::ChunkBytes(const TWaveFormat& format) const {
  return static_cast<int32_t>(chunkFrames_ * format.BlockAlign());
}

void AlsaWaveDevice::WakeOutput() {
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = write(wakeFd_, &one, sizeof one);
}

void AlsaWaveDevice::WaitWritable() {
  const auto count = static_cast<unsigned>(pollFds_.size() - 1);
  snd_pcm_poll_descriptors(pcm_, pollFds_.data(), count);
  pollFds_.back() = pollfd{wakeFd_, POLLIN, 0};
  if (poll(pollFds_.data(), pollFds_.size(), kLongestWaitMs) <= 0) return;
  if (pollFds_.back().revents & POLLIN) {
    uint64_t wakes = 0;
    [[maybe_unused]] const ssize_t n = read(wakeFd_, &wakes, sizeof wakes);
  }
  unsigned short revents = 0;
  snd_pcm_poll_descriptors_revents(pcm_, pollFds_.data(), count, &revents);
}

void AlsaWaveDevice::NoteDelay() {
  snd_pcm_sframes_t delay = 0;
  if (snd_pcm_delay(pcm_, &delay) == 0) NoteOutputDelay(delay, snd_pcm_state(pcm_) == SND_PCM_STATE_RUNNING);
}

// A chunk goes to the device whole once there is room for it, so a pause or stop asked for
// meanwhile finds nothing of it written and the chunk is played again later.
int AlsaWaveDevice::PlayChunk(const uint8_t* data, int32_t bytes) {
  const int32_t block = Format().BlockAlign();
  auto frames = static_cast<snd_pcm_sframes_t>(bytes / block);
  bool begun = false;
  while (frames > 0) {
    if (Interrupted() || (!begun && ControlPending())) return kInterrupted;
    const snd_pcm_sframes_t room = snd_pcm_avail_update(pcm_);
    if (room >= 0 && room < frames && !begun) {
      WaitWritable();
      continue;
    }
    const snd_pcm_sframes_t written = snd_pcm_writei(pcm_, data, static_cast<snd_pcm_uframes_t>(frames));
    if (written == -EAGAIN) {
      WaitWritable();
      continue;
    }
    if (written < 0) {
      const int recovered = snd_pcm_recover(pcm_, static_cast<int>(written), 1);
      if (recovered < 0) return recovered;
      continue;
    }
    begun = written > 0 || begun;
    data += written * block;
    frames -= written;
  }
  NoteDelay();
  return kWaveNoError;
}

void AlsaWaveDevice::DropOutput() {
  snd_pcm_drop(pcm_);
  snd_pcm_prepare(pcm_);
  softPaused_ = false;
}

void AlsaWaveDevice::PauseOutput() {
  if (snd_pcm_state(pcm_) != SND_PCM_STATE_RUNNING) return;
  if (snd_pcm_pause(pcm_, 1) == 0) {
    NoteDelay();  // held: no longer counted down
    return;
  }
  // No pause in this device: stop it; what it held is lost.
  snd_pcm_drop(pcm_);
  snd_pcm_prepare(pcm_);
  softPaused_ = true;
}

void AlsaWaveDevice::RestartOutput() {
  if (snd_pcm_state(pcm_) == SND_PCM_STATE_PAUSED) snd_pcm_pause(pcm_, 0);
  softPaused_ = false;
  NoteDelay();
}

// The delay alone does not tell the end: once the sound server has run dry (this thread was
// held up), the pulse plugin reports none while the server still has what came after to
// play, and closing then drops it. The room it gives back as it takes the audio must be
// the whole buffer too.
bool AlsaWaveDevice::WaitPlayedOut() {
  std::optional<Clock::time_point> emptySince;
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
      const snd_pcm_sframes_t room = snd_pcm_avail_update(pcm_);
      const auto now = Clock::now();
      if (!emptySince) emptySince = now;
      if (room < 0 || room >= bufferFrames_ || now - *emptySince >= kLongestTakeBack) return true;
      std::this_thread::sleep_for(kPollStep);
      continue;
    }
    NoteOutputDelay(delay, true);
    const auto remaining =
        std::chrono::microseconds(static_cast<int64_t>(delay) * 1000000 / std::max(1, Format().SampleRate));
    std::this_thread::sleep_for(std::min<std::chrono::microseconds>(remaining, kPollStep));
  }
}
