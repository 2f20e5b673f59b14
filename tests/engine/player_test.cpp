// TMP3Player's properties, status machine and events.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "base/application_error.h"
#include "base/engine_error.h"
#include "decoder/mp3_decoder.h"
#include "player_harness.h"

namespace {

using namespace std::chrono_literals;

const std::string kLayer2 = "layer2/l2_mpeg1_44k_stereo_128_speech_en.mp2";

struct DisplayGuard {
  ~DisplayGuard() { SetApplicationErrorDisplay(nullptr); }
};

}  // namespace

TEST(Player, StatusChangesBeforeTheLoopRunsGiveOneEvent) {
  TPlayerHarness h(1);
  TMP3Player& p = h.Player();
  p.SetFileName(CorpusPath(kLayer2));  // AutoOpen: opens, AutoPlay off: stays stopped
  h.PumpUntil([] { return true; });
  EXPECT_TRUE(p.IsOpen());
  EXPECT_EQ(p.Status(), mpsStopped);
  const int before = h.statusEvents;
  p.Play();
  p.Play();  // nothing while playing
  p.Pause();
  p.Pause();  // nothing while paused
  p.Resume();
  p.Resume();  // nothing while playing
  p.Stop();
  EXPECT_EQ(p.Status(), mpsStopped);
  p.ProcessMessages();
  EXPECT_EQ(h.statusEvents, before + 1);
  ASSERT_EQ(h.endReasons.size(), 1u);
  EXPECT_EQ(h.endReasons[0], merStopped);
  p.Stop();  // stopped: nothing
  p.ProcessMessages();
  EXPECT_EQ(h.statusEvents, before + 1);
  EXPECT_EQ(h.endReasons.size(), 1u);
}

TEST(Player, BurstOfPositionTicksGivesOneEvent) {
  TPlayerHarness h(1, false);
  TMP3Player& p = h.Player();
  p.SetChangePosStep(100);
  p.SetFileName(CorpusPath(kLayer2));
  p.Play();
  std::this_thread::sleep_for(700ms);  // several ticks queue up unhandled
  p.ProcessMessages();
  EXPECT_EQ(h.positionEvents, 1);
  p.Stop();
}

TEST(Player, PropertySettersIgnoreValuesOutOfRange) {
  TMP3Player p;
  p.SetChangePosStep(99);
  EXPECT_EQ(p.ChangePosStep(), 400);
  p.SetChangePosStep(100);
  EXPECT_EQ(p.ChangePosStep(), 100);
  p.SetVolBalance(101);
  p.SetVolBalance(-101);
  EXPECT_EQ(p.VolBalance(), 0);
  p.SetVolBalance(-100);
  EXPECT_EQ(p.VolBalance(), -100);
  p.SetVolume(101);
  p.SetVolume(-1);
  EXPECT_EQ(p.Volume(), 100);
  p.SetVolume(0);  // at run time 0 is silence, not "keep"
  EXPECT_EQ(p.Volume(), 0);
  p.SetEqualizerCount(0);
  p.SetEqualizerCount(33);  // beyond the band arrays
  EXPECT_EQ(p.EqualizerCount(), 6);
  p.SetEqualizerCount(32);
  EXPECT_EQ(p.EqualizerCount(), 32);
  p.SetDecodePriority(tpIdle);
  EXPECT_EQ(p.DecodePriority(), tpIdle);
}

TEST(Player, StoredVolumeZeroKeepsTheDeviceVolume) {
  TMP3Player p;
  p.BeginLoading();
  p.SetVolume(0);
  p.Loaded();
  EXPECT_EQ(p.Volume(), 100);
}

TEST(Player, EqualizerRangeSpreadsTheBandsGeometrically) {
  TMP3Player p;
  p.SetEqualizerRange(60, 16000);  // sub-band mode: ignored
  EXPECT_EQ(p.EqFrequency(0), 0);
  p.SetEqualizerMode(memFreq);
  p.SetEqualizerRange(60, 16000);
  const int expected[] = {60, 183, 560, 1712, 5234, 16000};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(p.EqFrequency(i), expected[i]) << i;
  p.SetEqualizerRange(0, 100);
  p.SetEqualizerRange(200, 100);
  p.SetEqualizerRange(100, 24001);
  EXPECT_EQ(p.EqFrequency(0), 60);
  p.SetEqualizerCount(32);
  p.SetEqualizerRange(20, 20000);
  for (int i = 1; i < 32; ++i) EXPECT_GE(p.EqFrequency(i), p.EqFrequency(i - 1));
  EXPECT_EQ(p.EqFrequency(31), 20000);
  p.SetEqualizerCount(1);
  p.SetEqualizerRange(100, 200);
  EXPECT_EQ(p.EqFrequency(0), 200);
}

TEST(Player, EqualizerUpdatesOnEveryModeAndLayer) {
  TPlayerHarness h(100, false);
  TMP3Player& p = h.Player();
  p.SetEqualizerEnabled(true);
  p.SetEqualizerCount(32);
  for (const char* file : {"tags/tag_none_base.mp3", "layer2/l2_mpeg1_44k_stereo_128_speech_en.mp2"}) {
    for (TMP3EqualizerMode mode : {memSubBand, memFreq}) {
      p.SetEqualizerMode(mode);
      p.SetFileName(CorpusPath(file));
      p.ProcessMessages();
      const bool lineMode = mode == memFreq && p.Layer() == 3;
      EXPECT_EQ(LineEqFlag()->load(), lineMode ? 1 : 0);
      EXPECT_EQ(SubbandEqFlag()->load(), lineMode ? 0 : 1);
      EXPECT_FLOAT_EQ(SubbandGainAt(5)->load(), 1.0f);  // all gains are 0 dB
      if (mode == memSubBand) {
        EXPECT_EQ(p.EqFrequency(1), 1034);  // 44100 / 64 * 1.5
      }
    }
  }
  p.SetEqualizerEnabled(false);
  p.ProcessMessages();
  EXPECT_EQ(SubbandEqFlag()->load() + LineEqFlag()->load(), 0);
}

TEST(Player, CpuCapabilitiesAreLimitedToWhatTheProcessorHas) {
  TMP3Player p;
  p.SetUsingCpuCapabilities(
      {mccMMX, mcc3DNow, mccKNI, mccE3DNow, mccCMOV, mccEMMX, mccSSE2, mccAVX2, mccFMA});
  const uint32_t features = GetCpuFeatures();
  EXPECT_EQ(p.UsingCpuCapabilities().Contains(mcc3DNow), (features & cpu3DNow) != 0);
  EXPECT_EQ(p.UsingCpuCapabilities().Contains(mccSSE2), (features & cpuSSE2) != 0);
  EXPECT_EQ(p.UsingCpuCapabilities().Contains(mccAVX2), (features & cpuAVX2) != 0);
}

TEST(Player, FileNameAutoOpenAndAutoPlay) {
  TPlayerHarness h(50);
  TMP3Player& p = h.Player();
  p.SetAutoOpen(false);
  p.SetFileName(CorpusPath(kLayer2));
  EXPECT_FALSE(p.IsOpen());
  p.Open();
  EXPECT_TRUE(p.IsOpen());
  EXPECT_EQ(p.FileName(), CorpusPath(kLayer2));  // Open keeps it
  EXPECT_EQ(p.Layer(), 2);
  EXPECT_EQ(p.Version(), 1);
  EXPECT_EQ(p.SampleRate(), 44100);
  EXPECT_EQ(p.Channels(), 2);
  p.SetAutoPlay(false);
  EXPECT_EQ(p.Status(), mpsStopped);
  p.SetAutoPlay(true);
  EXPECT_EQ(p.Status(), mpsPlaying);
  p.Close();
  EXPECT_FALSE(p.IsOpen());
  EXPECT_EQ(p.FileName(), "");
  EXPECT_EQ(p.Status(), mpsStopped);
  p.ProcessMessages();
  ASSERT_EQ(h.endReasons.size(), 1u);
  EXPECT_EQ(h.endReasons[0], merStopped);  // a caller's Close reports a stop
}

TEST(Player, LoadedOpensTheStoredFile) {
  TPlayerHarness h(50);
  TMP3Player& p = h.Player();
  p.BeginLoading();
  p.SetFileName(CorpusPath(kLayer2));
  EXPECT_FALSE(p.IsOpen());  // nothing opens while loading
  p.SetEqualizerMode(memFreq);
  p.Loaded();
  EXPECT_TRUE(p.IsOpen());
  EXPECT_EQ(p.EqFrequency(5), 16000);
}

TEST(Player, UnplayableFilesLeaveThePlayerClosed) {
  TPlayerHarness h(50);
  TMP3Player& p = h.Player();
  p.SetFileName(CorpusPath(kLayer2));
  ASSERT_TRUE(p.IsOpen());
  for (const char* file :
       {"damaged/dmg_text_file.mp3", "damaged/dmg_empty.mp3", "damaged/dmg_id3v2_only.mp3",
        "layer3/l3_mpeg1_44k_free640_joint_white.mp3", "layer2/l2_mpeg1_44k_free_stereo_speech_ja.mp2"}) {
    try {
      p.SetFileName(CorpusPath(file));
      FAIL() << file << " opened";
    } catch (const EMP3Error& error) {
      EXPECT_STREQ(error.what(), "unknown MPEG Audio format.") << file;
    }
    EXPECT_FALSE(p.IsOpen()) << file;
  }
  EXPECT_THROW(p.SetFileName("/nonexistent-varo/x.mp3"), EMP3Error);
}

TEST(Player, DeviceErrorOnPlayPropagatesAndStaysStopped) {
  TMP3Player p;
  p.SetAutoPlay(false);
  p.SetFileName(CorpusPath(kLayer2));
  p.SetAudioDevice("wav:/nonexistent-varo-folder/out.wav");
  try {
    p.Play();
    FAIL();
  } catch (const EMP3Error& error) {
    EXPECT_STREQ(error.what(), "No such file or directory(TSoundOut.Open:WaveOutOpen)");
  }
  EXPECT_EQ(p.Status(), mpsStopped);
  p.SetAudioDevice("null:100");
  p.Play();
  EXPECT_EQ(p.Status(), mpsPlaying);
}

// An error on the decoding thread: one error box, the worker waits while it is shown,
// then playback stops with merError.
TEST(Player, WorkerErrorIsShownOnTheOwningThreadThenStops) {
  class FailingStream : public TMemoryStream {
   public:
    using TMemoryStream::TMemoryStream;
    int32_t Read(void* buffer, int32_t count) override {
      ++reads;
      if (armed && position_ >= 70000) throw EMP3Error("disk gone");
      return TMemoryStream::Read(buffer, std::min(count, 1024));
    }
    std::atomic<int> reads{0};
    std::atomic<bool> armed{false};
  };
  DisplayGuard guard;
  TPlayerHarness h(20);
  TMP3Player& p = h.Player();
  std::vector<uint8_t> bytes = ReadFileBytes(CorpusPath(kLayer2));
  while (bytes.size() < 200000) bytes.insert(bytes.end(), bytes.begin(), bytes.begin() + 4180);
  auto* stream = new FailingStream(bytes);
  p.OpenStream(stream, msoSeekable | msoOwned);
  stream->armed = true;
  int shown = 0;
  const std::thread::id owner = std::this_thread::get_id();
  SetApplicationErrorDisplay([&](const std::exception& error) {
    ++shown;
    EXPECT_STREQ(error.what(), "disk gone");
    EXPECT_EQ(std::this_thread::get_id(), owner);
    const int reads = stream->reads.load();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(stream->reads.load(), reads);  // the worker waits for the box
  });
  p.Play();
  ASSERT_TRUE(h.PumpUntil([&] { return !h.endReasons.empty(); }));
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(h.endReasons, std::vector<TMP3EndPlayReason>{merError});
  EXPECT_EQ(p.Status(), mpsStopped);
}

TEST(Player, DestroyingWhilePlayingOrPausedReturns) {
  for (bool pause : {false, true}) {
    auto h = std::make_unique<TPlayerHarness>(1);
    h->Player().SetFileName(CorpusPath(kLayer2));
    h->Player().Play();
    std::this_thread::sleep_for(50ms);
    if (pause) h->Player().Pause();
    h.reset();
  }
  SUCCEED();
}
