// TMP3Player's decode loop: what reaches the device, and when the end is reported.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <thread>

#include "base/engine_error.h"
#include "player_harness.h"
#include "stream/mp_frame_walker.h"
#include "stream/mp_stream_reader.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;

const std::string kLayer2 = "layer2/l2_mpeg1_44k_stereo_128_speech_en.mp2";
const std::string kLayer2At48k = "layer2/l2_mpeg1_48k_stereo_192_lr.mp2";
const std::string kTagged = "tags/tag_id3v23_latin1.mp3";  // ID3v2, Info frame, 59 frames
constexpr size_t kStereoFrameBytes = 1152 * 2 * 2;

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// Plays bytes from memory to the end; returns what was played.
Bytes PlayBytes(const Bytes& bytes, bool seekable = true) {
  TPlayerHarness h(100);
  h.Player().OpenStream(new TMemoryStream(bytes, seekable), (seekable ? msoSeekable : 0) | msoOwned);
  EXPECT_TRUE(h.PlayToEnd());
  return h.Played();
}

}  // namespace

// The end is reported only once the last buffer has been heard: by then the device has
// written every sample.
TEST(PlayerPlayback, EndOfDataComesAfterTheLastBufferPlayed) {
  TPlayerHarness h(10);
  TMP3Player& p = h.Player();
  p.SetFileName(CorpusPath(kLayer2));
  const int64_t start = p.AudioStart();
  size_t playedAtEnd = 0;
  h.onEnd = [&](TMP3EndPlayReason) { playedAtEnd = h.Played().size(); };
  ASSERT_TRUE(h.PlayToEnd());
  const size_t frames = SplitFrames(ReadFileBytes(CorpusPath(kLayer2))).size();
  EXPECT_EQ(playedAtEnd, frames * kStereoFrameBytes);
  EXPECT_EQ(p.Status(), mpsStopped);
  EXPECT_TRUE(p.IsOpen());
  EXPECT_EQ(p.FileName(), CorpusPath(kLayer2));
  EXPECT_EQ(p.AudioStart(), start);
  EXPECT_EQ(h.endReasons, std::vector<TMP3EndPlayReason>{merEndOfData});
}

// Stopping in the middle and playing again starts over with a freshly set-up decoder: the
// second play gives exactly what a first play gives.
TEST(PlayerPlayback, StopThenPlayStartsAfreshFromTheFirstFrame) {
  for (const std::string& file : {kTagged, kLayer2}) {
    TPlayerHarness fresh(100);
    fresh.Player().SetFileName(CorpusPath(file));
    ASSERT_TRUE(fresh.PlayToEnd());
    const Bytes reference = fresh.Played();

    TPlayerHarness h(4);
    TMP3Player& p = h.Player();
    p.SetFileName(CorpusPath(file));
    p.Play();
    ASSERT_TRUE(h.PumpUntil([&] { return h.Played().size() > 100000; })) << file;
    p.Stop();
    ASSERT_TRUE(h.PumpUntil([&] { return h.endReasons.size() == 1; }));
    ASSERT_TRUE(h.PlayToEnd()) << file;
    EXPECT_TRUE(h.Played() == reference) << file;
  }
}

TEST(PlayerPlayback, PausedOutputPlaysOnAfterResume) {
  TPlayerHarness reference(100);
  reference.Player().SetFileName(CorpusPath(kLayer2));
  ASSERT_TRUE(reference.PlayToEnd());

  TPlayerHarness h(8);
  TMP3Player& p = h.Player();
  p.SetFileName(CorpusPath(kLayer2));
  p.Play();
  std::this_thread::sleep_for(60ms);
  p.Pause();
  const size_t paused = h.Played().size();
  std::this_thread::sleep_for(200ms);
  EXPECT_LE(h.Played().size(), paused + 8820);  // at most the chunk that was playing
  p.Resume();
  ASSERT_TRUE(h.PumpUntil([&] { return !h.endReasons.empty(); }));
  EXPECT_EQ(h.endReasons[0], merEndOfData);
  EXPECT_TRUE(h.Played() == reference.Played());
}

// Pausing while the end of the data is awaited, then stopping, must not hang.
TEST(PlayerPlayback, StopWhilePausedAtTheEndReturns) {
  TPlayerHarness h(1);
  TMP3Player& p = h.Player();
  p.SetFileName(CorpusPath(kTagged));  // 1.5 s: all of it fits the output at once
  p.Play();
  std::this_thread::sleep_for(300ms);
  p.Pause();
  p.Stop();
  ASSERT_TRUE(h.PumpUntil([&] { return !h.endReasons.empty(); }));
  EXPECT_EQ(h.endReasons, std::vector<TMP3EndPlayReason>{merStopped});
}

TEST(PlayerPlayback, InformationFrameIsNeverHeard) {
  struct Variant {
    const char* File;
    size_t Audio;  // where the first frame starts
    size_t TagAt;  // where the tag goes in it
    const char* Tag;
    bool Skipped;
  };
  const char* mono = "layer3/l3_mpeg1_44k_cbr128_mono_sine1k_0dbfs.mp3";
  for (const Variant v :
       {Variant{kTagged.c_str(), 83, 36, "Info", true}, Variant{kTagged.c_str(), 83, 36, "Xing", true},
        Variant{kTagged.c_str(), 83, 36, "VBRI", true}, Variant{kTagged.c_str(), 83, 36, "None", false},
        Variant{mono, 0, 21, "Xing", true}, Variant{mono, 0, 36, "VBRI", true}}) {
    Bytes bytes = ReadFileBytes(CorpusPath(v.File));
    const auto split = SplitFrames(Bytes(bytes.begin() + static_cast<ptrdiff_t>(v.Audio), bytes.end()));
    const auto frameSize = static_cast<int64_t>(split[0].size());
    const size_t pcmPerFrame = std::string(v.File) == mono ? kStereoFrameBytes / 2 : kStereoFrameBytes;
    const size_t at = v.Audio + v.TagAt;
    std::memset(bytes.data() + v.Audio + 21, 0, 4);  // no tag where the encoder put one
    std::memset(bytes.data() + v.Audio + 36, 0, 4);
    std::memcpy(bytes.data() + at, v.Tag, 4);
    const uint32_t length = static_cast<uint32_t>(bytes.size() - v.Audio - 1000);
    if (std::string(v.Tag) == "VBRI")
      for (int i = 0; i < 4; ++i) bytes[at + 10 + i] = static_cast<uint8_t>(length >> (24 - 8 * i));
    TPlayerHarness h(100);
    TMP3Player& p = h.Player();
    p.SetGapless(false);  // every frame, so that the count tells the information frame apart
    p.OpenStream(new TMemoryStream(bytes), msoSeekable | msoOwned);
    EXPECT_EQ(p.AudioStart(), static_cast<int64_t>(v.Audio) + (v.Skipped ? frameSize : 0)) << v.Tag;
    if (std::string(v.Tag) == "VBRI") {
      EXPECT_EQ(p.AudioLength(), length - frameSize) << v.Tag;
    }
    ASSERT_TRUE(h.PlayToEnd()) << v.Tag;
    const size_t played = h.Played().size();
    if (std::string(v.Tag) == "VBRI") {
      EXPECT_LT(played, (split.size() - 1) * pcmPerFrame);  // the length it gives ends the track
    } else {
      EXPECT_EQ(played, (split.size() - (v.Skipped ? 1 : 0)) * pcmPerFrame) << v.File << " " << v.Tag;
    }
  }
}

struct JunkCase {
  size_t Junk;
  bool PlaysOn;
};
class PlayerJunk : public testing::TestWithParam<JunkCase> {};

// Junk between frames is passed over byte by byte, up to 4096 bytes.
TEST_P(PlayerJunk, IsPassedOverUpToTheLimit) {
  const auto frames = SplitFrames(ReadFileBytes(CorpusPath(kLayer2)));
  ASSERT_GT(frames.size(), 40u);
  const Bytes bytes = Concat(
      {JoinFrames(frames, 0, 10), Bytes(GetParam().Junk, 0x00), JoinFrames(frames, 10, frames.size())});
  const size_t expected = GetParam().PlaysOn ? frames.size() : 10;
  EXPECT_EQ(PlayBytes(bytes).size(), expected * kStereoFrameBytes);
}

INSTANTIATE_TEST_SUITE_P(Limits, PlayerJunk,
                         testing::Values(JunkCase{1, true}, JunkCase{4096, true}, JunkCase{4097, false}));

// Frames at another sampling rate are junk: a short run of them is passed over, a long one
// ends the track.
TEST(PlayerPlayback, FramesAtAnotherSamplingRateAreJunk) {
  const auto frames = SplitFrames(ReadFileBytes(CorpusPath(kLayer2)));
  const auto other = SplitFrames(ReadFileBytes(CorpusPath(kLayer2At48k)));
  const Bytes shortRun =
      Concat({JoinFrames(frames, 0, 20), JoinFrames(other, 0, 3), JoinFrames(frames, 20, frames.size())});
  EXPECT_EQ(PlayBytes(shortRun).size(), frames.size() * kStereoFrameBytes);
  const Bytes longRun = Concat({JoinFrames(frames, 0, 20), JoinFrames(other, 0, other.size())});
  EXPECT_EQ(PlayBytes(longRun).size(), 20 * kStereoFrameBytes);
}

TEST(PlayerPlayback, ForwardOnlyStreamPlaysAndClosesAtTheEnd) {
  const Bytes bytes = ReadFileBytes(CorpusPath(kTagged));
  TPlayerHarness h(100);
  TMP3Player& p = h.Player();
  p.OpenStream(new TMemoryStream(bytes, false), msoOwned);
  EXPECT_EQ(p.AudioLength(), 25076 - 417);  // from the Info frame, less the frame itself
  ASSERT_TRUE(h.PlayToEnd());
  EXPECT_FALSE(p.IsOpen());
  EXPECT_EQ(h.Played().size(), 66150u * 4);  // the LAME tag's samples, trimmed as from a file
}

// The damaged files of the corpus: a false sync in front of the audio is passed over, a
// cut last frame ends the track cleanly, junk up to the limit is passed over.
TEST(PlayerPlayback, DamagedFilesPlayWhatTheyHold) {
  TPlayerHarness base(100);
  base.Player().SetFileName(CorpusPath("damaged/dmg_none_base.mp3"));
  ASSERT_TRUE(base.PlayToEnd());
  const Bytes clean = base.Played();
  ASSERT_EQ(clean.size(), 59 * kStereoFrameBytes);
  struct Case {
    const char* File;
    size_t Frames;
    bool SameAsClean;
  };
  for (const Case c : {Case{"damaged/dmg_false_sync_foreign_header.mp3", 59, true},
                       Case{"damaged/dmg_false_sync_same_header.mp3", 59, true},
                       Case{"damaged/dmg_truncated_last_frame.mp3", 58, false},
                       Case{"damaged/dmg_junk1000_between_frames.mp3", 59, false},
                       Case{"damaged/dmg_junk5000_between_frames.mp3", 30, false},
                       Case{"damaged/dmg_rate_switch_44k_to_48k.mp3", 59, false}}) {
    TPlayerHarness h(100);
    h.Player().SetFileName(CorpusPath(c.File));
    ASSERT_TRUE(h.PlayToEnd()) << c.File;
    const Bytes played = h.Played();
    EXPECT_EQ(played.size(), c.Frames * kStereoFrameBytes) << c.File;
    if (c.SameAsClean) {
      EXPECT_TRUE(played == clean) << c.File;
    }
  }
}

TEST(PlayerPlayback, VolumeZeroAtRunTimeIsSilence) {
  TPlayerHarness h(100);
  TMP3Player& p = h.Player();
  p.SetVolume(0);
  p.SetFileName(CorpusPath(kLayer2));
  ASSERT_TRUE(h.PlayToEnd());
  const Bytes played = h.Played();
  ASSERT_FALSE(played.empty());
  EXPECT_TRUE(std::all_of(played.begin(), played.end(), [](uint8_t b) { return b == 0; }));
}

// Damaged audio (bytes overwritten inside frames, the file cut anywhere) plays to its end
// without a crash; the sanitizer builds watch every read.
TEST(PlayerPlayback, RandomlyDamagedAudioPlaysToItsEnd) {
  std::mt19937 random(11);
  for (const std::string& file : {kTagged, kLayer2}) {
    const Bytes original = ReadFileBytes(CorpusPath(file));
    for (int round = 0; round < 6; ++round) {
      Bytes bytes = original;
      for (int k = 0; k < 40; ++k)
        bytes[200 + random() % (bytes.size() - 200)] = static_cast<uint8_t>(random());
      if (round % 2 == 1) bytes.resize(300 + random() % (bytes.size() - 300));
      TPlayerHarness h(100);
      try {
        h.Player().OpenStream(new TMemoryStream(bytes), msoSeekable | msoOwned);
      } catch (const EMP3Error&) {
        continue;  // the damage hit the first frame
      }
      EXPECT_TRUE(h.PlayToEnd()) << file << " round " << round;
    }
  }
}

// One frame followed by a tag, or by a little junk, is the first frame: a false sync inside
// it, whose frame would run past the end of the audio, does not win over it.
TEST(PlayerPlayback, OneFrameBeforeATagOrJunkPlays) {
  const std::string conformance = VARO_TEST_DATA "/conformance/";
  const Bytes withApe = ReadFileBytes(conformance + "l3-nonstandard-apetag.bit");
  ASSERT_GT(withApe.size(), 192u);
  const Bytes frame(withApe.begin(), withApe.begin() + 192);  // Layer III, 48000 Hz, mono
  ASSERT_EQ(frame[182], 0xFF);  // FF FA 3A: a header whose frame runs past the end
  for (const Bytes& bytes :
       {withApe, ReadFileBytes(conformance + "l3-nonstandard-id3v1.bit"), Concat({frame, Bytes(40, 0x00)})}) {
    EXPECT_EQ(PlayBytes(bytes).size(), 1152u * 2) << bytes.size();
  }
}

// A file opened for the frame walk as a tool does it: free-format frames confirmed, past the
// information frame.
struct TToolWalk {
  TMPFileStream File;
  TMPStreamReader Reader{65536};
  TMP3Info Info;
  TMPFrameWalker Walker{Reader, Info};

  explicit TToolWalk(const std::string& path) : File(path) {
    Reader.Attach(&File, true);
    TMPFrameWalkOptions options;
    options.FreeFormat = true;
    Walker.Open(options);
    Walker.PassInfoFrame();
  }
};

// The frame walk on its own, as a tool uses it: every frame of every playable corpus file.
TEST(FrameWalker, HandsOutEveryAudioFrameOfTheCorpus) {
  for (const TManifestRow& row : CorpusManifest()) {
    if (row["expect"].starts_with("no_audio")) continue;
    TToolWalk walk(CorpusPath(row["file"]));
    TMPFrameHeader header{};
    size_t frames = 0;
    while (walk.Walker.NextFrame(header)) {
      ++frames;
      walk.Walker.ConsumeFrame();
    }
    const std::string note = row["note"];
    const bool infoFrame = note.find("Info frame first") != std::string::npos ||
                           note.find("Xing frame first") != std::string::npos;
    size_t expected = std::stoul(row["frames"]) - (infoFrame ? 1 : 0);
    if (row["file"] == "damaged/dmg_truncated_last_frame.mp3") expected -= 1;
    if (row["file"] == "damaged/dmg_junk5000_between_frames.mp3") expected = 30;
    if (row["file"] == "damaged/dmg_rate_switch_44k_to_48k.mp3") expected = 59;
    EXPECT_EQ(frames, expected) << row["file"];
  }
}

// Stop and Play walk the stream again as from its open. Here a free-format length, learnt only
// at the third frame, let a frame through on the second walk that the first passed over as junk
// (found by fuzzing).
TEST(FrameWalker, WalksAgainAsFromTheOpenAfterARewind) {
  const std::string file =
      std::string(VARO_TEST_DATA) + "/fuzz-regressions/rewind_after_free_format_length_learnt.mp3";
  auto walk = [&](int rewindAfter) {
    TToolWalk tool(file);
    std::vector<int64_t> starts;
    TMPFrameHeader header{};
    for (int frames = 0; tool.Walker.NextFrame(header);) {
      starts.push_back(tool.Reader.Position());
      tool.Walker.ConsumeFrame();
      if (++frames == rewindAfter) {
        tool.Walker.Rewind();  // Stop, then Play
        starts.clear();
      }
    }
    return starts;
  };
  const std::vector<int64_t> once = walk(0);
  ASSERT_GE(once.size(), 3u);
  EXPECT_EQ(walk(3), once);
}
