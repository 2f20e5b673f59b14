// The track decoder: gapless lengths and content of the corpus, and seeks that give sample for
// sample what a decode from the start gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "stream/mp_track_decoder.h"
#include "test_support.h"

namespace {

std::string ConformancePath(const std::string& name) {
  return std::string(VARO_TEST_DATA) + "/conformance/" + name;
}

TMPTrackOptions Options(bool gapless, bool freeFormat = false) {
  TMPTrackOptions options;
  options.Gapless = gapless;
  options.Walk.FreeFormat = freeFormat;
  return options;
}

// Decodes from where the decoder stands to the end.
std::vector<uint8_t> DecodeRest(TMPTrackDecoder& track) {
  std::vector<uint8_t> pcm;
  std::vector<uint8_t> frame(static_cast<size_t>(track.BytesPerFrame()));
  int32_t bytes = 0;
  for (;;) {
    const TMPTrackDecoder::TStep step = track.DecodeNext(frame.data(), bytes);
    if (step == TMPTrackDecoder::TStep::Ended) return pcm;
    pcm.insert(pcm.end(), frame.begin(), frame.begin() + bytes);
  }
}

struct TOpenTrack {
  TMemoryStream Stream;
  TMPTrackDecoder Track;
  TOpenTrack(const std::string& path, const TMPTrackOptions& options) : Stream(ReadFileBytes(path)) {
    Track.Open(&Stream, true, options);
  }
};

}  // namespace

TEST(TrackDecoder, GaplessCorpusPlaysExactlyTheEncodedSamples) {
  int lameTagged = 0;
  for (const TManifestRow& row : CorpusManifest()) {
    if (row["ref_samples"] == "-" || row["expect"] != "ok") continue;
    SCOPED_TRACE(row["file"]);
    const bool freeFormat = row["bitrate_kind"] == "free";
    TOpenTrack gapless(CorpusPath(row["file"]), Options(true, freeFormat));
    TOpenTrack full(CorpusPath(row["file"]), Options(false, freeFormat));
    const int64_t ref = std::stoll(row["ref_samples"]);
    const int64_t offset = std::stoll(row["full_offset"]);
    const int32_t block = gapless.Track.Format().Channels * 2;
    // The LAME tag's frame count gives the length up front; any track knows it once walked.
    if (offset > 0) {
      EXPECT_EQ(gapless.Track.TotalSamples(), ref);
    }
    const std::vector<uint8_t> trimmed = DecodeRest(gapless.Track);
    const std::vector<uint8_t> every = DecodeRest(full.Track);
    EXPECT_EQ(gapless.Track.TotalSamples(), ref);
    EXPECT_EQ(full.Track.TotalSamples(), std::stoll(row["full_samples"]));
    ASSERT_EQ(static_cast<int64_t>(trimmed.size()), ref * block);
    ASSERT_GE(static_cast<int64_t>(every.size()), (offset + ref) * block);
    EXPECT_TRUE(std::equal(trimmed.begin(), trimmed.end(), every.begin() + offset * block));
    lameTagged += offset > 0;
  }
  EXPECT_GT(lameTagged, 20);
}

// Each seek lands on the exact sample: what follows equals the straight decode from there,
// for every layer, CBR and VBR with and without a table of contents, free format and MPEG-2.
TEST(TrackDecoder, SeekGivesTheStraightDecodeFromTheTarget) {
  struct TCase {
    std::string Path;
    bool FreeFormat;
  };
  const TCase cases[] = {
      {ConformancePath("l1-fl1.bit"), false},
      {ConformancePath("l1-fl8.bit"), false},
      {ConformancePath("l3-compl.bit"), false},
      {ConformancePath("l3-he_free.bit"), true},
      {CorpusPath("layer2/l2_mpeg1_44k_stereo_128_speech_en.mp2"), false},
      {CorpusPath("layer2/l2_mpeg1_44k_vbr_stereo_speech_en.mp2"), false},
      {CorpusPath("layer2/l2_mpeg1_44k_free_stereo_speech_ja.mp2"), true},
      {CorpusPath("layer2/l2_mpeg2_22k_stereo_96_chord.mp2"), false},
      {CorpusPath("layer3/l3_mpeg1_44k_cbr128_joint_chord.mp3"), false},
      {CorpusPath("layer3/l3_mpeg1_44k_vbr_v0_joint_pink.mp3"), false},
      {CorpusPath("layer3/l3_mpeg1_44k_vbr_v4_noinfo_joint_speech_ja.mp3"), false},
      {CorpusPath("layer3/l3_mpeg1_44k_free640_joint_white.mp3"), true},
      {CorpusPath("layer3/l3_mpeg1_44k_cbr160_joint_crc_sweep.mp3"), false},
      {CorpusPath("layer3/l3_mpeg2_24k_cbr64_joint_speech_en.mp3"), false},
      {CorpusPath("layer3/l3_mpeg25_8k_cbr8_mono_speech_en.mp3"), false},
      {CorpusPath("damaged/dmg_junk1000_between_frames.mp3"), false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Path);
    TOpenTrack open(c.Path, Options(true, c.FreeFormat));
    TMPTrackDecoder& track = open.Track;
    const std::vector<uint8_t> straight = DecodeRest(track);
    const int32_t block = track.Format().Channels * 2;
    const int64_t total = static_cast<int64_t>(straight.size()) / block;
    const int64_t frame = track.Format().SamplesPerFrame / track.Format().Channels;
    ASSERT_GT(total, 4 * frame);
    // Backwards, forwards, within frames, the first and the last frame, the end and past it.
    for (const int64_t target : {total / 2 + 123, int64_t{0}, frame + 7, total - frame / 2, int64_t{1},
                                 total / 3, total - 1, 5 * frame, total, total + 1000}) {
      SCOPED_TRACE(target);
      track.SeekSample(target);
      EXPECT_EQ(track.NextSample(), std::min(target, total));
      const std::vector<uint8_t> rest = DecodeRest(track);
      const size_t from = static_cast<size_t>(std::min(target, total) * block);
      ASSERT_EQ(rest.size(), straight.size() - from);
      ASSERT_TRUE(std::equal(rest.begin(), rest.end(), straight.begin() + static_cast<std::ptrdiff_t>(from)));
    }
    EXPECT_EQ(track.TotalSamples(), total);
  }
}
