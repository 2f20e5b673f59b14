// TMP3Player's time: seeks while playing, paused and stopped land on the exact sample, the
// end and a forward-only stream, and the gapless follow-on of a next file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "base/engine_error.h"
#include "decoder/mp_cpu.h"
#include "player_harness.h"
#include "stream/mp_track_decoder.h"

namespace {

using Bytes = std::vector<uint8_t>;

const std::string kLong = "bench/bench_60s_mpeg1_l3_cbr128_joint.mp3";       // 60 s, LAME tag
const std::string kChord = "layer3/l3_mpeg1_44k_vbr_v5_joint_chord.mp3";     // 1.5 s, Xing
const std::string kSweep = "layer3/l3_mpeg1_44k_cbr320_joint_sweep.mp3";     // 1.5 s, Info
const std::string kMono22k = "layer3/l3_mpeg2_22k_vbr_v5_joint_chord.mp3";   // other rate
const std::string kLayer2 = "layer2/l2_mpeg1_44k_stereo_128_speech_en.mp2";  // no tag
constexpr int32_t kBlock = 4;                                                // 16-bit stereo

// The straight decode of a file, trimmed as the player trims it, with the processor forms
// the player chooses.
Bytes Straight(const std::string& file) {
  TMemoryStream stream(ReadFileBytes(CorpusPath(file)));
  TMPTrackDecoder track;
  SelectCpuRoutines(track.DecoderState(), GetCpuFeatures());
  track.Open(&stream, true);
  Bytes pcm, frame(static_cast<size_t>(track.BytesPerFrame()));
  int32_t bytes = 0;
  while (track.DecodeNext(frame.data(), bytes) != TMPTrackDecoder::TStep::Ended)
    pcm.insert(pcm.end(), frame.begin(), frame.begin() + bytes);
  return pcm;
}

Bytes Tail(const Bytes& pcm, int64_t sample) {
  return Bytes(pcm.begin() + std::min<int64_t>(sample * kBlock, static_cast<int64_t>(pcm.size())), pcm.end());
}

int64_t SampleAt(int64_t ms) { return ms * 44100 / 1000; }

// What was played is some start of `before`, then all of `after`.
void ExpectSpliced(const Bytes& played, const Bytes& before, const Bytes& after) {
  ASSERT_GE(played.size(), after.size());
  const size_t head = played.size() - after.size();
  ASSERT_LE(head, before.size());
  EXPECT_TRUE(std::equal(after.begin(), after.end(), played.begin() + static_cast<ptrdiff_t>(head)));
  EXPECT_TRUE(std::equal(played.begin(), played.begin() + static_cast<ptrdiff_t>(head), before.begin()));
}

}  // namespace

TEST(PlayerSeek, StoppedSeekPlaysFromTheExactSampleAndReportsIt) {
  for (const std::string& file : {kChord, kLayer2}) {
    SCOPED_TRACE(file);
    const Bytes straight = Straight(file);
    TPlayerHarness h(100);
    TMP3Player& p = h.Player();
    p.SetFileName(CorpusPath(file));
    const int64_t length = static_cast<int64_t>(straight.size() / kBlock) * 1000 / 44100;
    // The Xing frame's count gives the length at once; without one it is exact once walked.
    if (file == kChord) {
      EXPECT_EQ(p.Length(), length);
    }
    p.Seek(777);
    EXPECT_NEAR(p.Position(), 777, 1);
    ASSERT_TRUE(h.PlayToEnd());
    EXPECT_EQ(h.Played(), Tail(straight, SampleAt(777)));
    // Stopped at the end: rewound to the start.
    EXPECT_EQ(p.Position(), 0);
    EXPECT_EQ(p.Length(), length);
  }
}

TEST(PlayerSeek, PlayingAndPausedSeeksJoinTheStraightDecode) {
  const Bytes straight = Straight(kLong);
  for (const bool paused : {false, true}) {
    SCOPED_TRACE(paused);
    TPlayerHarness h(20);
    TMP3Player& p = h.Player();
    p.SetFileName(CorpusPath(kLong));
    EXPECT_EQ(p.Length(), 60000);
    p.Play();
    ASSERT_TRUE(h.PumpUntil([&] { return p.Position() >= 2000; }));
    if (paused) p.Pause();
    const int positionEvents = h.positionEvents;
    p.Seek(41234);
    if (paused) {
      EXPECT_NEAR(p.Position(), 41234, 1);
      p.Resume();
    }
    ASSERT_TRUE(h.PumpUntil([&] { return h.positionEvents > positionEvents; }));
    EXPECT_GE(p.Position(), 41233);
    ASSERT_TRUE(h.PumpUntil([&] { return !h.endReasons.empty(); }, std::chrono::seconds(60)));
    EXPECT_EQ(h.endReasons, std::vector<TMP3EndPlayReason>{merEndOfData});
    ExpectSpliced(h.Played(), straight, Tail(straight, SampleAt(41234)));
  }
}

TEST(PlayerSeek, PastTheEndEndsAsEndOfDataAndForwardOnlyStreamsRefuse) {
  TPlayerHarness h(20);
  TMP3Player& p = h.Player();
  p.SetFileName(CorpusPath(kLong));
  p.Play();
  p.Seek(p.Length() + 1000);
  ASSERT_TRUE(h.PumpUntil([&] { return !h.endReasons.empty(); }));
  EXPECT_EQ(h.endReasons.back(), merEndOfData);

  p.OpenStream(new TMemoryStream(ReadFileBytes(CorpusPath(kChord)), false), msoOwned);
  try {
    p.Seek(500);
    ADD_FAILURE() << "a forward-only stream seeked";
  } catch (const EMP3Error& e) {
    EXPECT_STREQ(e.what(), "Cannot seek: the stream can only be read forward.");
  }
  EXPECT_TRUE(p.IsOpen());
}

// The next file follows in the same output: what is played is exactly the two gapless
// decodes one after the other, the switch is one OnTrackChanged and no OnEndPlay. Set
// before Play, or late: once the first file is decoded to its end but not yet heard.
TEST(PlayerGapless, NextFileFollowsWithoutAGap) {
  const Bytes first = Straight(kChord), second = Straight(kSweep);
  Bytes both = first;
  both.insert(both.end(), second.begin(), second.end());
  for (const bool late : {false, true}) {
    SCOPED_TRACE(late);
    TPlayerHarness h(late ? 2 : 100);
    TMP3Player& p = h.Player();
    int changes = 0;
    int64_t lengthAfter = 0;
    p.OnTrackChanged = [&](TMP3Player& player) {
      ++changes;
      EXPECT_EQ(player.FileName(), CorpusPath(kSweep));
      EXPECT_TRUE(player.NextFileName().empty());
      lengthAfter = player.Length();
    };
    p.SetFileName(CorpusPath(kChord));
    if (!late) p.SetNextFileName(CorpusPath(kSweep));
    p.Play();
    if (late) {
      // The output holds two seconds: the whole first file is decoded before it is heard.
      ASSERT_TRUE(h.PumpUntil([&] { return p.Position() >= 200; }));
      p.SetNextFileName(CorpusPath(kSweep));
    }
    ASSERT_TRUE(h.PumpUntil([&] { return !h.endReasons.empty(); }));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(lengthAfter, 1500);
    EXPECT_EQ(h.endReasons, std::vector<TMP3EndPlayReason>{merEndOfData});
    EXPECT_EQ(h.Played(), both);
  }
}

// A seek while the next file is already decoding ahead goes back into the first one; the
// next one then follows from its start.
TEST(PlayerGapless, SeekDuringTheSwitchWindsTheNextTrackBack) {
  const Bytes first = Straight(kChord), second = Straight(kSweep);
  TPlayerHarness h(5);
  TMP3Player& p = h.Player();
  int changes = 0;
  p.OnTrackChanged = [&](TMP3Player&) { ++changes; };
  p.SetFileName(CorpusPath(kChord));
  p.SetNextFileName(CorpusPath(kSweep));  // opened by Play
  p.Play();
  ASSERT_TRUE(h.PumpUntil([&] { return p.Position() >= 100; }));
  p.Seek(600);
  EXPECT_EQ(p.FileName(), CorpusPath(kChord));
  ASSERT_TRUE(h.PumpUntil([&] { return !h.endReasons.empty(); }));
  EXPECT_EQ(changes, 1);
  Bytes after = Tail(first, SampleAt(600));
  after.insert(after.end(), second.begin(), second.end());
  ExpectSpliced(h.Played(), first, after);
}

TEST(PlayerGapless, FailingOrOtherFormatNextFiles) {
  {
    // A next file that cannot be opened: the current one ends and reports as ever.
    TPlayerHarness h(100);
    TMP3Player& p = h.Player();
    int changes = 0;
    p.OnTrackChanged = [&](TMP3Player&) { ++changes; };
    p.SetFileName(CorpusPath(kChord));
    p.SetNextFileName(CorpusPath("damaged/dmg_text_file.mp3"));
    p.Play();
    ASSERT_TRUE(h.PumpUntil([&] { return !h.endReasons.empty(); }));
    EXPECT_EQ(h.endReasons.back(), merEndOfData);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(h.Played(), Straight(kChord));
  }
  {
    // Another sampling rate: the output opens again for it (the WAV device starts a new file).
    TPlayerHarness h(100);
    TMP3Player& p = h.Player();
    int changes = 0;
    p.OnTrackChanged = [&](TMP3Player& player) {
      ++changes;
      EXPECT_EQ(player.SampleRate(), 22050);
    };
    p.SetFileName(CorpusPath(kChord));
    p.SetNextFileName(CorpusPath(kMono22k));
    p.Play();
    ASSERT_TRUE(h.PumpUntil([&] { return !h.endReasons.empty(); }));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(h.Played(), Straight(kMono22k));
  }
  {
    // Without gapless every frame plays and nothing follows.
    TPlayerHarness h(100);
    TMP3Player& p = h.Player();
    p.SetGapless(false);
    p.SetFileName(CorpusPath(kChord));
    p.SetNextFileName(CorpusPath(kSweep));
    p.Play();
    ASSERT_TRUE(h.PumpUntil([&] { return !h.endReasons.empty(); }));
    EXPECT_EQ(h.Played().size(), 59u * 1152 * kBlock);
  }
}
