#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>

#include "base/engine_error.h"
#include "output/queued_wave_device.h"
#include "output/software_gain.h"
#include "output/sound_out.h"
#include "output/wave_device_selection.h"
#include "test_support.h"

namespace {

using namespace std::chrono_literals;

std::vector<uint8_t> Ramp(size_t bytes) {
  std::vector<uint8_t> pcm(bytes);
  for (size_t i = 0; i < bytes; ++i) pcm[i] = static_cast<uint8_t>(i * 13 + i / 256);
  return pcm;
}

std::vector<int16_t> Samples(const std::vector<uint8_t>& bytes) {
  std::vector<int16_t> samples(bytes.size() / 2);
  std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
  return samples;
}

std::string ErrorOf(TSoundOut& out) {
  try {
    out.Open();
  } catch (const EMP3Error& error) {
    return error.what();
  }
  return "";
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

// Holds what it is handed, as a sound server does, and notes all of it as not heard yet. Its
// first chunk finds it full until a request wakes it.
class HoldingDevice : public QueuedWaveDevice {
 public:
  ~HoldingDevice() override { Close(); }
  std::atomic<int64_t> Accepted{0};
  std::atomic<bool> Running{true};

 protected:
  int OpenOutput(const TWaveFormat&) override { return kWaveNoError; }
  void CloseOutput() override {}
  int PlayChunk(const uint8_t*, int32_t bytes) override {
    if (full_) {
      std::unique_lock lock(wakeLock_);
      woken_.wait(lock, [this] { return wakes_ > 0; });
      full_ = false;
      if (ControlPending()) return kInterrupted;
    }
    Accepted += bytes;
    NoteOutputDelay(Accepted.load() / Format().BlockAlign(), Running.load());
    return kWaveNoError;
  }
  void WakeOutput() override {
    std::lock_guard lock(wakeLock_);
    ++wakes_;
    woken_.notify_all();
  }

 private:
  bool full_ = true;
  std::mutex wakeLock_;
  std::condition_variable woken_;
  int wakes_ = 0;
};

}  // namespace

// A pause does not wait for a full output to take the chunk: the output is woken, gives the
// chunk back untouched, and it is played whole after the restart.
TEST(QueuedWaveDevice, ARequestWakesAFullOutputAndItsChunkPlaysLater) {
  HoldingDevice device;
  const TWaveFormat format;
  std::vector<uint8_t> pcm = Ramp(static_cast<size_t>(format.BytesPerSecond() / 10));
  TWaveHeader header{pcm.data(), static_cast<int32_t>(pcm.size()), true};
  std::atomic<int> done{0};
  ASSERT_EQ(device.Open(format, [&done](TWaveHeader*) { ++done; }), kWaveNoError);
  ASSERT_EQ(device.Write(header), kWaveNoError);
  ASSERT_EQ(device.Pause(), kWaveNoError);
  EXPECT_EQ(device.Accepted.load(), 0);
  ASSERT_EQ(device.Restart(), kWaveNoError);
  ASSERT_TRUE(WaitFor([&done] { return done.load() == 1; }, 5s));
  EXPECT_EQ(device.Accepted.load(), static_cast<int64_t>(pcm.size()));
}

// What the output holds counts as heard as it plays on between two notes, and only while
// it runs.
TEST(QueuedWaveDevice, HeldAudioIsHeardAsTimePassesWhileTheOutputRuns) {
  for (const bool running : {true, false}) {
    HoldingDevice device;
    device.Running = running;
    const TWaveFormat format;
    std::vector<uint8_t> pcm = Ramp(static_cast<size_t>(format.BytesPerSecond()));
    TWaveHeader header{pcm.data(), static_cast<int32_t>(pcm.size()), true};
    std::atomic<int> done{0};
    ASSERT_EQ(device.Open(format, [&done](TWaveHeader*) { ++done; }), kWaveNoError);
    ASSERT_EQ(device.Write(header), kWaveNoError);
    ASSERT_EQ(device.Pause(), kWaveNoError);  // wakes the full output
    ASSERT_EQ(device.Restart(), kWaveNoError);
    ASSERT_TRUE(WaitFor([&done] { return done.load() == 1; }, 5s));
    const int64_t before = device.HeardBytes();
    std::this_thread::sleep_for(100ms);
    const int64_t after = device.HeardBytes();
    if (running) {
      EXPECT_GE(after - before, format.BytesPerSecond() / 20);  // at least 50 of the 100 ms
      EXPECT_LE(after, static_cast<int64_t>(pcm.size()));
    } else {
      EXPECT_EQ(after, before);
    }
  }
}

struct BufferSizeCase {
  int32_t Rate, Channels, Bits, Expected;
};
class SoundOutBufferSize : public testing::TestWithParam<BufferSizeCase> {};

TEST_P(SoundOutBufferSize, HoldsHalfASecondRaisedToAMultipleOfFour) {
  const BufferSizeCase c = GetParam();
  EXPECT_EQ(TSoundOut::ComputeBufferSize(c.Rate, c.Channels, c.Bits), c.Expected);
  TSoundOut out;
  out.SetDeviceSelection("null:100");
  out.SetSampleRate(c.Rate);
  out.SetChannels(c.Channels);
  out.SetBitsPerSample(c.Bits);
  out.Open();
  EXPECT_EQ(out.BufferSize(), c.Expected);
  out.Close();
}

INSTANTIATE_TEST_SUITE_P(
    Formats, SoundOutBufferSize,
    testing::Values(BufferSizeCase{44100, 2, 16, 88200}, BufferSizeCase{22050, 1, 16, 22052},
                    BufferSizeCase{48000, 2, 16, 96000}, BufferSizeCase{11025, 1, 16, 11028},
                    BufferSizeCase{8000, 1, 8, 4000}, BufferSizeCase{11025, 1, 8, 5512}));

TEST(SoundOut, FormatValuesOutOfRangeAreIgnored) {
  TSoundOut out;
  out.SetSampleRate(0);
  out.SetChannels(3);
  out.SetBitsPerSample(24);
  EXPECT_EQ(out.SampleRate(), 44100);
  EXPECT_EQ(out.Channels(), 2);
  EXPECT_EQ(out.BitsPerSample(), 16);
  out.SetVolume(101);
  out.SetBalance(-101);
  EXPECT_EQ(out.Volume(), 100);  // a new device reads as full volume
  EXPECT_EQ(out.Balance(), 0);
}

TEST(SoundOut, FreePercentFollowsTheQueuedBuffers) {
  TSoundOut out;
  out.SetDeviceSelection("null:100");
  EXPECT_EQ(out.FreePercent(), 0);  // not open
  out.Open();
  out.Pause();  // nothing is consumed from here on
  EXPECT_EQ(out.FreePercent(), 100);
  const int32_t size = out.BufferSize();
  const std::vector<uint8_t> pcm = Ramp(static_cast<size_t>(size) * 5);
  EXPECT_EQ(out.Write(pcm.data(), size / 2), size / 2);
  EXPECT_EQ(out.FreePercent(), 87);
  EXPECT_EQ(out.Write(pcm.data(), size / 2), size / 2);
  EXPECT_EQ(out.FreePercent(), 75);
  EXPECT_EQ(out.Write(pcm.data(), size * 4), size * 3);  // only three buffers were left
  EXPECT_EQ(out.FreePercent(), 0);
  EXPECT_FALSE(out.CanWrite());
  EXPECT_EQ(out.Write(pcm.data(), 4), 0);
  out.Reset();
  out.Close();  // after Reset: nothing left to wait for
  EXPECT_FALSE(out.IsOpen());
}

TEST(SoundOut, WaiterIsSignalledOnceABufferIsFree) {
  TSoundOut out;
  out.SetDeviceSelection("null:100");
  out.Open();
  TMPSimpleEvent waiter;
  out.SetWaiter(&waiter);  // free already: signalled at once
  EXPECT_EQ(waiter.WaitFor(0), WAIT_OBJECT_0);
  out.Pause();
  const std::vector<uint8_t> pcm = Ramp(static_cast<size_t>(out.BufferSize()) * 4);
  ASSERT_EQ(out.Write(pcm.data(), static_cast<int32_t>(pcm.size())), static_cast<int32_t>(pcm.size()));
  waiter.ResetEvent();
  out.SetWaiter(&waiter);
  EXPECT_EQ(waiter.WaitFor(50), WAIT_TIMEOUT);  // paused and full
  out.Unpause();
  EXPECT_EQ(waiter.WaitFor(5000), WAIT_OBJECT_0);
  EXPECT_TRUE(out.CanWrite());
  out.Reset();
  out.Close();
}

TEST(SoundOut, DeviceVolumeFromVolumeAndBalance) {
  auto left = [](uint32_t v) { return v & 0xFFFF; };
  auto right = [](uint32_t v) { return v >> 16; };
  EXPECT_EQ(left(TSoundOut::DeviceVolume(80, -50)), 52428u);
  EXPECT_EQ(right(TSoundOut::DeviceVolume(80, -50)), 26214u);
  EXPECT_EQ(left(TSoundOut::DeviceVolume(100, 100)), 0u);
  EXPECT_EQ(right(TSoundOut::DeviceVolume(100, 100)), 65535u);
  EXPECT_EQ(left(TSoundOut::DeviceVolume(100, -100)), 65535u);
  EXPECT_EQ(right(TSoundOut::DeviceVolume(100, -100)), 0u);
  EXPECT_EQ(TSoundOut::DeviceVolume(100, 0), kFullWaveVolume);
  EXPECT_EQ(TSoundOut::DeviceVolume(0, 0), 0u);
}

TEST(SoundOut, CloseWithoutResetPlaysEverythingOut) {
  TTempDir dir;
  const std::string path = dir.File("out.wav");
  TSoundOut out;
  out.SetDeviceSelection("wav@50:" + path);
  out.Open();
  const std::vector<uint8_t> pcm = Ramp(static_cast<size_t>(out.BufferSize()) * 2 + 1000);
  int32_t written = 0;
  while (written < static_cast<int32_t>(pcm.size())) {
    written += out.Write(pcm.data() + written, static_cast<int32_t>(pcm.size()) - written);
    std::this_thread::sleep_for(1ms);
  }
  out.Close();
  EXPECT_EQ(WavData(path), pcm);
}

TEST(SoundOut, CloseAfterResetDropsTheQueuedAudio) {
  TTempDir dir;
  const std::string path = dir.File("out.wav");
  TSoundOut out;
  out.SetDeviceSelection("wav:" + path);
  out.Open();
  out.Pause();
  const std::vector<uint8_t> pcm = Ramp(static_cast<size_t>(out.BufferSize()) * 3);
  out.Write(pcm.data(), static_cast<int32_t>(pcm.size()));
  out.Reset();
  out.Close();  // real-time pace: waiting for 1.5 s of audio would show as a stuck test
  EXPECT_TRUE(WavData(path).empty());
}

struct GainCase {
  int32_t Volume, Balance;
  double Left, Right;  // expected factors
};
class SoundOutGain : public testing::TestWithParam<GainCase> {};

// The volume acts on the samples of this stream only, exactly as the device volume word says.
TEST_P(SoundOutGain, ScalesTheSamplesPlayed) {
  const GainCase c = GetParam();
  TTempDir dir;
  const std::string path = dir.File("gain.wav");
  TSoundOut out;
  out.SetDeviceSelection("wav@100:" + path);
  out.SetVolume(c.Volume);
  out.SetBalance(c.Balance);
  out.Open();
  std::vector<uint8_t> pcm(8000);
  for (size_t i = 0; i < pcm.size() / 2; ++i) {
    const auto s = static_cast<int16_t>(static_cast<int>(i * 37 % 65536) - 32768);
    std::memcpy(pcm.data() + 2 * i, &s, 2);
  }
  ASSERT_EQ(out.Write(pcm.data(), static_cast<int32_t>(pcm.size())), static_cast<int32_t>(pcm.size()));
  out.Close();
  const std::vector<int16_t> in = Samples(pcm), played = Samples(WavData(path));
  ASSERT_EQ(played.size(), in.size());
  const uint32_t word = TSoundOut::DeviceVolume(c.Volume, c.Balance);
  const int64_t gains[2] = {word & 0xFFFF, word >> 16};
  for (size_t i = 0; i < in.size(); ++i)
    ASSERT_EQ(played[i], static_cast<int16_t>(in[i] * gains[i % 2] / 0xFFFF)) << i;
  EXPECT_NEAR(gains[0] / 65535.0, c.Left, 1e-4);
  EXPECT_NEAR(gains[1] / 65535.0, c.Right, 1e-4);
}

INSTANTIATE_TEST_SUITE_P(VolumesAndBalances, SoundOutGain,
                         testing::Values(GainCase{100, 0, 1.0, 1.0}, GainCase{50, 0, 0.5, 0.5},
                                         GainCase{80, -50, 0.8, 0.4}, GainCase{100, 100, 0.0, 1.0},
                                         GainCase{100, -100, 1.0, 0.0}, GainCase{0, 0, 0.0, 0.0}));

TEST(SoftwareGain, MonoTakesTheLouderSideAndEightBitKeepsItsMiddle) {
  TWaveFormat mono{8000, 1, 16};
  const int16_t in[2] = {1000, -1000};
  int16_t out[2];
  ApplySoftwareGain(reinterpret_cast<const uint8_t*>(in), reinterpret_cast<uint8_t*>(out), 4, mono,
                    TSoundOut::DeviceVolume(100, 100));  // left silent, right full
  EXPECT_EQ(out[0], 1000);
  EXPECT_EQ(out[1], -1000);
  TWaveFormat eight{8000, 2, 8};
  const uint8_t bytes[4] = {128, 255, 0, 200};
  uint8_t scaled[4];
  ApplySoftwareGain(bytes, scaled, 4, eight, TSoundOut::DeviceVolume(50, 0));
  EXPECT_EQ(scaled[0], 128);
  EXPECT_EQ(scaled[1], 128 + 127 * 32767 / 65535);
  EXPECT_EQ(scaled[2], 128 - 128 * 32767 / 65535);
}

TEST(SoundOut, PositionTicksWhileAudioPlays) {
  TSoundOut out;
  out.SetDeviceSelection("null:2");
  out.SetNotifyInterval(100);
  std::atomic<int> ticks{0};
  out.SetOnPosition([&](TSoundOut&) { ++ticks; });
  out.Open();
  const std::vector<uint8_t> pcm = Ramp(static_cast<size_t>(out.BufferSize()) * 2);
  const auto start = std::chrono::steady_clock::now();
  out.Write(pcm.data(), static_cast<int32_t>(pcm.size()));  // 1 s of audio, 0.5 s at speed 2
  out.Close();
  const auto elapsed =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  EXPECT_GE(ticks.load(), 2);
  EXPECT_LE(ticks.load(), elapsed.count() / 100 + 1);  // never closer than the interval
  const int after = ticks.load();
  std::this_thread::sleep_for(250ms);
  EXPECT_EQ(ticks.load(), after);  // nothing queued, no ticks
}

TEST(SoundOut, DeviceErrorsReadSystemTextAndContext) {
  TSoundOut out;
  out.SetDeviceSelection("wav:/nonexistent-varo-folder/out.wav");
  EXPECT_EQ(ErrorOf(out), "No such file or directory(TSoundOut.Open:WaveOutOpen)");
  EXPECT_FALSE(out.IsOpen());
  out.SetDeviceSelection("speaker");
  EXPECT_EQ(ErrorOf(out), "unknown audio device \"speaker\"(TSoundOut.Open:WaveOutOpen)");
  // A device name ALSA does not know: refused by its configuration, no card is touched.
  out.SetDeviceSelection("alsa:varo_test_no_such_pcm");
  const std::string alsa = ErrorOf(out);
  EXPECT_TRUE(alsa.ends_with("(TSoundOut.Open:WaveOutOpen)")) << alsa;
  EXPECT_GT(alsa.size(), std::strlen("(TSoundOut.Open:WaveOutOpen)"));
  EXPECT_FALSE(out.IsOpen());
}

struct DeviceCase {
  const char* Text;
  bool Valid;
  TWaveBackend Backend;
  const char* DeviceOrPath;
  double Speed;
};
class WaveDeviceSelection : public testing::TestWithParam<DeviceCase> {};

TEST_P(WaveDeviceSelection, Parses) {
  const DeviceCase c = GetParam();
  TWaveDeviceChoice choice;
  ASSERT_EQ(ParseWaveDevice(c.Text, choice), c.Valid) << c.Text;
  if (!c.Valid) return;
  EXPECT_EQ(choice.Backend, c.Backend);
  EXPECT_EQ(c.Backend == TWaveBackend::WavFile ? choice.Path : choice.Device, c.DeviceOrPath);
  EXPECT_DOUBLE_EQ(choice.Speed, c.Speed);
}

INSTANTIATE_TEST_SUITE_P(Texts, WaveDeviceSelection,
                         testing::Values(DeviceCase{"alsa", true, TWaveBackend::Alsa, "default", 1},
                                         DeviceCase{"alsa:hw:1,0", true, TWaveBackend::Alsa, "hw:1,0", 1},
                                         DeviceCase{"null", true, TWaveBackend::Null, "default", 1},
                                         DeviceCase{"null:8", true, TWaveBackend::Null, "default", 8},
                                         DeviceCase{"null:0.5", true, TWaveBackend::Null, "default", 0.5},
                                         DeviceCase{"wav:/tmp/a:b.wav", true, TWaveBackend::WavFile,
                                                    "/tmp/a:b.wav", 1},
                                         DeviceCase{"wav@16:x.wav", true, TWaveBackend::WavFile, "x.wav", 16},
                                         DeviceCase{"wav", false, TWaveBackend::Alsa, "", 1},
                                         DeviceCase{"wav:", false, TWaveBackend::Alsa, "", 1},
                                         DeviceCase{"null:0", false, TWaveBackend::Alsa, "", 1},
                                         DeviceCase{"null:fast", false, TWaveBackend::Alsa, "", 1},
                                         DeviceCase{"alsa:", false, TWaveBackend::Alsa, "", 1},
                                         DeviceCase{"pulse", false, TWaveBackend::Alsa, "", 1}));
