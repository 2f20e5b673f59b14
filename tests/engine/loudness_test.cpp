// Loudness: the measurement against libebur128's own integrated loudness and peaks, pieces
// measured side by side against one piece, albums from histograms, the cache on disk and the
// background scanner.
#include <ebur128.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <numbers>
#include <thread>

#include "base/engine_error.h"
#include "decoder/mp_frame_header.h"
#include "loudness/loudness_cache.h"
#include "loudness/loudness_meter.h"
#include "loudness/loudness_scanner.h"
#include "loudness/track_loudness.h"
#include "stream/mp_track_decoder.h"
#include "test_support.h"

namespace {

struct TPcm {
  std::vector<int16_t> Samples;
  int32_t Channels = 0;
  int32_t Rate = 0;
};

// What the player hears of a track: the track decoder's output, gapless.
TPcm Decoded(const std::string& path) {
  TMPFileStream file(path);
  TMPTrackDecoder track;
  track.Open(&file, true);
  TPcm pcm{{}, track.Format().Channels, track.Format().SampleRate};
  std::vector<int16_t> frame(static_cast<size_t>(track.BytesPerFrame()) / 2);
  int32_t bytes = 0;
  TMPTrackDecoder::TStep step;
  while ((step = track.DecodeNext(reinterpret_cast<uint8_t*>(frame.data()), bytes)) !=
         TMPTrackDecoder::TStep::Ended)
    pcm.Samples.insert(pcm.Samples.end(), frame.begin(), frame.begin() + bytes / 2);
  return pcm;
}

ebur128_state* LibraryState(const TPcm& pcm, int mode) {
  ebur128_state* state =
      ebur128_init(static_cast<unsigned>(pcm.Channels), static_cast<unsigned long>(pcm.Rate), mode);
  ebur128_add_frames_short(state, pcm.Samples.data(), pcm.Samples.size() / static_cast<size_t>(pcm.Channels));
  return state;
}

// A file of `copies` copies of a corpus file's frames one after another, without its first
// frame (its Info frame, whose frame count would end the track after the first copy).
std::string Repeated(const TTempDir& dir, const std::string& corpusFile, int copies,
                     const std::string& name) {
  const std::vector<uint8_t> one = ReadFileBytes(CorpusPath(corpusFile));
  TMPFrameHeader header{};
  const auto infoFrame = FrameSizeWithPadding(header, ParseFrameHeader(one.data(), 0, header));
  std::vector<uint8_t> all;
  for (int i = 0; i < copies; ++i) all.insert(all.end(), one.begin() + infoFrame, one.end());
  WriteFileBytes(dir.File(name), all);
  return dir.File(name);
}

}  // namespace

// A 997 Hz sine at -23 dBFS in both channels reads -23 LUFS (the calibration of EBU R128).
TEST(Loudness, CalibrationSineReadsItsLevel) {
  const int32_t rate = 48000;
  std::vector<int16_t> pcm(static_cast<size_t>(rate) * 10 * 2);
  const double amplitude = std::pow(10.0, -23.0 / 20) * 32767;
  for (size_t i = 0; i < pcm.size() / 2; ++i)
    pcm[2 * i] = pcm[2 * i + 1] = static_cast<int16_t>(
        std::lround(amplitude * std::sin(2 * std::numbers::pi * 997 * static_cast<double>(i) / rate)));
  TLoudnessMeter meter(2, rate, false);
  meter.Add(pcm.data(), static_cast<int64_t>(pcm.size() / 2));
  EXPECT_NEAR(GatedLoudness(meter.BlockEnergies()), -23.0, 0.05);
  EXPECT_EQ(meter.BlockEnergies().size(), 97u);  // blocks end every 100 ms from 400 ms on
  EXPECT_NEAR(meter.SamplePeak(), std::lround(amplitude) / 32768.0, 1e-9);
}

// What the measurement finds in a track is what libebur128 finds in the decoder's output: the
// integrated loudness (our gating over its blocks), the sample peak and the true peak.
TEST(Loudness, TrackMeasurementAgreesWithLibebur128) {
  for (const char* file :
       {"layer3/l3_mpeg1_44k_cbr128_joint_chord.mp3", "layer3/l3_mpeg25_11k_vbr_v6_mono_speech_ja.mp3",
        "layer3/l3_mpeg1_48k_cbr192_joint_pink.mp3", "layer2/l2_mpeg1_44k_joint_192_white.mp2",
        "layer3/l3_mpeg1_44k_vbr_v2_joint_silence.mp3"}) {
    SCOPED_TRACE(file);
    const TPcm pcm = Decoded(CorpusPath(file));
    TLoudnessOptions options;
    options.TruePeak = true;
    const TTrackLoudness measured = *MeasureTrackLoudness(CorpusPath(file), options);
    ebur128_state* state = LibraryState(pcm, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
    double integrated = 0, truePeak = 0, samplePeak = 0;
    ebur128_loudness_global(state, &integrated);
    for (unsigned c = 0; c < static_cast<unsigned>(pcm.Channels); ++c) {
      double p = 0;
      ebur128_true_peak(state, c, &p);
      truePeak = std::max(truePeak, p);
      ebur128_sample_peak(state, c, &p);
      samplePeak = std::max(samplePeak, p);
    }
    ebur128_destroy(&state);
    if (std::isfinite(integrated)) {
      EXPECT_NEAR(measured.Integrated, integrated, 1e-6);
      EXPECT_NEAR(measured.Gain(), -18 - integrated, 1e-6);
    } else {
      EXPECT_TRUE(measured.Silent());
    }
    EXPECT_NEAR(measured.Peak, samplePeak, 1e-9);
    EXPECT_NEAR(measured.TruePeak, truePeak, 1e-9);
    EXPECT_EQ(measured.Samples, static_cast<int64_t>(pcm.Samples.size()) / pcm.Channels);
  }
}

// Pieces measured side by side give the blocks, peaks and length of one measurement from the
// start; a quick reading of the first seconds says it is not the whole track.
TEST(Loudness, PiecesGiveWhatOnePieceGives) {
  TTempDir dir;
  const std::string path = Repeated(dir, "layer3/l3_mpeg1_44k_cbr128_joint_chord.mp3", 4, "six_seconds.mp3");
  const TTrackLoudness one = *MeasureTrackLoudness(path);
  for (const int32_t pieces : {3, 4}) {  // a track of 6 s holds three pieces of 2 s
    TLoudnessOptions options;
    options.Pieces = pieces;
    options.ShortestPiece = 2;
    const TTrackLoudness split = *MeasureTrackLoudness(path, options);
    ASSERT_EQ(split.Blocks.size(), one.Blocks.size());
    for (size_t i = 0; i < one.Blocks.size(); ++i)
      ASSERT_NEAR(split.Blocks[i], one.Blocks[i], one.Blocks[i] * 1e-9) << i;
    EXPECT_NEAR(split.Integrated, one.Integrated, 1e-9);
    EXPECT_EQ(split.Peak, one.Peak);
    EXPECT_EQ(split.Samples, one.Samples);
    EXPECT_TRUE(split.Whole);
  }
  TLoudnessOptions quick;
  quick.Seconds = 2;
  const TTrackLoudness first = *MeasureTrackLoudness(path, quick);
  EXPECT_FALSE(first.Whole);
  EXPECT_EQ(first.Samples, 88200);
  EXPECT_EQ(first.Blocks.size(), 17u);
}

// An album from the tracks' histograms, as the cache keeps them, agrees with libebur128's
// album loudness over the decoder's output; with the tracks' blocks it is libebur128's.
TEST(Loudness, AlbumFromBlocksAndFromHistograms) {
  const char* files[] = {
      "layer3/l3_mpeg1_44k_cbr128_joint_chord.mp3", "layer3/l3_mpeg1_44k_cbr128_joint_clicks.mp3",
      "layer3/l3_mpeg1_44k_vbr_v0_joint_pink.mp3", "layer3/l3_mpeg1_44k_vbr_v2_joint_silence.mp3"};
  std::vector<TTrackLoudness> tracks;
  std::vector<ebur128_state*> states;
  for (const char* file : files) {
    tracks.push_back(*MeasureTrackLoudness(CorpusPath(file)));
    states.push_back(LibraryState(Decoded(CorpusPath(file)), EBUR128_MODE_I));
  }
  double album = 0;
  ebur128_loudness_global_multiple(states.data(), states.size(), &album);
  for (ebur128_state*& s : states) ebur128_destroy(&s);
  std::vector<const TTrackLoudness*> withBlocks, fromCache;
  std::vector<TTrackLoudness> cached(tracks.size());
  for (size_t i = 0; i < tracks.size(); ++i) {
    withBlocks.push_back(&tracks[i]);
    ASSERT_TRUE(cached[i].Histogram.FromText(tracks[i].Histogram.ToText()));
    fromCache.push_back(&cached[i]);
  }
  EXPECT_NEAR(AlbumLoudness(withBlocks), album, 1e-6);
  EXPECT_NEAR(AlbumLoudness(fromCache), album, 0.03);
  EXPECT_NE(AlbumLoudness(fromCache), AlbumLoudness(withBlocks));  // the histograms were used
  TLoudnessHistogram damaged;
  for (const char* text : {"12", "12:", "x:1", "999:1,2", "-1:3", "3:1,,2", "3:1;2"})
    EXPECT_FALSE(damaged.FromText(text)) << text;
}

namespace {

void SetModified(const std::string& path, int64_t seconds) {
  const timespec times[2] = {{seconds, 0}, {seconds, 0}};
  utimensat(AT_FDCWD, path.c_str(), times, 0);
}

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace

// The cache reads back what it stored, forgets a file whose size or modification time moved,
// passes over damaged lines (a torn last line does not swallow the next one), keeps the newest
// entries within its limit and rewrites its file when it has grown.
TEST(LoudnessCache, RoundTripInvalidationDamageAndLimit) {
  TTempDir dir;
  const std::string folder = dir.File("cache");
  const TTrackLoudness chord =
      *MeasureTrackLoudness(CorpusPath("layer3/l3_mpeg1_44k_cbr128_joint_chord.mp3"));
  std::vector<std::string> tracks;
  for (int i = 0; i < 6; ++i) {
    tracks.push_back(dir.File("track\t" + std::to_string(i) + ".mp3"));  // a tab in a path, escaped
    WriteFileBytes(tracks.back(), std::vector<uint8_t>(100 + i, 0));
    SetModified(tracks.back(), 1000000 + i);
  }
  {
    TLoudnessCache cache(folder);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(cache.Store(*LoudnessCacheKeyOf(tracks[i]), chord));
    TTrackLoudness quick = chord;
    quick.Whole = false;
    EXPECT_FALSE(cache.Store(*LoudnessCacheKeyOf(tracks[3]), quick));  // a first part is no measurement
  }
  TLoudnessCache cache(folder);
  ASSERT_EQ(cache.Count(), 3u);
  const std::optional<TTrackLoudness> found = cache.Find(tracks[0]);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->Integrated, chord.Integrated);
  EXPECT_EQ(found->Peak, chord.Peak);
  EXPECT_EQ(found->Samples, chord.Samples);
  EXPECT_EQ(found->Histogram.ToText(), chord.Histogram.ToText());
  EXPECT_FALSE(cache.Find(tracks[3]));
  WriteFileBytes(tracks[1], std::vector<uint8_t>(500, 0));  // another size
  SetModified(tracks[1], 1000001);
  SetModified(tracks[2], 2000000);  // another time
  EXPECT_FALSE(cache.Find(tracks[1]));
  EXPECT_FALSE(cache.Find(tracks[2]));

  // Damage: a line out of nowhere, a changed number, and a last line cut off.
  const std::string file = folder + "/loudness.cache";
  std::vector<std::string> lines = Lines(file);
  ASSERT_EQ(lines.size(), 4u);
  std::string changed = lines[2];
  changed[changed.find("\t-") + 2] ^= 1;
  {
    std::ofstream out(file, std::ios::trunc);
    out << lines[0] << "\nnot a cache line\n"
        << lines[1] << '\n'
        << changed << '\n'
        << lines[3].substr(0, 40);
  }
  TLoudnessCache damaged(folder);
  EXPECT_EQ(damaged.Count(), 1u);
  EXPECT_TRUE(damaged.Find(tracks[0]));
  EXPECT_TRUE(damaged.Store(*LoudnessCacheKeyOf(tracks[4]), chord));
  EXPECT_TRUE(TLoudnessCache(folder).Find(tracks[4]));

  // The limit keeps the newest; growth past twice what is kept rewrites the file.
  TLoudnessCache small(dir.File("small"), 2);
  for (int round = 0; round < 50; ++round)
    for (int i = 0; i < 3; ++i) small.Store(*LoudnessCacheKeyOf(tracks[i == 2 ? 5 : i]), chord);
  EXPECT_EQ(small.Count(), 2u);
  TLoudnessCache reread(dir.File("small"), 2);
  EXPECT_FALSE(reread.Find(tracks[0]));
  EXPECT_TRUE(reread.Find(tracks[5]));
  EXPECT_LE(Lines(reread.FilePath()).size(), 1u + 2 * 64);
}

namespace {

// Collects the scanner's reports and the scheduling of the thread they came from.
struct TReports {
  std::mutex Mutex;
  std::condition_variable Arrived;
  std::vector<TLoudnessScanner::TResult> Results;
  std::vector<int> Policies, NiceValues;

  TLoudnessScanner::TReport Report() {
    return [this](const TLoudnessScanner::TResult& r) {
      std::lock_guard lock(Mutex);
      Results.push_back(r);
      Policies.push_back(sched_getscheduler(0));
      NiceValues.push_back(getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())));
      Arrived.notify_all();
    };
  }
  bool WaitFor(size_t n) {
    std::unique_lock lock(Mutex);
    return Arrived.wait_for(lock, std::chrono::minutes(5), [&] { return Results.size() >= n; });
  }
};

}  // namespace

// The scanner measures at idle priority in the order asked, keeps its results in the cache
// and answers from it next time, reports files it cannot measure, and gives up a track at
// once when asked: no result comes for it.
TEST(LoudnessScanner, IdlePriorityOrderCacheAndCancel) {
  TTempDir dir;
  TLoudnessCache cache(dir.File("cache"));
  const std::string chord = CorpusPath("layer3/l3_mpeg1_44k_cbr128_joint_chord.mp3");
  const std::string pink = CorpusPath("layer3/l3_mpeg1_48k_cbr192_joint_pink.mp3");
  const std::string missing = dir.File("missing.mp3");
  TReports reports;
  {
    TLoudnessScanner scanner(&cache, reports.Report());
    scanner.SetWanted({pink, missing, chord});
    ASSERT_TRUE(reports.WaitFor(3));
    scanner.SetWanted({chord});
    ASSERT_TRUE(reports.WaitFor(4));
  }
  std::lock_guard lock(reports.Mutex);
  const auto& r = reports.Results;
  EXPECT_EQ(r[0].Path, pink);
  EXPECT_EQ(r[1].Path, missing);
  EXPECT_FALSE(r[1].Loudness);
  EXPECT_TRUE(r[1].Error.starts_with("Cannot open file")) << r[1].Error;
  EXPECT_EQ(r[2].Path, chord);
  ASSERT_TRUE(r[2].Loudness && r[3].Loudness);
  EXPECT_FALSE(r[2].FromCache);
  EXPECT_TRUE(r[3].FromCache);
  EXPECT_EQ(r[3].Loudness->Integrated, r[2].Loudness->Integrated);
  EXPECT_EQ(cache.Count(), 2u);
  for (size_t i = 0; i < r.size(); ++i) {
    EXPECT_EQ(reports.Policies[i], SCHED_IDLE);
    EXPECT_EQ(reports.NiceValues[i], 19);
  }
}

TEST(LoudnessScanner, GivesUpATrackBeingMeasured) {
  TTempDir dir;
  const std::string longTrack = Repeated(dir, "bench/bench_60s_mpeg1_l3_cbr128_joint.mp3", 10, "long.mp3");
  const std::string chord = CorpusPath("layer3/l3_mpeg1_44k_cbr128_joint_chord.mp3");
  TReports reports;
  TLoudnessScanner scanner(nullptr, reports.Report());
  scanner.SetWanted({longTrack, chord});
  while (!scanner.Measuring()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  scanner.Cancel(longTrack);
  ASSERT_TRUE(reports.WaitFor(1));
  while (scanner.Pending() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::lock_guard lock(reports.Mutex);
  ASSERT_EQ(reports.Results.size(), 1u);
  EXPECT_EQ(reports.Results[0].Path, chord);
  EXPECT_LT(scanner.MeasuredSamples(), 2 * 60 * 44100);  // of 10 minutes and the chord
}
